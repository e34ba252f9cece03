// Series curves: one point per pixel column at most, found by binary search, with the
// helpers that the sketch painter shares.
#include "document/output/GraphCurves.h"

#include "core/support/NumberFormat.h"

#include <QtGui/QPaintDevice>
#include <QtGui/QTransform>

#include <algorithm>
#include <cmath>

TClipBox TClipBox::Intersected(const TClipBox& other) const {
    return {std::max(Left, other.Left), std::max(Top, other.Top), std::min(Right, other.Right),
            std::min(Bottom, other.Bottom)};
}

TClipBox VisibleBox(const QPainter& canvas) {
    // Well inside the fixed-point range of the raster engine.
    constexpr double Limit = 4000000;
    constexpr double Spare = 4;
    TClipBox box{-Limit, -Limit, Limit, Limit};
    const QPaintDevice* device = canvas.device();
    // A picture being recorded only knows the size of what it holds so far.
    if (!device || device->devType() == QInternal::Picture || device->width() <= 0 ||
        device->height() <= 0)
        return box;
    bool invertible = false;
    const QTransform inverse = canvas.combinedTransform().inverted(&invertible);
    if (!invertible) return box;
    QRectF seen = inverse.mapRect(QRectF(0, 0, device->width(), device->height()));
    if (canvas.hasClipping()) seen = seen.intersected(canvas.clipBoundingRect());
    return box.Intersected({std::floor(seen.left()) - Spare, std::floor(seen.top()) - Spare,
                            std::ceil(seen.right()) + Spare, std::ceil(seen.bottom()) + Spare});
}

void TClippedPen::LineTo(int64_t x, int64_t y) {
    const double x0 = static_cast<double>(X);
    const double y0 = static_cast<double>(Y);
    const bool onItself = x == X && y == Y;
    X = x;
    Y = y;
    if (onItself || Box.IsEmpty()) return;
    const double dx = static_cast<double>(x) - x0;
    const double dy = static_cast<double>(y) - y0;
    double enter = 0;
    double leave = 1;
    // Keeps the part of the segment where p * u <= q.
    auto keep = [&](double p, double q) {
        if (p == 0) return q >= 0;
        const double u = q / p;
        if (p < 0) {
            if (u > leave) return false;
            enter = std::max(enter, u);
        } else {
            if (u < enter) return false;
            leave = std::min(leave, u);
        }
        return true;
    };
    if (!keep(-dx, x0 - Box.Left) || !keep(dx, Box.Right - x0) || !keep(-dy, y0 - Box.Top) ||
        !keep(dy, Box.Bottom - y0))
        return;
    auto at = [&](double u) {
        return QPoint(static_cast<int>(std::lround(x0 + u * dx)),
                      static_cast<int>(std::lround(y0 + u * dy)));
    };
    const QPoint from = enter > 0 ? at(enter) : QPoint(static_cast<int>(x0), static_cast<int>(y0));
    const QPoint to = leave < 1 ? at(leave) : QPoint(static_cast<int>(x), static_cast<int>(y));
    Canvas.drawLine(from, to);
}

void TEdgePen::Plot(int64_t x, int64_t y) {
    bool draw = Down;
    if (y > BottomLine) {
        y = BottomLine;
        draw = draw && (State == Inside || State == Above);
        State = Below;
    } else if (y < Top) {
        y = Top;
        draw = draw && (State == Inside || State == Below);
        State = Above;
    } else {
        // A point moved to inside the plot counts as inside too, so that the line on to a
        // point beyond an edge is drawn however many columns the first point covers.
        State = Inside;
    }
    if (draw)
        Pen.LineTo(x, y);
    else
        Pen.MoveTo(x, y);
    Down = true;
}

bool CanPlot(const TPlotArea& area) {
    const double span = area.EndOff - area.StartOff;
    const double range = area.MaxY - area.MinY;
    return area.W > 0 && area.H < 0 && std::isfinite(span) && span > 0 && std::isfinite(range) &&
           range > 0;
}

