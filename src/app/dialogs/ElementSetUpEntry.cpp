#include "app/Utilities.h"
#include "app/dialogs/ElementSetUp.h"
#include "app/dialogs/ObjectDialogs.h"
#include "document/diagram/DrawingObjects.h"

TDialogResult OpenElementSetUp(TDataFile& document, TVariableInstance& shape, QWidget* parent) {
    TVariableObject* element = shape.Var();
    if (!element) return TDialogResult::Cancelled;
    TFormVariable dialog(parent);
    dialog.ShowFor(document, *element);
    Hooks().Exec(dialog);
    // A dialog answered without its buttons ends as Cancel.
    if (dialog.result() != QDialog::Accepted) dialog.reject();
    return dialog.Outcome;
}
