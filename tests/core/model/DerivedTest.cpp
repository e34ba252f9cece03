#include "support/ModelBuilder.h"

#include <gtest/gtest.h>

#include <limits>

namespace {

std::vector<TDataPoint> Points(const TDataSeries& s) {
    return s.Points;
}

void ExpectPoints(const TDataSeries& series, const std::vector<TDataPoint>& expected,
                  const std::string& what) {
    ASSERT_EQ(series.Points.size(), expected.size()) << what;
    for (size_t i = 0; i < expected.size(); ++i) {
        EXPECT_NEAR(series.Points[i].Time, expected[i].Time, 1e-9) << what << " point " << i;
        EXPECT_NEAR(series.Points[i].Value, expected[i].Value, 1e-9) << what << " point " << i;
    }
}

} // namespace

TEST(Derived, ResourcePathFromSketchedFlows) {
    TModelBuilder b(0, 3, 1);
    auto& stock = b.Resource("Stock", "100");
    stock.InitialValue = 100; // what compiling the constant equation leaves
    auto& in = b.Flow("In");
    auto& out = b.Flow("Out");
    TModelBuilder::Sketch(in, {{0, 10}});
    TModelBuilder::Sketch(out, {{0, 4}});
    b.Inflow(in, stock);
    b.Outflow(out, stock);
    stock.Derive(false);
    ExpectPoints(stock.Derived, {{0, 100}, {1, 106}, {2, 112}, {3, 118}}, "Stock");
}

TEST(Derived, ResourceCases) {
    struct Case {
        const char* what;
        double start, stop, step;
        const char* equation;
        std::vector<TDataPoint> sketch, inflowSketch;
        bool withFlow;
        std::vector<TDataPoint> expected;
    } cases[] = {
        // Without flows a sketch-driven Resource follows its own sketch one step ahead.
        {"own sketch", 0, 2, 1, "", {{0, 5}, {2, 9}}, {}, false, {{0, 5}, {1, 7}, {2, 9}}},
        // With a flow it starts at its sketch and then integrates.
        {"sketch start",
         0,
         2,
         0.5,
         "",
         {{0, 5}},
         {{0, 2}, {2, 6}},
         true,
         {{0, 5}, {0.5, 6}, {1, 7.5}, {1.5, 9.5}, {2, 12}}},
        // An equation means the initial value, never the sketch.
        {"equation", 0, 1, 0.5, "7", {{0, 5}}, {}, false, {{0, 7}, {0.5, 7}, {1, 7}}},
        // Times are relative to the start; sketches are read at relative times too.
        {"late start", 10, 12, 1, "", {}, {{0, 1}, {2, 3}}, true, {{0, 0}, {1, 1}, {2, 3}}},
        // A clock that gathers rounding errors stops at the stop time, not a step later.
        {"tenths",
         0,
         0.8,
         0.1,
         "",
         {{0, 1}},
         {{0, 10}},
         true,
         {{0, 1}, {0.1, 2}, {0.2, 3}, {0.3, 4}, {0.4, 5}, {0.5, 6}, {0.6, 7}, {0.7, 8}, {0.8, 9}}},
        // The last point is the first time at or after the stop time.
        {"past the stop",
         0,
         1,
         0.3,
         "",
         {{0, 0}},
         {{0, 1}},
         true,
         {{0, 0}, {0.3, 0.3}, {0.6, 0.6}, {0.9, 0.9}, {1.2, 1.2}}},
    };
    for (const auto& c : cases) {
        TModelBuilder b(c.start, c.stop, c.step);
        auto& stock = b.Resource("Stock", c.equation);
        stock.InitialValue = c.equation[0] ? 7 : 0;
        stock.Sketched.Points = c.sketch;
        if (c.withFlow) {
            auto& in = b.Flow("In");
            in.Sketched.Points = c.inflowSketch;
            b.Inflow(in, stock);
        }
        stock.Derive(false);
        ExpectPoints(stock.Derived, c.expected, c.what);
    }
}

TEST(Derived, FlowRateFromResourceSketches) {
    struct Case {
        const char* what;
        uint8_t deriveFromSource;
        std::vector<TDataPoint> expected;
    } cases[] = {
        // Fills Target (100 -> 110 over 0.5, then flat); Other also fills it with 3.
        {"from the filled resource", 0, {{0, 17}, {0.5, -3}}},
        // Drains Source (50 -> 45 -> 44); Leak also drains it with 1.
        {"from the drained resource", 1, {{0, 9}, {0.5, 1}}},
    };
    for (const auto& c : cases) {
        TModelBuilder b(0, 1, 0.5);
        auto& source = b.Resource("Source");
        auto& target = b.Resource("Target");
        auto& flow = b.Flow("Transfer");
        auto& other = b.Flow("Other");
        auto& leak = b.Flow("Leak");
        TModelBuilder::Sketch(target, {{0, 100}, {0.5, 110}, {1, 110}});
        TModelBuilder::Sketch(source, {{0, 50}, {0.5, 45}, {1, 44}});
        TModelBuilder::Sketch(other, {{0, 3}});
        TModelBuilder::Sketch(leak, {{0, 1}});
        TModelBuilder::Sketch(flow, {{0, 1000}}); // its own sketch plays no part
        b.Inflow(flow, target);
        b.Outflow(flow, source);
        b.Inflow(other, target);
        b.Outflow(leak, source);
        flow.DeriveFromSource = c.deriveFromSource;
        flow.Derive(false);
        ExpectPoints(flow.Derived, c.expected, c.what);
    }
}

