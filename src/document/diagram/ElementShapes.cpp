// Element shapes: the box with its graph, the value and name labels, dragging, and the
// flow shape with its two pipes.
#include "document/diagram/DrawingObjects.h"

#include "core/support/NumberFormat.h"
#include "document/diagram/PaintHelpers.h"
#include "document/output/GraphDrawing.h"

#include <QtGui/QFontMetrics>
#include <QtGui/QPainter>
#include <QtGui/QPolygon>

#include <cmath>

namespace {

void SavePoint(TFileObject& file, TDrawPoint p) {
    file.WriteInteger(p.X);
    file.WriteInteger(p.Y);
}

TDrawPoint LoadPoint(TFileObject& file) {
    TDrawPoint p;
    p.X = file.ReadInteger();
    p.Y = file.ReadInteger();
    return p;
}

} // namespace

void TVariableInstance::Save(TFileObject& file) {
    TIOListObject::Save(file);
    SavePoint(file, Position);
    file.WriteBoolean(IsClone);
    Variable.Save(file);
    file.WriteBoolean(ShowGraph);
    file.WriteBoolean(ShowValue);
    SavePoint(file, ShapeOffset);
    SavePoint(file, ValueLabelOffset);
    SavePoint(file, NameLabelOffset);
}

void TVariableInstance::Load(TFileObject& file) {
    ClearDrawState();
    TDrawImage* image = Image();
    TVariableList* variables = image ? image->ModelVariables() : nullptr;
    if (!variables) throw EFileException("A diagram shape can only be read into a model");
    Position = LoadPoint(file);
    IsClone = file.ReadBoolean();
    Variable.Load(*variables, file);
    ShowGraph = file.ReadBoolean();
    ShowValue = file.ReadBoolean();
    ShapeOffset = LoadPoint(file);
    ValueLabelOffset = LoadPoint(file);
    NameLabelOffset = LoadPoint(file);
    ValueLabelRect = EmptyRect;
    NameLabelRect = EmptyRect;
}

void TFlowInstance::Save(TFileObject& file) {
    TVariableInstance::Save(file);
    file.WriteInteger(Direction);
    InflowPipe.Save(file);
    OutflowPipe.Save(file);
}

void TFlowInstance::Load(TFileObject& file) {
    TVariableInstance::Load(file);
    TDrawImage* image = Image();
    if (file.FileVersionLess("1.0.2", 3))
        Direction = 1;
    else
        Direction = file.ReadInteger() < 0 ? -1 : 1; // only the sign has a meaning
    InflowPipe.Load(image->Links, file);
    OutflowPipe.Load(image->Links, file);
}

// ---------------------------------------------------------------------------------------------
// Layout by element kind

namespace {

struct TKindLayout {
    TDrawPoint ValueLabel;
    TDrawPoint NameLabel;
    bool ShowGraph;
};

constexpr TKindLayout KindLayouts[4] = {
    {{0, 10}, {0, -10}, false}, // Constant
    {{0, 36}, {0, -36}, true},  // Variable
    {{0, 36}, {0, -41}, true},  // Resource
    {{0, 44}, {0, -44}, true},  // Flow
};

constexpr TDrawRect SquareBox{-28, -28, 28, 28};
constexpr TDrawRect FlowBox{-38, -38, 38, 38};
constexpr TDrawRect GraphArea{-25, -18, 25, 18};

// The extent of text in the font of that size: width and line height.
TDrawPoint TextExtent(QPainter& canvas, int32_t points, const QString& text) {
    QFontMetrics metrics(DiagramFont(points), canvas.device());
    return {metrics.horizontalAdvance(text), metrics.height()};
}

// Text with its top-left corner at (x, y).
void WriteText(QPainter& canvas, int32_t points, QRgb colour, int32_t x, int32_t y,
               const QString& text) {
    if (points < 1) return;
    QFont font = DiagramFont(points);
    canvas.setFont(font);
    canvas.setPen(QColor(colour));
    QFontMetrics metrics(font, canvas.device());
    canvas.drawText(QPoint(x, y + metrics.ascent()), text);
}

TDrawRect CentredOn(TDrawPoint p, TDrawPoint extent) {
    TDrawRect r{p.X - extent.X / 2, p.Y - extent.Y / 2, 0, 0};
    r.Right = r.Left + extent.X;
    r.Bottom = r.Top + extent.Y;
    return r;
}

QString GraphScaleText(double value) {
    return QString::fromStdString(
        FormatFloat(std::fabs(value) >= 1000000 ? "0.00E+00" : "0.00", value));
}

} // namespace

