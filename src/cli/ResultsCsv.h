#pragma once
// The results of a run as CSV: run --csv and run to standard output.

#include "core/model/SimulationObjects.h"

#include <iosfwd>
#include <string>
#include <string_view>
#include <vector>

// A CSV of the Simulated series: Time (start time + offset), then one column per element
// in model order, one row per offset. Numbers with '.' and the shortest digits that read
// back exactly. The value of a cell is the series' ValueAt(offset).
void WriteResultsCsv(const TSimulationObject& simulation, const std::vector<double>& offsets,
                     std::ostream& out);

// A field quoted when it holds a comma, a quote or a line break.
std::string CsvField(std::string_view text);

// The shortest text that reads back as exactly this double: plain digits up to 21
// characters, the exponent form beyond.
std::string ShortestFloatText(double value);

// ShortestFloatText written at at, which must have room for MaxFloatTextSize characters;
// returns the end of the text.
inline constexpr size_t MaxFloatTextSize = 32;
char* WriteShortestFloat(char* at, double value);
