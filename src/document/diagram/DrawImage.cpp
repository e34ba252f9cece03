// The drawing: geometry helpers, its record and the checks of a loaded drawing.
#include "document/diagram/DrawingObjects.h"

#include "core/support/NumberFormat.h"

#include <QtCore/QRect>

#include <algorithm>
#include <cmath>

bool HitTestMode = false;

// ---------------------------------------------------------------------------------------------
// Geometry

bool TDrawRect::Intersects(const TDrawRect& other) const {
    return !Intersected(other).IsEmpty();
}

TDrawRect TDrawRect::Intersected(const TDrawRect& other) const {
    TDrawRect r{std::max(Left, other.Left), std::max(Top, other.Top), std::min(Right, other.Right),
                std::min(Bottom, other.Bottom)};
    if (r.IsEmpty()) return {0, 0, 0, 0};
    return r;
}

TDrawRect TDrawRect::United(const TDrawRect& other) const {
    if (IsEmpty()) return other;
    if (other.IsEmpty()) return *this;
    return {std::min(Left, other.Left), std::min(Top, other.Top), std::max(Right, other.Right),
            std::max(Bottom, other.Bottom)};
}

QRect TDrawRect::ToQRect() const {
    return QRect(Left, Top, Right - Left, Bottom - Top);
}

int32_t TruncToInt(double value) {
    if (std::isnan(value)) return 0;
    if (value >= 2147483647.0) return 2147483647;
    if (value <= -2147483648.0) return -2147483647 - 1;
    return static_cast<int32_t>(value); // truncates toward zero
}

TDrawPoint ToView(TDrawPoint p, const TDrawRect& visible, double scale) {
    return {TruncToInt((static_cast<double>(p.X) - visible.Left) * scale),
            TruncToInt((static_cast<double>(p.Y) - visible.Top) * scale)};
}

TDrawRect ToView(const TDrawRect& r, const TDrawRect& visible, double scale) {
    TDrawPoint a = ToView(TDrawPoint{r.Left, r.Top}, visible, scale);
    TDrawPoint b = ToView(TDrawPoint{r.Right, r.Bottom}, visible, scale);
    return {a.X, a.Y, b.X, b.Y};
}

TDrawPoint ToDrawing(int32_t x, int32_t y, const TDrawRect& visible, double scale) {
    return {TruncToInt(x / scale + visible.Left), TruncToInt(y / scale + visible.Top)};
}

QColor ColourFromInt(int32_t colour) {
    auto c = static_cast<uint32_t>(colour);
    return QColor(static_cast<int>(c & 0xFF), static_cast<int>((c >> 8) & 0xFF),
                  static_cast<int>((c >> 16) & 0xFF));
}

int32_t ColourToInt(const QColor& colour) {
    return static_cast<int32_t>(static_cast<uint32_t>(colour.red()) |
                                (static_cast<uint32_t>(colour.green()) << 8) |
                                (static_cast<uint32_t>(colour.blue()) << 16));
}

// ---------------------------------------------------------------------------------------------
// TDrawObject

TDrawImage* TDrawObject::Image() const {
    return dynamic_cast<TDrawImage*>(Owner);
}

void TDrawObject::ClearDrawState() {
    Drawn = false;
    BoundsValid = false;
    Selected = false;
    Highlighted = false;
    HitRect = EmptyRect;
    Bounds = EmptyRect;
}

// ---------------------------------------------------------------------------------------------
// TDrawImage

TDrawImage::TDrawImage() : HitBitmap(20, 20, QImage::Format_Mono) {
    HitBitmap.setColorTable({qRgb(0, 0, 0), qRgb(255, 255, 255)});
    ClearHitBitmap();
}

TDrawImage::~TDrawImage() {
    // Links refer to shapes and shapes to pipes: drop the references before the lists go.
    Links.Clear();
    Elements.Clear();
    OutputControls.Clear();
}

void TDrawImage::ClearHitBitmap() {
    HitBitmap.fill(1);
}

TVariableList* TDrawImage::ModelVariables() const {
    if (Model) return &Model->Variables;
    if (CurrentSimulation) return &CurrentSimulation->Variables;
    return nullptr;
}

bool TDrawImage::IsEmpty() const {
    return Elements.IsEmpty() && Links.IsEmpty() && OutputControls.IsEmpty();
}

