// Table controls on the diagram: their latest rows, painted cell by cell.
#include "document/output/TableDrawing.h"

#include "document/output/GraphCanvas.h"

#include <QtCore/QRectF>
#include <QtGui/QPaintDevice>
#include <QtGui/QTransform>

#include <algorithm>
#include <cmath>
#include <optional>

TSimulationObject* TableSimulation(const TTableInstance& table) {
    if (TDrawImage* image = table.Image(); image && image->Model) return image->Model;
    if (table.Series.Count() > 0)
        if (TVariableObject* variable = table.Series[0]->Var()) return variable->Simulation();
    return nullptr;
}

int64_t TableIntervalCount(const TSimulationObject& simulation, int32_t interval) {
    const double step = simulation.TimeStep;
    if (!std::isfinite(step) || step <= 0 || interval < 1) return 0;
    const double count =
        (simulation.CurrentTime - simulation.StartTime) / (static_cast<double>(interval) * step);
    if (!std::isfinite(count)) return 0;
    // A current time before the start (a damaged file) still shows the start row.
    if (count <= 0) return 0;
    if (count >= static_cast<double>(TableMaxIntervalCount)) return TableMaxIntervalCount;
    return static_cast<int64_t>(count); // toward zero
}

double TableRowTime(const TSimulationObject& simulation, int32_t interval, int64_t row) {
    return simulation.StartTime +
           static_cast<double>(row - 1) * simulation.TimeStep * static_cast<double>(interval);
}

int64_t TableFirstRow(int64_t n, int32_t height, int32_t rowHeight) {
    const int64_t cy = std::max(rowHeight, 1);
    const int64_t h = height;
    int64_t fitting = h / cy;
    if (h % cy != 0 && h < 0) --fitting; // floor, not toward zero
    return std::max<int64_t>(1, n - fitting + 3);
}

std::string TableHeaderLabel(const TVariableDataLink& entry) {
    std::string label = entry.Var() ? entry.Var()->Name : std::string();
    if (entry.SeriesKind == skSketched)
        label += " (Sk)";
    else if (entry.SeriesKind == skDerived)
        label += " (D)";
    return label;
}

bool DrawTableCell(QPainter& canvas, const TDrawRect& control, int32_t rowHeight, QRgb frameColour,
                   const QString& text, int32_t row, int32_t column, int32_t width) {
    // 64-bit until cut back to the control, so that far-off cells cannot wrap around.
    const int64_t left = int64_t{control.Left} + column;
    const int64_t top = int64_t{control.Top} + int64_t{row} * rowHeight;
    const int64_t right = std::min<int64_t>(left + width + 1, control.Right);
    const int64_t bottom = std::min<int64_t>(
        int64_t{control.Top} + (int64_t{row} + 1) * rowHeight + 1, control.Bottom);
    if (left < control.Left || left >= control.Right || top < control.Top || top >= control.Bottom)
        return false;
    if (right - left <= 2 || bottom - top <= 2) return false;
    const TDrawRect cell{static_cast<int32_t>(left), static_cast<int32_t>(top),
                         static_cast<int32_t>(right), static_cast<int32_t>(bottom)};
    canvas.setPen(DiagramPen(frameColour, 1));
    canvas.setBrush(Qt::NoBrush);
    canvas.drawRect(GdiRect(cell.Left, cell.Top, cell.Right, cell.Bottom));
    const TDrawRect inner = cell.Inflated(-3, -3);
    if (inner.Width() <= 2 || inner.Height() <= 2) return false;
    canvas.fillRect(inner.ToQRect(), Qt::white);
    canvas.save();
    canvas.setClipRect(inner.ToQRect(), Qt::IntersectClip);
    TextAt(canvas, inner.Left, inner.Top, text);
    canvas.restore();
    return true;
}

