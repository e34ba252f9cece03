#include "EvalTestSupport.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace evaltest;

namespace {

const char* const DivideByZero = "Divide by zero, assuming 0";
const char* const LnError = "LN of expression<=0, assuming 0";
const char* const LogError = "Log of expression<=0, assuming 0";
const char* const SqrtError = "Square root of negative number, assuming 0";
const char* const Invalid = "Invalid floating point operation, assuming 0 as result";
const char* const ZeroDivide = "Floating point division by zero, assuming 0 as result";
const char* const Overflow = "Floating point overflow, assuming 0 as result";

struct NumberCase {
    const char* Name;
    std::function<Node()> Make;
    double Expected;
    const char* Error = "";
};

void CheckNumbers(const std::vector<NumberCase>& cases) {
    for (const auto& c : cases) {
        Node tree = c.Make();
        TOutcome out = EvaluateOnce(*tree);
        EXPECT_EQ(out.Value.Kind, evkNumber) << c.Name;
        EXPECT_DOUBLE_EQ(out.Value.Number, c.Expected) << c.Name;
        EXPECT_EQ(out.Error, c.Error) << c.Name;
    }
}

Node Div(Node a, Node b) {
    return F(sgvDivide, std::move(a), std::move(b));
}

} // namespace

TEST(Builtins, ArithmeticAndCheckedConditions) {
    CheckNumbers({
        {"1+2", [] { return F(sgvPlus, C(1), C(2)); }, 3},
        {"+5", [] { return F(sgvPlus, C(5)); }, 5},
        {"7-2", [] { return F(sgvMinus, C(7), C(2)); }, 5},
        {"-x", [] { return F(sgvMinus, C(5)); }, -5},
        {"3*4", [] { return F(sgvMultiply, C(3), C(4)); }, 12},
        {"()*3", [] { return F(sgvMultiply, C(3)); }, 3},
        {"()/3", [] { return F(sgvDivide, C(3)); }, 3},
        {"6/4", [] { return Div(C(6), C(4)); }, 1.5},
        {"1/0", [] { return Div(C(1), C(0)); }, 0, DivideByZero},
        {"1/0.00000000001", [] { return Div(C(1), C(1e-11)); }, 0, DivideByZero},
        {"DIV(1,0)", [] { return F(sgvDIV, C(1), C(0)); }, 0},
        {"DIV(1,0,5)", [] { return F(sgvDIV, C(1), C(0), C(5)); }, 5},
        {"DIV(6,3,5)", [] { return F(sgvDIV, C(6), C(3), C(5)); }, 2},
        {"DIV(1e300,1e-9)", [] { return F(sgvDIV, C(1e300), C(1e-9)); }, 0, Overflow},
        {"1e300*1e300", [] { return F(sgvMultiply, C(1e300), C(1e300)); }, 0, Overflow},
        {"1.7e308+1.7e308", [] { return F(sgvPlus, C(1.7e308), C(1.7e308)); }, 0, Overflow},
        {"EXP(1000)", [] { return F(sgvEXP, C(1000)); }, 0, Overflow},
        {"EXP(1000)+1", [] { return F(sgvPlus, F(sgvEXP, C(1000)), C(1)); }, 1, Overflow},
        {"EXP(-1000)", [] { return F(sgvEXP, C(-1000)); }, 0},
        {"EXP(1)", [] { return F(sgvEXP, C(1)); }, std::exp(1.0)},
        {"LN(0)", [] { return F(sgvLN, C(0)); }, 0, LnError},
        {"LN(-1)", [] { return F(sgvLN, C(-1)); }, 0, LnError},
        {"LN(0.00000000001)", [] { return F(sgvLN, C(1e-11)); }, 0, LnError},
        {"LN(e)", [] { return F(sgvLN, C(std::exp(1.0))); }, 1},
        {"LOG(0)", [] { return F(sgvLOG, C(0)); }, 0, LogError},
        {"LOG(-5)", [] { return F(sgvLOG, C(-5)); }, 0, LogError},
        {"LOG(1000)", [] { return F(sgvLOG, C(1000)); }, 3},
        {"SQRT(-1e-300)", [] { return F(sgvSQRT, C(-1e-300)); }, 0, SqrtError},
        {"SQRT(-4)", [] { return F(sgvSQRT, C(-4)); }, 0, SqrtError},
        {"SQRT(0)", [] { return F(sgvSQRT, C(0)); }, 0},
        {"SQRT(9)", [] { return F(sgvSQRT, C(9)); }, 3},
        {"PI", [] { return F(sgvPI); }, 3.141592653589793},
    });
}

