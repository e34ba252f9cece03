#include "app/widgets/SketchPlot.h"

#include "app/Utilities.h"

#include <QMouseEvent>
#include <QPainter>

#include <algorithm>

namespace {

constexpr int ScaleColumn = 58;
constexpr int LabelRows = 38;

} // namespace

TSketchPlot::TSketchPlot(QWidget* parent) : QWidget(parent) {
    setMouseTracking(true);
    setMinimumSize(240, 180);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

TSketchPlot::TAreas TSketchPlot::Areas() const {
    TAreas areas;
    areas.Plot = {ScaleColumn, 8, std::max(ScaleColumn + 10, width() - 16),
                  std::max(18, height() - LabelRows)};
    areas.ValueLabels = {0, areas.Plot.Top, areas.Plot.Left - 4, areas.Plot.Bottom};
    areas.TimeLabels = {areas.Plot.Left, areas.Plot.Bottom - 2, areas.Plot.Right, height()};
    return areas;
}

void TSketchPlot::SetScaleEdits(QWidget* upper, QWidget* lower) {
    UpperEdit = upper;
    LowerEdit = lower;
    PlaceScaleEdits();
}

void TSketchPlot::PlaceScaleEdits() {
    const TAreas areas = Areas();
    const int w = ScaleColumn - 4; // covering the limit labels drawn beneath
    if (UpperEdit) UpperEdit->setGeometry(2, areas.Plot.Top - 2, w, 22);
    if (LowerEdit) LowerEdit->setGeometry(2, areas.Plot.Bottom - 20, w, 22);
}

QPointF TSketchPlot::FractionAt(QPoint position) const {
    const TDrawRect plot = Areas().Plot;
    const double w = std::max(1, plot.Right - plot.Left);
    const double h = std::max(1, plot.Bottom - plot.Top);
    const double x = std::clamp(position.x() - plot.Left, 0, plot.Right - plot.Left) / w;
    const double y = std::clamp(plot.Bottom - position.y(), 0, plot.Bottom - plot.Top) / h;
    return {x, y};
}

void TSketchPlot::paintEvent(QPaintEvent*) {
    QPainter canvas(this);
    canvas.fillRect(rect(), Qt::white);
    if (Painter) RunGuarded([&] { Painter(canvas, Areas()); }, this);
}

void TSketchPlot::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    PlaceScaleEdits();
}

void TSketchPlot::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || !SketchEnabled) return;
    Drawing = true;
    const QPointF at = FractionAt(event->position().toPoint());
    emit Stroke(at.x(), at.y(), true);
}

void TSketchPlot::mouseMoveEvent(QMouseEvent* event) {
    const QPoint position = event->position().toPoint();
    const TDrawRect plot = Areas().Plot;
    const QPointF at = FractionAt(position);
    if (Drawing && SketchEnabled && (event->buttons() & Qt::LeftButton))
        emit Stroke(at.x(), at.y(), false);
    if (position.x() >= plot.Left && position.x() <= plot.Right && position.y() >= plot.Top &&
        position.y() <= plot.Bottom)
        emit Hover(at.x(), at.y());
    else
        emit LeftPlot();
}

void TSketchPlot::mouseReleaseEvent(QMouseEvent*) {
    Drawing = false;
}

void TSketchPlot::leaveEvent(QEvent*) {
    emit LeftPlot();
}
