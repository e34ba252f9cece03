// The Results Table grid of a table control, its column widths and its text copy.
#include "document/output/TableDrawing.h"

#include "core/support/NumberFormat.h"

#include <algorithm>

TTableGrid FillTableGrid(const TTableInstance& table, int64_t maxCells) {
    TTableGrid grid;
    const int32_t entries = table.Series.Count();
    const auto columnCount = static_cast<size_t>(entries) + 1;
    const TSimulationObject* simulation = TableSimulation(table);

    grid.ColumnWidths.assign(columnCount, TableGridDefaultColumnWidth);
    for (int32_t i = 0; i < entries; ++i)
        grid.ColumnWidths[static_cast<size_t>(i) + 1] = table.ColumnWidth(i);

    // Rows 1 .. n + 1 of the run; a run of absurd length keeps only its first rows.
    int64_t rows = 0;
    if (simulation) {
        const int64_t n = TableIntervalCount(*simulation, table.Interval);
        const int64_t cap = std::max<int64_t>(
            1, std::min(TableGridMaxRows, maxCells / static_cast<int64_t>(columnCount)));
        rows = std::min(n + 1, cap);
    }
    grid.Cells.assign(static_cast<size_t>(rows) + 2, std::vector<std::string>(columnCount));
    grid.Cells[1][0] = "Time (" + (simulation ? simulation->TimeUnit : std::string()) + ")";
    for (int32_t i = 0; i < entries; ++i) {
        const TVariableDataLink& entry = *table.Series[i];
        const auto column = static_cast<size_t>(i) + 1;
        grid.Cells[0][column] = TableHeaderLabel(entry);
        if (entry.Var()) grid.Cells[1][column] = entry.Var()->Units;
    }
    for (int64_t r = 1; r <= rows; ++r) {
        std::vector<std::string>& line = grid.Cells[static_cast<size_t>(r) + 1];
        const double time = TableRowTime(*simulation, table.Interval, r);
        const double offset = time - simulation->StartTime;
        line[0] = FormatFloat("0.000", time);
        for (int32_t i = 0; i < entries; ++i) {
            const TDataSeries* series = table.Series[i]->DataSeries();
            line[static_cast<size_t>(i) + 1] =
                FormatFloat("0.00", series ? series->ValueAt(offset) : 0.0);
        }
    }
    return grid;
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
