#include "app/ProgramInfo.h"

#include "app/Utilities.h"
#include "core/support/Version.h"

#include <QIcon>
#include <QMessageBox>

#include <ostream>

std::string ProgramHelp() {
    return "Usage: quorvane [MODEL]\n"
           "Opens the Quorvane window for stock-and-flow modelling, with MODEL when one is\n"
           "named: a Quorvane model (.qvf), or an XMILE model (.xmile, .xml or .stmx), which\n"
           "is imported as a new model that Save writes as a .qvf file. All the arguments\n"
           "form the one file name, so a name with blanks needs no quotes. A model that was\n"
           "not saved when the program last closed unexpectedly is offered first.\n"
           "quorvane-cli runs, checks and converts models without the window.\n"
           "\n"
           "Exit status:\n"
           "  0  the window was closed\n"
           "  1  no display was found, so no window could open\n"
           "\n"
           "Options:\n"
           "  -h, --help     show this help and exit\n"
           "      --version  show the program version and exit\n"
           "Qt's own options, such as -platform NAME or -style NAME, are also understood.\n"
           "\n"
           "Files:\n"
           "  ~/.config/Quorvane/Quorvane Desktop.conf\n"
           "                    the recently used models (File menu)\n"
           "  ~/.local/share/Quorvane/Quorvane/recovery/\n"
           "                    copies of models with unsaved changes, written every two\n"
           "                    minutes and offered at the next start after a crash\n"
           "The folders follow XDG_CONFIG_HOME and XDG_DATA_HOME when they are set.\n";
}

bool AnswerInfoOption(const std::vector<std::string>& args, std::ostream& out) {
    if (args.empty()) return false;
    if (args.front() == "--help" || args.front() == "-h") {
        out << ProgramHelp();
        return true;
    }
    if (args.front() == "--version") {
        out << "quorvane " << ProgramVersion << '\n';
        return true;
    }
    return false;
}

bool DisplayAvailable(const std::vector<std::string>& args,
                      const std::function<std::string(const char*)>& getEnvironment) {
    for (const char* name : {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY"})
        if (!getEnvironment(name).empty()) return true;
    for (const std::string& arg : args)
        if (arg == "-platform" || arg == "--platform") return true;
    return false;
}

std::string NoDisplayMessage() {
    return "quorvane: no display found (neither DISPLAY nor WAYLAND_DISPLAY is set).\n"
           "Quorvane is a desktop program and needs a graphical session to show its window.\n"
           "Run it from a desktop session or under a virtual display (xvfb-run quorvane);\n"
           "quorvane-cli works on models without a display.\n";
}

QIcon ProgramIcon() {
    QIcon icon;
    for (int size : {16, 22, 24, 32, 48, 64, 128, 256})
        icon.addFile(QString(":/icons/%1x%1/quorvane.png").arg(size), QSize(size, size));
    return icon;
}

void ShowAboutBox(QWidget* parent) {
    QMessageBox box(QMessageBox::NoIcon, "About Quorvane", QString("Version ") + ProgramVersion,
                    QMessageBox::Ok, parent);
    box.setObjectName("AboutBox");
    box.setIconPixmap(ProgramIcon().pixmap(QSize(64, 64), box.devicePixelRatioF()));
    Hooks().Exec(box);
}
