// Pictures of the real main window for the user guide and for reviewers without a desktop:
// opens each example, runs it to its end and saves the window; then breaks a model and
// saves the error log. Usage: quorvane-screenshots EXAMPLES_FOLDER IMAGES_FOLDER
#include "app/ErrorReport.h"
#include "app/Recovery.h"
#include "app/SimulationMain.h"
#include "app/Utilities.h"
#include "document/model/DataFile.h"

#include <QApplication>
#include <QDir>
#include <QLocale>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTimer>

#include <cstdio>
#include <cstdlib>

namespace {

// Nobody is there to answer: every message is printed and counted.
class TUnattendedHooks : public TDialogHooks {
public:
    int Message(QWidget*, TMessageKind, const QString& text, int buttons) override {
        std::fprintf(stderr, "message: %s\n", qPrintable(text));
        ++Count;
        return (buttons & mbNo) ? mbNo : mbOK;
    }
    QString FileName(QWidget*, const TFileDialogRequest&) override { return {}; }
    int Exec(QDialog&) override { return 0; }
    void OpenUrl(const QString&) override {}
    int Count = 0;
};

void Settle() {
    for (int i = 0; i < 5; ++i)
        QApplication::processEvents();
}

bool Save(QWidget& widget, const QString& file) {
    Settle();
    const bool saved = widget.grab().save(file);
    std::printf("%s %s\n", saved ? "wrote" : "could not write", qPrintable(file));
    return saved;
}

} // namespace

int main(int argc, char* argv[]) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication application(argc, argv);
    QApplication::setOrganizationName("Quorvane");
    QApplication::setApplicationName("Quorvane");
    QApplication::setApplicationDisplayName("Quorvane");
    QLocale::setDefault(QLocale::c());
    if (argc != 3) {
        std::fprintf(stderr, "usage: quorvane-screenshots EXAMPLES_FOLDER IMAGES_FOLDER\n");
        return 2;
    }
    // Neither the user's recent files nor their recovery copies are touched.
    QStandardPaths::setTestModeEnabled(true);
    QTemporaryDir scratch;
    TRecovery::DefaultFolder() = scratch.path();
    TUnattendedHooks hooks;
    SetHooks(&hooks);
    const QDir examples(argv[1]);
    const QString images = argv[2];
    QDir().mkpath(images);
    bool ok = true;
    {
        TSimulationMainForm form;
        form.resize(1280, 1000);
        form.StartUp();
        for (const QString& name : examples.entryList({"*.qvf"}, QDir::Files, QDir::Name)) {
            form.LoadModel(examples.filePath(name), false);
            form.Run();
            while (form.TimerSimulation->isActive())
                form.TimerSimulationTimer();
            ok = Save(form, images + "/main-" + QFileInfo(name).completeBaseName() + ".png") && ok;
            form.StopReset();
        }
        // A model with errors: an equation that does not parse and one that leaves its
        // links unused.
        form.LoadModel(examples.filePath("investment.qvf"), false);
        TSimulationObject& simulation = *form.ActiveDocument()->Simulation;
        bool brokeParse = false, brokeLinks = false;
        for (TVariableObject* element : simulation.Variables) {
            if (!brokeLinks && element->Dependencies.Count() > 0 && element->Kind != ekResource) {
                element->Equation = "5";
                brokeLinks = true;
            } else if (!brokeParse) {
                element->Equation = "(" + element->Equation;
                brokeParse = true;
            } else {
                continue;
            }
            element->Parsed = false;
        }
        form.Run();
        form.TimerSimulationTimer();
        form.ErrorLog->move(form.geometry().center());
        ok = Save(*form.ErrorLog, images + "/error-log.png") && ok;
        form.StopReset();
        form.ActiveDocument()->IsModified = false;
    }
    SetHooks(nullptr);
    // The refused run says so once; anything else would be a fault worth looking at.
    if (hooks.Count != 1) {
        std::fprintf(stderr, "expected one message, saw %d\n", hooks.Count);
        ok = false;
    }
    return ok ? 0 : 1;
}
