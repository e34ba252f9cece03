// STUB: replaced by the model elements work.
#include "model/SimulationObjects.h"

const char* const ElementKindNames[4] = {"Constant", "Variable", "Resource", "Flow"};
const char* const SeriesKindNames[3] = {"Sketched", "Derived", "Simulated"};
TSimulationObject* CurrentSimulation = nullptr;
TSimulationObject* RunningSimulation = nullptr;

TVariableObject* TVariableLink::GetTarget() const { return static_cast<TVariableObject*>(Target); }

void TDependency::Save(TFileObject& file) { TIOListObject::Save(file); }
void TDependency::Load(TFileObject&) {}

TVariableObject::TVariableObject() = default;
TVariableObject::~TVariableObject() = default;
void TVariableObject::Save(TFileObject& file) { TIOListObject::Save(file); }
void TVariableObject::Load(TFileObject&) {}
std::string TVariableObject::Identifier() const { return Name; }
TSimulationObject* TVariableObject::Simulation() const {
    return static_cast<TSimulationObject*>(Owner);
}
void TVariableObject::RemoveDependency(TVariableObject*, bool) {}

TTimeSettingsResult CheckTimeSettings(const TTimeSettingsEntry&) { return {}; }

TSimulationObject::TSimulationObject() { CurrentSimulation = this; }
TSimulationObject::~TSimulationObject() {
    CurrentSimulation = nullptr;
}
void TSimulationObject::Save(TFileObject& file) { TIOObject::Save(file); }
void TSimulationObject::Load(TFileObject&) {}
void TSimulationObject::CopyFrom(TSimulationObject&) {}
void TSimulationObject::ApplyTimeSettings(const TTimeSettingsValues&) {}
TVariableObject* TSimulationObject::NewElement(uint8_t) { return nullptr; }
void TSimulationObject::RenameInEquations(const std::string&, const std::string&) {}
TVariableObject* TSimulationObject::FindByIdentifier(const std::string&) const { return nullptr; }
std::string RenameIdentifier(const std::string& text, const std::string&, const std::string&) {
    return text;
}
