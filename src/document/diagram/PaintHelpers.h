#pragma once
// Small helpers shared by the diagram's painting and dragging code.

#include "document/diagram/DrawingObjects.h"

#include <QtCore/QRect>
#include <QtGui/QColor>
#include <QtGui/QFont>
#include <QtGui/QPen>

#include <cmath>
#include <cstdint>

// A solid pen with round ends, as the diagram has always drawn its lines.
inline QPen DiagramPen(QRgb colour, int32_t width) {
    QPen pen{QColor(colour)};
    pen.setWidth(width);
    pen.setCapStyle(Qt::RoundCap);
    pen.setJoinStyle(Qt::RoundJoin);
    return pen;
}

// The outline of a shape that fills left..right-1 and top..bottom-1 with a one-pixel pen.
inline QRect GdiRect(int32_t left, int32_t top, int32_t right, int32_t bottom) {
    return QRect(left, top, right - left - 1, bottom - top - 1);
}

// "Arial" at a size in points, measured at 96 pixels per inch whatever the device, so
// that label sizes in drawing units do not depend on the target.
inline QFont DiagramFont(int32_t points) {
    QFont font(QStringLiteral("Arial"));
    font.setPixelSize(points * 96 / 72 + ((points * 96) % 72 >= 36 ? 1 : 0));
    return font;
}

// Shortens v to the given length when it is longer (the length in single precision).
inline TDrawPoint LimitLength(TDrawPoint v, int32_t limit) {
    float length = std::sqrt(static_cast<float>(v.X) * static_cast<float>(v.X) +
                             static_cast<float>(v.Y) * static_cast<float>(v.Y));
    if (length > static_cast<float>(limit))
        return {TruncToInt(static_cast<double>(v.X) * limit / length),
                TruncToInt(static_cast<double>(v.Y) * limit / length)};
    return v;
}
