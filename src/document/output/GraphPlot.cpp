// The plot of a graph: frame, grids, the Now and zero lines and the curves, for a graph
// control's entries or for one element's three series.
#include "document/output/GraphCanvas.h"
#include "document/output/GraphCurves.h"

#include "core/model/SimulationObjects.h"

#include <cmath>
#include <utility>

void ResolveScale(double& min, double& max) {
    if (max < min) std::swap(min, max);
    if (SameValue(min, max)) {
        if (IsZero(min))
            max = 1;
        else if (min < 0)
            max = 0;
        else
            min = 0;
    }
}

namespace {

// Infinite values are left out: they would leave the scale without any use; the curves draw
// them on the plot's edge.
void WidenBy(const TDataSeries& series, double& min, double& max) {
    for (const TDataPoint& point : series.Points) {
        if (!std::isfinite(point.Value)) continue;
        if (point.Value > max) max = point.Value;
        if (point.Value < min) min = point.Value;
    }
}

bool Finite(double min, double max) {
    return std::isfinite(min) && std::isfinite(max);
}

// The box the frame and grid lines keep to: the plot, with the axis tick below it.
TClipBox FrameBox(const QPainter& canvas, const TDrawRect& rect) {
    const TClipBox plot{static_cast<double>(rect.Left), static_cast<double>(rect.Top),
                        static_cast<double>(rect.Right), static_cast<double>(rect.Bottom) + 1};
    return plot.Intersected(VisibleBox(canvas));
}

void SetLinePen(QPainter& canvas, QRgb colour, Qt::PenStyle style) {
    QPen pen = DiagramPen(colour, 1);
    pen.setStyle(style);
    if (style != Qt::SolidLine) pen.setCapStyle(Qt::FlatCap);
    canvas.setPen(pen);
}

void DrawFrame(QPainter& canvas, const TDrawRect& rect) {
    SetLinePen(canvas, qRgb(0, 0, 0), Qt::SolidLine);
    TClippedPen pen(canvas, FrameBox(canvas, rect));
    pen.MoveTo(rect.Left, rect.Top);
    pen.LineTo(rect.Left, rect.Bottom);
    pen.MoveTo(rect.Left, rect.Bottom - 1);
    pen.LineTo(rect.Right, rect.Bottom - 1);
    pen.LineTo(rect.Right, static_cast<int64_t>(rect.Bottom) + 1);
}

void DrawRow(TClippedPen& pen, const TDrawRect& rect, int64_t y) {
    pen.MoveTo(static_cast<int64_t>(rect.Left) + 1, y);
    pen.LineTo(rect.Right, y);
}

void DrawColumn(TClippedPen& pen, const TDrawRect& rect, int64_t x) {
    pen.MoveTo(x, rect.Bottom);
    pen.LineTo(x, rect.Top);
}

// Dotted rows at the value ticks from the second on (all but those skip refuses) and one
// along the top.
template <class Skip>
void DrawValueGrid(QPainter& canvas, const TPlotArea& area, const TTickList& ticks, QRgb colour,
                   Skip skip) {
    SetLinePen(canvas, colour, Qt::DotLine);
    TClippedPen pen(canvas, FrameBox(canvas, area.Rect));
    for (size_t i = 1; i < ticks.size(); ++i) {
        const double value = TickValue(ticks[i]);
        if (!skip(value)) DrawRow(pen, area.Rect, ValueRow(area, value));
    }
    DrawRow(pen, area.Rect, area.Rect.Top);
}

// Dotted columns at the time ticks from the second on, for a time window from first to last.
void DrawTimeGrid(QPainter& canvas, const TDrawRect& rect, const TTickList& ticks, QRgb colour,
                  double first, double last) {
    const double span = last - first;
    if (!(span > 0) || !std::isfinite(span)) return;
    SetLinePen(canvas, colour, Qt::DotLine);
    TClippedPen pen(canvas, FrameBox(canvas, rect));
    const int32_t width = rect.Right - rect.Left + 1;
    for (size_t i = 1; i < ticks.size(); ++i) {
        const double time = TickValue(ticks[i]);
        DrawColumn(pen, rect,
                   static_cast<int64_t>(TruncToInt((time - first) * width / span)) + rect.Left);
    }
}

// The Now line when Now lies inside the time window, the zero line when the scale spans 0.
void DrawNowAndZero(QPainter& canvas, const TPlotArea& area) {
    SetLinePen(canvas, qRgb(0, 0, 0), Qt::SolidLine);
    TClippedPen pen(canvas, FrameBox(canvas, area.Rect));
    if (area.StartOff < area.NowOff && area.NowOff < area.EndOff &&
        std::isfinite(area.EndOff - area.StartOff))
        DrawColumn(pen, area.Rect,
                   static_cast<int64_t>(TruncToInt((area.NowOff - area.StartOff) * area.W /
                                                   (area.EndOff - area.StartOff))) +
                       area.Rect.Left);
    if (area.MinY < 0 && 0 < area.MaxY && Finite(area.MinY, area.MaxY))
        DrawRow(pen, area.Rect, ValueRow(area, 0));
}

void SetCurveWidth(QPainter& canvas, int32_t width) {
    QPen pen = canvas.pen();
    pen.setWidth(width);
    pen.setStyle(Qt::SolidLine);
    pen.setCapStyle(Qt::RoundCap);
    pen.setJoinStyle(Qt::RoundJoin);
    canvas.setPen(pen);
}

} // namespace

