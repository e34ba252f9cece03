#include "app/SimulationMain.h"

#include "app/ErrorReport.h"
#include "app/HelpWindow.h"
#include "app/ProgramInfo.h"
#include "app/Recovery.h"
#include "app/SupportWindow.h"
#include "app/TimeBar.h"
#include "app/TimeSettings.h"
#include "app/Utilities.h"
#include "app/analysis/SensitivityResults.h"
#include "app/diagram/MainView.h"
#include "app/dialogs/GraphOptions.h"
#include "app/print/PrintCommands.h"
#include "core/analysis/Calibration.h"
#include "document/model/DataFile.h"
#include "document/model/DiagramEdits.h"

#include <QActionGroup>
#include <QApplication>
#include <QButtonGroup>
#include <QCloseEvent>
#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QRegularExpressionValidator>
#include <QScreen>
#include <QStatusBar>
#include <QStatusTipEvent>
#include <QStyle>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>

TSimulationMainForm::TSimulationMainForm(const QString& commandLine, QWidget* parent)
    : QMainWindow(parent), CommandLine(commandLine.trimmed()) {
    setObjectName("SimulationMainForm");
    setWindowTitle("Quorvane");
    resize(1280, 820);
    if (QScreen* screen = QApplication::primaryScreen()) {
        const QRect available = screen->availableGeometry();
        resize(size().boundedTo(available.size()));
        move(available.center() - rect().center());
    }

    MainView = new TFormMainView(this, this);
    setCentralWidget(MainView);
    ErrorLog = new TFormModelErrors(this);
    TimeSettings = new TFormTimeSettings(this);
    Recovery = std::make_unique<TRecovery>();

    TimerSimulation = new QTimer(this);
    TimerSimulation->setObjectName("TimerSimulation");
    TimerSimulation->setInterval(10);
    TimerSimulation->setSingleShot(true); // switched on again at the end of each tick
    connect(TimerSimulation, &QTimer::timeout, this,
            [this] { RunGuarded([this] { TimerSimulationTimer(); }, this); });
    TimerStartUp = new QTimer(this);
    TimerStartUp->setObjectName("TimerStartUp");
    TimerStartUp->setSingleShot(true);
    TimerStartUp->setInterval(0);
    connect(TimerStartUp, &QTimer::timeout, this, [this] { RunGuarded([this] { StartUp(); }); });
    TimerRecovery = new QTimer(this);
    TimerRecovery->setObjectName("TimerRecovery");
    TimerRecovery->setInterval(2 * 60 * 1000);
    connect(TimerRecovery, &QTimer::timeout, this, &TSimulationMainForm::WriteRecoveryCopy);

    BuildActions();
    BuildMenus();
    BuildToolBars();

    StatusHint = new QLabel(this);
    StatusHint->setObjectName("StatusHint");
    StatusHint->setFixedWidth(300);
    StatusFile = new QLabel(this);
    StatusFile->setObjectName("StatusFile");
    statusBar()->addWidget(StatusHint);
    statusBar()->addWidget(StatusFile, 1);

    connect(ErrorLog, &TFormModelErrors::VisibilityChanged, this, [this](bool visible) {
        ActionShowErrorLog->setEnabled(!visible);
        ActionLogPopup->setEnabled(!visible);
    });
    connect(ErrorLog, &TFormModelErrors::PopupChanged, this,
            [this](bool on) { ActionLogPopup->setChecked(on); });
    connect(TimeBar, &TTimeBar::DoubleClicked, this,
            [this] { RunCommand(&TSimulationMainForm::ShowTimeSettings); });

    SetNotifier(this);
    ActionSave->setEnabled(false);
    ActionSaveAs->setEnabled(false);
    ActionExportXmile->setEnabled(false);
    ActionImportData->setEnabled(false);
    ActionExportPdf->setEnabled(false);
    for (int code = 0; code <= 9; ++code)
        SetActionState(code, false, true);
    TimerStartUp->start();
}

