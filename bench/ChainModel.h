// The benches' large model: 300 independent chains of a resource, its rate and its flow
// (900 elements) over 3,000 steps.
#pragma once

#include "document/model/DataFile.h"

#include <memory>
#include <string>

// A new element of the model with its name and equation, for the benches' models.
inline TVariableObject* AddElement(TSimulationObject& model, uint8_t kind, const std::string& name,
                                   const std::string& equation) {
    TVariableObject* element = model.NewElement(kind);
    element->Name = name;
    element->Equation = equation;
    return element;
}

inline std::unique_ptr<TDataFile> ChainModel(int chains = 300) {
    auto document = std::make_unique<TDataFile>();
    TSimulationObject& model = *document->Simulation;
    model.StartTime = 0;
    model.StopTime = 3000;
    model.TimeStep = 1;
    auto add = [&](uint8_t kind, const std::string& name, const std::string& equation) {
        return AddElement(model, kind, name, equation);
    };
    for (int i = 1; i <= chains; ++i) {
        const std::string n = std::to_string(i);
        TVariableObject* s = add(ekResource, "S_" + n, "100");
        TVariableObject* r =
            add(ekVariable, "R_" + n, "0.01 + 0.0001 * " + n + " + S_" + n + " / 1000000");
        TVariableObject* f = add(ekFlow, "F_" + n, "S_" + n + " * R_" + n);
        r->AddDependency(s);
        f->AddDependency(s);
        f->AddDependency(r);
        s->AddDependency(f, true, 0);
    }
    return document;
}
