#include "app/dialogs/ObjectDialogs.h"

// Placeholder until the note set-up dialog lands.
TDialogResult OpenNoteSetUp(TDataFile&, TNoteInstance&, QWidget*) {
    return TDialogResult::Cancelled;
}
