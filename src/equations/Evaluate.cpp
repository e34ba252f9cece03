// STUB: replaced by the evaluation work.
#include "equations/EquationObjects.h"
#include "equations/Financial.h"
#include "model/SimulationObjects.h"

bool EvaluationErrorFlag = false;
std::string EvaluationErrorText;
uint32_t RandomSeed = 0;

double NextRandom() {
    RandomSeed = RandomSeed * 134775813u + 1u;
    return RandomSeed / 4294967296.0;
}

void TEquationElement::Save(TFileObject& file) {
    TIOListObject::Save(file);
    file.WriteInteger(ElementKind());
}

double TEquationElement::EvaluateNumber() {
    TEquationValue v;
    Evaluate(v);
    return v.Kind == evkBoolean ? (v.BoolValue ? 1 : 0) : v.Number;
}

bool TEquationElement::EvaluateCondition() {
    TEquationValue v;
    Evaluate(v);
    return v.Kind == evkBoolean ? v.BoolValue : !(v.Number <= 1e-10 && v.Number >= -1e-10);
}

void TEquationConstant::Evaluate(TEquationValue& value) { value = Value; }

bool TEquationVariableReference::CheckDependencies() { return false; }
void TEquationVariableReference::Evaluate(TEquationValue& value) {
    value.Kind = evkNumber;
    value.Number = 0;
}

TEquationFunction::TEquationFunction(TFunctionIndex index) : FunctionIndex(index) {}
TEquationFunction::~TEquationFunction() = default;
TEquationValueKind TEquationFunction::ResultKind() const { return evkNumber; }
bool TEquationFunction::CheckDependencies() { return true; }
void TEquationFunction::Evaluate(TEquationValue& value) {
    value.Kind = evkNumber;
    value.Number = 0;
}
void TEquationFunction::RewindTo(double) {}
void TEquationFunction::ResetRun() { ErrorReported = false; }
void TEquationFunction::RecordStep() {}
