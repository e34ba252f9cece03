#pragma once
// Every change a user makes to a model has one home: the undo snapshot, the change, the
// modified mark, the model check and the derived data, in that order. Menus, mouse
// gestures and dialogs open an edit here and never repeat those steps by hand.

#include <cstdint>
#include <functional>

class TDataFile;

// What an edit needs after its change.
enum TEditFollowUp : uint32_t {
    efNone = 0,
    efCheck = 1,       // equations or dependencies may have changed
    efAttachFlows = 2, // a resource or flow moved or appeared: pipe ends find resources
    efDerive = 4,      // sketched data or structure changed: derived series recomputed
    efStructure = efCheck | efAttachFlows | efDerive,
};

// An edit that may change the document several times (a drag, a dialog's showing): the
// first Touch takes the one undo snapshot; Finish (or the destructor) marks the document
// modified and runs the follow-ups, once, when anything was touched.
class TDocumentEdit {
public:
    explicit TDocumentEdit(TDataFile& document, uint32_t followUp = efNone);
    ~TDocumentEdit();
    TDocumentEdit(const TDocumentEdit&) = delete;
    TDocumentEdit& operator=(const TDocumentEdit&) = delete;

    // Call before each change; only the first one takes the snapshot.
    void Touch();
    // Adds follow-ups found during the edit (a rename needs the check).
    void Need(uint32_t followUp) { FollowUp |= followUp; }
    bool Touched() const { return IsTouched; }
    // Marks the document modified and runs the follow-ups when touched. Later calls do
    // nothing, so a dialog may finish at OK and again on close.
    void Finish();
    // The caller put everything back as it was: the snapshot is dropped and nothing marked.
    void Abandon();

    TDataFile& Document;

private:
    uint32_t FollowUp;
    bool IsTouched = false;
    bool IsFinished = false;
};

// One change as one edit: snapshot, change, modified mark, follow-ups. When change returns
// false it changed nothing, and the snapshot is dropped again.
bool EditDocument(TDataFile& document, uint32_t followUp, const std::function<bool()>& change);

// Runs the follow-ups alone (after Undo, a paste or a run that changed the structure).
void RunFollowUps(TDataFile& document, uint32_t followUp);

struct TTimeSettingsValues;

// The Time Settings as one edit, with the derived data (they depend on the run's span and
// step) after it. False, and no undo step, when the values are the ones the model has.
bool EditTimeSettings(TDataFile& document, const TTimeSettingsValues& values);
