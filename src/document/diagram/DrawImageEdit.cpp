// Editing the drawing: creation, selection, zoom and scrolling, removal with its
// consequences on the model, copy, cut, paste and kept runs.
#include "document/diagram/DrawingObjects.h"

#include "core/support/NumberFormat.h"

#include <algorithm>
#include <cctype>
#include <climits>
#include <cmath>

// ---------------------------------------------------------------------------------------------
// Creation

TVariableInstance* TDrawImage::AddElement(int32_t x, int32_t y, bool isClone,
                                          TVariableObject* variable) {
    auto shape = std::make_unique<TVariableInstance>();
    shape->Owner = this;
    shape->Position = ToDrawing(x, y, VisibleArea, Scale);
    shape->IsClone = isClone;
    shape->Variable.SetTarget(variable);
    shape->ShowValue = true;
    shape->SetDefaultLayout();
    TVariableInstance* added = shape.get();
    Elements.AddItem(std::move(shape));
    return added;
}

TFlowInstance* TDrawImage::AddFlow(int32_t x, int32_t y, TVariableObject* variable) {
    auto flow = std::make_unique<TFlowInstance>();
    flow->Owner = this;
    flow->Position = ToDrawing(x, y, VisibleArea, Scale);
    flow->Variable.SetTarget(variable);
    flow->ShowValue = true;
    flow->SetDefaultLayout();
    flow->ShowGraph = true;

    for (bool inflow : {true, false}) {
        auto pipe = std::make_unique<TLinkInstance>();
        pipe->Owner = this;
        pipe->Kind = lkFlow;
        (inflow ? pipe->ToElement : pipe->FromElement).SetTarget(flow.get());
        pipe->SetDefaultPipeGeometry(inflow);
        (inflow ? flow->InflowPipe : flow->OutflowPipe).SetTarget(pipe.get());
        Links.AddItem(std::move(pipe));
    }
    TFlowInstance* added = flow.get();
    Elements.AddItem(std::move(flow));
    return added;
}

namespace {

bool HasInformationLink(TVariableObject* element, TVariableObject* source) {
    for (TDependency* dependency : element->Dependencies)
        if (dependency->IsInformationLink() && dependency->Source.GetTarget() == source)
            return true;
    return false;
}

} // namespace

TLinkInstance* TDrawImage::AddLink(int32_t x1, int32_t y1, TVariableInstance* from,
                                   TVariableInstance* to, int32_t x2, int32_t y2) {
    if (!from || !to) return nullptr;
    TVariableObject* fromVariable = from->Var();
    TVariableObject* toVariable = to->Var();
    if (!fromVariable || !toVariable || fromVariable == toVariable) return nullptr;
    if (HasInformationLink(fromVariable, toVariable) ||
        HasInformationLink(toVariable, fromVariable))
        return nullptr;

    toVariable->AddDependency(fromVariable);
    const TDrawPoint p1 = ToDrawing(x1, y1, VisibleArea, Scale);
    const TDrawPoint p2 = ToDrawing(x2, y2, VisibleArea, Scale);
    auto link = std::make_unique<TLinkInstance>();
    link->Owner = this;
    link->Kind = lkInformation;
    link->FromElement.SetTarget(from);
    link->ToElement.SetTarget(to);
    link->StartOffset = p1 - from->Position;
    link->EndOffset = p2 - to->Position;
    link->StartControl = {(p2.X - p1.X) / 3, (p2.Y - p1.Y) / 3};
    link->EndControl = -link->StartControl;
    TLinkInstance* added = link.get();
    Links.AddItem(std::move(link));
    return added;
}

TOutputControlInstance* TDrawImage::AddOutputControl(int32_t x1, int32_t y1,
                                                     TOutputControlClass kind, int32_t x2,
                                                     int32_t y2) {
    std::unique_ptr<TOutputControlInstance> control = NewOutputControl(kind);
    if (!control) return nullptr;
    const TDrawPoint a = ToDrawing(x1, y1, VisibleArea, Scale);
    const TDrawPoint b = ToDrawing(x2, y2, VisibleArea, Scale);
    TDrawRect frame{std::min(a.X, b.X), std::min(a.Y, b.Y), std::max(a.X, b.X), std::max(a.Y, b.Y)};
    if (frame.Width() < 30) frame.Right = frame.Left + 30;
    if (frame.Height() < 30) frame.Bottom = frame.Top + 30;
    control->Frame = frame;
    control->Owner = this;
    TOutputControlInstance* added = control.get();
    OutputControls.AddItem(std::move(control));
    return added;
}

