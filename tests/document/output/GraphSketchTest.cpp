// Sketch curves: gaps where a point is missing, steps, exact clipping at the plot's edges,
// and the points interpolated at the view start, Now and the view end.
#include "CurveTestSupport.h"

#include <gtest/gtest.h>

#include <limits>
#include <string>

namespace {

const TDrawRect Plot{20, 10, 219, 110}; // W 200, H -100
constexpr int32_t Width = 260;
constexpr int32_t Height = 140;

struct TSketch {
    std::vector<TDataPoint> Points;
    double StartOff = 0, EndOff = 20, NowOff = 10;
    bool Stepwise = false, Before = true, After = true, WholeRun = false;
    double Interval = 1;
    double Min = 0, Max = 100;

    TPlotArea Area() const { return MakePlotArea(Plot, Min, Max, StartOff, EndOff, NowOff); }
    QImage Picture() const {
        return Paint(Width, Height, [&](QPainter& canvas) {
            PlotSketch(Points, canvas, Area(), Stepwise, Before, After, CurveColour, Interval,
                       WholeRun);
        });
    }
    // The view and which halves show, as the boundary-point cases vary them.
    void SetWindow(double startOff, double endOff, double nowOff, bool before, bool after) {
        StartOff = startOff;
        EndOff = endOff;
        NowOff = nowOff;
        Before = before;
        After = after;
    }
    int32_t X(double offset) const { return ColumnOf(Area(), offset); }
    int32_t Y(double value) const { return RowOf(Area(), value); }
};

int32_t CurveIn(const QImage& image, int32_t left, int32_t right) {
    return Count(image, left, 0, right, Height - 1, CurveColour);
}

TEST(GraphSketchTest, MissingPointLeavesAGap) {
    for (bool stepwise : {false, true}) {
        SCOPED_TRACE(stepwise ? "stepwise" : "interpolated");
        TSketch sketch;
        sketch.Stepwise = stepwise;
        sketch.NowOff = 15;
        for (int t = 0; t <= 20; ++t)
            if (t != 10) sketch.Points.push_back({static_cast<double>(t), 30.0 + t});
        const QImage image = sketch.Picture();
        EXPECT_EQ(CurveIn(image, sketch.X(9) + 2, sketch.X(11) - 2), 0);
        EXPECT_GT(CurveIn(image, sketch.X(3), sketch.X(4)), 0);
        EXPECT_GT(CurveIn(image, sketch.X(12), sketch.X(13)), 0);
    }
}

TEST(GraphSketchTest, PointsExactlyOneIntervalApartJoin) {
    TSketch sketch;
    sketch.Interval = 0.1; // a spacing that is not exact in binary
    sketch.Points = Line(0, 20, 0.1, [](double t) { return 30 + t; });
    const QImage image = sketch.Picture();
    for (double t = 0.5; t < 20; t += 1.5)
        EXPECT_TRUE(Near(image, sketch.X(t), sketch.Y(30 + t), CurveColour)) << t;
}

TEST(GraphSketchTest, StepwiseSketchGoesAcrossThenUpOrDown) {
    TSketch sketch;
    sketch.Stepwise = true;
    sketch.Interval = 5;
    sketch.Points = {{0, 20}, {5, 80}, {10, 20}, {15, 60}, {20, 60}};
    const QImage image = sketch.Picture();
    // Level at 20 until 5, then straight up at 5 to 80, across to 10 and down.
    EXPECT_TRUE(Near(image, sketch.X(2.5), sketch.Y(20), CurveColour, 1));
    EXPECT_TRUE(Near(image, sketch.X(5), sketch.Y(50), CurveColour, 1));
    EXPECT_TRUE(Near(image, sketch.X(7.5), sketch.Y(80), CurveColour, 1));
    EXPECT_TRUE(Near(image, sketch.X(10), sketch.Y(50), CurveColour, 1));
    // Nothing on the diagonals an interpolated curve would take.
    EXPECT_FALSE(Near(image, sketch.X(2.5), sketch.Y(50), CurveColour, 3));
    EXPECT_FALSE(Near(image, sketch.X(7.5), sketch.Y(50), CurveColour, 3));
    EXPECT_FALSE(Near(image, sketch.X(12.5), sketch.Y(40), CurveColour, 3));
}

struct TClipCase {
    const char* Name;
    double FarValue;
    bool Stepwise;
};

TEST(GraphSketchTest, ValuesBeyondTheLimitsAreClippedAtTheEdge) {
    const TClipCase cases[] = {
        {"far above", 1e9, false},
        {"infinitely above", std::numeric_limits<double>::infinity(), false},
        {"far below", -1e9, false},
        {"far above, stepwise", 1e9, true},
    };
    for (const TClipCase& c : cases) {
        SCOPED_TRACE(c.Name);
        TSketch sketch;
        sketch.Stepwise = c.Stepwise;
        sketch.Interval = 5;
        sketch.Points = {{0, 50}, {5, 50}, {10, c.FarValue}, {15, 50}, {20, 50}};
        const QImage image = sketch.Picture();
        EXPECT_EQ(Count(image, 0, 0, Width - 1, Plot.Top - 2, CurveColour), 0);
        EXPECT_EQ(Count(image, 0, Plot.Bottom + 1, Width - 1, Height - 1, CurveColour), 0);
        // The curve leaves the plot near 5 and comes back near 15 (at 10 when stepwise)...
        const int32_t edge = c.FarValue > 0 ? Plot.Top : Plot.Bottom - 1;
        const double leave = c.Stepwise ? 10 : 5;
        const double back = c.Stepwise ? 15 : 15;
        EXPECT_TRUE(Near(image, sketch.X(leave), edge, CurveColour));
        EXPECT_TRUE(Near(image, sketch.X(back), edge, CurveColour));
        // ...and runs nowhere in between: not along the edge, not at the point's column.
        EXPECT_EQ(CurveIn(image, sketch.X(leave) + 3, sketch.X(back) - 3), 0);
        // A step leaves at its own level before rising.
        if (c.Stepwise) {
            EXPECT_TRUE(Near(image, sketch.X(7.5), sketch.Y(50), CurveColour, 1));
        }
    }
}

TEST(GraphSketchTest, GapBeforeAPointBeyondTheEdgeDrawsNothingAcrossIt) {
    TSketch sketch;
    sketch.Points = {{0, 50}, {1, 50}, {2, 50}, {6, 150}, {7, 50}, {8, 50}};
    const QImage image = sketch.Picture();
    EXPECT_EQ(CurveIn(image, sketch.X(2) + 2, sketch.X(6) - 1), 0);
    EXPECT_GT(CurveIn(image, sketch.X(6) + 1, sketch.X(7)), 0); // back down from the edge
}

struct TBoundaryCase {
    const char* Name;
    std::vector<TDataPoint> Points;
    double StartOff, EndOff, NowOff;
    bool Before, After;
    // Curve pixels expected near these (offset, value) places, and none in these columns.
    std::vector<TDataPoint> Near;
    double EmptyFrom, EmptyTo; // offsets; an empty range when From > To
    bool Stepwise = false;
};

TEST(GraphSketchTest, BoundaryPointsAreInterpolatedAtStartNowAndEnd) {
    // clang-format off
    const TBoundaryCase cases[] = {
        {"view starts and ends between points", {{0, 0}, {10, 100}, {20, 0}},
         5, 15, 100, true, true, {{5, 50}, {10, 100}, {14.9, 51}}, 1, 0},
        {"whole view between two points", {{0, 0}, {100, 100}},
         40, 60, 50, true, true, {{40, 40}, {50, 50}, {59.9, 60}}, 1, 0},
        {"curve before Now only", {{0, 0}, {10, 100}, {20, 0}},
         0, 20, 12.5, true, false, {{2, 20}, {12.5, 75}}, 13, 20},
        {"curve after Now only", {{0, 0}, {10, 100}, {20, 0}},
         0, 20, 7.5, false, true, {{7.5, 75}, {15, 50}}, 0, 7},
        {"whole view before Now, between points, after Now only", {{0, 0}, {100, 100}},
         40, 60, 80, false, true, {}, 40, 60},
        {"sketch starting after the view start is held at its first value",
         {{5, 60}, {10, 70}, {20, 80}},
         0, 20, 10, true, true, {{0.5, 60}, {2.5, 60}, {4.9, 60}, {7.5, 65}}, 1, 0},
        {"whole view before the first point", {{30, 40}, {31, 80}},
         0, 20, 10, true, true, {{0.5, 40}, {10, 40}, {19.5, 40}}, 1, 0},
        {"before Now only, the next point beyond the view end", {{0, 20}, {8, 40}, {30, 80}},
         0, 20, 12, true, false, {{10, 43.6}, {11.9, 47.1}}, 13, 20},
        {"whole view between two points, before Now only", {{0, 0}, {100, 100}},
         40, 60, 50, true, false, {{40, 40}, {49.9, 50}}, 51, 60},
        {"steps hold their level at the view start and at Now", {{0, 20}, {10, 80}, {20, 20}},
         5, 15, 7.5, true, false, {{5.5, 20}, {7.4, 20}}, 8, 15, true},
    };
    // clang-format on
    for (const TBoundaryCase& c : cases) {
        SCOPED_TRACE(c.Name);
        TSketch sketch;
        sketch.Points = c.Points;
        sketch.SetWindow(c.StartOff, c.EndOff, c.NowOff, c.Before, c.After);
        sketch.Stepwise = c.Stepwise;
        sketch.Interval = 100;
        const QImage image = sketch.Picture();
        for (const TDataPoint& p : c.Near)
            EXPECT_TRUE(Near(image, sketch.X(p.Time), sketch.Y(p.Value), CurveColour))
                << p.Time << ", " << p.Value;
        if (c.EmptyFrom <= c.EmptyTo) {
            const int32_t from = std::max(sketch.X(c.EmptyFrom), Plot.Left) + 2;
            EXPECT_EQ(CurveIn(image, from, sketch.X(c.EmptyTo) + 2), 0);
        }
        // Nothing outside the plot's columns.
        EXPECT_EQ(CurveIn(image, 0, Plot.Left - 2), 0);
        EXPECT_EQ(CurveIn(image, Plot.Right + 3, Width - 1), 0);
    }
}

struct TGapCase {
    const char* Name;
    std::vector<TDataPoint> Points;
    double StartOff, EndOff, NowOff;
    bool Before, After;
    double EmptyFrom, EmptyTo; // offsets whose columns show nothing
    double DrawnAt;            // an offset where the curve shows, or below 0 for none
};

// A point interpolated at the view start, Now or the view end between two points further
// apart than the interval lies in a gap: nothing is drawn to it or from it, just as
// nothing is drawn across that gap when the view shows the whole of it.
TEST(GraphSketchTest, BoundaryPointsInAGapDrawNothingAcrossIt) {
    auto run = [](double from, double to) {
        return Line(from, to, 1, [](double t) { return 30 + t; });
    };
    auto join = [](std::vector<TDataPoint> a, const std::vector<TDataPoint>& b) {
        a.insert(a.end(), b.begin(), b.end());
        return a;
    };
    // clang-format off
    const TGapCase cases[] = {
        {"whole view inside a gap", {{0, 0}, {100, 100}}, 40, 60, 50, true, true, 40, 60, -1},
        {"whole view inside a gap, Now after it", {{0, 0}, {100, 100}}, 40, 60, 80, true, false,
         40, 60, -1},
        {"view end inside a gap", join(run(0, 19), run(25, 30)), 0, 22, -1, true, true, 19, 22, 10},
        {"Now inside a gap, next point beyond the view", join(run(0, 8), run(30, 31)), 0, 20, 12,
         true, false, 8, 20, 4},
        {"Now inside a gap within the view", join(run(0, 8), run(13, 20)), 0, 20, 12.5, true, true,
         8, 13, 16},
        {"view start inside a gap", join({{-10, 50}}, run(5, 20)), 0, 20, 100, true, true, 0, 5, 12},
        {"view start and Now inside a gap", join({{-10, 50}}, run(5, 20)), 0, 20, 2, true, true, 0,
         5, 12},
    };
    // clang-format on
    for (const TGapCase& c : cases) {
        SCOPED_TRACE(c.Name);
        TSketch sketch;
        sketch.Points = c.Points;
        sketch.SetWindow(c.StartOff, c.EndOff, c.NowOff, c.Before, c.After);
        const QImage image = sketch.Picture();
        EXPECT_EQ(CurveIn(image, sketch.X(c.EmptyFrom) + 2, sketch.X(c.EmptyTo) - 2), 0);
        if (c.DrawnAt >= 0) {
            EXPECT_TRUE(Near(image, sketch.X(c.DrawnAt), sketch.Y(30 + c.DrawnAt), CurveColour));
        } else {
            EXPECT_EQ(CurveIn(image, 0, Width - 1), 0);
        }
    }
}

TEST(GraphSketchTest, ValueThatIsNotANumberBreaksTheCurve) {
    TSketch sketch;
    sketch.Points = Line(0, 20, 1, [](double t) { return 30 + t; });
    sketch.Points[10].Value = std::numeric_limits<double>::quiet_NaN();
    const QImage image = sketch.Picture();
    EXPECT_EQ(CurveIn(image, sketch.X(9) + 2, sketch.X(11) - 2), 0);
    EXPECT_TRUE(Near(image, sketch.X(5), sketch.Y(35), CurveColour));
    EXPECT_TRUE(Near(image, sketch.X(15), sketch.Y(45), CurveColour));
}

} // namespace
