// Placeholder bodies, replaced by the table painter.
#include "output/TableDrawing.h"

TSimulationObject* TableSimulation(const TTableInstance&) { return nullptr; }
int64_t TableIntervalCount(const TSimulationObject&, int32_t) { return 0; }
std::string TableHeaderLabel(const TVariableDataLink&) { return {}; }
void PaintTableControl(TTableInstance&, QPainter&, QRgb, double) {}
bool DrawTableCell(QPainter&, const TDrawRect&, int32_t, QRgb, const QString&, int32_t, int32_t,
                   int32_t) {
    return false;
}
TTableGrid FillTableGrid(const TTableInstance&) { return {}; }
void StoreColumnWidths(TTableInstance&, const std::vector<int32_t>&) {}
std::string GridText(const std::vector<std::vector<std::string>>&, const std::string&) {
    return {};
}