void TDrawImage::AttachFlowEnds() {
    for (TLinkInstance* pipe : Links) {
        if (!pipe->IsPipe()) continue;
        if (!pipe->From() && pipe->To() && pipe->To()->Var()) {
            const TDrawPoint p = pipe->StartPoint();
            if (TVariableInstance* resource = ResourceAt(p.X, p.Y)) {
                pipe->FromElement.SetTarget(resource);
                resource->Highlighted = true;
                pipe->StartOffset = p - resource->Position;
                pipe->InvalidateBounds();
                resource->Var()->AddDependency(pipe->To()->Var(), true, 1); // drains it
            }
        }
        if (!pipe->To() && pipe->From() && pipe->From()->Var()) {
            const TDrawPoint p = pipe->EndPoint();
            if (TVariableInstance* resource = ResourceAt(p.X, p.Y)) {
                pipe->ToElement.SetTarget(resource);
                resource->Highlighted = true;
                pipe->EndOffset = p - resource->Position;
                pipe->InvalidateBounds();
                resource->Var()->AddDependency(pipe->From()->Var(), true, 0); // fills it
            }
        }
    }
}

// ---------------------------------------------------------------------------------------------
// Queries, selection, zoom and scrolling

TVariableInstance* TDrawImage::ResourceAt(int32_t x, int32_t y) const {
    for (TVariableInstance* element : Elements) {
        if (element->IsClone || !element->Var() || element->Var()->Kind != ekResource) continue;
        if (element->Bounds.Contains({x, y})) return element;
    }
    return nullptr;
}

void TDrawImage::SelectInRect(int32_t x1, int32_t y1, bool add, int32_t x2, int32_t y2) {
    const TDrawPoint a = ToDrawing(x1, y1, VisibleArea, Scale);
    const TDrawPoint b = ToDrawing(x2, y2, VisibleArea, Scale);
    const TDrawRect r{std::min(a.X, b.X), std::min(a.Y, b.Y), std::max(a.X, b.X),
                      std::max(a.Y, b.Y)};
    if (!add) {
        for (TVariableInstance* element : Elements)
            element->Selected = false;
        for (TLinkInstance* link : Links)
            link->Selected = false;
        for (TOutputControlInstance* control : OutputControls)
            control->Selected = false;
    }
    auto inside = [&r](const TDrawObject* object) {
        return !object->Bounds.IsEmpty() && r.Intersected(object->Bounds) == object->Bounds;
    };
    for (TVariableInstance* element : Elements)
        if (inside(element)) element->Selected = true;
    for (TOutputControlInstance* control : OutputControls)
        if (inside(control)) control->Selected = true;
    for (TLinkInstance* link : Links)
        if (r.Contains(link->StartPoint()) && r.Contains(link->EndPoint())) link->Selected = true;
}

TDrawRect TDrawImage::GetContentRect() const {
    TDrawRect result{2147483647, 2147483647, -2147483647, -2147483647};
    auto add = [&](const TDrawObject* object, const TDrawRect& box) {
        if (GroupSelection && !object->Selected) return;
        if (box == EmptyRect) return; // never painted: nothing to count yet
        result.Left = std::min(result.Left, box.Left);
        result.Top = std::min(result.Top, box.Top);
        result.Right = std::max(result.Right, box.Right);
        result.Bottom = std::max(result.Bottom, box.Bottom);
    };
    for (TOutputControlInstance* control : OutputControls)
        add(control, control->Bounds);
    for (TVariableInstance* element : Elements)
        add(element, element->Bounds);
    for (TLinkInstance* link : Links)
        add(link, link->ControlBox);
    return result;
}

float TDrawImage::SetZoom(float percent) {
    const double width = Surface ? Surface->Width() : ViewWidth;
    const double height = Surface ? Surface->Height() : ViewHeight;
    // The drawing point at the centre of the view stays there. Scroll positions are pixels at
    // the zoom they were set for, so the centre is found from them exactly rather than from
    // the truncated visible area of the last paint.
    const double before = Zoom > 0 && std::isfinite(Zoom) ? Zoom / 100 : Scale > 0 ? Scale : 1;
    const double cx = (static_cast<double>(ScrollX) + width / 2) / before;
    const double cy = (static_cast<double>(ScrollY) + height / 2) / before;
    Zoom = percent >= 13 ? percent : 13;
    const double s = Zoom / 100;
    // A damaged file's scroll position stays within the 32-bit range.
    auto scroll = [](double centre, double s, double size) {
        const double position = std::round(centre * s - size / 2);
        if (std::isnan(position)) return int32_t{0};
        return static_cast<int32_t>(
            std::clamp(position, static_cast<double>(INT32_MIN), static_cast<double>(INT32_MAX)));
    };
    ScrollX = scroll(cx, s, width);
    ScrollY = scroll(cy, s, height);
    return Zoom;
}

void TDrawImage::EnsureVisible(const TVariableInstance* element) {
    if (!element) return;
    const TDrawRect& b = element->Bounds;
    if (b.IsEmpty() || VisibleArea.Intersected(b) == b) return; // not painted yet, or in view
    ScrollX = TruncToInt((static_cast<double>(b.Left) - 20) * Scale);
    ScrollY = TruncToInt((static_cast<double>(b.Top) - 20) * Scale);
}

