#include "core/model/SimulationObjects.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

const char* const EndBeforeStart = "The end time must be greater than the start time";
const char* const ViewStopOutside =
    "The display end time must within the current simulation time range";
const char* const ViewStartOutside =
    "The display start time must within the current simulation time range";
const char* const ViewEndBeforeStart =
    "The display end time must be greater than the display start time";
const char* const NowOutside =
    "The marker for 'now' must be within the current simulation time range";
const char* const BadStep = "The time step must be a number greater than zero";
const char* const BadRunStep = "The run step interval must be between 1 and 1000 time steps";
const char* const BadUpdate = "The update interval must be between 1 and 1000 time steps";

TTimeSettingsEntry Entry(double start, double stop, double viewStart, double viewStop, double now) {
    TTimeSettingsEntry entry;
    entry.StartTime = start;
    entry.StopTime = stop;
    entry.ViewStart = viewStart;
    entry.ViewStop = viewStop;
    entry.Now = now;
    return entry;
}

} // namespace

TEST(TimeSettings, EachCheckRefusesWithItsMessage) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    struct Case {
        const char* what;
        TTimeSettingsEntry entry;
        const char* error;
    } cases[] = {
        {"stop equals start", Entry(5, 5, 5, 5, 5), EndBeforeStart},
        {"stop before start, now outside too", Entry(10, 0, 0, 0, 99), EndBeforeStart},
        {"stop not a number", Entry(0, nan, 0, 24, 12), EndBeforeStart},
        {"view stop past stop", Entry(0, 24, 0, 30, 12), ViewStopOutside},
        {"view stop before start", Entry(0, 24, 0, -1, 12), ViewStopOutside},
        {"view start past stop", Entry(0, 24, 25, 24, 12), ViewStartOutside},
        {"view start before start", Entry(0, 24, -1, 24, 12), ViewStartOutside},
        {"empty view", Entry(0, 24, 5, 5, 12), ViewEndBeforeStart},
        {"reversed view", Entry(0, 24, 10, 5, 12), ViewEndBeforeStart},
        {"now past stop", Entry(0, 24, 0, 24, 24.5), NowOutside},
        {"now before start", Entry(0, 24, 0, 24, -0.1), NowOutside},
        {"bounds inclusive", Entry(0, 24, 0, 24, 24), ""},
        // Typed entries pass, but rounding would leave an empty run or view.
        {"run empty once rounded", Entry(0.5, 1.4, 0.5, 1.4, 1), EndBeforeStart},
        {"view empty once rounded", Entry(0, 24, 2.5, 3.4, 3), ViewEndBeforeStart},
        {"endless start", Entry(-inf, 24, 0, 24, 12),
         "The start and end times must be finite numbers"},
    };
    for (const auto& c : cases) {
        TTimeSettingsResult result = CheckTimeSettings(c.entry);
        EXPECT_EQ(result.Error, c.error) << c.what;
        EXPECT_EQ(result.Values.has_value(), result.Error.empty()) << c.what;
    }
}

TEST(TimeSettings, TimeStepAndIntervalsAreRefusedBeforeAnythingIsApplied) {
    struct Case {
        const char* step;
        int32_t runStep, update;
        const char* error;
        double timeStep;
    } cases[] = {
        {"0.125", 1, 1, "", 0.125},  {" 0.500 ", 1000, 1000, "", 0.5},
        {"abc", 1, 1, BadStep, 0},   {"", 1, 1, BadStep, 0},
        {"0", 1, 1, BadStep, 0},     {"-1", 1, 1, BadStep, 0},
        {"1e400", 1, 1, BadStep, 0}, {"NAN", 1, 1, BadStep, 0},
        {"INF", 1, 1, BadStep, 0},   {"1,5", 1, 1, BadStep, 0},
        {"1", 0, 1, BadRunStep, 0},  {"1", 1001, 1, BadRunStep, 0},
        {"1", 1, 0, BadUpdate, 0},   {"1", 1, 1001, BadUpdate, 0},
        {"x", 0, 0, BadStep, 0},
    };
    for (const auto& c : cases) {
        TTimeSettingsEntry entry;
        entry.TimeStepText = c.step;
        entry.RunStepInterval = c.runStep;
        entry.UpdateInterval = c.update;
        TTimeSettingsResult result = CheckTimeSettings(entry);
        EXPECT_EQ(result.Error, c.error) << c.step;
        ASSERT_EQ(result.Values.has_value(), result.Error.empty()) << c.step;
        if (result.Values) {
            EXPECT_EQ(result.Values->TimeStep, c.timeStep);
        }
    }
}

