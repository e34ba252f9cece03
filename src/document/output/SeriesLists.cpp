#include "document/output/SeriesLists.h"

#include "core/model/SimulationObjects.h"
#include "document/output/SeriesColours.h"

#include <algorithm>
#include <memory>

std::string SeriesKindName(uint8_t kind) {
    return kind <= skSimulated ? SeriesKindNames[kind] : "";
}

std::string SeriesEntryName(const TVariableDataLink& entry) {
    std::string name = entry.Var() ? entry.Var()->Name : std::string();
    if (entry.Run > 0) name += " [" + std::to_string(entry.Run) + "]";
    return name;
}

std::array<std::string, 5> GraphSeriesRow(const TVariableDataLink& entry) {
    return {SeriesEntryName(entry), SeriesKindName(entry.SeriesKind), ColourName(entry.Colour),
            entry.Run == 0 ? "Yes" : "No", entry.Visible ? "Yes" : "No"};
}

std::vector<uint8_t> DataKindChoices(uint8_t elementKind, uint8_t currentKind) {
    std::vector<uint8_t> kinds = {skSimulated, skSketched};
    if (elementKind == ekResource || elementKind == ekFlow) kinds.push_back(skDerived);
    if (currentKind <= skSimulated &&
        std::find(kinds.begin(), kinds.end(), currentKind) == kinds.end())
        kinds.push_back(currentKind);
    return kinds;
}

int32_t ClampSelection(int32_t selected, int32_t count) {
    if (selected < 0 || count <= 0) return -1;
    return std::min(selected, count - 1);
}

TVariableDataLink& AppendSeriesEntry(TTableGraphOutputInstance& control, TVariableObject& element,
                                     int32_t colour) {
    auto entry = std::make_unique<TVariableDataLink>();
    entry->Owner = &control;
    entry->Variable.SetTarget(&element);
    entry->Colour = colour;
    TVariableDataLink& added = *entry;
    control.Series.AddItem(std::move(entry));
    return added;
}

int32_t NextGraphColour(const TGraphInstance& graph) {
    std::vector<int32_t> colours;
    for (const TVariableDataLink* entry : graph.Series)
        colours.push_back(entry->Colour);
    return NewSeriesColour(colours);
}

bool DeleteSeriesEntry(TTableGraphOutputInstance& control, int32_t index) {
    if (index < 0 || index >= control.Series.Count()) return false;
    control.Series.Delete(index);
    return true;
}

int32_t MoveSeriesEntry(TTableGraphOutputInstance& control, int32_t index, int32_t delta) {
    const int32_t target = index + delta;
    if (index < 0 || index >= control.Series.Count() || target < 0 ||
        target >= control.Series.Count() || delta == 0)
        return -1;
    control.Series.Move(index, target);
    return target;
}

bool ColumnWidthsShort(const TTableInstance& table) {
    return table.ColumnCount() < table.Series.Count();
}

void PadColumnWidths(TTableInstance& table) {
    if (ColumnWidthsShort(table))
        table.ColumnWidths.resize(static_cast<size_t>(table.Series.Count()), 0);
}

TVariableDataLink& AppendTableEntry(TTableInstance& table, TVariableObject& element) {
    PadColumnWidths(table);
    TVariableDataLink& added = AppendSeriesEntry(table, element, 0);
    // The new entry's width goes at its own index, past any widths left by deleted entries.
    table.ColumnWidths.resize(static_cast<size_t>(table.Series.Count()) - 1);
    table.AddColumn();
    return added;
}

bool DeleteTableEntry(TTableInstance& table, int32_t index) {
    PadColumnWidths(table);
    if (!DeleteSeriesEntry(table, index)) return false;
    table.DeleteColumn(index);
    return true;
}

int32_t MoveTableEntry(TTableInstance& table, int32_t index, int32_t delta) {
    PadColumnWidths(table);
    const int32_t moved = MoveSeriesEntry(table, index, delta);
    if (moved >= 0) table.SwapColumns(index, moved);
    return moved;
}

int32_t HistoryCount(const TGraphInstance& graph, const TVariableObject* element) {
    int32_t count = 0;
    for (const TVariableDataLink* entry : graph.Series)
        if (entry->Var() == element && entry->Run > 0) ++count;
    return count;
}

int32_t ClearHistories(TGraphInstance& graph, const TVariableObject* element) {
    int32_t removed = 0;
    for (int32_t i = graph.Series.Count() - 1; i >= 0; --i) {
        if (graph.Series[i]->Var() != element || graph.Series[i]->Run <= 0) continue;
        graph.Series.Delete(i);
        ++removed;
    }
    return removed;
}

namespace {
int32_t RunAfter(const TVariableDataLink& entry, bool history) {
    if (entry.Run > 0 || history == (entry.Run == 0)) return entry.Run;
    return history ? 0 : -1;
}
} // namespace

bool SeriesEntryChanges(const TVariableDataLink& entry, const TSeriesEntryChoice& choice) {
    return entry.SeriesKind != choice.Kind ||
           entry.Colour != choice.Colour.value_or(entry.Colour) ||
           entry.Run != RunAfter(entry, choice.History) || entry.Visible != choice.Visible;
}

void ApplySeriesEntryChoice(TVariableDataLink& entry, const TSeriesEntryChoice& choice) {
    entry.SeriesKind = choice.Kind;
    entry.Colour = choice.Colour.value_or(entry.Colour);
    entry.Run = RunAfter(entry, choice.History);
    entry.Visible = choice.Visible;
}
