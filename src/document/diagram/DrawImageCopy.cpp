// Structure copies of the drawing (undo snapshots and the structure buffer), pasting
// with renaming, and keeping a finished run for comparison.
#include "core/support/Text.h"
#include "document/diagram/DrawingObjects.h"

#include "core/support/NumberFormat.h"

#include <algorithm>
#include <cctype>

namespace {

// Objects of a list with whether their counterpart (same index) in another list is selected.
template <class T>
std::vector<std::pair<T*, bool>> PairWithSelection(const TIOTypedList<T>& targets,
                                                   const TIOTypedList<T>& sources) {
    std::vector<std::pair<T*, bool>> pairs;
    for (int32_t i = 0; i < targets.Count() && i < sources.Count(); ++i)
        pairs.emplace_back(targets[i], sources[i]->Selected);
    return pairs;
}

} // namespace

void TDrawImage::CopyInto(TDrawImage& target, bool keepAll) {
    target.Owner = Owner;
    target.Zoom = Zoom;
    target.Scale = Scale;
    target.ScrollX = ScrollX;
    target.ScrollY = ScrollY;
    target.Surface = Surface;
    target.Extent = Extent;
    target.VisibleArea = VisibleArea;
    target.Links.Clear();
    target.Elements.Clear();
    target.OutputControls.Clear();
    target.GroupSelection = false;

    FileObject.OpenForCopy();
    Save(FileObject);
    FileObject.EndLine();
    FileObject.RewindForRead();
    target.Load(FileObject);
    FileObject.CloseCopy();
    GlobalLinkManager.ResolveAll();
    if (keepAll) return;

    // Removing one object can remove others (clones, links): pair them up first and skip
    // those already gone.
    auto links = PairWithSelection(target.Links, Links);
    auto elements = PairWithSelection(target.Elements, Elements);
    auto controls = PairWithSelection(target.OutputControls, OutputControls);
    for (auto it = links.rbegin(); it != links.rend(); ++it)
        if (!it->second && target.Links.IndexOf(it->first) >= 0) target.RemoveObject(it->first);
    for (auto it = elements.rbegin(); it != elements.rend(); ++it)
        if (!it->second && target.Elements.IndexOf(it->first) >= 0) target.RemoveObject(it->first);
    for (auto it = controls.rbegin(); it != controls.rend(); ++it)
        if (!it->second) target.RemoveObject(it->first);
}

void TDrawImage::CutInto(TDrawImage& target) {
    CopyInto(target, false);
    auto removeSelected = [this](const auto& list) {
        std::vector<TDrawObject*> selected;
        for (auto* object : list)
            if (object->Selected) selected.push_back(object);
        for (auto it = selected.rbegin(); it != selected.rend(); ++it)
            if (list.IndexOf(static_cast<const TIOListObject*>(*it)) >= 0) RemoveObject(*it);
    };
    removeSelected(Links);
    removeSelected(Elements);
    removeSelected(OutputControls);
    GroupSelection = false;
}

// ---------------------------------------------------------------------------------------------
// Paste

namespace {

std::string Underscored(std::string text) {
    std::replace(text.begin(), text.end(), ' ', '_');
    return text;
}

// The same identifier as one of the variables, or of the first count of the list.
bool IdentifierTaken(const std::string& identifier, const TVariableList& list, int32_t count) {
    for (int32_t i = 0; i < count && i < list.Count(); ++i)
        if (SameIdentifier(list[i]->Identifier(), identifier)) return true;
    return false;
}

} // namespace

