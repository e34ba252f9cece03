// The main window's run commands, the simulation timer, the editing lock and the time bar.
#include "app/SimulationMain.h"

#include "app/TimeBar.h"
#include "app/TimeSettings.h"
#include "app/Utilities.h"
#include "app/diagram/MainView.h"
#include "document/model/DataFile.h"

#include <QAction>
#include <QTimer>
#include <QToolButton>

namespace {
const char* const EquationErrorsMessage = "There are errors in equations, cannot simulate";
} // namespace

bool TSimulationMainForm::Running() const {
    return TimerSimulation->isActive();
}

void TSimulationMainForm::StopReset() {
    TimerSimulation->stop();
    TSimulationObject* simulation = ActiveSimulation();
    if (!simulation) return;
    if (simulation->IsStarted() && simulation->IsFinished()) MainView->KeepRunForComparison();
    simulation->Reset();
    Document->ResetWarningShown = false;
    simulation->Paused = false;
    UpdateTimeBar();
    RepaintActiveView();
    LockEditing(false);
}

void TSimulationMainForm::PauseRun() {
    TSimulationObject* simulation = ActiveSimulation();
    if (!simulation) return;
    if (Running())
        TimerSimulation->stop();
    else if (simulation->IsStarted() && !simulation->IsFinished())
        TimerSimulation->start();
    simulation->Paused = !Running();
    UpdateTimeBar();
    RepaintActiveView();
    MainView->UpdateEditActions();
}

void TSimulationMainForm::BackOneStep() {
    TimerSimulation->stop();
    TSimulationObject* simulation = ActiveSimulation();
    if (!simulation) return;
    if (!simulation->AtStart)
        simulation->StepBackTo(simulation->CurrentTime - simulation->TimeStep);
    simulation->Paused = true;
    UpdateTimeBar();
    RepaintActiveView();
    MainView->UpdateEditActions();
}

void TSimulationMainForm::RunStep() {
    TimerSimulation->stop();
    TSimulationObject* simulation = ActiveSimulation();
    if (!simulation) return;
    simulation->Paused = true;
    if (simulation->IsStarted()) {
        // Nothing shows between these steps, so the view is painted once, after them.
        for (int32_t i = 0; i < simulation->RunStepInterval && !simulation->IsFinished(); ++i)
            simulation->Step();
        UpdateTimeBar();
        RepaintActiveView();
    } else {
        if (!simulation->CheckModel()) {
            simulation->Paused = false;
            ShowError(EquationErrorsMessage, this);
            return;
        }
        simulation->Reset();
        if (!simulation->IsFinished()) simulation->Step();
        LockEditing(true);
        UpdateTimeBar();
        RepaintActiveView();
    }
    MainView->UpdateEditActions();
}

void TSimulationMainForm::Run() {
    TSimulationObject* simulation = ActiveSimulation();
    if (!simulation) return;
    LockEditing(true);
    if (!simulation->IsFinished()) TimerSimulation->start();
    simulation->Paused = !Running();
    UpdateTimeBar();
    MainView->UpdateEditActions();
}

void TSimulationMainForm::TimerSimulationTimer() {
    TimerSimulation->stop(); // a tick never overlaps the next
    TSimulationObject* simulation = ActiveSimulation();
    if (!simulation) return;
    if (simulation->AtStart) {
        if (!simulation->CheckModel()) {
            // Editing stays locked until Stop/Reset.
            UpdateTimeBar();
            ShowError(EquationErrorsMessage, this);
            return;
        }
        simulation->Reset();
    }
    if (!simulation->IsFinished()) simulation->Step();
    const bool finished = simulation->IsFinished();
    if (!finished) TimerSimulation->start();
    simulation->Paused = !Running();
    if (finished) MainView->UpdateEditActions();
    UpdateTimeBar();
    if (ShouldRepaint(*simulation)) RepaintActiveView();
}

void TSimulationMainForm::LockEditing(bool locked) {
    EditingLocked = locked;
    for (QAction* action : {ActionNew, ActionOpen, ActionSave, ActionSaveAs, ActionExportXmile})
        action->setEnabled(!locked);
    // A model opened from the recent list mid-run would start running by itself.
    for (QAction* recent : ActionRecent)
        recent->setEnabled(!locked);
    for (QToolButton* tool : ToolButtons)
        if (tool->property("tag").toInt() != 14) tool->setEnabled(!locked);
    if (locked) {
        for (int code : {acUndo, acCut, acCopy, acPaste, acDelete, acSelectAll, acPrint,
                         acPrintPreview, acPrintSetup})
            SetActionState(code, false, true);
    } else {
        MainView->UpdateEditActions();
    }
}

void TSimulationMainForm::UpdateTimeBar() {
    TSimulationObject* simulation = ActiveSimulation();
    TimeBar->UpdateFrom(simulation);
    const TRunButtonStates states =
        simulation ? RunButtons(simulation->IsStarted(), Running(), simulation->IsFinished())
                   : TRunButtonStates{};
    ToolButtonPlay->setChecked(states.RunPressed);
    ToolButtonPlay->setEnabled(simulation && states.RunEnabled);
    ToolButtonPlayStep->setEnabled(simulation && states.RunStepEnabled);
    ToolButtonStepBack->setEnabled(simulation && states.BackEnabled);
    ToolButtonPause->setChecked(states.PausePressed);
    ToolButtonPause->setEnabled(simulation && states.PauseEnabled);
    ToolButtonStop->setEnabled(simulation != nullptr);
}

void TSimulationMainForm::RepaintActiveView() {
    MainView->RefreshView();
}

void TSimulationMainForm::ShowTimeSettings() {
    TSimulationObject* simulation = ActiveSimulation();
    if (!simulation) return;
    if (simulation->IsStarted() || Running()) {
        ShowError("You cannot make changes to the time settings during a simulation", this);
        return;
    }
    TimeSettings->Fill(*simulation);
    if (Hooks().Exec(*TimeSettings) != QDialog::Accepted || !TimeSettings->Applied) return;
    Document->MarkModified();
    UpdateTimeBar();
    RepaintActiveView();
}
