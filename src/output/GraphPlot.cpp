// Placeholder bodies, replaced by the curve painters.
#include "output/GraphDrawing.h"

void PlotSeries(const std::vector<TDataPoint>&, QPainter&, const TPlotArea&, bool, bool, QRgb,
                double) {}
void PlotSketch(const std::vector<TDataPoint>&, QPainter&, const TPlotArea&, bool, bool, bool,
                QRgb, double, bool) {}
TGraphScale DrawVariableGraph(TVariableObject&, const TDrawRect&, QPainter&, const TTickList*,
                              const TTickList*, double max, double min, bool, bool,
                              const TGraphOptions&) {
    return {min, max};
}
TGraphScale DrawSeriesGraph(const TVariableDataLinkList&, const TDrawRect&, QPainter&,
                            const TTickList*, const TTickList*, double max, double min) {
    return {min, max};
}