TSimulationMainForm::~TSimulationMainForm() {
    SetNotifier(nullptr);
    // The window goes after this form's members: it must not keep the analysis it shows.
    if (SensitivityResults) SensitivityResults->SetSession(nullptr);
    TimerSimulation->stop();
    MainView->SetDocument(nullptr);
    Document.reset();
}

QAction* TSimulationMainForm::MakeAction(const char* name, const QString& text, const QString& hint,
                                         const QKeySequence& key) {
    auto* action = new QAction(text, this);
    action->setObjectName(name);
    if (!hint.isEmpty()) {
        const qsizetype bar = hint.indexOf('|');
        action->setToolTip(bar < 0 ? hint : hint.left(bar));
        action->setStatusTip(bar < 0 ? hint : hint.mid(bar + 1));
    }
    if (!key.isEmpty()) action->setShortcut(key);
    return action;
}

void TSimulationMainForm::RunCommand(void (TSimulationMainForm::*command)()) {
    RunGuarded(
        [this, command] {
            RestoreZoomText();
            (this->*command)();
        },
        this);
}

void TSimulationMainForm::Connect(QAction* action, void (TSimulationMainForm::*command)()) {
    connect(action, &QAction::triggered, this, [this, command] { RunCommand(command); });
}

void TSimulationMainForm::BuildActions() {
    const QStyle* style = this->style();
    ActionNew = MakeAction("ActionNew", "&New", "New|Creates a new empty file", QKeySequence::New);
    ActionNew->setIcon(style->standardIcon(QStyle::SP_FileIcon));
    ActionOpen =
        MakeAction("ActionOpen", "&Open", "Open|Opens an existing file", QKeySequence::Open);
    ActionOpen->setIcon(style->standardIcon(QStyle::SP_DialogOpenButton));
    ActionSave = MakeAction("ActionSave", "&Save", "Save|Saves the file", QKeySequence::Save);
    ActionSave->setIcon(style->standardIcon(QStyle::SP_DialogSaveButton));
    ActionSaveAs =
        MakeAction("ActionSaveAs", "Save &As...", "Save As|Saves the file with a new name");
    ActionExportXmile = MakeAction("ActionExportXmile", "&Export XMILE...",
                                   "Export XMILE|Writes the model as an XMILE file");
    ActionImportData =
        MakeAction("ActionImportData", "&Import Data...",
                   "Import Data|Reads observed data from a CSV file into the sketched series");
    ActionPrintSetup = MakeAction("ActionPrintSetup", "Print Set&up...", "");
    ActionPrintPreview = MakeAction("ActionPrintPreview", "Print Pre&view", "Print Preview");
    ActionPrint = MakeAction("ActionPrint", "&Print...", "Print");
    ActionExportPdf =
        MakeAction("ActionExportPdf", "Export P&DF...",
                   "Export PDF|Writes the printed pages of the diagram as a PDF file");
    ActionProperties = MakeAction("ActionProperties", "Propert&ies", "");
    for (int i = 0; i < 4; ++i) {
        ActionRecent[i] = MakeAction(qPrintable(QString("ActionRecent%1").arg(i + 1)),
                                     QString("&%1").arg(i + 1), "");
        connect(ActionRecent[i], &QAction::triggered, this, [this, i] {
            RunGuarded(
                [this, i] {
                    RestoreZoomText();
                    OpenRecent(i);
                },
                this);
        });
    }
    ActionExit = MakeAction("ActionExit", "E&xit", "Exit|Quits the application");
    ActionUndo =
        MakeAction("ActionUndo", "&Undo", "Undo|Reverts the last action", QKeySequence::Undo);
    ActionCut =
        MakeAction("ActionCut", "Cu&t", "Cut|Cuts the selection and puts it on the Clipboard",
                   QKeySequence::Cut);
    ActionCopy =
        MakeAction("ActionCopy", "&Copy", "Copy|Copies the selection and puts it on the Clipboard",
                   QKeySequence::Copy);
    ActionPaste = MakeAction("ActionPaste", "&Paste", "Paste|Inserts Clipboard contents",
                             QKeySequence::Paste);
    ActionDelete = MakeAction("ActionDelete", "&Delete", "Delete|Erases the selection",
                              QKeySequence(Qt::Key_Delete));
    ActionSelectAll = MakeAction("ActionSelectAll", "Select &All",
                                 "Select All|Selects the entire document", QKeySequence::SelectAll);
    ActionZoomOut = MakeAction("ActionZoomOut", "Zoom &Out", "Zoom Out", QKeySequence(Qt::Key_F2));
    ActionZoomOut->setIcon(style->standardIcon(QStyle::SP_ArrowDown));
    ActionZoomIn = MakeAction("ActionZoomIn", "Zoom &In", "Zoom In", QKeySequence(Qt::Key_F3));
    ActionZoomIn->setIcon(style->standardIcon(QStyle::SP_ArrowUp));
    ActionGraphOptions = MakeAction("ActionGraphOptions", "&Graph Options", "");
    ActionShowErrorLog = MakeAction("ActionShowErrorLog", "&Show Error Log", "");
    ActionLogPopup = MakeAction("ActionLogPopup", "&Log Popup on New Error", "");
    ActionLogPopup->setCheckable(true);
    ActionLogPopup->setChecked(true);
    ActionTimeSettings = MakeAction("ActionTimeSettings", "&Time Settings", "Time Settings");
    ActionStopReset = MakeAction("ActionStopReset", "&Stop/Reset", "Stop/Reset");
    ActionPauseRun = MakeAction("ActionPauseRun", "&Pause Run", "Pause Run");
    ActionBackOneStep = MakeAction("ActionBackOneStep", "&Back One Step", "Back One Step");
    ActionRunStep = MakeAction("ActionRunStep", "Run S&tep", "Run Step");
    ActionRun = MakeAction("ActionRun", "&Run", "Run");
    ActionRunToEnd =
        MakeAction("ActionRunToEnd", "Run to &End",
                   "Run to End|Computes the rest of the run at full speed and shows its end",
                   QKeySequence(Qt::Key_F9));
    ActionSensitivitySetUp = MakeAction("ActionSensitivitySetUp", "Sensitivity &Set-Up...",
                                        "Sensitivity Set-Up|The constants that vary, and how");
    ActionRunSensitivity = MakeAction("ActionRunSensitivity", "&Run Sensitivity",
                                      "Run Sensitivity|Many runs with the constants varied");
    ActionSensitivityResults =
        MakeAction("ActionSensitivityResults", "Sensitivity Res&ults",
                   "Sensitivity Results|The bands of the last sensitivity runs");
    ActionCalibrate =
        MakeAction("ActionCalibrate", "&Calibrate...",
                   "Calibrate|The constants for which the model reproduces the observed data");
    ActionHelp = MakeAction("ActionHelp", "&Help", "Help|The user guide",
                            QKeySequence(QKeySequence::HelpContents));
    ActionSupport = MakeAction("ActionSupport", "&Support", "");
    ActionAbout = MakeAction("ActionAbout", "&About...", "");

    Connect(ActionNew, &TSimulationMainForm::NewModel);
    Connect(ActionOpen, &TSimulationMainForm::OpenModel);
    connect(ActionSave, &QAction::triggered, this, [this] {
        RunGuarded(
            [this] {
                RestoreZoomText();
                Save();
            },
            this);
    });
    connect(ActionSaveAs, &QAction::triggered, this, [this] {
        RunGuarded(
            [this] {
                RestoreZoomText();
                SaveAs();
            },
            this);
    });
    connect(ActionExportXmile, &QAction::triggered, this, [this] {
        RunGuarded(
            [this] {
                RestoreZoomText();
                ExportXmileFile();
            },
            this);
    });
    Connect(ActionImportData, &TSimulationMainForm::ImportDataFile);
    connect(ActionExit, &QAction::triggered, this, &QWidget::close);
    const std::pair<QAction*, int> edits[] = {{ActionUndo, acUndo},
                                              {ActionCut, acCut},
                                              {ActionCopy, acCopy},
                                              {ActionPaste, acPaste},
                                              {ActionDelete, acDelete},
                                              {ActionSelectAll, acSelectAll},
                                              {ActionPrint, acPrint},
                                              {ActionPrintPreview, acPrintPreview},
                                              {ActionPrintSetup, acPrintSetup}};
    for (const auto& [action, code] : edits) {
        const int command = code;
        connect(action, &QAction::triggered, this, [this, command] {
            RunGuarded(
                [this, command] {
                    RestoreZoomText();
                    if (command >= acPrint && command <= acPrintSetup)
                        PrintCommand(command);
                    else if (ActiveDocument())
                        MainView->EditCommand(command);
                },
                this);
        });
    }
    Connect(ActionExportPdf, &TSimulationMainForm::ExportPdfFile);
    Connect(ActionProperties, &TSimulationMainForm::ShowPropertiesDialog);
    connect(ActionZoomOut, &QAction::triggered, this,
            [this] { RunGuarded([this] { ZoomBy(false); }, this); });
    connect(ActionZoomIn, &QAction::triggered, this,
            [this] { RunGuarded([this] { ZoomBy(true); }, this); });
    connect(ActionGraphOptions, &QAction::triggered, this, [this] {
        RunGuarded(
            [this] {
                RestoreZoomText();
                TDataFile* document = ActiveDocument();
                if (document && OpenGraphOptions(*document, this)) RepaintActiveView();
            },
            this);
    });
    Connect(ActionShowErrorLog, &TSimulationMainForm::ShowErrorLog);
    connect(ActionLogPopup, &QAction::toggled, this,
            [this](bool on) { ErrorLog->SetPopupOnNewError(on); });
    Connect(ActionTimeSettings, &TSimulationMainForm::ShowTimeSettings);
    const std::pair<QAction*, void (TSimulationMainForm::*)()> runs[] = {
        {ActionStopReset, &TSimulationMainForm::StopReset},
        {ActionPauseRun, &TSimulationMainForm::PauseRun},
        {ActionBackOneStep, &TSimulationMainForm::BackOneStep},
        {ActionRunStep, &TSimulationMainForm::RunStep},
        {ActionRun, &TSimulationMainForm::Run},
        {ActionRunToEnd, &TSimulationMainForm::RunToEndCommand}};
    for (const auto& [action, command] : runs) {
        auto run = command;
        connect(action, &QAction::triggered, this, [this, run] { RunButtonCommand(run); });
    }
    Connect(ActionSensitivitySetUp, &TSimulationMainForm::ShowSensitivitySetUp);
    Connect(ActionRunSensitivity, &TSimulationMainForm::RunSensitivity);
    Connect(ActionSensitivityResults, &TSimulationMainForm::ShowSensitivityResults);
    Connect(ActionCalibrate, &TSimulationMainForm::ShowCalibration);
    Connect(ActionHelp, &TSimulationMainForm::ShowHelp);
    Connect(ActionSupport, &TSimulationMainForm::ShowSupport);
    Connect(ActionAbout, &TSimulationMainForm::ShowAbout);
}