// ---------------------------------------------------------------------------------------------
// Removal

void TDrawImage::RemoveObject(TDrawObject* object) {
    if (!object) return;
    if (auto* flow = dynamic_cast<TFlowInstance*>(object)) {
        if (Elements.IndexOf(flow) < 0) return;
        const bool wasRemovingFlow = RemovingFlow;
        RemovingFlow = true;
        RemoveElement(flow);
        RemovingFlow = wasRemovingFlow;
    } else if (auto* shape = dynamic_cast<TVariableInstance*>(object)) {
        if (Elements.IndexOf(shape) < 0) return;
        RemoveElement(shape);
    } else if (auto* link = dynamic_cast<TLinkInstance*>(object)) {
        if (Links.IndexOf(link) < 0) return;
        if (!link->IsPipe() || RemovingFlow)
            RemoveLink(link);
        else
            DetachPipe(link);
    } else if (auto* control = dynamic_cast<TOutputControlInstance*>(object)) {
        OutputControls.Remove(control);
    }
}

void TDrawImage::RemoveElement(TVariableInstance* shape) {
    TVariableObject* variable = shape->Var();
    const bool dropVariable = !shape->IsClone && variable;
    if (dropVariable) {
        // Its clones go first. Any further shape of the variable goes too (only a damaged
        // file has one): none may be left showing a deleted element.
        std::vector<TVariableInstance*> others;
        for (TVariableInstance* other : Elements)
            if (other != shape && other->Var() == variable) others.push_back(other);
        for (auto it = others.rbegin(); it != others.rend(); ++it)
            RemoveShape(*it);
    }
    RemoveShape(shape, dropVariable ? variable : nullptr);
}

void TDrawImage::RemoveShape(TVariableInstance* shape, TVariableObject* variable) {
    for (int32_t i = Links.Count() - 1; i >= 0; --i) {
        if (i >= Links.Count()) continue;
        TLinkInstance* link = Links[i];
        if (link->From() == shape || link->To() == shape) RemoveObject(link);
    }
    // A pipe that was only detached may still name the shape at its other end: free it.
    for (TLinkInstance* link : Links) {
        if (link->From() == shape) link->FromElement.SetTarget(nullptr);
        if (link->To() == shape) link->ToElement.SetTarget(nullptr);
    }
    if (variable) {
        for (TOutputControlInstance* control : OutputControls)
            if (auto* output = dynamic_cast<TTableGraphOutputInstance*>(control))
                output->RemoveVariable(variable);
        if (TIOObjectList* variables = variable->OwnerList) {
            // Dependencies that no link showed must not keep pointing at the element.
            for (TIOListObject* item : variables->AllItems()) {
                auto* other = static_cast<TVariableObject*>(item);
                if (other == variable) continue;
                other->RemoveDependency(variable, false);
                other->RemoveDependency(variable, true);
            }
            // Nor may the analysis set-up keep varying or keeping it.
            if (TSimulationObject* model = variable->Simulation())
                model->Sensitivity.ForgetElement(variable->Identifier());
            variables->Remove(variable);
        }
    }
    Elements.Remove(shape);
}

void TDrawImage::DetachPipe(TLinkInstance* pipe) {
    TVariableInstance* from = pipe->From();
    TVariableInstance* to = pipe->To();
    if (!from || !to) return; // a pipe with a free end stays as it is
    TVariableObject* fromVariable = from->Var();
    TVariableObject* toVariable = to->Var();
    if (toVariable && toVariable->Kind == ekResource) {
        toVariable->RemoveDependency(fromVariable, true);
        pipe->ToElement.SetTarget(nullptr);
        pipe->SetDefaultPipeGeometry(false);
    }
    if (fromVariable && fromVariable->Kind == ekResource) {
        fromVariable->RemoveDependency(toVariable, true);
        pipe->FromElement.SetTarget(nullptr);
        pipe->SetDefaultPipeGeometry(true);
    }
}

void TDrawImage::RemoveLink(TLinkInstance* link) {
    if (!link || Links.IndexOf(link) < 0) return;
    TVariableInstance* from = link->From();
    TVariableInstance* to = link->To();
    if (from && to && from->Var() && to->Var()) {
        from->Var()->RemoveDependency(to->Var(), link->IsPipe());
        to->Var()->RemoveDependency(from->Var(), link->IsPipe());
    }
    for (TVariableInstance* element : Elements) {
        if (auto* flow = dynamic_cast<TFlowInstance*>(element)) {
            if (flow->Inflow() == link) flow->InflowPipe.SetTarget(nullptr);
            if (flow->Outflow() == link) flow->OutflowPipe.SetTarget(nullptr);
        }
    }
    Links.Remove(link);
}
