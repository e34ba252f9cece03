// Compiling equation trees to flat code and running it. Each operation does what the
// tree's node does, operands in the node's order; functions not handled here, and any
// tree of an unexpected shape, run through the tree itself.
#include "core/model/StepProgram.h"

#include "core/equations/Arithmetic.h"
#include "core/equations/EquationObjects.h"
#include "core/model/SimulationObjects.h"
#include "core/support/NumberFormat.h"

#include <cmath>

std::atomic<uint64_t> EquationTreeGeneration = 0;

namespace {

// The deepest operand stack the code of one element may use; a deeper tree runs as a tree.
constexpr int32_t StackSize = 32;

// Failures are reported by the node that the tree would report them from, once per run.
[[gnu::noinline, gnu::cold]] double Failed(TEquationElement* node, TEvalFailure failure) {
    node->ReportError(EvalFailureMessage(failure));
    return 0;
}

inline double Checked(TEquationElement* node, double n) {
    const TEvalFailure failure = CheckResult(n);
    return failure == efNone ? n : Failed(node, failure);
}

} // namespace

TStepProgram::TStepProgram(const std::vector<TIOListObject*>& items)
    : Generation(EquationTreeGeneration) {
    Elements.reserve(items.size());
    for (TIOListObject* item : items) {
        Slots.emplace(static_cast<TVariableObject*>(item), static_cast<int32_t>(Elements.size()));
        Elements.push_back(static_cast<TVariableObject*>(item));
    }
    Values.assign(Elements.size(), {0, 0});
    Start.reserve(Elements.size() + 1);
    for (TVariableObject* v : Elements) {
        const auto begin = static_cast<uint32_t>(Code.size());
        Start.push_back(begin);
        if (!v->Root) continue;
        Depth = MostDepth = 0;
        Emit(v->Root.get(), false);
        if (MostDepth > StackSize) {
            Code.resize(begin);
            Reporters.resize(begin);
            Push(opTree, 0, v->Root.get());
        }
    }
    Start.push_back(static_cast<uint32_t>(Code.size()));
    Recording.reserve(Elements.size() + 1);
    for (TVariableObject* v : Elements) {
        const auto begin = static_cast<uint32_t>(Code.size());
        Recording.push_back(begin);
        if (!v->Root) continue;
        Depth = MostDepth = 0;
        EmitRecord(v->Root.get());
        if (MostDepth > StackSize) {
            Code.resize(begin);
            Reporters.resize(begin);
            Push(opRecordTree, 0, v->Root.get());
        }
    }
    Recording.push_back(static_cast<uint32_t>(Code.size()));
    Code.shrink_to_fit();
    Reporters.shrink_to_fit();
    Slots.clear();
}

bool TStepProgram::Fits(const std::vector<TIOListObject*>& items) const {
    if (Generation != EquationTreeGeneration || items.size() != Elements.size()) return false;
    for (size_t i = 0; i < items.size(); ++i)
        if (items[i] != Elements[i]) return false;
    return true;
}

void TStepProgram::Forget() {
    if (++Stamp == 0) {
        // After four billion steps the stamps start again from a clean slate.
        for (TKept& kept : Values)
            kept.Stamp = 0;
        Stamp = 1;
    }
}

double TStepProgram::Fetch(uint32_t slot) {
    TVariableObject& v = *Elements[slot];
    if (!v.Computed) EvaluateElement(slot);
    Keep(slot, v.Value);
    return v.Value;
}