void TSimulationMainForm::BuildMenus() {
    QMenu* file = menuBar()->addMenu("&File");
    file->addActions({ActionNew, ActionOpen, ActionSave, ActionSaveAs, ActionExportXmile});
    file->addSeparator();
    file->addAction(ActionImportData);
    file->addSeparator();
    file->addActions({ActionPrintSetup, ActionPrintPreview, ActionPrint, ActionExportPdf});
    file->addSeparator();
    file->addAction(ActionProperties);
    RecentSeparator = file->addSeparator();
    for (QAction* recent : ActionRecent)
        file->addAction(recent);
    file->addSeparator();
    file->addAction(ActionExit);

    QMenu* edit = menuBar()->addMenu("&Edit");
    edit->addAction(ActionUndo);
    edit->addSeparator();
    edit->addActions({ActionCut, ActionCopy, ActionPaste});
    edit->addSeparator();
    edit->addAction(ActionDelete);
    edit->addSeparator();
    edit->addAction(ActionSelectAll);

    QMenu* view = menuBar()->addMenu("&View");
    view->addActions({ActionZoomOut, ActionZoomIn});
    view->addSeparator();
    view->addAction(ActionGraphOptions);
    view->addSeparator();
    view->addActions({ActionShowErrorLog, ActionLogPopup});

    QMenu* run = menuBar()->addMenu("&Run");
    run->addActions({ActionRun, ActionRunToEnd, ActionRunStep, ActionPauseRun, ActionBackOneStep});
    run->addSeparator();
    run->addAction(ActionStopReset);

    menuBar()->addMenu("&Settings")->addAction(ActionTimeSettings);

    QMenu* analysis = menuBar()->addMenu("&Analysis");
    analysis->setObjectName("MenuAnalysis");
    analysis->addActions({ActionSensitivitySetUp, ActionRunSensitivity, ActionSensitivityResults});
    analysis->addSeparator();
    analysis->addAction(ActionCalibrate);

    QMenu* help = menuBar()->addMenu("&Help");
    help->addAction(ActionHelp);
    help->addSeparator();
    help->addAction(ActionSupport);
    help->addSeparator();
    help->addAction(ActionAbout);
}

