// The built-in names of the equation language, in TFunctionIndex order.
#include "core/equations/ParserInternal.h"
#include "core/support/Text.h"

namespace {

constexpr TEquationValueKind Num = evkNumber;
constexpr TEquationValueKind Bool = evkBoolean;
constexpr const char* ConditionList =
    "(ConditionStatement1, ConditionStatement2 [,ConditionStatement3, ...])";
constexpr const char* ExpressionList = "(Expression1, Expression2 [,Expression3, ... ExpressionN])";
constexpr const char* Input = "(InputValue)";
constexpr const char* Angle = "(AngleInRadians)";

} // namespace

const TFunctionListItem FunctionList[FunctionCount] = {
    {"PI", sgvPI, Num, "", 3},
    {"TRUE", sgvTRUE, Bool, "", 2},
    {"FALSE", sgvFALSE, Bool, "", 2},
    {"/", sgvDivide, Num, "", 0},
    {"*", sgvMultiply, Num, "", 0},
    {"+", sgvPlus, Num, "", 0},
    {"-", sgvMinus, Num, "", 0},
    {"<>", sgvNotEqual, Bool, "", 0},
    {">=", sgvGreaterEqual, Bool, "", 0},
    {"<=", sgvLessEqual, Bool, "", 0},
    {"=", sgvEqual, Bool, "", 0},
    {">", sgvGreaterThan, Bool, "", 0},
    {"<", sgvLessThan, Bool, "", 0},
    {"AND", sgvAND, Bool, ConditionList, 2},
    {"OR", sgvOR, Bool, ConditionList, 2},
    {"NOT", sgvNOT, Bool, "(ConditionStatement)", 2},
    {"DELAY", sgvDELAY, Num, "(InputValue, DelayTime [,InitialValueConstant])", 1},
    {"PULSE", sgvPULSE, Num, "(Value, FirstTime, IntervalTime)", 1},
    {"RAMP", sgvRAMP, Num, "(RateValue, FirstTime)", 1},
    {"GRAPH", sgvGRAPH, Num, "(Index Expression, First X Value, X Interval, Data Series[,...])", 1},
    {"LN", sgvLN, Num, Input, 1},
    {"LOG", sgvLOG, Num, Input, 1},
    {"EXP", sgvEXP, Num, Input, 1},
    {"SQRT", sgvSQRT, Num, Input, 1},
    {"RANDOM", sgvRANDOM, Num, "(UpperBound)", 1},
    {"MIN", sgvMIN, Num, ExpressionList, 1},
    {"MAX", sgvMAX, Num, ExpressionList, 1},
    {"INT", sgvINT, Num, Input, 1},
    {"ABS", sgvABS, Num, Input, 1},
    {"SIGN", sgvSIGN, Num, Input, 1},
    {"ROUND", sgvROUND, Num, Input, 1},
    {"FRAC", sgvFRAC, Num, Input, 1},
    {"CEIL", sgvCEIL, Num, Input, 1},
    {"FLOOR", sgvFLOOR, Num, Input, 1},
    {"POWER", sgvPOWER, Num, "(InputValue, Exponent)", 1},
    {"DIV", sgvDIV, Num, "(Numerator, Denominator [,DivideByZeroValue])", 1},
    {"IF", sgvIF, Num, "(ConditionStatement, TrueStatement, FalseStatement)", 1},
    {"NPV", sgvNPV, Num, "(CashFlowRate, Discount%Rate [,PeriodLength, LumpSum, Start])", 5},
    {"FV", sgvFV, Num, "(CashFlowRate, Interest%rate [,PeriodLength, LumpSum, Start, Finish)", 5},
    {"PV", sgvPV, Num, "(CashFlowRate, Interest%Rate [,PeriodLength, PresentValueTime])", 5},
    {"TIME", sgvTIME, Num, "", 4},
    {"STARTTIME", sgvSTARTTIME, Num, "", 4},
    {"STOPTIME", sgvSTOPTIME, Num, "", 4},
    {"TIMESTEP", sgvTIMESTEP, Num, "", 4},
    {"TODAY", sgvTODAY, Num, "", 4},
    {"SIN", sgvSIN, Num, Angle, 1},
    {"COS", sgvCOS, Num, Angle, 1},
    {"TAN", sgvTAN, Num, Angle, 1},
    {"ARCSIN", sgvARCSIN, Num, "(InputValue -1 to 1)", 1},
    {"ARCCOS", sgvARCCOS, Num, "(InputValue -1 to 1)", 1},
    {"ARCTAN", sgvARCTAN, Num, Input, 1},
    {"INIT", sgvINIT, Num, Input, 1},
    {"PREVIOUS", sgvPREVIOUS, Num, "(InputValue, InitialValue)", 1},
    {"HISTORY", sgvHISTORY, Num, "(InputValue, PastTime)", 1},
    {"MODULO", sgvMODULO, Num, "(Dividend, Divisor)", 1},
    {"PULSETRAIN", sgvPULSETRAIN, Num, "(FirstTime, Width, IntervalTime, LastTime)", 1},
    {"TREND", sgvTREND, Num, "(InputValue, AveragingTime, InitialTrend)", 1},
};

const char* const FunctionCategoryNames[6] = {"Operators",         "General Functions",
                                              "Boolean",           "Constants",
                                              "Simulation Values", "Financial Functions"};

int LookupFunction(std::string_view name) {
    for (int i = 0; i < FunctionCount; ++i) {
        std::string_view candidate = FunctionList[i].Name;
        if (candidate.size() != name.size()) continue;
        bool same = true;
        for (size_t k = 0; k < name.size() && same; ++k)
            same = LowerAscii(candidate[k]) == LowerAscii(name[k]);
        if (same) return i;
    }
    return -1;
}
