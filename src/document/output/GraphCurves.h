#pragma once
// Pens and mappings shared by the curve painters: lines cut to a box before they reach the
// raster engine, the edge-clamping moves of series curves, value rows and the point in
// force at a time.

#include "document/output/GraphDrawing.h"

#include <QtGui/QPainter>

#include <cstdint>
#include <vector>

// Limits that are upside down are swapped; equal ones are widened to include zero (or one).
void ResolveScale(double& min, double& max);

// A box in canvas pixels, edges included.
struct TClipBox {
    double Left = 0;
    double Top = 0;
    double Right = -1;
    double Bottom = -1;
    bool IsEmpty() const { return !(Left <= Right && Top <= Bottom); }
    TClipBox Intersected(const TClipBox& other) const;
};

// The part of the canvas that can show anything, in its own coordinates and with a few pixels
// to spare. Never wider than the raster engine copes with.
TClipBox VisibleBox(const QPainter& canvas);

// MoveTo / LineTo with coordinates of any size. Lines are cut to the box first, since the
// raster engine draws wrong lines for coordinates far outside the device; a line onto the
// pen's own position paints nothing, as a plotter's would.
class TClippedPen {
public:
    TClippedPen(QPainter& canvas, const TClipBox& box) : Canvas(canvas), Box(box) {}
    void MoveTo(int64_t x, int64_t y) {
        X = x;
        Y = y;
    }
    void LineTo(int64_t x, int64_t y);
    int64_t X = 0;
    int64_t Y = 0;

private:
    QPainter& Canvas;
    TClipBox Box;
};

// The pen moves of series curves: a value beyond the plot is drawn on its top or bottom
// edge, and the curve does not run along an edge between two such values.
class TEdgePen {
public:
    TEdgePen(QPainter& canvas, const TClipBox& box, int64_t top, int64_t bottomLine)
        : Pen(canvas, box), Top(top), BottomLine(bottomLine) {}
    // The next point starts with a move.
    void Lift() { Down = false; }
    void Plot(int64_t x, int64_t y);

private:
    enum : uint8_t { Inside = 0, Above = 1, Below = 2, NoneYet = 3 };
    TClippedPen Pen;
    int64_t Top;
    int64_t BottomLine;
    uint8_t State = NoneYet;
    bool Down = false;
};

// Whether the area has a time window, a value range and pixels to map them onto.
bool CanPlot(const TPlotArea& area);

// The row of a value: Trunc((v - MinY) * H / (MaxY - MinY)) + Bottom - 1, limited to the
// 32-bit range before conversion. Not for NaN.
int64_t ValueRow(const TPlotArea& area, double value);

// The curves' box: the columns Left to Left + W and the rows Top to Bottom - 1, as far as
// the canvas shows them.
TClipBox CurveBox(const QPainter& canvas, const TPlotArea& area);
// The caller's pen (its width) in the curve's colour, solid.
void SetCurvePen(QPainter& canvas, QRgb colour);

// The point in force at time T (an absolute time): k - 1 for the first k in 1 .. n - 1 with
// startTime + t(k-1) <= T < startTime + t(k); else the last point when T is at or after it
// and its offset is after startOff; else -1.
int64_t PointInForce(const std::vector<TDataPoint>& points, double startTime, double startOff,
                     double time);