void TStepProgram::Push(TOpCode code, uint32_t argument, TEquationElement* node) {
    TOp op;
    op.Code = code;
    op.Argument = argument;
    op.Node = node;
    Code.push_back(op);
    Reporters.push_back(node);
    switch (code) {
    case opNumber:
    case opValue:
    case opTree:
    case opTreeCondition:
        if (++Depth > MostDepth) MostDepth = Depth;
        break;
    case opAdd:
    case opSubtract:
    case opMultiply:
    case opDivide:
    case opGreaterEqual:
    case opLessEqual:
    case opGreaterThan:
    case opLessThan:
    case opEqual:
    case opNotEqual:
    case opJumpUnless:
        --Depth;
        break;
    case opMin:
    case opMax:
        Depth -= static_cast<int32_t>(argument) - 1;
        break;
    case opModulo:
        --Depth;
        break;
    case opPulseTrain:
        Depth -= 3;
        break;
    case opDelaySeed:
    case opRecordDelay:
        --Depth;
        break;
    default:
        break;
    }
}

void TStepProgram::PushNumber(double number) {
    Push(opNumber);
    Code.back().Number = number;
}

int32_t TStepProgram::Slot(const TVariableObject* element) const {
    const auto found = Slots.find(element);
    return found == Slots.end() ? -1 : found->second;
}

void TStepProgram::Emit(TEquationElement* element, bool asCondition) {
    switch (element->Leaf) {
    case lkConstant: {
        const TEquationValue& v = static_cast<TEquationConstant*>(element)->Value;
        const bool isTrue = v.Kind == evkBoolean ? v.BoolValue : !IsZero(v.Number);
        if (asCondition)
            PushNumber(isTrue ? 1 : 0);
        else
            PushNumber(v.Kind == evkBoolean ? (v.BoolValue ? 1 : 0) : v.Number);
        return;
    }
    case lkReference: {
        const int32_t slot =
            Slot(static_cast<TEquationVariableReference*>(element)->Variable.GetTarget());
        if (slot < 0) break; // no target, or one outside this model: the tree knows
        Push(opValue, static_cast<uint32_t>(slot));
        if (asCondition) Push(opCondition);
        return;
    }
    case lkOther:
        if (EmitFunction(element, asCondition)) return;
        break;
    }
    Push(asCondition ? opTreeCondition : opTree, 0, element);
}

