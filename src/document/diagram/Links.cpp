// Links and flow pipes: anchors, the Bezier curve with its arrow head and handles,
// dragging, and the pipe operations.
#include "document/diagram/DrawingObjects.h"

#include "document/diagram/PaintHelpers.h"

#include <QtGui/QPainter>
#include <QtGui/QPainterPath>

#include <algorithm>
#include <cmath>

void TLinkInstance::Save(TFileObject& file) {
    TIOListObject::Save(file);
    file.WriteInteger(Kind);
    FromElement.Save(file);
    ToElement.Save(file);
    for (TDrawPoint p : {StartOffset, EndOffset, StartControl, EndControl}) {
        file.WriteInteger(p.X);
        file.WriteInteger(p.Y);
    }
}

void TLinkInstance::Load(TFileObject& file) {
    ClearDrawState();
    TDrawImage* image = Image();
    if (!image) throw EFileException("A link can only be read into a diagram");
    int32_t kind = file.ReadInteger();
    // An unknown kind is kept so that Validate can report it; it paints as a link.
    Kind = static_cast<uint8_t>(kind >= 0 && kind <= 255 ? kind : 255);
    FromElement.Load(image->Elements, file);
    ToElement.Load(image->Elements, file);
    for (TDrawPoint* p : {&StartOffset, &EndOffset, &StartControl, &EndControl}) {
        p->X = file.ReadInteger();
        p->Y = file.ReadInteger();
    }
    ControlBox = EmptyRect;
}

// ---------------------------------------------------------------------------------------------
// Geometry

TDrawPoint TLinkInstance::StartPoint() const {
    if (TVariableInstance* from = From()) return from->Position + StartOffset;
    if (TVariableInstance* to = To()) return to->Position + StartOffset;
    return StartOffset;
}

TDrawPoint TLinkInstance::EndPoint() const {
    if (TVariableInstance* to = To()) return to->Position + EndOffset;
    if (TVariableInstance* from = From()) return from->Position + EndOffset;
    return EndOffset;
}

int32_t TLinkInstance::FlowDirection() const {
    if (auto* flow = dynamic_cast<TFlowInstance*>(From())) return flow->Direction;
    if (auto* flow = dynamic_cast<TFlowInstance*>(To())) return flow->Direction;
    return 1;
}

void TLinkInstance::SetDefaultPipeGeometry(bool inflow) {
    const int32_t d = FlowDirection();
    StartOffset = inflow ? TDrawPoint{-68 * d, 0} : TDrawPoint{38 * d, 0};
    EndOffset = inflow ? TDrawPoint{-38 * d, 0} : TDrawPoint{68 * d, 0};
    StartControl = {10 * d, 0};
    EndControl = {-10 * d, 0};
    InvalidateBounds();
}

namespace {

bool IsResourceShape(const TVariableInstance* shape) {
    return shape && shape->Var() && shape->Var()->Kind == ekResource;
}

} // namespace

void TLinkInstance::ReversePipe(TVariableObject* flowVariable) {
    TVariableInstance* from = From();
    FromElement.SetTarget(To());
    ToElement.SetTarget(from);
    std::swap(StartOffset, EndOffset);
    std::swap(StartControl, EndControl);
    InvalidateBounds();
    TVariableInstance* resource =
        IsResourceShape(To()) ? To() : (IsResourceShape(From()) ? From() : nullptr);
    if (!resource || !flowVariable) return;
    for (TDependency* dependency : resource->Var()->Dependencies)
        if (dependency->IsFlow && dependency->Source.GetTarget() == flowVariable)
            dependency->Direction = dependency->Direction ? 0 : 1;
}

// ---------------------------------------------------------------------------------------------
// Painting

