#include "core/support/CsvText.h"

#include <charconv>
#include <cmath>

char* WriteShortestFloat(char* at, double value) {
    // Plain digits read best in a spreadsheet (100000, not 1e+05); very large or very
    // small magnitudes keep the exponent. Both forms read back to the same double. The
    // fixed form is tried in exactly the room it may take, so a longer one fails. It is not
    // tried where it cannot fit: from 1e21 up it has 22 digits before the point, below
    // 1e-19 twenty places after it (infinity and NaN read the same in both forms).
    constexpr size_t MaxFixed = 21;
    const double magnitude = std::fabs(value);
    if (magnitude < 1e21 && !(magnitude != 0 && magnitude < 1e-19)) {
        auto fixed = std::to_chars(at, at + MaxFixed, value, std::chars_format::fixed);
        if (fixed.ec == std::errc()) return fixed.ptr;
    }
    return std::to_chars(at, at + MaxFloatTextSize, value).ptr;
}

std::string ShortestFloatText(double value) {
    char text[MaxFloatTextSize];
    return std::string(text, WriteShortestFloat(text, value));
}

std::string CsvField(std::string_view text) {
    if (text.find_first_of(",\"\r\n") == std::string_view::npos) return std::string(text);
    std::string field = "\"";
    for (char c : text) {
        if (c == '"') field += '"';
        field += c;
    }
    field += '"';
    return field;
}
