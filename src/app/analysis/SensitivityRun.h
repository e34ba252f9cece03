#pragma once
// "Run Sensitivity": the model's set-up run on worker threads while a progress window shows
// the runs done and offers Cancel. The workers run copies made before they start; the
// document's model is never touched, so a cancelled analysis leaves it exactly as it was.
// Progress reaches the window through queued signals.

#include "core/analysis/Sensitivity.h"
#include "core/support/Notifier.h"

#include <QDialog>
#include <QLabel>
#include <QObject>
#include <QProgressBar>
#include <QPushButton>

#include <functional>
#include <memory>
#include <string>

class TDataFile;

// An analysis's plan and kept values with what the windows show about it.
struct TSensitivitySession {
    TSensitivityPlan Plan;
    TSensitivityResults Results;
    std::string TimeUnit;
    std::string ModelName;
    TSamplingMethod Method = smRandom;
    int32_t Seed = 0;
    bool Running = false;
    bool Cancelled = false;
};

// Hands the runner's progress, on the thread running it, to the window's thread.
class TAnalysisProgressBridge : public QObject, public TNotifier {
    Q_OBJECT
public:
    void AnalysisProgress(int64_t done, int64_t total) override { emit Progress(done, total); }
signals:
    void Progress(qint64 done, qint64 total);
    void Finished();
};

// The progress window: runs done of the total, and Cancel. It closes itself when the runs
// have ended; Cancel (and the close box, and Escape) asks them to stop.
class TFormAnalysisProgress : public QDialog {
    Q_OBJECT
public:
    explicit TFormAnalysisProgress(QWidget* parent = nullptr);
    void ShowProgress(qint64 done, qint64 total);
    void reject() override; // asks to cancel; the window stays until the runs end

    QLabel* LabelProgress;
    QProgressBar* ProgressBar;
    QPushButton* ButtonCancel;
    bool CancelRequested = false;

signals:
    void CancelClicked();
};

// Checks the document's model and its set-up (each refusal shown as a message), runs the
// analysis and returns its session, none when nothing ran; a cancelled or failed one holds
// the runs done. started is called with the session just before the runs begin, and
// progress on every report while they go on.
std::unique_ptr<TSensitivitySession>
RunSensitivityAnalysis(TDataFile& document, QWidget* parent,
                       const std::function<void(TSensitivitySession&)>& started,
                       const std::function<void()>& progress);
