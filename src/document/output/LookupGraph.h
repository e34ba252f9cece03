#pragma once
// The graph of a GRAPH lookup table, as its editor shows it: the table's values over its X
// range in a black frame with dotted grid lines, drawn with the time-series graph's pieces.

#include "document/output/GraphDrawing.h"

// points hold (index, value) as the editor numbers them; X of index i is xStart + i *
// xIncrement. The plot spans xStart to xStart + max(n - 1, 1) increments, so a table of
// one value still has a width to draw in; xTicks are in real X.
void DrawLookupGraph(const std::vector<TDataPoint>& points, double xStart, double xIncrement,
                     const TDrawRect& rect, QPainter& canvas, const TTickList& xTicks,
                     const TTickList& valueTicks, double upper, double lower);

// The X range the lookup graph shows: the last X of the table, at least one increment on.
double LookupGraphEnd(size_t count, double xStart, double xIncrement);