bool TStepProgram::EmitFunction(TEquationElement* element, bool asCondition) {
    auto* f = static_cast<TEquationFunction*>(element);
    const int32_t count = f->ParamCount();
    for (int32_t i = 0; i < count; ++i)
        if (!f->Param(i)) return false;
    // Places jumps are patched into.
    auto here = [this] { return static_cast<uint32_t>(Code.size()); };

    TOpCode comparison = opNumber;
    switch (f->FunctionIndex) {
    case sgvGreaterEqual:
        comparison = opGreaterEqual;
        break;
    case sgvLessEqual:
        comparison = opLessEqual;
        break;
    case sgvGreaterThan:
        comparison = opGreaterThan;
        break;
    case sgvLessThan:
        comparison = opLessThan;
        break;
    case sgvEqual:
        comparison = opEqual;
        break;
    case sgvNotEqual:
        comparison = opNotEqual;
        break;
    case sgvNOT:
        if (count != 1) return false;
        Emit(f->Param(0), true);
        Push(opNot);
        return true;
    default:
        break;
    }
    if (comparison != opNumber) {
        if (count != 2) return false;
        // The right side first, as the tree does.
        Emit(f->Param(1), false);
        Emit(f->Param(0), false);
        Push(comparison);
        return true;
    }

    switch (f->FunctionIndex) {
    case sgvPlus:
    case sgvMinus:
    case sgvMultiply:
        if (count == 2) {
            Emit(f->Param(0), false);
            const TFunctionIndex index = f->FunctionIndex;
            if (EmitRightOperand(f->Param(1),
                                 index == sgvPlus    ? opAddNumber
                                 : index == sgvMinus ? opSubtractNumber
                                                     : opMultiplyNumber,
                                 index == sgvPlus    ? opAddValue
                                 : index == sgvMinus ? opSubtractValue
                                                     : opMultiplyValue,
                                 f))
                break;
            Emit(f->Param(1), false);
            Push(index == sgvPlus ? opAdd : index == sgvMinus ? opSubtract : opMultiply, 0, f);
        } else if (count == 1) {
            Emit(f->Param(0), false);
            Push(f->FunctionIndex == sgvMinus ? opNegate : opCheck, 0, f);
        } else {
            return false;
        }
        break;
    case sgvDivide: {
        if (count != 2) return false;
        if (f->Param(1)->Leaf == lkConstant) {
            const TEquationValue& v = static_cast<TEquationConstant*>(f->Param(1))->Value;
            const double divisor = v.Kind == evkBoolean ? (v.BoolValue ? 1 : 0) : v.Number;
            if (!IsZero(divisor)) {
                Emit(f->Param(0), false);
                Push(opDivideNumber, 0, f);
                Code.back().Number = divisor;
                break;
            }
        }
        // The divisor first; a zero divisor leaves the dividend unevaluated.
        Emit(f->Param(1), false);
        const uint32_t test = here();
        Push(opZeroDivisor, 0, f);
        Emit(f->Param(0), false);
        Push(opDivide, 0, f);
        Code[test].Argument = here();
        break;
    }
    case sgvIF: {
        if (count != 3) return false;
        Emit(f->Param(0), true);
        const uint32_t unless = here();
        Push(opJumpUnless);
        Emit(f->Param(1), false);
        const uint32_t jump = here();
        Push(opJump);
        --Depth; // only one of the two branches leaves its value
        Code[unless].Argument = here();
        Emit(f->Param(2), false);
        Code[jump].Argument = here();
        Push(opCheck, 0, f);
        break;
    }
    case sgvDELAY:
        if (!EmitDelay(f)) return false;
        break;
    case sgvSIN:
    case sgvCOS:
    case sgvTAN:
    case sgvARCSIN:
    case sgvARCCOS:
    case sgvARCTAN:
        if (count != 1) return false;
        Emit(f->Param(0), false);
        Push(opTrigonometry, static_cast<uint32_t>(f->FunctionIndex - sgvSIN), f);
        break;
    case sgvMODULO:
        if (count != 2) return false;
        Emit(f->Param(0), false);
        Emit(f->Param(1), false);
        Push(opModulo, 0, f);
        break;
    case sgvPULSETRAIN:
        if (count != 4) return false;
        for (int32_t i = 0; i < count; ++i)
            Emit(f->Param(i), false);
        Push(opPulseTrain, 0, f);
        break;
    case sgvMIN:
    case sgvMAX:
        if (count < 1) return false;
        for (int32_t i = 0; i < count; ++i)
            Emit(f->Param(i), false);
        Push(f->FunctionIndex == sgvMIN ? opMin : opMax, static_cast<uint32_t>(count), f);
        break;
    default:
        return false;
    }
    if (asCondition) Push(opCondition);
    return true;
}

bool TStepProgram::EmitRightOperand(TEquationElement* right, TOpCode withNumber, TOpCode withValue,
                                    TEquationElement* reporter) {
    if (right->Leaf == lkConstant) {
        const TEquationValue& v = static_cast<TEquationConstant*>(right)->Value;
        Push(withNumber, 0, reporter);
        Code.back().Number = v.Kind == evkBoolean ? (v.BoolValue ? 1 : 0) : v.Number;
        return true;
    }
    if (right->Leaf == lkReference) {
        const int32_t slot =
            Slot(static_cast<TEquationVariableReference*>(right)->Variable.GetTarget());
        if (slot < 0) return false;
        Push(withValue, static_cast<uint32_t>(slot), reporter);
        return true;
    }
    return false;
}

bool TStepProgram::EmitDelay(TEquationElement* element) {
    auto* f = static_cast<TEquationFunction*>(element);
    const int32_t count = f->ParamCount();
    if (count != 2 && count != 3) return false;
    // The seed, one step before the first evaluation, is only evaluated for an empty history.
    const auto history = static_cast<uint32_t>(Code.size());
    Push(opDelayHistory, 0, f);
    Emit(f->Param(count == 3 ? 2 : 0), false);
    Push(opDelaySeed, 0, f);
    Code[history].Argument = static_cast<uint32_t>(Code.size());
    Emit(f->Param(1), false);
    Push(opDelay, 0, f);
    return true;
}

