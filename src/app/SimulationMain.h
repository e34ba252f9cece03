#pragma once
// The program's frame window: menus, tool bars, status bar, the diagram window as its
// central widget, the file commands and recent files (SimulationFile.cpp), the run control
// with the time bar (RunControl.cpp) and recovery copies (Recovery.cpp).

#include "app/MainRules.h"
#include "app/diagram/BaseChildWindow.h"
#include "core/support/Notifier.h"

#include <QMainWindow>

#include <memory>

class QAction;
class QActionGroup;
class QComboBox;
class QLabel;
class QTimer;
class QToolButton;
class TDataFile;
class TFormMainView;
class TFormSensitivityResults;
struct TSensitivitySession;
struct TCalibrationSetUp;
class TFormModelErrors;
class TFormSupport;
class TFormTimeSettings;
class THelpWindow;
class TRecovery;
class TSimulationObject;
class TTimeBar;

class TSimulationMainForm : public QMainWindow, public TActionTarget, public TNotifier {
    Q_OBJECT
public:
    // commandLine: the arguments joined by single blanks; it names a model to open.
    explicit TSimulationMainForm(const QString& commandLine = QString(), QWidget* parent = nullptr);
    ~TSimulationMainForm() override;

    // The start-up timer's tick: the first document, recent files, the command-line model.
    void StartUp();
    TDataFile* ActiveDocument() const;
    TSimulationObject* ActiveSimulation() const;

    // Files.
    bool CheckSaveChanges();
    bool SaveCurrent();
    bool Save();
    bool SaveAs();
    void NewModel();
    void OpenModel();
    void LoadModel(const QString& fileName, bool ask);
    // An XMILE file as a new, unsaved model; on failure the current model stays.
    void ImportXmile(const QString& fileName);
    void ExportXmileFile();
    // File > Import Data...: observed data from a CSV file into the sketched series.
    void ImportDataFile();
    void OpenRecent(int index);
    void AddRecent(const QString& fileName);
    void ReadRecentFiles();
    void WriteRecentFiles() const;
    void UpdateRecentMenu();

    // Zoom.
    int ApplyZoom(int percent);
    void ZoomBy(bool zoomIn);
    void ZoomEntered();
    void RestoreZoomText();

    // Running.
    void StopReset();
    void PauseRun();
    void BackOneStep();
    void RunStep();
    void Run();
    // "Run to End": the rest of the run in budgeted ticks, painted once at its end.
    void RunToEndCommand();
    // One tick: the steps up to the next repaint point, or towards the stop time, within
    // TickBudgetNs of work.
    void TimerSimulationTimer();
    void LockEditing(bool locked);
    void UpdateTimeBar();
    void RepaintActiveView();
    void ShowTimeSettings();
    bool Running() const;

    // The recovery timer's tick: a copy of a model with unsaved changes.
    void WriteRecoveryCopy();
    // Makes a recovered copy the open document.
    void InstallRecovered(std::unique_ptr<TDataFile> document);

    // The Analysis menu: the set-up, the runs on worker threads and their results.
    void ShowSensitivitySetUp();
    void RunSensitivity();
    void ShowSensitivityResults();
    // Analysis > Calibrate...: after Apply the model runs to its end, so that the graphs show
    // the simulated values beside the observed ones.
    void ShowCalibration();

    // The error log's commands.
    void ShowErrorLog();

    // The printing commands on the active document; Properties.
    void PrintCommand(int code);
    void ExportPdfFile();
    void ShowPropertiesDialog();

    void SetActionState(int code, bool enabled, bool visible) override;
    bool EditingAllowed() const override;
    bool RunLocksEditing() const override { return EditingLocked; }
    void ShowStatus(const QString& text) override;
    void ModelRestored() override;

    // Notifier: evaluation warnings and model-check messages.
    void EvaluationWarning(const std::string& text) override;
    void ModelCheckMessages(const std::vector<std::string>& messages) override;

    TRecentFiles RecentFiles;
    QString ZoomText = "100%";
    QString Caption; // the title set by ShowCaption
    QString CommandLine;
    std::unique_ptr<TDataFile> Document;
    bool EditingLocked = false;
    bool StickyTool = false;
    // The advancing run is a Run to End: no repaint before the end. Pause keeps it, so
    // that resuming goes on to the end; the other run commands end it.
    bool RunningToEnd = false;
    // The work one tick may do before it lets the user interface run again.
    int64_t TickBudgetNs = 15'000'000;

