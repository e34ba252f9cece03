// Pictures of the real main window for the user guide and for reviewers without a desktop:
// opens each example, runs it to its end and saves the window; saves the set-up windows and
// the context menu of the first example with a sketch, the tools' cursors and the Support
// window; follows the user guide's first model step by step; then draws a first link and
// breaks a model, saving the error log each time.
// Usage: quorvane-screenshots EXAMPLES_FOLDER IMAGES_FOLDER
#include "app/ErrorReport.h"
#include "app/Recovery.h"
#include "app/SimulationMain.h"
#include "app/SupportWindow.h"
#include "app/TimeSettings.h"
#include "app/Utilities.h"
#include "app/analysis/CalibrateDialog.h"
#include "app/analysis/SensitivityResults.h"
#include "app/analysis/SensitivitySetUpDialog.h"
#include "app/diagram/MainView.h"
#include "app/diagram/ToolCursors.h"
#include "app/dialogs/ElementSetUp.h"
#include "app/dialogs/GraphSetUp.h"
#include "app/dialogs/SeriesEntryDialogs.h"
#include "app/dialogs/VariableSelect.h"
#include "app/output/ResultsTable.h"
#include "app/print/PageSetup.h"
#include "app/widgets/DrawSurface.h"
#include "document/diagram/DrawingObjects.h"
#include "document/model/DataFile.h"
#include "document/model/DiagramEdits.h"

#include <QApplication>
#include <QDir>
#include <QHeaderView>
#include <QLabel>
#include <QLocale>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSettings>
#include <QStandardPaths>
#include <QTabWidget>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolButton>
#include <QTreeWidget>