TEST(TimeSettings, TimesAreRoundedToWholeNumbersHalvesUpwards) {
    struct Case {
        double typed, rounded;
    } cases[] = {
        {0.5, 1},
        {-0.5, 0},
        {2.5, 3},
        {1.5, 2},
        {-1.5, -1},
        {1.4, 1},
        {-2.6, -3},
        {0.49999999995, 1},
        {0.4999999, 0},
        {7, 7},
        {23.6, 24},
        {-9.5, -9},
        {3.5 - 1e-9, 3},
        {1e17, 1e17},
        {-0.2, 0},
        // The bias lands exactly on a half here, which then goes to the even neighbour.
        {2.4999999999, 2},
        {0.4999999999, 0},
        {1.4999999999, 2},
        {6.4999999999, 6},
    };
    for (const auto& c : cases) {
        TTimeSettingsResult result = CheckTimeSettings(Entry(-10, 1e18, -10, 1e18, c.typed));
        ASSERT_TRUE(result.Values) << c.typed << ": " << result.Error;
        EXPECT_EQ(result.Values->Now, c.rounded) << c.typed;
        // A zero is never written as "-0".
        EXPECT_EQ(std::signbit(result.Values->Now), c.rounded < 0) << c.typed;
    }
    // The checks compare the entries as typed, then every time is rounded.
    TTimeSettingsResult result = CheckTimeSettings(Entry(0.5, 23.5, 0.5, 23.4, 0.7));
    ASSERT_TRUE(result.Values) << result.Error;
    EXPECT_EQ(result.Values->StartTime, 1);
    EXPECT_EQ(result.Values->StopTime, 24);
    EXPECT_EQ(result.Values->ViewStart, 1);
    EXPECT_EQ(result.Values->ViewStop, 23);
    EXPECT_EQ(result.Values->Now, 1);
}

TEST(TimeSettings, ApplyingSetsEverySettingAndRestartsTheClock) {
    TTimeSettingsEntry entry = Entry(2, 50, 4, 40, 20.4);
    entry.TimeStepText = "0.250";
    entry.TimeUnit = "Fortnights";
    entry.RunStepInterval = 7;
    entry.UpdateInterval = 3;
    entry.UpdateScreen = false;
    TTimeSettingsResult result = CheckTimeSettings(entry);
    ASSERT_TRUE(result.Values) << result.Error;

    TSimulationObject sim;
    sim.CurrentTime = 13;
    sim.ApplyTimeSettings(*result.Values);
    EXPECT_EQ(sim.StartTime, 2);
    EXPECT_EQ(sim.StopTime, 50);
    EXPECT_EQ(sim.CurrentTime, 2);
    EXPECT_EQ(sim.TimeStep, 0.25);
    EXPECT_EQ(sim.ViewStart, 4);
    EXPECT_EQ(sim.ViewStop, 40);
    EXPECT_EQ(sim.Now, 20);
    EXPECT_EQ(sim.TimeUnit, "Fortnights");
    EXPECT_EQ(sim.RunStepInterval, 7);
    EXPECT_EQ(sim.UpdateInterval, 3);
    EXPECT_FALSE(sim.UpdateScreen);
    EXPECT_EQ(sim.SpareValue, 1);
}
