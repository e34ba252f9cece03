#pragma once
// The diagram's drawing surface: the drawing paints into a back buffer, Flip shows it, and
// the widget's own paint only copies the shown buffer, so an expose never repaints the model.

#include "document/diagram/DrawingObjects.h"

#include <QImage>
#include <QPainter>
#include <QWidget>

#include <memory>

class TDrawSurfaceWidget : public QWidget, public TDrawSurface {
    Q_OBJECT
public:
    explicit TDrawSurfaceWidget(QWidget* parent = nullptr);
    ~TDrawSurfaceWidget() override;

    QPainter& Canvas() override;
    int32_t Width() const override { return width(); }
    int32_t Height() const override { return height(); }
    void Flip() override;

    // What the surface shows now.
    const QImage& Shown() const { return Front; }

signals:
    void Resized();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void StartBackBuffer();
    QImage Front;
    QImage Back;
    std::unique_ptr<QPainter> Painter;
};
