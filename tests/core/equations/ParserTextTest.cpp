// The built-in table and the text tests the parser is made of.
#include "core/equations/ParserInternal.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(FunctionList, RowsAreInIndexOrder) {
    for (int i = 0; i < FunctionCount; ++i) {
        EXPECT_EQ(FunctionList[i].Index, i);
        EXPECT_GE(FunctionList[i].Category, 0);
        EXPECT_LE(FunctionList[i].Category, 5);
        EXPECT_EQ(LookupFunction(FunctionList[i].Name), i) << FunctionList[i].Name;
    }
    struct TRow {
        TFunctionIndex Index;
        const char* Name;
        TEquationValueKind Kind;
        int Category;
        const char* Help;
    };
    const TRow rows[] = {
        {sgvPI, "PI", evkNumber, 3, ""},
        {sgvTRUE, "TRUE", evkBoolean, 2, ""},
        {sgvDivide, "/", evkNumber, 0, ""},
        {sgvNotEqual, "<>", evkBoolean, 0, ""},
        {sgvLessThan, "<", evkBoolean, 0, ""},
        {sgvAND, "AND", evkBoolean, 2,
         "(ConditionStatement1, ConditionStatement2 [,ConditionStatement3, ...])"},
        {sgvNOT, "NOT", evkBoolean, 2, "(ConditionStatement)"},
        {sgvDELAY, "DELAY", evkNumber, 1, "(InputValue, DelayTime [,InitialValueConstant])"},
        {sgvGRAPH, "GRAPH", evkNumber, 1,
         "(Index Expression, First X Value, X Interval, Data Series[,...])"},
        {sgvRANDOM, "RANDOM", evkNumber, 1, "(UpperBound)"},
        {sgvMAX, "MAX", evkNumber, 1, "(Expression1, Expression2 [,Expression3, ... ExpressionN])"},
        {sgvFLOOR, "FLOOR", evkNumber, 1, "(InputValue)"},
        {sgvDIV, "DIV", evkNumber, 1, "(Numerator, Denominator [,DivideByZeroValue])"},
        {sgvIF, "IF", evkNumber, 1, "(ConditionStatement, TrueStatement, FalseStatement)"},
        {sgvNPV, "NPV", evkNumber, 5,
         "(CashFlowRate, Discount%Rate [,PeriodLength, LumpSum, Start])"},
        {sgvFV, "FV", evkNumber, 5,
         "(CashFlowRate, Interest%rate [,PeriodLength, LumpSum, Start, Finish)"},
        {sgvPV, "PV", evkNumber, 5,
         "(CashFlowRate, Interest%Rate [,PeriodLength, PresentValueTime])"},
        {sgvTIMESTEP, "TIMESTEP", evkNumber, 4, ""},
        {sgvTODAY, "TODAY", evkNumber, 4, ""},
        {sgvSIN, "SIN", evkNumber, 1, "(AngleInRadians)"},
        {sgvARCCOS, "ARCCOS", evkNumber, 1, "(InputValue -1 to 1)"},
        {sgvPREVIOUS, "PREVIOUS", evkNumber, 1, "(InputValue, InitialValue)"},
        {sgvPULSETRAIN, "PULSETRAIN", evkNumber, 1, "(FirstTime, Width, IntervalTime, LastTime)"},
        {sgvTREND, "TREND", evkNumber, 1, "(InputValue, AveragingTime, InitialTrend)"},
    };
    // New built-ins only ever join the end: stored numbers keep their meaning.
    EXPECT_EQ(sgvTODAY, 44);
    EXPECT_EQ(sgvSIN, 45);
    EXPECT_EQ(FunctionCount, 57);
    for (const TRow& row : rows) {
        const TFunctionListItem& item = FunctionList[row.Index];
        EXPECT_STREQ(item.Name, row.Name);
        EXPECT_EQ(item.ResultKind, row.Kind) << row.Name;
        EXPECT_EQ(item.Category, row.Category) << row.Name;
        EXPECT_STREQ(item.ParamHelp, row.Help);
    }
    EXPECT_STREQ(FunctionCategoryNames[0], "Operators");
    EXPECT_STREQ(FunctionCategoryNames[5], "Financial Functions");
}

