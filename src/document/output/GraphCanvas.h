#pragma once
// Canvas helpers shared by the graph and table painters: a pen position that moves and
// draws like a plotter, label fonts and text placed by its top-left corner.

#include "core/support/NumberFormat.h"
#include "document/diagram/DrawingObjects.h"
#include "document/diagram/PaintHelpers.h"

#include <QtGui/QFontMetrics>
#include <QtGui/QPainter>

#include <cstdint>
#include <string>

// MoveTo / LineTo on a QPainter whose pen the caller sets.
class TPlotPen {
public:
    explicit TPlotPen(QPainter& canvas) : Canvas(canvas) {}
    void MoveTo(int32_t x, int32_t y) {
        X = x;
        Y = y;
    }
    void LineTo(int32_t x, int32_t y) {
        Canvas.drawLine(X, Y, x, y);
        X = x;
        Y = y;
    }
    QPainter& Canvas;
    int32_t X = 0;
    int32_t Y = 0;
};

// Arial at fontSize points (pixel size fixed at 96 per inch, as the diagram's fonts).
inline void SetCanvasFont(QPainter& canvas, int32_t fontSize) {
    canvas.setFont(DiagramFont(fontSize < 1 ? 1 : fontSize));
}

// The label set-up: Arial, a white brush that does not fill, black text.
inline void SetLabelFont(QPainter& canvas, int32_t fontSize) {
    SetCanvasFont(canvas, fontSize);
    canvas.setBrush(Qt::NoBrush);
    canvas.setPen(QColor(Qt::black));
}

// The character height of the canvas font in pixels.
inline int32_t FontHeight(const QPainter& canvas) {
    const int32_t pixels = canvas.font().pixelSize();
    return pixels > 0 ? pixels : QFontMetrics(canvas.font()).height();
}

inline int32_t TextWidth(const QPainter& canvas, const QString& text) {
    return QFontMetrics(canvas.font(), canvas.device()).horizontalAdvance(text);
}

// Line height of the canvas font, as "TEST" measures.
inline int32_t TextHeight(const QPainter& canvas) {
    return QFontMetrics(canvas.font(), canvas.device()).height();
}

// Text in the current pen colour with its top-left corner at (x, y).
inline void TextAt(QPainter& canvas, int32_t x, int32_t y, const QString& text) {
    canvas.drawText(QPoint(x, y + QFontMetrics(canvas.font(), canvas.device()).ascent()), text);
}

// The number a tick's text stands for (0 for text that is not one).
inline double TickValue(const std::string& tick) {
    double value = 0;
    return TryStrToFloat(tick, value) ? value : 0;
}
