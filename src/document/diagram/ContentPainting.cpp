// The diagram's content painters forward to the graph and table painters.
#include "document/diagram/ContentPainting.h"

#include "document/output/GraphDrawing.h"
#include "document/output/TableDrawing.h"

#include <QtGui/QPainter>

void PaintElementGraph(QPainter& canvas, const QRect& area, TVariableObject& variable,
                       const TDrawImage* image, double& minimum, double& maximum) {
    const TDrawRect rect{area.left(), area.top(), area.left() + area.width(),
                         area.top() + area.height()};
    if (rect.IsEmpty()) return;
    const TGraphScale used = DrawVariableGraph(variable, rect, canvas, nullptr, nullptr, maximum,
                                               minimum, true, false, GraphOptionsOf(image));
    minimum = used.Min;
    maximum = used.Max;
}

void PaintGraphContent(TGraphInstance& graph, QPainter& canvas, QRgb colour, double scale) {
    PaintGraphControl(graph, canvas, colour, scale);
}

void PaintTableContent(TTableInstance& table, QPainter& canvas, QRgb colour, double scale) {
    PaintTableControl(table, canvas, colour, scale);
}
