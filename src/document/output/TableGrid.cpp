// The Results Table grid of a table control, its column widths and its text copy.
#include "document/output/TableDrawing.h"

#include "core/support/NumberFormat.h"

#include <algorithm>

TTableGridReader::TTableGridReader(const TTableInstance& table, int64_t maxCells)
    : Table(table), Simulation(TableSimulation(table)), Columns(table.Series.Count() + 1) {
    // Rows 1 .. n + 1 of the run; a run of absurd length keeps only its first rows.
    if (Simulation) {
        const int64_t n = TableIntervalCount(*Simulation, table.Interval);
        const int64_t cap = std::max<int64_t>(
            1, std::min(TableGridMaxRows, maxCells / static_cast<int64_t>(Columns)));
        ValueRows = std::min(n + 1, cap);
    }
}

std::string TTableGridReader::Cell(int64_t row, int32_t column) const {
    if (row < 0 || row >= RowCount() || column < 0 || column >= Columns) return {};
    const int32_t entry = column - 1;
    if (entry >= Table.Series.Count()) return {};
    if (row == 0) return entry < 0 ? std::string() : TableHeaderLabel(*Table.Series[entry]);
    if (row == 1) {
        if (entry < 0) return "Time (" + (Simulation ? Simulation->TimeUnit : std::string()) + ")";
        const TVariableObject* element = Table.Series[entry]->Var();
        return element ? element->Units : std::string();
    }
    const double time = TableRowTime(*Simulation, Table.Interval, row - 1);
    if (entry < 0) return FormatFloat("0.000", time);
    const TDataSeries* series = Table.Series[entry]->DataSeries();
    return FormatFloat("0.00", series ? series->ValueAt(time - Simulation->StartTime) : 0.0);
}

std::vector<int32_t> TTableGridReader::ColumnWidths() const {
    std::vector<int32_t> widths(static_cast<size_t>(Columns), TableGridDefaultColumnWidth);
    for (int32_t i = 0; i + 1 < Columns; ++i)
        widths[static_cast<size_t>(i) + 1] = Table.ColumnWidth(i);
    return widths;
}

TTableGrid FillTableGrid(const TTableInstance& table, int64_t maxCells) {
    const TTableGridReader reader(table, maxCells);
    TTableGrid grid;
    grid.ColumnWidths = reader.ColumnWidths();
    grid.Cells.resize(static_cast<size_t>(reader.RowCount()));
    for (int64_t r = 0; r < reader.RowCount(); ++r) {
        std::vector<std::string>& line = grid.Cells[static_cast<size_t>(r)];
        line.reserve(static_cast<size_t>(reader.ColumnCount()));
        for (int32_t c = 0; c < reader.ColumnCount(); ++c)
            line.push_back(reader.Cell(r, c));
    }
    return grid;
}

bool ColumnWidthsDiffer(const TTableInstance& table, const std::vector<int32_t>& gridWidths) {
    for (int32_t i = 0; i < table.ColumnCount(); ++i) {
        const auto column = static_cast<size_t>(i) + 1;
        if (column < gridWidths.size() && gridWidths[column] >= 0 &&
            gridWidths[column] != table.ColumnWidth(i))
            return true;
    }
    return false;
}

void StoreColumnWidths(TTableInstance& table, const std::vector<int32_t>& gridWidths) {
    for (int32_t i = 0; i < table.ColumnCount(); ++i) {
        const auto column = static_cast<size_t>(i) + 1;
        if (column < gridWidths.size()) table.SetColumnWidth(i, gridWidths[column]);
    }
}

std::string GridText(const std::vector<std::vector<std::string>>& cells, const std::string& title) {
    std::string text;
    bool firstLine = true;
    const auto newLine = [&]() {
        if (!firstLine) text += "\r\n";
        firstLine = false;
    };
    if (!title.empty()) {
        newLine();
        text += title;
    }
    for (const auto& row : cells) {
        newLine();
        for (size_t c = 0; c < row.size(); ++c) {
            if (c > 0) text += '\t';
            text += row[c];
        }
    }
    return text;
}
