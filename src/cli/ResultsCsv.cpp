// The CSV of a run, written row by row into one buffer without temporary strings.
#include "cli/ResultsCsv.h"

#include <algorithm>
#include <ostream>

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