    TFormMainView* MainView = nullptr;
    TFormModelErrors* ErrorLog = nullptr;
    TFormTimeSettings* TimeSettings = nullptr;
    THelpWindow* HelpWindow = nullptr;
    TFormSupport* SupportWindow = nullptr;
    std::unique_ptr<TRecovery> Recovery;
    // The last analysis and its window (made when first needed).
    std::unique_ptr<TSensitivitySession> Sensitivity;
    TFormSensitivityResults* SensitivityResults = nullptr;
    // The set-up of the last calibration, offered again (not stored with the model).
    std::unique_ptr<TCalibrationSetUp> CalibrationSetUp;
    TTimeBar* TimeBar = nullptr;
    QTimer* TimerSimulation = nullptr;
    QTimer* TimerStartUp = nullptr;
    QTimer* TimerRecovery = nullptr;
    QComboBox* ComboBoxZoom = nullptr;
    QLabel* StatusHint = nullptr;
    QLabel* StatusFile = nullptr;

    QAction* ActionNew = nullptr;
    QAction* ActionOpen = nullptr;
    QAction* ActionSave = nullptr;
    QAction* ActionSaveAs = nullptr;
    QAction* ActionExportXmile = nullptr;
    QAction* ActionImportData = nullptr;
    QAction* ActionPrintSetup = nullptr;
    QAction* ActionPrintPreview = nullptr;
    QAction* ActionPrint = nullptr;
    QAction* ActionExportPdf = nullptr;
    QAction* ActionProperties = nullptr;
    QAction* ActionRecent[4] = {};
    QAction* RecentSeparator = nullptr;
    QAction* ActionExit = nullptr;
    QAction* ActionUndo = nullptr;
    QAction* ActionCut = nullptr;
    QAction* ActionCopy = nullptr;
    QAction* ActionPaste = nullptr;
    QAction* ActionDelete = nullptr;
    QAction* ActionSelectAll = nullptr;
    QAction* ActionZoomOut = nullptr;
    QAction* ActionZoomIn = nullptr;
    QAction* ZoomSeparator = nullptr;
    QAction* ActionGraphOptions = nullptr;
    QAction* ActionShowErrorLog = nullptr;
    QAction* ActionLogPopup = nullptr;
    QAction* ActionTimeSettings = nullptr;
    // The "Run" menu: the run buttons' commands, and Run to End's shortcut.
    QAction* ActionStopReset = nullptr;
    QAction* ActionPauseRun = nullptr;
    QAction* ActionBackOneStep = nullptr;
    QAction* ActionRunStep = nullptr;
    QAction* ActionRun = nullptr;
    QAction* ActionRunToEnd = nullptr;
    QAction* ActionSensitivitySetUp = nullptr;
    QAction* ActionRunSensitivity = nullptr;
    QAction* ActionSensitivityResults = nullptr;
    QAction* ActionCalibrate = nullptr;
    QAction* ActionHelp = nullptr;
    QAction* ActionSupport = nullptr;
    QAction* ActionAbout = nullptr;
    QAction* ComboZoomAction = nullptr;
    QToolButton* ToolButtonStop = nullptr;
    QToolButton* ToolButtonPause = nullptr;
    QToolButton* ToolButtonStepBack = nullptr;
    QToolButton* ToolButtonPlayStep = nullptr;
    QToolButton* ToolButtonPlay = nullptr;
    QToolButton* ToolButtonRunToEnd = nullptr;
    QToolButton* ToolButtonTimeSettings = nullptr;
    std::vector<QToolButton*> ToolButtons; // the diagram tools

protected:
    void closeEvent(QCloseEvent* event) override;
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void BuildActions();
    void BuildMenus();
    void BuildToolBars();
    QAction* MakeAction(const char* name, const QString& text, const QString& hint,
                        const QKeySequence& key = QKeySequence());
    void Connect(QAction* action, void (TSimulationMainForm::*command)());
    void RunCommand(void (TSimulationMainForm::*command)());
    // Puts doc in place of the current document and shows it as New does.
    void ReplaceDocument(std::unique_ptr<TDataFile> document);
    void ShowFileName();
    // The title bar: the model's file and whether it has unsaved changes; "Quorvane" alone
    // for a model never saved.
    void ShowCaption();
    void ShowDocumentZoom();
    void StopTimerForReplacement();
    void ChooseTool(QToolButton* button);
    // A run command from its button or menu item; afterwards the diagram is back to plain
    // selection.
    void RunButtonCommand(void (TSimulationMainForm::*command)());
    void StartTimer(int interval);

public:
    void ShowHelp();
    void ShowSupport();
    void ShowAbout();
};
