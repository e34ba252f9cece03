// Pictures of the real main window for the user guide and for reviewers without a desktop:
// opens each example, runs it to its end and saves the window; saves the set-up windows and
// the context menu of the first example with a sketch; then breaks a model and saves the
// error log. Usage: quorvane-screenshots EXAMPLES_FOLDER IMAGES_FOLDER
#include "app/ErrorReport.h"
#include "app/Recovery.h"
#include "app/SimulationMain.h"
#include "app/Utilities.h"
#include "app/diagram/MainView.h"
#include "app/dialogs/ElementSetUp.h"
#include "app/dialogs/GraphSetUp.h"
#include "app/output/ResultsTable.h"
#include "app/print/PageSetup.h"
#include "document/diagram/DrawingObjects.h"
#include "document/model/DataFile.h"

#include <QApplication>
#include <QDir>
#include <QHeaderView>
#include <QLocale>
#include <QMenu>
#include <QPainter>
#include <QPlainTextEdit>
#include <QStandardPaths>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTimer>

#include <cstdio>
#include <cstdlib>
#include <functional>

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
    // A window the program would show modally is handed to Shown instead, then cancelled.
    int Exec(QDialog& dialog) override {
        if (Shown) Shown(dialog);
        return 0;
    }
    void OpenUrl(const QString&) override {}
    int Count = 0;
    std::function<void(QDialog&)> Shown;
};

void Settle() {
    for (int i = 0; i < 5; ++i)
        QApplication::processEvents();
}

bool Write(const QPixmap& picture, const QString& file) {
    const bool saved = picture.save(file);
    std::printf("%s %s\n", saved ? "wrote" : "could not write", qPrintable(file));
    return saved;
}

bool Save(QWidget& widget, const QString& file) {
    Settle();
    return Write(widget.grab(), file);
}

// A window shown offscreen, so that it takes its own size, then saved.
bool SaveWindow(QWidget& window, const QString& file) {
    window.show();
    const bool saved = Save(window, file);
    window.hide();
    return saved;
}

template <class T> T* FirstControl(TDataFile& document) {
    for (TOutputControlInstance* control : document.Image().OutputControls)
        if (auto* found = dynamic_cast<T*>(control)) return found;
    return nullptr;
}

TVariableObject* FirstElement(TDataFile& document,
                              const std::function<bool(const TVariableObject&)>& wanted) {
    for (TVariableObject* element : document.Simulation->Variables)
        if (wanted(*element)) return element;
    return nullptr;
}

// The set-up windows of the first example with a sketch, filled as a double-click fills
// them; each is saved without running its loop and left without a change.
bool SaveSetUpWindows(TSimulationMainForm& form, TUnattendedHooks& hooks, const QDir& examples,
                      const QString& images) {
    TDataFile* document = nullptr;
    TVariableObject* sketched = nullptr;
    for (const QString& name : examples.entryList({"*.qvf"}, QDir::Files, QDir::Name)) {
        form.LoadModel(examples.filePath(name), false);
        document = form.ActiveDocument();
        sketched = FirstElement(*document, [](auto& e) { return !e.Sketched.IsEmpty(); });
        if (sketched) break;
    }
    if (!sketched) return true;
    bool ok = true;
    form.Run();
    while (form.TimerSimulation->isActive())
        form.TimerSimulationTimer();
    if (auto* table = FirstControl<TTableInstance>(*document)) {
        TFormTableView view(*document, *table, &form);
        view.show();
        Settle();
        // Wide enough for every column, as a reader would make it.
        const QTableView& grid = *view.GridTable;
        view.resize(grid.horizontalHeader()->length() + grid.verticalHeader()->width() + 40,
                    view.height());
        ok = SaveWindow(view, images + "/results-table.png") && ok;
    }
    form.StopReset();
    {
        TFormVariable setUp(&form);
        setUp.ShowFor(*document, *sketched);
        ok = SaveWindow(setUp, images + "/element-setup-equation.png") && ok;
        setUp.PageControlVariable->setCurrentWidget(setUp.TabSheetGraph);
        ok = SaveWindow(setUp, images + "/element-setup-graph.png") && ok;
        setUp.reject();
    }
    // The GRAPH editor opens on a double-click on the call in the equation.
    if (TVariableObject* lookup = FirstElement(
            *document, [](auto& e) { return e.Equation.find("GRAPH(") != std::string::npos; })) {
        TFormVariable setUp(&form);
        setUp.ShowFor(*document, *lookup);
        hooks.Shown = [&](QDialog& editor) {
            ok = SaveWindow(editor, images + "/graph-function.png") && ok;
        };
        ok = setUp.EditGraphAt(setUp.MemoEquation->toPlainText().indexOf("GRAPH(") + 1) && ok;
        hooks.Shown = nullptr;
        setUp.reject();
    }
    if (auto* graph = FirstControl<TGraphInstance>(*document)) {
        TFormGraphEdit setUp(*document, *graph, &form);
        ok = SaveWindow(setUp, images + "/graph-setup.png") && ok;
    }
    {
        TFormPageSetup setUp(&form);
        setUp.Fill(*document);
        ok = SaveWindow(setUp, images + "/page-setup.png") && ok;
    }
    // The context menu of the sketched element's shape.
    for (TVariableInstance* shape : document->Image().Elements) {
        if (shape->Var() != sketched) continue;
        const QRect at = shape->HitRect.ToQRect();
        form.MainView->PopupMenu(at.center());
        QMenu& menu = *form.MainView->PopupMenuMain;
        Settle();
        // The menu over the diagram round the shape it belongs to.
        QPixmap picture = form.grab();
        const QPoint corner = form.mapFromGlobal(menu.pos());
        QPainter(&picture).drawPixmap(corner, menu.grab());
        const QRect around = QRect(corner, menu.size()).adjusted(-160, -80, 120, 40);
        ok = Write(picture.copy(around & picture.rect()), images + "/context-menu.png") && ok;
        menu.hide();
        break;
    }
    return ok;
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
        ok = SaveSetUpWindows(form, hooks, examples, images) && ok;
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