void TLinkInstance::Paint(const TDrawRect& visible, QPainter& canvas, double scale) {
    TDrawImage* image = Image();
    if (!HitTestMode) {
        if (BoundsValid && !visible.Intersects(Bounds)) return;
        if (!BoundsValid) Bounds = EmptyRect;
        HitRect = EmptyRect;
    }

    QRgb colour = NormalColour;
    if (!HitTestMode) {
        TVariableInstance* from = From();
        TVariableInstance* to = To();
        if (Selected) {
            colour = IsPipe() && (!from || !to) ? ErrorColour : SelectedColour;
        } else if (!IsPipe()) {
            // Red until the head's equation uses the tail.
            colour = ErrorColour;
            if (from && to && from->Var() && to->Var()) {
                for (TDependency* dependency : to->Var()->Dependencies) {
                    if (dependency->IsInformationLink() &&
                        dependency->Source.GetTarget() == from->Var()) {
                        if (dependency->Used) colour = NormalColour;
                        break;
                    }
                }
            }
        }
    }
    int32_t width = HitTestMode ? 8 : (IsPipe() ? (scale > 0.5 ? 5 : 2) : (scale > 0.5 ? 2 : 1));
    canvas.setPen(DiagramPen(colour, width));
    canvas.setBrush(QColor(colour));

    const TDrawPoint points[4] = {StartPoint(), FirstControlPoint(), SecondControlPoint(),
                                  EndPoint()};
    if (!HitTestMode && !BoundsValid) {
        TDrawRect box{points[0].X, points[0].Y, points[0].X, points[0].Y};
        for (TDrawPoint p : points) {
            box.Left = std::min(box.Left, p.X);
            box.Top = std::min(box.Top, p.Y);
            box.Right = std::max(box.Right, p.X);
            box.Bottom = std::max(box.Bottom, p.Y);
        }
        ControlBox = box.Inflated(1, 1);
        Bounds = {std::min(points[0].X, points[3].X) - 1, std::min(points[0].Y, points[3].Y) - 1,
                  std::max(points[0].X, points[3].X) + 1, std::max(points[0].Y, points[3].Y) + 1};
        BoundsValid = true;
    }
    std::array<TDrawPoint, 4> view;
    for (int i = 0; i < 4; ++i)
        view[i] = ToView(points[i], visible, scale);
    if (!HitTestMode) {
        HitRect = ToView(Bounds, visible, scale);
        ViewPoints = view;
    }

    QPainterPath curve;
    curve.moveTo(view[0].X, view[0].Y);
    curve.cubicTo(view[1].X, view[1].Y, view[2].X, view[2].Y, view[3].X, view[3].Y);
    canvas.strokePath(curve, canvas.pen());
    if (IsPipe() && !HitTestMode && scale > 0.5) {
        canvas.strokePath(curve, DiagramPen(qRgb(255, 255, 255), 1)); // the pipe's double line
        canvas.setPen(DiagramPen(colour, width));
    }
    if (!HitTestMode) canvas.setPen(DiagramPen(colour, 1));

    // An outflow pipe carries the head; an inflow pipe has none.
    if (!IsPipe() || dynamic_cast<TFlowInstance*>(From()))
        TDrawImage::DrawArrowHead(view[2].X, view[2].Y, canvas, scale, view[3].X, view[3].Y);

    if (Selected && image && !image->GroupSelection) {
        for (TDrawPoint p : view)
            canvas.drawEllipse(
                GdiRect(p.X - HandleSize, p.Y - HandleSize, p.X + HandleSize, p.Y + HandleSize));
        QPen dotted = DiagramPen(colour, 1);
        dotted.setStyle(Qt::DotLine);
        canvas.setPen(dotted);
        canvas.setBrush(Qt::white);
        canvas.drawLine(view[0].X, view[0].Y, view[1].X, view[1].Y);
        canvas.drawLine(view[3].X, view[3].Y, view[2].X, view[2].Y);
    }
    canvas.setPen(DiagramPen(colour, 1));
}

// ---------------------------------------------------------------------------------------------
// Dragging

void TLinkInstance::DragTo(int32_t x, int32_t y, bool /*alternate*/) {
    TDrawImage* image = Image();
    if (!image || image->GroupSelection) return;
    const double s = image->Scale;
    const int32_t t = s > 1 ? TruncToInt(4 * s) : 4;
    const TDrawPoint q = ToDrawing(x, y, image->VisibleArea, s);
    if (DragStarting) {
        DragPart = ldpNone;
        const TDrawPoint grab = DragOffset;
        for (int i = 0; i < 4; ++i) {
            const TDrawPoint h = ViewPoints[static_cast<size_t>(i)];
            if (TDrawRect{h.X - t, h.Y - t, h.X + t, h.Y + t}.Contains(grab)) {
                DragPart = i + 1;
                DragOffset = {TruncToInt((h.X - grab.X) / s), TruncToInt((h.Y - grab.Y) / s)};
                break;
            }
        }
        DragStarting = false;
    }
    const TDrawPoint p = q + DragOffset;
    switch (DragPart) {
    case ldpStart:
        if (TVariableInstance* from = From()) {
            StartOffset = LimitLength(p - from->Position, 60);
            from->Highlighted = true;
        } else if (TVariableInstance* to = To()) {
            StartOffset = p - to->Position;
        } else {
            StartOffset = p;
        }
        break;
    case ldpStartControl:
        StartControl = p - StartPoint();
        break;
    case ldpEndControl:
        EndControl = p - EndPoint();
        break;
    case ldpEnd:
        if (TVariableInstance* to = To()) {
            EndOffset = LimitLength(p - to->Position, 60);
            to->Highlighted = true;
        } else if (TVariableInstance* from = From()) {
            EndOffset = p - from->Position;
        } else {
            EndOffset = p;
        }
        break;
    default:
        break; // a link moves only with its shapes
    }
    InvalidateBounds();
}
