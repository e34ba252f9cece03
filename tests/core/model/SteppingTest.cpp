#include "support/ModelBuilder.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>

namespace {

void ExpectSeries(const std::vector<double>& actual, const std::vector<double>& expected,
                  const std::string& what) {
    ASSERT_EQ(actual.size(), expected.size()) << what;
    for (size_t i = 0; i < expected.size(); ++i)
        EXPECT_NEAR(actual[i], expected[i], 1e-9) << what << " at point " << i;
}

} // namespace

TEST(Stepping, RunCoversTheTimeGrid) {
    struct Case {
        double start, stop, step;
        std::vector<double> times; // relative to the start
        double lastTime;
    } cases[] = {
        {0, 24, 1, {}, 24},
        {0, 1, 0.3, {0, 0.3, 0.6, 0.9, 1.2}, 1.2},
        {0, 1, 0.1, {0, 0.1, 0.2, 0.3, 0.4, 0.5, 0.6, 0.7, 0.8, 0.9, 1.0}, 1.0},
        {5, 8, 1, {0, 1, 2, 3}, 8},
        {0, 2, 0.5, {0, 0.5, 1, 1.5, 2}, 2},
    };
    for (double t = 0; t <= 24; ++t)
        cases[0].times.push_back(t);
    for (const auto& c : cases) {
        TModelBuilder b(c.start, c.stop, c.step);
        b.Variable("Clock", "TIME");
        ASSERT_TRUE(b.Run()) << c.step;
        ExpectSeries(b.Times("Clock"), c.times, "times");
        // TIME reads the absolute clock, the series is stored relative to the start.
        std::vector<double> absolute;
        for (double t : c.times)
            absolute.push_back(t + c.start);
        ExpectSeries(b.Values("Clock"), absolute, "values");
        EXPECT_NEAR(b.Sim.CurrentTime, c.lastTime, 1e-9);
    }
}

TEST(Stepping, FirstStepComputesTheStartWithoutAdvancing) {
    TModelBuilder b(3, 10, 1);
    b.Variable("Clock", "TIME");
    ASSERT_TRUE(b.Sim.CheckModel());
    b.Sim.CurrentTime = 7; // left over from an earlier run
    b.Sim.Reset();
    EXPECT_TRUE(b.Sim.AtStart);
    EXPECT_FALSE(b.Sim.IsStarted());
    EXPECT_FALSE(b.Sim.IsFinished());
    EXPECT_EQ(RunningSimulation, &b.Sim);
    EXPECT_EQ(CurrentSimulation, &b.Sim);
    b.Sim.Step();
    EXPECT_EQ(b.Sim.CurrentTime, 3);
    EXPECT_TRUE(b.Sim.IsStarted());
    EXPECT_EQ(b["Clock"].Value, 3);
    b.Sim.Step();
    EXPECT_EQ(b.Sim.CurrentTime, 4);
    ExpectSeries(b.Values("Clock"), {3, 4}, "values");
}

TEST(Stepping, ResourcesIntegrateTheFlowsOfThePreviousStep) {
    TModelBuilder b(0, 2, 0.5);
    auto& level = b.Resource("Level", "100");
    auto& in = b.Flow("In", "5");
    auto& out = b.Flow("Out", "1");
    b.Inflow(in, level);
    b.Outflow(out, level);
    // A flow that changes every step shows whether last step's value is used.
    auto& ramp = b.Resource("Ramped");
    auto& clock = b.Flow("Clock Flow", "TIME");
    b.Inflow(clock, ramp);
    ASSERT_TRUE(b.Run());
    ExpectSeries(b.Values("Level"), {100, 102, 104, 106, 108}, "Level");
    // 0, then + 0.5 * TIME of the step before: 0, 0, 0.25, 0.75, 1.5
    ExpectSeries(b.Values("Ramped"), {0, 0, 0.25, 0.75, 1.5}, "Ramped");
}

TEST(Stepping, OneInflowOfFiveWithHalfStepsGrowsByTwoAndAHalf) {
    TModelBuilder b(0, 3, 0.5);
    auto& stock = b.Resource("Stock");
    b.Inflow(b.Flow("Inflow", "5"), stock);
    ASSERT_TRUE(b.Run());
    ExpectSeries(b.Values("Stock"), {0, 2.5, 5, 7.5, 10, 12.5, 15}, "Stock");
}

