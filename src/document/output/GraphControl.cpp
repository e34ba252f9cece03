// The graph control's content: where plot, labels and legend go, and painting them.
#include "document/output/GraphCanvas.h"
#include "document/output/GraphDrawing.h"
#include "document/output/GraphLabelRules.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

const TSimulationObject* SimulationOf(const TGraphInstance& graph) {
    if (graph.Series.IsEmpty()) return nullptr;
    const TVariableObject* variable = graph.Series[0]->Var();
    return variable ? variable->Simulation() : nullptr;
}

// The value axis limits: fixed ones as set, automatic ones from every point of every entry,
// shown or not. Infinite or missing values (an overflowed run) take no part, as they would
// leave no scale to draw on.
void ChooseLimits(const TGraphInstance& graph, TGraphLayout& layout) {
    const bool automaticMin = std::isinf(graph.YMin);
    const bool automaticMax = std::isinf(graph.YMax);
    double min = graph.YMin;
    double max = graph.YMax;
    if (automaticMin || automaticMax) {
        double lowest = std::numeric_limits<double>::infinity();
        double highest = -std::numeric_limits<double>::infinity();
        bool anyPoint = false;
        for (const TVariableDataLink* entry : graph.Series) {
            const TDataSeries* data = entry->DataSeries();
            if (!data) continue;
            for (const TDataPoint& point : data->Points) {
                if (!std::isfinite(point.Value)) continue;
                anyPoint = true;
                lowest = std::min(lowest, point.Value);
                highest = std::max(highest, point.Value);
            }
        }
        if (!anyPoint) {
            min = 0;
            max = 10;
        } else {
            if (automaticMin) min = lowest;
            if (automaticMax) max = highest;
        }
    }
    if (min >= max) max = min + 10;
    layout.Min = min;
    layout.Max = max;
}

} // namespace

TGraphLayout LayoutGraph(const TGraphInstance& graph, const TDrawRect& frame, QPainter& canvas,
                         double scale) {
    const TDrawRect control = BoundedRect(frame);
    const double s = BoundedScale(scale);
    TGraphLayout layout;
    layout.FontSize = TruncToInt(8 * s);
    layout.Min = graph.YMin;
    layout.Max = graph.YMax;
    TDrawRect plot = control.Inflated(-3, -3);
    layout.Axes = plot.Width() > 100 && plot.Height() > 100;
    if (layout.Axes) {
        plot.Left += TruncToInt(54 * s);
        plot.Top += TruncToInt(3 * s);
    }

    int32_t legendHeight = 0;
    if (graph.ShowLegend && layout.Axes) {
        legendHeight =
            LegendHeight(graph.Series, plot.Right - plot.Left - 8, canvas, layout.FontSize, s);
        if (plot.Bottom - plot.Top - legendHeight > 70 * s && legendHeight > 0) {
            layout.Legend = true;
            layout.LegendRect = {plot.Left, plot.Bottom - legendHeight, plot.Right - 8,
                                 plot.Bottom};
            plot.Bottom -= legendHeight + 3;
        } else {
            legendHeight = 0;
        }
    }
    // The legend's height is counted a second time here, as the layout always has.
    layout.TimeAxis = layout.Axes && plot.Bottom - plot.Top - legendHeight > 70 * s &&
                      plot.Right - plot.Left > 100 * s;
    layout.Plot = plot;
    if (graph.Series.IsEmpty()) return layout;

    const TSimulationObject* simulation = SimulationOf(graph);
    if (layout.TimeAxis && simulation)
        layout.TimeTicks = CalcTimeTicks(simulation->TimeUnit, nullptr, simulation->ViewStop,
                                         simulation->ViewStart);
    if (layout.Axes) {
        ChooseLimits(graph, layout);
        layout.ValueTicks = CalcValueTicks(layout.Max, layout.Min);
    }
    if (layout.TimeAxis) {
        const double lastLength =
            layout.TimeTicks.empty() ? 0.0 : static_cast<double>(layout.TimeTicks.back().size());
        plot.Bottom -= TruncToInt(28 * s);
        plot.Right -= TruncToInt(lastLength * 4 * s);
        layout.TimeLabels = {plot.Left, plot.Bottom - 2, plot.Right, control.Bottom};
    }
    if (layout.Axes) layout.ValueLabels = {control.Left, plot.Top, plot.Left - 2, plot.Bottom};
    layout.Plot = plot;
    return layout;
}

void PaintGraphControl(TGraphInstance& graph, QPainter& canvas, QRgb /*frameColour*/, double s) {
    const TDrawRect control = graph.FrameRect;
    if (control.IsEmpty() || graph.Series.IsEmpty()) return;
    const TSimulationObject* simulation = SimulationOf(graph);
    if (!simulation) return;
    const TGraphLayout layout = LayoutGraph(graph, control, canvas, s);
    if (layout.TimeAxis)
        DrawTimeLabels(layout.TimeLabels, canvas, simulation->TimeUnit, layout.FontSize,
                       layout.TimeTicks, simulation->ViewStop, simulation->ViewStart);
    if (layout.Axes)
        DrawValueLabels(layout.ValueLabels, canvas, layout.ValueTicks, layout.FontSize, layout.Max,
                        layout.Min);
    if (layout.Legend) DrawLegend(graph.Series, layout.LegendRect, canvas, layout.FontSize, s);
    DrawSeriesGraph(graph.Series, layout.Plot, canvas,
                    layout.TimeAxis ? &layout.TimeTicks : nullptr,
                    layout.Axes ? &layout.ValueTicks : nullptr, layout.Max, layout.Min);
}
