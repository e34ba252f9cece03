#include "document/model/ElementEdits.h"

#include "document/model/DataFile.h"
#include "document/model/DocumentEdits.h"

#include <vector>

namespace {

// The equations that the rename would change.
std::vector<TVariableObject*> Users(TSimulationObject& model, const std::string& oldIdentifier,
                                    const std::string& newIdentifier) {
    std::vector<TVariableObject*> users;
    if (oldIdentifier.empty() || newIdentifier.empty() || oldIdentifier == newIdentifier)
        return users;
    for (TVariableObject* element : model.Variables)
        if (RenameIdentifier(element->Equation, oldIdentifier, newIdentifier) != element->Equation)
            users.push_back(element);
    return users;
}

} // namespace

bool RenameElementEverywhere(TDataFile& document, const std::string& oldIdentifier,
                             const std::string& newIdentifier) {
    if (Users(*document.Simulation, oldIdentifier, newIdentifier).empty()) return false;
    TDocumentEdit edit(document, efCheck | efDerive);
    return RenameElementEverywhere(edit, oldIdentifier, newIdentifier);
}

bool RenameElementEverywhere(TDocumentEdit& edit, const std::string& oldIdentifier,
                             const std::string& newIdentifier) {
    TSimulationObject& model = *edit.Document.Simulation;
    if (Users(model, oldIdentifier, newIdentifier).empty()) return false;
    edit.Touch();
    edit.Need(efCheck | efDerive);
    model.RenameInEquations(oldIdentifier, newIdentifier);
    return true;
}