TEST(Builtins, PowerRules) {
    CheckNumbers({
        {"POWER(-8,1/3)", [] { return F(sgvPOWER, C(-8), Div(C(1), C(3))); }, 0, Invalid},
        {"POWER(-2,3)", [] { return F(sgvPOWER, C(-2), C(3)); }, -8},
        {"POWER(-2,-3)", [] { return F(sgvPOWER, C(-2), C(-3)); }, -0.125},
        {"POWER(0,0)", [] { return F(sgvPOWER, C(0), C(0)); }, 1},
        {"POWER(0,2.5)", [] { return F(sgvPOWER, C(0), C(2.5)); }, 0},
        {"POWER(0,-1)", [] { return F(sgvPOWER, C(0), C(-1)); }, 0, ZeroDivide},
        {"POWER(0,-0.5)", [] { return F(sgvPOWER, C(0), C(-0.5)); }, 0, ZeroDivide},
        {"POWER(2,10)", [] { return F(sgvPOWER, C(2), C(10)); }, 1024},
        {"POWER(2,0.5)", [] { return F(sgvPOWER, C(2), C(0.5)); }, std::sqrt(2.0)},
        {"POWER(10,400)", [] { return F(sgvPOWER, C(10), C(400)); }, 0, Overflow},
        {"POWER(10,-400) underflows", [] { return F(sgvPOWER, C(10), C(-400)); }, 0},
        {"POWER(10,1e10)", [] { return F(sgvPOWER, C(10), C(1e10)); }, 0, Overflow},
        {"POWER(-2,3e9)", [] { return F(sgvPOWER, C(-2), C(3e9)); }, 0, Invalid},
        {"POWER(1.1,2)", [] { return F(sgvPOWER, C(1.1), C(2)); }, 1.1 * 1.1},
    });
}

TEST(Builtins, GeneralFunctions) {
    CheckNumbers({
        {"ROUND(2.5)", [] { return F(sgvROUND, C(2.5)); }, 3},
        {"ROUND(-2.5)", [] { return F(sgvROUND, C(-2.5)); }, -3},
        {"ROUND(-0.4)", [] { return F(sgvROUND, C(-0.4)); }, 0},
        {"ROUND(0.49999999999999994)", [] { return F(sgvROUND, C(0.49999999999999994)); }, 0},
        {"ROUND(3e9+0.5)", [] { return F(sgvROUND, C(3e9 + 0.5)); }, 3000000001.0},
        {"ROUND(2^52+1)", [] { return F(sgvROUND, C(4503599627370497.0)); }, 4503599627370497.0},
        {"INT(-2.7)", [] { return F(sgvINT, C(-2.7)); }, -2},
        {"INT(1e20+0.5)", [] { return F(sgvINT, C(1e20)); }, 1e20},
        {"FRAC(-2.7)", [] { return F(sgvFRAC, C(-2.7)); }, -2.7 + 2},
        {"FLOOR(-2.5)", [] { return F(sgvFLOOR, C(-2.5)); }, -3},
        {"FLOOR(-3e9-0.5)", [] { return F(sgvFLOOR, C(-3e9 - 0.5)); }, -3000000001.0},
        {"CEIL(-2.5)", [] { return F(sgvCEIL, C(-2.5)); }, -2},
        {"CEIL(1e10+0.5)", [] { return F(sgvCEIL, C(1e10 + 0.5)); }, 10000000001.0},
        {"SIGN(0)", [] { return F(sgvSIGN, C(0)); }, 0},
        {"SIGN(-0)", [] { return F(sgvSIGN, C(-0.0)); }, 0},
        {"SIGN(-3)", [] { return F(sgvSIGN, C(-3)); }, -1},
        {"SIGN(1e-300)", [] { return F(sgvSIGN, C(1e-300)); }, 1},
        {"ABS(-3)", [] { return F(sgvABS, C(-3)); }, 3},
        {"MIN(3,1,2)", [] { return F(sgvMIN, C(3), C(1), C(2)); }, 1},
        {"MAX(3,1,2)", [] { return F(sgvMAX, C(3), C(1), C(2)); }, 3},
        {"MIN beyond 1.7e308", [] { return F(sgvMIN, C(1.79e308), C(1.75e308)); }, 1.75e308},
        {"MAX beyond -1.7e308", [] { return F(sgvMAX, C(-1.79e308), C(-1.75e308)); }, -1.75e308},
        {"IF(TRUE,1,1/0)", [] { return F(sgvIF, F(sgvTRUE), C(1), Div(C(1), C(0))); }, 1},
        {"IF(0,1,2)", [] { return F(sgvIF, C(0), C(1), C(2)); }, 2},
        {"IF(1e-11,1,2)", [] { return F(sgvIF, C(1e-11), C(1), C(2)); }, 2},
        {"IF(-3,1,2)", [] { return F(sgvIF, C(-3), C(1), C(2)); }, 1},
        {"IF(1<2,1<2,0)+1",
         [] {
             return F(sgvPlus,
                      F(sgvIF, F(sgvLessThan, C(1), C(2)), F(sgvLessThan, C(1), C(2)), C(0)), C(1));
         },
         2},
        {"(1<2)+(2<1)",
         [] { return F(sgvPlus, F(sgvLessThan, C(1), C(2)), F(sgvLessThan, C(2), C(1))); }, 1},
    });
}

