#pragma once
// Small painting helpers shared by the diagram's painting code.

#include <QtCore/QRect>
#include <QtGui/QColor>
#include <QtGui/QFont>
#include <QtGui/QPen>

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
