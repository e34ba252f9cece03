#include "document/output/LookupGraph.h"

#include "document/output/GraphCanvas.h"
#include "document/output/GraphCurves.h"

#include <cmath>

namespace {

void SetLinePen(QPainter& canvas, Qt::PenStyle style, int width = 1) {
    QPen pen = DiagramPen(qRgb(0, 0, 0), width);
    pen.setStyle(style);
    if (style != Qt::SolidLine) pen.setCapStyle(Qt::FlatCap);
    canvas.setPen(pen);
}

} // namespace

double LookupGraphEnd(size_t count, double xStart, double xIncrement) {
    const double steps = count > 1 ? static_cast<double>(count - 1) : 1.0;
    return xStart + steps * xIncrement;
}

void DrawLookupGraph(const std::vector<TDataPoint>& points, double xStart, double xIncrement,
                     const TDrawRect& rect, QPainter& canvas, const TTickList& xTicks,
                     const TTickList& valueTicks, double upper, double lower) {
    if (rect.IsEmpty()) return;
    const double span = LookupGraphEnd(points.size(), xStart, xIncrement) - xStart;
    const TPlotArea area = MakePlotArea(rect, lower, upper, 0, span, span);
    const TClipBox frame =
        TClipBox{static_cast<double>(rect.Left), static_cast<double>(rect.Top),
                 static_cast<double>(rect.Right), static_cast<double>(rect.Bottom) + 1}
            .Intersected(VisibleBox(canvas));

    // Left and bottom axes, with a two-pixel tick at the bottom axis's right end.
    SetLinePen(canvas, Qt::SolidLine);
    TClippedPen pen(canvas, frame);
    pen.MoveTo(rect.Left, rect.Top);
    pen.LineTo(rect.Left, rect.Bottom);
    pen.MoveTo(rect.Left, rect.Bottom - 1);
    pen.LineTo(rect.Right, rect.Bottom - 1);
    pen.LineTo(rect.Right, static_cast<int64_t>(rect.Bottom) + 1);
    const bool scaled = upper > lower && std::isfinite(upper) && std::isfinite(lower);
    if (scaled && lower < 0 && 0 < upper) {
        pen.MoveTo(rect.Left + 1, ValueRow(area, 0));
        pen.LineTo(rect.Right, ValueRow(area, 0));
    }

    SetLinePen(canvas, Qt::DotLine);
    TClippedPen dots(canvas, frame);
    if (scaled)
        for (size_t i = 1; i < valueTicks.size(); ++i) {
            const double value = TickValue(valueTicks[i]);
            if (IsZero(value) || value == lower) continue;
            dots.MoveTo(rect.Left + 1, ValueRow(area, value));
            dots.LineTo(rect.Right, ValueRow(area, value));
        }
    dots.MoveTo(rect.Left + 1, rect.Top);
    dots.LineTo(rect.Right, rect.Top);
    if (span > 0 && std::isfinite(span)) {
        const int32_t width = rect.Right - rect.Left + 1;
        for (size_t i = 1; i < xTicks.size(); ++i) {
            const int64_t x =
                rect.Left + TruncToInt((TickValue(xTicks[i]) - xStart) * width / span);
            dots.MoveTo(x, rect.Bottom);
            dots.LineTo(x, rect.Top);
        }
    }

    if (!scaled) return;
    std::vector<TDataPoint> curve;
    curve.reserve(points.size());
    for (size_t i = 0; i < points.size(); ++i)
        curve.push_back({static_cast<double>(i) * xIncrement, points[i].Value});
    SetLinePen(canvas, Qt::SolidLine, 2);
    PlotSketch(curve, canvas, area, false, true, true, qRgb(0, 0, 0),
               std::isfinite(xIncrement) ? xIncrement : span, true);
}