TEST(Builtins, MalformedTreesGiveZeroWithoutCrash) {
    TTestClock clock(0, 1);
    CheckNumbers({
        {"+ without parameters", [] { return F(sgvPlus); }, 0},
        {"- without parameters", [] { return F(sgvMinus); }, 0},
        {"* without parameters", [] { return F(sgvMultiply); }, 0},
        {"IF without branches", [] { return F(sgvIF, F(sgvTRUE)); }, 0},
        {"MIN without parameters", [] { return F(sgvMIN); }, 0},
        {"PULSE without parameters", [] { return F(sgvPULSE); }, 0},
        {"DELAY without parameters", [] { return F(sgvDELAY); }, 0},
        {"GRAPH without a table", [] { return F(sgvGRAPH, C(1)); }, 0},
        {"NPV without parameters", [] { return F(sgvNPV); }, 0},
        {"FV without parameters", [] { return F(sgvFV); }, 0},
        {"PV without parameters", [] { return F(sgvPV); }, 0},
        {"unknown index", [] { return F(static_cast<TFunctionIndex>(200), C(1)); }, 0},
    });
    Node notEmpty = F(sgvNOT);
    EXPECT_TRUE(EvaluateOnce(*notEmpty).Value.BoolValue);
    Node lessOne = F(sgvLessThan, C(3));
    EXPECT_TRUE(EvaluateOnce(*lessOne).Value.BoolValue);
}

TEST(Builtins, Comparisons) {
    struct Case {
        const char* Name;
        TFunctionIndex Op;
        double A, B;
        bool Expected;
    } cases[] = {
        {"0.1+0.2 = 0.3", sgvEqual, 0.1 + 0.2, 0.3, true},
        {"1 = 1.0000000002", sgvEqual, 1, 1.0000000002, false},
        {"1 <> 1.0000000002", sgvNotEqual, 1, 1.0000000002, true},
        {"1 <> 1.00000000005", sgvNotEqual, 1, 1.00000000005, false},
        {"1 >= 1.00000000005", sgvGreaterEqual, 1, 1.00000000005, true},
        {"1 >= 1.0000000002", sgvGreaterEqual, 1, 1.0000000002, false},
        {"1 > 1.00000000005", sgvGreaterThan, 1, 1.00000000005, false},
        {"1.0000000002 > 1", sgvGreaterThan, 1.0000000002, 1, true},
        {"1.00000000005 <= 1", sgvLessEqual, 1.00000000005, 1, true},
        {"2 <= 1", sgvLessEqual, 2, 1, false},
        {"1 < 1.00000000005", sgvLessThan, 1, 1.00000000005, false},
        {"1 < 1.0000000002", sgvLessThan, 1, 1.0000000002, true},
    };
    for (const auto& c : cases) {
        Node tree = F(c.Op, C(c.A), C(c.B));
        TOutcome out = EvaluateOnce(*tree);
        EXPECT_EQ(out.Value.Kind, evkBoolean) << c.Name;
        EXPECT_EQ(out.Value.BoolValue, c.Expected) << c.Name;
        // A comparison as a whole equation reads as 1 or 0.
        EXPECT_EQ(tree->EvaluateNumber(), c.Expected ? 1 : 0) << c.Name;
    }
}

