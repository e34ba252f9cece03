// The main window's rules without widgets: recent files, shortened paths, zoom, the repaint
// rule, the time bar's geometry and the run buttons.
#include "app/MainRules.h"

#include "core/model/SimulationObjects.h"

#include <gtest/gtest.h>

#include <limits>

TEST(RecentFiles, NewNamesGoFirstAndRepeatsMoveUp) {
    struct TCase {
        TRecentFiles Before;
        const char* Added;
        TRecentFiles After;
    } cases[] = {
        {{"", "", "", ""}, "a", {"a", "", "", ""}},
        {{"a", "b", "c", "d"}, "e", {"e", "a", "b", "c"}},
        // The third entry moves to the top; the fourth stays.
        {{"a", "b", "c", "d"}, "c", {"c", "a", "b", "d"}},
        {{"a", "b", "c", "d"}, "a", {"a", "b", "c", "d"}},
        // Only the first three are compared: a repeat of the fourth is added again.
        {{"a", "b", "c", "d"}, "d", {"d", "a", "b", "c"}},
        // Letter case counts.
        {{"a", "b", "c", "d"}, "A", {"A", "a", "b", "c"}},
    };
    for (const TCase& c : cases) {
        TRecentFiles files = c.Before;
        AddRecentFile(files, c.Added);
        EXPECT_EQ(files, c.After) << c.Added;
    }
}

TEST(RecentFiles, ShortenPathKeepsDriveFolderStartAndName) {
    struct TCase {
        const char* Path;
        int Limit;
        const char* Shown;
    } cases[] = {
        {"", 35, ""},
        {"C:\\short.qvf", 35, "C:\\short.qvf"},
        // n - (3 + 9 + 4) = 19 characters of the folder after the drive.
        {"C:\\Models\\Planning\\Quarterly\\model.qvf", 35,
         "C:\\Models\\Planning\\Qua...\\model.qvf"},
        {"C:\\averyveryveryverylongfilenamethatgoeson.qvf", 35,
         "C:\\averyveryveryverylongfilenamethatgoeson.qvf"},
        {"/home/someone/models/planning/quarterly/model.qvf", 35,
         "/home/someone/models/p.../model.qvf"},
        {"/averyveryveryveryveryverylongname.qvf", 10, ".../averyveryveryveryveryverylongname.qvf"},
    };
    for (const TCase& c : cases)
        EXPECT_EQ(ShortenPath(c.Path, c.Limit), c.Shown) << c.Path;
}

TEST(Zoom, BoxTextAndSteps) {
    struct TParse {
        const char* Text;
        int Zoom;
    } parses[] = {{"250", 250},
                  {"250%", 250},
                  {" 75 % ", 75},
                  {"abc", 100},
                  {"", 100},
                  {"0", 1},
                  {"2000", 1600},
                  // A long digit string must not overflow an integer.
                  {"99999999999999999999999999", 1600}};
    for (const TParse& p : parses)
        EXPECT_EQ(ParseZoomText(p.Text), p.Zoom) << p.Text;

    struct TStep {
        const char* Text;
        bool In;
        int Zoom;
    } steps[] = {{"250%", true, 275},   {"30%", false, 25},  {"25%", false, 25},
                 {"1600%", true, 1600}, {"110%", true, 125}, {"xyz", false, 75}};
    for (const TStep& s : steps)
        EXPECT_EQ(ZoomStep(s.Text, s.In), s.Zoom) << s.Text << (s.In ? " in" : " out");
    EXPECT_EQ(ZoomText(137.9), "137%");
}

TEST(RunRules, RepaintOnlyAtUpdateMultiplesAndAtTheEnd) {
    struct TCase {
        double Current, Step;
        int32_t Interval;
        bool UpdateScreen;
        bool Repaint;
    } cases[] = {
        {0, 1, 4, true, true},
        {4, 1, 4, true, true},
        {5, 1, 4, true, false},
        {8, 1, 4, false, false},
        {24, 1, 4, false, true}, // the end always repaints
        {0.75, 0.25, 3, true, true},
        {0.5, 0.25, 3, true, false},
        // 0.1 added seven times is a hair below 0.7: still a multiple.
        {0.1 + 0.1 + 0.1 + 0.1 + 0.1 + 0.1 + 0.1, 0.1, 7, true, true},
    };
    for (const TCase& c : cases) {
        TSimulationObject simulation;
        simulation.StartTime = 0;
        simulation.StopTime = 24;
        simulation.TimeStep = c.Step;
        simulation.UpdateInterval = c.Interval;
        simulation.UpdateScreen = c.UpdateScreen;
        simulation.CurrentTime = c.Current;
        simulation.AtStart = false;
        EXPECT_EQ(ShouldRepaint(simulation), c.Repaint) << c.Current << " / " << c.Step;
    }
}