TEST(FunctionList, LookupIgnoresCase) {
    EXPECT_EQ(LookupFunction("max"), sgvMAX);
    EXPECT_EQ(LookupFunction("StartTime"), sgvSTARTTIME);
    EXPECT_EQ(LookupFunction(">="), sgvGreaterEqual);
    EXPECT_EQ(LookupFunction("MAXI"), -1);
    EXPECT_EQ(LookupFunction(""), -1);
    EXPECT_EQ(LookupFunction("dt"), -1);
}

TEST(ParserText, NormalizeSigns) {
    const std::pair<const char*, const char*> cases[] = {
        {"a - -b", "a+b"},
        {"a + -b", "a-b"},
        {"- - 5", "5"},
        {"+5", "5"},
        {"  +a", "a"},
        {"-a", "-a"},
        {"a*(+b)", "a*(+b)"},
        {"a - b - c", "a-b-c"},
        {"a", "a"},
        {"a -", "a-"},
        {"a\t-\tb", "a\t-\tb"},
        // Exponent signs stay; a sign set apart from its e stays an operator.
        {"1e-5", "1e-5"},
        {"a - 2E+3", "a-2E+3"},
        {"1e - 5", "1e -5"},
        {"1e--5", "1e +5"},
        {"1e -5", "1e -5"},
        {"rate - 1", "rate-1"},
        {"x1e - 5", "x1e-5"},
    };
    for (const auto& [text, expected] : cases)
        EXPECT_EQ(NormalizeSigns(text), expected) << text;
}

TEST(ParserText, NumberText) {
    const std::pair<const char*, bool> cases[] = {
        {"1e5", true},    {"12", true},    {" 12 ", true}, {"1.", true},   {".5", true},
        {".", true},      {"1e", true},    {"1e+", true},  {"+5", true},   {"-5", true},
        {"1e-5", true},   {"2E+30", true}, {"e", false},   {"E", false},   {"e5", false},
        {"E+5", false},   {"", false},     {"- 5", false}, {"1 5", false}, {"1e5x", false},
        {"1.2.3", false}, {"0x10", false}, {"inf", false}, {"nan", false}, {"1,5", false},
    };
    for (const auto& [text, expected] : cases)
        EXPECT_EQ(IsNumberText(text), expected) << text;
}

TEST(ParserText, ReadNumberText) {
    double value = 7;
    EXPECT_EQ(ReadNumberText("1e400", value), TNumberRead::OutOfRange);
    EXPECT_EQ(value, 0);
    EXPECT_EQ(ReadNumberText("-1e400", value), TNumberRead::OutOfRange);
    EXPECT_EQ(ReadNumberText(std::string(400, '9'), value), TNumberRead::OutOfRange);
    EXPECT_EQ(ReadNumberText("1e-400", value), TNumberRead::Ok);
    EXPECT_EQ(value, 0);
    EXPECT_EQ(ReadNumberText(".", value), TNumberRead::NotConvertible);
    EXPECT_EQ(ReadNumberText("2.5E", value), TNumberRead::Ok);
    EXPECT_EQ(value, 2.5);
    EXPECT_EQ(ReadNumberText("1.7976931348623157e308", value), TNumberRead::Ok);
}

TEST(ParserText, Parameters) {
    const std::pair<const char*, int> counts[] = {
        {"", 0},         {"a", 0},       {"a,b", 1},       {"a,,", 2},
        {"f(a,b),c", 1}, {"[a,b],c", 1}, {"(a,[b),c]", 0}, {"a),b,(c", 0},
    };
    for (const auto& [text, expected] : counts)
        EXPECT_EQ(CountParameters(text), expected) << text;

    std::string first;
    std::string rest;
    SplitFirstParameter(" MAX(a, b) , c , d ", first, rest);
    EXPECT_EQ(first, "MAX(a, b)");
    EXPECT_EQ(rest, "c , d");
    SplitFirstParameter("a,", first, rest);
    EXPECT_EQ(first, "a");
    EXPECT_EQ(rest, "");
    SplitFirstParameter(" [a,b] ", first, rest);
    EXPECT_EQ(first, "[a,b]");
    EXPECT_EQ(rest, "");
}

} // namespace