namespace {

QToolButton* MakeToolButton(QToolBar* bar, const char* name, const QString& text,
                            const QString& hint) {
    auto* button = new QToolButton(bar);
    button->setObjectName(name);
    button->setText(text);
    button->setToolTip(hint);
    button->setStatusTip(hint);
    button->setAccessibleName(text.isEmpty() ? hint : text);
    bar->addWidget(button);
    return button;
}

} // namespace

void TSimulationMainForm::BuildToolBars() {
    QToolBar* application = addToolBar("Application");
    application->setObjectName("ToolBarApplication");
    application->addActions({ActionNew, ActionOpen, ActionSave});
    application->addSeparator();
    application->addActions({ActionPrint, ActionPrintPreview});
    application->addSeparator();
    application->addActions({ActionCut, ActionCopy, ActionPaste, ActionDelete});
    ZoomSeparator = application->addSeparator();
    application->addActions({ActionZoomOut, ActionZoomIn});
    ComboBoxZoom = new QComboBox(application);
    ComboBoxZoom->setObjectName("ComboBoxZoom");
    ComboBoxZoom->setEditable(true);
    ComboBoxZoom->addItems({"25%", "50%", "75%", "100%", "200%", "400%"});
    ComboBoxZoom->setEditText("100%");
    ComboBoxZoom->setToolTip("Zoom Level");
    ComboBoxZoom->setAccessibleName("Zoom Level");
    ComboBoxZoom->setInsertPolicy(QComboBox::NoInsert);
    // Completing "5" to "50%" would apply a zoom nobody typed.
    ComboBoxZoom->setCompleter(nullptr);
    ComboBoxZoom->lineEdit()->setValidator(
        new QRegularExpressionValidator(QRegularExpression("[0-9]*%?"), ComboBoxZoom));
    // The box keeps the keyboard focus and hands keys to its line edit directly, past any
    // filter there: Enter and Escape are caught on the box itself.
    ComboBoxZoom->installEventFilter(this);
    ComboBoxZoom->lineEdit()->installEventFilter(this);
    connect(ComboBoxZoom, &QComboBox::textActivated, this,
            [this](const QString&) { RunGuarded([this] { ZoomEntered(); }, this); });
    ComboZoomAction = application->addWidget(ComboBoxZoom);

    QToolBar* tools = addToolBar("Diagram Tools");
    tools->setObjectName("ToolBarTools");
    tools->setToolButtonStyle(Qt::ToolButtonTextOnly);
    const std::pair<const char*, int> toolList[] = {
        {"Resource", 11}, {"Flow", 3},  {"Variable", 2}, {"Constant", 1}, {"Link", 4},
        {"Clone", 5},     {"Find", 14}, {"Table", 6},    {"Graph", 13},   {"Note", 8}};
    auto* group = new QButtonGroup(this);
    group->setExclusive(false); // a refused tool pops up again by itself
    for (const auto& [caption, tag] : toolList) {
        QToolButton* button =
            MakeToolButton(tools, qPrintable(QString("ToolButton") + caption), caption, caption);
        button->setCheckable(true);
        button->setProperty("tag", tag);
        group->addButton(button);
        ToolButtons.push_back(button);
        connect(button, &QToolButton::clicked, this,
                [this, button] { RunGuarded([this, button] { ChooseTool(button); }, this); });
    }

    addToolBarBreak(); // the time bar needs a row of its own to be readable
    QToolBar* simulation = addToolBar("Simulation");
    simulation->setObjectName("ToolBarSimulation");
    const QStyle* style = this->style();
    ToolButtonStop = MakeToolButton(simulation, "ToolButtonStop", "", "Stop/Reset");
    ToolButtonStop->setIcon(style->standardIcon(QStyle::SP_MediaStop));
    ToolButtonPause = MakeToolButton(simulation, "ToolButtonPause", "", "Pause Run");
    ToolButtonPause->setIcon(style->standardIcon(QStyle::SP_MediaPause));
    ToolButtonPause->setCheckable(true);
    ToolButtonStepBack = MakeToolButton(simulation, "ToolButtonStepBack", "", "Back One Step");
    ToolButtonStepBack->setIcon(style->standardIcon(QStyle::SP_MediaSeekBackward));
    ToolButtonPlayStep = MakeToolButton(simulation, "ToolButtonPlayStep", "", "Run Step");
    ToolButtonPlayStep->setIcon(style->standardIcon(QStyle::SP_MediaSkipForward));
    ToolButtonPlay = MakeToolButton(simulation, "ToolButtonPlay", "", "Run");
    ToolButtonPlay->setIcon(style->standardIcon(QStyle::SP_MediaPlay));
    ToolButtonPlay->setCheckable(true);
    ToolButtonRunToEnd = MakeToolButton(simulation, "ToolButtonRunToEnd", "", "Run to End (F9)");
    ToolButtonRunToEnd->setIcon(style->standardIcon(QStyle::SP_MediaSeekForward));
    ToolButtonRunToEnd->setStatusTip(ActionRunToEnd->statusTip());
    ToolButtonRunToEnd->setAccessibleName("Run to End");
    ToolButtonRunToEnd->setCheckable(true);
    const std::pair<QToolButton*, void (TSimulationMainForm::*)()> runs[] = {
        {ToolButtonStop, &TSimulationMainForm::StopReset},
        {ToolButtonPause, &TSimulationMainForm::PauseRun},
        {ToolButtonStepBack, &TSimulationMainForm::BackOneStep},
        {ToolButtonPlayStep, &TSimulationMainForm::RunStep},
        {ToolButtonPlay, &TSimulationMainForm::Run},
        {ToolButtonRunToEnd, &TSimulationMainForm::RunToEndCommand}};
    for (const auto& [button, command] : runs) {
        auto run = command;
        connect(button, &QToolButton::clicked, this, [this, run] { RunButtonCommand(run); });
    }
    ToolButtonTimeSettings =
        MakeToolButton(simulation, "ToolButtonTimeSettings", "Time Settings", "Time Settings");
    ToolButtonTimeSettings->setToolButtonStyle(Qt::ToolButtonTextOnly);
    connect(ToolButtonTimeSettings, &QToolButton::clicked, this,
            [this] { RunCommand(&TSimulationMainForm::ShowTimeSettings); });
    TimeBar = new TTimeBar(simulation);
    simulation->addWidget(TimeBar);
}