TEST(Builtins, BooleansAndNumbersAsConditions) {
    struct Case {
        const char* Name;
        std::function<Node()> Make;
        bool Expected;
    } cases[] = {
        {"TRUE", [] { return F(sgvTRUE); }, true},
        {"FALSE", [] { return F(sgvFALSE); }, false},
        {"AND(TRUE,TRUE,TRUE)", [] { return F(sgvAND, F(sgvTRUE), F(sgvTRUE), F(sgvTRUE)); }, true},
        {"AND(TRUE,FALSE)", [] { return F(sgvAND, F(sgvTRUE), F(sgvFALSE)); }, false},
        {"OR(FALSE,FALSE)", [] { return F(sgvOR, F(sgvFALSE), F(sgvFALSE)); }, false},
        {"OR(FALSE,TRUE)", [] { return F(sgvOR, F(sgvFALSE), F(sgvTRUE)); }, true},
        {"NOT(TRUE)", [] { return F(sgvNOT, F(sgvTRUE)); }, false},
        {"NOT(0)", [] { return F(sgvNOT, C(0)); }, true},
        {"NOT(1e-11)", [] { return F(sgvNOT, C(1e-11)); }, true},
        {"NOT(2e-10)", [] { return F(sgvNOT, C(2e-10)); }, false},
        {"AND(1,2)", [] { return F(sgvAND, C(1), C(2)); }, true},
        {"OR(0,-1)", [] { return F(sgvOR, C(0), C(-1)); }, true},
    };
    for (const auto& c : cases) {
        Node tree = c.Make();
        TOutcome out = EvaluateOnce(*tree);
        EXPECT_EQ(out.Value.Kind, evkBoolean) << c.Name;
        EXPECT_EQ(out.Value.BoolValue, c.Expected) << c.Name;
        EXPECT_EQ(out.Error, "") << c.Name;
    }
}

TEST(Builtins, EvaluationOrderAndShortCircuits) {
    struct Case {
        const char* Name;
        std::function<Node(std::vector<int>&)> Make;
        std::vector<int> Order;
    } cases[] = {
        {"a/b reads b first", [](auto& l) { return Div(P(0, 6, l), P(1, 2, l)); }, {1, 0}},
        {"a/0 skips a", [](auto& l) { return Div(P(0, 6, l), P(1, 0, l)); }, {1}},
        {"DIV(a,0,c)",
         [](auto& l) { return F(sgvDIV, P(0, 6, l), P(1, 0, l), P(2, 1, l)); },
         {1, 2}},
        {"DIV(a,b,c)",
         [](auto& l) { return F(sgvDIV, P(0, 6, l), P(1, 2, l), P(2, 1, l)); },
         {1, 0}},
        {"a=b", [](auto& l) { return F(sgvEqual, P(0, 1, l), P(1, 2, l)); }, {0, 1}},
        {"a<>b", [](auto& l) { return F(sgvNotEqual, P(0, 1, l), P(1, 2, l)); }, {0, 1}},
        {"a>=b", [](auto& l) { return F(sgvGreaterEqual, P(0, 1, l), P(1, 2, l)); }, {1, 0}},
        {"a<=b", [](auto& l) { return F(sgvLessEqual, P(0, 1, l), P(1, 2, l)); }, {1, 0}},
        {"a>b", [](auto& l) { return F(sgvGreaterThan, P(0, 1, l), P(1, 2, l)); }, {1, 0}},
        {"a<b", [](auto& l) { return F(sgvLessThan, P(0, 1, l), P(1, 2, l)); }, {1, 0}},
        {"AND stops at false",
         [](auto& l) { return F(sgvAND, P(0, 1, l), P(1, 0, l), P(2, 1, l)); },
         {0, 1}},
        {"OR stops at true",
         [](auto& l) { return F(sgvOR, P(0, 0, l), P(1, 5, l), P(2, 1, l)); },
         {0, 1}},
        {"IF true branch",
         [](auto& l) { return F(sgvIF, P(0, 1, l), P(1, 2, l), P(2, 3, l)); },
         {0, 1}},
        {"IF false branch",
         [](auto& l) { return F(sgvIF, P(0, 0, l), P(1, 2, l), P(2, 3, l)); },
         {0, 2}},
        {"MIN each once",
         [](auto& l) { return F(sgvMIN, P(0, 3, l), P(1, 1, l), P(2, 2, l)); },
         {0, 1, 2}},
        {"POWER", [](auto& l) { return F(sgvPOWER, P(0, 2, l), P(1, 3, l)); }, {0, 1}},
    };
    for (const auto& c : cases) {
        std::vector<int> log;
        Node tree = c.Make(log);
        EvaluateOnce(*tree);
        EXPECT_EQ(log, c.Order) << c.Name;
    }
}

TEST(Builtins, AndWithFalseDoesNotEvaluateTheRest) {
    // AND(FALSE, x > 1/0)
    Node tree = F(sgvAND, F(sgvFALSE), F(sgvGreaterThan, C(1), Div(C(1), C(0))));
    TOutcome out = EvaluateOnce(*tree);
    EXPECT_FALSE(out.Value.BoolValue);
    EXPECT_EQ(out.Error, "");
}

