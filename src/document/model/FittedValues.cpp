#include "document/model/FittedValues.h"

#include "core/analysis/Calibration.h"
#include "core/support/CsvText.h"
#include "document/model/DataFile.h"
#include "document/model/DocumentEdits.h"

#include <cmath>

std::string FittedValueText(double value) {
    return ShortestFloatText(value);
}

bool ApplyFittedValues(TDataFile& document, const TCalibrationPlan& plan,
                       const std::vector<double>& values) {
    TSimulationObject& model = *document.Simulation;
    if (values.size() != plan.Parameters()) return false;
    std::vector<TVariableObject*> elements;
    for (size_t i = 0; i < plan.Parameters(); ++i) {
        // The plan was made from this model; an element renamed or deleted since refuses.
        TVariableObject* element = FindElement(model, plan.Names[i]);
        if (!element || !CanVary(*element) || !std::isfinite(values[i])) return false;
        elements.push_back(element);
    }
    bool changes = false;
    for (size_t i = 0; i < elements.size(); ++i)
        changes = changes || elements[i]->Equation != FittedValueText(values[i]);
    if (!changes) return false;
    return EditDocument(document, efCheck, [&] {
        for (size_t i = 0; i < elements.size(); ++i) {
            TVariableObject& element = *elements[i];
            // As Element Set-Up stores a plain number typed as the equation.
            element.Equation = FittedValueText(values[i]);
            element.InitialValue = values[i];
            element.Value = values[i];
            element.ExchangeTree(nullptr);
            element.Parsed = false;
            element.HasErrors = false;
        }
        return true;
    });
}
