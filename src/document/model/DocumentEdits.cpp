#include "document/model/DocumentEdits.h"

#include "document/diagram/DrawingObjects.h"
#include "document/model/DataFile.h"

TDocumentEdit::TDocumentEdit(TDataFile& document, uint32_t followUp)
    : Document(document), FollowUp(followUp) {}

TDocumentEdit::~TDocumentEdit() {
    try {
        Finish();
    } catch (...) {
        // A failing check must not escape a destructor; the next check reports it.
    }
}

void TDocumentEdit::Touch() {
    if (IsTouched) return;
    Document.PushUndo();
    IsTouched = true;
    IsFinished = false;
}

void TDocumentEdit::Finish() {
    if (!IsTouched || IsFinished) return;
    IsFinished = true;
    Document.MarkModified();
    RunFollowUps(Document, FollowUp);
}

void TDocumentEdit::Abandon() {
    if (IsTouched && !IsFinished && !Document.UndoStack.empty()) Document.UndoStack.pop_back();
    IsTouched = false;
    IsFinished = true;
}

bool EditDocument(TDataFile& document, uint32_t followUp, const std::function<bool()>& change) {
    TDocumentEdit edit(document, followUp);
    edit.Touch();
    bool changed = false;
    try {
        changed = change();
    } catch (...) {
        edit.Finish(); // whatever happened before the failure stays undoable and saved
        throw;
    }
    if (changed)
        edit.Finish();
    else
        edit.Abandon();
    return changed;
}

void RunFollowUps(TDataFile& document, uint32_t followUp) {
    TSimulationObject& simulation = *document.Simulation;
    if (followUp & efCheck) simulation.CheckModel();
    if ((followUp & efAttachFlows) && document.Views.Image) document.Image().AttachFlowEnds();
    if (followUp & efDerive) simulation.RefreshDerived();
}

bool EditTimeSettings(TDataFile& document, const TTimeSettingsValues& values) {
    const TSimulationObject& s = *document.Simulation;
    const bool same =
        s.StartTime == values.StartTime && s.StopTime == values.StopTime &&
        s.TimeStep == values.TimeStep && s.ViewStart == values.ViewStart &&
        s.ViewStop == values.ViewStop && s.Now == values.Now && s.TimeUnit == values.TimeUnit &&
        s.RunStepInterval == values.RunStepInterval && s.UpdateInterval == values.UpdateInterval &&
        s.UpdateScreen == values.UpdateScreen;
    if (same) return false;
    return EditDocument(document, efDerive, [&] {
        document.Simulation->ApplyTimeSettings(values);
        return true;
    });
}
