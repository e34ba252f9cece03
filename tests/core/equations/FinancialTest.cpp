#include "EvalTestSupport.h"

#include "core/equations/Financial.h"

#include <gtest/gtest.h>

using namespace evaltest;

namespace {

struct FinancialCase {
    const char* Name;
    std::function<Node()> Make;
    double Step;
    double Stop;
    std::vector<double> Expected; // from the start time on, one per step
};

void ExpectRun(const FinancialCase& c) {
    TTestClock clock(0, c.Step, c.Stop);
    Node tree = c.Make();
    auto steps = RunSteps(*tree, clock, static_cast<int>(c.Expected.size()));
    for (size_t i = 0; i < steps.size(); ++i) {
        EXPECT_NEAR(steps[i].Value, c.Expected[i], 1e-9) << c.Name << " at time " << steps[i].Time;
        EXPECT_EQ(steps[i].Error, "") << c.Name;
    }
}

Node IfFromTime1(Node inner) {
    return F(sgvIF, F(sgvGreaterEqual, F(sgvTIME), C(1)), std::move(inner), C(0));
}

const double d1 = 100 / 1.1, d2 = 100 / 1.1 / 1.1, d3 = 100 / 1.1 / 1.1 / 1.1;

} // namespace

TEST(Financial, StepByStepExamples) {
    const FinancialCase cases[] = {
        {"NPV(100,10)",
         [] { return F(sgvNPV, C(100), C(10)); },
         1,
         24,
         {0, d1, d1 + d2, d1 + d2 + d3}},
        {"NPV(100,10,0)", [] { return F(sgvNPV, C(100), C(10), C(0)); }, 1, 24, {0, 100, 200, 300}},
        {"NPV(100,-100)", [] { return F(sgvNPV, C(100), C(-100)); }, 1, 24, {0, 0, 0}},
        {"NPV(100,10,1,500,3)",
         [] { return F(sgvNPV, C(100), C(10), C(1), C(500), C(3)); },
         1,
         24,
         {0, 0, 0, 500, 500 + d1, 500 + d1 + d2}},
        {"NPV(100,10) dt 0.25",
         [] { return F(sgvNPV, C(100), C(10)); },
         0.25,
         24,
         {0, 25 / 1.1, 50 / 1.1, 75 / 1.1, d1, d1 + 25 / 1.21, d1 + 50 / 1.21, d1 + 75 / 1.21,
          d1 + d2}},
        {"NPV(100,10,2)",
         [] { return F(sgvNPV, C(100), C(10), C(2)); },
         1,
         24,
         {0, d1, 2 * d1, 2 * d1 + d2}},
        {"FV(100,10) run 0 to 3",
         [] { return F(sgvFV, C(100), C(10)); },
         1,
         3,
         {0, 121, 231, 331, 331}},
        {"FV(100,10,1,1000)",
         [] { return F(sgvFV, C(100), C(10), C(1), C(1000)); },
         1,
         3,
         {1331, 1452, 1562, 1662}},
        {"FV(100,10,1,0,2,4)",
         [] { return F(sgvFV, C(100), C(10), C(1), C(0), C(2), C(4)); },
         1,
         24,
         {0, 0, 0, 110, 210, 210}},
        {"PV(100,10,1,2)",
         [] { return F(sgvPV, C(100), C(10), C(1), C(2)); },
         1,
         4,
         {0, 110, 210, 210 + d1, 210 + d1 + d2}},
        {"PV(100,10) uses Now",
         [] { return F(sgvPV, C(100), C(10)); },
         1,
         24,
         {0, 100 * 1.1 * 1.1 * 1.1 * 1.1 * 1.1 * 1.1 * 1.1 * 1.1 * 1.1 * 1.1 * 1.1}},
        {"PV(100,-100,1,0)",
         [] { return F(sgvPV, C(100), C(-100), C(1), C(0)); },
         1,
         24,
         {0, 0, 0}},
    };
    for (const auto& c : cases)
        ExpectRun(c);
}