void TDrawImage::Save(TFileObject& file) {
    TIOObject::Save(file);
    file.WriteFloat(Zoom);
    file.WriteFloat(Scale);
    file.WriteInteger(ScrollX);
    file.WriteInteger(ScrollY);

    file.WriteInteger(Elements.Count());
    file.EndLine();
    for (TVariableInstance* element : Elements) {
        file.WriteInteger(dynamic_cast<TFlowInstance*>(element) ? 1 : 0);
        element->Save(file);
    }

    Links.Save(file);

    file.WriteInteger(OutputControls.Count());
    for (TOutputControlInstance* control : OutputControls) {
        file.WriteInteger(control->ClassTag());
        control->Save(file);
    }

    for (const TDrawRect* r : {&Extent, &VisibleArea}) {
        file.WriteInteger(r->Left);
        file.WriteInteger(r->Top);
        file.WriteInteger(r->Right);
        file.WriteInteger(r->Bottom);
    }
    file.WriteInteger(PaperSize);
    file.WriteInteger(PageWidth);
    file.WriteInteger(PageHeight);
    file.WriteInteger(Orientation);
    file.WriteBoolean(FitToPages);
    file.WriteInteger(PagesTall);
    file.WriteInteger(PagesWide);
    file.WriteFloat(PrintScale);
    file.WriteBoolean(ShowPageBreaks);
    file.WriteString(ExtraText1);
    file.WriteString(ExtraText2);
    file.WriteBoolean(ExtraFlag);
    file.WriteString(ExtraText3);
    file.WriteString(ExtraText4);
}

void TDrawImage::LoadElements(TFileObject& file) {
    Elements.Clear();
    int32_t count = file.ReadInteger();
    for (int32_t i = 0; i < count; ++i) {
        int32_t tag = file.ReadInteger();
        std::unique_ptr<TVariableInstance> element;
        if (tag == 1)
            element = std::make_unique<TFlowInstance>();
        else
            element = std::make_unique<TVariableInstance>();
        element->Owner = this; // the record binds against this drawing's lists
        element->Load(file);
        Elements.AddItem(std::move(element));
    }
}

void TDrawImage::LoadLinks(TFileObject& file) {
    Links.Clear();
    int32_t count = file.ReadInteger();
    for (int32_t i = 0; i < count; ++i) {
        auto link = std::make_unique<TLinkInstance>();
        link->Owner = this;
        link->Load(file);
        Links.AddItem(std::move(link));
    }
}

std::unique_ptr<TOutputControlInstance> NewOutputControl(int32_t classTag) {
    switch (classTag) {
    case occGraph:
        return std::make_unique<TGraphInstance>();
    case occTable:
        return std::make_unique<TTableInstance>();
    case occNote:
        return std::make_unique<TNoteInstance>();
    default:
        return nullptr;
    }
}

void TDrawImage::LoadOutputControls(TFileObject& file) {
    OutputControls.Clear();
    int32_t count = file.ReadInteger();
    for (int32_t i = 0; i < count; ++i) {
        std::unique_ptr<TOutputControlInstance> control = NewOutputControl(file.ReadInteger());
        if (!control) continue; // an unknown tag creates nothing
        control->Owner = this;
        control->Load(file);
        OutputControls.AddItem(std::move(control));
    }
}

void TDrawImage::Load(TFileObject& file) {
    float zoom = static_cast<float>(file.ReadFloat());
    // Every conversion divides by the scale: a damaged zoom must not reach it.
    if (std::isnan(zoom))
        zoom = 100;
    else if (!(zoom >= 13))
        zoom = 13;
    else if (!(zoom <= 100000))
        zoom = 100000;
    Zoom = zoom;
    Scale = static_cast<float>(file.ReadFloat());
    if (!(Scale > 0) || !std::isfinite(Scale)) Scale = Zoom / 100;
    ScrollX = file.ReadInteger();
    ScrollY = file.ReadInteger();
    GroupSelection = false;

    LoadElements(file);
    LoadLinks(file);
    if (file.FileVersionLess("1.0.3", 3))
        OutputControls.Clear();
    else
        LoadOutputControls(file);

    for (TDrawRect* r : {&Extent, &VisibleArea}) {
        r->Left = file.ReadInteger();
        r->Top = file.ReadInteger();
        r->Right = file.ReadInteger();
        r->Bottom = file.ReadInteger();
    }
    if (file.FileVersionLess("1.0.6", 3)) return;
    PaperSize = static_cast<uint8_t>(file.ReadInteger());
    PageWidth = file.ReadInteger();
    PageHeight = file.ReadInteger();
    Orientation = static_cast<uint8_t>(file.ReadInteger());
    FitToPages = file.ReadBoolean();
    PagesTall = file.ReadInteger();
    PagesWide = file.ReadInteger();
    PrintScale = static_cast<float>(file.ReadFloat());
    ShowPageBreaks = file.ReadBoolean();
    ExtraText1 = file.ReadString();
    ExtraText2 = file.ReadString();
    ExtraFlag = file.ReadBoolean();
    ExtraText3 = file.ReadString();
    ExtraText4 = file.ReadString();
}

