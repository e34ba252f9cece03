#pragma once
// "Calibrate...": the constants to fit with their bounds, the targets with their weights and
// the optimiser's settings; Start runs the calibration on worker threads while the window
// shows the evaluations and the best payoff so far (Cancel stops it); the result table shows
// each constant's start, fitted value and interval, and Apply writes the fitted values into
// the model as one undoable edit. The workers run copies of the model: until Apply, the
// document is never touched.

#include "core/analysis/Calibration.h"

#include <QComboBox>
#include <QDialog>
#include <QLabel>
#include <QObject>
#include <QProgressBar>
#include <QPushButton>
#include <QTableWidget>

#include <functional>

class TDataFile;
class TNumberEdit;

// Hands the calibration's progress, on the thread running it, to the window's thread.
class TCalibrationBridge : public QObject, public TCalibrationObserver {
    Q_OBJECT
public:
    void CalibrationProgress(int64_t evaluations, double best) override {
        emit Progress(evaluations, best);
    }
signals:
    void Progress(qint64 evaluations, double best);
    void Finished();
};

class TFormCalibrate : public QDialog {
    Q_OBJECT
public:
    TFormCalibrate(TDataFile& document, QWidget* parent = nullptr);

    // Shows setUp (constants and targets the model no longer has are left out).
    void Fill(const TCalibrationSetUp& setUp);
    // The set-up as entered, or the first problem shown and false.
    bool Read(TCalibrationSetUp& setUp);

    // "Add..." through Variable Select: a constant with bounds either side of its value.
    void AddParameter();
    void DeleteParameter();
    // "Add..." through Variable Select: an element with observed points.
    void AddTarget();
    void DeleteTarget();
    // Runs the calibration and returns when it has ended (the window stays responsive).
    void StartCalibration();
    void CancelCalibration();
    // Writes the fitted values into the model and closes the window.
    void ApplyResult();
    // During a run, Escape and the close box ask to cancel; the window stays.
    void reject() override;

    TCalibrationSetUp SetUp;
    bool Running = false;
    bool HasResult = false;
    bool Applied = false;
    TCalibrationPlan Plan;
    TCalibrationResult Result;
    // Called after each progress report is shown (tests cancel from here).
    std::function<void()> Progressed;

    QTableWidget* TableParameters;
    QPushButton* ButtonAddParameter;
    QPushButton* ButtonDeleteParameter;
    QTableWidget* TableTargets;
    QPushButton* ButtonAddTarget;
    QPushButton* ButtonDeleteTarget;
    QComboBox* ComboBoxMethod;
    TNumberEdit* EditEvaluations;
    TNumberEdit* EditStarts;
    TNumberEdit* EditTolerance;
    QPushButton* ButtonStart;
    QPushButton* ButtonCancel;
    QLabel* LabelProgress;
    QProgressBar* ProgressBar;
    QTableWidget* TableResult;
    QLabel* LabelSummary;
    QPushButton* ButtonApply;
    QPushButton* ButtonClose;

private:
    void ShowProgress(qint64 evaluations, double best);
    void ShowResult(TAnalysisOutcome outcome, const std::string& failure);
    void SetRunning(bool running);
    void AddParameterRow(const TFitParameter& parameter);
    void AddTargetRow(const TFitTarget& target);
    TDataFile& Document;
    TCalibrationRunner* Runner = nullptr;
};

// The menu command: refused during a run, else the window, starting from setUp (the last
// one used, kept by the caller). True when fitted values were applied.
bool ShowCalibrate(TDataFile& document, bool running, TCalibrationSetUp& setUp, QWidget* parent);
