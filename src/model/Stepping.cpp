// The model check (parse errors, unused links, circular definitions, calculation order)
// and the Euler time stepping of a run: reset, one step, step back.
#include "model/SimulationObjects.h"
#include "support/Notifier.h"
#include "support/NumberFormat.h"

#include <cmath>
#include <utility>

std::vector<TVariableObject*> EvaluationPath;
std::vector<std::string> ErrorList;

namespace {

// Next calculation order number handed out by Visit.
int32_t OrderCounter = 1;

bool IsBlank(const std::string& text) {
    for (char c : text)
        if (static_cast<unsigned char>(c) > ' ') return false;
    return true;
}

// The run whose clock a sketch-driven element reads. The owner is the running object
// whenever a run computes this element; it is preferred because it cannot dangle.
const TSimulationObject* RunClock(const TVariableObject& element) {
    if (const TSimulationObject* s = element.Simulation()) return s;
    return RunningSimulation;
}

double RelativeRunTime(const TVariableObject& element) {
    const TSimulationObject* s = RunClock(element);
    return s ? s->CurrentTime - s->StartTime : 0;
}

// Whether adding the time step moves the clock forward at all; a zero, negative or
// non-finite step (or one lost in the clock's precision) would make a run endless.
bool CanAdvance(double currentTime, double timeStep) {
    return std::isfinite(timeStep) && timeStep > 0 && std::isfinite(currentTime) &&
           currentTime + timeStep > currentTime;
}

// Evaluation reports through one process-wide flag. An element evaluated on demand
// inside another's evaluation must neither lose the outer element's pending report
// nor have its own failure reported a second time under the outer element's name.
class TErrorScope {
public:
    TErrorScope() : OuterFlag(EvaluationErrorFlag) {
        if (OuterFlag) OuterText.swap(EvaluationErrorText);
        EvaluationErrorFlag = false;
    }
    ~TErrorScope() {
        EvaluationErrorFlag = OuterFlag;
        if (OuterFlag) EvaluationErrorText.swap(OuterText);
    }
    TErrorScope(const TErrorScope&) = delete;
    TErrorScope& operator=(const TErrorScope&) = delete;

    void ReportFor(const std::string& name) const {
        if (EvaluationErrorFlag)
            Notifier().EvaluationWarning("Error in " + name + ": " + EvaluationErrorText);
    }

private:
    bool OuterFlag;
    std::string OuterText;
};

} // namespace

void TVariableObject::Reset() {
    Value = InitialValue;
    Computed = true;
    DrivenBySketch = IsBlank(Equation) && !Sketched.IsEmpty();
    if (Root) Root->ResetRun();
}

void TVariableObject::Evaluate() {
    if (Computed) return;
    // Marked first: should a circular definition reach a run unchecked, the second
    // visit reads the previous value instead of recursing until the stack runs out.
    Computed = true;
    TErrorScope errors;
    if (Root)
        Value = Root->EvaluateNumber();
    else if (DrivenBySketch)
        Value = Sketched.ValueAt(RelativeRunTime(*this));
    errors.ReportFor(Name);
}

void TVariableObject::Integrate() {
    if (Kind != ekResource) return;
    double sum = 0;
    bool hasFlow = false;
    for (TDependency* d : Dependencies) {
        if (!d->IsFlow) continue;
        const TVariableObject* flow = d->Source.GetTarget();
        if (!flow) continue; // a broken connection carries nothing
        hasFlow = true;
        // The flows still hold the values of the previous step: Euler integration.
        sum += d->Direction == 0 ? flow->Value : -flow->Value;
    }
    if (hasFlow || !DrivenBySketch) {
        const TSimulationObject* s = Simulation() ? Simulation() : RunningSimulation;
        if (s) Value += s->TimeStep * sum;
    } else {
        Value = Sketched.ValueAt(RelativeRunTime(*this));
    }
    Computed = true;
}

void TVariableObject::RestoreTo(double time) {
    Value = Simulated.ValueAt(time);
    if (Root) Root->RewindTo(time);
    Simulated.TruncateAfter(time);
}

void TVariableObject::AfterStep() {
    if (!Root) return;
    // A delay evaluates its input here; a failure there is reported like any other.
    TErrorScope errors;
    Root->RecordStep();
    errors.ReportFor(Name);
}

