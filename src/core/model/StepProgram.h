#pragma once
// A run's equations compiled to flat code: each element's tree becomes a short postfix
// program, all of them in one array in list order, and the values the code reads are kept
// densely by list position. A big model would otherwise spend most of a step fetching
// scattered tree nodes and element objects. The trees stay the authority: the code
// computes exactly what they compute, in the same order, and hands anything unusual to them.

#include <atomic>
#include <cstdint>
#include <unordered_map>
#include <vector>

class TEquationElement;
class TIOListObject;
class TVariableObject;

// Bumped whenever an equation tree is made or freed, so that code compiled from the trees can
// tell that it is out of date (a freed tree's address may well be reused by the next one).
// Analysis workers compile their own copies at the same time as others run theirs.
extern std::atomic<uint64_t> EquationTreeGeneration;

class TStepProgram {
public:
    // Compiles the trees of items, the simulation's elements in list order.
    explicit TStepProgram(const std::vector<TIOListObject*>& items);
    TStepProgram(const TStepProgram&) = delete;
    TStepProgram& operator=(const TStepProgram&) = delete;

    // Whether this was compiled for these very elements and their present trees.
    bool Fits(const std::vector<TIOListObject*>& items) const;
    // Values kept so far no longer count: a new step began, or values changed outside one.
    void Forget();
    // Notes the element's value for the rest of the step, once it is computed.
    void Keep(uint32_t slot, double value) { Values[slot] = {value, Stamp}; }
    // Computes the element at slot unless already computed this step, as
    // TVariableObject::Evaluate does, with its tree's code when it has one.
    void EvaluateElement(uint32_t slot);
    // TVariableObject::AfterStep for the element at slot.
    void AfterStep(uint32_t slot);
    // Whether a step is using this program; it must not be freed until that step ends.
    int32_t Users = 0;

private:
    enum TOpCode : uint8_t {
        opNumber,        // pushes Number
        opValue,         // pushes the value of the element at Argument
        opTree,          // pushes Node's number, from the tree
        opTreeCondition, // pushes Node's condition (1 or 0), from the tree
        opCondition,     // a number becomes a condition: 1 unless zero
        opNot,
        // Arithmetic reports a failure through the node the tree would report it from.
        opAdd,
        opSubtract,
        opMultiply,
        // The same with the right operand in the operation: a number, or an element's value.
        opAddNumber,
        opSubtractNumber,
        opMultiplyNumber,
        opDivideNumber, // by a number that is not zero
        opAddValue,
        opSubtractValue,
        opMultiplyValue,
        opNegate,
        opCheck,       // a function's result that is not finite fails
        opZeroDivisor, // a zero divisor on top fails and jumps to Argument
        opDivide,      // the dividend on top, the divisor below
        opMin,         // Argument operands
        opMax,
        opGreaterEqual, // the left side on top, the right side below
        opLessEqual,
        opGreaterThan,
        opLessThan,
        opEqual,
        opNotEqual,
        opJumpUnless, // pops a condition; jumps to Argument when false
        opJump,       // to Argument
        // DELAY: jumps to Argument unless the history needs its first point; the seed;
        // the lookup with the delay on top. Recording pops the input.
        opDelayHistory,
        opDelaySeed,
        opDelay,
        opRecordDelay,
        opRecordTree, // Node records its own step state, and that of its parameters
        // SIN ... ARCTAN (Argument 0 to 5) of the number on top; MODULO of the two on top
        // (the divisor on top); PULSETRAIN of the four on top (the last time on top).
        opTrigonometry,
        opModulo,
        opPulseTrain,
    };

    struct TOp {
        TOpCode Code;
        uint32_t Argument;
        union {
            double Number;
            TEquationElement* Node;
        };
    };
    struct TKept {
        double Value;
        uint32_t Stamp;
    };

    // The number that the element's tree gives.
    double Run(uint32_t slot) { return Execute(Start[slot], Start[slot + 1]); }
    // Runs Code[from, to) and gives what it leaves on the stack (0 for none).
    double Execute(uint32_t from, uint32_t to);
    // The value of the element at slot, computing it first when needed.
    double ValueOf(uint32_t slot) {
        const TKept& kept = Values[slot];
        if (kept.Stamp == Stamp) return kept.Value;
        return Fetch(slot);
    }
    double Fetch(uint32_t slot);
    bool HasCode(uint32_t slot) const { return Start[slot] != Start[slot + 1]; }

    // Compiling.
    void Emit(TEquationElement* element, bool asCondition);
    bool EmitFunction(TEquationElement* element, bool asCondition);
    bool EmitDelay(TEquationElement* element);
    // The right operand folded into the operation when it is a number or a value.
    bool EmitRightOperand(TEquationElement* right, TOpCode withNumber, TOpCode withValue,
                          TEquationElement* reporter);
    // Code that does what RecordStep does on the tree.
    void EmitRecord(TEquationElement* element);
    void Push(TOpCode code, uint32_t argument = 0, TEquationElement* node = nullptr);
    void PushNumber(double number);
    int32_t Slot(const TVariableObject* element) const;

    std::vector<TVariableObject*> Elements;
    std::vector<uint32_t> Start; // element i's code is [Start[i], Start[i + 1])
    // Element i's recording code, after all the others: [Recording[i], Recording[i + 1]).
    std::vector<uint32_t> Recording;
    std::vector<TOp> Code;
    // For each operation of Code, the tree node that reports its failures.
    std::vector<TEquationElement*> Reporters;
    std::vector<TKept> Values;
    uint32_t Stamp = 1;
    uint64_t Generation = 0;
    // Compile state: where each element is in the list, the stack depth the code reached so far,
    // and the most it may.
    std::unordered_map<const TVariableObject*, int32_t> Slots;
    int32_t Depth = 0, MostDepth = 0;
};
