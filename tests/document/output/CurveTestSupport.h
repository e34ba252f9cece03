#pragma once
// Curves and plots for the graph tests: where a value lands on a plot, worked out on its own,
// and the pixel kit to ask the pictures.

#include "support/PixelKit.h"

#include "document/output/GraphDrawing.h"

#include <cmath>
#include <cstdint>
#include <functional>
#include <vector>

inline constexpr QRgb CurveColour = 0xFF0000FF; // blue, not used by frames or grids

// Where the graphs put a value and a time offset, worked out here on its own.
inline int32_t RowOf(const TPlotArea& area, double value) {
    return static_cast<int32_t>(
               std::trunc((value - area.MinY) * area.H / (area.MaxY - area.MinY))) +
           area.Rect.Bottom - 1;
}
inline int32_t ColumnOf(const TPlotArea& area, double offset) {
    return static_cast<int32_t>(
               std::trunc((offset - area.StartOff) * area.W / (area.EndOff - area.StartOff))) +
           area.Rect.Left;
}

inline std::vector<TDataPoint> Line(double from, double to, double step,
                                    const std::function<double(double)>& value) {
    std::vector<TDataPoint> points;
    for (int32_t i = 0; from + i * step <= to + 1e-9; ++i)
        points.push_back({from + i * step, value(from + i * step)});
    return points;
}