void TVariableInstance::SetDefaultLayout() {
    TVariableObject* variable = Var();
    const TKindLayout& layout =
        KindLayouts[variable && variable->Kind <= ekFlow ? variable->Kind : 1];
    ValueLabelOffset = layout.ValueLabel;
    NameLabelOffset = layout.NameLabel;
    ShowGraph = layout.ShowGraph;
}

// ---------------------------------------------------------------------------------------------
// Painting

void TVariableInstance::Paint(const TDrawRect& visible, QPainter& canvas, double scale) {
    if (BoundsValid && !visible.Intersects(Bounds)) {
        // Off screen: an old hit area must not answer for it.
        HitRect = EmptyRect;
        Drawn = false;
        return;
    }
    TVariableObject* variable = Var();
    if (!variable) {
        // A damaged reference: nothing can be drawn or hit.
        HitRect = EmptyRect;
        Drawn = false;
        return;
    }
    auto toView = [&](const TDrawRect& r) { return ToView(r, visible, scale); };

    if (!Bounds.IsEmpty() && Highlighted) {
        canvas.setPen(DiagramPen(HighlightColour, 1));
        canvas.setBrush(QColor(HighlightColour));
        TDrawRect glow = toView(Bounds);
        canvas.drawEllipse(GdiRect(glow.Left - 8, glow.Top - 5, glow.Right + 8, glow.Bottom + 5));
    }

    QRgb colour = Selected              ? SelectedColour
                  : variable->HasErrors ? ErrorColour
                  : IsClone             ? CloneColour
                                        : NormalColour;
    const bool measure = !BoundsValid;
    if (measure) Bounds = EmptyRect;
    HitRect = EmptyRect;
    const TDrawPoint centre = Position + ShapeOffset;

    if (ShowGraph) {
        TDrawRect box;
        if (variable->Kind == ekFlow) {
            box = FlowBox.Moved(centre.X, centre.Y);
            canvas.setBrush(Qt::white);
            canvas.setPen(DiagramPen(colour, 1));
            if (measure) Bounds = Bounds.United(box);
            TDrawRect v = toView(box);
            canvas.drawEllipse(GdiRect(v.Left, v.Top, v.Right, v.Bottom));
        } else {
            box = SquareBox.Moved(centre.X, centre.Y);
            if (variable->Kind == ekResource) {
                auto face = [&](QRgb faceColour, std::initializer_list<TDrawPoint> corners) {
                    QPolygon polygon;
                    for (TDrawPoint p : corners) {
                        TDrawPoint v = ToView(p, visible, scale);
                        polygon << QPoint(v.X, v.Y);
                    }
                    canvas.setPen(DiagramPen(faceColour, 1));
                    canvas.setBrush(QColor(faceColour));
                    canvas.drawPolygon(polygon);
                };
                face(qRgb(128, 128, 128), {{box.Left, box.Top},
                                           {box.Left + 4, box.Top - 5},
                                           {box.Right + 4, box.Top - 5},
                                           {box.Right, box.Top}});
                face(qRgb(192, 192, 192), {{box.Right, box.Top},
                                           {box.Right + 4, box.Top - 5},
                                           {box.Right + 4, box.Bottom - 5},
                                           {box.Right, box.Bottom}});
            }
            if (measure) Bounds = Bounds.United(box);
            TDrawRect v = toView(box);
            canvas.fillRect(v.ToQRect(), Qt::white);
            if (Selected || variable->Kind == ekResource) {
                canvas.setPen(DiagramPen(colour, 1));
                canvas.setBrush(Qt::NoBrush);
                canvas.drawRect(GdiRect(v.Left, v.Top, v.Right, v.Bottom));
            }
        }
        HitRect = HitRect.United(toView(box));

        TDrawRect graph = toView(GraphArea.Moved(centre.X, centre.Y));
        double minimum = variable->LowerY, maximum = variable->UpperY;
        if (!graph.IsEmpty()) {
            // The element's own scale, widened by its data; the labels show the scale used.
            const TDrawImage* image = Image();
            canvas.save();
            const TGraphScale used =
                DrawVariableGraph(*variable, graph, canvas, nullptr, nullptr, maximum, minimum,
                                  true, false, image ? image->GraphOptions : TGraphOptions{});
            canvas.restore();
            minimum = used.Min;
            maximum = used.Max;
        }
        // Compared in single precision, the precision of Scale: 90 % must count.
        if (static_cast<float>(scale) >= 0.9f) {
            const int32_t points = TruncToInt(6 * scale);
            const int32_t x = graph.Left - TruncToInt(2 * scale);
            canvas.setBrush(Qt::NoBrush);
            WriteText(canvas, points, NormalColour, x, graph.Top - points - TruncToInt(3 * scale),
                      GraphScaleText(maximum));
            WriteText(canvas, points, NormalColour, x, graph.Bottom, GraphScaleText(minimum));
        }
    }

    if (ShowValue) {
        const QString text = QString::fromStdString(FormatFloat("0.00", variable->Value));
        const TDrawPoint p = Position + ValueLabelOffset;
        if (measure) Bounds = Bounds.United(CentredOn(p, TextExtent(canvas, 8, text)));
        const int32_t points = TruncToInt(8 * scale);
        TDrawRect r = CentredOn(ToView(p, visible, scale),
                                points >= 1 ? TextExtent(canvas, points, text) : TDrawPoint{});
        canvas.setBrush(Qt::NoBrush);
        WriteText(canvas, points, colour, r.Left, r.Top, text);
        ValueLabelRect = r;
        HitRect = HitRect.United(r);
    }

    {
        const QString name = QString::fromStdString(variable->Name);
        const QString shown = IsClone ? "[" + name + "]" : name;
        const TDrawPoint p = Position + NameLabelOffset;
        if (measure) Bounds = Bounds.United(CentredOn(p, TextExtent(canvas, 8, name)));
        TDrawPoint extent = TextExtent(canvas, 8, shown);
        extent = {TruncToInt(extent.X * scale), TruncToInt(extent.Y * scale)};
        TDrawRect r = CentredOn(ToView(p, visible, scale), extent);
        canvas.setBrush(Qt::NoBrush);
        WriteText(canvas, TruncToInt(8 * scale), colour, r.Left, r.Top, shown);
        NameLabelRect = r;
        HitRect = HitRect.United(r);
    }

    canvas.setPen(DiagramPen(NormalColour, 1));
    BoundsValid = true;
    Drawn = !HitRect.IsEmpty();
}

