// Placeholder bodies, replaced by the tick and label painters.
#include "output/GraphDrawing.h"

TTickList CalcValueTicks(double, double) { return {}; }
TTickList CalcTimeTicks(const std::string&, const TTickList*, double, double) { return {}; }
void DrawValueLabels(const TDrawRect&, QPainter&, const TTickList&, int32_t, double, double) {}
void DrawValueLabelsBetween(const TDrawRect&, QPainter&, const TTickList&, int32_t, double,
                            double) {}
void DrawTimeLabels(const TDrawRect&, QPainter&, const std::string&, int32_t, const TTickList&,
                    double, double) {}
std::string LegendLabel(const TVariableDataLink&) { return {}; }
int32_t LegendHeight(const TVariableDataLinkList&, int32_t, QPainter&, int32_t, double) {
    return 0;
}
void DrawLegend(const TVariableDataLinkList&, const TDrawRect&, QPainter&, int32_t, double) {}
TGraphLayout LayoutGraph(const TGraphInstance&, const TDrawRect&, QPainter&, double) {
    return {};
}
void PaintGraphControl(TGraphInstance&, QPainter&, QRgb, double) {}
