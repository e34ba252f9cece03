// Painting the drawing, the hit test, the arrow head, the rubber-band feedback and
// rendering to other targets.
#include "document/diagram/DrawingObjects.h"

#include "document/diagram/PaintHelpers.h"

#include <QtGui/QPainter>
#include <QtGui/QPolygon>

#include <algorithm>
#include <climits>
#include <cmath>

namespace {

// The first page-break position at or after from: start + k * step.
int64_t FirstBreakFrom(int64_t start, int64_t step, int64_t from) {
    if (start >= from) return start;
    return start + (from - start + step - 1) / step * step;
}

} // namespace

void TDrawImage::PaintAll(QPainter& canvas, int32_t width, int32_t height) {
    ViewWidth = width;
    ViewHeight = height;
    Scale = Zoom / 100;
    const double s = Scale;
    VisibleArea = {TruncToInt(ScrollX / s), TruncToInt(ScrollY / s),
                   TruncToInt((static_cast<double>(ScrollX) + width) / s),
                   TruncToInt((static_cast<double>(ScrollY) + height) / s)};
    canvas.setFont(DiagramFont(8));

    if (ShowPageBreaks && PageWidth > 0 && PageHeight > 0) {
        canvas.setBrush(Qt::white);
        QPen pen = DiagramPen(qRgb(192, 192, 192), 1);
        pen.setStyle(Qt::DashLine);
        canvas.setPen(pen);
        // Breaks left of the view are skipped arithmetically: a far-away Extent must not
        // make this loop long.
        for (int64_t x = FirstBreakFrom(Extent.Left, PageWidth, VisibleArea.Left);
             x <= VisibleArea.Right; x += PageWidth) {
            const int32_t vx = TruncToInt((static_cast<double>(x) - VisibleArea.Left) * s);
            canvas.drawLine(vx, 0, vx, height);
        }
        for (int64_t y = FirstBreakFrom(Extent.Top, PageHeight, VisibleArea.Top);
             y <= VisibleArea.Bottom; y += PageHeight) {
            const int32_t vy = TruncToInt((static_cast<double>(y) - VisibleArea.Top) * s);
            canvas.drawLine(0, vy, width, vy);
        }
        canvas.setPen(DiagramPen(NormalColour, 1));
    }

    Extent = {0, 0, 100, 100};
    auto paint = [&](TDrawObject* object) {
        object->Paint(VisibleArea, canvas, s);
        Extent = Extent.United(object->Bounds);
    };
    for (TOutputControlInstance* control : OutputControls)
        paint(control);
    for (TVariableInstance* element : Elements)
        paint(element);
    for (TLinkInstance* link : Links)
        paint(link);
}

void TDrawImage::PaintAll() {
    if (!Surface) return;
    PaintAll(Surface->Canvas(), Surface->Width(), Surface->Height());
}

void TDrawImage::Refresh() {
    if (Surface) {
        PaintAll();
        Surface->Flip();
    }
    ClearHitBitmap();
}

TDrawRect TDrawImage::MeasureContent() {
    // Bounds are measured in drawing units whatever the target: a scratch image will do.
    QImage scratch(1, 1, QImage::Format_ARGB32);
    QPainter canvas(&scratch);
    const double s = Scale > 0 ? Scale : 1.0;
    for (TOutputControlInstance* control : OutputControls)
        control->Paint(VisibleArea, canvas, s);
    for (TVariableInstance* element : Elements)
        element->Paint(VisibleArea, canvas, s);
    for (TLinkInstance* link : Links)
        link->Paint(VisibleArea, canvas, s);
    return GetContentRect();
}

// ---------------------------------------------------------------------------------------------
// Hit test

TVariableInstance* TDrawImage::ElementAt(int32_t x, int32_t y) const {
    const TDrawPoint point{x, y};
    for (bool selected : {true, false})
        for (TVariableInstance* element : Elements)
            if (element->Selected == selected && element->HitRect.Contains(point)) return element;
    return nullptr;
}

TDrawObject* TDrawImage::ObjectAt(int32_t x, int32_t y, bool mark) {
    const TDrawPoint point{x, y};
    TDrawObject* result = nullptr;
    for (TVariableInstance* element : Elements) {
        if (element->Selected && element->HitRect.Contains(point)) {
            result = element;
            break;
        }
    }

    if (!result) {
        ClearHitBitmap();
        HitTestMode = true;
        TDrawPoint p = ToDrawing(x, y, VisibleArea, Scale);
        // A point at the end of the drawing range (a damaged file's scroll position) keeps
        // its little square inside the range.
        p.X = std::clamp(p.X, INT32_MIN + 10, INT32_MAX - 10);
        p.Y = std::clamp(p.Y, INT32_MIN + 10, INT32_MAX - 10);
        const TDrawRect around{p.X - 10, p.Y - 10, p.X + 10, p.Y + 10};
        for (bool selected : {true, false}) {
            for (TLinkInstance* link : Links) {
                if (link->Selected != selected) continue;
                {
                    QPainter canvas(&HitBitmap);
                    link->Paint(around, canvas, 1.0);
                }
                if (HitBitmap.pixelIndex(10, 10) == 0) {
                    result = link;
                    break;
                }
            }
            if (result) break;
        }
        HitTestMode = false;
    }

    if (!result) {
        for (TVariableInstance* element : Elements) {
            if (!element->Selected && element->HitRect.Contains(point)) {
                result = element;
                break;
            }
        }
    }
    if (!result) {
        // The control painted last lies on top.
        for (int32_t i = OutputControls.Count() - 1; i >= 0; --i) {
            if (OutputControls[i]->HitRect.Contains(point)) {
                result = OutputControls[i];
                break;
            }
        }
    }

    if (mark) {
        for (TVariableInstance* element : Elements)
            element->Highlighted = element == result;
        for (TOutputControlInstance* control : OutputControls)
            control->Highlighted = control == result;
        for (TLinkInstance* link : Links)
            link->Highlighted = link == result;
    }
    return result;
}

