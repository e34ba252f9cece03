#pragma once
// The set-up windows the diagram opens on a double-click or Enter. Each lives in its own
// file; the diagram view knows them only through these calls, and runs the loop that
// reopens a dialog closed with Apply.

class QWidget;
class TDataFile;
class TVariableInstance;
class TNoteInstance;
class TGraphInstance;
class TTableInstance;

enum class TDialogResult { Cancelled, Applied, Accepted };

// Element Set-Up for the element behind a shape. The caller renames the element in every
// equation after OK or Apply when its name changed.
TDialogResult OpenElementSetUp(TDataFile& document, TVariableInstance& shape, QWidget* parent);
TDialogResult OpenNoteSetUp(TDataFile& document, TNoteInstance& note, QWidget* parent);
TDialogResult OpenGraphSetUp(TDataFile& document, TGraphInstance& graph, QWidget* parent);
TDialogResult OpenTableSetUp(TDataFile& document, TTableInstance& table, QWidget* parent);
// The Results Table window of a table with series.
void OpenResultsTable(TDataFile& document, TTableInstance& table, QWidget* parent);