TEST(Stepping, SketchesDriveElementsWithoutEquations) {
    TModelBuilder b(0, 4, 1);
    auto& sketched = b.Variable("Sketched", "");
    TModelBuilder::Sketch(sketched, {{0, 1}, {4, 9}});
    auto& follows = b.Resource("Follows");
    TModelBuilder::Sketch(follows, {{0, 10}, {2, 30}});
    auto& fixed = b.Resource("Fixed", "100");
    TModelBuilder::Sketch(fixed, {{0, 1}, {4, 2}}); // an equation wins over the sketch
    auto& fed = b.Resource("Fed");
    TModelBuilder::Sketch(fed, {{0, 50}, {4, 0}}); // starts at the sketch, then integrates
    b.Inflow(b.Flow("Two", "2"), fed);
    b.Variable("Blank", "  ");
    ASSERT_TRUE(b.Run());
    ExpectSeries(b.Values("Sketched"), {1, 3, 5, 7, 9}, "Sketched");
    ExpectSeries(b.Values("Follows"), {10, 20, 30, 30, 30}, "Follows");
    ExpectSeries(b.Values("Fixed"), {100, 100, 100, 100, 100}, "Fixed");
    ExpectSeries(b.Values("Fed"), {50, 52, 54, 56, 58}, "Fed");
    ExpectSeries(b.Values("Blank"), {0, 0, 0, 0, 0}, "Blank");
    EXPECT_TRUE(sketched.DrivenBySketch);
    EXPECT_FALSE(fixed.DrivenBySketch);
}

TEST(Stepping, ElementsAreEvaluatedOnDemandOncePerStep) {
    TModelBuilder b(0, 3, 1);
    // Listed before what it uses, yet reads this step's values.
    b.Variable("Late", "Early*2", {});
    b.Variable("Early", "TIME+1");
    b.Link(b["Early"], b["Late"]);
    b.Variable("Draw", "RANDOM");
    b.Variable("Twice", "Draw-Draw", {"Draw"});
    ASSERT_TRUE(b.Run());
    ExpectSeries(b.Values("Late"), {2, 4, 6, 8}, "Late");
    // Draw is computed once per step, so both reads agree.
    ExpectSeries(b.Values("Twice"), {0, 0, 0, 0}, "Twice");
}

TEST(Stepping, CheckModelMessages) {
    struct Case {
        const char* what;
        std::function<void(TModelBuilder&)> build;
        bool ok;
        std::vector<std::string> messages;
    } cases[] = {
        {"fine", [](TModelBuilder& b) { b.Variable("A", "1+2"); }, true, {}},
        {"two unused links, one line",
         [](TModelBuilder& b) {
             b.Constant("A", "1");
             b.Constant("B", "2");
             b.Variable("Sum", "5", {"A", "B"});
         },
         false,
         {"Sum has links which have not been used in the variable's equation"}},
        {"equation errors first",
         [](TModelBuilder& b) {
             b.Constant("A", "1");
             b.Variable("Bad", "2*(", {"A"});
             b.Variable("Unused", "3", {"A"});
         },
         false,
         {"Bad has equation errors",
          "Unused has links which have not been used in the variable's equation"}},
        {"three-way cycle",
         [](TModelBuilder& b) {
             b.Variable("A", "B");
             b.Variable("B", "C");
             b.Variable("C", "A");
             b.Link(b["B"], b["A"]);
             b.Link(b["C"], b["B"]);
             b.Link(b["A"], b["C"]);
         },
         false,
         {"A has a circularity error through: ->C->B"}},
        {"self reference",
         [](TModelBuilder& b) {
             b.Variable("Self", "Self+1");
             b.Link(b["Self"], b["Self"]);
         },
         false,
         {"Self has a circularity error through: "}},
        {"two cycles in one check",
         [](TModelBuilder& b) {
             b.Variable("P", "Q");
             b.Variable("Q", "P", {"P"});
             b.Link(b["Q"], b["P"]);
             b.Variable("Free", "1");
             b.Variable("X", "Y*2");
             b.Variable("Y", "X/2", {"X"});
             b.Link(b["Y"], b["X"]);
         },
         false,
         {"P has a circularity error through: ->Q", "X has a circularity error through: ->Y"}},
        {"a delay with an initial value breaks a loop",
         [](TModelBuilder& b) {
             b.Variable("Lagged", "DELAY(Level, 1, 0)");
             b.Variable("Level", "Lagged+1", {"Lagged"});
             b.Link(b["Level"], b["Lagged"]);
         },
         true,
         {}},
        {"a delay without one does not",
         [](TModelBuilder& b) {
             b.Variable("Lagged", "DELAY(Level, 1)");
             b.Variable("Level", "Lagged+1", {"Lagged"});
             b.Link(b["Level"], b["Lagged"]);
         },
         false,
         {"Lagged has a circularity error through: ->Level"}},
    };
    for (const auto& c : cases) {
        TRecordingNotifier notifier;
        TModelBuilder b;
        c.build(b);
        EXPECT_EQ(b.Sim.CheckModel(), c.ok) << c.what;
        EXPECT_EQ(ErrorList, c.messages) << c.what;
        EXPECT_EQ(notifier.CheckMessages, c.messages) << c.what;
        EXPECT_EQ(notifier.CheckCount, 1) << c.what;
        if (!c.ok) {
            // A failed check numbers the elements by their list position.
            int32_t position = 1;
            for (TVariableObject* v : b.Sim.Variables)
                EXPECT_EQ(v->Order, position++) << c.what << " " << v->Name;
        }
    }
}

