#include "app/ProgramInfo.h"
#include "app/SimulationMain.h"
#include "core/support/Version.h"

#include <QApplication>
#include <QLocale>
#include <QStringList>

#include <cstdlib>
#include <iostream>
#include <string>
#include <vector>

int main(int argc, char* argv[]) {
    // Help and version need no window, so they work without a display too.
    const std::vector<std::string> args(argv + 1, argv + argc);
    if (AnswerInfoOption(args, std::cout)) return std::cout.flush() ? 0 : 1;
    // Without a display Qt would abort with advice to reinstall; say what is missing instead.
    if (!DisplayAvailable(args, [](const char* name) {
            const char* value = std::getenv(name);
            return std::string(value ? value : "");
        })) {
        std::cerr << NoDisplayMessage();
        return 1;
    }
    QApplication application(argc, argv);
    QApplication::setApplicationName("Quorvane");
    QApplication::setOrganizationName("Quorvane");
    QApplication::setApplicationVersion(ProgramVersion);
    // Lets the desktop match the windows with the installed menu entry and its icon.
    QGuiApplication::setDesktopFileName("quorvane");
    QApplication::setWindowIcon(ProgramIcon());
    // No widget may show the user's decimal comma.
    QLocale::setDefault(QLocale::c());
    // A path with blanks needs no quotes: every argument is part of the one file name.
    const QStringList arguments = QApplication::arguments().mid(1);
    TSimulationMainForm window(arguments.join(' '));
    return application.exec();
}