// ---------------------------------------------------------------------------------------------
// Dragging

void TVariableInstance::DragTo(int32_t x, int32_t y, bool alternate) {
    TDrawImage* image = Image();
    if (!image) return;
    const double s = image->Scale;
    if (image->GroupSelection) alternate = false;
    const TDrawPoint q = ToDrawing(x, y, image->VisibleArea, s);
    if (DragStarting) {
        DragPart = sdpWhole;
        const TDrawPoint grab = DragOffset;
        if (alternate && ShowValue && ValueLabelRect.Contains(grab))
            DragPart = sdpValueLabel;
        else if (alternate && NameLabelRect.Contains(grab))
            DragPart = sdpNameLabel;
        const TDrawPoint grabbed = ToDrawing(grab.X, grab.Y, image->VisibleArea, s);
        const TDrawPoint offset = DragPart == sdpValueLabel  ? ValueLabelOffset
                                  : DragPart == sdpNameLabel ? NameLabelOffset
                                                             : TDrawPoint{};
        DragOffset = offset + Position - grabbed;
        DragStarting = false;
    }
    const TDrawPoint target = q + DragOffset;
    switch (DragPart) {
    case sdpNameLabel:
        NameLabelOffset = LimitLength(target - Position, 60);
        break;
    case sdpValueLabel:
        ValueLabelOffset = LimitLength(target - Position, 80);
        break;
    default: {
        const TDrawPoint move = target - Position;
        Bounds = Bounds.IsEmpty() ? Bounds : Bounds.Moved(move.X, move.Y);
        Position = target;
        for (TLinkInstance* link : image->Links)
            if (link->From() == this || link->To() == this) link->InvalidateBounds();
        break;
    }
    }
    InvalidateBounds();
}

// ---------------------------------------------------------------------------------------------
// Flow reversal

void TFlowInstance::Reverse() {
    TLinkInstance* formerInflow = Inflow();
    InflowPipe.SetTarget(Outflow());
    OutflowPipe.SetTarget(formerInflow);
    TVariableObject* variable = Var();
    if (TLinkInstance* pipe = Inflow()) pipe->ReversePipe(variable);
    if (TLinkInstance* pipe = Outflow()) pipe->ReversePipe(variable);
    Direction = -Direction;
    if (variable) variable->DeriveFromSource = variable->DeriveFromSource ? 0 : 1;
    InvalidateBounds();
}
