// The main window's run commands, the simulation timer, the editing lock and the time bar.
#include "app/SimulationMain.h"

#include "app/TimeBar.h"
#include "app/TimeSettings.h"
#include "app/Utilities.h"
#include "app/diagram/MainView.h"
#include "document/model/DataFile.h"

#include <QAction>
#include <QElapsedTimer>
#include <QTimer>
#include <QToolButton>

namespace {
const char* const EquationErrorsMessage = "There are errors in equations, cannot simulate";
// The pause between ticks that end at a repaint point: the pace of an animated run.
constexpr int PaceInterval = 10;
} // namespace

bool TSimulationMainForm::Running() const {
    return TimerSimulation->isActive();
}

void TSimulationMainForm::StartTimer(int interval) {
    TimerSimulation->setInterval(interval);
    TimerSimulation->start();
}

void TSimulationMainForm::StopReset() {
    TimerSimulation->stop();
    RunningToEnd = false;
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
        StartTimer(0);
    simulation->Paused = !Running();
    UpdateTimeBar();
    RepaintActiveView();
    MainView->UpdateEditActions();
}

void TSimulationMainForm::BackOneStep() {
    TimerSimulation->stop();
    RunningToEnd = false;
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
    RunningToEnd = false;
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
    RunningToEnd = false;
    LockEditing(true);
    // The first tick comes at once; the pace applies between the pictures.
    if (!simulation->IsFinished() && !Running()) StartTimer(0);
    simulation->Paused = !Running();
    UpdateTimeBar();
    MainView->UpdateEditActions();
}

void TSimulationMainForm::RunToEndCommand() {
    TSimulationObject* simulation = ActiveSimulation();
    if (!simulation) return;
    RunningToEnd = true;
    LockEditing(true);
    if (!simulation->IsFinished()) StartTimer(0);
    simulation->Paused = !Running();
    UpdateTimeBar();
    MainView->UpdateEditActions();
}

void TSimulationMainForm::TimerSimulationTimer() {
    TimerSimulation->stop(); // a tick never overlaps the next
    TSimulationObject* simulation = ActiveSimulation();
    if (!simulation) return;
    QElapsedTimer clock;
    clock.start();
    if (simulation->AtStart) {
        if (!simulation->CheckModel()) {
            // A run that never started has nothing to keep: back to the state of reset, as
            // after a refused Run Step, before the user is told.
            RunningToEnd = false;
            simulation->Paused = false;
            LockEditing(false);
            UpdateTimeBar();
            ShowError(EquationErrorsMessage, this);
            return;
        }
        simulation->Reset();
    }
    // An animated run stops at each repaint point, so that every picture the user asked for
    // is shown; otherwise the tick goes on towards the stop time until its budget is spent.
    const bool animated = simulation->UpdateScreen && !RunningToEnd;
    bool repaintPoint = false;
    while (!simulation->IsFinished()) {
        simulation->Step();
        if (animated && ShouldRepaint(*simulation)) {
            repaintPoint = true;
            break;
        }
        if (clock.nsecsElapsed() >= TickBudgetNs) break;
    }
    const bool finished = simulation->IsFinished();
    // Between chunks of work the queued input and paints run, then the next tick at once.
    if (!finished) StartTimer(repaintPoint ? PaceInterval : 0);
    simulation->Paused = !Running();
    if (finished) MainView->UpdateEditActions();
    UpdateTimeBar();
    if (finished || repaintPoint) RepaintActiveView();
}

void TSimulationMainForm::LockEditing(bool locked) {
    EditingLocked = locked;
    for (QAction* action :
         {ActionNew, ActionOpen, ActionSave, ActionSaveAs, ActionExportXmile, ActionImportData})
        action->setEnabled(!locked);
    // A model opened from the recent list mid-run would start running by itself.
    for (QAction* recent : ActionRecent)
        recent->setEnabled(!locked);
    for (QToolButton* tool : ToolButtons)
        if (tool->property("tag").toInt() != 14) tool->setEnabled(!locked);
    // The edit and print commands follow the view, within what the run allows.
    MainView->UpdateEditActions();
}

void TSimulationMainForm::UpdateTimeBar() {
    TSimulationObject* simulation = ActiveSimulation();
    TimeBar->UpdateFrom(simulation);
    const TRunButtonStates states = simulation ? RunButtons(simulation->IsStarted(), Running(),
                                                            simulation->IsFinished(), RunningToEnd)
                                               : TRunButtonStates{};
    ToolButtonPlay->setChecked(states.RunPressed);
    ToolButtonPlay->setEnabled(simulation && states.RunEnabled);
    ToolButtonRunToEnd->setChecked(states.RunToEndPressed);
    ToolButtonRunToEnd->setEnabled(simulation && states.RunToEndEnabled);
    ToolButtonPlayStep->setEnabled(simulation && states.RunStepEnabled);
    ToolButtonStepBack->setEnabled(simulation && states.BackEnabled);
    ToolButtonPause->setChecked(states.PausePressed);
    ToolButtonPause->setEnabled(simulation && states.PauseEnabled);
    ToolButtonStop->setEnabled(simulation != nullptr);
    // The menu items follow their buttons.
    const std::pair<QAction*, QToolButton*> mirrors[] = {{ActionStopReset, ToolButtonStop},
                                                         {ActionPauseRun, ToolButtonPause},
                                                         {ActionBackOneStep, ToolButtonStepBack},
                                                         {ActionRunStep, ToolButtonPlayStep},
                                                         {ActionRun, ToolButtonPlay},
                                                         {ActionRunToEnd, ToolButtonRunToEnd}};
    for (const auto& [action, button] : mirrors)
        action->setEnabled(button->isEnabled());
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
    TimeSettings->Fill(*Document);
    if (Hooks().Exec(*TimeSettings) != QDialog::Accepted || !TimeSettings->Applied) return;
    UpdateTimeBar();
    RepaintActiveView();
    MainView->UpdateEditActions(); // Undo takes the settings back
}
