#include "document/model/ElementEdits.h"

#include "document/model/DataFile.h"
#include "document/model/DocumentEdits.h"

namespace {

// Whether the rename changes any equation or the analysis set-up.
bool HasUsers(const TSimulationObject& model, const std::string& oldIdentifier,
              const std::string& newIdentifier) {
    if (oldIdentifier.empty() || newIdentifier.empty() || oldIdentifier == newIdentifier)
        return false;
    for (TVariableObject* element : model.Variables)
        if (RenameIdentifier(element->Equation, oldIdentifier, newIdentifier) != element->Equation)
            return true;
    TSensitivitySetUp renamed = model.Sensitivity;
    renamed.RenameElement(oldIdentifier, newIdentifier);
    return renamed != model.Sensitivity;
}

} // namespace

bool RenameElementEverywhere(TDataFile& document, const std::string& oldIdentifier,
                             const std::string& newIdentifier) {
    if (!HasUsers(*document.Simulation, oldIdentifier, newIdentifier)) return false;
    TDocumentEdit edit(document, efCheck | efDerive);
    return RenameElementEverywhere(edit, oldIdentifier, newIdentifier);
}

bool RenameElementEverywhere(TDocumentEdit& edit, const std::string& oldIdentifier,
                             const std::string& newIdentifier) {
    TSimulationObject& model = *edit.Document.Simulation;
    if (!HasUsers(model, oldIdentifier, newIdentifier)) return false;
    edit.Touch();
    edit.Need(efCheck | efDerive);
    model.RenameInEquations(oldIdentifier, newIdentifier);
    return true;
}