TGraphScale DrawVariableGraph(TVariableObject& variable, const TDrawRect& rect, QPainter& canvas,
                              const TTickList* timeTicks, const TTickList* valueTicks, double max,
                              double min, bool autoScale, bool wholeRun,
                              const TGraphOptions& options) {
    if (autoScale || std::isinf(max) || std::isinf(min)) {
        WidenBy(variable.Sketched, min, max);
        WidenBy(variable.Derived, min, max);
        WidenBy(variable.Simulated, min, max);
    }
    ResolveScale(min, max);
    const TSimulationObject* simulation = variable.Simulation();
    if (!simulation || rect.IsEmpty()) return {min, max};

    const double startOff = wholeRun ? 0 : simulation->ViewStart - simulation->StartTime;
    const double endOff = wholeRun ? simulation->StopTime - simulation->StartTime
                                   : simulation->ViewStop - simulation->StartTime;
    const TPlotArea area =
        MakePlotArea(rect, min, max, startOff, endOff, simulation->Now - simulation->StartTime);

    DrawFrame(canvas, rect);
    DrawNowAndZero(canvas, area);
    if (valueTicks && Finite(min, max))
        DrawValueGrid(canvas, area, *valueTicks, qRgb(0, 0, 0),
                      [min](double value) { return IsZero(value) || value == min; });
    if (timeTicks)
        DrawTimeGrid(canvas, rect, *timeTicks, qRgb(0, 0, 0), simulation->StartTime,
                     simulation->StopTime);

    SetCurveWidth(canvas, 2);
    auto show = [&](uint8_t kind, bool afterNow) {
        return wholeRun || options.Show[kind * 2 + (afterNow ? 1 : 0)];
    };
    PlotSketch(variable.Sketched.Points, canvas, area, variable.Sketched.Stepwise,
               show(skSketched, false), show(skSketched, true), options.Colours[skSketched],
               variable.Sketched.Interval, wholeRun);
    PlotSeries(variable.Derived.Points, canvas, area, show(skDerived, true), show(skDerived, false),
               options.Colours[skDerived], simulation->StartTime);
    PlotSeries(variable.Simulated.Points, canvas, area, show(skSimulated, true),
               show(skSimulated, false), options.Colours[skSimulated], simulation->StartTime);
    SetCurveWidth(canvas, 1);
    return {min, max};
}

TGraphScale DrawSeriesGraph(const TVariableDataLinkList& series, const TDrawRect& rect,
                            QPainter& canvas, const TTickList* timeTicks,
                            const TTickList* valueTicks, double max, double min) {
    auto seriesOf = [](const TVariableDataLink* entry) {
        return entry->Var() ? entry->DataSeries() : nullptr;
    };
    if (std::isinf(max) || std::isinf(min))
        for (const TVariableDataLink* entry : series)
            if (const TDataSeries* data = seriesOf(entry)) WidenBy(*data, min, max);
    ResolveScale(min, max);
    if (series.Count() == 0 || rect.IsEmpty()) return {min, max};
    const TVariableObject* firstElement = series[0]->Var();
    const TSimulationObject* simulation = firstElement ? firstElement->Simulation() : nullptr;
    if (!simulation) return {min, max};

    const double start = simulation->StartTime;
    const TPlotArea area = MakePlotArea(rect, min, max, simulation->ViewStart - start,
                                        simulation->ViewStop - start, simulation->Now - start);
    DrawFrame(canvas, rect);
    if (valueTicks && Finite(min, max))
        DrawValueGrid(canvas, area, *valueTicks, qRgb(128, 128, 128), [](double) { return false; });
    if (timeTicks)
        DrawTimeGrid(canvas, rect, *timeTicks, qRgb(128, 128, 128), simulation->ViewStart,
                     simulation->ViewStop);
    DrawNowAndZero(canvas, area);

    SetCurveWidth(canvas, 2);
    for (const TVariableDataLink* entry : series) {
        const TDataSeries* data = seriesOf(entry);
        if (!data || !entry->Visible) continue;
        const QRgb colour = ColourFromInt(entry->Colour).rgb();
        if (entry->SeriesKind == skSketched)
            PlotSketch(data->Points, canvas, area, data->Stepwise, true, true, colour,
                       data->Interval, false);
        else if (entry->SeriesKind == skDerived || entry->SeriesKind == skSimulated)
            PlotSeries(data->Points, canvas, area, true, true, colour, start);
    }
    SetCurveWidth(canvas, 1);
    return {min, max};
}

TPlotArea MakePlotArea(const TDrawRect& rect, double minY, double maxY, double startOff,
                       double endOff, double nowOff) {
    TPlotArea area;
    area.Rect = rect;
    area.MinY = minY;
    area.MaxY = maxY;
    area.H = rect.Top - rect.Bottom + 1;
    area.W = rect.Right - rect.Left + 1;
    area.NowOff = nowOff;
    area.EndOff = endOff;
    area.StartOff = startOff;
    return area;
}
