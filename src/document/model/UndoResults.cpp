#include "document/model/UndoResults.h"

#include "document/diagram/DrawingObjects.h"

#include <unordered_map>
#include <utility>

namespace {

template <class T> void ShareList(const TIOTypedList<T>& from, TIOTypedList<T>& to) {
    // A copy holds the same objects in the same order; anything else is left alone.
    if (from.Count() != to.Count()) return;
    for (int32_t i = 0; i < from.Count(); ++i)
        to[i]->Serial = from[i]->Serial;
}

template <class T> std::unordered_map<uint64_t, T*> BySerial(const TIOTypedList<T>& list) {
    std::unordered_map<uint64_t, T*> found;
    for (T* item : list)
        found.emplace(item->Serial, item);
    return found;
}

bool IsKeptRun(const TVariableDataLink& entry) {
    return !entry.Live && entry.Run != 0;
}

// The runs a graph kept since the snapshot, into the snapshot's graph, each after the entry
// it followed; a run of an element the restored model lacks goes with that element.
void KeepRuns(const TGraphInstance& from, TGraphInstance& to,
              const std::unordered_map<uint64_t, TVariableObject*>& elements) {
    const auto present = BySerial(to.Series);
    int32_t at = 0;
    for (TVariableDataLink* entry : from.Series) {
        const auto same = present.find(entry->Serial);
        if (same != present.end()) {
            at = to.Series.IndexOf(same->second) + 1;
            continue;
        }
        if (!IsKeptRun(*entry) || !entry->Var()) continue;
        const auto element = elements.find(entry->Var()->Serial);
        if (element == elements.end()) continue;
        auto kept = std::make_unique<TVariableDataLink>();
        kept->Serial = entry->Serial;
        kept->Owner = &to;
        kept->Variable.SetTarget(element->second);
        kept->SeriesKind = entry->SeriesKind;
        kept->Live = false;
        kept->Run = entry->Run;
        kept->Colour = entry->Colour;
        kept->Visible = entry->Visible;
        kept->OwnSeries.Assign(entry->OwnSeries);
        to.Series.Insert(at++, kept.release());
    }
}

} // namespace

void ShareSerials(const TSimulationObject& model, const TDrawImage& drawing,
                  TSimulationObject& copyModel, TDrawImage& copyDrawing) {
    copyModel.ResetCount = model.ResetCount;
    ShareList(model.Variables, copyModel.Variables);
    ShareList(drawing.Elements, copyDrawing.Elements);
    ShareList(drawing.Links, copyDrawing.Links);
    ShareList(drawing.OutputControls, copyDrawing.OutputControls);
    if (drawing.OutputControls.Count() != copyDrawing.OutputControls.Count()) return;
    for (int32_t i = 0; i < drawing.OutputControls.Count(); ++i) {
        const auto* from =
            dynamic_cast<const TTableGraphOutputInstance*>(drawing.OutputControls[i]);
        auto* to = dynamic_cast<TTableGraphOutputInstance*>(copyDrawing.OutputControls[i]);
        if (from && to) ShareList(from->Series, to->Series);
    }
}

void KeepResultsAcrossUndo(TSimulationObject& replacedModel, const TDrawImage& replacedDrawing,
                           TSimulationObject& model, TDrawImage& drawing) {
    // The series shown are always the model in use's: no edit changes them, and a snapshot
    // taken while a run had started holds none. An element that Undo brings back keeps what
    // the snapshot has of it only while no reset (no run) has happened since; else it was not
    // in the run shown.
    const bool runSince = replacedModel.ResetCount != model.ResetCount;
    const auto replaced = BySerial(replacedModel.Variables);
    for (TVariableObject* element : model.Variables) {
        const auto same = replaced.find(element->Serial);
        if (same != replaced.end())
            std::swap(element->Simulated.Points, same->second->Simulated.Points);
        else if (runSince)
            element->Simulated.Clear();
    }
    model.ResetCount = replacedModel.ResetCount;

    const auto elements = BySerial(model.Variables);
    std::unordered_map<uint64_t, TGraphInstance*> graphs;
    for (TOutputControlInstance* control : drawing.OutputControls)
        if (auto* graph = dynamic_cast<TGraphInstance*>(control))
            graphs.emplace(graph->Serial, graph);
    for (TOutputControlInstance* control : replacedDrawing.OutputControls) {
        const auto* from = dynamic_cast<const TGraphInstance*>(control);
        if (!from) continue;
        const auto to = graphs.find(from->Serial);
        if (to != graphs.end()) KeepRuns(*from, *to->second, elements);
    }
}
