// An element's equation text turned into its tree, or into its constant value.
#include "core/equations/EquationObjects.h"
#include "core/model/SimulationObjects.h"
#include "core/model/StepProgram.h"

std::unique_ptr<TEquationElement>
TVariableObject::ExchangeTree(std::unique_ptr<TEquationElement> tree) {
    ++EquationTreeGeneration;
    std::swap(Root, tree);
    return tree;
}

bool TVariableObject::CompileEquation() {
    ++EquationTreeGeneration;
    Root.reset();
    InitialValue = 0;
    Value = 0;
    BeginEquationParse(*this);
    std::unique_ptr<TEquationElement> tree = ParseEquation(Equation);
    if (!EquationErrors.empty()) {
        tree.reset();
        Parsed = false;
        HasErrors = true;
        return false;
    }
    Parsed = true;
    HasErrors = false;
    if (!tree) return true;
    // A constant equation needs no tree: its number is the value a run starts from.
    if (tree->ElementKind() == 0) {
        InitialValue = Value = tree->EvaluateNumber();
        return true;
    }
    Root = std::move(tree);
    return true;
}