void TSimulationMainForm::RunButtonCommand(void (TSimulationMainForm::*command)()) {
    RunCommand(command);
    // After a run command the diagram is back to plain selection, its cursor included.
    for (QToolButton* tool : ToolButtons)
        tool->setChecked(false);
    MainView->DropTool();
}

void TSimulationMainForm::ChooseTool(QToolButton* button) {
    RestoreZoomText();
    StickyTool = QApplication::keyboardModifiers().testFlag(Qt::ControlModifier);
    for (QToolButton* other : ToolButtons)
        if (other != button) other->setChecked(false);
    // Find changes nothing, so it works during a run as the context menu's Find does.
    const bool find = button->property("tag").toInt() == dtFind;
    if (!ActiveDocument() || (EditingLocked && !find)) {
        button->setChecked(false);
        return;
    }
    MainView->SelectTool(button, StickyTool);
}

TDataFile* TSimulationMainForm::ActiveDocument() const {
    return Document.get();
}

TSimulationObject* TSimulationMainForm::ActiveSimulation() const {
    return Document ? Document->Simulation.get() : nullptr;
}

void TSimulationMainForm::SetActionState(int code, bool enabled, bool visible) {
    TSimulationObject* simulation = ActiveSimulation();
    if (!simulation) enabled = false;
    const bool started = simulation && simulation->IsStarted();
    // A run locks the commands that change the model; the view's own rule decides the rest.
    if ((started || EditingLocked) && code >= acUndo && code <= acDelete) enabled = false;
    // Select All takes what a click would: nothing while a continuous run advances.
    if (code == acSelectAll && (Running() || !EditingAllowed())) enabled = false;
    // A paused or finished run prints as it stands; only an advancing one cannot.
    if (code >= acPrint && code <= acPrintSetup && Running()) enabled = false;
    if (code == acPrint) ActionExportPdf->setEnabled(enabled);
    QAction* actions[] = {ActionUndo,         ActionCut,       ActionCopy, ActionPaste,
                          ActionDelete,       ActionSelectAll, nullptr,    ActionPrint,
                          ActionPrintPreview, ActionPrintSetup};
    if (code == acZoom) {
        for (QAction* action : {ActionZoomOut, ActionZoomIn, ComboZoomAction, ZoomSeparator}) {
            action->setEnabled(enabled);
            action->setVisible(visible);
        }
        return;
    }
    if (code < 0 || code > 9 || !actions[code]) return;
    actions[code]->setEnabled(enabled);
    actions[code]->setVisible(visible);
}

