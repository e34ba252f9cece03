#pragma once
// A table control on a drawing with its model, for the table painter and grid tests.

#include "document/diagram/DiagramFixture.h"

#include "document/output/TableDrawing.h"

#include <memory>
#include <string>

struct TTableFixture {
    TDiagramFixture Diagram;
    TTableInstance* Table = nullptr;

    TTableFixture() {
        Table =
            static_cast<TTableInstance*>(Diagram.Image.AddOutputControl(0, 0, occTable, 300, 200));
        Model().StartTime = 0;
        Model().TimeStep = 1;
        Model().CurrentTime = 0;
    }

    TSimulationObject& Model() { return Diagram.Model; }

    // A new element and an entry for it; width < 0 leaves its column width unstored.
    TVariableDataLink* AddEntry(const std::string& name, uint8_t kind = skSimulated,
                                int32_t width = 60) {
        TVariableObject* variable = Diagram.Variable(ekVariable, name);
        return AddEntryFor(variable, kind, width);
    }

    TVariableDataLink* AddEntryFor(TVariableObject* variable, uint8_t kind, int32_t width) {
        auto entry = std::make_unique<TVariableDataLink>();
        entry->Variable.SetTarget(variable);
        entry->SeriesKind = kind;
        TVariableDataLink* added = entry.get();
        Table->Series.AddItem(std::move(entry));
        if (width >= 0) Table->ColumnWidths.push_back(width);
        return added;
    }

    // The run stands at time with the given grid; rows every interval steps.
    void RunTo(double start, double step, int32_t interval, double time) {
        Model().StartTime = start;
        Model().TimeStep = step;
        Model().CurrentTime = time;
        Table->Interval = interval;
    }
};
