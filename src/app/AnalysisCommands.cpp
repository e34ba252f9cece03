// The main window's Analysis menu: the sensitivity set-up, the runs and their results, and
// calibration.
#include "app/SimulationMain.h"

#include "app/Utilities.h"
#include "app/analysis/CalibrateDialog.h"
#include "app/analysis/SensitivityResults.h"
#include "app/analysis/SensitivitySetUpDialog.h"
#include "app/diagram/MainView.h"
#include "document/model/DataFile.h"

void TSimulationMainForm::ShowSensitivitySetUp() {
    TDataFile* document = ActiveDocument();
    if (!document) return;
    if (::ShowSensitivitySetUp(*document, Running(), this)) MainView->UpdateEditActions();
}

void TSimulationMainForm::RunSensitivity() {
    TDataFile* document = ActiveDocument();
    if (!document) return;
    if (Running()) {
        ShowError("You cannot run a sensitivity analysis while the simulation is running", this);
        return;
    }
    if (!SensitivityResults) SensitivityResults = new TFormSensitivityResults(this);
    // Editing stays locked as during a run; a paused run keeps its own lock afterwards.
    const bool wasLocked = EditingLocked;
    LockEditing(true);
    std::unique_ptr<TSensitivitySession> session;
    try {
        session = RunSensitivityAnalysis(
            *document, this,
            [this](TSensitivitySession& started) {
                SensitivityResults->SetSession(&started);
                SensitivityResults->show();
                SensitivityResults->raise();
            },
            [this] { SensitivityResults->RequestRefresh(); });
    } catch (...) {
        // The window must not keep an analysis that is gone before the failure is shown.
        SensitivityResults->SetSession(Sensitivity.get());
        LockEditing(wasLocked);
        throw;
    }
    if (session) Sensitivity = std::move(session);
    SensitivityResults->SetSession(Sensitivity.get());
    LockEditing(wasLocked);
}

void TSimulationMainForm::ShowSensitivityResults() {
    if (!Sensitivity) {
        ShowInformation("There are no sensitivity results yet: run a sensitivity analysis first.",
                        this);
        return;
    }
    if (!SensitivityResults) SensitivityResults = new TFormSensitivityResults(this);
    SensitivityResults->SetSession(Sensitivity.get());
    SensitivityResults->show();
    SensitivityResults->raise();
    SensitivityResults->activateWindow();
}

void TSimulationMainForm::ShowCalibration() {
    TDataFile* document = ActiveDocument();
    if (!document) return;
    if (!CalibrationSetUp) CalibrationSetUp = std::make_unique<TCalibrationSetUp>();
    if (!::ShowCalibrate(*document, Running(), *CalibrationSetUp, this)) return;
    MainView->UpdateEditActions();
    RepaintActiveView();
    RunToEndCommand();
}