TEST(Derived, FlowFillingAResourceThatRisesByTenOverHalfAStep) {
    TModelBuilder b(0, 0.5, 0.5);
    auto& stock = b.Resource("Stock");
    auto& flow = b.Flow("Fill");
    TModelBuilder::Sketch(stock, {{0, 100}, {0.5, 110}});
    b.Inflow(flow, stock);
    flow.Derive(false);
    ExpectPoints(flow.Derived, {{0, 20}}, "Fill");
}

TEST(Derived, OnlyResourcesAndFlowsDerive) {
    TModelBuilder b(0, 2, 1);
    auto& constant = b.Constant("C", "1");
    auto& variable = b.Variable("V", "");
    TModelBuilder::Sketch(variable, {{0, 1}, {2, 3}});
    for (TVariableObject* v : {&constant, &variable}) {
        v->Derived.AddPoint(0, 42);
        v->Derive(false);
        EXPECT_EQ(Points(v->Derived).size(), 1u) << v->Name;
        v->Derive(true);
        EXPECT_EQ(Points(v->Derived).size(), 1u) << v->Name;
    }
}

TEST(Derived, ClearOnlyEmptiesAndComputesNothing) {
    TModelBuilder b(0, 2, 1);
    auto& stock = b.Resource("Stock");
    auto& flow = b.Flow("Flow");
    b.Inflow(flow, stock);
    TModelBuilder::Sketch(flow, {{0, 1}});
    stock.Derive(false);
    flow.Derive(false);
    ASSERT_FALSE(stock.Derived.IsEmpty());
    ASSERT_FALSE(flow.Derived.IsEmpty());
    stock.Derive(true);
    flow.Derive(true);
    EXPECT_TRUE(stock.Derived.IsEmpty());
    EXPECT_TRUE(flow.Derived.IsEmpty());
}

TEST(Derived, RefreshRecomputesOnlyDerivedSeriesInUse) {
    TModelBuilder b(0, 2, 1);
    auto& shown = b.Resource("Shown");
    auto& hidden = b.Resource("Hidden");
    auto& flow = b.Flow("Flow");
    b.Inflow(flow, shown);
    b.Inflow(flow, hidden);
    TModelBuilder::Sketch(flow, {{0, 1}});
    shown.Derive(false);
    ExpectPoints(shown.Derived, {{0, 0}, {1, 1}, {2, 2}}, "before");
    TModelBuilder::Sketch(flow, {{0, 5}}); // the sketch changes
    b.Sim.RefreshDerived();
    ExpectPoints(shown.Derived, {{0, 0}, {1, 5}, {2, 10}}, "after");
    EXPECT_TRUE(hidden.Derived.IsEmpty());
    EXPECT_TRUE(flow.Derived.IsEmpty());
}

TEST(Derived, UnusableTimeGridsDeriveNothing) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    struct Case {
        double start, stop, step;
    } cases[] = {{0, 24, 0},   {0, 24, -1},      {0, 24, nan},   {0, inf, 1},
                 {nan, 24, 1}, {0, 1e12, 0.125}, {1e20, 2e20, 1}};
    for (const auto& c : cases) {
        TModelBuilder b(c.start, c.stop, c.step);
        auto& stock = b.Resource("Stock");
        auto& flow = b.Flow("Flow");
        b.Inflow(flow, stock);
        TModelBuilder::Sketch(flow, {{0, 1}});
        TModelBuilder::Sketch(stock, {{0, 1}});
        stock.Derived.AddPoint(0, 1);
        stock.Derive(false);
        flow.Derive(false);
        EXPECT_TRUE(stock.Derived.IsEmpty()) << c.step << " " << c.stop;
        EXPECT_TRUE(flow.Derived.IsEmpty()) << c.step << " " << c.stop;
    }
}

TEST(Derived, BrokenConnectionsAreIgnored) {
    TModelBuilder b(0, 2, 1);
    auto& stock = b.Resource("Stock");
    auto& flow = b.Flow("Flow");
    TModelBuilder::Sketch(stock, {{0, 0}, {2, 4}});
    stock.AddDependency(nullptr, true, 0);
    b.Inflow(flow, stock);
    flow.Derive(false);
    ExpectPoints(flow.Derived, {{0, 2}, {1, 2}}, "Flow");
    TModelBuilder::Sketch(flow, {{0, 3}});
    stock.Derive(false);
    ExpectPoints(stock.Derived, {{0, 0}, {1, 3}, {2, 6}}, "Stock");
}
