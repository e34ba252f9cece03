#pragma once
// Builds equation trees by hand and runs them step by step without the model stepping, so the
// evaluation tests depend on nothing but the element classes.

#include "support/ModelBuilder.h"

#include "core/equations/EquationObjects.h"
#include "core/model/SimulationObjects.h"
#include "core/support/NumberFormat.h"

#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace evaltest {

using Node = std::unique_ptr<TEquationElement>;

inline Node C(double value) {
    auto c = std::make_unique<TEquationConstant>();
    c->Value.Number = value;
    c->Text = FloatToStr(value);
    return c;
}

template <class... TParams> Node F(TFunctionIndex index, TParams&&... params) {
    auto f = std::make_unique<TEquationFunction>(index);
    (f->Parameters.AddItem(Node(std::forward<TParams>(params))), ...);
    return f;
}

inline Node Ref(TVariableObject* target) {
    auto r = std::make_unique<TEquationVariableReference>();
    r->Variable.SetTarget(target);
    return r;
}

// An element that logs its evaluations and dependency checks.
class TProbe : public TEquationElement {
public:
    TProbe(int id, double value, std::vector<int>& log, bool dependable = true)
        : Id(id), Value(value), Dependable(dependable), Log(log) {}
    uint8_t ElementKind() const override { return 0; }
    TEquationValueKind ResultKind() const override { return evkNumber; }
    bool CheckDependencies() override {
        Log.push_back(Id);
        return Dependable;
    }
    void Evaluate(TEquationValue& value) override {
        Log.push_back(Id);
        value.Kind = evkNumber;
        value.Number = Value;
    }

    int Id;
    double Value;
    bool Dependable;
    std::vector<int>& Log;
};

inline Node P(int id, double value, std::vector<int>& log, bool dependable = true) {
    return std::make_unique<TProbe>(id, value, log, dependable);
}

struct TOutcome {
    TEquationValue Value;
    std::string Error; // the report, empty when none
};

// Evaluates once after a fresh ResetRun, with the error state cleared first.
inline TOutcome EvaluateOnce(TEquationElement& tree) {
    tree.ResetRun();
    EvaluationErrorFlag = false;
    EvaluationErrorText.clear();
    TOutcome outcome;
    outcome.Value.Number = -12345; // shows a field that was not set
    tree.Evaluate(outcome.Value);
    if (EvaluationErrorFlag) outcome.Error = EvaluationErrorText;
    return outcome;
}

// A simulation clock that the tree reads through CurrentSimulation: a model without elements.
struct TTestClock : TModelBuilder {
    TTestClock(double start, double step, double stop = 24, double now = 12)
        : TModelBuilder(start, stop, step) {
        Sim.Now = now;
    }
};

struct TStep {
    double Time;
    double Value;
    std::string Error;
};

// Runs steps the way the model does: evaluate, then record; the time advances by repeated
// addition. beforeStep may set input values for the step's time.
inline std::vector<TStep> RunSteps(TEquationElement& tree, TTestClock& clock, int steps,
                                   const std::function<void(double)>& beforeStep = {},
                                   bool reset = true) {
    if (reset) {
        tree.ResetRun();
        clock.Sim.CurrentTime = clock.Sim.StartTime;
    }
    std::vector<TStep> result;
    for (int k = 0; k < steps; ++k) {
        if (k > 0 || !reset) clock.Sim.CurrentTime += clock.Sim.TimeStep;
        if (beforeStep) beforeStep(clock.Sim.CurrentTime);
        EvaluationErrorFlag = false;
        EvaluationErrorText.clear();
        const double value = tree.EvaluateNumber();
        result.push_back({clock.Sim.CurrentTime, value,
                          EvaluationErrorFlag ? EvaluationErrorText : std::string()});
        tree.RecordStep();
    }
    return result;
}

// An element whose value the test sets; GetValue reads it without evaluating.
struct TInput {
    TInput() { Variable.Computed = true; }
    void Set(double value) {
        Variable.Value = value;
        Variable.Computed = true;
    }
    TVariableObject Variable;
};

} // namespace evaltest
