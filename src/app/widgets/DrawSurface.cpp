#include "app/widgets/DrawSurface.h"

#include <QPaintEvent>

TDrawSurfaceWidget::TDrawSurfaceWidget(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAccessibleName("Diagram");
    setMouseTracking(true);
}

TDrawSurfaceWidget::~TDrawSurfaceWidget() {
    Painter.reset();
}

void TDrawSurfaceWidget::StartBackBuffer() {
    Painter.reset();
    const QSize size = this->size().expandedTo(QSize(1, 1));
    if (Back.size() != size) Back = QImage(size, QImage::Format_RGB32);
    Back.fill(Qt::white);
    Painter = std::make_unique<QPainter>(&Back);
    Painter->setRenderHint(QPainter::Antialiasing, false);
}

QPainter& TDrawSurfaceWidget::Canvas() {
    if (!Painter || Back.size() != size().expandedTo(QSize(1, 1))) StartBackBuffer();
    return *Painter;
}

void TDrawSurfaceWidget::Flip() {
    if (!Painter) StartBackBuffer();
    Painter.reset(); // finishes the painting
    std::swap(Front, Back);
    update();
    StartBackBuffer();
}

void TDrawSurfaceWidget::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    if (Front.isNull())
        painter.fillRect(event->rect(), Qt::white);
    else {
        painter.fillRect(event->rect(), Qt::white);
        painter.drawImage(QPoint(0, 0), Front);
    }
}

void TDrawSurfaceWidget::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    emit Resized();
}
