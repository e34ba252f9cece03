#include "core/support/GridClipboard.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <utility>

namespace {

// The grid after pasting text into a range of an empty grid: "row,column" -> value.
std::map<std::pair<int, int>, double> Paste(const std::string& text, int firstColumn, int firstRow,
                                            int lastColumn, int lastRow, bool* skipped = nullptr) {
    std::map<std::pair<int, int>, double> grid;
    const TPastePlan plan = PlanPaste(text, firstColumn, firstRow, lastColumn, lastRow);
    for (const TPasteCell& cell : plan.Cells)
        grid[{cell.Row, cell.Column}] = cell.Value;
    if (skipped) *skipped = plan.SkippedText;
    return grid;
}

using TGrid = std::map<std::pair<int, int>, double>;

TEST(GridClipboard, PasteFillsTheRangeAsASpreadsheetUserExpects) {
    struct TCase {
        const char* Name;
        std::string Text;
        int Columns, Rows;
        TGrid Expected;
        bool Skipped;
    };
    const TCase cases[] = {
        {"one value fills the range",
         "7",
         2,
         3,
         {{{0, 0}, 7}, {{0, 1}, 7}, {{1, 0}, 7}, {{1, 1}, 7}, {{2, 0}, 7}, {{2, 1}, 7}},
         false},
        {"CR LF lines go to rows",
         "1\t2\r\n3\t4\r\n",
         2,
         2,
         {{{0, 0}, 1}, {{0, 1}, 2}, {{1, 0}, 3}, {{1, 1}, 4}},
         false},
        {"LF-only lines go to rows and keep their first digit",
         "10\n20\n30",
         1,
         3,
         {{{0, 0}, 10}, {{1, 0}, 20}, {{2, 0}, 30}},
         false},
        {"CR-only lines go to rows", "5\r6", 1, 2, {{{0, 0}, 5}, {{1, 0}, 6}}, false},
        {"a line longer than the range ends the paste",
         "1\t2\t3\r\n4\t5",
         2,
         2,
         {{{0, 0}, 1}, {{0, 1}, 2}},
         false},
        {"commas are thousands separators", "1,5", 1, 1, {{{0, 0}, 15}}, false},
        {"blank lines are skipped", "1\n\n\n2", 1, 2, {{{0, 0}, 1}, {{1, 0}, 2}}, false},
        {"quoted numbers are numbers, text is skipped",
         "'12'\tabc\r\n3",
         2,
         2,
         {{{0, 0}, 12}, {{1, 0}, 3}},
         true},
        {"text alone changes nothing", "hello", 2, 2, {}, true},
        {"empty text changes nothing", "", 2, 2, {}, false},
        {"more rows than the range stop at its end",
         "1\n2\n3\n4",
         1,
         2,
         {{{0, 0}, 1}, {{1, 0}, 2}},
         false},
    };
    for (const TCase& c : cases) {
        bool skipped = false;
        EXPECT_EQ(Paste(c.Text, 0, 0, c.Columns - 1, c.Rows - 1, &skipped), c.Expected) << c.Name;
        EXPECT_EQ(skipped, c.Skipped) << c.Name;
    }
    // An offset range keeps its offsets.
    EXPECT_EQ(Paste("8\t9", 1, 4, 2, 4), (TGrid{{{4, 1}, 8}, {{4, 2}, 9}}));
}

TEST(GridClipboard, CopyTextAndFixedNumbers) {
    const auto cell = [](int column, int row) {
        return row == 0 && column == 0 ? std::string() : std::to_string(row * 10 + column);
    };
    // With no title and an empty first cell, the second row still comes on its own line.
    EXPECT_EQ(GridCopyText("", cell, 0, 1, 1, 0), "\t1\r\n10\t11");
    EXPECT_EQ(GridCopyText("Title", cell, 1, 1, 1, 0), "Title\r\n10\t11");
    EXPECT_EQ(GridCopyText("", cell, 0, 0, -1, 0), "");

    const std::pair<double, const char*> fixed[] = {
        {7, "7.000"}, {0.1 + 0.2, "0.300"}, {-2.5, "-2.500"}, {1234567.0, "1234567.000"}};
    for (const auto& [value, text] : fixed)
        EXPECT_EQ(FormatFixed(3, value), text) << value;
    EXPECT_EQ(FormatFixed(0, 2.4), "2");
}

} // namespace
