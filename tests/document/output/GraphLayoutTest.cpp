// Where a graph control puts its plot, labels and legend, and which limits it uses.
#include "GraphLayoutFixture.h"

#include <gtest/gtest.h>

#include <limits>
#include <vector>

namespace {

const double Inf = std::numeric_limits<double>::infinity();

TEST(GraphLayoutTest, AxesNeedMoreThanAHundredPixelsInside) {
    struct TCase {
        int32_t Width;
        int32_t Height;
        bool Axes;
    };
    const TCase cases[] = {{106, 300, false}, {107, 300, true}, {300, 106, false},
                           {300, 107, true},  {50, 50, false},  {107, 107, true}};
    for (const auto& c : cases) {
        TPicture picture(10, 10);
        TGraphLayoutFixture f;
        f.Entry(f.Element("Sales", {5, 5, 5}));
        const TDrawRect control{10, 20, 10 + c.Width, 20 + c.Height};
        const TGraphLayout layout = LayoutGraph(f.Graph, control, picture.Canvas, 1);
        EXPECT_EQ(layout.Axes, c.Axes) << c.Width << " x " << c.Height;
        if (c.Axes) continue;
        // Curves only: no labels, legend or grids, and the stored limits as they are.
        EXPECT_FALSE(layout.Legend);
        EXPECT_FALSE(layout.TimeAxis);
        EXPECT_TRUE(layout.ValueTicks.empty());
        EXPECT_TRUE(layout.TimeTicks.empty());
        EXPECT_EQ(layout.Plot, control.Inflated(-3, -3));
        EXPECT_EQ(layout.Min, Inf);
        EXPECT_EQ(layout.Max, -Inf);
    }
}

TEST(GraphLayoutTest, LegendIsDroppedWhenItLeavesTooLittleForThePlot) {
    // At scale 2 the plot must keep more than 140 pixels besides the legend.
    for (int32_t extra : {0, 1}) {
        TPicture picture(10, 10);
        TGraphLayoutFixture f;
        f.Entry(f.Element("Sales", {1, 2}));
        const double s = 2;
        // 300 wide: plot from 3 + 108 to 297, the legend 8 narrower.
        const int32_t legendHeight =
            LegendHeight(f.Graph.Series, 297 - 111 - 8, picture.Canvas, TruncToInt(8 * s), s);
        ASSERT_GT(legendHeight, 0);
        // Plot height = height - 6 - Trunc(3 s).
        const int32_t height = 140 + legendHeight + 12 + extra;
        const TDrawRect control{0, 0, 300, height};
        const TGraphLayout layout = LayoutGraph(f.Graph, control, picture.Canvas, s);
        ASSERT_TRUE(layout.Axes);
        EXPECT_EQ(layout.Legend, extra > 0) << height;
        if (!layout.Legend) continue;
        EXPECT_EQ(layout.LegendRect, (TDrawRect{111, height - 3 - legendHeight, 289, height - 3}));
        EXPECT_LE(layout.Plot.Bottom, layout.LegendRect.Top - 3);
    }
}

TEST(GraphLayoutTest, LegendOnlyWhenWantedAndSomethingIsListed) {
    struct TCase {
        bool ShowLegend;
        bool Visible;
        bool Legend;
    };
    const TCase cases[] = {{true, true, true}, {false, true, false}, {true, false, false}};
    for (const auto& c : cases) {
        TPicture picture(10, 10);
        TGraphLayoutFixture f;
        f.Graph.ShowLegend = c.ShowLegend;
        f.Entry(f.Element("Sales", {1, 2}), skSimulated, -1, c.Visible);
        const TGraphLayout layout = LayoutGraph(f.Graph, {0, 0, 300, 300}, picture.Canvas, 1);
        EXPECT_EQ(layout.Legend, c.Legend) << c.ShowLegend << c.Visible;
    }
}

TEST(GraphLayoutTest, TimeAxisNeedsRoomBesidesTheLegendTwice) {
    struct TCase {
        int32_t Width;
        bool ShowLegend;
        int32_t ExtraHeight; // above the smallest height without a time axis
        bool TimeAxis;
    };
    const TCase cases[] = {
        // Plot width = width - 6 - 54 must exceed 100.
        {160, false, 100, false},
        {161, false, 100, true},
        {161, true, 0, false},
        {161, true, 1, true},
    };
    for (const auto& c : cases) {
        TPicture picture(10, 10);
        TGraphLayoutFixture f;
        f.Graph.ShowLegend = c.ShowLegend;
        f.Entry(f.Element("Sales", {1, 2}));
        int32_t height = 107 + c.ExtraHeight;
        if (c.ShowLegend) {
            const int32_t e =
                LegendHeight(f.Graph.Series, c.Width - 3 - 57 - 8, picture.Canvas, 8, 1);
            // After the legend the plot is height - 9 - e - 3 high; e is taken off once more.
            height = 82 + 2 * e + c.ExtraHeight;
            ASSERT_GE(height, 107);
        }
        const TGraphLayout layout =
            LayoutGraph(f.Graph, {0, 0, c.Width, height}, picture.Canvas, 1);
        ASSERT_TRUE(layout.Axes);
        EXPECT_EQ(layout.Legend, c.ShowLegend);
        EXPECT_EQ(layout.TimeAxis, c.TimeAxis) << c.Width << " x " << height;
    }
}

TEST(GraphLayoutTest, PlotMakesRoomForTheLabels) {
    TPicture picture(10, 10);
    TGraphLayoutFixture f;
    f.Graph.ShowLegend = false;
    f.Model.ViewStart = 0;
    f.Model.ViewStop = 24;
    f.Model.TimeUnit = "Months";
    f.Entry(f.Element("Sales", {1, 2}));
    const TDrawRect control{0, 0, 300, 200};
    const TGraphLayout layout = LayoutGraph(f.Graph, control, picture.Canvas, 1);
    ASSERT_TRUE(layout.TimeAxis);
    EXPECT_EQ(layout.TimeTicks, CalcTimeTicks("Months", nullptr, 24, 0));
    // Left 54 and top 3 for the value labels; 28 below for the time labels, and the last
    // time label ("24") may reach 2 * 4 pixels beyond the plot.
    EXPECT_EQ(layout.Plot, (TDrawRect{57, 6, 289, 169}));
    EXPECT_EQ(layout.TimeLabels, (TDrawRect{57, 167, 289, 200}));
    EXPECT_EQ(layout.ValueLabels, (TDrawRect{0, 6, 55, 169}));
    EXPECT_EQ(layout.FontSize, 8);

    const TGraphLayout doubled = LayoutGraph(f.Graph, {0, 0, 600, 400}, picture.Canvas, 2);
    EXPECT_EQ(doubled.FontSize, 16);
    EXPECT_EQ(doubled.Plot, (TDrawRect{3 + 108, 3 + 6, 597 - 16, 397 - 56}));
}

TEST(GraphLayoutTest, LimitsComeFromTheDataUnlessFixed) {
    struct TCase {
        const char* Name;
        std::vector<std::vector<double>> Values; // one series per entry
        double YMin;
        double YMax;
        double Min;
        double Max;
        bool HiddenSecond = false;
    };
    const TCase cases[] = {
        {"constant 5", {{5, 5, 5}}, Inf, -Inf, 5, 15},
        {"all empty", {{}, {}}, Inf, -Inf, 0, 10},
        {"spread", {{-3, 7}, {2}}, Inf, -Inf, -3, 7},
        {"fixed both", {{0, 100}}, 2, 8, 2, 8},
        {"fixed both, no data", {{}}, 2, 8, 2, 8},
        {"fixed min", {{5, 50}}, 0, -Inf, 0, 50},
        {"fixed max", {{5, 50}}, Inf, 100, 5, 100},
        {"fixed min above the data", {{5, 10}}, 20, -Inf, 20, 30},
        {"fixed min, no data", {{}}, 3, -Inf, 0, 10},
        {"fixed equal", {{1}}, 4, 4, 4, 14},
        {"hidden entries count", {{5}, {100}}, Inf, -Inf, 5, 100, true},
        {"infinite values ignored", {{5, Inf, 8, -Inf}}, Inf, -Inf, 5, 8},
        {"only infinite values", {{Inf}}, Inf, -Inf, 0, 10},
    };
    for (const auto& c : cases) {
        TPicture picture(10, 10);
        TGraphLayoutFixture f;
        f.Graph.YMin = c.YMin;
        f.Graph.YMax = c.YMax;
        for (size_t i = 0; i < c.Values.size(); ++i) {
            TVariableObject* element = f.Element("E" + std::to_string(i));
            for (size_t k = 0; k < c.Values[i].size(); ++k)
                element->Simulated.AddPoint(static_cast<double>(k), c.Values[i][k]);
            f.Entry(element, skSimulated, -1, !(c.HiddenSecond && i == 1));
        }
        const TGraphLayout layout = LayoutGraph(f.Graph, {0, 0, 300, 300}, picture.Canvas, 1);
        EXPECT_EQ(layout.Min, c.Min) << c.Name;
        EXPECT_EQ(layout.Max, c.Max) << c.Name;
        EXPECT_EQ(layout.ValueTicks, CalcValueTicks(c.Max, c.Min)) << c.Name;
    }
}

TEST(GraphLayoutTest, SmallGraphKeepsItsStoredLimits) {
    TPicture picture(10, 10);
    TGraphLayoutFixture f;
    f.Entry(f.Element("Sales", {5, 5}));
    f.Graph.YMin = 2;
    f.Graph.YMax = 8;
    const TGraphLayout layout = LayoutGraph(f.Graph, {0, 0, 100, 100}, picture.Canvas, 1);
    EXPECT_FALSE(layout.Axes);
    EXPECT_EQ(layout.Min, 2);
    EXPECT_EQ(layout.Max, 8);
}

TEST(GraphLayoutTest, EmptyGraphComputesNoTicks) {
    TPicture picture(10, 10);
    TGraphLayoutFixture f;
    const TGraphLayout layout = LayoutGraph(f.Graph, {0, 0, 300, 300}, picture.Canvas, 1);
    EXPECT_TRUE(layout.Axes);
    EXPECT_TRUE(layout.TimeTicks.empty());
    EXPECT_TRUE(layout.ValueTicks.empty());
}

TEST(GraphLayoutTest, PaintedControlHasLabelsLeftOfAndBelowThePlot) {
    TPicture picture(400, 300);
    TGraphLayoutFixture f;
    f.Model.ViewStart = 0;
    f.Model.ViewStop = 24;
    f.Model.TimeUnit = "Months";
    f.Entry(f.Element("Sales", {0, 20, 40, 60, 80, 100}), skSimulated, -1, true, 0xFF0000);
    f.Graph.FrameRect = {10, 10, 390, 290};
    const TGraphLayout layout = LayoutGraph(f.Graph, f.Graph.FrameRect, picture.Canvas, 1);
    ASSERT_TRUE(layout.Axes && layout.TimeAxis && layout.Legend);
    PaintGraphControl(f.Graph, picture.Canvas, qRgb(0, 0, 0), 1);

    const TDrawRect& plot = layout.Plot;
    // Value labels right-aligned just left of the plot, from top to bottom.
    EXPECT_GT(picture.Ink(QRect(plot.Left - 20, plot.Top, 18, 20)), 0);
    EXPECT_GT(picture.Ink(QRect(plot.Left - 20, plot.Bottom - 20, 18, 20)), 0);
    EXPECT_EQ(picture.Ink(QRect(10, plot.Top, 10, plot.Bottom - plot.Top)), 0);
    // Time labels and the unit name under the plot.
    const QRect below(plot.Left - 10, plot.Bottom + 2, plot.Right - plot.Left + 20,
                      layout.LegendRect.Top - plot.Bottom - 2);
    EXPECT_GT(picture.Ink(below), 0);
    // The legend with the entry's colour.
    EXPECT_GT(picture.Pixels(layout.LegendRect.ToQRect(), qRgb(0, 0, 255)), 0);
    // Nothing beyond the control.
    EXPECT_EQ(picture.Ink(QRect(0, 0, 400, 10)), 0);
    EXPECT_EQ(picture.Ink(QRect(0, 0, 10, 300)), 0);
    EXPECT_EQ(picture.Ink(QRect(0, 291, 400, 10)), 0);
}

TEST(GraphLayoutTest, DamagedFramesAndScalesStayWithinReach) {
    const int32_t most = std::numeric_limits<int32_t>::max();
    struct TCase {
        TDrawRect Frame;
        double S;
    };
    const TCase cases[] = {
        {{-most, -most, most, most}, 1},
        {{most - 200, most - 200, most, most}, 1},
        {{0, 0, 400, 300}, 1e12},
        {{0, 0, 400, 300}, -1e12},
        {{0, 0, 400, 300}, std::numeric_limits<double>::quiet_NaN()},
    };
    for (const auto& c : cases) {
        TPicture picture(400, 300);
        TGraphLayoutFixture f;
        f.Entry(f.Element("Sales", {1, 2}));
        f.Graph.FrameRect = c.Frame;
        const TGraphLayout layout = LayoutGraph(f.Graph, c.Frame, picture.Canvas, c.S);
        EXPECT_LE(layout.Plot.Left, 1 << 29);
        EXPECT_GE(layout.Plot.Left, -(1 << 29));
        PaintGraphControl(f.Graph, picture.Canvas, qRgb(0, 0, 0), c.S);
    }
    // The legend and label painters on their own, with damaged rectangles and scales.
    const TDrawRect huge{-most, -most, most, most};
    for (double s : {1.0, 1e12, -1e12, std::numeric_limits<double>::quiet_NaN()}) {
        TPicture picture(100, 100);
        TGraphLayoutFixture f;
        f.Entry(f.Element("Sales"));
        f.Entry(f.Element("Costs"));
        EXPECT_GE(LegendHeight(f.Graph.Series, most, picture.Canvas, 8, s), 0);
        EXPECT_GE(LegendHeight(f.Graph.Series, -most, picture.Canvas, 8, s), 0);
        DrawLegend(f.Graph.Series, huge, picture.Canvas, 8, s);
        DrawValueLabels(huge, picture.Canvas, CalcValueTicks(10, 0), 8, 10, 0);
        DrawValueLabelsBetween(huge, picture.Canvas, CalcValueTicks(10, 0), 8, 10, 0);
        DrawTimeLabels(huge, picture.Canvas, "Months", 8, CalcTimeTicks("", nullptr, 10, 0), 10, 0);
    }
    // Ticks far outside the limits are placed off the picture, not wrapped round.
    TPicture picture(200, 100);
    DrawTimeLabels({0, 0, 200, 100}, picture.Canvas, "", 8, {"1e300", "-1e300"}, 10, 0);
    DrawValueLabels({0, 0, 200, 100}, picture.Canvas, {"1e300", "-1e300", "5"}, 8, 10, 0);
    EXPECT_EQ(picture.Ink(QRect(0, 0, 200, 100)), 0);
}

TEST(GraphLayoutTest, NothingIsPaintedWithoutASimulation) {
    TVariableObject loose; // belongs to no model; outlives the graph that shows it
    TPicture picture(400, 300);
    TGraphLayoutFixture f;
    loose.Name = "Loose";
    loose.Simulated.AddPoint(0, 5);
    f.Entry(&loose);
    f.Graph.FrameRect = {10, 10, 390, 290};
    PaintGraphControl(f.Graph, picture.Canvas, qRgb(0, 0, 0), 1);
    EXPECT_EQ(picture.Ink(QRect(0, 0, 400, 300)), 0);
}

} // namespace
