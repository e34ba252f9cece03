#pragma once
// A graph the user can draw on: its owner paints it with the graph painters into the plot
// and label rectangles given, and hears where the mouse is as fractions of the plot
// (0 at the left and the bottom, 1 at the right and the top).

#include "document/diagram/DrawingObjects.h"

#include <QWidget>

#include <functional>

class TSketchPlot : public QWidget {
    Q_OBJECT
public:
    explicit TSketchPlot(QWidget* parent = nullptr);

    struct TAreas {
        TDrawRect Plot;
        TDrawRect ValueLabels; // the scale column left of the plot
        TDrawRect TimeLabels;  // below the plot
    };
    TAreas Areas() const;
    // Paints labels and curves; the background is already white.
    std::function<void(QPainter&, const TAreas&)> Painter;
    // Whether the mouse draws.
    bool SketchEnabled = true;
    // The scale edits that sit at the top and the bottom of the scale column.
    void SetScaleEdits(QWidget* upper, QWidget* lower);

    // The pointer at (x, y) in widget pixels, clamped to the plot, as fractions.
    QPointF FractionAt(QPoint position) const;

signals:
    // The button went down (first) or moved with it held, at these fractions.
    void Stroke(double x, double y, bool first);
    // The pointer is over the plot at these fractions.
    void Hover(double x, double y);
    // The pointer left the plot.
    void LeftPlot();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    void PlaceScaleEdits();
    QWidget* UpperEdit = nullptr;
    QWidget* LowerEdit = nullptr;
    bool Drawing = false;
};