TEST(Stepping, CheckModelOrdersElementsAfterWhatTheyUse) {
    TModelBuilder b;
    b.Variable("Top", "Middle+Bottom");
    b.Variable("Middle", "Bottom*2");
    b.Variable("Bottom", "TIME");
    b.Constant("Alone", "4");
    b.Link(b["Middle"], b["Top"]);
    b.Link(b["Bottom"], b["Top"]);
    b.Link(b["Bottom"], b["Middle"]);
    ASSERT_TRUE(b.Sim.CheckModel());
    EXPECT_EQ(b["Bottom"].Order, 1);
    EXPECT_EQ(b["Middle"].Order, 2);
    EXPECT_EQ(b["Top"].Order, 3);
    EXPECT_EQ(b["Alone"].Order, 4);
    EXPECT_TRUE(EvaluationPath.empty());
}

TEST(Stepping, CheckModelRecompilesOnlyChangedEquations) {
    TModelBuilder b;
    auto& a = b.Variable("A", "TIME*2");
    ASSERT_TRUE(b.Sim.CheckModel());
    EXPECT_TRUE(a.Parsed);
    a.Equation = "2*(";
    EXPECT_TRUE(b.Sim.CheckModel()); // not marked as changed: the old tree stays
    a.Parsed = false;
    EXPECT_FALSE(b.Sim.CheckModel());
    EXPECT_TRUE(a.HasErrors);
    a.Equation = "3";
    EXPECT_TRUE(b.Sim.CheckModel()); // errors are always compiled again
    EXPECT_EQ(a.InitialValue, 3);
}

TEST(Stepping, StepBack) {
    TModelBuilder b(0, 24, 1);
    auto& stock = b.Resource("Stock", "10");
    b.Inflow(b.Flow("Grow", "Stock*0.1", {"Stock"}), stock);
    b.Variable("Lag", "DELAY(Stock, 2)", {"Stock"});
    ASSERT_TRUE(b.Sim.CheckModel());
    b.Sim.Reset();
    b.Sim.StepBackTo(-1); // at the start: nothing
    for (int i = 0; i < 4; ++i)
        b.Sim.Step();
    ASSERT_EQ(b.Sim.CurrentTime, 3);
    const auto fullLag = b.Values("Lag");
    const auto fullStock = b.Values("Stock");

    b.Sim.StepBackTo(b.Sim.CurrentTime - b.Sim.TimeStep);
    EXPECT_EQ(b.Sim.CurrentTime, 2);
    EXPECT_FALSE(b.Sim.AtStart);
    for (TVariableObject* v : b.Sim.Variables) {
        ASSERT_EQ(v->Simulated.Count(), 3) << v->Name;
        EXPECT_EQ(v->Simulated.Points.back().Time, 2) << v->Name;
        EXPECT_EQ(v->Value, v->Simulated.Points.back().Value) << v->Name;
    }
    b.Sim.StepBackTo(5); // later than now: nothing
    EXPECT_EQ(b.Sim.CurrentTime, 2);

    // Stepping forward again gives the same results, delay state included.
    b.Sim.Step();
    ExpectSeries(b.Values("Stock"), fullStock, "Stock");
    ExpectSeries(b.Values("Lag"), fullLag, "Lag");

    for (double expected : {2.0, 1.0, 0.0, 0.0}) {
        b.Sim.StepBackTo(b.Sim.CurrentTime - b.Sim.TimeStep);
        EXPECT_EQ(b.Sim.CurrentTime, expected);
    }
    EXPECT_EQ(b["Stock"].Simulated.Count(), 1);
}