namespace {

// The part of the canvas (logical pixels) that can show anything, when the painter knows it.
std::optional<QRectF> PaintableArea(const QPainter& canvas) {
    const QPaintDevice* device = canvas.device();
    if (!device) return std::nullopt;
    const int type = device->devType();
    if (type != QInternal::Image && type != QInternal::Pixmap && type != QInternal::Widget)
        return std::nullopt;
    bool invertible = false;
    const QTransform toLogical = canvas.transform().inverted(&invertible);
    if (!invertible) return std::nullopt;
    QRectF area = toLogical.mapRect(QRectF(0, 0, device->width(), device->height()));
    if (canvas.hasClipping()) area = area.intersected(canvas.clipBoundingRect());
    return area;
}

// The row position whose band holds y, kept within a range that cannot overflow.
int64_t RowPositionAt(double y, int32_t top, int32_t rowHeight) {
    const double position = std::floor((y - top) / rowHeight);
    return static_cast<int64_t>(std::clamp(position, -4.0e9, 4.0e9));
}

// Column widths and offsets are kept where their sums cannot wrap.
int32_t ClampColumn(int64_t value) {
    return static_cast<int32_t>(std::clamp<int64_t>(value, -(int64_t{1} << 30), int64_t{1} << 30));
}

QString TimeText(double time) {
    return QString::fromStdString(FormatFloat("0.000", time));
}

QString ValueText(const TVariableDataLink& entry, double offset) {
    const TDataSeries* series = entry.DataSeries();
    return QString::fromStdString(FormatFloat("0.00", series ? series->ValueAt(offset) : 0.0));
}

} // namespace

void PaintTableControl(TTableInstance& table, QPainter& canvas, QRgb frameColour, double s) {
    const TDrawRect control = table.FrameRect;
    if (control.IsEmpty() || table.Series.Count() == 0) return;
    SetCanvasFont(canvas, TruncToInt(8 * s));
    canvas.setBrush(Qt::white);
    canvas.setPen(QColor(frameColour));
    const int32_t cy = TextHeight(canvas) + 6;

    // Column offsets and widths; columns that would start beyond the right edge are never
    // drawn, so they are not laid out either.
    struct TColumn {
        int32_t Offset;
        int32_t Width;
        int32_t Entry; // -1: the time column
    };
    std::vector<TColumn> columns;
    int64_t offset = 0;
    for (int32_t i = -1; i < table.Series.Count() && offset < control.Width(); ++i) {
        const int64_t width =
            i < 0 ? int64_t{TruncToInt(66 * s)} : int64_t{TruncToInt(table.ColumnWidth(i) * s)} + 6;
        columns.push_back({ClampColumn(offset), ClampColumn(width), i});
        offset = ClampColumn(offset + ClampColumn(width));
    }

    for (const TColumn& column : columns) {
        const QString label =
            column.Entry < 0
                ? QStringLiteral("Time")
                : QString::fromStdString(TableHeaderLabel(*table.Series[column.Entry]));
        DrawTableCell(canvas, control, cy, frameColour, label, 0, column.Offset, column.Width);
    }

    const TSimulationObject* simulation = TableSimulation(table);
    if (!simulation) return;
    const int32_t interval = table.Interval;
    const int64_t n = TableIntervalCount(*simulation, interval);
    const int64_t first = TableFirstRow(n, control.Height(), cy);
    // Positions 1 .. last; only those on the paintable area are formatted.
    int64_t lowest = 1;
    int64_t highest = n + 1 - first + 1;
    if (const auto area = PaintableArea(canvas)) {
        lowest = std::max(lowest, RowPositionAt(area->top(), control.Top, cy) - 1);
        highest = std::min(highest, RowPositionAt(area->bottom(), control.Top, cy) + 1);
    }
    for (int64_t position = lowest; position <= highest; ++position) {
        const int64_t row = position - 1 + first;
        const double time = TableRowTime(*simulation, interval, row);
        const double timeOffset = time - simulation->StartTime;
        const auto p = static_cast<int32_t>(position);
        for (const TColumn& column : columns) {
            const QString text = column.Entry < 0
                                     ? TimeText(time)
                                     : ValueText(*table.Series[column.Entry], timeOffset);
            DrawTableCell(canvas, control, cy, frameColour, text, p, column.Offset, column.Width);
        }
    }
}
