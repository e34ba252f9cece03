// Whole equations as the user writes them, parsed and then evaluated.
#include "EvalTestSupport.h"
#include "core/equations/ParserInternal.h"

#include <gtest/gtest.h>

using namespace evaltest;

namespace {

Node Parse(const char* text) {
    EquationInputs.clear(); // no linked names: only built-ins
    EquationErrors.clear();
    Node tree = ParseEquation(text);
    EXPECT_EQ(EquationErrors, "") << text;
    return tree;
}

bool ParserAvailable() {
    return ParseEquation("1") != nullptr;
}

const char* const Invalid = "Invalid floating point operation, assuming 0 as result";
const char* const ZeroDivide = "Floating point division by zero, assuming 0 as result";
const char* const Overflow = "Floating point overflow, assuming 0 as result";

} // namespace

TEST(EvaluateText, ReferenceEdgeCases) {
    if (!ParserAvailable()) GTEST_SKIP() << "equation parser not built yet";
    struct Case {
        const char* Text;
        double Expected;
        const char* Error = "";
    } cases[] = {
        {"1/0", 0, "Divide by zero, assuming 0"},
        {"1/0.00000000001", 0, "Divide by zero, assuming 0"},
        {"DIV(1, 0)", 0},
        {"DIV(1, 0, 5)", 5},
        {"LN(0)", 0, "LN of expression<=0, assuming 0"},
        {"LN(-1)", 0, "LN of expression<=0, assuming 0"},
        {"LN(0.00000000001)", 0, "LN of expression<=0, assuming 0"},
        {"LOG(0)", 0, "Log of expression<=0, assuming 0"},
        {"SQRT(0-0.0000000000001)", 0, "Square root of negative number, assuming 0"},
        {"SQRT(0)", 0},
        {"POWER(-8, 1/3)", 0, Invalid},
        {"POWER(-2, 3)", -8},
        {"POWER(0, 0)", 1},
        {"POWER(0, -1)", 0, ZeroDivide},
        {"EXP(1000)", 0, Overflow},
        {"EXP(1000)+1", 1, Overflow},
        {"0.1+0.2 = 0.3", 1},
        {"1 = 1.0000000002", 0},
        {"1 >= 1.00000000005", 1},
        {"1 > 1.00000000005", 0},
        {"ROUND(2.5)", 3},
        {"ROUND(-2.5)", -3},
        {"ROUND(-0.4)", 0},
        {"INT(-2.7)", -2},
        {"FLOOR(-2.5)", -3},
        {"CEIL(-2.5)", -2},
        {"SIGN(0)", 0},
        {"AND(FALSE, 2 > 1/0)", 0},
        {"OR(TRUE, 2 > 1/0)", 1},
        {"()*3", 3},
        {"2+()", 2},
        {"2*(-3)", -6},
    };
    for (const auto& c : cases) {
        Node tree = Parse(c.Text);
        ASSERT_NE(tree, nullptr) << c.Text;
        TOutcome out = EvaluateOnce(*tree);
        const double number =
            out.Value.Kind == evkBoolean ? (out.Value.BoolValue ? 1 : 0) : out.Value.Number;
        EXPECT_DOUBLE_EQ(number, c.Expected) << c.Text;
        EXPECT_EQ(out.Error, c.Error) << c.Text;
    }
}

TEST(EvaluateText, PrecedenceAndConditions) {
    if (!ParserAvailable()) GTEST_SKIP() << "equation parser not built yet";
    struct Case {
        const char* Text;
        double Expected;
    } cases[] = {
        {"10-4-3", 3},
        {"24/4/3", 2},
        {"2+3*4", 14},
        {"IF(1 < 2, 10, 20)", 10},
        {"IF(0, 10, 20)", 20},
        {"IF(NOT(2), 10, 20)", 20},
        {"(1 < 2) + (3 > 4) + 5", 6},
        {"MAX(MIN(1, 2), 3, -4)", 3},
        {"-(2+3)", -5},
        {"FRAC(-2.75)", -0.75},
        {"ABS(-4) + SIGN(-4)", 3},
    };
    for (const auto& c : cases) {
        Node tree = Parse(c.Text);
        ASSERT_NE(tree, nullptr) << c.Text;
        EXPECT_DOUBLE_EQ(EvaluateOnce(*tree).Value.Kind == evkBoolean
                             ? (tree->EvaluateCondition() ? 1 : 0)
                             : tree->EvaluateNumber(),
                         c.Expected)
            << c.Text;
    }
}

TEST(EvaluateText, TimeFunctionsFromText) {
    if (!ParserAvailable()) GTEST_SKIP() << "equation parser not built yet";
    struct Case {
        const char* Text;
        std::vector<double> Expected; // times 0, 1, 2, ...
    } cases[] = {
        {"PULSE(10, 2, 3)", {0, 0, 10, 0, 0, 10}},
        {"RAMP(2, 3)", {0, 0, 0, 0, 2, 4}},
        {"DELAY(TIME*TIME, 2)", {0, 0, 0, 1, 4, 9}},
        {"DELAY(TIME, 2, 7)", {7, 7, 0, 1, 2, 3}},
        {"GRAPH(TIME/2, 0, 1, 0, 10, 20)", {0, 5, 10, 15, 20, 20}},
        {"NPV(100, 10)", {0, 100 / 1.1, 100 / 1.1 + 100 / 1.21}},
        {"FV(100, 10)", {0, 121, 231, 331, 331}},
        {"PV(100, 10, 1, 2)", {0, 110, 210, 210 + 100 / 1.1, 210 + 100 / 1.1 + 100 / 1.21}},
    };
    for (const auto& c : cases) {
        TTestClock clock(0, 1, 3);
        Node tree = Parse(c.Text);
        ASSERT_NE(tree, nullptr) << c.Text;
        auto steps = RunSteps(*tree, clock, static_cast<int>(c.Expected.size()));
        for (size_t i = 0; i < steps.size(); ++i)
            EXPECT_NEAR(steps[i].Value, c.Expected[i], 1e-9) << c.Text << " at " << steps[i].Time;
    }
}