TEST(Stepping, StepBackNeverGoesBeforeTheStart) {
    // 0.1 is not exact in binary: stepping back three times from 0.3 lands a rounding
    // error away from the start, which must still count as the start.
    TModelBuilder b(0, 1, 0.1);
    b.Variable("Clock", "TIME");
    ASSERT_TRUE(b.Sim.CheckModel());
    b.Sim.Reset();
    for (int i = 0; i < 4; ++i)
        b.Sim.Step();
    for (int i = 0; i < 5; ++i)
        b.Sim.StepBackTo(b.Sim.CurrentTime - b.Sim.TimeStep);
    EXPECT_EQ(b.Sim.CurrentTime, 0);
    EXPECT_EQ(b["Clock"].Simulated.Count(), 1);
    b.Sim.Step();
    EXPECT_NEAR(b["Clock"].Value, 0.1, 1e-12);
}

TEST(Stepping, UnusableTimeSettingsEndTheRunAfterTheStart) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    struct Case {
        double start, stop, step;
        bool stepRefused; // the clock cannot move at all
    } cases[] = {{0, 24, 0, true},   {0, 24, -1, true},     {0, 24, nan, true},
                 {0, 24, inf, true}, {1e20, 2e20, 1, true}, // the step is lost in rounding
                 {0, nan, 1, false}, {0, inf, 1, false}};
    for (const auto& c : cases) {
        TModelBuilder b(c.start, c.stop, c.step);
        auto& stock = b.Resource("Stock", "1");
        b.Inflow(b.Flow("In", "1"), stock);
        ASSERT_TRUE(b.Run(10)) << c.step << " " << c.stop;
        EXPECT_EQ(b.Sim.CurrentTime, c.start);
        EXPECT_EQ(stock.Simulated.Count(), 1);
        if (!c.stepRefused) continue;
        b.Sim.Step();
        EXPECT_EQ(b.Sim.CurrentTime, c.start) << c.step;
        EXPECT_EQ(stock.Simulated.Count(), 1) << c.step;
        EXPECT_EQ(stock.Value, 1) << c.step;
    }
}

// Results and derived data are kept at offsets from the start; near the largest double the
// offset of a later step would be infinite, and a file may hold no such time.
TEST(Stepping, RunsAndDerivationsNeverStoreATimeThatIsNotANumber) {
    struct Case {
        double start, stop, step;
        int32_t points; // of the run, which ends where the next offset would overflow
    } cases[] = {{-1e308, 1e308, 1e308, 2},
                 {-0.875e308, 0.875e308, 1e308, 2},
                 {0, 1.7e308, 1e308, 2},
                 {0, 1e308, 2.5e307, 5}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.start);
        TModelBuilder b(c.start, c.stop, c.step);
        auto& stock = b.Resource("Stock", "");
        auto& in = b.Flow("In", "");
        b.Inflow(in, stock);
        TModelBuilder::Sketch(stock, {{0, 1}, {1e300, 2}});
        TModelBuilder::Sketch(in, {{0, 1}});
        stock.Derive(false);
        in.Derive(false);
        ASSERT_TRUE(b.Run(100));
        EXPECT_EQ(stock.Simulated.Count(), c.points);
        for (const TVariableObject* element : {&stock, &in})
            for (const TDataSeries* series : {&element->Simulated, &element->Derived})
                for (const TDataPoint& p : series->Points)
                    EXPECT_TRUE(std::isfinite(p.Time)) << element->Name;
    }
}

TEST(Stepping, ResultsAreReservedOnlyForRunsOfSaneLength) {
    struct Case {
        double stop, step;
        size_t reserved; // at least this many points, or none when 0
    } cases[] = {{100, 1, 101}, {1, 0.3, 5}, {1e15, 1, 0}, {1e9, 1e-9, 0}};
    for (const auto& c : cases) {
        TModelBuilder b(0, c.stop, c.step);
        auto& stock = b.Resource("Stock", "1");
        b.Inflow(b.Flow("In", "1"), stock);
        ASSERT_TRUE(b.Sim.CheckModel());
        b.Sim.Reset();
        const auto& points = stock.Simulated.Points;
        if (c.reserved == 0) {
            EXPECT_EQ(points.capacity(), 0u) << c.stop;
            continue;
        }
        EXPECT_GE(points.capacity(), c.reserved) << c.stop;
        // The whole run fits: its points never move.
        const TDataPoint* first = points.data();
        while (!b.Sim.IsFinished())
            b.Sim.Step();
        EXPECT_EQ(points.size(), c.reserved) << c.stop;
        EXPECT_EQ(points.data(), first) << c.stop;
    }
}

