// Stand-ins until the graph and table painters arrive: an empty plot area with its axes.
#include "diagram/ContentPainting.h"

#include "diagram/DrawingObjects.h"
#include "diagram/PaintHelpers.h"

#include <QtGui/QPainter>

namespace {

void PaintEmptyPlot(QPainter& canvas, const QRect& area, QRgb colour) {
    if (area.width() < 2 || area.height() < 2) return;
    canvas.setPen(DiagramPen(colour, 1));
    canvas.drawLine(area.left(), area.top(), area.left(), area.bottom());
    canvas.drawLine(area.left(), area.bottom(), area.right(), area.bottom());
}

} // namespace

void PaintElementGraph(QPainter& canvas, const QRect& area, TVariableObject& /*variable*/,
                       double& /*minimum*/, double& /*maximum*/) {
    PaintEmptyPlot(canvas, area, qRgb(192, 192, 192));
}

void PaintGraphContent(TGraphInstance& graph, QPainter& canvas, QRgb colour, double scale) {
    // The plot sits inside the frame with a margin for the axes' labels.
    const int32_t margin = TruncToInt(8 * scale);
    QRect inner = graph.HitRect.Inflated(-HandleSize, -HandleSize).ToQRect();
    inner.adjust(margin, margin, -margin, -margin);
    PaintEmptyPlot(canvas, inner, colour);
}

void PaintTableContent(TTableInstance& /*table*/, QPainter& /*canvas*/, QRgb /*colour*/,
                       double /*scale*/) {}
