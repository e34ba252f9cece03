#pragma once
// The text that grids copy to the clipboard and the reading of pasted numbers, kept apart
// from any widget so that every grid copies and pastes alike.

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

// The value in fixed notation with 15 significant digits and the given decimals:
// (3, 7) -> "7.000"; values of more than 15 integer digits come in exponent form.
std::string FormatFixed(int decimals, double value);

// Tab-separated cells, CR LF between lines, the title (when any) as the first line, and
// no line break at the end. cell(column, row) gives a cell's text.
std::string GridCopyText(const std::string& title,
                         const std::function<std::string(int column, int row)>& cell, int firstRow,
                         int lastColumn, int lastRow, int firstColumn);

struct TPasteToken {
    std::string Text;
    bool LineBreak = false; // a line ended before this token
    bool End = false;       // the text ended before any token
};

// The next token of pasted text from position, which moves past it. Tabs, blanks and
// control characters part tokens; commas inside numbers are dropped (1,234 is 1234);
// 'quoted' tokens keep everything, '' standing for one quote.
TPasteToken ReadPasteToken(std::string_view text, size_t& position);

struct TPasteCell {
    int Column;
    int Row;
    double Value;
};

struct TPastePlan {
    std::vector<TPasteCell> Cells; // in the order they are written
    bool SkippedText = false;      // some token was not a number
};

// Where pasted text puts its numbers in the range from (firstColumn, firstRow) to
// (lastColumn, lastRow). A text of one line without tabs is a single value that fills the
// whole range; otherwise lines go to rows and tokens to columns, and a line with more
// values than the range has columns ends the paste.
TPastePlan PlanPaste(std::string_view text, int firstColumn, int firstRow, int lastColumn,
                     int lastRow);
