#include "app/dialogs/ObjectDialogs.h"

// Placeholders until the graph and table set-up dialogs and the results table land.
TDialogResult OpenGraphSetUp(TDataFile&, TGraphInstance&, QWidget*) {
    return TDialogResult::Cancelled;
}
TDialogResult OpenTableSetUp(TDataFile&, TTableInstance&, QWidget*) {
    return TDialogResult::Cancelled;
}
void OpenResultsTable(TDataFile&, TTableInstance&, QWidget*) {}
