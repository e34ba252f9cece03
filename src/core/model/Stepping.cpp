// The model check (parse errors, unused links, circular definitions, calculation order)
// and the Euler time stepping of a run: reset, one step, step back.
#include "core/model/RunToEnd.h"
#include "core/model/SimulationObjects.h"
#include "core/model/StepProgram.h"
#include "core/support/Notifier.h"
#include "core/support/NumberFormat.h"
#include "core/support/Text.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <utility>

thread_local std::vector<TVariableObject*> EvaluationPath;
thread_local std::vector<std::string> ErrorList;

namespace {

// Next calculation order number handed out by Visit.
thread_local constinit int32_t OrderCounter = 1;

// The check and on-demand evaluation recurse once per element along a chain of
// references. A chain that would need more stack than this is refused instead of
// overflowing the stack; real models stay far below it.
constexpr std::uintptr_t StackBudget = 4u << 20;
// The lowest stack address the current check or step may reach (stacks grow downward on
// every platform we build for); 0 outside them. A thread's own, as its stack is.
thread_local constinit std::uintptr_t StackLimit = 0;
thread_local constinit bool DepthWarningGiven = false;

std::uintptr_t StackPosition() {
    return reinterpret_cast<std::uintptr_t>(__builtin_frame_address(0));
}

bool StackTooDeep() {
    return StackPosition() < StackLimit;
}

// Sets the limit where a check or step begins; nested scopes keep the outer one.
class TStackScope {
public:
    TStackScope() : Outer(StackLimit) {
        const std::uintptr_t here = StackPosition();
        if (!StackLimit) StackLimit = here > StackBudget ? here - StackBudget : 0;
    }
    ~TStackScope() { StackLimit = Outer; }
    TStackScope(const TStackScope&) = delete;
    TStackScope& operator=(const TStackScope&) = delete;

private:
    std::uintptr_t Outer;
};

// The run whose clock a sketch-driven element reads; its owner when no run was reset yet.
const TSimulationObject* RunClock(const TVariableObject& element) {
    if (RunningSimulation) return RunningSimulation;
    return element.Simulation();
}

double RelativeRunTime(const TVariableObject& element) {
    const TSimulationObject* s = RunClock(element);
    return s ? s->CurrentTime - s->StartTime : 0;
}

// Whether adding the time step moves the clock forward at all; a zero, negative or
// non-finite step (or one lost in the clock's precision) would make a run endless. The
// results are stored at offsets from the start, which must stay numbers too: a span near
// the largest double would otherwise save an infinite time that no file may hold.
bool CanAdvance(double currentTime, double timeStep, double startTime) {
    return std::isfinite(timeStep) && timeStep > 0 && std::isfinite(currentTime) &&
           currentTime + timeStep > currentTime &&
           std::isfinite(currentTime + timeStep - startTime);
}

// Whether a tree holds functions that keep state from one step to the next.
bool HoldsStepState(const TEquationElement* element) {
    const auto* function = dynamic_cast<const TEquationFunction*>(element);
    if (!function) return false;
    switch (function->FunctionIndex) {
    case sgvDELAY:
    case sgvINIT:
    case sgvPREVIOUS:
    case sgvHISTORY:
    case sgvTREND:
    case sgvNPV:
    case sgvFV:
    case sgvPV:
        return true;
    default:
        break;
    }
    for (const TEquationElement* p : function->Parameters)
        if (HoldsStepState(p)) return true;
    return false;
}

// Where one step's results go. The Simulated series of a run share one time grid, so a
// look at one of them tells whether the step's time lies after every series' last point;
// reading each series' last point instead costs a cache miss per element in big models.
class TResultAppender {
public:
    TResultAppender(const std::vector<TIOListObject*>& items, double time) : Time(time) {
        if (items.empty()) return;
        const auto& points = static_cast<TVariableObject*>(items.front())->Simulated.Points;
        Count = points.size();
        Later = points.empty() || time - FloatTolerance > points.back().Time;
    }
    void Append(TDataSeries& series, double value) const {
        auto& points = series.Points;
        if (Later && points.size() == Count)
            points.push_back({Time, value});
        else
            series.AddPoint(Time, value); // a series out of step with the others
    }

private:
    double Time;
    size_t Count = 0;
    bool Later = false;
};

void ReportEvaluationError(const std::string& name) {
    Notifier().EvaluationWarning("Error in " + name + ": " + EvaluationErrorText);
}

inline void ComputeValue(TVariableObject& v) {
    if (v.Root)
        v.Value = v.Root->EvaluateNumber();
    else if (v.DrivenBySketch)
        v.Value = v.Sketched.ValueAt(RelativeRunTime(v));
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
        if (EvaluationErrorFlag) ReportEvaluationError(name);
    }

private:
    bool OuterFlag;
    std::string OuterText;
};

