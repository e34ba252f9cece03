#include "app/MainWindow.h"

#include "core/persistence/FileIO.h"

TFormMain::TFormMain(QWidget* parent) : QMainWindow(parent) {
    setWindowTitle("Quorvane");
    resize(1024, 720);
    FileObject.CurrentVersion = QV_VERSION;
}