int64_t ValueRow(const TPlotArea& area, double value) {
    const double row = std::clamp((value - area.MinY) * area.H / (area.MaxY - area.MinY),
                                  -2147483647.0, 2147483647.0);
    return static_cast<int64_t>(TruncToInt(row)) + area.Rect.Bottom - 1;
}

TClipBox CurveBox(const QPainter& canvas, const TPlotArea& area) {
    const TClipBox plot{static_cast<double>(area.Rect.Left), static_cast<double>(area.Rect.Top),
                        static_cast<double>(area.Rect.Left) + area.W,
                        static_cast<double>(area.Rect.Bottom) - 1};
    return plot.Intersected(VisibleBox(canvas));
}

int64_t PointInForce(const std::vector<TDataPoint>& points, double startTime, double startOff,
                     double time) {
    const size_t count = points.size();
    // The first point whose time lies after the given one.
    size_t low = 0;
    size_t high = count;
    while (low < high) {
        const size_t middle = low + (high - low) / 2;
        if (time < startTime + points[middle].Time)
            high = middle;
        else
            low = middle + 1;
    }
    if (low == 0) return -1;
    if (low < count)
        return startTime + points[low - 1].Time <= time ? static_cast<int64_t>(low) - 1 : -1;
    const TDataPoint& last = points[count - 1];
    return startTime + last.Time <= time && last.Time > startOff ? static_cast<int64_t>(count) - 1
                                                                 : -1;
}

void SetCurvePen(QPainter& canvas, QRgb colour) {
    QPen pen = canvas.pen();
    pen.setColor(QColor(colour));
    pen.setStyle(Qt::SolidLine);
    canvas.setPen(pen);
}

void PlotSeries(const std::vector<TDataPoint>& points, QPainter& canvas, const TPlotArea& area,
                bool showAfterNow, bool showBeforeNow, QRgb colour, double startTime) {
    if (points.empty() || !CanPlot(area)) return;
    const TClipBox box = CurveBox(canvas, area);
    if (box.IsEmpty()) return;
    SetCurvePen(canvas, colour);

    TEdgePen plotter(canvas, box, area.Rect.Top, static_cast<int64_t>(area.Rect.Bottom) - 1);
    const double span = area.EndOff - area.StartOff;
    const int64_t left = area.Rect.Left;
    auto pointAt = [&](int64_t column) {
        const double time =
            startTime + area.StartOff + span * static_cast<double>(column - left) / area.W;
        return PointInForce(points, startTime, area.StartOff, time);
    };
    auto plot = [&](int64_t index) {
        if (index < 0) {
            plotter.Lift();
            return;
        }
        const TDataPoint& point = points[static_cast<size_t>(index)];
        const bool visible = point.Time >= area.NowOff
                                 ? showAfterNow || SameValue(point.Time, area.NowOff)
                                 : showBeforeNow;
        if (!visible) return;
        // A value that is not a number breaks the curve.
        if (std::isnan(point.Value)) {
            plotter.Lift();
            return;
        }
        const int64_t x = left + TruncToInt(area.W * (point.Time - area.StartOff) / span);
        plotter.Plot(x, ValueRow(area, point.Value));
    };

    // Only the columns the canvas shows are walked; whatever lies beyond them cannot be seen
    // except the line on to the next point, plotted after the walk.
    const int64_t lastColumn = left + area.W;
    const int64_t first = std::max(left, static_cast<int64_t>(box.Left));
    const int64_t last = std::min(lastColumn, static_cast<int64_t>(std::ceil(box.Right)));
    int64_t shown = -2;
    for (int64_t column = first; column <= last; ++column) {
        const int64_t index = pointAt(column);
        // Finding the same point again would draw nothing new.
        if (index == shown) continue;
        shown = index;
        plot(index);
    }
    if (last >= lastColumn) return;
    // The point found further right only ever moves on, so the next one is searched for.
    int64_t low = last + 1;
    int64_t high = lastColumn + 1;
    while (low < high) {
        const int64_t middle = low + (high - low) / 2;
        if (pointAt(middle) != shown)
            high = middle;
        else
            low = middle + 1;
    }
    if (low <= lastColumn) plot(pointAt(low));
}