// Kept out of line so that the common path of Evaluate stays small.
template <class TCompute>
[[gnu::noinline]] void EvaluateKeepingOuterReport(TVariableObject& v, const TCompute& compute) {
    // Pulled in on demand by an element that has already failed: keep its report.
    TErrorScope errors;
    compute(v);
    errors.ReportFor(v.Name);
}

// The element keeps its previous value; one warning per run is enough.
[[gnu::noinline]] void RefuseTooDeep(const TVariableObject& v) {
    if (DepthWarningGiven) return;
    DepthWarningGiven = true;
    Notifier().EvaluationWarning("Error in " + v.Name +
                                 ": Chain of elements too long to compute, keeping the "
                                 "previous value");
}

[[gnu::noinline]] void ReportAndClear(const TVariableObject& v) {
    ReportEvaluationError(v.Name);
    EvaluationErrorFlag = false; // reported; an element that pulled this one in did not fail
}

// Evaluation of an element not yet computed this step; compute sets its value.
template <class TCompute> inline void EvaluateWith(TVariableObject& v, const TCompute& compute) {
    if (v.Computed) return;
    // Marked first: should a circular definition reach a run unchecked, the second
    // visit reads the previous value instead of recursing until the stack runs out.
    v.Computed = true;
    if (StackTooDeep()) return RefuseTooDeep(v);
    if (EvaluationErrorFlag) return EvaluateKeepingOuterReport(v, compute);
    compute(v);
    if (EvaluationErrorFlag) ReportAndClear(v);
}

} // namespace

void TVariableObject::Reset() {
    Value = InitialValue;
    Computed = true;
    DrivenBySketch = IsBlank(Equation) && !Sketched.IsEmpty();
    ScannedRoot = Root.get();
    RootHoldsStepState = HoldsStepState(Root.get());
    if (Root) Root->ResetRun();
}

namespace {

[[gnu::noinline]] void LimitFlowValue(TVariableObject& v) {
    if (TSimulationObject* s = v.Simulation()) s->LimitFlow(v);
}

} // namespace

void TVariableObject::Evaluate() {
    EvaluateWith(*this, [](TVariableObject& v) {
        ComputeValue(v);
        if (v.FlowLimited) LimitFlowValue(v);
    });
}

void TStepProgram::EvaluateElement(uint32_t slot) {
    TVariableObject& element = *Elements[slot];
    if (!HasCode(slot)) return element.Evaluate();
    EvaluateWith(element, [this, slot](TVariableObject& v) {
        v.Value = Run(slot);
        if (v.FlowLimited) LimitFlowValue(v);
    });
}

bool TVariableObject::NetFlow(double& sum) const {
    sum = 0;
    bool hasFlow = false;
    for (TDependency* d : Dependencies) {
        if (!d->IsFlow) continue;
        const TVariableObject* flow = d->Source.GetTarget();
        if (!flow) continue; // a broken connection carries nothing
        hasFlow = true;
        sum += d->Direction == 0 ? flow->Value : -flow->Value;
    }
    return hasFlow;
}

void TVariableObject::Integrate() {
    if (Kind != ekResource) return;
    double sum = 0;
    // The flows still hold the values of the previous step: Euler integration.
    const bool hasFlow = NetFlow(sum);
    if (hasFlow || !DrivenBySketch) {
        const TSimulationObject* s = Simulation() ? Simulation() : RunningSimulation;
        const double before = Value;
        if (s) Value += s->TimeStep * sum;
        // Its outflows were cut back to what it holds; what rounding leaves below zero goes.
        if (NonNegative && Value < 0 && before >= 0) Value = 0;
    } else {
        Value = Sketched.ValueAt(RelativeRunTime(*this));
    }
    Computed = true;
}