void TSimulationMainForm::ShowStatus(const QString& text) {
    // The hint panel: the next hint of what the pointer passes over replaces it.
    StatusHint->setText(text);
}

void TSimulationMainForm::ModelRestored() {
    // The time bar, the zoom box and the title show the model as Undo left it; the check
    // that Undo ran has filled the error log.
    UpdateTimeBar();
    ShowDocumentZoom();
    ShowCaption();
}

bool TSimulationMainForm::EditingAllowed() const {
    const TSimulationObject* simulation = ActiveSimulation();
    return simulation && (simulation->AtStart || simulation->Paused);
}

void TSimulationMainForm::PrintCommand(int code) {
    TDataFile* document = ActiveDocument();
    if (!document) return;
    const TActiveDocument active = [this] { return ActiveDocument(); };
    if (code == acPrint)
        PrintDiagram(*document, this, active);
    else if (code == acPrintPreview)
        PreviewDiagram(*document, this, active);
    else if (code == acPrintSetup)
        ShowPageSetup(*document, this, active);
    // A Page Setup change is one undo step.
    if (ActiveDocument()) MainView->UpdateEditActions();
}

void TSimulationMainForm::ExportPdfFile() {
    if (TDataFile* document = ActiveDocument())
        ExportPdf(*document, this, [this] { return ActiveDocument(); });
}

