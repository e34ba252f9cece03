// The set-up dialog's rules without a window: names, GRAPH calls in equations, insertions,
// sketch grid rows and the GRAPH editor's opening scale.
#include "core/model/ElementRules.h"

#include "support/ModelBuilder.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

const std::string FunctionName =
    "You cannot use this name - this is similar to an existing function name";
const std::string Similar =
    "You cannot use this name - another variable already has a similar name";
const std::string Letter = "You have typed in an invalid name, this must start with a letter";
std::string Contains(char c) {
    return std::string("You have typed in an invalid name, the variable name cannot contain '") +
           c + "'";
}

} // namespace

TEST(ElementRules, NamesAreRefusedWithTheFirstFailingRule) {
    TModelBuilder model;
    TVariableObject& self = model.Variable("Sales");
    model.Variable("two_words");
    const struct {
        const char* Name;
        std::string Message;
    } cases[] = {
        {"   ", "You must enter a name for the variable"},
        {"1st", Letter},
        {" _x", Letter},
        {"a.b", Contains('.')},
        {"a<b", Contains('<')},
        {"a>b", Contains('>')},
        {"a^b+c", Contains('^')}, // the first character of the list found wins
        {"two words", Similar},
        {"TWO_WORDS", Similar},
        {"max", FunctionName},
        {"Time", FunctionName},
        {"pi", FunctionName},
        {"1.5", Letter}, // the first letter before the characters
        {"sales", ""},   // its own name in another case
        {"Unit Price", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ValidateElementName(model.Sim, &self, c.Name), c.Message) << c.Name;
    // A name of two words is fine where no element has it joined by '_'.
    TModelBuilder other;
    EXPECT_EQ(ValidateElementName(other.Sim, nullptr, "two words"), "");
}

TEST(ElementRules, FindsTheGraphCallOnItsNameOrInsideItsBrackets) {
    const std::string text = "a + graph(TIME, 0, 1, MAX(1, 2), 3) * b";
    const size_t start = 4, end = 35;
    const struct {
        size_t Cursor;
        bool Found;
    } cases[] = {
        {0, false}, {4, true},  {6, true},  {9, true},   {10, true},
        {25, true}, {30, true}, {34, true}, {35, false}, {38, false},
    };
    for (const auto& c : cases) {
        const auto span = FindGraphCallAtCursor(text, c.Cursor, c.Cursor);
        ASSERT_EQ(span.has_value(), c.Found) << c.Cursor;
        if (span) {
            EXPECT_EQ(span->Start, start) << c.Cursor;
            EXPECT_EQ(span->End, end) << c.Cursor;
        }
    }
    // The middle of a selection counts; an open call runs to the end; a word that only
    // starts with GRAPH is no call.
    EXPECT_TRUE(FindGraphCallAtCursor(text, 0, 20).has_value());
    const auto open = FindGraphCallAtCursor("GRAPH (x, 0, 1, 2", 8, 8);
    ASSERT_TRUE(open);
    EXPECT_EQ(open->End, 17u);
    EXPECT_FALSE(FindGraphCallAtCursor("GRAPHS(x)", 8, 8));
    EXPECT_FALSE(FindGraphCallAtCursor("", 0, 0));
}

TEST(ElementRules, InsertionsTrimAroundAndPlaceTheCursor) {
    const struct {
        std::string Text;
        size_t Start, End;
        TInsertion Insert;
        std::string Expected;
        size_t Cursor;
    } cases[] = {
        {"a +  ", 5, 5, ElementInsertion("Unit Price"), "a + Unit_Price ", 15},
        {"a + x", 4, 5, FunctionInsertion(26), "a + MAX( )", 9}, // MAX replaces x
        {"2 *", 3, 3, FunctionInsertion(0), "2 * PI ", 7},       // PI takes none
        {"", 0, 0, FunctionInsertion(24), " RANDOM ", 8},        // RANDOM is bare
        {"x  y", 1, 1, FunctionInsertion(13), "x AND( )y", 7},   // after is trimmed
        {"", 0, 0, FunctionInsertion(56), " TREND( )", 8},       // the later ones take some
        {"a +", 3, 3, {"GRAPH( , 0, 1, 0)", 7}, "a + GRAPH( , 0, 1, 0)", 11},
    };
    for (const auto& c : cases) {
        const TInsertion result =
            InsertAtCursor(c.Text, c.Start, c.End, c.Insert.Text, c.Insert.Cursor);
        EXPECT_EQ(result.Text, c.Expected) << c.Text;
        EXPECT_EQ(result.Cursor, c.Cursor) << c.Text;
    }
}

TEST(ElementRules, SketchGridRowsRefuseUnusableIntervalsAndCapTheCount) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    const struct {
        double Start, Stop, Interval;
        bool Usable, Capped;
        int32_t Rows;
        bool StopRow;
    } cases[] = {
        {0, 24, 1, true, false, 25, false},     {0, 24.5, 1, true, false, 26, true},
        {5, 29, 0.1, true, false, 241, false},  {0, 24, 30, true, false, 2, true},
        {0, 24, 0, false, false, 0, false},     {0, 24, -1, false, false, 0, false},
        {0, 24, nan, false, false, 0, false},   {0, 24, inf, false, false, 0, false},
        {0, 24, 1e-12, false, false, 0, false}, {0, 24, 1e-9, true, true, MaxSketchRows, false},
        {0, inf, 1, false, false, 0, false},
    };
    for (const auto& c : cases) {
        const TSketchGrid grid = MakeSketchGrid(c.Start, c.Stop, c.Interval);
        EXPECT_EQ(grid.Usable, c.Usable) << c.Interval;
        EXPECT_EQ(grid.Capped, c.Capped) << c.Interval;
        EXPECT_EQ(grid.Rows, c.Rows) << c.Interval;
        EXPECT_EQ(grid.StopRow, c.StopRow) << c.Interval;
    }
    const TSketchGrid grid = MakeSketchGrid(0, 24.5, 1);
    EXPECT_DOUBLE_EQ(grid.Offset(25), 24.5); // the exact stop time
    EXPECT_EQ(grid.RowOf(24.5), 25);
    EXPECT_EQ(grid.RowOf(3), 3);
    EXPECT_EQ(grid.RowOf(3.5), -1);
    EXPECT_EQ(grid.RowOf(1e300), -1);
    EXPECT_EQ(grid.RowAt(0), 0);
    EXPECT_EQ(grid.RowAt(1), 25);
    EXPECT_EQ(grid.RowAt(0.999), 24);
    EXPECT_EQ(grid.RowAt(0.5), 12);
}