void TSimulationObject::RefreshFlowLimits() {
    FlowLimits.clear();
    for (TVariableObject* v : Variables)
        v->FlowLimited = v->Kind == ekFlow && v->NonNegative;
    for (TVariableObject* resource : Variables) {
        if (resource->Kind != ekResource || !resource->NonNegative) continue;
        for (TDependency* d : resource->Dependencies) {
            TVariableObject* flow = d->Source.GetTarget();
            if (!d->IsFlow || !flow || flow->Kind != ekFlow) continue;
            auto& limits = FlowLimits[flow];
            const TFlowLimit limit{resource, d->Direction == 1};
            if (std::find(limits.begin(), limits.end(), limit) == limits.end())
                limits.push_back(limit);
            flow->FlowLimited = true;
        }
    }
}

namespace {

// What a non-negative resource offers its outflows over one time step: what it holds and
// what its inflows bring (an inflow running backwards comes after every outflow).
double Offered(const TVariableObject& resource, double held, double dt) {
    double offered = held / dt;
    for (TDependency* d : resource.Dependencies) {
        TVariableObject* flow = d->Source.GetTarget();
        if (!d->IsFlow || !flow || d->Direction != 0) continue;
        offered += std::max(0.0, flow->GetValue());
    }
    return offered;
}

} // namespace

void TSimulationObject::LimitFlow(TVariableObject& flow) {
    // A flow with a constant equation is not computed again: it starts from its constant.
    if (!flow.Root && !flow.DrivenBySketch) flow.Value = flow.InitialValue;
    double value = flow.Value;
    if (flow.NonNegative && !(value >= 0)) value = 0;
    const auto found = FlowLimits.find(&flow);
    if (found != FlowLimits.end()) {
        for (const TFlowLimit& limit : found->second) {
            // Only what takes from the resource is cut back.
            if (limit.Outflow ? !(value > 0) : !(value < 0)) continue;
            const TVariableObject& resource = *limit.Resource;
            // Within a step's stages every stage is held to what the resource held at the
            // step's start, so that their weighted sum cannot take more either.
            const double held = InStage ? resource.StepBase : resource.Value;
            // In the resource's outflow order, then the inflows running backwards in theirs.
            double left = Offered(resource, held, TimeStep);
            for (TDependency* d : resource.Dependencies) {
                TVariableObject* other = d->Source.GetTarget();
                if (!d->IsFlow || !other || d->Direction != 1) continue;
                if (other == &flow) break;
                left -= other->GetValue();
            }
            if (!limit.Outflow) {
                for (TDependency* d : resource.Dependencies) {
                    TVariableObject* other = d->Source.GetTarget();
                    if (!d->IsFlow || !other || d->Direction != 0) continue;
                    if (other == &flow) break;
                    left -= std::max(0.0, -other->GetValue());
                }
            }
            const double taken = limit.Outflow ? value : -value;
            if (!(taken <= left)) {
                const double allowed = left > 0 ? left : 0;
                value = limit.Outflow ? allowed : (allowed > 0 ? -allowed : 0);
            }
        }
    }
    flow.Value = value;
}

void TVariableObject::RestoreTo(double time) {
    Value = Simulated.ValueAt(time);
    if (Root) Root->RewindTo(time);
    Simulated.TruncateAfter(time);
}

namespace {

template <class TRecord> void AfterStepWith(TVariableObject& v, const TRecord& record) {
    if (!v.Root) return;
    // Recording walks the whole tree; only trees with state need it.
    if (v.Root.get() != v.ScannedRoot) {
        v.ScannedRoot = v.Root.get();
        v.RootHoldsStepState = HoldsStepState(v.Root.get());
    }
    if (!v.RootHoldsStepState) return;
    // A delay evaluates its input here; a failure there is reported like any other.
    TErrorScope errors;
    record(v);
    errors.ReportFor(v.Name);
}

} // namespace

void TVariableObject::AfterStep() {
    AfterStepWith(*this, [](TVariableObject& v) { v.Root->RecordStep(); });
}