void TSimulationMainForm::ShowPropertiesDialog() {
    if (TDataFile* document = ActiveDocument()) ShowProperties(*document, this);
}

void TSimulationMainForm::EvaluationWarning(const std::string& text) {
    ShowMessage(TMessageKind::Warning, Q(text), mbOK, this);
}

void TSimulationMainForm::ModelCheckMessages(const std::vector<std::string>& messages) {
    ErrorLog->ShowErrors(messages);
}

void TSimulationMainForm::WriteRecoveryCopy() {
    // A failing recovery copy must not interrupt the user every two minutes.
    try {
        if (Document && Document->IsModified) Recovery->Write(*Document);
    } catch (...) {
    }
}

void TSimulationMainForm::ShowErrorLog() {
    ErrorLog->RequestShow();
    ActionShowErrorLog->setEnabled(false);
    if (TSimulationObject* simulation = ActiveSimulation()) simulation->CheckModel();
    if (!ErrorLog->isVisible()) ActionShowErrorLog->setEnabled(true);
}

void TSimulationMainForm::ShowHelp() {
    if (!HelpWindow) HelpWindow = new THelpWindow(this);
    HelpWindow->show();
    HelpWindow->raise();
    HelpWindow->activateWindow();
}

void TSimulationMainForm::ShowSupport() {
    if (!SupportWindow) {
        SupportWindow = new TFormSupport(this);
        connect(SupportWindow, &TFormSupport::TroubleshootingRequested, this, [this] {
            RunGuarded(
                [this] {
                    ShowHelp();
                    HelpWindow->ShowSection("Troubleshooting");
                },
                this);
        });
    }
    SupportWindow->Fill(GatherSupportFacts(Recovery->Folder));
    SupportWindow->show();
    SupportWindow->raise();
    SupportWindow->activateWindow();
}

