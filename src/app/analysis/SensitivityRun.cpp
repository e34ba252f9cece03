#include "app/analysis/SensitivityRun.h"

#include "app/Utilities.h"
#include "app/analysis/AnalysisThread.h"
#include "core/model/RunToEnd.h"
#include "core/support/NumberFormat.h"
#include "document/model/DataFile.h"

#include <QCloseEvent>
#include <QDialogButtonBox>
#include <QFileInfo>
#include <QVBoxLayout>

#include <new>

namespace {

QString Whole(int64_t n) {
    return Q(CountText(n));
}

// The warnings of the runs in one message, the first few of them.
QString WarningsMessage(const std::vector<TAnalysisWarning>& warnings, size_t runs) {
    constexpr size_t Shown = 10;
    QString text = "Some runs reported errors:";
    for (size_t i = 0; i < warnings.size() && i < Shown; ++i)
        text += "\n" + Q(AnalysisWarningText(warnings[i], runs));
    if (warnings.size() > Shown)
        text += "\n... and " + Whole(static_cast<int64_t>(warnings.size() - Shown)) + " more";
    return text;
}

} // namespace

TFormAnalysisProgress::TFormAnalysisProgress(QWidget* parent) : QDialog(parent) {
    setObjectName("FormAnalysisProgress");
    setWindowTitle("Running Sensitivity");
    LabelProgress = new QLabel("Starting the runs...");
    LabelProgress->setObjectName("LabelProgress");
    LabelProgress->setMinimumWidth(280);
    ProgressBar = new QProgressBar;
    ProgressBar->setObjectName("ProgressBar");
    ProgressBar->setAccessibleName("Runs done");
    ProgressBar->setRange(0, 1);
    ProgressBar->setValue(0);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Cancel);
    ButtonCancel = buttons->button(QDialogButtonBox::Cancel);
    ButtonCancel->setObjectName("ButtonCancel");
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(LabelProgress);
    layout->addWidget(ProgressBar);
    layout->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::rejected, this, &TFormAnalysisProgress::reject);
}

void TFormAnalysisProgress::ShowProgress(qint64 done, qint64 total) {
    if (CancelRequested) return;
    LabelProgress->setText("Runs done: " + Whole(done) + " of " + Whole(total));
    // The bar counts in thousandths, so that counts beyond its integer range still show.
    ProgressBar->setRange(0, 1000);
    ProgressBar->setValue(total > 0 ? static_cast<int>(done * 1000 / total) : 0);
}

void TFormAnalysisProgress::reject() {
    if (CancelRequested) return;
    CancelRequested = true;
    LabelProgress->setText("Cancelling...");
    ButtonCancel->setEnabled(false);
    emit CancelClicked();
}

std::unique_ptr<TSensitivitySession>
RunSensitivityAnalysis(TDataFile& document, QWidget* parent,
                       const std::function<void(TSensitivitySession&)>& started,
                       const std::function<void()>& progress) {
    TSimulationObject& model = *document.Simulation;
    if (model.Sensitivity.Varied.empty()) {
        ShowError("No constants are set to vary: choose them in Sensitivity Set-Up first.", parent);
        return nullptr;
    }
    if (!model.CheckModel()) {
        ShowError("There are errors in equations, cannot simulate", parent);
        return nullptr;
    }
    auto session = std::make_unique<TSensitivitySession>();
    const std::string problem =
        PlanSensitivity(model, model.Sensitivity, DefaultMaxSteps, session->Plan);
    if (!problem.empty()) {
        ShowError(Q(problem), parent);
        return nullptr;
    }
    try {
        session->Results.Allocate(session->Plan);
    } catch (const std::bad_alloc&) {
        ShowError("There is not enough memory to keep the results of this analysis.", parent);
        return nullptr;
    }
    session->TimeUnit = model.TimeUnit;
    session->ModelName = !document.Title.empty() ? document.Title
                         : document.FileName.empty()
                             ? std::string("Untitled")
                             : S(QFileInfo(Q(document.FileName)).completeBaseName());
    session->Method = model.Sensitivity.Method;
    session->Seed = model.Sensitivity.Seed;
    session->Running = true;

    // The copies are made here, on the thread that owns the model.
    TSensitivityRunner runner(model, DefaultAnalysisJobs());
    TAnalysisProgressBridge bridge;
    TFormAnalysisProgress window(parent);
    QObject::connect(&bridge, &TAnalysisProgressBridge::Progress, &window,
                     [&](qint64 done, qint64 total) {
                         window.ShowProgress(done, total);
                         if (progress) progress();
                     });
    QObject::connect(&bridge, &TAnalysisProgressBridge::Finished, &window,
                     [&] { window.done(QDialog::Accepted); });
    QObject::connect(&window, &TFormAnalysisProgress::CancelClicked, &window,
                     [&] { runner.Cancel(); });
    if (started) started(*session);

    TAnalysisOutcome outcome = aoFailed;
    std::string failure;
    TSensitivitySession& running = *session;
    // The window closes itself once the runs end.
    RunBesideWindow(
        runner,
        [&] {
            outcome =
                runner.Run(running.Plan, running.Results, TSensitivityRange(), &bridge, failure);
            emit bridge.Finished();
        },
        [&] { Hooks().Exec(window); });
    session->Running = false;
    session->Cancelled = outcome != aoFinished;
    if (outcome == aoFailed) ShowError(Q("The analysis failed: " + failure), parent);
    if (!session->Results.Warnings.empty())
        ShowMessage(TMessageKind::Warning,
                    WarningsMessage(session->Results.Warnings, session->Plan.Runs), mbOK, parent);
    return session;
}
