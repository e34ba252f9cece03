// Sketch curves: every point, clipped exactly at the plot's top and bottom, with points
// interpolated where the curve crosses the view start, Now and the view end.
#include "document/output/GraphCurves.h"

#include "core/support/NumberFormat.h"

#include <cmath>

namespace {

constexpr double Tolerance = FloatTolerance;

class TSketchPlotter {
public:
    TSketchPlotter(const std::vector<TDataPoint>& points, QPainter& canvas, const TClipBox& box,
                   const TPlotArea& area, bool stepwise, bool showBeforeNow, bool showAfterNow,
                   double interval, bool wholeRun)
        : Points(points), Pen(canvas, box), Area(area), Stepwise(stepwise), Before(showBeforeNow),
          After(showAfterNow), Interval(interval), WholeRun(wholeRun), S(area.StartOff),
          E(area.EndOff), N(area.NowOff), Top(area.Rect.Top),
          BottomLine(static_cast<int64_t>(area.Rect.Bottom) - 1) {}

    void Run() {
        for (size_t i = 0; i < Points.size(); ++i)
            PlotPoint(i);
    }

private:
    // A point in canvas pixels; a value that is not a number has no row.
    struct TSpot {
        int64_t X = -1;
        int64_t Y = -1;
        bool Valid = false;
    };
    enum : uint8_t { Inside = 0, Above = 1, Below = 2, NoneYet = 3 };

    int64_t Column(double time) const {
        return Area.Rect.Left + TruncToInt((time - S) * Area.W / (E - S));
    }
    TSpot Spot(int64_t x, double value) const {
        if (std::isnan(value)) return {x, -1, false};
        return {x, ValueRow(Area, value), true};
    }
    TSpot PointSpot(size_t i) const { return Spot(Column(Points[i].Time), Points[i].Value); }

    // The value at time between point i - 1 and point i. Before the first point the curve
    // is held at the first point's value.
    double ValueBetween(size_t i, double time, bool holdWhenStepwise) const {
        if (i == 0) return Points[0].Value;
        const TDataPoint& from = Points[i - 1];
        const TDataPoint& to = Points[i];
        if (SameValue(from.Time, to.Time) || (holdWhenStepwise && Stepwise)) return from.Value;
        return from.Value + (time - from.Time) / (to.Time - from.Time) * (to.Value - from.Value);
    }

    // Once the curve has started, points further apart than the sketch interval leave a gap.
    void UpdatePen(double time) {
        if (Started)
            PenDown = !InGap && PreviousValid && time - PreviousTime < Interval + Tolerance;
    }

    // Whether point i - 1 and point i are close enough to be joined. Before the first point
    // the curve is held at its value.
    bool Joined(size_t i) const {
        return i == 0 || Points[i].Time - Points[i - 1].Time < Interval + Tolerance;
    }

    void BecomePrevious(double time, const TSpot& spot) {
        InGap = false;
        PreviousTime = time;
        PreviousX = spot.X;
        PreviousY = spot.Y;
        PreviousValid = spot.Valid;
    }

    // Where the line from the previous point to p crosses the row edge.
    int64_t Crossing(const TSpot& p, int64_t edge) const {
        if (p.Y == PreviousY || Stepwise) return p.X;
        return PreviousX + TruncToInt(static_cast<double>(p.X - PreviousX) *
                                      static_cast<double>(edge - PreviousY) /
                                      static_cast<double>(p.Y - PreviousY));
    }

    void DrawTo(const TSpot& p) {
        Started = true;
        if (!p.Valid) {
            Clip = NoneYet;
            PenDown = false;
            return;
        }
        if (p.Y >= Top && p.Y <= BottomLine) {
            if (PenDown && Clip != NoneYet) {
                int64_t level = PreviousY;
                if (Clip != Inside) {
                    level = Clip == Below ? BottomLine : Top;
                    Pen.MoveTo(Crossing(p, level), level);
                }
                if (Stepwise) Pen.LineTo(p.X, level);
                Pen.LineTo(p.X, p.Y);
            } else {
                Pen.MoveTo(p.X, p.Y);
            }
            Clip = Inside;
        } else {
            const bool below = p.Y > BottomLine;
            const int64_t edge = below ? BottomLine : Top;
            const int64_t farEdge = below ? Top : BottomLine;
            // With the pen up (a gap) nothing is drawn towards the edge either.
            if (PenDown && Clip == Inside) {
                // A step leaves at its own level and turns at the point's column.
                if (Stepwise) Pen.LineTo(p.X, PreviousY);
                Pen.LineTo(Crossing(p, edge), edge);
            } else if (PenDown && Clip == (below ? Above : Below)) {
                Pen.MoveTo(Crossing(p, farEdge), farEdge);
                Pen.LineTo(Crossing(p, edge), edge);
            }
            Pen.MoveTo(p.X, edge);
            Clip = below ? Below : Above;
        }
        PenDown = true;
    }

