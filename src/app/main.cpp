#include "app/MainWindow.h"

#include <QApplication>

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    QApplication::setApplicationName("Quorvane");
    QApplication::setOrganizationName("Quorvane");
    QApplication::setApplicationVersion(QV_VERSION);
    TFormMain window;
    window.show();
    return application.exec();
}
