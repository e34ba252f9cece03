// The CSV of a run, written row by row into one buffer without temporary strings.
#include "cli/ResultsCsv.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <ostream>

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

void WriteResultsCsv(const TSimulationObject& simulation, const std::vector<double>& offsets,
                     std::ostream& out) {
    std::string header = "Time";
    std::vector<const TDataSeries*> series;
    for (const TVariableObject* element : simulation.Variables) {
        header += ',';
        header += CsvField(element->Name);
        series.push_back(&element->Simulated);
    }
    header += '\n';
    out << header;

    // Each column walks its series from where the row before left it, so a cell costs a
    // step or two rather than a search; ValueAtNear gives ValueAt's value. The walk goes
    // down a block of rows per column before the rows are written, so that each series'
    // points come into the cache once per block instead of once per row.
    const size_t columns = series.size();
    // About a megabyte of values per block: within the cache, and at most 128 rows.
    const size_t blockRows =
        std::clamp<size_t>((size_t(1) << 17) / std::max<size_t>(columns, 1), 1, 128);
    std::vector<double> block(blockRows * columns);
    std::vector<size_t> places(columns, 0);

    constexpr size_t BufferSize = 1 << 16;
    std::vector<char> buffer(BufferSize);
    char* const first = buffer.data();
    char* const last = first + BufferSize - MaxFloatTextSize - 2; // room for a cell and '\n'
    char* at = first;
    auto makeRoom = [&] {
        if (at < last) return;
        out.write(first, at - first);
        at = first;
    };
    for (size_t top = 0; top < offsets.size(); top += blockRows) {
        const size_t rows = std::min(blockRows, offsets.size() - top);
        for (size_t column = 0; column < columns; ++column) {
            const TDataSeries& points = *series[column];
            size_t& place = places[column];
            for (size_t row = 0; row < rows; ++row)
                block[row * columns + column] = points.ValueAtNear(offsets[top + row], place);
        }
        for (size_t row = 0; row < rows; ++row) {
            makeRoom();
            at = WriteShortestFloat(at, simulation.StartTime + offsets[top + row]);
            const double* values = block.data() + row * columns;
            for (size_t column = 0; column < columns; ++column) {
                makeRoom();
                *at++ = ',';
                at = WriteShortestFloat(at, values[column]);
            }
            *at++ = '\n';
        }
    }
    out.write(first, at - first);
}
