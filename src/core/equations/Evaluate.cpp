// The element tree's run life: reports, references, dependencies, and the state that
// DELAY, INIT, PREVIOUS, HISTORY, TREND and the financial functions keep across the steps of
// a run.
#include "core/equations/EquationObjects.h"
#include "core/equations/Financial.h"
#include "core/model/SimulationObjects.h"
#include "core/support/NumberFormat.h"

#include <algorithm>

thread_local constinit bool EvaluationErrorFlag = false;
thread_local std::string EvaluationErrorText;
uint32_t RandomSeed = 0;

double NextRandom() {
    TSimulationObject* running = RunningSimulation;
    if (running && running->OwnRandom) return NextRandomFrom(running->OwnRandomSeed);
    return NextRandomFrom(RandomSeed);
}

void TEquationElement::Save(TFileObject& file) {
    TIOListObject::Save(file);
    file.WriteInteger(ElementKind());
}

double TEquationElement::EvaluateNumber() {
    TEquationValue v;
    Evaluate(v);
    if (v.Kind == evkBoolean) return v.BoolValue ? 1 : 0;
    return v.Number;
}

bool TEquationElement::EvaluateCondition() {
    TEquationValue v;
    Evaluate(v);
    if (v.Kind == evkBoolean) return v.BoolValue;
    return !IsZero(v.Number);
}

void TEquationElement::ReportError(const char* message) {
    if (ErrorReported) return;
    ErrorReported = true;
    EvaluationErrorFlag = true;
    EvaluationErrorText = message;
}

void TEquationConstant::Evaluate(TEquationValue& value) {
    value = Value;
}

double TEquationConstant::EvaluateNumber() {
    if (Value.Kind == evkBoolean) return Value.BoolValue ? 1 : 0;
    return Value.Number;
}

bool TEquationConstant::EvaluateCondition() {
    if (Value.Kind == evkBoolean) return Value.BoolValue;
    return !IsZero(Value.Number);
}

bool TEquationVariableReference::CheckDependencies() {
    TVariableObject* target = Variable.GetTarget();
    return target && target->Visit();
}

void TEquationVariableReference::Evaluate(TEquationValue& value) {
    value.Kind = evkNumber;
    value.Number = EvaluateNumber();
}

double TEquationVariableReference::EvaluateNumber() {
    TVariableObject* target = Variable.GetTarget();
    return target ? target->GetValue() : 0;
}

bool TEquationVariableReference::EvaluateCondition() {
    return !IsZero(EvaluateNumber());
}

TEquationFunction::TEquationFunction(TFunctionIndex index) : FunctionIndex(index) {}

TEquationFunction::~TEquationFunction() = default;

TEquationValueKind TEquationFunction::ResultKind() const {
    if (FunctionIndex >= FunctionCount) return evkNumber;
    return FunctionList[FunctionIndex].ResultKind;
}

bool TEquationFunction::CheckDependencies() {
    int32_t first = 0;
    int32_t last = ParamCount();
    switch (FunctionIndex) {
    case sgvPI:
    case sgvTRUE:
    case sgvFALSE:
    case sgvTIME:
    case sgvSTARTTIME:
    case sgvSTOPTIME:
    case sgvTIMESTEP:
    case sgvTODAY:
        return true;
    // The table is constant; only the index expression depends on other elements.
    case sgvGRAPH:
        last = std::min(last, 1);
        break;
    // With an initial value the delayed input is not needed at the start, so a delay can
    // break a feedback loop.
    case sgvDELAY:
        if (last >= 3) first = 1;
        break;
    // Only the initial value is needed before the input is known: PREVIOUS breaks a loop.
    case sgvPREVIOUS:
        first = 1;
        break;
    default:
        break;
    }
    for (int32_t i = first; i < last; ++i) {
        TEquationElement* p = Param(i);
        if (p && !p->CheckDependencies()) return false;
    }
    return true;
}

void TEquationFunction::RewindTo(double offset) {
    // Histories hold absolute times; offset is relative to the start time.
    const TSimulationObject* sim = CurrentSimulation;
    const double time = (sim ? sim->StartTime : 0) + offset;
    if (KeepsHistory() && Table) {
        // Every point after the restored time goes, so the replayed steps are recorded afresh.
        auto& points = Table->Points;
        auto keep = std::find_if(points.begin(), points.end(), [time](const TDataPoint& p) {
            return p.Time > time + FloatTolerance;
        });
        points.erase(keep, points.end());
    } else if (Financial && Financial->Function == FunctionIndex) {
        Financial->RewindTo(time);
    }
    for (TEquationElement* p : Parameters)
        p->RewindTo(offset);
}

void TEquationFunction::ResetRun() {
    ErrorReported = false;
    StepDraw = 0;
    switch (FunctionIndex) {
    case sgvDELAY:
        if (Table)
            Table->Clear();
        else
            Table = std::make_unique<TDataSeries>();
        if (CurrentSimulation) Table->Points.reserve(CurrentSimulation->TakeReservation());
        DelayPlace = 0;
        DelayTimeNaN = false;
        break;
    case sgvINIT:
    case sgvPREVIOUS:
    case sgvHISTORY:
    case sgvTREND:
        if (Table)
            Table->Clear();
        else
            Table = std::make_unique<TDataSeries>();
        // INIT keeps one point; the others one per step, as DELAY.
        if (CurrentSimulation && FunctionIndex != sgvINIT)
            Table->Points.reserve(CurrentSimulation->TakeReservation());
        break;
    case sgvNPV:
    case sgvFV:
    case sgvPV:
        if (Financial && Financial->Function == FunctionIndex)
            Financial->Reset();
        else
            Financial = NewFinancialData(FunctionIndex);
        break;
    default:
        break;
    }
    for (TEquationElement* p : Parameters)
        p->ResetRun();
}

void TEquationFunction::RecordStep() {
    const TSimulationObject* sim = CurrentSimulation;
    const double time = sim ? sim->CurrentTime : 0;
    if (FunctionIndex == sgvDELAY) {
        if (!Table) Table = std::make_unique<TDataSeries>();
        const double input = ParamNumber(0);
        AddDelayPoint(time, input);
    } else if (KeepsHistory()) {
        RecordRecalled(time);
    } else if (Financial && Financial->Function == FunctionIndex) {
        Financial->Record(time);
    }
    for (TEquationElement* p : Parameters)
        p->RecordStep();
}
