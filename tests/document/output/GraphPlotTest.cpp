// Series curves and the plot around them: where the curve's pixels land, values beyond the
// limits, the Now and zero lines, grids, scale resolution, and the binary search giving the
// same picture as walking the points from the start.
#include "CurveTestSupport.h"
#include "document/output/GraphCurves.h"

#include "core/model/SimulationObjects.h"
#include "core/support/NumberFormat.h"
#include "document/diagram/DrawingObjects.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <memory>
#include <random>
#include <string>

namespace {

constexpr double Inf = std::numeric_limits<double>::infinity();
constexpr double NaN = std::numeric_limits<double>::quiet_NaN();
const TDrawRect Plot{20, 10, 219, 110}; // W 200, H -100
constexpr int32_t Width = 260;
constexpr int32_t Height = 140;
constexpr QRgb Black = 0xFF000000;
constexpr QRgb Grey = 0xFF808080;

// A model from 0 to 20 viewed whole, Now at 10, and a graph's entries.
struct TGraphModel {
    TSimulationObject Model;
    TVariableDataLinkList Series;

    TGraphModel() {
        Model.StartTime = 0;
        Model.StopTime = 20;
        Model.ViewStart = 0;
        Model.ViewStop = 20;
        Model.Now = 10;
    }
    TVariableObject* Element(const std::vector<TDataPoint>& simulated = {}) {
        TVariableObject* element = Model.NewElement(ekVariable);
        element->Simulated.Points = simulated;
        return element;
    }
    TVariableDataLink* Entry(TVariableObject* element, uint8_t kind = skSimulated,
                             int32_t colour = 0xFF0000 /* blue */) {
        auto entry = std::make_unique<TVariableDataLink>();
        if (element) entry->Variable.SetTarget(element);
        entry->SeriesKind = kind;
        entry->Colour = colour;
        TVariableDataLink* added = entry.get();
        Series.AddItem(std::move(entry));
        return added;
    }
    TPlotArea Area(double min, double max) const {
        return MakePlotArea(Plot, min, max, Model.ViewStart - Model.StartTime,
                            Model.ViewStop - Model.StartTime, Model.Now - Model.StartTime);
    }
};

QImage SeriesPicture(const std::vector<TDataPoint>& points, const TPlotArea& area,
                     bool after = true, bool before = true, double startTime = 0) {
    return Paint(Width, Height, [&](QPainter& canvas) {
        PlotSeries(points, canvas, area, after, before, CurveColour, startTime);
    });
}

// Columns of the plot's interior whose rows are (nearly) all black: vertical lines.
std::vector<int32_t> BlackColumns(const QImage& image) {
    std::vector<int32_t> columns;
    for (int32_t x = Plot.Left + 1; x < Plot.Right; ++x)
        if (Count(image, x, Plot.Top + 1, x, Plot.Bottom - 2, Black) > 90) columns.push_back(x);
    return columns;
}

// ---------------------------------------------------------------------------------------------

struct TScaleCase {
    const char* Name;
    double Max, Min;
    double WantMin, WantMax;
};

TEST(GraphPlotTest, ScaleResolutionFinishesTheLimits) {
    const TScaleCase cases[] = {
        {"equal positive", 5, 5, 0, 5},
        {"equal negative", -3, -3, -3, 0},
        {"both zero", 0, 0, 0, 1},
        {"swapped", 0, 10, 0, 10},
        {"ordinary", 10, -2, -2, 10},
        {"equal within tolerance", 5, 5 + 1e-11, 0, 5},
        {"tiny but not zero", 1e-9, 1e-9, 0, 1e-9},
    };
    for (const TScaleCase& c : cases) {
        SCOPED_TRACE(c.Name);
        TGraphModel graph;
        TVariableObject* element = graph.Element();
        graph.Entry(element);
        Paint(Width, Height, [&](QPainter& canvas) {
            const TGraphScale one = DrawVariableGraph(*element, Plot, canvas, nullptr, nullptr,
                                                      c.Max, c.Min, false, false, {});
            EXPECT_NEAR(one.Min, c.WantMin, 1e-10);
            EXPECT_NEAR(one.Max, c.WantMax, 1e-10);
            const TGraphScale many =
                DrawSeriesGraph(graph.Series, Plot, canvas, nullptr, nullptr, c.Max, c.Min);
            EXPECT_NEAR(many.Min, c.WantMin, 1e-10);
            EXPECT_NEAR(many.Max, c.WantMax, 1e-10);
        });
    }
}

struct TWidenCase {
    const char* Name;
    std::vector<double> Values;
    double Max, Min;
    bool AutoScale;
    double WantMin, WantMax;
};

TEST(GraphPlotTest, DataWidensAutomaticLimits) {
    const TWidenCase cases[] = {
        {"auto scale widens", {2, 7, 4}, 1, 0, true, 0, 7},
        {"fixed limits stay", {2, 7, 4}, 1, 0, false, 0, 1},
        {"automatic limits, constant 5", {5, 5}, -Inf, Inf, false, 0, 5},
        {"automatic limits, constant -3", {-3}, -Inf, Inf, false, -3, 0},
        {"automatic limits, constant 0", {0, 0}, -Inf, Inf, false, 0, 1},
        {"one automatic limit", {2, 30}, -Inf, 0, false, 0, 30},
        {"values that are not finite are left out", {1, Inf, -Inf, NaN, 4}, 3, 2, true, 1, 4},
    };
    for (const TWidenCase& c : cases) {
        SCOPED_TRACE(c.Name);
        TGraphModel graph;
        std::vector<TDataPoint> points;
        for (size_t i = 0; i < c.Values.size(); ++i)
            points.push_back({static_cast<double>(i), c.Values[i]});
        TVariableObject* element = graph.Element(points);
        graph.Entry(element)->Visible = false;             // hidden entries count too
        graph.Entry(nullptr)->OwnSeries.AddPoint(0, 1000); // no element: left out
        Paint(Width, Height, [&](QPainter& canvas) {
            const TGraphScale one = DrawVariableGraph(*element, Plot, canvas, nullptr, nullptr,
                                                      c.Max, c.Min, c.AutoScale, false, {});
            EXPECT_DOUBLE_EQ(one.Min, c.WantMin);
            EXPECT_DOUBLE_EQ(one.Max, c.WantMax);
            if (c.AutoScale) return; // a graph control has no auto-scale flag
            const TGraphScale many =
                DrawSeriesGraph(graph.Series, Plot, canvas, nullptr, nullptr, c.Max, c.Min);
            EXPECT_DOUBLE_EQ(many.Min, c.WantMin);
            EXPECT_DOUBLE_EQ(many.Max, c.WantMax);
        });
    }
}

// ---------------------------------------------------------------------------------------------

struct TLineCase {
    const char* Name;
    double StartTime, StartOff, EndOff, Min, Max;
    double Slope, Intercept; // value = Slope * offset + Intercept
};

TEST(GraphPlotTest, LinearSeriesPixelsLieWhereTheValuesPutThem) {
    const TLineCase cases[] = {
        {"whole run rising", 0, 0, 20, 0, 100, 5, 0},
        {"falling through a view inside the run", 100, 5, 15, -80, 80, -8, 60},
        {"negative limits", 1990.5, 0, 40, -200, -100, 2, -190},
    };
    for (const TLineCase& c : cases) {
        SCOPED_TRACE(c.Name);
        const TPlotArea area = MakePlotArea(Plot, c.Min, c.Max, c.StartOff, c.EndOff, 1e9);
        const auto points = Line(0, 60, 0.25, [&](double t) { return c.Slope * t + c.Intercept; });
        const QImage image = SeriesPicture(points, area, true, true, c.StartTime);
        const double span = c.EndOff - c.StartOff;
        for (int32_t step = 1; step < 10; ++step) {
            const double t = c.StartOff + span * step / 10.0 + 0.1; // between points too
            const int32_t x = ColumnOf(area, t);
            const int32_t y = RowOf(area, c.Slope * t + c.Intercept);
            EXPECT_TRUE(Near(image, x, y, CurveColour)) << "offset " << t;
            // Nothing of the curve far above or below in that column.
            EXPECT_EQ(Count(image, x, 0, x, y - 5, CurveColour), 0);
            EXPECT_EQ(Count(image, x, y + 5, x, Height - 1, CurveColour), 0);
        }
    }
}

TEST(GraphPlotTest, SeriesGraphDrawsEachEntryInItsOwnColour) {
    TGraphModel graph;
    TVariableObject* element = graph.Element(Line(0, 20, 1, [](double t) { return 5 * t; }));
    graph.Entry(element, skSimulated, 0xFF0000); // red in the low byte: this is blue
    TVariableObject* hidden = graph.Element(Line(0, 20, 1, [](double) { return 80; }));
    graph.Entry(hidden, skSimulated, 0x0000FF)->Visible = false;
    const QImage image = Paint(Width, Height, [&](QPainter& canvas) {
        DrawSeriesGraph(graph.Series, Plot, canvas, nullptr, nullptr, 100, 0);
    });
    const TPlotArea area = graph.Area(0, 100);
    EXPECT_TRUE(Near(image, ColumnOf(area, 6), RowOf(area, 30), qRgb(0, 0, 255)));
    EXPECT_EQ(Count(image, 0, 0, Width - 1, Height - 1, qRgb(255, 0, 0)), 0);
}

TEST(GraphPlotTest, GraphWhoseFirstEntryHasNoElementDrawsNothing) {
    TGraphModel graph;
    graph.Entry(nullptr);
    graph.Entry(graph.Element(Line(0, 20, 1, [](double t) { return t; })));
    QImage image = Paint(Width, Height, [&](QPainter& canvas) {
        const TGraphScale scale =
            DrawSeriesGraph(graph.Series, Plot, canvas, nullptr, nullptr, -Inf, Inf);
        EXPECT_DOUBLE_EQ(scale.Min, 0);
        EXPECT_DOUBLE_EQ(scale.Max, 20);
    });
    EXPECT_EQ(Ink(image, 0, 0, Width - 1, Height - 1), 0);
}

struct TEdgeCase {
    const char* Name;
    double FarValue;
    bool Above;
};

TEST(GraphPlotTest, ValuesBeyondTheLimitsAreDrawnOnTheEdge) {
    const TEdgeCase cases[] = {
        {"far above", 1e9, true},
        {"infinite", Inf, true},
        {"far below", -1e12, false},
    };
    for (const TEdgeCase& c : cases) {
        SCOPED_TRACE(c.Name);
        const TPlotArea area = MakePlotArea(Plot, 0, 100, 0, 20, 1e9);
        const QImage image = SeriesPicture({{0, 50}, {10, c.FarValue}, {20, 50}}, area);
        const int32_t edge = c.Above ? Plot.Top : Plot.Bottom - 1;
        // The curve runs to the edge at the point's own column, and no further.
        EXPECT_TRUE(Near(image, ColumnOf(area, 10), edge, CurveColour, 1));
        EXPECT_EQ(Count(image, 0, 0, Width - 1, Plot.Top - 2, CurveColour), 0);
        EXPECT_EQ(Count(image, 0, Plot.Bottom + 1, Width - 1, Height - 1, CurveColour), 0);
    }
}

TEST(GraphPlotTest, FirstPointInsideThenBeyondTheTopStillRisesToTheEdge) {
    // The first point is in force at a single column only.
    const TPlotArea area = MakePlotArea(Plot, 0, 100, 0, 20, 1e9);
    const QImage image = SeriesPicture({{0, 50}, {0.1, 1e6}, {20, 1e6}}, area);
    EXPECT_GT(Count(image, Plot.Left - 1, Plot.Top, Plot.Left + 3, RowOf(area, 50), CurveColour),
              30);
}

TEST(GraphPlotTest, APointFarLeftOfTheViewIsCutAtThePlot) {
    const TPlotArea area = MakePlotArea(Plot, 0, 1000, 990, 1000, 1e9);
    const QImage image = SeriesPicture({{0, 0}, {1000, 1000}}, area);
    EXPECT_TRUE(Near(image, Plot.Left, RowOf(area, 990), CurveColour));
    EXPECT_EQ(Count(image, 0, 0, Plot.Left - 2, Height - 1, CurveColour), 0);
}

// ---------------------------------------------------------------------------------------------

TEST(GraphPlotTest, NowLineStandsAtItsColumnOnlyInsideTheView) {
    struct TNowCase {
        double Now;
        bool Drawn;
    };
    for (const TNowCase c : {TNowCase{10, true}, TNowCase{5.5, true}, TNowCase{20, false},
                             TNowCase{0, false}, TNowCase{-3, false}}) {
        SCOPED_TRACE(c.Now);
        TGraphModel graph;
        graph.Model.Now = c.Now;
        graph.Entry(graph.Element());
        const QImage image = Paint(Width, Height, [&](QPainter& canvas) {
            DrawSeriesGraph(graph.Series, Plot, canvas, nullptr, nullptr, 100, 0);
        });
        const std::vector<int32_t> columns = BlackColumns(image);
        if (c.Drawn)
            EXPECT_EQ(columns, std::vector<int32_t>{ColumnOf(graph.Area(0, 100), c.Now)});
        else
            EXPECT_TRUE(columns.empty());
    }
}

TEST(GraphPlotTest, FrameAxesStandOnTheLeftColumnAndTheBottomLine) {
    TGraphModel graph;
    graph.Entry(graph.Element());
    const QImage image = Paint(Width, Height, [&](QPainter& canvas) {
        DrawSeriesGraph(graph.Series, Plot, canvas, nullptr, nullptr, 100, 0);
    });
    EXPECT_EQ(Count(image, Plot.Left, Plot.Top, Plot.Left, Plot.Bottom - 1, Black), 100);
    EXPECT_EQ(Count(image, Plot.Left, Plot.Bottom - 1, Plot.Right, Plot.Bottom - 1, Black), 200);
    EXPECT_TRUE(Is(image, Plot.Right, Plot.Bottom, Black)); // the tick below the end
}

struct TShowCase {
    bool Before, After;
};

TEST(GraphPlotTest, HalvesBeforeAndAfterNowFollowTheOptions) {
    for (const TShowCase c : {TShowCase{true, false}, TShowCase{false, true}, TShowCase{true, true},
                              TShowCase{false, false}}) {
        SCOPED_TRACE(testing::Message() << "before " << c.Before << " after " << c.After);
        TGraphModel graph;
        TVariableObject* element = graph.Element(Line(0, 20, 0.5, [](double t) { return 4 * t; }));
        TGraphOptions options;
        options.Show[skSimulated * 2] = c.Before;
        options.Show[skSimulated * 2 + 1] = c.After;
        const QImage image = Paint(Width, Height, [&](QPainter& canvas) {
            DrawVariableGraph(*element, Plot, canvas, nullptr, nullptr, 100, 0, false, false,
                              options);
        });
        const QRgb green = options.Colours[skSimulated];
        const TPlotArea area = graph.Area(0, 100);
        const int32_t now = ColumnOf(area, 10);
        const int32_t left = Count(image, 0, 0, now - 3, Height - 1, green);
        const int32_t right = Count(image, now + 3, 0, Width - 1, Height - 1, green);
        EXPECT_EQ(left > 0, c.Before);
        EXPECT_EQ(right > 0, c.After);
        // Shown before Now, the curve reaches the point at Now.
        if (c.Before) {
            EXPECT_TRUE(Near(image, now, RowOf(area, 40), green));
        }
    }
}

TEST(GraphPlotTest, ZeroLineOnlyWhenTheScaleSpansZero) {
    struct TZeroCase {
        double Min, Max;
        bool Drawn;
    };
    for (const TZeroCase c :
         {TZeroCase{-5, 5, true}, TZeroCase{-100, 20, true}, TZeroCase{-10, 0, false},
          TZeroCase{1, 10, false}, TZeroCase{-10, -1, false}}) {
        SCOPED_TRACE(testing::Message() << c.Min << " to " << c.Max);
        TGraphModel graph;
        graph.Model.Now = -1;
        graph.Entry(graph.Element());
        const QImage image = Paint(Width, 400, [&](QPainter& canvas) {
            DrawSeriesGraph(graph.Series, Plot, canvas, nullptr, nullptr, c.Max, c.Min);
        });
        const int32_t row = RowOf(graph.Area(c.Min, c.Max), 0);
        const int32_t black = Count(image, Plot.Left + 2, row, Plot.Right - 2, row, Black);
        EXPECT_EQ(black, c.Drawn ? 196 : 0);
    }
}

TEST(GraphPlotTest, GridsSitAtTheTicksInGreyDots) {
    TGraphModel graph;
    graph.Model.Now = -1;
    graph.Entry(graph.Element());
    const TTickList values{"0", "25", "50", "75", "100", "100"};
    const TTickList times{"0", "5", "10", "15", "20"};
    const QImage image = Paint(Width, Height, [&](QPainter& canvas) {
        DrawSeriesGraph(graph.Series, Plot, canvas, &times, &values, 100, 0);
    });
    const TPlotArea area = graph.Area(0, 100);
    for (double value : {25.0, 50.0, 75.0}) {
        const int32_t row = RowOf(area, value);
        EXPECT_GT(Count(image, Plot.Left + 1, row, Plot.Right, row, Grey), 50) << value;
        EXPECT_LT(Count(image, Plot.Left + 1, row + 3, Plot.Right, row + 3, Grey), 4) << value;
    }
    EXPECT_GT(Count(image, Plot.Left + 1, Plot.Top, Plot.Right, Plot.Top, Grey), 50);
    for (double time : {5.0, 10.0, 15.0}) {
        const int32_t column = ColumnOf(area, time);
        EXPECT_GT(Count(image, column, Plot.Top, column, Plot.Bottom - 2, Grey), 25) << time;
    }
    // Without tick lists there are no grids.
    const QImage bare = Paint(Width, Height, [&](QPainter& canvas) {
        DrawSeriesGraph(graph.Series, Plot, canvas, nullptr, nullptr, 100, 0);
    });
    EXPECT_EQ(Count(bare, 0, 0, Width - 1, Height - 1, Grey), 0);
}

TEST(GraphPlotTest, ElementGraphGridsAreBlackWithoutRowsAtZeroOrMin) {
    TGraphModel graph;
    graph.Model.Now = -1;
    TVariableObject* element = graph.Element();
    // A list whose second entry is min itself, as a rounded tick can be.
    const TTickList values{"-50", "-50", "-25", "0", "25", "50", "50"};
    const TTickList times{"0", "5", "10", "15", "20"};
    const QImage image = Paint(Width, Height, [&](QPainter& canvas) {
        DrawVariableGraph(*element, Plot, canvas, &times, &values, 50, -50, false, false, {});
    });
    const TPlotArea area = graph.Area(-50, 50);
    EXPECT_EQ(Count(image, 0, 0, Width - 1, Height - 1, Grey), 0);
    for (double value : {-25.0, 25.0, 50.0}) {
        const int32_t row = RowOf(area, value);
        EXPECT_GT(Count(image, Plot.Left + 1, row, Plot.Right, row, Black), 50) << value;
    }
    // The zero line is solid; no dotted row is drawn over it, and none at min above the axis.
    EXPECT_EQ(Count(image, Plot.Left + 1, RowOf(area, 0), Plot.Right, RowOf(area, 0), Black), 199);
    EXPECT_EQ(Count(image, Plot.Left + 1, Plot.Bottom - 2, Plot.Right, Plot.Bottom - 2, Black), 0);
    for (double time : {5.0, 10.0, 15.0}) {
        const int32_t column = ColumnOf(area, time);
        EXPECT_GT(Count(image, column, Plot.Top, column, Plot.Bottom - 2, Black), 25) << time;
    }
}

TEST(GraphPlotTest, ElementGraphTimeGridSpansTheRunAndSeriesGraphTheView) {
    TGraphModel graph;
    graph.Model.Now = -1;
    graph.Model.StartTime = 100;
    graph.Model.StopTime = 140;
    graph.Model.ViewStart = 110;
    graph.Model.ViewStop = 130;
    TVariableObject* element = graph.Element();
    graph.Entry(element);
    const TTickList times{"110", "120", "125"};
    const QImage one = Paint(Width, Height, [&](QPainter& canvas) {
        DrawVariableGraph(*element, Plot, canvas, &times, nullptr, 10, 0, false, true, {});
    });
    const QImage many = Paint(Width, Height, [&](QPainter& canvas) {
        DrawSeriesGraph(graph.Series, Plot, canvas, &times, nullptr, 10, 0);
    });
    auto dots = [&](const QImage& image, QRgb colour, int32_t column) {
        return Count(image, column, Plot.Top, column, Plot.Bottom - 2, colour);
    };
    const int32_t w = Plot.Right - Plot.Left + 1;
    // Element graph: (t - StartTime) * W / (StopTime - StartTime) + Left.
    EXPECT_GT(dots(one, Black, Plot.Left + (120 - 100) * w / 40), 25);
    EXPECT_GT(dots(one, Black, Plot.Left + (125 - 100) * w / 40), 25);
    // Series graph: (t - ViewStart) * W / (ViewStop - ViewStart) + Left.
    EXPECT_GT(dots(many, Grey, Plot.Left + (120 - 110) * w / 20), 25);
    EXPECT_GT(dots(many, Grey, Plot.Left + (125 - 110) * w / 20), 25);
}

// ---------------------------------------------------------------------------------------------
// The binary search against walking the points from the start at every column.

void ReferencePlotSeries(const std::vector<TDataPoint>& points, QPainter& canvas,
                         const TPlotArea& area, bool after, bool before, QRgb colour,
                         double startTime) {
    if (points.empty() || !CanPlot(area)) return;
    QPen pen = canvas.pen();
    pen.setColor(QColor(colour));
    canvas.setPen(pen);
    TEdgePen plotter(canvas, CurveBox(canvas, area), area.Rect.Top, area.Rect.Bottom - 1);
    const double span = area.EndOff - area.StartOff;
    const size_t n = points.size();
    for (int64_t c = area.Rect.Left; c <= area.Rect.Right + 1; ++c) {
        const double time = startTime + area.StartOff + span * (c - area.Rect.Left) / area.W;
        int64_t found = -1;
        for (size_t k = 1; k < n && found < 0; ++k)
            if (startTime + points[k - 1].Time <= time && time < startTime + points[k].Time)
                found = static_cast<int64_t>(k) - 1;
        if (found < 0 && startTime + points[n - 1].Time <= time &&
            points[n - 1].Time > area.StartOff)
            found = static_cast<int64_t>(n) - 1;
        if (found < 0) {
            plotter.Lift();
            continue;
        }
        const TDataPoint& p = points[static_cast<size_t>(found)];
        if (!(p.Time >= area.NowOff ? after || SameValue(p.Time, area.NowOff) : before)) continue;
        if (std::isnan(p.Value)) {
            plotter.Lift();
            continue;
        }
        plotter.Plot(area.Rect.Left + TruncToInt(area.W * (p.Time - area.StartOff) / span),
                     ValueRow(area, p.Value));
    }
}

struct TSearchCase {
    const char* Name;
    unsigned Seed;
    int Count;
    double From, To; // point offsets lie in this range
    double StartTime, StartOff, EndOff, NowOff;
    bool After = true, Before = true;
    double Grain = 0; // times rounded to this grain (duplicates)
    int NaNEvery = 0; // every n-th value is not a number
    bool Ink = true;  // the picture is not blank
};

std::vector<TDataPoint> RandomPoints(const TSearchCase& c) {
    std::mt19937 random(c.Seed);
    std::uniform_real_distribution<double> time(c.From, c.To);
    std::uniform_real_distribution<double> value(-40, 140);
    std::vector<double> times(static_cast<size_t>(c.Count));
    for (double& t : times)
        t = c.Grain > 0 ? std::round(time(random) / c.Grain) * c.Grain : time(random);
    std::sort(times.begin(), times.end());
    std::vector<TDataPoint> points;
    for (size_t i = 0; i < times.size(); ++i)
        points.push_back({times[i], c.NaNEvery && i % c.NaNEvery == 3 ? NaN : value(random)});
    return points;
}

TEST(GraphPlotTest, BinarySearchPaintsWhatTheWalkFromTheStartPaints) {
    const TSearchCase cases[] = {
        {"dense", 1, 3000, 0, 20, 0, 0, 20, 10},
        {"sparse", 2, 7, 0, 20, 0, 0, 20, 10},
        {"view starts before the first point", 3, 60, 5, 30, 0, 0, 20, 12},
        {"points beyond the view end", 4, 300, 0, 100, 0, 10, 30, 20},
        {"duplicated times", 5, 400, 0, 20, 0, 0, 20, 10, true, true, 0.5},
        {"start time not zero", 6, 200, 0, 24, 1990.25, 3, 21, 9.5},
        {"after Now hidden", 7, 150, 0, 20, 0, 0, 20, 10, false, true},
        {"before Now hidden", 8, 150, 0, 20, 0, 0, 20, 10, true, false, 0.25},
        {"values not a number", 9, 120, 0, 20, 0, 0, 20, 10, true, true, 0, 7},
        {"single point inside", 10, 1, 5, 15, 0, 0, 20, 10, true, true, 0, 0, false},
        {"single point before the view", 11, 1, -5, -1, 0, 0, 20, 10, true, true, 0, 0, false},
        {"all points before the view", 12, 40, 0, 5, 0, 10, 20, 15, true, true, 0, 0, false},
        {"empty window", 13, 50, 0, 20, 0, 10, 10, 10, true, true, 0, 0, false},
    };
    for (const TSearchCase& c : cases) {
        SCOPED_TRACE(c.Name);
        const auto points = RandomPoints(c);
        const TPlotArea area = MakePlotArea(Plot, 0, 100, c.StartOff, c.EndOff, c.NowOff);
        const QImage searched = Paint(Width, Height, [&](QPainter& canvas) {
            PlotSeries(points, canvas, area, c.After, c.Before, CurveColour, c.StartTime);
        });
        const QImage walked = Paint(Width, Height, [&](QPainter& canvas) {
            ReferencePlotSeries(points, canvas, area, c.After, c.Before, CurveColour, c.StartTime);
        });
        EXPECT_TRUE(searched == walked);
        EXPECT_EQ(Count(searched, 0, 0, Width - 1, Height - 1, CurveColour) > 0, c.Ink);
    }
}

TEST(GraphPlotTest, AWidePlotSeenInPartPaintsWhatTheWholeWalkPaints) {
    // 20,000 columns, of which a 300 pixel picture shows a part.
    const TDrawRect wide{20, 10, 20019, 110};
    const TPlotArea area = MakePlotArea(wide, 0, 100, 0, 20, 10);
    const auto points = RandomPoints({"", 21, 300, 0, 20, 0, 0, 20, 10});
    for (double shift : {0.0, -9000.0, -19800.0, -20100.0}) {
        SCOPED_TRACE(shift);
        auto paint = [&](bool search) {
            return Paint(300, Height, [&](QPainter& canvas) {
                canvas.translate(shift, 0);
                if (search)
                    PlotSeries(points, canvas, area, true, true, CurveColour, 0);
                else
                    ReferencePlotSeries(points, canvas, area, true, true, CurveColour, 0);
            });
        };
        const QImage searched = paint(true);
        EXPECT_TRUE(searched == paint(false));
        EXPECT_EQ(Count(searched, 0, 0, 299, Height - 1, CurveColour) > 0, shift > -20000);
    }
}

TEST(GraphPlotTest, LongSeriesPaint) {
    const auto points = Line(0, 99999, 1, [](double t) { return 50 + 40 * std::sin(t / 5000); });
    ASSERT_EQ(points.size(), 100000u);
    const TPlotArea area = MakePlotArea(Plot, 0, 100, 0, 100000, 1e9);
    const QImage image = SeriesPicture(points, area);
    for (double t : {10000.0, 45000.0, 80000.0})
        EXPECT_TRUE(
            Near(image, ColumnOf(area, t), RowOf(area, 50 + 40 * std::sin(t / 5000)), CurveColour))
            << t;
    // A plot two billion pixels wide costs only the part the picture shows.
    const TPlotArea huge = MakePlotArea({0, 10, 2000000000, 110}, 0, 100, 0, 100000, 1e9);
    EXPECT_GT(Count(SeriesPicture(points, huge), 0, 0, Width - 1, Height - 1, CurveColour), 0);
}

// ---------------------------------------------------------------------------------------------

struct TFaultCase {
    const char* Name;
    double ViewStart, ViewStop, Max, Min;
    std::vector<TDataPoint> Points;
    bool Curve; // some of the curve can be drawn
};

TEST(GraphPlotTest, FaultyWindowsLimitsAndValuesDrawNothingOutsideThePlot) {
    const std::vector<TDataPoint> points{{0, 1}, {10, 50}, {20, 3}};
    const TFaultCase cases[] = {
        {"empty window", 10, 10, 100, 0, points, false},
        {"window backwards", 20, 0, 100, 0, points, false},
        {"limits not a number", 0, 20, NaN, NaN, points, false},
        {"infinite limits", 0, 20, Inf, -Inf, points, false},
        {"values not a number", 0, 20, 100, 0, {{0, NaN}, {5, 40}, {10, NaN}, {20, 3}}, true},
        {"times not a number", 0, 20, 100, 0, {{0, 4}, {NaN, 40}, {10, 60}, {NaN, 3}}, true},
        {"huge times and values", 0, 20, 100, 0, {{-1e300, 1e300}, {1, -1e300}, {1e300, 5}}, true},
    };
    for (const TFaultCase& c : cases) {
        SCOPED_TRACE(c.Name);
        for (uint8_t kind : {skSimulated, skSketched}) {
            TGraphModel graph;
            graph.Model.ViewStart = c.ViewStart;
            graph.Model.ViewStop = c.ViewStop;
            TVariableObject* element = graph.Element(c.Points);
            element->Sketched.Points = c.Points;
            graph.Entry(element, kind);
            const TTickList ticks{"0", "50", "100", "100"};
            const QImage image = Paint(Width, Height, [&](QPainter& canvas) {
                DrawSeriesGraph(graph.Series, Plot, canvas, &ticks, &ticks, c.Max, c.Min);
            });
            const int32_t inside =
                Ink(image, Plot.Left - 2, Plot.Top - 2, Plot.Right + 2, Plot.Bottom + 1);
            EXPECT_EQ(Ink(image, 0, 0, Width - 1, Height - 1), inside);
            if (!c.Curve) {
                EXPECT_EQ(Count(image, 0, 0, Width - 1, Height - 1, CurveColour), 0);
            }
            const QImage one = Paint(Width, Height, [&](QPainter& canvas) {
                DrawVariableGraph(*element, Plot, canvas, &ticks, &ticks, c.Max, c.Min, false,
                                  false, {});
            });
            EXPECT_EQ(Ink(one, 0, 0, Width - 1, Height - 1),
                      Ink(one, Plot.Left - 2, Plot.Top - 2, Plot.Right + 2, Plot.Bottom + 1));
        }
    }
}

} // namespace
