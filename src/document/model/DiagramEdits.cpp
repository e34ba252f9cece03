#include "document/model/DiagramEdits.h"

#include "document/model/DataFile.h"

#include <algorithm>

namespace {

bool IsTool(int32_t tool, std::initializer_list<int32_t> tools) {
    return std::find(tools.begin(), tools.end(), tool) != tools.end();
}

uint8_t KindOfTool(int32_t tool) {
    switch (tool) {
    case dtConstant:
        return ekConstant;
    case dtVariable:
        return ekVariable;
    case dtResource:
        return ekResource;
    default:
        return ekFlow;
    }
}

// Whether an object still belongs to the drawing. An earlier removal may have freed it, so
// the pointer is only compared, never followed.
bool InDrawing(const TDrawImage& image, const TDrawObject* object) {
    for (const TDrawObject* element : image.Elements)
        if (element == object) return true;
    for (const TDrawObject* link : image.Links)
        if (link == object) return true;
    for (const TDrawObject* control : image.OutputControls)
        if (control == object) return true;
    return false;
}

bool HasInformationLink(const TVariableObject* element, const TVariableObject* source) {
    for (const TDependency* dependency : element->Dependencies)
        if (dependency->IsInformationLink() && dependency->Source.GetTarget() == source)
            return true;
    return false;
}

} // namespace

TVariableInstance* PlaceElement(TDataFile& document, int32_t tool, int32_t x, int32_t y) {
    if (!IsTool(tool, {dtConstant, dtVariable, dtResource, dtFlow})) return nullptr;
    const uint8_t kind = KindOfTool(tool);
    // Constants and variables change no dependency; resources and flows may catch pipe ends.
    TDocumentEdit edit(document, kind == ekResource || kind == ekFlow ? efStructure : efNone);
    edit.Touch();
    TDrawImage& image = document.Image();
    TVariableObject* variable = document.Simulation->NewElement(kind);
    TVariableInstance* shape =
        kind == ekFlow ? image.AddFlow(x, y, variable) : image.AddElement(x, y, false, variable);
    // Pipe ends find resources by their painted bounds.
    if (kind == ekResource || kind == ekFlow) image.MeasureContent();
    edit.Finish();
    return shape;
}

std::string LinkRefusal(const TVariableInstance* from, const TVariableInstance* to) {
    if (!from || !from->Var()) return "A link starts on an element: press on one";
    if (!to || !to->Var()) return "A link ends on an element: release it over one";
    const TVariableObject* source = from->Var();
    const TVariableObject* target = to->Var();
    if (source == target) return "A link joins two different elements";
    if (to->IsClone)
        return "A link cannot end on a clone: release it over " + target->Name + "'s own shape";
    if (HasInformationLink(target, source))
        return source->Name + " is already linked to " + target->Name;
    if (HasInformationLink(source, target))
        return target->Name + " is already linked to " + source->Name +
               ": two elements are joined by one link";
    return {};
}

TLinkInstance* PlaceLink(TDataFile& document, TDrawPoint start, TVariableInstance* from,
                         TVariableInstance* to, TDrawPoint end) {
    if (!LinkRefusal(from, to).empty()) return nullptr;
    TLinkInstance* link = nullptr;
    EditDocument(document, efCheck, [&] {
        link = document.Image().AddLink(start.X, start.Y, from, to, end.X, end.Y);
        return link != nullptr;
    });
    return link;
}

TOutputControlInstance* PlaceOutputControl(TDataFile& document, TOutputControlClass kind,
                                           TDrawPoint start, TDrawPoint end) {
    TOutputControlInstance* control = nullptr;
    EditDocument(document, efNone, [&] {
        control = document.Image().AddOutputControl(start.X, start.Y, kind, end.X, end.Y);
        return control != nullptr;
    });
    return control;
}

TVariableInstance* PlaceClone(TDataFile& document, TVariableObject& variable, int32_t x,
                              int32_t y) {
    if (document.Simulation->Variables.IndexOf(&variable) < 0) return nullptr;
    TVariableInstance* clone = nullptr;
    EditDocument(document, efNone, [&] {
        clone = document.Image().AddElement(x, y, true, &variable);
        return true;
    });
    return clone;
}

bool DeleteObjects(TDataFile& document, const std::vector<TDrawObject*>& objects) {
    TDrawImage& image = document.Image();
    std::vector<TDrawObject*> links, others;
    for (TDrawObject* object : objects) {
        if (!object || !InDrawing(image, object)) continue;
        // A pipe with a free end would stay as it is: nothing to do, nothing to undo.
        if (auto* pipe = dynamic_cast<TLinkInstance*>(object))
            if (pipe->IsPipe() && (!pipe->From() || !pipe->To())) continue;
        (dynamic_cast<TLinkInstance*>(object) ? links : others).push_back(object);
    }
    if (links.empty() && others.empty()) return false;
    return EditDocument(document, efCheck | efDerive, [&] {
        for (auto list : {&links, &others}) {
            for (auto it = list->rbegin(); it != list->rend(); ++it) {
                // A clone goes with its main shape, a pipe with its flow.
                if (!InDrawing(image, *it)) continue;
                (*it)->Selected = false;
                image.RemoveObject(*it);
            }
        }
        image.GroupSelection = false;
        return true;
    });
}

