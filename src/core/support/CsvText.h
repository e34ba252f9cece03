#pragma once
// Numbers and fields of the CSV files the program writes: run results and analysis tables.

#include <cstddef>
#include <string>
#include <string_view>

// A field quoted when it holds a comma, a quote or a line break.
std::string CsvField(std::string_view text);

// The shortest text that reads back as exactly this double: plain digits up to 21
// characters, the exponent form beyond.
std::string ShortestFloatText(double value);

// ShortestFloatText written at at, which must have room for MaxFloatTextSize characters;
// returns the end of the text.
inline constexpr size_t MaxFloatTextSize = 32;
char* WriteShortestFloat(char* at, double value);