TEST(TimeBarLayout, PlacesProgressViewAndNowOnTheStrip) {
    // Strip 202 pixels, run 0..100: inner scale 2, scale 2.02.
    const TTimeBarLayout mid = LayoutTimeBar({0, 100, 50, 10, 90, 25, 202});
    EXPECT_TRUE(mid.SpanValid);
    EXPECT_TRUE(mid.ShowProgress);
    EXPECT_EQ(mid.ProgressWidth, 100);
    EXPECT_TRUE(mid.ShowCurrentLabel);
    EXPECT_EQ(mid.ViewStartX, 20);
    EXPECT_EQ(mid.ViewStopX, 181);
    EXPECT_EQ(mid.FrameLeft, 21);
    EXPECT_EQ(mid.FrameRight, 181);
    EXPECT_TRUE(mid.ShowNow);
    EXPECT_EQ(mid.NowX, 50);

    const TTimeBarLayout start = LayoutTimeBar({0, 100, 0, 0, 100, 0, 202});
    EXPECT_FALSE(start.ShowProgress);
    EXPECT_FALSE(start.ShowCurrentLabel);
    EXPECT_FALSE(start.ShowNow); // Now at the start is not marked

    const TTimeBarLayout end = LayoutTimeBar({0, 100, 100, 0, 100, 50, 202});
    EXPECT_EQ(end.ProgressWidth, 200);
    EXPECT_FALSE(end.ShowCurrentLabel);
}

TEST(TimeBarLayout, DamagedTimesNeverDivideByZeroOrLeaveTheStrip) {
    const double inf = std::numeric_limits<double>::infinity();
    const double nan = std::numeric_limits<double>::quiet_NaN();
    struct TCase {
        TTimeBarInput In;
        bool Valid;
    } cases[] = {
        {{10, 10, 10, 0, 24, 12, 200}, false},  // stop = start
        {{24, 0, 5, 0, 24, 12, 200}, false},    // stop before start
        {{0, inf, 5, 0, 24, 12, 200}, false},   // no end
        {{-inf, 24, 5, 0, 24, 12, 200}, false}, // no start
        {{nan, 24, 5, 0, 24, 12, 200}, false},
        {{-1e308, 1e308, 5, 0, 24, 12, 200}, false}, // the span itself overflows
        {{0, 1e-300, 1e300, -1e300, 1e300, 1e300, 200}, true},
        {{0, 24, nan, nan, inf, -inf, 200}, true},
        {{0, 24, 5, 0, 24, 12, -5}, true}, // a strip squeezed to nothing
    };
    for (const TCase& c : cases) {
        const TTimeBarLayout l = LayoutTimeBar(c.In);
        EXPECT_EQ(l.SpanValid, c.Valid) << c.In.StartTime << ".." << c.In.StopTime;
        if (!c.Valid) {
            EXPECT_FALSE(l.ShowProgress || l.ShowCurrentLabel || l.ShowView || l.ShowNow);
            continue;
        }
        const int32_t width = std::max(0, c.In.StripWidth);
        for (int32_t x : {l.ProgressWidth, l.CurrentX, l.ViewStartX, l.ViewStopX, l.FrameLeft,
                          l.FrameRight, l.NowX}) {
            EXPECT_GE(x, 0);
            EXPECT_LE(x, width);
        }
    }
    EXPECT_EQ(WholeTimeText(24.9), "24");
    EXPECT_EQ(WholeTimeText(-3.5), "-3");
    EXPECT_EQ(WholeTimeText(inf), "INF");
    EXPECT_EQ(WholeTimeText(1e300), "1E300");
}

TEST(RunRules, ButtonStatesOverTheRunsLife) {
    struct TCase {
        const char* State;
        bool Started, Timer, Finished, ToEnd;
        TRunButtonStates Expected;
    } cases[] = {
        // Run pressed/enabled, Run Step, Back, Pause pressed/enabled, Run to End
        // pressed/enabled.
        {"reset",
         false,
         false,
         false,
         false,
         {false, true, true, false, false, false, false, true}},
        {"running", true, true, false, false, {true, true, true, true, false, true, false, true}},
        {"running to end",
         true,
         true,
         false,
         true,
         {false, true, true, true, false, true, true, true}},
        {"paused", true, false, false, true, {false, true, true, true, true, true, false, true}},
        {"finished",
         true,
         false,
         true,
         true,
         {false, false, false, true, false, false, false, false}},
    };
    for (const TCase& c : cases) {
        const TRunButtonStates s = RunButtons(c.Started, c.Timer, c.Finished, c.ToEnd);
        const TRunButtonStates& e = c.Expected;
        EXPECT_EQ(s.RunPressed, e.RunPressed) << c.State;
        EXPECT_EQ(s.RunEnabled, e.RunEnabled) << c.State;
        EXPECT_EQ(s.RunStepEnabled, e.RunStepEnabled) << c.State;
        EXPECT_EQ(s.BackEnabled, e.BackEnabled) << c.State;
        EXPECT_EQ(s.PausePressed, e.PausePressed) << c.State;
        EXPECT_EQ(s.PauseEnabled, e.PauseEnabled) << c.State;
        EXPECT_EQ(s.RunToEndPressed, e.RunToEndPressed) << c.State;
        EXPECT_EQ(s.RunToEndEnabled, e.RunToEndEnabled) << c.State;
    }
}
