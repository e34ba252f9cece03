#pragma once
// What the graph and table painters draw inside the diagram's shapes and output controls.

#include <QtGui/QColor>

#include <cstdint>

class QPainter;
class QRect;
class TGraphInstance;
class TTableInstance;
class TDrawImage;
class TVariableObject;

// The element's miniature graph inside area (view pixels). minimum and maximum come in as
// the element's own graph scale and go out as the vertical scale actually used. image: the
// drawing, whose document holds the series colours.
void PaintElementGraph(QPainter& canvas, const QRect& area, TVariableObject& variable,
                       const TDrawImage* image, double& minimum, double& maximum);

// The inside of a graph or table control, whose frame (HitRect) is already drawn.
void PaintGraphContent(TGraphInstance& graph, QPainter& canvas, QRgb colour, double scale);
void PaintTableContent(TTableInstance& table, QPainter& canvas, QRgb colour, double scale);
