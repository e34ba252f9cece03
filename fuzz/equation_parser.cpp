// Arbitrary text as the equation of an element with a few linked inputs: parsed, compiled, then
// run for a few steps with one step back. A parse without errors must give a tree that
// evaluation can take as it is, and evaluation must give finite numbers.
#include "core/equations/EquationObjects.h"
#include "core/equations/ParserInternal.h"
#include "core/model/SimulationObjects.h"

#include <cmath>
#include <cstdint>
#include <memory>
#include <string_view>

namespace {

struct TFuzzModel {
    TFuzzModel() {
        for (const char* name : {"a", "Sales Rate", "e", "x1", "TIME"}) {
            auto element = std::make_unique<TVariableObject>();
            element->Name = name;
            Target.AddDependency(element.get());
            Inputs.push_back(std::move(element));
        }
    }
    std::vector<std::unique_ptr<TVariableObject>> Inputs;
    TVariableObject Target;
    TSimulationObject Clock; // the times equations read
};

// A few steps of a run, one step back and the step again: every value must be finite.
void RunSteps(TSimulationObject& clock, TEquationElement& root) {
    CurrentSimulation = &clock;
    clock.StartTime = 0;
    clock.TimeStep = 0.5;
    root.ResetRun();
    for (int step = 0; step < 5; ++step) {
        clock.CurrentTime = step == 4 ? 1 : step * 0.5;
        if (step == 4) root.RewindTo(0.5);
        if (!std::isfinite(root.EvaluateNumber())) __builtin_trap();
        root.RecordStep();
    }
    EvaluationErrorFlag = false;
}

// Depth of the tree, trapping on any node that evaluation could not take.
int CheckTree(const TEquationElement* element) {
    if (element->ElementKind() == 0) {
        if (!std::isfinite(static_cast<const TEquationConstant*>(element)->Value.Number))
            __builtin_trap();
        return 1;
    }
    if (element->ElementKind() == 1) return 1;
    auto* function = static_cast<const TEquationFunction*>(element);
    const int32_t count = function->Parameters.Count();
    switch (function->FunctionIndex) {
    case sgvPlus:
    case sgvMinus:
    case sgvMultiply:
        if (count < 1 || count > 2) __builtin_trap();
        break;
    case sgvDivide:
    case sgvNotEqual:
    case sgvGreaterEqual:
    case sgvLessEqual:
    case sgvEqual:
    case sgvGreaterThan:
    case sgvLessThan:
        if (count != 2) __builtin_trap();
        break;
    case sgvGRAPH:
        if (!function->Table) __builtin_trap();
        break;
    case sgvSIN:
    case sgvCOS:
    case sgvTAN:
    case sgvARCSIN:
    case sgvARCCOS:
    case sgvARCTAN:
    case sgvINIT:
        if (count != 1) __builtin_trap();
        break;
    case sgvPREVIOUS:
    case sgvHISTORY:
    case sgvMODULO:
        if (count != 2) __builtin_trap();
        break;
    case sgvTREND:
        if (count != 3) __builtin_trap();
        break;
    case sgvPULSETRAIN:
        if (count != 4) __builtin_trap();
        break;
    default:
        break;
    }
    int deepest = 0;
    for (const TEquationElement* p : function->Parameters) {
        int depth = CheckTree(p);
        if (depth > deepest) deepest = depth;
    }
    return deepest + 1;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static TFuzzModel model;
    std::string_view text(reinterpret_cast<const char*>(data), size);
    BeginEquationParse(model.Target);
    std::unique_ptr<TEquationElement> tree = ParseEquation(text);
    // With errors the tree may lack operands; it is discarded by the compile.
    if (tree && EquationErrors.empty()) CheckTree(tree.get());
    tree.reset();

    model.Target.Equation.assign(text);
    const bool ok = model.Target.CompileEquation();
    if (ok != EquationErrors.empty()) __builtin_trap();
    if (ok && model.Target.Root && CheckTree(model.Target.Root.get()) > MaxNestingLevel + 1)
        __builtin_trap();
    if (ok && model.Target.Root) RunSteps(model.Clock, *model.Target.Root);
    if (!std::isfinite(model.Target.Value)) __builtin_trap();
    return 0;
}
