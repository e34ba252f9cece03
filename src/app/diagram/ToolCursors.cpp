#include "app/diagram/ToolCursors.h"

#include "document/model/DiagramEdits.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace {

constexpr int Side = 32;
// The pictogram's box, below and right of the arrow.
constexpr QPointF Box(13, 13);

void DrawArrow(QPainter& p) {
    const QPointF arrow[] = {{0.5, 0.5},   {0.5, 17.5}, {4.5, 13.5}, {7.5, 20.5},
                             {10.5, 19.5}, {7.5, 12.5}, {12.5, 12.5}};
    p.setPen(QPen(Qt::white, 1));
    p.setBrush(Qt::black);
    p.drawPolygon(arrow, 7);
}

// Each picture is drawn in an 18 x 18 box: black lines on white, readable on the white
// diagram and on coloured shapes alike.
void DrawPictogram(QPainter& p, int tag) {
    p.translate(Box);
    const QPen line(Qt::black, 1.2);
    p.setPen(line);
    p.setBrush(Qt::white);
    switch (tag) {
    case dtResource: {
        // A stock: the box with its top and right faces.
        const QPointF top[] = {{2, 6}, {6, 2}, {18, 2}, {14, 6}};
        const QPointF right[] = {{14, 6}, {18, 2}, {18, 14}, {14, 18}};
        p.setBrush(QColor(128, 128, 128));
        p.drawPolygon(top, 4);
        p.setBrush(QColor(192, 192, 192));
        p.drawPolygon(right, 4);
        p.setBrush(Qt::white);
        p.drawRect(QRectF(2, 6, 12, 12));
        break;
    }
    case dtFlow: {
        // A pipe through a valve, running right.
        p.setPen(QPen(Qt::white, 4.5));
        p.drawLine(QPointF(0, 10), QPointF(14, 10));
        p.setPen(QPen(Qt::black, 2));
        p.drawLine(QPointF(0, 10), QPointF(14, 10));
        p.setPen(line);
        p.setBrush(Qt::black);
        const QPointF head[] = {{13, 6}, {18, 10}, {13, 14}};
        p.drawPolygon(head, 3);
        p.setBrush(Qt::white);
        p.drawEllipse(QPointF(8, 10), 5, 5);
        break;
    }
    case dtVariable: {
        // A box with a curve in it.
        p.drawRect(QRectF(2, 3, 14, 14));
        QPainterPath curve(QPointF(4, 15));
        curve.cubicTo(QPointF(8, 15), QPointF(10, 5), QPointF(14, 5));
        p.setBrush(Qt::NoBrush);
        p.drawPath(curve);
        break;
    }
    case dtConstant: {
        // A box with a level line: a value that does not change.
        p.drawRect(QRectF(2, 3, 14, 14));
        p.setPen(QPen(Qt::black, 2));
        p.drawLine(QPointF(5, 10), QPointF(13, 10));
        break;
    }
    case dtLink: {
        // A curved arrow from one element to another.
        QPainterPath curve(QPointF(2, 17));
        curve.quadTo(QPointF(3, 4), QPointF(14, 4));
        p.setBrush(Qt::NoBrush);
        p.setPen(QPen(Qt::white, 4));
        p.drawPath(curve);
        p.setPen(QPen(Qt::black, 1.6));
        p.drawPath(curve);
        p.setPen(line);
        p.setBrush(Qt::black);
        const QPointF head[] = {{12, 0}, {18, 4}, {12, 8}};
        p.drawPolygon(head, 3);
        break;
    }
    case dtTable: {
        // A grid of cells.
        p.drawRect(QRectF(1, 3, 16, 13));
        p.drawLine(QPointF(1, 7.5), QPointF(17, 7.5));
        p.drawLine(QPointF(1, 11.5), QPointF(17, 11.5));
        p.drawLine(QPointF(6.5, 3), QPointF(6.5, 16));
        p.drawLine(QPointF(12, 3), QPointF(12, 16));
        break;
    }
    case dtGraph: {
        // Axes with a rising line.
        p.drawRect(QRectF(1, 1, 16, 16));
        p.drawLine(QPointF(4, 3), QPointF(4, 14));
        p.drawLine(QPointF(4, 14), QPointF(15, 14));
        const QPointF path[] = {{5, 12}, {8, 9}, {11, 10}, {15, 4}};
        p.setPen(QPen(Qt::black, 1.6));
        p.drawPolyline(path, 4);
        break;
    }
    case dtNote: {
        // A page with its corner turned down and lines of text.
        const QPointF page[] = {{3, 1}, {13, 1}, {17, 5}, {17, 18}, {3, 18}};
        p.drawPolygon(page, 5);
        p.drawPolyline(QPolygonF({QPointF(13, 1), QPointF(13, 5), QPointF(17, 5)}));
        for (double y : {8.5, 11.5, 14.5})
            p.drawLine(QPointF(6, y), QPointF(14, y));
        break;
    }
    default:
        break;
    }
}

QCursor MakeCursor(int tag) {
    QPixmap picture(Side, Side);
    picture.fill(Qt::transparent);
    {
        QPainter p(&picture);
        p.setRenderHint(QPainter::Antialiasing);
        DrawPictogram(p, tag);
        p.resetTransform();
        DrawArrow(p);
    }
    // The hot spot is the arrow's tip.
    return QCursor(picture, 0, 0);
}

} // namespace

QCursor ToolCursor(int tag) {
    switch (tag) {
    case dtResource:
    case dtFlow:
    case dtVariable:
    case dtConstant:
    case dtLink:
    case dtTable:
    case dtGraph:
    case dtNote:
        break;
    default:
        return Qt::ArrowCursor;
    }
    // Made afresh: a cursor kept past the application's end would outlive its pixmap.
    return MakeCursor(tag);
}