// Fixed values are taken at the first evaluation of the run, so an element first evaluated
// after the start time still uses its own finish and present-value times.
TEST(Financial, FixedValuesAreTakenAtTheFirstEvaluation) {
    const FinancialCase cases[] = {
        {"IF(TIME>=1, PV(100,10,1,2), 0)",
         [] { return IfFromTime1(F(sgvPV, C(100), C(10), C(1), C(2))); },
         1,
         4,
         {0, 0, 100, 100 + d1, 100 + d1 + d2}},
        {"IF(TIME>=1, FV(100,10), 0)",
         [] { return IfFromTime1(F(sgvFV, C(100), C(10))); },
         1,
         3,
         {0, 0, 110, 210, 210}},
        {"IF(TIME>=1, FV(100,10,2), 0)",
         [] { return IfFromTime1(F(sgvFV, C(100), C(10), C(2))); },
         1,
         5,
         {0, 0, 110, 220, 320, 420}},
    };
    for (const auto& c : cases)
        ExpectRun(c);
}

TEST(Financial, SteppingBackDoesNotCountReplayedStepsTwice) {
    const std::function<Node()> makers[] = {
        [] { return F(sgvNPV, F(sgvTIME), C(10)); },
        [] { return F(sgvFV, F(sgvTIME), C(10), C(1), C(50)); },
        [] { return F(sgvPV, F(sgvTIME), C(10), C(1), C(2)); },
    };
    for (const auto& make : makers) {
        TTestClock straightClock(0, 1, 6);
        Node straight = make();
        auto expected = RunSteps(*straight, straightClock, 6);

        TTestClock clock(0, 1, 6);
        Node tree = make();
        RunSteps(*tree, clock, 5); // times 0 to 4
        clock.Sim.CurrentTime = 2;
        tree->RewindTo(2);
        auto replay = RunSteps(*tree, clock, 3, {}, false); // times 3 to 5
        for (size_t i = 0; i < replay.size(); ++i)
            EXPECT_NEAR(replay[i].Value, expected[i + 3].Value, 1e-9) << replay[i].Time;
    }
}

TEST(Financial, RateIsEvaluatedAtMostOncePerStep) {
    struct Case {
        const char* Name;
        TFunctionIndex Index;
        std::vector<int> Order; // over three steps
    } cases[] = {
        {"NPV", sgvNPV, {0, 1, 0, 1, 0}},
        {"FV", sgvFV, {1, 0, 1, 0, 1, 0}},
        {"PV", sgvPV, {1, 0, 1, 0, 1, 0}},
    };
    for (const auto& c : cases) {
        TTestClock clock(0, 1, 24);
        std::vector<int> log;
        Node tree = F(c.Index, P(0, 100, log), P(1, 10, log));
        RunSteps(*tree, clock, 3);
        EXPECT_EQ(log, c.Order) << c.Name;
    }
}

TEST(Financial, FailureKeepsTheRunningState) {
    TTestClock clock(0, 1, 24);
    Node tree = F(sgvNPV, C(1.7e308), C(-50));
    auto steps = RunSteps(*tree, clock, 3);
    EXPECT_EQ(steps[0].Value, 0);
    EXPECT_EQ(steps[1].Value, 0);
    EXPECT_EQ(steps[1].Error, "Floating point overflow, assuming 0 as result");
    EXPECT_EQ(steps[2].Error, "");
    auto& state = static_cast<TNPVData&>(*static_cast<TEquationFunction&>(*tree).Financial);
    EXPECT_EQ(state.Total, 0);
    EXPECT_TRUE(state.Started);

    // A period so short that the growth overflows: FV never starts.
    Node fv = F(sgvFV, C(100), C(10), C(1e-300));
    auto fvSteps = RunSteps(*fv, clock, 2);
    EXPECT_EQ(fvSteps[0].Error, "Floating point overflow, assuming 0 as result");
    auto& fvState = static_cast<TFVData&>(*static_cast<TEquationFunction&>(*fv).Financial);
    EXPECT_FALSE(fvState.Started);
    EXPECT_EQ(fvState.Total, 0);
}

TEST(Financial, ResetRunClearsTheState) {
    TTestClock clock(0, 1, 24);
    Node tree = F(sgvNPV, C(100), C(10));
    RunSteps(*tree, clock, 4);
    auto again = RunSteps(*tree, clock, 2);
    EXPECT_EQ(again[0].Value, 0);
    EXPECT_NEAR(again[1].Value, d1, 1e-9);
    auto& state = static_cast<TNPVData&>(*static_cast<TEquationFunction&>(*tree).Financial);
    EXPECT_EQ(state.RecordCount(), 2u);
}
