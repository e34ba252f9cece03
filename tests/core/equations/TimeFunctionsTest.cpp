#include "EvalTestSupport.h"

#include <gtest/gtest.h>

using namespace evaltest;

namespace {

std::vector<double> Values(const std::vector<TStep>& steps) {
    std::vector<double> v;
    for (const auto& s : steps)
        v.push_back(s.Value);
    return v;
}

void ExpectValues(const std::vector<TStep>& steps, const std::vector<double>& expected,
                  const char* name) {
    ASSERT_EQ(steps.size(), expected.size()) << name;
    for (size_t i = 0; i < steps.size(); ++i)
        EXPECT_NEAR(steps[i].Value, expected[i], 1e-9) << name << " at time " << steps[i].Time;
}

} // namespace

TEST(TimeFunctions, SimulationValues) {
    TTestClock clock(2, 0.5, 30, 7);
    clock.Sim.CurrentTime = 4.5;
    struct Case {
        TFunctionIndex Index;
        double Expected;
    } cases[] = {{sgvTIME, 4.5},     {sgvSTARTTIME, 2}, {sgvSTOPTIME, 30},
                 {sgvTIMESTEP, 0.5}, {sgvTODAY, 7},     {sgvPI, 3.141592653589793}};
    for (const auto& c : cases)
        EXPECT_EQ(F(c.Index)->EvaluateNumber(), c.Expected) << c.Index;
}

TEST(TimeFunctions, WithoutASimulationTimesAreZero) {
    TSimulationObject* saved = CurrentSimulation;
    CurrentSimulation = nullptr;
    for (TFunctionIndex i : {sgvTIME, sgvSTARTTIME, sgvSTOPTIME, sgvTIMESTEP, sgvTODAY})
        EXPECT_EQ(EvaluateOnce(*F(i)).Value.Number, 0) << i;
    Node delay = F(sgvDELAY, C(3), C(1));
    EXPECT_EQ(EvaluateOnce(*delay).Value.Number, 3);
    delay->RecordStep();
    delay->RewindTo(0);
    // PULSE divides by the time step, which is 0 here: a failure, not a crash.
    TOutcome pulse = EvaluateOnce(*F(sgvPULSE, C(10), C(0), C(0)));
    EXPECT_EQ(pulse.Value.Number, 0);
    EXPECT_EQ(pulse.Error, "Floating point division by zero, assuming 0 as result");
    Node npv = F(sgvNPV, C(100), C(10));
    EXPECT_EQ(EvaluateOnce(*npv).Value.Number, 0);
    CurrentSimulation = saved;
}

TEST(TimeFunctions, PulseAndRamp) {
    struct Case {
        const char* Name;
        std::function<Node()> Make;
        double Step;
        int Steps;
        std::vector<double> Expected;
    } cases[] = {
        {"PULSE(10,5,0)", [] { return F(sgvPULSE, C(10), C(5), C(0)); }, 1, 4, {10, 10, 10, 10}},
        {"PULSE(10,5,4) dt 1",
         [] { return F(sgvPULSE, C(10), C(5), C(4)); },
         1,
         15,
         {0, 0, 0, 0, 0, 10, 0, 0, 0, 10, 0, 0, 0, 10, 0}},
        {"PULSE(10,5,4) dt 0.5",
         [] { return F(sgvPULSE, C(10), C(5), C(4)); },
         0.5,
         20,
         {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 20, 0, 0, 0, 0, 0, 0, 0, 20, 0}},
        {"RAMP(2,3)", [] { return F(sgvRAMP, C(2), C(3)); }, 1, 7, {0, 0, 0, 0, 2, 4, 6}},
        {"RAMP(2,3) dt 0.5",
         [] { return F(sgvRAMP, C(2), C(3)); },
         0.5,
         9,
         {0, 0, 0, 0, 0, 0, 0, 1, 2}},
    };
    for (const auto& c : cases) {
        TTestClock clock(0, c.Step);
        Node tree = c.Make();
        ExpectValues(RunSteps(*tree, clock, c.Steps), c.Expected, c.Name);
    }
}

TEST(TimeFunctions, PulseIsNotLostToAccumulatedTimeErrors) {
    // With dt = 0.1 the clock reaches 4.8 as 4.799999999999999: still a pulse time.
    TTestClock clock(0, 0.1);
    Node tree = F(sgvPULSE, C(1), C(0), C(0.3));
    auto steps = RunSteps(*tree, clock, 61);
    for (size_t k = 0; k < steps.size(); ++k)
        EXPECT_NEAR(steps[k].Value, k % 3 == 0 ? 10 : 0, 1e-9) << "step " << k;
}

