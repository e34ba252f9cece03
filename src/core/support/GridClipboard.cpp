#include "core/support/GridClipboard.h"

#include "core/support/NumberFormat.h"

#include <charconv>
#include <cmath>

std::string FormatFixed(int decimals, double value) {
    if (!std::isfinite(value) || std::fabs(value) >= 1e15) return FloatToStr(value);
    // Round to 15 significant digits first, so that 0.1 + 0.2 shows as 0.300.
    char buffer[64];
    const auto written =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::scientific, 14);
    double rounded = value;
    std::from_chars(buffer, written.ptr, rounded);
    std::string pattern = "0";
    if (decimals > 0) pattern += "." + std::string(static_cast<size_t>(decimals), '0');
    return FormatFloat(pattern, rounded);
}

std::string GridCopyText(const std::string& title,
                         const std::function<std::string(int column, int row)>& cell, int firstRow,
                         int lastColumn, int lastRow, int firstColumn) {
    std::string text = title;
    for (int row = firstRow; row <= lastRow; ++row) {
        // A break before every line but the first, even when that first line is empty.
        if (row != firstRow || !title.empty()) text += "\r\n";
        for (int column = firstColumn; column <= lastColumn; ++column) {
            text += cell(column, row);
            if (column < lastColumn) text += '\t';
        }
    }
    return text;
}

TPasteToken ReadPasteToken(std::string_view text, size_t& position) {
    TPasteToken token;
    bool quoted = false;
    bool begun = false;
    while (position < text.size()) {
        const unsigned char c = static_cast<unsigned char>(text[position]);
        if (c == '\r' || c == '\n') {
            if (quoted) {
                token.Text += static_cast<char>(c);
                ++position;
                continue;
            }
            if (begun) break; // the break belongs to the next token
            token.LineBreak = true;
            ++position;
            // Only the LF of a CR LF goes with it: a lone LF must not swallow the next line's
            // first character.
            if (c == '\r' && position < text.size() && text[position] == '\n') ++position;
            while (position < text.size() && (text[position] == '\r' || text[position] == '\n'))
                ++position;
            continue;
        }
        if (c == '\'') {
            ++position;
            if (!quoted) {
                quoted = true;
                begun = true;
                continue;
            }
            if (position < text.size() && text[position] == '\'') {
                token.Text += '\'';
                ++position;
                continue;
            }
            return token; // the closing quote ends the token
        }
        if (c == ',') {
            if (quoted) token.Text += ',';
            begun = true;
            ++position;
            continue;
        }
        if (c >= 33 || quoted) {
            token.Text += static_cast<char>(c);
            begun = true;
            ++position;
            if (!quoted && position < text.size() &&
                (text[position] == '\r' || text[position] == '\n'))
                return token;
            continue;
        }
        // Tabs, blanks and control characters part tokens.
        ++position;
        if (begun) return token;
    }
    if (!begun) token.End = true;
    return token;
}

TPastePlan PlanPaste(std::string_view text, int firstColumn, int firstRow, int lastColumn,
                     int lastRow) {
    TPastePlan plan;
    if (firstColumn > lastColumn || firstRow > lastRow) return plan;
    // Any line break counts, not only CR LF: most programs end lines with LF alone.
    const bool single = text.find_first_of("\t\r\n") == std::string_view::npos;
    int row = firstRow;
    int column = firstColumn;
    size_t position = 0;
    for (;;) {
        if (single) position = 0;
        const size_t before = position;
        TPasteToken token = ReadPasteToken(text, position);
        if (token.Text == "\r") continue;
        if (token.LineBreak || (single && column > lastColumn)) {
            if (++row > lastRow) break;
            column = firstColumn;
        }
        if (column > lastColumn || token.End) break;
        double value = 0;
        if (TryStrToFloat(token.Text, value))
            plan.Cells.push_back({column, row, value});
        else
            plan.SkippedText = true;
        ++column;
        // A reader that stands still would loop for ever; a single value always restarts.
        if (!single && position == before) break;
    }
    return plan;
}