// ---------------------------------------------------------------------------------------------
// Arrow head and rubber band

void TDrawImage::DrawArrowHead(int32_t fx, int32_t fy, QPainter& canvas, double scale, int32_t tx,
                               int32_t ty) {
    const double e = std::max(1, TruncToInt(ArrowLength * scale));
    const double dx = static_cast<double>(tx) - fx;
    const double dy = static_cast<double>(ty) - fy;
    double theta = std::atan2(dy, dx);
    if (dx == 0) theta = ty < fy ? -M_PI / 2 : M_PI / 2;
    const double alpha = (ArrowAngle / 2) * M_PI / 180;
    double length = std::sqrt(dx * dx + dy * dy);
    if (length < 0.01) length = 0.01;
    const QPoint tip(TruncToInt(tx + 4 * dx / length), TruncToInt(ty + 4 * dy / length));
    const QPoint barb1(TruncToInt(tip.x() - std::cos(theta - alpha) * e + 0.5),
                       TruncToInt(tip.y() - std::sin(theta - alpha) * e + 0.5));
    const QPoint barb2(TruncToInt(tip.x() - std::cos(theta + alpha) * e + 0.5),
                       TruncToInt(tip.y() - std::sin(theta + alpha) * e + 0.5));
    canvas.drawPolygon(QPolygon({tip, barb1, barb2}));
}

void TDrawImage::DrawRubberLine(int32_t x1, int32_t y1, int32_t x2, int32_t y2) {
    if (!Surface) return;
    PaintAll();
    QPainter& canvas = Surface->Canvas();
    canvas.setBrush(QColor(SelectedColour));
    canvas.setPen(DiagramPen(SelectedColour, 1));
    canvas.drawLine(x1, y1, x2, y2);
    DrawArrowHead(x1, y1, canvas, Scale, x2, y2);
    Surface->Flip();
}

void TDrawImage::DrawRubberRect(int32_t x1, int32_t y1, QRgb colour, Qt::PenStyle style, int32_t x2,
                                int32_t y2) {
    if (!Surface) return;
    PaintAll();
    QPainter& canvas = Surface->Canvas();
    QPen pen = DiagramPen(colour, 1);
    pen.setStyle(style);
    canvas.setPen(pen);
    canvas.setBrush(Qt::white);
    canvas.drawPolyline(QPolygon({{x1, y1}, {x2, y1}, {x2, y2}, {x1, y2}, {x1, y1}}));
    canvas.setPen(DiagramPen(NormalColour, 1));
    Surface->Flip();
}

// ---------------------------------------------------------------------------------------------
// Rendering to images, printing and the command line

void TDrawImage::RenderTo(QPainter& canvas, int32_t width, int32_t height, bool selectedOnly,
                          const TDrawRect& rect) {
    if (rect.IsEmpty() || width <= 0 || height <= 0) return;
    const float savedZoom = Zoom, savedScale = Scale;
    const TDrawRect savedExtent = Extent, savedVisible = VisibleArea;
    const bool savedGroup = GroupSelection;

    GroupSelection = false;
    VisibleArea = rect;
    // In doubles: a far-flung rectangle is wider than 32 bits can count.
    Scale = static_cast<float>(
        std::min(static_cast<double>(width) / (static_cast<double>(rect.Right) - rect.Left),
                 static_cast<double>(height) / (static_cast<double>(rect.Bottom) - rect.Top)));
    Zoom = Scale * 100;
    canvas.setFont(DiagramFont(8));
    auto paint = [&](TDrawObject* object) {
        if (selectedOnly && !object->Selected) return;
        const bool selected = object->Selected, highlighted = object->Highlighted;
        object->Selected = false;
        object->Highlighted = false;
        object->Paint(VisibleArea, canvas, Scale);
        object->Selected = selected;
        object->Highlighted = highlighted;
    };
    for (TOutputControlInstance* control : OutputControls)
        paint(control);
    for (TVariableInstance* element : Elements)
        paint(element);
    for (TLinkInstance* link : Links)
        paint(link);

    Zoom = savedZoom;
    Scale = savedScale;
    Extent = savedExtent;
    VisibleArea = savedVisible;
    GroupSelection = savedGroup;
    // The hit areas now describe the rendering: paint the view again to restore them.
    Refresh();
}
