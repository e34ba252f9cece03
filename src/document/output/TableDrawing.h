#pragma once
// Tables of element series at regular times of the current run: painted inside a table
// control on the diagram, and laid out as the text grid of the Results Table window.

#include "document/diagram/DrawingObjects.h"

#include <QtCore/QString>
#include <QtGui/QColor>

#include <cstdint>
#include <string>
#include <vector>

class QPainter;
class TSimulationObject;

// The simulation a table reads: its drawing's model, else the first entry's element's.
TSimulationObject* TableSimulation(const TTableInstance& table);

// n: the number of whole row intervals run so far; the table has rows 1 .. n + 1, row r at
// StartTime + (r - 1) * TimeStep * interval. 0 before the first step and for unusable times.
int64_t TableIntervalCount(const TSimulationObject& simulation, int32_t interval);
// Counts beyond this are cut to it, so that row arithmetic stays exact and nothing overflows.
inline constexpr int64_t TableMaxIntervalCount = int64_t{1} << 40;
// The time row r (1-based) stands for.
double TableRowTime(const TSimulationObject& simulation, int32_t interval, int64_t row);

// The first row a table control shows when its rectangle is height pixels high: the rows
// first .. n + 1 fill it below the header, the most recent at the bottom.
int64_t TableFirstRow(int64_t n, int32_t height, int32_t rowHeight);

// The column heading of an entry: the element's name, then " (Sk)" or " (D)".
std::string TableHeaderLabel(const TVariableDataLink& entry);

// The content of a table control after its frame is drawn: its latest rows that fit.
void PaintTableControl(TTableInstance& table, QPainter& canvas, QRgb frameColour, double s);

// One cell of a table control at row position row, column offset column and width width,
// cut back to control; true when its text was drawn.
bool DrawTableCell(QPainter& canvas, const TDrawRect& control, int32_t rowHeight, QRgb frameColour,
                   const QString& text, int32_t row, int32_t column, int32_t width);

// The Results Table grid: two fixed rows (labels and units) and a fixed time column.
struct TTableGrid {
    std::vector<std::vector<std::string>> Cells; // [row][column]
    std::vector<int32_t> ColumnWidths;           // per grid column; column 0 keeps the default
    int32_t RowCount() const { return static_cast<int32_t>(Cells.size()); }
};
inline constexpr int32_t TableGridDefaultColumnWidth = 90;
inline constexpr int32_t TableGridRowHeight = 18;
// The grid holds at most this many rows of values (and fewer with many columns), the
// first rows of the run, so that a run of absurd length cannot exhaust memory.
inline constexpr int64_t TableGridMaxRows = 1000000;
inline constexpr int64_t TableGridMaxCells = 2000000;

// The grid read a cell at a time, so that a window can show a long run without formatting
// every row first. It holds the row count of the moment it was made; cells of entries or
// rows that no longer exist read as empty.
class TTableGridReader {
public:
    // maxCells bounds the cells of values (rows times columns), as FillTableGrid does.
    explicit TTableGridReader(const TTableInstance& table, int64_t maxCells = TableGridMaxCells);
    // The two fixed rows included.
    int64_t RowCount() const { return ValueRows + 2; }
    int32_t ColumnCount() const { return Columns; }
    std::string Cell(int64_t row, int32_t column) const;
    // Per grid column: the default for the time column, then the table's widths.
    std::vector<int32_t> ColumnWidths() const;

private:
    const TTableInstance& Table;
    const TSimulationObject* Simulation;
    int64_t ValueRows = 0;
    int32_t Columns = 1;
};

// maxCells bounds the cells of values (rows times columns) and so the memory taken.
TTableGrid FillTableGrid(const TTableInstance& table, int64_t maxCells = TableGridMaxCells);
// Whether StoreColumnWidths with these grid widths would change any stored width.
bool ColumnWidthsDiffer(const TTableInstance& table, const std::vector<int32_t>& gridWidths);
// Writes grid column i + 1's width into ColumnWidths[i] for every index the table has;
// negative widths are ignored.
void StoreColumnWidths(TTableInstance& table, const std::vector<int32_t>& gridWidths);
// "Copy Grid": the title line when there is a title, then the rows; cells separated by a
// tab, lines by CR LF, nothing after the last line.
std::string GridText(const std::vector<std::vector<std::string>>& cells, const std::string& title);
