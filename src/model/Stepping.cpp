// STUB: replaced by the stepping work.
#include "model/SimulationObjects.h"

std::vector<TVariableObject*> EvaluationPath;
std::vector<std::string> ErrorList;

void TVariableObject::Reset() {}
void TVariableObject::Evaluate() { Computed = true; }
void TVariableObject::Integrate() {}
void TVariableObject::RestoreTo(double) {}
void TVariableObject::AfterStep() {}
bool TVariableObject::Visit() { return true; }
void TVariableObject::Derive(bool) {}

bool TSimulationObject::CheckModel() { return true; }
void TSimulationObject::Step() {}
void TSimulationObject::ComputeStep() {}
void TSimulationObject::Reset() {}
bool TSimulationObject::IsFinished() const { return false; }
void TSimulationObject::StepBackTo(double) {}
void TSimulationObject::RefreshDerived() {}
