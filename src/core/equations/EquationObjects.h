#pragma once
// The equation language: built-in functions, the element tree built by the parser,
// and its evaluation.

#include "core/model/DataSeries.h"
#include "core/model/VariableLink.h"
#include "core/persistence/FileItems.h"

#include <cmath>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

class TVariableObject;
class TFinancialData;

enum TEquationValueKind : uint8_t { evkNumber = 0, evkBoolean = 1 };

struct TEquationValue {
    TEquationValueKind Kind = evkNumber;
    bool BoolValue = false;
    double Number = 0;
};

// clang-format off
enum TFunctionIndex : uint8_t {
    sgvPI, sgvTRUE, sgvFALSE, sgvDivide, sgvMultiply, sgvPlus, sgvMinus, sgvNotEqual,
    sgvGreaterEqual, sgvLessEqual, sgvEqual, sgvGreaterThan, sgvLessThan, sgvAND, sgvOR, sgvNOT,
    sgvDELAY, sgvPULSE, sgvRAMP, sgvGRAPH, sgvLN, sgvLOG, sgvEXP, sgvSQRT, sgvRANDOM, sgvMIN,
    sgvMAX, sgvINT, sgvABS, sgvSIGN, sgvROUND, sgvFRAC, sgvCEIL, sgvFLOOR, sgvPOWER, sgvDIV,
    sgvIF, sgvNPV, sgvFV, sgvPV, sgvTIME, sgvSTARTTIME, sgvSTOPTIME, sgvTIMESTEP, sgvTODAY,
    // Added later: stored models only ever hold names, but the numbers stay put all the same.
    sgvSIN, sgvCOS, sgvTAN, sgvARCSIN, sgvARCCOS, sgvARCTAN, sgvINIT, sgvPREVIOUS, sgvHISTORY,
    sgvMODULO, sgvPULSETRAIN, sgvTREND
};
// clang-format on
inline constexpr int FunctionCount = 57;
// The built-ins that every file format knows; a model calling a later one needs the newer format.
inline constexpr int BaseFunctionCount = 45;

struct TFunctionListItem {
    const char* Name;
    TFunctionIndex Index;
    TEquationValueKind ResultKind;
    const char* ParamHelp;
    int32_t Category;
};

extern const TFunctionListItem FunctionList[FunctionCount];
extern const char* const FunctionCategoryNames[6];

// Which of the final leaf classes an element is, so that a function can read its
// parameters without a virtual call.
enum TLeafKind : uint8_t { lkOther, lkConstant, lkReference };

// Base of the parsed equation tree.
class TEquationElement : public TIOListObject {
public:
    TEquationElement() = default;
    // Writes the line break and ElementKind; trees are never stored in model files.
    void Save(TFileObject& file) override;
    void Load(TFileObject&) override {}

    virtual uint8_t ElementKind() const = 0;
    virtual TEquationValueKind ResultKind() const = 0;
    // The tree's part of the circularity search.
    virtual bool CheckDependencies() = 0;
    virtual void Evaluate(TEquationValue& value) = 0;
    virtual void RewindTo(double /*offset*/) {}
    virtual void ResetRun() { ErrorReported = false; }
    virtual void RecordStep() {}

    // Evaluates and reads the result as a number (a condition gives 1 or 0). The element
    // classes override both to skip the value record; the results are those of Evaluate.
    virtual double EvaluateNumber();
    // Evaluates and reads the result as a condition (a number is true when not zero).
    virtual bool EvaluateCondition();
    // Reports an evaluation failure, once per element per run.
    void ReportError(const char* message);

    bool ErrorReported = false;
    const TLeafKind Leaf = lkOther;

protected:
    explicit TEquationElement(TLeafKind leaf) : Leaf(leaf) {}
};

class TEquationConstant final : public TEquationElement {
public:
    TEquationConstant() : TEquationElement(lkConstant) {}
    uint8_t ElementKind() const override { return 0; }
    TEquationValueKind ResultKind() const override { return Value.Kind; }
    bool CheckDependencies() override { return true; }
    void Evaluate(TEquationValue& value) override;
    double EvaluateNumber() override;
    bool EvaluateCondition() override;

    TEquationValue Value;
    std::string Text; // the number as written, with a leading "-" from a unary minus
};

class TEquationVariableReference final : public TEquationElement {
public:
    TEquationVariableReference() : TEquationElement(lkReference) {}
    uint8_t ElementKind() const override { return 1; }
    TEquationValueKind ResultKind() const override { return evkNumber; }
    bool CheckDependencies() override;
    void Evaluate(TEquationValue& value) override;
    double EvaluateNumber() override;
    bool EvaluateCondition() override;