bool TVariableObject::Visit() {
    if (Visited) return true;
    if (Visiting) {
        size_t p = 0;
        while (p < EvaluationPath.size() && EvaluationPath[p] != this)
            ++p;
        std::string through;
        for (size_t i = EvaluationPath.size(); i-- > p + 1;)
            through += "->" + EvaluationPath[i]->Name;
        ErrorList.push_back(Name + " has a circularity error through: " + through);
        return false;
    }
    Visiting = true;
    EvaluationPath.push_back(this);
    const bool result = Root ? Root->CheckDependencies() : true;
    EvaluationPath.pop_back();
    Visited = true;
    Order = OrderCounter++;
    return result;
}

bool TSimulationObject::CheckModel() {
    ErrorList.clear();
    bool ok = true;
    for (TVariableObject* v : Variables)
        if (!v->Parsed || v->HasErrors)
            if (!v->CompileEquation()) ok = false;

    for (TVariableObject* v : Variables) {
        if (v->HasErrors) {
            ok = false;
            ErrorList.push_back(v->Name + " has equation errors");
            continue;
        }
        for (TDependency* d : v->Dependencies) {
            if (d->IsInformationLink() && !d->Used) {
                ok = false;
                ErrorList.push_back(v->Name +
                                    " has links which have not been used in the variable's "
                                    "equation");
            }
        }
    }

    if (ok) {
        OrderCounter = 1;
        EvaluationPath.clear();
        for (TVariableObject* v : Variables) {
            v->Visiting = false;
            v->Visited = false;
        }
        for (TVariableObject* v : Variables)
            if (!v->Visited && !v->Visit()) ok = false;
        EvaluationPath.clear();
    }

    if (!ok) {
        int32_t position = 1;
        for (TVariableObject* v : Variables)
            v->Order = position++;
    }
    Notifier().ModelCheckMessages(ErrorList);
    return ok;
}

void TSimulationObject::Step() {
    if (!AtStart) {
        if (!CanAdvance(CurrentTime, TimeStep)) return;
        CurrentTime += TimeStep;
    }
    ComputeStep();
    AtStart = false;
}

void TSimulationObject::ComputeStep() {
    const auto& items = Variables.AllItems();
    for (TIOListObject* item : items)
        static_cast<TVariableObject*>(item)->Computed = false;
    EvaluationErrorFlag = false;
    const double time = CurrentTime - StartTime;

    for (TIOListObject* item : items) {
        auto* v = static_cast<TVariableObject*>(item);
        if (v->Kind != ekResource) continue;
        if (AtStart)
            v->Evaluate(); // the equation gives the initial value
        else
            v->Integrate();
        v->Simulated.AddPoint(time, v->Value);
    }
    for (TIOListObject* item : items) {
        auto* v = static_cast<TVariableObject*>(item);
        if (v->Kind == ekResource) continue;
        v->Simulated.AddPoint(time, v->GetValue());
    }
    for (TIOListObject* item : items)
        static_cast<TVariableObject*>(item)->AfterStep();
}

void TSimulationObject::Reset() {
    CurrentTime = StartTime;
    AtStart = true;
    CurrentSimulation = this;
    RunningSimulation = this;
    for (TVariableObject* v : Variables) {
        v->Reset();
        v->Simulated.Clear();
    }
}

bool TSimulationObject::IsFinished() const {
    if (AtStart) return false;
    // A run that cannot move forward, or has no end, is over after its first step.
    if (!CanAdvance(CurrentTime, TimeStep) || !std::isfinite(StopTime)) return true;
    return SameValue(CurrentTime, StopTime) || CurrentTime > StopTime;
}

void TSimulationObject::StepBackTo(double time) {
    // The clock adds up steps, so after stepping back it may sit a rounding error away
    // from the start; that still counts as the start, and no step goes before it.
    if (std::isnan(time) || SameValue(CurrentTime, StartTime) || CurrentTime < StartTime ||
        time > CurrentTime)
        return;
    if (time < StartTime || SameValue(time, StartTime)) time = StartTime;
    const double offset = time - StartTime;
    for (TVariableObject* v : Variables)
        v->RestoreTo(offset);
    CurrentTime = time;
}
