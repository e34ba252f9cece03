// The Results Table grid: rows of the run, labels and units, column widths and Copy Grid.
#include "TableFixture.h"

#include "core/support/NumberFormat.h"

#include <gtest/gtest.h>

namespace {

using TCells = std::vector<std::vector<std::string>>;

std::vector<std::string> Column(const TTableGrid& grid, size_t column) {
    std::vector<std::string> cells;
    for (const auto& row : grid.Cells)
        cells.push_back(row.at(column));
    return cells;
}

} // namespace

TEST(TableGrid, RowsEveryIntervalOfTheRun) {
    TTableFixture t;
    TVariableDataLink* simulated = t.AddEntry("Stock", skSimulated, 70);
    simulated->Var()->Units = "Sheep";
    for (int i = 0; i <= 12; ++i)
        simulated->Var()->Simulated.AddPoint(i * 0.25, 10.0 * i * 0.25);
    TVariableDataLink* sketched = t.AddEntryFor(simulated->Var(), skSketched, 60);
    t.AddEntry("Rate", skDerived, -1);
    t.Model().TimeUnit = "Weeks";
    t.RunTo(0, 0.25, 2, 3);
    ASSERT_TRUE(sketched->DataSeries()->IsEmpty());

    const TTableGrid grid = FillTableGrid(*t.Table);
    ASSERT_EQ(grid.RowCount(), 9); // n = 6: rows 1 .. 7 below the two fixed rows
    for (const auto& row : grid.Cells)
        ASSERT_EQ(row.size(), 4u);
    EXPECT_EQ(grid.Cells[0], (std::vector<std::string>{"", "Stock", "Stock (Sk)", "Rate (D)"}));
    EXPECT_EQ(grid.Cells[1], (std::vector<std::string>{"Time (Weeks)", "Sheep", "Sheep", ""}));
    EXPECT_EQ(Column(grid, 0),
              (std::vector<std::string>{"", "Time (Weeks)", "0.000", "0.500", "1.000", "1.500",
                                        "2.000", "2.500", "3.000"}));
    EXPECT_EQ(Column(grid, 1), (std::vector<std::string>{"Stock", "Sheep", "0.00", "5.00", "10.00",
                                                         "15.00", "20.00", "25.00", "30.00"}));
    // A series without points reads 0.
    EXPECT_EQ(grid.Cells[8][2], "0.00");
    EXPECT_EQ(grid.Cells[8][3], "0.00");
    // The time column keeps the default; a width never stored counts 0.
    EXPECT_EQ(grid.ColumnWidths, (std::vector<int32_t>{TableGridDefaultColumnWidth, 70, 60, 0}));
}

TEST(TableGrid, BeforeTheFirstStepOneRowForTheStartTime) {
    TTableFixture t;
    t.AddEntry("A");
    t.RunTo(1990, 1, 1, 1990);
    const TTableGrid grid = FillTableGrid(*t.Table);
    ASSERT_EQ(grid.RowCount(), 3);
    EXPECT_EQ(grid.Cells[2], (std::vector<std::string>{"1990.000", "0.00"}));
}

TEST(TableGrid, WithoutEntriesOnlyTheTimeColumn) {
    TTableFixture t;
    t.RunTo(0, 1, 1, 2);
    const TTableGrid grid = FillTableGrid(*t.Table);
    ASSERT_EQ(grid.RowCount(), 5);
    EXPECT_EQ(Column(grid, 0),
              (std::vector<std::string>{"", "Time (Months)", "0.000", "1.000", "2.000"}));
    EXPECT_EQ(grid.ColumnWidths, (std::vector<int32_t>{TableGridDefaultColumnWidth}));
}

TEST(TableGrid, AbsurdRunKeepsItsFirstRowsOnly) {
    struct TCase {
        int32_t Entries;
        int64_t MaxCells;
        int32_t Rows; // rows of values
    };
    const TCase cases[] = {{3, 100, 25}, {3, 101, 25}, {0, 7, 7}, {9, 5, 1}};
    for (const TCase& c : cases) {
        TTableFixture t;
        for (int32_t i = 0; i < c.Entries; ++i)
            t.AddEntry("E" + std::to_string(i));
        t.RunTo(0, 1, 1, 1e15);
        const TTableGrid grid = FillTableGrid(*t.Table, c.MaxCells);
        ASSERT_EQ(grid.RowCount(), c.Rows + 2) << c.Entries << " " << c.MaxCells;
        EXPECT_EQ(grid.Cells[2][0], "0.000");
        EXPECT_EQ(grid.Cells.back()[0], FormatFloat("0.000", c.Rows - 1));
    }
}

TEST(TableGrid, StoreColumnWidths) {
    struct TCase {
        const char* Name;
        std::vector<int32_t> GridWidths;
        std::vector<int32_t> Expected;
    };
    const TCase cases[] = {
        {"every column", {90, 70, 80, 100}, {70, 80, 100}},
        {"negative ignored", {90, 70, -5, 100}, {70, 60, 100}},
        {"extra grid columns ignored", {90, 70, 80, 100, 120, 130}, {70, 80, 100}},
        {"fewer grid columns", {90, 50}, {50, 60, 60}},
        {"no grid", {}, {60, 60, 60}},
        {"zero is a width", {-1, 0, 0, 0}, {0, 0, 0}},
    };
    for (const TCase& c : cases) {
        TTableFixture t;
        for (const char* name : {"A", "B", "C"})
            t.AddEntry(name);
        StoreColumnWidths(*t.Table, c.GridWidths);
        EXPECT_EQ(t.Table->ColumnWidths, c.Expected) << c.Name;
    }

    // An array shorter than the entries keeps its length.
    TTableFixture t;
    t.AddEntry("A");
    t.AddEntry("B", skSimulated, -1);
    StoreColumnWidths(*t.Table, {90, 75, 85});
    EXPECT_EQ(t.Table->ColumnWidths, (std::vector<int32_t>{75}));
}

TEST(TableGrid, CopyGridText) {
    const TCells cells = {{"", "A (Sk)"}, {"Time (Months)", "kg"}, {"0.000", "1.50"}};
    struct TCase {
        const char* Name;
        TCells Cells;
        std::string Title;
        std::string Expected;
    };
    const TCase cases[] = {
        {"no title", cells, "", "\tA (Sk)\r\nTime (Months)\tkg\r\n0.000\t1.50"},
        {"title first", cells, "Sheep farm",
         "Sheep farm\r\n\tA (Sk)\r\nTime (Months)\tkg\r\n0.000\t1.50"},
        {"title only", {}, "Sheep farm", "Sheep farm"},
        {"nothing", {}, "", ""},
        {"single cell", {{"x"}}, "", "x"},
        {"empty row kept", {{"a", "b"}, {}, {"c"}}, "", "a\tb\r\n\r\nc"},
    };
    for (const TCase& c : cases)
        EXPECT_EQ(GridText(c.Cells, c.Title), c.Expected) << c.Name;
}

TEST(TableGrid, CopyOfAFilledGrid) {
    TTableFixture t;
    t.AddEntry("A")->Var()->Units = "kg";
    t.RunTo(0, 1, 1, 1);
    const std::string text = GridText(FillTableGrid(*t.Table).Cells, "");
    EXPECT_EQ(text, "\tA\r\nTime (Months)\tkg\r\n0.000\t0.00\r\n1.000\t0.00");
}
