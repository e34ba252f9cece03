#pragma once
// Time-series graphs painted onto any QPainter: ticks and their labels, the plot frame and
// grids, the Now and zero lines, curves of simulated, derived, sketched and kept series,
// and the legend. Nothing here keeps state; every call works from its arguments. All
// rectangles are (Left, Top, Right, Bottom) pixel coordinates and every pixel coordinate is
// truncated toward zero.

#include "core/model/DataSeries.h"
#include "document/diagram/DrawingObjects.h"

#include <QtGui/QColor>

#include <cstdint>
#include <string>
#include <vector>

class QPainter;
class TGraphInstance;
class TVariableObject;

// Formatted numbers; painters read each one back from its text, so a grid line sits where
// its label says.
using TTickList = std::vector<std::string>;

// The vertical scale a graph routine actually used.
struct TGraphScale {
    double Min = 0;
    double Max = 10;
};

// Ticks. The value list starts with min and ends with max (max possibly twice); the time
// list is computed from the unit's step table unless fixed ticks (fewer than 11, the first
// being a column heading) are given.
TTickList CalcValueTicks(double max, double min);
TTickList CalcTimeTicks(const std::string& timeUnit, const TTickList* fixedTicks, double max,
                        double min);

// Labels. Each sets the canvas font to Arial at fontSize points, a white clear brush and
// black text, and leaves them so.
void DrawValueLabels(const TDrawRect& rect, QPainter& canvas, const TTickList& ticks,
                     int32_t fontSize, double max, double min);
void DrawValueLabelsBetween(const TDrawRect& rect, QPainter& canvas, const TTickList& ticks,
                            int32_t fontSize, double max, double min);
void DrawTimeLabels(const TDrawRect& rect, QPainter& canvas, const std::string& title,
                    int32_t fontSize, const TTickList& ticks, double max, double min);

// The geometry every curve of one plot shares. H = Top - Bottom + 1 (negative),
// W = Right - Left + 1; offsets are times minus the simulation's start time.
struct TPlotArea {
    TDrawRect Rect;
    double MinY = 0;
    double MaxY = 10;
    int32_t H = 0;
    int32_t W = 0;
    double NowOff = 0;
    double EndOff = 0;
    double StartOff = 0;
};
// The area for a plot rectangle, value limits and time window.
TPlotArea MakePlotArea(const TDrawRect& rect, double minY, double maxY, double startOff,
                       double endOff, double nowOff);

// A simulated, derived or kept series: one point per pixel column at most (found by binary
// search), values beyond the plot drawn on its edge. The caller sets the pen width.
void PlotSeries(const std::vector<TDataPoint>& points, QPainter& canvas, const TPlotArea& area,
                bool showAfterNow, bool showBeforeNow, QRgb colour, double startTime);
// A sketched series: every point, clipped exactly at the plot's edges, with points
// interpolated at the view start, Now and the view end, and gaps where points are more
// than interval apart.
void PlotSketch(const std::vector<TDataPoint>& points, QPainter& canvas, const TPlotArea& area,
                bool stepwise, bool showBeforeNow, bool showAfterNow, QRgb colour, double interval,
                bool wholeRun);

// One element's Sketched, Derived and Simulated series in the document colours. With
// autoScale (or an infinite limit) the data widen max and min.
TGraphScale DrawVariableGraph(TVariableObject& variable, const TDrawRect& rect, QPainter& canvas,
                              const TTickList* timeTicks, const TTickList* valueTicks, double max,
                              double min, bool autoScale, bool wholeRun,
                              const TGraphOptions& options);
// A graph control's entries, each in its own colour.
TGraphScale DrawSeriesGraph(const TVariableDataLinkList& series, const TDrawRect& rect,
                            QPainter& canvas, const TTickList* timeTicks,
                            const TTickList* valueTicks, double max, double min);

// The legend text of an entry: name, " (Sk)" or " (D)", and " [n]" for kept run n.
std::string LegendLabel(const TVariableDataLink& entry);
// Height of the legend of the visible entries for that width; 0 when there are none.
int32_t LegendHeight(const TVariableDataLinkList& series, int32_t width, QPainter& canvas,
                     int32_t fontSize, double s);
void DrawLegend(const TVariableDataLinkList& series, const TDrawRect& rect, QPainter& canvas,
                int32_t fontSize, double s);

// Where the parts of a graph control go, for its content rectangle (the frame in view
// pixels) and scale s. Worked out without painting so that it can be checked on its own.
struct TGraphLayout {
    bool Axes = false;
    bool Legend = false;
    bool TimeAxis = false;
    TDrawRect Plot;        // final plot rectangle
    TDrawRect LegendRect;  // when Legend
    TDrawRect TimeLabels;  // when TimeAxis
    TDrawRect ValueLabels; // when Axes
    int32_t FontSize = 8;
    double Min = 0;
    double Max = 10;
    TTickList TimeTicks;  // when TimeAxis and the graph has entries
    TTickList ValueTicks; // when Axes and the graph has entries
};
TGraphLayout LayoutGraph(const TGraphInstance& graph, const TDrawRect& control, QPainter& canvas,
                         double s);

// The graph control's content: labels, legend and curves inside its frame.
void PaintGraphControl(TGraphInstance& graph, QPainter& canvas, QRgb frameColour, double s);
