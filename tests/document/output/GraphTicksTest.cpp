// Value and time ticks of the graphs.
#include "core/support/NumberFormat.h"
#include "document/output/GraphDrawing.h"
#include "document/output/GraphLabelRules.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

namespace {

const double Inf = std::numeric_limits<double>::infinity();
const double NaN = std::numeric_limits<double>::quiet_NaN();

struct TValueTickCase {
    double Max;
    double Min;
    TTickList Expected;
};

TEST(GraphTicksTest, ValueTicksStartAtMinEndAtMaxAndFollowTheStep) {
    const TValueTickCase cases[] = {
        {10, 0, {"0", "1", "2", "3", "4", "5", "6", "7", "8", "9", "10", "10"}},
        {150, 0, {"0", "20", "40", "60", "80", "100", "120", "140", "150"}},
        {7, 0, {"0", "1", "2", "3", "4", "5", "6", "7", "7"}},
        {9.2, 3.7, {"3.7", "4", "5", "6", "7", "8", "9", "9.2"}},
        {0.5, 0, {"0", "0.1", "0.2", "0.3", "0.4", "0.5", "0.5"}},
        // A negative min off the grid: the grid starts a step below it.
        {5, -3.5, {"-3.5", "-3", "-2", "-1", "0", "1", "2", "3", "4", "5", "5"}},
        {0, -10, {"-10", "-9", "-8", "-7", "-6", "-5", "-4", "-3", "-2", "-1", "0", "0"}},
        // Above 100000 the ticks are written with an exponent.
        {500000,
         0,
         {"0", "50000", "100000", "1.50E+05", "2.00E+05", "2.50E+05", "3.00E+05", "3.50E+05",
          "4.00E+05", "4.50E+05", "5.00E+05", "5.00E+05"}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(CalcValueTicks(c.Max, c.Min), c.Expected) << c.Min << " .. " << c.Max;
}

TEST(GraphTicksTest, ValueTicksOfUnusableLimitsAreShort) {
    // No span at all: nothing to label.
    const std::pair<double, double> empty[] = {{0, 0},   {0, 10},   {NaN, 0},   {10, NaN},
                                               {Inf, 0}, {5, -Inf}, {Inf, -Inf}};
    for (const auto& [max, min] : empty)
        EXPECT_TRUE(CalcValueTicks(max, min).empty()) << min << " .. " << max;

    // A step that underflows, or a range that overflows: the two limits alone.
    EXPECT_EQ(CalcValueTicks(5e-324, 0), (TTickList{"0", "0"}));
    EXPECT_EQ(CalcValueTicks(1e308, -1e308).size(), 2u);

    // A range far below the tolerance would otherwise run on for ages.
    for (double max : {1e-300, 1e-30, 1e-15}) {
        const TTickList ticks = CalcValueTicks(max, 0);
        ASSERT_GE(ticks.size(), 2u);
        EXPECT_LE(ticks.size(), static_cast<size_t>(MaxTickCount) + 2) << max;
        EXPECT_EQ(ticks.front(), "0");
    }
}

struct TTimeTickCase {
    std::string Unit;
    double Max;
    double Min;
    TTickList Expected;
};

TTickList Range(double first, double step, int count) {
    TTickList ticks;
    for (int i = 0; i < count; ++i)
        ticks.push_back(FormatFloat("#0.#####", first + i * step));
    return ticks;
}

TEST(GraphTicksTest, TimeTicksFollowTheUnitsStepTable) {
    const TTimeTickCase cases[] = {
        {"Years", 100, 0, Range(0, 10, 11)},
        {"Months", 24, 0, Range(0, 3, 9)},
        {"Months", 240, 0, Range(0, 24, 11)},
        {"Months", 0.5, 0, {"0", "0.1", "0.2", "0.3", "0.4", "0.5"}},
        {"Hours", 48, 0, Range(0, 6, 9)},
        {"Hours", 200, 0, Range(0, 24, 9)},
        {"Days", 30, 0, Range(0, 5, 7)},
        {"Weeks", 30, 0, Range(0, 4, 8)},
        {"Weeks", 52, 0, Range(0, 10, 6)},
        {"Quarters", 12, 0, Range(0, 2, 7)},
        {"Quarters", 100, 0, Range(0, 12, 9)},
        // The unit name is matched exactly; anything else takes 1, 2, 5, 10.
        {"months", 24, 0, Range(0, 5, 5)},
        {"Fortnights", 100, 0, Range(0, 10, 11)},
        {"Months", 2030, 2020, Range(2020, 1, 11)},
        // A start off the grid is listed, then the grid from the next step on.
        {"Years", 10, 0.5, {"0.5", "1", "2", "3", "4", "5", "6", "7", "8", "9", "10"}},
        {"Years", 5, -2.5, {"-2.5", "-2", "-1", "0", "1", "2", "3", "4", "5"}},
        // A start on the unit's base counts as on the grid even when the step is larger.
        {"Months", 240, 12, Range(12, 24, 10)},
    };
    for (const auto& c : cases)
        EXPECT_EQ(CalcTimeTicks(c.Unit, nullptr, c.Max, c.Min), c.Expected)
            << c.Unit << " " << c.Min << " .. " << c.Max;
}

TEST(GraphTicksTest, FewFixedTicksAreCopiedWithoutTheirHeading) {
    const TTickList fixed{"X", "1", "2.5", "4"};
    EXPECT_EQ(CalcTimeTicks("Months", &fixed, 24, 0), (TTickList{"1", "2.5", "4"}));
    const TTickList headingOnly{"X"};
    EXPECT_TRUE(CalcTimeTicks("Months", &headingOnly, 24, 0).empty());
    const TTickList none;
    EXPECT_TRUE(CalcTimeTicks("Months", &none, 24, 0).empty());
    // Eleven or more are not used: the unit's ticks are computed instead.
    const TTickList many(11, "7");
    EXPECT_EQ(CalcTimeTicks("Months", &many, 24, 0), Range(0, 3, 9));
}

TEST(GraphTicksTest, TimeTicksWithoutSpanGiveTheStartAlone) {
    const std::pair<double, double> cases[] = {{5, 5}, {0, 5}, {NaN, 5}, {Inf, 5}};
    for (const auto& [max, min] : cases)
        EXPECT_EQ(CalcTimeTicks("Months", nullptr, max, min), (TTickList{"5"})) << max;
    EXPECT_TRUE(CalcTimeTicks("Months", nullptr, 10, NaN).empty());
    EXPECT_TRUE(CalcTimeTicks("Months", nullptr, 10, -Inf).empty());
}

TEST(GraphTicksTest, TimeTicksStayFewForExtremeSpans) {
    for (double max : {1e300, 1e-300, 1e15}) {
        const TTickList ticks = CalcTimeTicks("Years", nullptr, max, 0);
        ASSERT_FALSE(ticks.empty());
        EXPECT_LE(ticks.size(), 12u) << max;
        EXPECT_EQ(ticks.front(), "0");
    }
    EXPECT_EQ(CalcTimeTicks("Years", nullptr, 1e308, -1e308).size(), 1u);
}

} // namespace