TEST(TimeFunctions, PulseEvaluatesItsValueOnlyWhenDue) {
    TTestClock clock(0, 1);
    std::vector<int> log;
    Node tree = F(sgvPULSE, P(0, 10, log), P(1, 2, log), P(2, 4, log));
    RunSteps(*tree, clock, 3);
    EXPECT_EQ(log, (std::vector<int>{1, 2, 1, 2, 1, 2, 0}));
    log.clear();
    Node ramp = F(sgvRAMP, P(0, 2, log), P(1, 1, log));
    RunSteps(*ramp, clock, 3);
    EXPECT_EQ(log, (std::vector<int>{1, 1, 1, 0}));
}

TEST(TimeFunctions, Delay) {
    auto input = [](double t) { return 10 + t * t; };
    struct Case {
        const char* Name;
        double Delay;
        bool WithInitial;
        double Step;
        int Steps;
        std::vector<double> Expected;
    } cases[] = {
        {"DELAY(x,3)", 3, false, 1, 7, {10, 10, 10, 10, 11, 14, 19}},
        {"DELAY(x,3,7)", 3, true, 1, 6, {7, 7, 7, 10, 11, 14}},
        {"DELAY(x,0.2) acts as dt", 0.2, false, 1, 4, {10, 10, 11, 14}},
        {"DELAY(x,2.5) interpolates", 2.5, false, 1, 6, {10, 10, 10, 10.5, 12.5, 16.5}},
        {"DELAY(x,1) dt 0.5", 1, false, 0.5, 5, {10, 10, 10, 10.25, 11}},
    };
    for (const auto& c : cases) {
        TTestClock clock(0, c.Step);
        TInput x;
        Node tree = c.WithInitial ? F(sgvDELAY, Ref(&x.Variable), C(c.Delay), C(7))
                                  : F(sgvDELAY, Ref(&x.Variable), C(c.Delay));
        auto steps = RunSteps(*tree, clock, c.Steps, [&](double t) { x.Set(input(t)); });
        ExpectValues(steps, c.Expected, c.Name);
    }
}

TEST(TimeFunctions, DelayHistoryIsEmptiedByResetRun) {
    TTestClock clock(0, 1);
    TInput x;
    Node tree = F(sgvDELAY, Ref(&x.Variable), C(2));
    RunSteps(*tree, clock, 5, [&](double t) { x.Set(t); });
    auto second = RunSteps(*tree, clock, 4, [&](double t) { x.Set(100 + t); });
    ExpectValues(second, {100, 100, 100, 101}, "second run");
}

TEST(TimeFunctions, DelaySteppingBackReplaysFromTheRestoredTime) {
    // A start time other than 0 checks that offsets and absolute times are not mixed up.
    TTestClock clock(10, 1);
    TInput x;
    Node tree = F(sgvDELAY, Ref(&x.Variable), C(1));
    auto* delay = static_cast<TEquationFunction*>(tree.get());
    RunSteps(*tree, clock, 6, [&](double t) { x.Set(t); }); // times 10 to 15
    ASSERT_EQ(delay->Table->Points.back().Time, 15);

    clock.Sim.CurrentTime = 13;
    tree->RewindTo(3); // offset from the start time
    ASSERT_EQ(delay->Table->Points.back().Time, 13);
    EXPECT_EQ(delay->Table->Count(), 5); // seed at 9, then 10 to 13

    // Replayed with other inputs: the delayed values follow the new history.
    auto replay = RunSteps(
        *tree, clock, 2, [&](double t) { x.Set(100 * t); }, false);
    ExpectValues(replay, {13, 1400}, "replay");
}

TEST(TimeFunctions, RecordStepReachesNestedDelays) {
    TTestClock clock(0, 1);
    TInput x;
    // DELAY(DELAY(x,1),1) is x two steps back.
    Node tree = F(sgvDELAY, F(sgvDELAY, Ref(&x.Variable), C(1)), C(1));
    auto steps = RunSteps(*tree, clock, 5, [&](double t) { x.Set(t + 1); });
    ExpectValues(steps, {1, 1, 1, 2, 3}, "nested");
}

TEST(TimeFunctions, FailingElementReportsOncePerRun) {
    TTestClock clock(0, 1);
    Node tree = F(sgvPlus, F(sgvDivide, C(1), F(sgvMinus, F(sgvTIME), F(sgvTIME))), C(1));
    auto steps = RunSteps(*tree, clock, 3);
    EXPECT_EQ(steps[0].Error, "Divide by zero, assuming 0");
    EXPECT_EQ(steps[1].Error, "");
    EXPECT_EQ(steps[2].Error, "");
    EXPECT_EQ(Values(steps), (std::vector<double>{1, 1, 1}));
    auto again = RunSteps(*tree, clock, 1);
    EXPECT_EQ(again[0].Error, "Divide by zero, assuming 0");
}