TEST(ElementRules, SketchStrokeFillsTheRowsBetweenByTime) {
    const TSketchGrid grid = MakeSketchGrid(2, 6.5, 1); // offsets 0 1 2 3 4 and 4.5
    TDataSeries sketch;
    SketchStroke(sketch, grid, -1, 0, 1, 10);
    SketchStroke(sketch, grid, 1, 10, 5, 1);
    SketchStroke(sketch, grid, 5, 1, 5, 3); // the same row again replaces its value
    const double expected[][2] = {
        {1, 10}, {2, 10 - 9 / 3.5}, {3, 10 - 18 / 3.5}, {4, 10 - 27 / 3.5}, {4.5, 3}};
    ASSERT_EQ(sketch.Count(), 5);
    for (size_t i = 0; i < 5; ++i) {
        EXPECT_DOUBLE_EQ(sketch.Points[i].Time, expected[i][0]);
        EXPECT_NEAR(sketch.Points[i].Value, expected[i][1], 1e-12);
    }
    // Backwards strokes fill too; rows outside the grid change nothing.
    SketchStroke(sketch, grid, 1, 0, 0, 4);
    EXPECT_EQ(sketch.Points[0].Time, 0);
    SketchStroke(sketch, grid, 0, 0, 99, 4);
    EXPECT_EQ(sketch.Count(), 6);
}

TEST(ElementRules, LookupEditorScaleIsRoundAndFitsWholeNumberFields) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const struct {
        std::vector<double> Values;
        double Lower, Upper;
    } cases[] = {
        {{}, 0, 1},           {{1.23456, 2}, 1, 3},
        {{-3.5, 7.2}, -4, 8}, {{0, 100}, 0, 120},
        {{0, 0, 0}, 0, 1},    {{nan, 5}, 5, 6},
        {{nan}, 0, 1},        {{-1e300, 1e300}, -1e9, 1.5e9},
    };
    for (const auto& c : cases) {
        std::vector<TDataPoint> points;
        for (double v : c.Values)
            points.push_back({static_cast<double>(points.size()), v});
        const TLookupScale scale = LookupEditorScale(points);
        EXPECT_DOUBLE_EQ(scale.Lower, c.Lower) << c.Values.size();
        EXPECT_DOUBLE_EQ(scale.Upper, c.Upper) << c.Values.size();
        EXPECT_LT(scale.Lower, scale.Upper);
        EXPECT_LT(std::abs(scale.Upper), 2147483647.0);
    }
}
