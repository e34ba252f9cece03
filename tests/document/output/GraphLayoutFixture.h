#pragma once
// A model with a graph control whose entries show its elements; TPicture (in the pixel kit)
// is the white picture to paint the graph's parts into.

#include "support/ModelBuilder.h"
#include "support/PixelKit.h"

#include "document/diagram/DrawingObjects.h"
#include "document/output/GraphCanvas.h"
#include "document/output/GraphDrawing.h"

#include <initializer_list>
#include <memory>
#include <string>

struct TGraphLayoutFixture {
    TModelBuilder Build;
    TSimulationObject& Model = Build.Sim;
    TGraphInstance Graph;

    // An element whose Simulated series holds values at times 0, 1, 2, ...
    TVariableObject* Element(const std::string& name, std::initializer_list<double> values = {}) {
        TVariableObject& element = Build.Variable(name);
        TModelBuilder::Simulated(element, values);
        return &element;
    }

    TVariableDataLink* Entry(TVariableObject* element, uint8_t kind = skSimulated, int32_t run = -1,
                             bool visible = true, int32_t colour = 0x0000FF) {
        auto entry = std::make_unique<TVariableDataLink>();
        entry->Variable.SetTarget(element);
        entry->SeriesKind = kind;
        entry->Run = run;
        entry->Visible = visible;
        entry->Colour = colour;
        TVariableDataLink* added = entry.get();
        Graph.Series.AddItem(std::move(entry));
        return added;
    }
};
