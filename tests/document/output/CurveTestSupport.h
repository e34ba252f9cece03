#pragma once
// Pictures of curves and plots for the graph tests: a white image, painted without
// antialiasing like the diagram, and questions about its pixels.

#include "document/output/GraphDrawing.h"

#include <QtGui/QImage>
#include <QtGui/QPainter>

#include <cmath>
#include <cstdint>
#include <functional>
#include <vector>

inline constexpr QRgb White = 0xFFFFFFFF;
inline constexpr QRgb CurveColour = 0xFF0000FF; // blue, not used by frames or grids

// A picture painted by paint onto white, with a two-pixel pen as the graphs use for curves.
inline QImage Paint(int32_t width, int32_t height, const std::function<void(QPainter&)>& paint) {
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter canvas(&image);
    QPen pen(QColor(Qt::black));
    pen.setWidth(2);
    canvas.setPen(pen);
    paint(canvas);
    canvas.end();
    return image;
}

inline bool Is(const QImage& image, int32_t x, int32_t y, QRgb colour) {
    return image.rect().contains(x, y) && (image.pixel(x, y) | 0xFF000000) == (colour | 0xFF000000);
}

// Whether a pixel of that colour lies within radius of (x, y).
inline bool Near(const QImage& image, int32_t x, int32_t y, QRgb colour, int32_t radius = 2) {
    for (int32_t dy = -radius; dy <= radius; ++dy)
        for (int32_t dx = -radius; dx <= radius; ++dx)
            if (Is(image, x + dx, y + dy, colour)) return true;
    return false;
}

// Pixels of that colour in the columns and rows given, both ends included.
inline int32_t Count(const QImage& image, int32_t left, int32_t top, int32_t right, int32_t bottom,
                     QRgb colour) {
    int32_t count = 0;
    for (int32_t y = top; y <= bottom; ++y)
        for (int32_t x = left; x <= right; ++x)
            if (Is(image, x, y, colour)) ++count;
    return count;
}

inline int32_t Ink(const QImage& image, int32_t left, int32_t top, int32_t right, int32_t bottom) {
    int32_t count = 0;
    for (int32_t y = top; y <= bottom; ++y)
        for (int32_t x = left; x <= right; ++x)
            if (image.rect().contains(x, y) && (image.pixel(x, y) | 0xFF000000) != White) ++count;
    return count;
}

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