    TVariableLink Variable;
};

using TParameterList = TIOTypedList<TEquationElement>;

class TEquationFunction : public TEquationElement {
public:
    explicit TEquationFunction(TFunctionIndex index = sgvPI);
    ~TEquationFunction() override;

    uint8_t ElementKind() const override { return 2; }
    TEquationValueKind ResultKind() const override;
    bool CheckDependencies() override;
    void Evaluate(TEquationValue& value) override;
    double EvaluateNumber() override;
    bool EvaluateCondition() override;
    void RewindTo(double offset) override;
    void ResetRun() override;
    void RecordStep() override;

    int32_t ParamCount() const { return Parameters.Count(); }
    // Parameter i, or none when the tree lacks it (a malformed tree must not crash).
    TEquationElement* Param(int32_t i) const {
        const auto& items = Parameters.AllItems();
        return i >= 0 && static_cast<size_t>(i) < items.size()
                   ? static_cast<TEquationElement*>(items[static_cast<size_t>(i)])
                   : nullptr;
    }
    // Evaluates parameter i as a number; a missing parameter gives 0.
    double ParamNumber(int32_t i) const {
        TEquationElement* p = Param(i);
        return p ? p->EvaluateNumber() : 0;
    }
    // Evaluates parameter i as a condition; a missing parameter gives false.
    bool ParamCondition(int32_t i) const {
        TEquationElement* p = Param(i);
        return p && p->EvaluateCondition();
    }

    TFunctionIndex FunctionIndex;
    TParameterList Parameters;
    // GRAPH's lookup table (built by the parser), or what DELAY, INIT, PREVIOUS, HISTORY and
    // TREND keep of the run: the input at each step (TREND: its average after each step).
    std::unique_ptr<TDataSeries> Table;
    // NPV, FV and PV keep their running totals here.
    std::unique_ptr<TFinancialData> Financial;
    // Where DELAY's last lookup in its history landed; the next one starts there.
    size_t DelayPlace = 0;
    // Whether a NaN time went into DELAY's history this run (only a NaN clock puts one there).
    bool DelayTimeNaN = false;
    // RANDOM's draw of the last whole step: the stages between whole steps see it again.
    double StepDraw = 0;
    // Adds a point to DELAY's history, noting a NaN time.
    void AddDelayPoint(double time, double input) {
        if (std::isnan(time)) DelayTimeNaN = true;
        Table->AddPoint(time, input);
    }

    // Whether the function keeps a history of the run in Table.
    bool KeepsHistory() const {
        switch (FunctionIndex) {
        case sgvDELAY:
        case sgvINIT:
        case sgvPREVIOUS:
        case sgvHISTORY:
        case sgvTREND:
            return true;
        default:
            return false;
        }
    }

private:
    // The comparisons and logic functions give a condition, every other function a number.
    bool GivesCondition() const;
    bool ComputeCondition();
    // The number with its failure reported and replaced by 0.
    double ComputeNumber();
    // INIT, PREVIOUS, HISTORY and TREND: their value, and what they record after a step.
    double ComputeRecalled();
    void RecordRecalled(double time);
};

// Parsing and evaluation state belongs to the thread doing it: analysis workers each parse
// and run their own copy of a model.

// The parser's messages since BeginEquationParse, "\r\n" between them; empty when none.
extern thread_local std::string EquationErrors;

// Gathers the variable's information links as the names an equation may use.
void BeginEquationParse(TVariableObject& variable);
// Parses one expression; none for an empty text or a part with errors.
std::unique_ptr<TEquationElement> ParseEquation(std::string_view text);
// True when the trimmed text has the shape of a number (one not starting with 'e'): an
// equation that is a plain number makes a Constant.
bool IsNumberText(std::string_view t);

// Evaluation state: set by a failing element, read after each element's evaluation.
extern thread_local constinit bool EvaluationErrorFlag;
extern thread_local std::string EvaluationErrorText;
// RANDOM's generator: seed * 134775813 + 1 modulo 2^32, divided by 2^32.
inline double NextRandomFrom(uint32_t& seed) {
    seed = seed * 134775813u + 1u;
    return seed / 4294967296.0;
}
// The program-wide generator of ordinary runs: seed 0 at start, never reseeded. Only the
// main thread's runs use it.
extern uint32_t RandomSeed;
// The next number of RANDOM: from the running simulation's own generator when it has one
// (an analysis run), otherwise from the program-wide one.
double NextRandom();
