#include "app/SimulationMain.h"
#include "core/support/Version.h"

#include <QApplication>
#include <QLocale>
#include <QStringList>

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    QApplication::setApplicationName("Quorvane");
    QApplication::setApplicationDisplayName("Quorvane");
    QApplication::setOrganizationName("Quorvane");
    QApplication::setApplicationVersion(ProgramVersion);
    // No widget may show the user's decimal comma.
    QLocale::setDefault(QLocale::c());
    // A path with blanks needs no quotes: every argument is part of the one file name.
    const QStringList arguments = QApplication::arguments().mid(1);
    TSimulationMainForm window(arguments.join(' '));
    return application.exec();
}