void TDrawImage::PasteFrom(TSimulationObject& sourceModel, TDrawImage& sourceDrawing) {
    TSimulationObject* savedCurrent = CurrentSimulation;
    TSimulationObject* targetModel = Model ? Model : CurrentSimulation;
    if (!targetModel) return;
    TVariableList* variables = &targetModel->Variables;
    {
        TSimulationObject model;
        TDrawImage drawing;
        model.CopyFrom(sourceModel);
        drawing.Model = &model;
        sourceDrawing.CopyInto(drawing, true);

        // Names: trimmed, and made unique against earlier pasted and existing elements.
        const int32_t count = model.Variables.Count();
        std::vector<std::string> oldIdentifiers(static_cast<size_t>(count));
        for (int32_t i = 0; i < count; ++i) {
            TVariableObject* v = model.Variables[i];
            const std::string old = v->Name;
            v->Name = Trim(v->Name);
            auto taken = [&](const std::string& identifier) {
                return IdentifierTaken(identifier, model.Variables, i) ||
                       IdentifierTaken(identifier, *variables, variables->Count());
            };
            if (taken(v->Identifier())) {
                // The stem is taken from the trimmed name so that no blank survives at
                // either end of the new name.
                size_t digits = v->Name.size();
                while (digits > 0 && std::isdigit(static_cast<unsigned char>(v->Name[digits - 1])))
                    --digits;
                const std::string stem = v->Name.substr(0, digits);
                const std::string number = v->Name.substr(digits);
                int64_t n = 1;
                // A run of digits too long for a number counts as part of the stem.
                const bool numeric = !number.empty() && number.size() <= 15;
                const std::string base = numeric || number.empty() ? stem : v->Name;
                if (numeric) n = std::stoll(number);
                std::string candidate;
                do {
                    ++n;
                    candidate = base + IntToStr(n);
                } while (taken(Underscored(candidate)));
                v->Name = candidate;
            }
            oldIdentifiers[static_cast<size_t>(i)] = Underscored(old);
        }
        for (int32_t i = count - 1; i >= 0; --i) {
            const std::string& old = oldIdentifiers[static_cast<size_t>(i)];
            const std::string renamed = model.Variables[i]->Identifier();
            if (old != renamed) model.RenameInEquations(old, renamed);
        }

        // Placement: the pasted layout's top-left lands just inside the visible area.
        int32_t mx = drawing.Extent.Right, my = drawing.Extent.Bottom;
        for (TVariableInstance* element : drawing.Elements) {
            mx = std::min(mx, element->Position.X);
            my = std::min(my, element->Position.Y);
        }
        mx -= 40;
        my -= 40;
        for (TOutputControlInstance* control : drawing.OutputControls) {
            mx = std::min(mx, control->Frame.Left);
            my = std::min(my, control->Frame.Top);
        }
        const int32_t dx = VisibleArea.Left - mx + 20, dy = VisibleArea.Top - my + 20;
        for (TVariableInstance* element : drawing.Elements) {
            element->Position = element->Position + TDrawPoint{dx, dy};
            element->Drawn = false;
            element->BoundsValid = false;
        }
        for (TOutputControlInstance* control : drawing.OutputControls) {
            control->Frame = control->Frame.Moved(dx, dy);
            control->Drawn = false;
            control->BoundsValid = false;
        }
        for (TLinkInstance* link : drawing.Links)
            link->InvalidateBounds();

        // Everything moves over, in order.
        while (!model.Variables.IsEmpty()) {
            TIOListObject* v = model.Variables.Extract(model.Variables[0]);
            v->Owner = targetModel;
            variables->AddItem(v);
        }
        auto moveAll = [this](auto& from, auto& to) {
            while (!from.IsEmpty()) {
                auto* object = from[0];
                from.Extract(object);
                object->Owner = this;
                object->Selected = true;
                to.AddItem(object);
            }
        };
        moveAll(drawing.Elements, Elements);
        moveAll(drawing.Links, Links);
        moveAll(drawing.OutputControls, OutputControls);
    }
    // The temporary model made itself current while it lived.
    CurrentSimulation = savedCurrent;
}

// ---------------------------------------------------------------------------------------------
// Kept runs

void TDrawImage::KeepRunForComparison() {
    int32_t m = 0;
    for (TOutputControlInstance* control : OutputControls)
        if (auto* graph = dynamic_cast<TGraphInstance*>(control))
            for (TVariableDataLink* entry : graph->Series)
                m = std::max(m, entry->Run);
    const int32_t run = m + 1;
    for (TOutputControlInstance* control : OutputControls) {
        auto* graph = dynamic_cast<TGraphInstance*>(control);
        if (!graph) continue;
        for (int32_t i = graph->Series.Count() - 1; i >= 0; --i) {
            TVariableDataLink* entry = graph->Series[i];
            if (!entry->Live || entry->Run != 0) continue;
            auto kept = std::make_unique<TVariableDataLink>();
            kept->Owner = graph;
            kept->Variable.SetTarget(entry->Var());
            kept->SeriesKind = entry->SeriesKind;
            kept->Live = false;
            kept->Run = run;
            kept->Colour = ComparisonColour(run);
            kept->Visible = true;
            if (const TDataSeries* data = entry->DataSeries()) kept->OwnSeries.Assign(*data);
            graph->Series.Insert(i + 1, kept.release());
        }
    }
}