#include <algorithm>
#include <cmath>
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
    // A window the program would show modally is handed to Shown instead; it ends as Shown
    // answered it, else cancelled.
    int Exec(QDialog& dialog) override {
        if (Shown) Shown(dialog);
        return dialog.result();
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

// Loads an example and shows its path as the project names it, not where this copy of the
// project happens to be.
void LoadExample(TSimulationMainForm& form, const QDir& examples, const QString& name) {
    const QString path = examples.filePath(name);
    form.LoadModel(path, false);
    form.StatusFile->setText(QDir(examples.absoluteFilePath("..")).relativeFilePath(path));
}

// A window grabbed with its tool windows where they stand over it.
QPixmap GrabWithOver(QWidget& window, const std::vector<QWidget*>& over) {
    QPixmap picture = window.grab();
    QPainter painter(&picture);
    for (QWidget* widget : over)
        if (widget->isVisible()) painter.drawPixmap(widget->pos() - window.pos(), widget->grab());
    return picture;
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
        LoadExample(form, examples, name);
        document = form.ActiveDocument();
        sketched = FirstElement(*document, [](auto& e) { return !e.Sketched.IsEmpty(); });
        if (sketched) break;
    }
    if (!sketched) return true;
    bool ok = true;
    form.RunToEndCommand();
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
    {
        TFormTimeSettings settings(&form);
        settings.Fill(*document);
        ok = SaveWindow(settings, images + "/time-settings.png") && ok;
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

// Each tool's cursor over the same part of the diagram, named below it.
bool SaveToolCursors(TSimulationMainForm& form, const QString& images) {
    const std::pair<const char*, int> tools[] = {{"Resource", dtResource}, {"Flow", dtFlow},
                                                 {"Variable", dtVariable}, {"Constant", dtConstant},
                                                 {"Link", dtLink},         {"Table", dtTable},
                                                 {"Graph", dtGraph},       {"Note", dtNote}};
    Settle();
    const QPixmap diagram = form.MainView->ImageMain->grab();
    constexpr int CellWidth = 110, CellHeight = 84, Columns = 4;
    QPixmap sheet(CellWidth * Columns, CellHeight * 2);
    sheet.fill(Qt::white);
    QPainter painter(&sheet);
    // Beside the first shape, where a user would point to place the next one.
    QPoint at(diagram.width() / 2, diagram.height() / 3);
    const TDrawImage& image = form.ActiveDocument()->Image();
    if (image.Elements.Count() > 0) at = image.Elements[0]->HitRect.ToQRect().center();
    const QRect area(at.x() - 10, at.y() - (CellHeight - 18) / 2, CellWidth, CellHeight - 18);
    for (int i = 0; i < 8; ++i) {
        const QPoint cell((i % Columns) * CellWidth, (i / Columns) * CellHeight);
        painter.drawPixmap(cell, diagram.copy(area));
        const QCursor cursor = ToolCursor(tools[i].second);
        painter.drawPixmap(cell + QPoint(CellWidth / 2, (CellHeight - 18) / 2) - cursor.hotSpot(),
                           cursor.pixmap());
        painter.setPen(Qt::black);
        painter.drawText(QRect(cell.x(), cell.y() + CellHeight - 18, CellWidth, 18),
                         Qt::AlignCenter, tools[i].first);
        painter.setPen(QColor(200, 200, 200));
        painter.drawRect(QRect(cell, QSize(CellWidth - 1, CellHeight - 1)));
    }
    painter.end();
    return Write(sheet, images + "/tool-cursors.png");
}

// Help > Support, with the folders a user of the program would see rather than this run's
// scratch folders.
bool SaveSupportWindow(TSimulationMainForm& form, const QString& images) {
    form.ShowSupport();
    TFormSupport& window = *form.SupportWindow;
    QStandardPaths::setTestModeEnabled(false);
    const QString home = QDir::homePath();
    auto shorten = [&](QString path) {
        if (path.startsWith(home)) path.replace(0, home.size(), "~");
        return path;
    };
    TSupportFacts facts = GatherSupportFacts(
        shorten(QStandardPaths::writableLocation(QStandardPaths::AppDataLocation) + "/recovery"));
    facts.SettingsFile = shorten(facts.SettingsFile);
    QStandardPaths::setTestModeEnabled(true);
    window.Fill(facts);
    const bool ok = Save(window, images + "/support.png");
    window.close();
    return ok;
}

// A new model with a constant and a variable joined by a link that no equation uses yet:
// the check's first message, and where the log shows it.
bool SaveFirstLinkErrorLog(TSimulationMainForm& form, const QString& images) {
    form.NewModel();
    TDataFile& document = *form.ActiveDocument();
    TVariableInstance* price = PlaceElement(document, dtConstant, 260, 200);
    TVariableInstance* sales = PlaceElement(document, dtVariable, 460, 220);
    price->Var()->Name = "Price";
    sales->Var()->Name = "Sales";
    PlaceLink(document, {260, 200}, price, sales, {460, 220});
    form.MainView->RefreshView();
    Settle();
    const bool ok =
        Write(GrabWithOver(form, {form.ErrorLog}), images + "/error-log-first-link.png");
    document.IsModified = false;
    return ok;
}

// The supply chain example with a sensitivity set-up: the set-up window, then the results
// of its runs; the model is left without a change.
bool SaveSensitivityWindows(TSimulationMainForm& form, TUnattendedHooks& hooks,
                            const QDir& examples, const QString& images) {
    form.LoadModel(examples.filePath("supply_chain.qvf"), false);
    TDataFile* document = form.ActiveDocument();
    if (!document) return false;
    TSensitivitySetUp& setUp = document->Simulation->Sensitivity;
    std::string problem;
    TVariedElement lead, adjustment;
    ParseVaryText("Lead Time=uniform(2, 6)", lead, problem);
    ParseVaryText("Adjustment Time=triangular(2, 4, 8)", adjustment, problem);
    setUp.Varied = {lead, adjustment};
    setUp.Outputs = {"Inventory", "Orders"};
    setUp.Method = smLatinHypercube;
    setUp.Runs = 1000;
    bool ok = true;
    hooks.Shown = [&](QDialog& dialog) {
        if (qobject_cast<TFormSensitivitySetUp*>(&dialog))
            ok = SaveWindow(dialog, images + "/sensitivity-setup.png") && ok;
        else
            dialog.exec(); // the progress window closes itself when the runs end
    };
    form.ShowSensitivitySetUp();
    form.RunSensitivity();
    hooks.Shown = nullptr;
    if (!form.SensitivityResults) return false;
    ok = Save(*form.SensitivityResults, images + "/sensitivity-results.png") && ok;
    form.SensitivityResults->hide();
    document->IsModified = false;
    return ok;
}

// The customer growth example observed every three months of a run with a contact rate of 6
// and a capacity of 15,000: the Calibrate window after fitting both, then the main window
// after Apply with the graph of Customers through the observed points.
bool SaveCalibrationWindows(TSimulationMainForm& form, TUnattendedHooks& hooks,
                            const QDir& examples, const QString& images) {
    LoadExample(form, examples, "customer_growth.qvf");
    TDataFile* document = form.ActiveDocument();
    if (!document) return false;
    TSimulationObject& model = *document->Simulation;
    TVariableObject* rate = FindElement(model, "Contact Rate");
    TVariableObject* capacity = FindElement(model, "Capacity");
    TVariableObject* customers = FindElement(model, "Customers");
    if (!rate || !capacity || !customers) return false;
    const std::string ownRate = rate->Equation, ownCapacity = capacity->Equation;
    rate->Equation = "6";
    capacity->Equation = "15000";
    rate->Parsed = capacity->Parsed = false;
    form.Run();
    while (form.TimerSimulation->isActive())
        form.TimerSimulationTimer();
    std::vector<TDataPoint> observed;
    for (double month = 0; month <= 36; month += 3)
        observed.push_back({month, std::round(customers->Simulated.ValueAt(month))});
    form.StopReset();
    customers->Sketched.Points = observed;
    customers->Sketched.Interval = 3;
    rate->Equation = ownRate;
    capacity->Equation = ownCapacity;
    rate->Parsed = capacity->Parsed = false;

    TCalibrationSetUp setUp;
    setUp.Parameters = {{"Contact Rate", 2, 20}, {"Capacity", 5000, 40000}};
    setUp.Targets = {{"Customers"}};
    form.CalibrationSetUp = std::make_unique<TCalibrationSetUp>(setUp);
    bool ok = true;
    hooks.Shown = [&](QDialog& dialog) {
        auto* window = qobject_cast<TFormCalibrate*>(&dialog);
        if (!window) return;
        window->show();
        window->ButtonStart->click();
        ok = Save(*window, images + "/calibrate.png") && window->HasResult && ok;
        window->ButtonApply->click();
        window->hide();
    };
    form.ShowCalibration();
    hooks.Shown = nullptr;
    while (form.TimerSimulation->isActive())
        form.TimerSimulationTimer();
    // Tall enough for the graph of Customers below the diagram.
    const QSize size = form.size();
    form.resize(size.width(), 1280);
    ok = Save(form, images + "/calibrated-graph.png") && ok;
    form.resize(size);
    form.StopReset();
    document->IsModified = false;
    return ok;
}

// Follows "A first model, step by step" of the user guide with the mouse and the dialogs, as a
// newcomer does, checks that each step did what the guide says, and saves the pictures the
// guide shows. False, with the step on stderr, when the program and the guide part.
class TGuideWalk {
public:
    TGuideWalk(TSimulationMainForm& form, TUnattendedHooks& hooks, QString images)
        : Form(form), Hooks(hooks), Images(std::move(images)) {}

    bool Walk();

private:
    QWidget& Surface() { return *Form.MainView->ImageMain; }
    void Mouse(QEvent::Type type, QPoint p) {
        const Qt::MouseButtons held =
            type == QEvent::MouseButtonRelease || type == QEvent::MouseMove ? Held : Qt::LeftButton;
        if (type == QEvent::MouseButtonPress || type == QEvent::MouseButtonDblClick)
            Held = Qt::LeftButton;
        if (type == QEvent::MouseButtonRelease) Held = Qt::NoButton;
        QMouseEvent event(type, QPointF(p), Surface().mapToGlobal(QPointF(p)),
                          type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton,
                          type == QEvent::MouseButtonRelease ? Qt::MouseButtons(Qt::NoButton)
                                                             : held,
                          Qt::NoModifier);
        QApplication::sendEvent(&Surface(), &event);
    }
    void Click(QPoint p) {
        Mouse(QEvent::MouseMove, p);
        Mouse(QEvent::MouseButtonPress, p);
        Mouse(QEvent::MouseButtonRelease, p);
    }
    void DoubleClick(QPoint p) {
        Click(p);
        Mouse(QEvent::MouseButtonDblClick, p);
        Mouse(QEvent::MouseButtonRelease, p);
    }
    void Drag(QPoint from, QPoint to) {
        Mouse(QEvent::MouseMove, from);
        Mouse(QEvent::MouseButtonPress, from);
        for (int i = 1; i <= 8; ++i)
            Mouse(QEvent::MouseMove, from + (to - from) * i / 8);
        Mouse(QEvent::MouseButtonRelease, to);
    }
    void Tool(const QString& caption) {
        for (QToolButton* button : Form.ToolButtons)
            if (button->text() == caption) button->click();
    }
    TVariableInstance* ShapeOf(const std::string& name) {
        for (TVariableInstance* shape : Form.ActiveDocument()->Image().Elements)
            if (shape->Var() && shape->Var()->Name == name && !shape->IsClone) return shape;
        return nullptr;
    }
    QPoint Centre(TVariableInstance* shape) { return shape->HitRect.ToQRect().center(); }
    // Double-clicks the element at p and answers Element Set-Up with a name and an equation.
    void SetUp(QPoint p, const QString& name, const QString& equation) {
        Hooks.Shown = [&](QDialog& dialog) {
            auto* setUp = dynamic_cast<TFormVariable*>(&dialog);
            if (!setUp) return;
            if (!name.isEmpty()) setUp->EditName->setText(name);
            setUp->MemoEquation->setPlainText(equation);
            setUp->ButtonOK->click();
        };
        DoubleClick(p);
        Hooks.Shown = nullptr;
    }
    // The part of the diagram round the model.
    QPixmap Diagram(const QRect& around) {
        Settle();
        return Surface().grab(around);
    }
    bool Check(bool ok, const char* step) {
        if (!ok) std::fprintf(stderr, "the guide's step went otherwise: %s\n", step);
        return ok;
    }

    TSimulationMainForm& Form;
    TUnattendedHooks& Hooks;
    QString Images;
    Qt::MouseButtons Held = Qt::NoButton;
};

bool TGuideWalk::Walk() {
    bool ok = true;
    // Wide enough for every tool bar, narrow enough for the help window to show the guide's
    // first picture at its own size.
    const QSize size = Form.size();
    Form.resize(1180, 560);
    Settle();
    Form.NewModel();
    Form.MainView->RefreshView();
    const QRect area(110, 30, 690, 250);
    // Step 2: a resource, named and given its starting value.
    Tool("Resource");
    Click({480, 230});
    TVariableInstance* customers = ShapeOf("Resource 1");
    if (!Check(customers != nullptr, "2: a resource appears")) return false;
    SetUp(Centre(customers), "Customers", "100");
    ok = Check(customers->Var()->Name == "Customers", "2: the resource is named") && ok;

    // Step 3: a flow to the left; its arrow end dragged onto the resource.
    Tool("Flow");
    Click({230, 230});
    TVariableInstance* shape = ShapeOf("Flow 1");
    auto* flow = dynamic_cast<TFlowInstance*>(shape);
    if (!Check(flow && flow->Outflow() && !flow->Outflow()->To(), "3: a flow with a free end"))
        return false;
    Form.MainView->RefreshView();
    TLinkInstance* pipe = flow->Outflow();
    const QPoint onPipe((pipe->ViewPoints[0].X + pipe->ViewPoints[3].X) / 2,
                        (pipe->ViewPoints[0].Y + pipe->ViewPoints[3].Y) / 2);
    Click(onPipe);
    Form.MainView->RefreshView();
    const QPoint tip(pipe->ViewPoints[3].X, pipe->ViewPoints[3].Y);
    QPixmap before = Diagram(area);
    Drag(tip, Centre(customers) - QPoint(12, 0));
    ok = Check(pipe->To() == customers, "3: the pipe's end takes hold of the resource") && ok;
    Form.MainView->RefreshView();
    QPixmap after = Diagram(area);
    {
        // Before and after, side by side, cut to the flow and the resource.
        const QRect part(50, 140, 420, 125);
        QPixmap both(part.width() * 2 + 12, part.height());
        both.fill(Qt::white);
        QPainter painter(&both);
        painter.drawPixmap(0, 0, before.copy(part));
        painter.drawPixmap(part.width() + 12, 0, after.copy(part));
        painter.setPen(Qt::gray);
        painter.drawLine(part.width() + 6, 0, part.width() + 6, part.height());
        painter.end();
        ok = Write(both, Images + "/first-model-pipe.png") && ok;
    }
    SetUp(Centre(flow), "New Customers", "");

    // Step 4: the constant above the flow.
    Tool("Constant");
    Click({230, 80});
    TVariableInstance* rate = ShapeOf("Constant 1");
    if (!Check(rate != nullptr, "4: a constant appears")) return false;
    SetUp(Centre(rate), "Growth Rate", "5");

    // Step 5: two links; the log lists the links the equation does not use yet.
    // Pressed and released near the tops of the shapes, so that the links keep clear of the
    // pipe, as a user would draw them.
    const QRect valve = flow->HitRect.ToQRect();
    const QRect constant = rate->HitRect.ToQRect();
    Tool("Link");
    Drag({constant.center().x(), constant.bottom() - 1}, valve.center() - QPoint(0, 30));
    Tool("Link");
    Drag(Centre(customers) - QPoint(22, 22), valve.center() + QPoint(28, -24));
    ok = Check(Form.ActiveDocument()->Image().Links.Count() == 4, "5: two links drawn") && ok;
    ok = Check(Form.ErrorLog->isVisible() &&
                   Form.ErrorLog->MemoErrors->toPlainText() ==
                       "New Customers has links which have not been used in the variable's "
                       "equation",
               "5: the error log lists the unused links once") &&
         ok;
    Click({700, 400}); // nothing selected, as the picture shows it
    {
        QPixmap diagram = Diagram(area);
        QPixmap log = Form.ErrorLog->grab();
        QPixmap both(diagram.width(), diagram.height() + log.height() + 12);
        both.fill(Qt::white);
        QPainter painter(&both);
        painter.drawPixmap(0, 0, diagram);
        painter.drawPixmap((diagram.width() - log.width()) / 2, diagram.height() + 12, log);
        painter.end();
        ok = Write(both, Images + "/first-model-links.png") && ok;
    }

    // Step 6: the flow's equation uses both links: the log empties.
    SetUp(Centre(flow), "", "Customers * Growth_Rate / 100");
    ok = Check(!Form.ErrorLog->isVisible(), "6: the error log empties and closes") && ok;

    // Step 7: a graph of Customers that keeps its runs.
    Tool("Graph");
    Drag({560, 60}, {780, 210});
    Hooks.Shown = [&](QDialog& dialog) {
        if (auto* graph = dynamic_cast<TFormGraphEdit*>(&dialog)) {
            graph->ButtonAdd->click();
            graph->ListViewSeries->setCurrentItem(graph->ListViewSeries->topLevelItem(0));
            graph->ButtonEdit->click();
            graph->ButtonOK->click();
        } else if (auto* select = dynamic_cast<TFormVariableSelect*>(&dialog)) {
            select->ComboBoxVariables->setCurrentText("Customers");
            select->accept();
        } else if (auto* item = dynamic_cast<TFormGraphItemEdit*>(&dialog)) {
            item->ComboBoxHistory->setCurrentIndex(0); // Yes
            item->accept();
        }
    };
    DoubleClick({670, 135});
    Hooks.Shown = nullptr;

    // Step 8: Run, then Stop/Reset keeps the run in the graph.
    Form.ToolButtonPlay->click();
    while (Form.TimerSimulation->isActive())
        Form.TimerSimulationTimer();
    const TDataSeries& series = customers->Var()->Simulated;
    ok = Check(!series.IsEmpty() && std::fabs(series.Points.back().Value - 322.51) < 0.005,
               "8: Customers reaches 322.51 at month 24") &&
         ok;
    Click({700, 400});
    ok = Write(Diagram(area), Images + "/first-model-run.png") && ok;
    ok = Save(Form, Images + "/first-model-window.png") && ok;
    Form.ToolButtonStop->click();
    int kept = 0;
    for (TOutputControlInstance* control : Form.ActiveDocument()->Image().OutputControls)
        if (auto* graph = dynamic_cast<TGraphInstance*>(control))
            for (TVariableDataLink* entry : graph->Series)
                kept += entry->Run > 0;
    ok = Check(kept == 1, "8: the finished run stays in the graph") && ok;

    // The Equations page of the model, sorted by type: the resource's row shows its start
    // and its flow.
    TFormMainView& view = *Form.MainView;
    view.PageControlMain->setCurrentWidget(view.TabSheetEquations);
    view.ComboBoxEquationSortOrder->setCurrentIndex(1);
    Settle();
    const QTableWidget& grid = *view.GridEquations;
    const QRect rows(0, 0, std::min(grid.width(), 900),
                     grid.horizontalHeader()->height() + 4 * grid.rowHeight(0) + 4);
    ok = Write(view.GridEquations->grab(rows), Images + "/first-model-equations.png") && ok;
    ok = Check(grid.item(1, 3) && grid.item(1, 3)->text() == "init(100) ; + New Customers * dt",
               "the Equations page shows the resource's start and flow") &&
         ok;
    view.PageControlMain->setCurrentWidget(view.TabSheetModel);
    Form.ActiveDocument()->IsModified = false;
    Form.resize(size);
    Settle();
    return ok;
}

} // namespace

int main(int argc, char* argv[]) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication application(argc, argv);
    QApplication::setOrganizationName("Quorvane");
    QApplication::setApplicationName("Quorvane");
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
            LoadExample(form, examples, name);
            form.Run();
            while (form.TimerSimulation->isActive())
                form.TimerSimulationTimer();
            ok = Save(form, images + "/main-" + QFileInfo(name).completeBaseName() + ".png") && ok;
            form.StopReset();
        }
        ok = SaveSetUpWindows(form, hooks, examples, images) && ok;
        ok = SaveToolCursors(form, images) && ok;
        ok = SaveSupportWindow(form, images) && ok;
        ok = SaveFirstLinkErrorLog(form, images) && ok;
        ok = SaveSensitivityWindows(form, hooks, examples, images) && ok;
        ok = SaveCalibrationWindows(form, hooks, examples, images) && ok;
        // After the picture of where the log first appears: the walk's smaller window would
        // place it elsewhere.
        ok = TGuideWalk(form, hooks, images).Walk() && ok;
        // A model with errors: an equation that does not parse and one that leaves its
        // links unused.
        LoadExample(form, examples, "investment.qvf");
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
