#include "app/dialogs/ObjectDialogs.h"

// Placeholder until the element set-up dialog lands.
TDialogResult OpenElementSetUp(TDataFile&, TVariableInstance&, QWidget*) {
    return TDialogResult::Cancelled;
}
