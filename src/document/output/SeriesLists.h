#pragma once
// The series lists of graphs and tables as their set-up dialogs show and change them: the
// texts of a row, entries appended, deleted and moved (a table's column widths in step),
// run histories cleared, and what an edited entry becomes. The dialogs only wire these.

#include "document/diagram/DrawingObjects.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// "Sketched", "Derived" or "Simulated".
std::string SeriesKindName(uint8_t kind);
// The element's name, with " [n]" for the kept copy of run n.
std::string SeriesEntryName(const TVariableDataLink& entry);
// A row of the graph set-up list: Element, Data, Colour, History, Display.
std::array<std::string, 5> GraphSeriesRow(const TVariableDataLink& entry);

// The Data list of an entry in list order: Simulated, Sketched, and Derived for resources
// and flows. A stored kind the element does not offer comes last, so that an edit which
// does not touch the list keeps it.
std::vector<uint8_t> DataKindChoices(uint8_t elementKind, uint8_t currentKind);

// The selected row after a change to a list of count rows: none stays none, and a row past
// the end becomes the last one.
int32_t ClampSelection(int32_t selected, int32_t count);

// A new entry at the end: the element's simulated series, live, no histories, visible.
TVariableDataLink& AppendSeriesEntry(TTableGraphOutputInstance& control, TVariableObject& element,
                                     int32_t colour);
// The colour the next entry of a graph gets.
int32_t NextGraphColour(const TGraphInstance& graph);
// Deletes entry index; false (nothing done) when there is no such entry.
bool DeleteSeriesEntry(TTableGraphOutputInstance& control, int32_t index);
// Moves entry index one place (delta -1 up, +1 down); its new index, or -1 when it cannot
// move (no such entry, or at that end).
int32_t MoveSeriesEntry(TTableGraphOutputInstance& control, int32_t index, int32_t delta);

// A table keeps one column width per entry. A file may hold fewer; a missing width counts as
// 0, so padding with zeros changes nothing on screen but lets widths follow their entries.
bool ColumnWidthsShort(const TTableInstance& table);
void PadColumnWidths(TTableInstance& table);
// The table operations: the entry and its width together (the widths padded first).
TVariableDataLink& AppendTableEntry(TTableInstance& table, TVariableObject& element);
bool DeleteTableEntry(TTableInstance& table, int32_t index);
int32_t MoveTableEntry(TTableInstance& table, int32_t index, int32_t delta);

// Removes every kept run (Run > 0) of element from the graph; how many went.
int32_t HistoryCount(const TGraphInstance& graph, const TVariableObject* element);
int32_t ClearHistories(TGraphInstance& graph, const TVariableObject* element);

// What the entry editor hands back. Colour none keeps the entry's colour (one outside the
// palette that the user did not change).
struct TSeriesEntryChoice {
    uint8_t Kind = skSimulated;
    std::optional<int32_t> Colour;
    bool History = false;
    bool Visible = true;
};
// Whether applying choice would change the entry, and applying it. History "Yes" turns an
// entry without histories into one that records them and "No" the reverse; a kept run
// keeps its number.
bool SeriesEntryChanges(const TVariableDataLink& entry, const TSeriesEntryChoice& choice);
void ApplySeriesEntryChoice(TVariableDataLink& entry, const TSeriesEntryChoice& choice);