TEST(Builtins, FailureIsReportedOncePerElementPerRun) {
    Node tree = F(sgvPlus, Div(C(1), C(0)), F(sgvLN, C(0)));
    TOutcome first = EvaluateOnce(*tree);
    // The latest report wins.
    EXPECT_EQ(first.Error, LnError);

    EvaluationErrorFlag = false;
    EvaluationErrorText.clear();
    EXPECT_EQ(tree->EvaluateNumber(), 0);
    EXPECT_FALSE(EvaluationErrorFlag);

    // A new run reports again.
    EXPECT_EQ(EvaluateOnce(*tree).Error, LnError);
}

TEST(Builtins, RandomDrawsFromTheProcessWideGenerator) {
    RandomSeed = 0;
    Node bare = F(sgvRANDOM);
    EXPECT_DOUBLE_EQ(bare->EvaluateNumber(), 1 / 4294967296.0);
    Node scaled = F(sgvRANDOM, C(10));
    EXPECT_DOUBLE_EQ(scaled->EvaluateNumber(), 134775814 / 4294967296.0 * 10);
    EXPECT_EQ(RandomSeed, 134775814u);
    for (int i = 0; i < 1000; ++i) {
        double r = NextRandom();
        ASSERT_GE(r, 0);
        ASSERT_LT(r, 1);
    }
}

TEST(Builtins, VariableReferences) {
    TTestClock clock(0, 1);
    TInput input;
    input.Set(42);
    Node ref = Ref(&input.Variable);
    EXPECT_EQ(EvaluateOnce(*ref).Value.Number, 42);
    Node empty = Ref(nullptr);
    EXPECT_EQ(EvaluateOnce(*empty).Value.Number, 0);
    EXPECT_FALSE(empty->CheckDependencies());
    EXPECT_EQ(empty->ResultKind(), evkNumber);
    EXPECT_EQ(empty->ElementKind(), 1);
}

TEST(Builtins, CheckDependenciesFollowsTheRules) {
    struct Case {
        const char* Name;
        std::function<Node(std::vector<int>&)> Make;
        bool Expected;
        std::vector<int> Visited;
    } cases[] = {
        {"all parameters in order",
         [](auto& l) { return F(sgvPlus, P(0, 0, l), P(1, 0, l)); },
         true,
         {0, 1}},
        {"stops at the first false",
         [](auto& l) { return F(sgvMAX, P(0, 0, l), P(1, 0, l, false), P(2, 0, l)); },
         false,
         {0, 1}},
        {"GRAPH only its index",
         [](auto& l) { return F(sgvGRAPH, P(0, 0, l), P(1, 0, l), P(2, 1, l), P(3, 0, l)); },
         true,
         {0}},
        {"DELAY with an initial value skips its input",
         [](auto& l) { return F(sgvDELAY, P(0, 0, l, false), P(1, 0, l), P(2, 0, l)); },
         true,
         {1, 2}},
        {"DELAY without one checks both",
         [](auto& l) { return F(sgvDELAY, P(0, 0, l, false), P(1, 0, l)); },
         false,
         {0}},
        {"TIME", [](auto&) { return F(sgvTIME); }, true, {}},
        {"PI", [](auto&) { return F(sgvPI); }, true, {}},
    };
    for (const auto& c : cases) {
        std::vector<int> log;
        Node tree = c.Make(log);
        EXPECT_EQ(tree->CheckDependencies(), c.Expected) << c.Name;
        EXPECT_EQ(log, c.Visited) << c.Name;
    }
    EXPECT_TRUE(C(1)->CheckDependencies());
}

TEST(Builtins, ResultKindsFollowTheFunctionTable) {
    if (FunctionList[sgvTRUE].Name == nullptr) GTEST_SKIP() << "function table not built yet";
    for (int i = 0; i < FunctionCount; ++i) {
        Node f = F(static_cast<TFunctionIndex>(i));
        EXPECT_EQ(f->ResultKind(), FunctionList[i].ResultKind) << FunctionList[i].Name;
        EXPECT_EQ(f->ElementKind(), 2);
    }
    EXPECT_EQ(F(sgvLessThan)->ResultKind(), evkBoolean);
    EXPECT_EQ(F(sgvIF)->ResultKind(), evkNumber);
}

TEST(Builtins, SaveWritesTheElementKind) {
    TFileObject file;
    file.OpenForWrite("", "");
    F(sgvPlus, C(1), C(2))->Save(file);
    C(3)->Save(file);
    Ref(nullptr)->Save(file);
    file.EndLine();
    file.RewindForRead();
    EXPECT_EQ(file.ReadInteger(), 2);
    EXPECT_EQ(file.ReadInteger(), 0);
    EXPECT_EQ(file.ReadInteger(), 1);
}
