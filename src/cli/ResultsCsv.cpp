// The CSV of a run, written row by row into one buffer without temporary strings.
#include "cli/ResultsCsv.h"

#include <charconv>
#include <ostream>

char* WriteShortestFloat(char* at, double value) {
    // Plain digits read best in a spreadsheet (100000, not 1e+05); very large or very
    // small magnitudes keep the exponent. Both forms read back to the same double. The
    // fixed form is tried in exactly the room it may take, so a longer one fails.
    constexpr size_t MaxFixed = 21;
    auto fixed = std::to_chars(at, at + MaxFixed, value, std::chars_format::fixed);
    if (fixed.ec == std::errc()) return fixed.ptr;
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

    // Each column walks its series from where the row before left it, so a row costs a
    // step or two per cell rather than a search; ValueAtNear gives ValueAt's value.
    std::vector<size_t> places(series.size(), 0);
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
    for (double offset : offsets) {
        makeRoom();
        at = WriteShortestFloat(at, simulation.StartTime + offset);
        for (size_t column = 0; column < series.size(); ++column) {
            makeRoom();
            *at++ = ',';
            at = WriteShortestFloat(at, series[column]->ValueAtNear(offset, places[column]));
        }
        *at++ = '\n';
    }
    out.write(first, at - first);
}