void TStepProgram::AfterStep(uint32_t slot) {
    AfterStepWith(*Elements[slot], [this, slot](TVariableObject&) {
        Execute(Recording[slot], Recording[slot + 1]);
    });
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
    if (StackTooDeep()) {
        ErrorList.push_back(Name + " has a chain of dependencies too long to compute");
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
    const TStackScope stack;
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
        // One line per element, however many of its links are unused: the log lists each
        // message once.
        for (TDependency* d : v->Dependencies) {
            if (d->IsInformationLink() && !d->Used) {
                ok = false;
                ErrorList.push_back(v->Name +
                                    " has links which have not been used in the variable's "
                                    "equation");
                break;
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
    RefreshFlowLimits();
    Notifier().ModelCheckMessages(ErrorList);
    return ok;
}

void TSimulationObject::Step() {
    if (!AtStart) {
        if (!CanAdvance(CurrentTime, TimeStep, StartTime)) return;
        StepTime = CurrentTime;
        CurrentTime += TimeStep;
    }
    ComputeStep();
    AtStart = false;
}

namespace {

// How many elements ahead of the one being computed a pass asks for memory. A big model
// does not fit the caches, and each element's object, series end and equation tree are
// separate places in memory: fetched one after another they would cost a wait each.
constexpr size_t LookAhead = 8;

inline void PrefetchElement(const std::vector<TIOListObject*>& items, size_t i) {
    if (i >= items.size()) return;
    const auto* v = static_cast<const TVariableObject*>(items[i]);
    __builtin_prefetch(v);
    __builtin_prefetch(reinterpret_cast<const char*>(v) + 64);
}

// The series end and the equation tree of an element whose object has had time to arrive.
inline void PrefetchElementData(const std::vector<TIOListObject*>& items, size_t i,
                                bool tree = true) {
    if (i >= items.size()) return;
    const auto* v = static_cast<const TVariableObject*>(items[i]);
    const auto& points = v->Simulated.Points;
    __builtin_prefetch(points.data() + points.size(), 1);
    if (tree && v->Root) __builtin_prefetch(v->Root.get());
}

inline bool NeedsAfterStep(const TVariableObject& v) {
    return v.Root && (v.RootHoldsStepState || v.Root.get() != v.ScannedRoot);
}

// Marks a program as in use for the length of a step.
class TProgramUse {
public:
    explicit TProgramUse(TStepProgram* program) : Program(program) {
        if (Program) {
            ++Program->Users;
            Program->Forget();
        }
    }
    ~TProgramUse() {
        if (Program) --Program->Users;
    }
    TProgramUse(const TProgramUse&) = delete;
    TProgramUse& operator=(const TProgramUse&) = delete;

private:
    TStepProgram* Program;
};

} // namespace

TStepProgram* TSimulationObject::PrepareProgram() {
    const auto& items = Variables.AllItems();
    if (Program && Program->Fits(items)) return Program.get();
    // A step taken from inside another (from a warning it showed) after the model changed
    // runs on the trees: the outer step is still running the old code.
    if (Program && Program->Users > 0) return nullptr;
    Program = std::make_unique<TStepProgram>(items);
    return Program.get();
}

void TSimulationObject::IntegrateStages(std::vector<double>& values) {
    const auto& items = Variables.AllItems();
    values.assign(items.size(), 0);
    struct TStageResource {
        TVariableObject* Element;
        size_t Place;
        bool Integrates; // false: it follows its sketch
        double Slope, Weighted;
    };
    std::vector<TStageResource> resources;
    std::vector<TVariableObject*> others;
    for (size_t i = 0; i < items.size(); ++i) {
        auto* v = static_cast<TVariableObject*>(items[i]);
        if (v->Kind != ekResource) {
            others.push_back(v);
            continue;
        }
        double slope = 0;
        const bool integrates = v->NetFlow(slope) || !v->DrivenBySketch;
        v->StepBase = v->Value;
        resources.push_back({v, i, integrates, slope, 0});
    }
    // The first stage is the whole step before: the flows hold its values. Each later stage
    // starts c x dt into the step from the resources moved by a x dt along the slope of the
    // stage before, and the step ends with the weighted sum of every stage's slope.
    struct TStage {
        double C, A;
    };
    // The weights are whole numbers over a divisor, so that equal slopes add up exactly.
    static const TStage Rk2Stages[] = {{1, 1}};
    static const double Rk2Weights[] = {1, 1};
    static const TStage Rk4Stages[] = {{0.5, 0.5}, {0.5, 0.5}, {1, 1}};
    static const double Rk4Weights[] = {1, 2, 2, 1};
    const bool rk4 = Method == imRK4;
    const TStage* stageList = rk4 ? Rk4Stages : Rk2Stages;
    const size_t stageCount = rk4 ? 3 : 1;
    const double* weights = rk4 ? Rk4Weights : Rk2Weights;
    const double divisor = rk4 ? 6 : 2;
    const double dt = TimeStep, end = CurrentTime;
    // A step not begun by Step: the whole step before is one time step back.
    if (!(StepTime < end)) StepTime = end - dt;
    for (TStageResource& r : resources)
        r.Weighted = weights[0] * r.Slope;

    InStage = true;
    for (size_t s = 0; s < stageCount; ++s) {
        const TStage& stage = stageList[s];
        CurrentTime = stage.C == 1 ? end : StepTime + stage.C * dt;
        for (TVariableObject* v : others)
            v->Computed = false;
        for (TStageResource& r : resources) {
            TVariableObject& v = *r.Element;
            v.Value = r.Integrates ? v.StepBase + stage.A * dt * r.Slope
                                   : v.Sketched.ValueAt(RelativeRunTime(v));
            v.Computed = true;
        }
        for (TStageResource& r : resources)
            for (TDependency* d : r.Element->Dependencies)
                if (d->IsFlow && d->Source.GetTarget()) d->Source.GetTarget()->GetValue();
        for (TStageResource& r : resources) {
            r.Element->NetFlow(r.Slope);
            r.Weighted += weights[s + 1] * r.Slope;
        }
    }
    InStage = false;
    CurrentTime = end;

    for (TStageResource& r : resources) {
        TVariableObject& v = *r.Element;
        double value = v.Sketched.ValueAt(RelativeRunTime(v));
        if (r.Integrates) {
            value = v.StepBase + dt * (r.Weighted / divisor);
            // Each stage's outflows were cut back to what it held at the step's start.
            if (v.NonNegative && value < 0 && v.StepBase >= 0) value = 0;
        }
        v.Value = v.StepBase;
        values[r.Place] = value;
    }
}

void TSimulationObject::ComputeStep() {
    const TStackScope stack;
    const auto& items = Variables.AllItems();
    const size_t n = items.size();
    EvaluationErrorFlag = false;
    const TResultAppender results(items, CurrentTime - StartTime);
    // Elements whose equations keep state from one step to the next; most have none, and a
    // big model should not be walked once more just to find that out. The list's memory is
    // kept from step to step, taken out while in use so that a step run from inside a
    // warning shown by this one works on a list of its own.
    std::vector<TSteppedElement> stateful;
    stateful.swap(SteppedWithState);
    stateful.clear();

    // RK2 and RK4 evaluate the flows between whole steps first; the pass below then takes
    // the resources' new values from them.
    const bool stages = !AtStart && Method != imEuler;
    if (stages) IntegrateStages(StageValues);

    TStepProgram* const program = PrepareProgram();
    const TProgramUse use(program);
    // Computes the element unless done already this step, and gives its value.
    auto valueAt = [program, &items](size_t i) {
        auto* v = static_cast<TVariableObject*>(items[i]);
        if (!program) return v->GetValue();
        const auto slot = static_cast<uint32_t>(i);
        if (!v->Computed) program->EvaluateElement(slot);
        program->Keep(slot, v->Value);
        return v->Value;
    };

    if (AtStart) {
        // A Resource's equation gives its initial value and may need any other element.
        for (TIOListObject* item : items)
            static_cast<TVariableObject*>(item)->Computed = false;
        for (size_t i = 0; i < n; ++i) {
            auto* v = static_cast<TVariableObject*>(items[i]);
            if (NeedsAfterStep(*v)) stateful.push_back({v, static_cast<uint32_t>(i)});
            if (v->Kind != ekResource) continue;
            results.Append(v->Simulated, valueAt(i));
        }
    } else {
        // Integration reads only the flows' values of the previous step, so the Resources
        // can move on in the same pass that marks every element as not computed.
        for (size_t i = 0; i < n; ++i) {
            PrefetchElement(items, i + 2 * LookAhead);
            if (i + LookAhead < n) {
                const auto* ahead = static_cast<const TVariableObject*>(items[i + LookAhead]);
                if (ahead->Kind == ekResource) PrefetchElementData(items, i + LookAhead);
            }
            auto* v = static_cast<TVariableObject*>(items[i]);
            v->Computed = false;
            if (NeedsAfterStep(*v)) stateful.push_back({v, static_cast<uint32_t>(i)});
            if (v->Kind != ekResource) continue;
            if (stages) {
                v->Value = StageValues[i];
                v->Computed = true;
            } else {
                v->Integrate();
            }
            if (program) program->Keep(static_cast<uint32_t>(i), v->Value);
            results.Append(v->Simulated, v->Value);
        }
    }
    for (size_t i = 0; i < n; ++i) {
        PrefetchElement(items, i + 2 * LookAhead);
        PrefetchElementData(items, i + LookAhead, !program);
        auto* v = static_cast<TVariableObject*>(items[i]);
        if (v->Kind == ekResource) continue;
        results.Append(v->Simulated, valueAt(i));
    }
    for (const TSteppedElement& s : stateful) {
        if (program)
            program->AfterStep(s.Slot);
        else
            s.Element->AfterStep();
    }
    stateful.swap(SteppedWithState);
}

namespace {

// Bounds on what a run reserves for its results up front: beyond them (a run of very many
// steps, perhaps never taken to the end) the series grow as the run goes.
constexpr int64_t MaxReservedPerSeries = int64_t{1} << 20;
constexpr int64_t MaxReservedPoints = int64_t{1} << 24;

// Every step appends one point to each element's Simulated series and to each delay's
// history. Reserving the whole run at its start, in list order, spares each series its
// reallocations during the run and keeps the series of neighbouring elements near each
// other in memory.
size_t ResultsToReserve(const TSimulationObject& simulation) {
    const auto elements = static_cast<int64_t>(simulation.Variables.AllItems().size());
    const int64_t steps = ExpectedStepCount(simulation);
    if (elements == 0 || steps >= MaxReservedPerSeries) return 0;
    // The clock may round to one more step than the count.
    const int64_t points = steps + 1;
    if (points > MaxReservedPoints / elements) return 0;
    return static_cast<size_t>(points);
}

} // namespace

void TSimulationObject::Reset() {
    CurrentTime = StartTime;
    AtStart = true;
    ++ResetCount;
    CurrentSimulation = this;
    RunningSimulation = this;
    DepthWarningGiven = false;
    if (Program) Program->Forget();
    StepTime = StartTime;
    InStage = false;
    RefreshFlowLimits();
    ReservedPoints = ResultsToReserve(*this);
    ReservationLeft = MaxReservedPoints;
    for (TVariableObject* v : Variables) {
        v->Reset(); // reserves its delays' histories
        v->Simulated.Clear();
        v->Simulated.Points.reserve(TakeReservation());
    }
}

size_t TSimulationObject::TakeReservation() {
    if (ReservedPoints == 0 || ReservedPoints > ReservationLeft) return 0;
    ReservationLeft -= ReservedPoints;
    return ReservedPoints;
}

namespace {

bool ClockFinished(double currentTime, double timeStep, double startTime, double stopTime) {
    // A run that cannot move forward, or has no end, is over after its first step.
    if (!CanAdvance(currentTime, timeStep, startTime) || !std::isfinite(stopTime)) return true;
    return SameValue(currentTime, stopTime) || currentTime > stopTime;
}

} // namespace

bool TSimulationObject::IsFinished() const {
    if (AtStart) return false;
    return ClockFinished(CurrentTime, TimeStep, StartTime, StopTime);
}

std::vector<double> RunStepOffsets(const TSimulationObject& simulation, int64_t maxSteps,
                                   bool& tooLong) {
    tooLong = ExpectedStepCount(simulation) > maxSteps;
    std::vector<double> offsets;
    if (tooLong) return offsets;
    // Step and IsFinished on a clock of its own.
    double time = simulation.StartTime;
    offsets.push_back(0);
    while (!ClockFinished(time, simulation.TimeStep, simulation.StartTime, simulation.StopTime)) {
        if (static_cast<int64_t>(offsets.size()) > maxSteps + 1) {
            tooLong = true;
            offsets.clear();
            break;
        }
        time += simulation.TimeStep;
        offsets.push_back(time - simulation.StartTime);
    }
    return offsets;
}

void TSimulationObject::StepBackTo(double time) {
    // The clock adds up steps, so after stepping back it may sit a rounding error away
    // from the start; that still counts as the start, and no step goes before it.
    if (std::isnan(time) || SameValue(CurrentTime, StartTime) || CurrentTime < StartTime ||
        time > CurrentTime)
        return;
    if (time < StartTime || SameValue(time, StartTime)) time = StartTime;
    const double offset = time - StartTime;
    if (Program) Program->Forget();
    for (TVariableObject* v : Variables)
        v->RestoreTo(offset);
    CurrentTime = time;
}