// ---------------------------------------------------------------------------------------------
// Checks of a loaded drawing

namespace {

std::string ShapeName(const TVariableInstance* shape) {
    if (shape && shape->Var()) return "\"" + shape->Var()->Name + "\"";
    return "number " + IntToStr(shape ? shape->GetIndex() + 1 : 0);
}

} // namespace

bool TDrawImage::Validate(std::string& why) const {
    why.clear();
    const TVariableList* variables = ModelVariables();
    auto fail = [&why](std::string text) {
        why = std::move(text);
        return false;
    };
    for (TVariableInstance* shape : Elements) {
        TVariableObject* variable = shape->Var();
        if (!variable) return fail("The diagram shape " + ShapeName(shape) + " shows no element");
        if (variables && variables->IndexOf(variable) < 0)
            return fail("The diagram shape " + ShapeName(shape) + " shows an unknown element");
        if (!shape->IsClone) {
            for (TVariableInstance* other : Elements)
                if (other != shape && !other->IsClone && other->Var() == variable)
                    return fail("The element " + ShapeName(shape) + " has two main shapes");
        }
        auto* flow = dynamic_cast<TFlowInstance*>(shape);
        if (!flow) continue;
        if (flow->IsClone) return fail("The flow shape " + ShapeName(shape) + " is a clone");
        if (variable->Kind != ekFlow)
            return fail("The flow shape " + ShapeName(shape) +
                        " shows an element that is not a flow");
        TLinkInstance* in = flow->Inflow();
        TLinkInstance* out = flow->Outflow();
        if (!in || !out || in == out)
            return fail("The flow " + ShapeName(shape) + " is missing a pipe");
        if (!in->IsPipe() || in->To() != flow || !out->IsPipe() || out->From() != flow)
            return fail("A pipe of the flow " + ShapeName(shape) + " is not connected to it");
    }
    for (TLinkInstance* link : Links) {
        std::string which = "The link number " + IntToStr(link->GetIndex() + 1);
        if (link->Kind > lkFlow) return fail(which + " is of an unknown kind");
        if (link->IsPipe()) {
            // One flow owns a pipe, and its far end is free or a resource: deleting any
            // other shape must not take a pipe from a flow.
            int32_t owners = 0;
            TVariableInstance* farEnd = nullptr;
            for (TVariableInstance* shape : Elements) {
                auto* flow = dynamic_cast<TFlowInstance*>(shape);
                if (!flow) continue;
                if (flow->Inflow() == link) {
                    ++owners;
                    farEnd = link->From();
                }
                if (flow->Outflow() == link) {
                    ++owners;
                    farEnd = link->To();
                }
            }
            if (owners == 0) return fail(which + " is a pipe without its flow");
            if (owners > 1) return fail(which + " is a pipe shared by two flows");
            if (farEnd && (!farEnd->Var() || farEnd->Var()->Kind != ekResource))
                return fail(which + " is a pipe attached to something other than a resource");
        } else if (!link->From() || !link->To()) {
            return fail(which + " is missing an end");
        }
    }
    for (TOutputControlInstance* control : OutputControls) {
        auto* output = dynamic_cast<TTableGraphOutputInstance*>(control);
        if (!output) continue;
        for (TVariableDataLink* entry : output->Series) {
            if (!entry->Var() || (variables && variables->IndexOf(entry->Var()) < 0))
                return fail("A table or graph shows an unknown element");
        }
    }
    return true;
}