void TSimulationMainForm::ShowAbout() {
    ShowAboutBox(this);
}

bool TSimulationMainForm::event(QEvent* event) {
    if (event->type() == QEvent::StatusTip) {
        // The long hint of what is under the pointer goes to the first panel.
        if (StatusHint) StatusHint->setText(static_cast<QStatusTipEvent*>(event)->tip());
        return true;
    }
    return QMainWindow::event(event);
}

bool TSimulationMainForm::eventFilter(QObject* watched, QEvent* event) {
    if (ComboBoxZoom && (watched == ComboBoxZoom || watched == ComboBoxZoom->lineEdit())) {
        if (event->type() == QEvent::FocusIn) ZoomText = ComboBoxZoom->currentText();
        if (event->type() == QEvent::KeyPress) {
            auto* key = static_cast<QKeyEvent*>(event);
            if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
                RunGuarded([this] { ZoomEntered(); }, this);
                return true;
            }
            if (key->key() == Qt::Key_Escape) {
                RestoreZoomText();
                return true;
            }
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

void TSimulationMainForm::closeEvent(QCloseEvent* event) {
    bool close = false;
    RunGuarded(
        [&] {
            RestoreZoomText();
            if (!CheckSaveChanges()) return;
            TimerSimulation->stop();
            WriteRecentFiles();
            Recovery->Remove();
            close = true;
        },
        this);
    if (close) {
        ErrorLog->hide();
        if (HelpWindow) HelpWindow->close();
        if (SupportWindow) SupportWindow->close();
        event->accept();
    } else {
        event->ignore();
    }
}