    void AddStart(size_t i) { AddMarker(i, S, Area.Rect.Left); }
    void AddNow(size_t i) { AddMarker(i, N, Column(N)); }
    // The start and Now points carry the curve on: they become the previous point. One that
    // falls in a gap is neither drawn to nor from, as the gap shows when the view holds both
    // of its ends.
    void AddMarker(size_t i, double time, int64_t x) {
        const TSpot spot = Spot(x, ValueBetween(i, time, true));
        if (!Joined(i)) PenDown = false;
        DrawTo(spot);
        BecomePrevious(time, spot);
        InGap = !Joined(i);
    }
    void AddEnd(size_t i) {
        if (!Joined(i)) PenDown = false;
        DrawTo(Spot(static_cast<int64_t>(Area.Rect.Left) + Area.W, ValueBetween(i, E, false)));
        EndDone = true;
    }

    void PlotPoint(size_t i) {
        const double t = Points[i].Time;
        const double e = Tolerance;

        // Boundary points ahead of this point.
        if (t > N - e && t > S + e && !Started && Before && S <= N && N <= E && !WholeRun) {
            AddStart(i);
            AddNow(i);
        } else if (t > E + e && !Started) {
            // The whole view lies between two points.
            if ((S < N && Before) || (S > N && After)) AddStart(i);
            if (S < N && N < E && (Before || After)) AddNow(i);
            if ((E < N && Before) || (E > N && After)) AddEnd(i);
        } else if (PreviousTime < N && S < N && N < E && t > E && Before && !After) {
            AddNow(i);
        }

        if (S - e < t && t < E + e) {
            if (SameValue(t, E)) EndDone = true;
            TSpot spot = PointSpot(i);
            UpdatePen(t);
            if (t < N) {
                if (Before) {
                    if (!Started && t > S) {
                        AddStart(i);
                        spot = PointSpot(i);
                        UpdatePen(t);
                    }
                    DrawTo(spot);
                }
            } else {
                if (!Started && t > S && S > N) {
                    AddStart(i);
                    NowDone = true;
                    spot = PointSpot(i);
                    UpdatePen(t);
                }
                if (!NowDone && i > 0 && S + e <= N && !SameValue(t, N)) {
                    AddNow(i);
                    spot = PointSpot(i);
                    UpdatePen(t);
                }
                if (After || SameValue(t, N)) DrawTo(spot);
                NowDone = true;
            }
            BecomePrevious(t, spot);
        } else if (t >= E + e) {
            // Also at the first point: a view wholly before the sketch is held at its first
            // value, where point 1 would extrapolate from two points past the view end.
            if (!EndDone && After) AddEnd(i);
        }
    }

    const std::vector<TDataPoint>& Points;
    TClippedPen Pen;
    const TPlotArea& Area;
    const bool Stepwise;
    const bool Before;
    const bool After;
    const double Interval;
    const bool WholeRun;
    const double S;
    const double E;
    const double N;
    const int64_t Top;
    const int64_t BottomLine;

    bool Started = false;
    bool NowDone = false;
    bool EndDone = false;
    bool PenDown = false;
    double PreviousTime = -1;
    int64_t PreviousX = -1;
    int64_t PreviousY = -1;
    bool PreviousValid = true;
    // The previous point is a start or Now point in a gap.
    bool InGap = false;
    uint8_t Clip = NoneYet;
};

} // namespace

void PlotSketch(const std::vector<TDataPoint>& points, QPainter& canvas, const TPlotArea& area,
                bool stepwise, bool showBeforeNow, bool showAfterNow, QRgb colour, double interval,
                bool wholeRun) {
    if (points.empty() || !CanPlot(area)) return;
    const TClipBox box = CurveBox(canvas, area);
    if (box.IsEmpty()) return;
    SetCurvePen(canvas, colour);
    TSketchPlotter(points, canvas, box, area, stepwise, showBeforeNow, showAfterNow, interval,
                   wholeRun)
        .Run();
}
