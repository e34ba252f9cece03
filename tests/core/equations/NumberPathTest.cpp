// EvaluateNumber and EvaluateCondition read trees without a value record; they must give
// exactly what Evaluate gives, with the same reports, whatever the parameters are.
#include "EvalTestSupport.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <string>
#include <vector>

using namespace evaltest;

namespace {

const std::string DivideByZero = "Divide by zero, assuming 0";
const std::string Overflow = "Floating point overflow, assuming 0 as result";
const std::string Invalid = "Invalid floating point operation, assuming 0 as result";

Node B(bool value) {
    auto c = std::make_unique<TEquationConstant>();
    c->Value.Kind = evkBoolean;
    c->Value.BoolValue = value;
    return c;
}

struct TRead {
    double Number;
    std::string Error;
};

// Reads the tree one way after a fresh run start.
TRead ReadOnce(TEquationElement& tree, const std::function<double(TEquationElement&)>& read) {
    tree.ResetRun();
    EvaluationErrorFlag = false;
    EvaluationErrorText.clear();
    const double n = read(tree);
    return {n, EvaluationErrorFlag ? EvaluationErrorText : std::string()};
}

} // namespace

TEST(NumberPath, AgreesWithTheValueRecord) {
    TInput six, zero;
    six.Set(6);
    zero.Set(0);
    std::vector<int> log;
    struct Case {
        const char* name;
        std::function<Node()> make;
        double number;
        std::string error;
    } cases[] = {
        {"x/3", [&] { return F(sgvDivide, Ref(&six.Variable), C(3)); }, 2, ""},
        {"1/zero", [&] { return F(sgvDivide, C(1), Ref(&zero.Variable)); }, 0, DivideByZero},
        {"x-none", [&] { return F(sgvMinus, Ref(&six.Variable), Ref(nullptr)); }, 6, ""},
        {"TRUE+1", [] { return F(sgvPlus, B(true), C(1)); }, 2, ""},
        {"FALSE*5", [] { return F(sgvMultiply, B(false), C(5)); }, 0, ""},
        {"(1>0)+(2=2)",
         [] { return F(sgvPlus, F(sgvGreaterThan, C(1), C(0)), F(sgvEqual, C(2), C(2))); }, 2, ""},
        {"1e308*10", [] { return F(sgvMultiply, C(1e308), C(10)); }, 0, Overflow},
        {"-1e308-1e308", [] { return F(sgvMinus, C(-1e308), C(1e308)); }, 0, Overflow},
        {"inf-inf", [] { return F(sgvMinus, C(HUGE_VAL), C(HUGE_VAL)); }, 0, Invalid},
        {"(1/0)+4", [] { return F(sgvPlus, F(sgvDivide, C(1), C(0)), C(4)); }, 4, DivideByZero},
        {"1+2+4 in one node", [] { return F(sgvPlus, C(1), C(2), C(4)); }, 3, ""},
        {"-3", [] { return F(sgvMinus, C(3)); }, -3, ""},
        {"probe/probe", [&] { return F(sgvDivide, P(1, 9, log), P(2, 3, log)); }, 3, ""},
        {"IF(x>5, x, 0)",
         [&] {
             return F(sgvIF, F(sgvGreaterThan, Ref(&six.Variable), C(5)), Ref(&six.Variable), C(0));
         },
         6, ""},
        {"MAX(x, 7)/2", [&] { return F(sgvDivide, F(sgvMAX, Ref(&six.Variable), C(7)), C(2)); },
         3.5, ""},
    };
    for (const auto& c : cases) {
        Node tree = c.make();
        const TOutcome record = EvaluateOnce(*tree);
        const double recordNumber = record.Value.Kind == evkBoolean
                                        ? (record.Value.BoolValue ? 1 : 0)
                                        : record.Value.Number;
        EXPECT_EQ(recordNumber, c.number) << c.name;
        EXPECT_EQ(record.Error, c.error) << c.name;

        const TRead number =
            ReadOnce(*tree, [](TEquationElement& e) { return e.EvaluateNumber(); });
        EXPECT_EQ(number.Number, c.number) << c.name;
        EXPECT_EQ(number.Error, c.error) << c.name;

        const TRead condition =
            ReadOnce(*tree, [](TEquationElement& e) { return e.EvaluateCondition() ? 1.0 : 0.0; });
        EXPECT_EQ(condition.Number, IsZero(c.number) ? 0 : 1) << c.name;
        EXPECT_EQ(condition.Error, c.error) << c.name;

        // Reported once per run, and a parent reads the failing node as 0.
        EvaluationErrorFlag = false;
        Node parent = F(sgvPlus, std::move(tree), C(100));
        EXPECT_EQ(ReadOnce(*parent, [](TEquationElement& e) { return e.EvaluateNumber(); }).Number,
                  c.number + 100)
            << c.name;
        EvaluationErrorFlag = false;
        EXPECT_EQ(parent->EvaluateNumber(), c.number + 100) << c.name;
        EXPECT_FALSE(EvaluationErrorFlag) << c.name;
    }
}

TEST(NumberPath, DivisionReadsTheDivisorFirstAndStopsAtZero) {
    std::vector<int> log;
    Node tree = F(sgvDivide, P(1, 8, log), P(2, 4, log));
    EXPECT_EQ(tree->EvaluateNumber(), 2);
    EXPECT_EQ(log, (std::vector<int>{2, 1}));

    log.clear();
    Node byZero = F(sgvDivide, P(1, 8, log), P(2, 0, log));
    EXPECT_EQ(ReadOnce(*byZero, [](TEquationElement& e) { return e.EvaluateNumber(); }).Error,
              DivideByZero);
    EXPECT_EQ(log, (std::vector<int>{2}));

    log.clear();
    Node sum = F(sgvMinus, P(1, 8, log), P(2, 4, log));
    EXPECT_EQ(sum->EvaluateNumber(), 4);
    EXPECT_EQ(log, (std::vector<int>{1, 2}));
}