TEST(Stepping, BrokenFlowConnectionsAreIgnored) {
    TModelBuilder b(0, 2, 1);
    auto& stock = b.Resource("Stock", "7");
    stock.AddDependency(nullptr, true, 0);
    b.Inflow(b.Flow("In", "1"), stock);
    ASSERT_TRUE(b.Run());
    ExpectSeries(b.Values("Stock"), {7, 8, 9}, "Stock");
}

TEST(Stepping, EvaluationWarningsNameTheFailingElementOncePerRun) {
    TRecordingNotifier notifier;
    TModelBuilder b(0, 5, 1);
    // Uses is evaluated first and pulls Fails in on demand: the warning is Fails' alone.
    b.Variable("Uses", "Fails+1");
    b.Variable("Fails", "1/(TIME-TIME)");
    b.Link(b["Fails"], b["Uses"]);
    // Own failure before an on-demand evaluation of a healthy element is not lost.
    b.Variable("Own", "LN(0)+Healthy");
    b.Variable("Healthy", "TIME");
    b.Link(b["Healthy"], b["Own"]);
    ASSERT_TRUE(b.Run());
    const std::vector<std::string> expected = {
        "Error in Fails: Divide by zero, assuming 0",
        "Error in Own: LN of expression<=0, assuming 0",
    };
    EXPECT_EQ(notifier.Warnings, expected);
    ExpectSeries(b.Values("Uses"), {1, 1, 1, 1, 1, 1}, "Uses");
    ExpectSeries(b.Values("Own"), {0, 1, 2, 3, 4, 5}, "Own");
    // A new run reports again.
    notifier.Warnings.clear();
    ASSERT_TRUE(b.Run());
    EXPECT_EQ(notifier.Warnings, expected);
}

TEST(Stepping, DelayInputFailuresAreReported) {
    TRecordingNotifier notifier;
    TModelBuilder b(0, 3, 1);
    // With an initial value the input is first read after the step, not while computing it.
    b.Variable("Lagged", "DELAY(SQRT(TIME-2), 1, 0)");
    ASSERT_TRUE(b.Run());
    ASSERT_EQ(notifier.Warnings.size(), 1u);
    EXPECT_EQ(notifier.Warnings[0], "Error in Lagged: Square root of negative number, assuming 0");
}

TEST(Stepping, ResetStartsEveryElementAfresh) {
    TModelBuilder b(0, 3, 1);
    auto& stock = b.Resource("Stock", "Start", {});
    b.Constant("Start", "4");
    b.Link(b["Start"], stock);
    b.Inflow(b.Flow("In", "2"), stock);
    for (int run = 0; run < 2; ++run) {
        ASSERT_TRUE(b.Run());
        ExpectSeries(b.Values("Stock"), {4, 6, 8, 10}, "Stock");
    }
    b.Sim.Reset();
    for (TVariableObject* v : b.Sim.Variables) {
        EXPECT_TRUE(v->Simulated.IsEmpty()) << v->Name;
        EXPECT_TRUE(v->Computed) << v->Name;
    }
    EXPECT_EQ(stock.Value, 0); // its equation is not a constant: it starts at 0 until computed
    EXPECT_EQ(b["Start"].Value, 4);
}

TEST(Stepping, ChainsTooLongForTheStackAreRefusedNotOverflowed) {
    TRecordingNotifier notifier;
    TModelBuilder b(0, 1, 1);
    // Each element reads the next, so the check and evaluation on demand recurse once
    // per element all the way down.
    const int count = 100000;
    std::vector<TVariableObject*> chain;
    chain.reserve(count);
    for (int i = 0; i < count; ++i)
        chain.push_back(&b.Variable("V" + std::to_string(i),
                                    i + 1 < count ? "V" + std::to_string(i + 1) + "+1" : "1"));
    for (int i = 0; i + 1 < count; ++i)
        b.Link(*chain[i + 1], *chain[i]);
    EXPECT_FALSE(b.Sim.CheckModel());
    ASSERT_FALSE(ErrorList.empty());
    EXPECT_NE(ErrorList.front().find(" has a chain of dependencies too long to compute"),
              std::string::npos);

    // Run regardless of the check, as a caller that skipped it would.
    b.Sim.Reset();
    b.Sim.Step();
    b.Sim.Step();
    ASSERT_EQ(notifier.Warnings.size(), 1u);
    EXPECT_NE(notifier.Warnings[0].find(": Chain of elements too long to compute"),
              std::string::npos);
    EXPECT_EQ(chain.back()->Value, 1);
}