void CopySelected(TDataFile& document) {
    document.CopySelection(document.Image(), false);
}

bool CutSelected(TDataFile& document) {
    TDrawImage& image = document.Image();
    bool any = false;
    for (TDrawObject* object : image.Elements)
        any = any || object->Selected;
    for (TDrawObject* object : image.Links)
        any = any || object->Selected;
    for (TDrawObject* object : image.OutputControls)
        any = any || object->Selected;
    if (!any) return false;
    // The derived series of what stays must not keep data from what left.
    return EditDocument(document, efCheck | efDerive, [&] {
        document.CopySelection(image, true);
        return true;
    });
}

bool PasteStructureBuffer(TDataFile& document) {
    if (!ClipboardHasStructure) return false;
    TDrawImage& image = document.Image();
    for (TDrawObject* object : image.Elements)
        object->Selected = false;
    for (TDrawObject* object : image.Links)
        object->Selected = false;
    for (TDrawObject* object : image.OutputControls)
        object->Selected = false;
    return EditDocument(document, efCheck, [&] {
        document.PasteStructure(image);
        return true;
    });
}

bool UndoLastEdit(TDataFile& document) {
    if (!document.CanUndo()) return false;
    document.Undo();
    document.Image().GroupSelection = false;
    RunFollowUps(document, efCheck);
    return true;
}

bool ReverseFlow(TDataFile& document, TFlowInstance& flow) {
    return EditDocument(document, efDerive, [&] {
        flow.Reverse();
        return true;
    });
}

bool ToggleShowGraph(TDataFile& document, TVariableInstance& shape) {
    const TVariableObject* variable = shape.Var();
    if (!variable || (variable->Kind != ekConstant && variable->Kind != ekVariable)) return false;
    return EditDocument(document, efNone, [&] {
        shape.ShowGraph = !shape.ShowGraph;
        shape.InvalidateBounds();
        return true;
    });
}

bool ToggleShowValue(TDataFile& document, TVariableInstance& shape) {
    return EditDocument(document, efNone, [&] {
        shape.ShowValue = !shape.ShowValue;
        shape.InvalidateBounds();
        return true;
    });
}

TFlowDeriveSources FlowDeriveSources(const TFlowInstance& flow) {
    TFlowDeriveSources sources;
    if (const TLinkInstance* inflow = flow.Inflow())
        if (const TVariableInstance* from = inflow->From()) sources.Source = from->Var();
    if (const TLinkInstance* outflow = flow.Outflow())
        if (const TVariableInstance* to = outflow->To()) sources.Target = to->Var();
    return sources;
}

bool ToggleDerived(TDataFile& document, TVariableInstance& shape, bool fromSource) {
    TVariableObject* variable = shape.Var();
    if (!variable || (variable->Kind != ekResource && variable->Kind != ekFlow)) return false;
    const bool clear = !variable->Derived.IsEmpty();
    uint8_t deriveFromSource = variable->DeriveFromSource;
    if (!clear && variable->Kind == ekFlow) {
        auto* flow = dynamic_cast<TFlowInstance*>(&shape);
        const TFlowDeriveSources sources = flow ? FlowDeriveSources(*flow) : TFlowDeriveSources{};
        if (!sources.Source && !sources.Target) return false;
        deriveFromSource =
            sources.Source && sources.Target ? fromSource : sources.Source != nullptr;
    }
    EditDocument(document, efNone, [&] {
        variable->DeriveFromSource = deriveFromSource;
        variable->Derive(clear);
        return true;
    });
    return !variable->Derived.IsEmpty();
}

bool SetSketchToDerived(TDataFile& document, TVariableObject& variable) {
    if (variable.Derived.IsEmpty()) return false;
    // Sketches feed the derived series of the elements around.
    return EditDocument(document, efDerive, [&] {
        variable.Sketched.Assign(variable.Derived);
        return true;
    });
}

// ---------------------------------------------------------------------------------------------

TDiagramDrag::TDiagramDrag(TDataFile& document, TDrawObject& grabbed,
                           const std::vector<TDrawObject*>& others, TDrawPoint down)
    : Edit(document, efStructure), Down(down) {
    Objects.push_back(&grabbed);
    for (TDrawObject* object : others)
        if (object && object != &grabbed && !dynamic_cast<TLinkInstance*>(object))
            Objects.push_back(object);
}

void TDiagramDrag::MoveTo(int32_t x, int32_t y, bool ctrl, const std::function<void()>& repaint) {
    if (!Started) {
        for (TDrawObject* object : Objects)
            object->BeginDrag(Down.X, Down.Y);
        Edit.Touch();
        Started = true;
    }
    const bool alternate = Objects.size() == 1 && ctrl;
    for (TDrawObject* object : Objects)
        object->DragTo(x, y, alternate);
    Edit.Document.MarkModified();
    // Pipe ends attach by the bounds just painted.
    if (repaint) repaint();
    Edit.Document.Image().AttachFlowEnds();
}

void TDiagramDrag::Finish() {
    Edit.Finish();
}