void TStepProgram::EmitRecord(TEquationElement* element) {
    if (element->Leaf != lkOther) return;
    auto* f = static_cast<TEquationFunction*>(element);
    const int32_t count = f->ParamCount();
    bool whole = f->FunctionIndex == sgvNPV || f->FunctionIndex == sgvFV ||
                 f->FunctionIndex == sgvPV || (f->KeepsHistory() && f->FunctionIndex != sgvDELAY);
    for (int32_t i = 0; i < count; ++i)
        if (!f->Param(i)) whole = true;
    if (whole) {
        // Their state decides what they record; the tree knows.
        Push(opRecordTree, 0, f);
        return;
    }
    if (f->FunctionIndex == sgvDELAY) {
        if (count >= 1)
            Emit(f->Param(0), false);
        else
            PushNumber(0);
        Push(opRecordDelay, 0, f);
    }
    for (int32_t i = 0; i < count; ++i)
        EmitRecord(f->Param(i));
}

double TStepProgram::Execute(uint32_t from, uint32_t to) {
    const TOp* const code = Code.data();
    const TOp* op = code + from;
    const TOp* const end = code + to;
    double stack[StackSize];
    int32_t top = -1;
    for (; op != end; ++op) {
        switch (op->Code) {
        case opNumber:
            stack[++top] = op->Number;
            break;
        case opValue: {
            const double x = ValueOf(op->Argument);
            stack[++top] = x;
            break;
        }
        case opTree: {
            const double x = op->Node->EvaluateNumber();
            stack[++top] = x;
            break;
        }
        case opTreeCondition: {
            const double x = op->Node->EvaluateCondition() ? 1 : 0;
            stack[++top] = x;
            break;
        }
        case opCondition:
            stack[top] = IsZero(stack[top]) ? 0 : 1;
            break;
        case opNot:
            stack[top] = stack[top] != 0 ? 0 : 1;
            break;
        case opAdd:
            --top;
            stack[top] = Checked(Reporters[op - code], stack[top] + stack[top + 1]);
            break;
        case opSubtract:
            --top;
            stack[top] = Checked(Reporters[op - code], stack[top] - stack[top + 1]);
            break;
        case opMultiply:
            --top;
            stack[top] = Checked(Reporters[op - code], stack[top] * stack[top + 1]);
            break;
        case opAddNumber:
            stack[top] = Checked(Reporters[op - code], stack[top] + op->Number);
            break;
        case opSubtractNumber:
            stack[top] = Checked(Reporters[op - code], stack[top] - op->Number);
            break;
        case opMultiplyNumber:
            stack[top] = Checked(Reporters[op - code], stack[top] * op->Number);
            break;
        case opDivideNumber:
            stack[top] = Checked(Reporters[op - code], stack[top] / op->Number);
            break;
        case opAddValue: {
            const double x = ValueOf(op->Argument);
            stack[top] = Checked(Reporters[op - code], stack[top] + x);
            break;
        }
        case opSubtractValue: {
            const double x = ValueOf(op->Argument);
            stack[top] = Checked(Reporters[op - code], stack[top] - x);
            break;
        }
        case opMultiplyValue: {
            const double x = ValueOf(op->Argument);
            stack[top] = Checked(Reporters[op - code], stack[top] * x);
            break;
        }
        case opNegate:
            stack[top] = Checked(Reporters[op - code], -stack[top]);
            break;
        case opCheck:
            stack[top] = Checked(Reporters[op - code], stack[top]);
            break;
        case opZeroDivisor:
            if (IsZero(stack[top])) {
                stack[top] = Failed(Reporters[op - code], efDivideByZero);
                op = code + op->Argument - 1;
            }
            break;
        case opDivide:
            --top;
            stack[top] = Checked(Reporters[op - code], stack[top + 1] / stack[top]);
            break;
        case opMin:
        case opMax: {
            const int32_t first = top + 1 - static_cast<int32_t>(op->Argument);
            // Every finite value passes the start, so no operand is ever lost.
            double n = op->Code == opMin ? HUGE_VAL : -HUGE_VAL;
            for (int32_t i = first; i <= top; ++i)
                if (op->Code == opMin ? stack[i] < n : stack[i] > n) n = stack[i];
            top = first;
            stack[top] = Checked(Reporters[op - code], n);
            break;
        }
        case opGreaterEqual:
            --top;
            stack[top] = stack[top + 1] >= stack[top] - FloatTolerance ? 1 : 0;
            break;
        case opLessEqual:
            --top;
            stack[top] = stack[top + 1] <= stack[top] + FloatTolerance ? 1 : 0;
            break;
        case opGreaterThan:
            --top;
            stack[top] = stack[top + 1] > stack[top] + FloatTolerance ? 1 : 0;
            break;
        case opLessThan:
            --top;
            stack[top] = stack[top + 1] < stack[top] - FloatTolerance ? 1 : 0;
            break;
        case opEqual:
            --top;
            stack[top] = SameValue(stack[top + 1], stack[top]) ? 1 : 0;
            break;
        case opNotEqual:
            --top;
            stack[top] = SameValue(stack[top + 1], stack[top]) ? 0 : 1;
            break;
        case opJumpUnless:
            if (stack[top--] == 0) op = code + op->Argument - 1;
            break;
        case opJump:
            op = code + op->Argument - 1;
            break;
        case opDelayHistory: {
            auto* f = static_cast<TEquationFunction*>(op->Node);
            if (!f->Table) f->Table = std::make_unique<TDataSeries>();
            if (!f->Table->IsEmpty()) op = code + op->Argument - 1;
            break;
        }
        case opDelaySeed: {
            const TSimulationObject* sim = CurrentSimulation;
            const double t = sim ? sim->CurrentTime : 0;
            const double dt = sim ? sim->TimeStep : 0;
            static_cast<TEquationFunction*>(op->Node)->AddDelayPoint(t - dt, stack[top--]);
            break;
        }
        case opDelay: {
            auto* f = static_cast<TEquationFunction*>(op->Node);
            const TSimulationObject* sim = CurrentSimulation;
            const double t = sim ? sim->CurrentTime : 0;
            const double dt = sim ? sim->TimeStep : 0;
            double delay = stack[top];
            if (delay < dt) delay = dt;
            stack[top] =
                Checked(f, f->Table->ValueAtNear(t - delay, f->DelayPlace, !f->DelayTimeNaN));
            break;
        }
        case opRecordDelay: {
            auto* f = static_cast<TEquationFunction*>(op->Node);
            const TSimulationObject* sim = CurrentSimulation;
            if (!f->Table) f->Table = std::make_unique<TDataSeries>();
            f->AddDelayPoint(sim ? sim->CurrentTime : 0, stack[top--]);
            break;
        }
        case opRecordTree:
            op->Node->RecordStep();
            break;
        case opTrigonometry:
            stack[top] = Checked(Reporters[op - code],
                                 Trigonometric(static_cast<int>(op->Argument), stack[top]));
            break;
        case opModulo: {
            --top;
            double r;
            const TEvalFailure failure = Modulo(stack[top], stack[top + 1], r);
            stack[top] = failure == efNone ? r : Failed(Reporters[op - code], failure);
            break;
        }
        case opPulseTrain: {
            top -= 3;
            const TSimulationObject* sim = CurrentSimulation;
            stack[top] = PulseTrain(sim ? sim->CurrentTime : 0, stack[top], stack[top + 1],
                                    stack[top + 2], stack[top + 3]);
            break;
        }
        }
    }
    return top >= 0 ? stack[0] : 0;
}
