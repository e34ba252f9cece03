#pragma once
// Observed data from a spreadsheet: CSV text with a Time column and one column per element,
// read into points, matched against a model's elements and put into their sketched series.
// Reading looks at the text alone; nothing of a model changes until every check has passed.

#include "core/model/DataSeries.h"

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

class TSimulationObject;
class TVariableObject;

struct TObservedColumn {
    std::string Name; // as the header gives it, unquoted and trimmed
    // Points at the times of the Time column (not offsets), sorted by time; an empty cell
    // gives none.
    std::vector<TDataPoint> Points;
};

struct TObservedData {
    char Separator = ',';
    std::vector<TObservedColumn> Columns; // the columns after Time
};

// Files larger than this are refused before they are read, and a text holding more values
// than MaxObservedValues is refused while it is read.
inline constexpr size_t MaxObservedFileSize = 64u << 20;
inline constexpr size_t MaxObservedValues = 2'000'000;

// Reads CSV text: a header row "Time" then column names, separated by ',', ';' or a tab
// (whichever follows Time); numbers with '.' decimals; fields may be quoted as spreadsheets
// quote them. Lines with nothing but separators and blanks are skipped. False with error
// naming the line that cannot be read; a failure after the header keeps the columns' names
// (with what points were read) so that the names can still be matched.
bool ReadObservedCsv(std::string_view text, TObservedData& data, std::string& error);

// What an import would do: the element of each column, matched as equations match names
// (blanks as '_', letter case ignored).
struct TObservedImport {
    std::vector<TVariableObject*> Elements; // one per column
};

// Matches the columns against model's elements. False with error naming every column that
// names no element (or two columns naming one), or a time too far from the start time to
// be stored as an offset.
bool MatchObservedData(const TSimulationObject& model, const TObservedData& data,
                       TObservedImport& import, std::string& error);

// Replaces each matched element's sketched points by its column's, stored as offsets from
// the start time. Where the sketch's interval does not put every point within the run on a
// row of Element Set-Up's grid, an interval that does is chosen when there is one.
void ApplyObservedData(TSimulationObject& model, const TObservedData& data,
                       const TObservedImport& import);

// The sketch interval for points (offsets) in a run of span: current when it puts every
// point from 0 to span on a grid row, else the largest of g, g/2, ... g/10 that does (g the
// smallest gap between points, or between the start and the first point) within the grid's
// row limit, else current.
double SketchIntervalFor(const std::vector<TDataPoint>& offsets, double span, double current);
