#pragma once
// The rules of the element set-up dialog that need no window: which names an element may
// take, where a GRAPH call lies in an equation, how inserted text lands, the rows of the
// sketch grid and the scale the GRAPH table editor opens with.

#include "core/model/DataSeries.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

class TSimulationObject;
class TVariableObject;

// The message that refuses name for element (none when it is a new one), or empty when the
// name may be used. Checked in the order a person fixes them: blank, first letter,
// characters the equations read as operators, other elements, built-in names.
std::string ValidateElementName(const TSimulationObject& model, const TVariableObject* element,
                                const std::string& name);

// A part of a text, as byte positions [Start, End).
struct TTextSpan {
    size_t Start = 0;
    size_t End = 0;
};

// The GRAPH call the cursor (the middle of the selection) lies on: on its name or inside
// its brackets. It runs to the bracket that closes it, or to the end of the text.
std::optional<TTextSpan> FindGraphCallAtCursor(std::string_view text, size_t selectionStart,
                                               size_t selectionEnd);

// A text after an insertion and where the cursor goes.
struct TInsertion {
    std::string Text;
    size_t Cursor = 0;
};

// Replaces the selection by insert: the text before it trimmed, a space, insert, the text
// after it trimmed. The cursor goes cursorInInsert bytes into insert.
TInsertion InsertAtCursor(std::string_view text, size_t selectionStart, size_t selectionEnd,
                          std::string_view insert, size_t cursorInInsert);
// What a double click on the function tree inserts for FunctionList row index: "NAME( )"
// with the cursor before ")" for the functions that take parameters, else "NAME ".
TInsertion FunctionInsertion(int index);
// What a double click on an element name inserts: its identifier and a space.
TInsertion ElementInsertion(const std::string& name);

// A value as the sketch and GRAPH grids show it: no decimals from a million up, two from a
// thousand, else three, with thousands separators.
std::string GridValueText(double value);

// The rows of a sketch grid: row k at offset k * Interval from the start, and one more row at
// the stop time when the run does not end on a row.
struct TSketchGrid {
    // False when the interval cannot make rows (not a positive finite number, or a run
    // without a finite length): no grid and no sketching.
    bool Usable = false;
    // More rows were wanted than a grid may show; only the first Rows are shown.
    bool Capped = false;
    int32_t Rows = 0;
    bool StopRow = false; // the last row is the stop time, off the interval
    double Interval = 1;
    double Span = 0; // stop time - start time

    // The offset from the start time of row (0 <= row < Rows).
    double Offset(int32_t row) const;
    // The row showing offset, or -1.
    int32_t RowOf(double offset) const;
    // The row under the pointer at fraction (0 left, 1 right) of the plot's width.
    int32_t RowAt(double fraction) const;
};

inline constexpr int32_t MaxSketchRows = 10002;
TSketchGrid MakeSketchGrid(double startTime, double stopTime, double interval,
                           int32_t maxRows = MaxSketchRows);

// Sets the sketched point of row to value and, when from is another row, every row between
// them by linear interpolation in time from fromValue.
void SketchStroke(TDataSeries& sketch, const TSketchGrid& grid, int32_t from, double fromValue,
                  int32_t row, double value);

// The Y scale the GRAPH table editor opens with for a table's values: whole numbers with a
// round step between them. Values that are not finite take no part, and the scale stays
// within what a whole-number field can hold.
struct TLookupScale {
    double Lower = 0;
    double Upper = 1;
};
TLookupScale LookupEditorScale(const std::vector<TDataPoint>& points);
