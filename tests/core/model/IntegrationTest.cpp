// RK2 and RK4 against models with known exact solutions, non-negative resources and flows,
// and what stateful functions see and record between whole steps.
#include "support/ModelBuilder.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>

namespace {

// A model with a known solution: builds it and gives the exact value of its first resource
// at time t.
struct TExactModel {
    const char* Name;
    std::function<void(TModelBuilder&)> Build;
    const char* Watched;
    std::function<double(double)> Exact;
};

const TExactModel ExactModels[] = {
    {"exponential decay",
     [](TModelBuilder& m) {
         TVariableObject& level = m.Resource("Level", "100");
         TVariableObject& decay = m.Flow("Decay", "Level * 0.5", {"Level"});
         m.Outflow(decay, level);
     },
     "Level", [](double t) { return 100 * std::exp(-0.5 * t); }},
    {"harmonic oscillator",
     [](TModelBuilder& m) {
         TVariableObject& position = m.Resource("Position", "1");
         TVariableObject& velocity = m.Resource("Velocity", "0");
         TVariableObject& move = m.Flow("Move", "Velocity", {"Velocity"});
         TVariableObject& pull = m.Flow("Pull", "Position * 4", {"Position"});
         m.Inflow(move, position);
         m.Outflow(pull, velocity);
     },
     "Position", [](double t) { return std::cos(2 * t); }},
};

// The error at the end of a run from 0 to 4.
double FinalError(const TExactModel& model, TIntegrationMethod method, double dt) {
    TModelBuilder m(0, 4, dt);
    model.Build(m);
    m.Sim.Method = method;
    EXPECT_TRUE(m.Run());
    const std::vector<double> values = m.Values(model.Watched);
    const std::vector<double> times = m.Times(model.Watched);
    EXPECT_NEAR(times.back(), 4, 1e-9);
    return std::fabs(values.back() - model.Exact(times.back()));
}

TEST(Integration, EachMethodConvergesAtItsOrderOnModelsWithExactSolutions) {
    struct TMethodOrder {
        TIntegrationMethod Method;
        double Order;
    };
    const TMethodOrder methods[] = {{imEuler, 1}, {imRK2, 2}, {imRK4, 4}};
    for (const TExactModel& model : ExactModels) {
        SCOPED_TRACE(model.Name);
        const double euler = FinalError(model, imEuler, 1.0 / 32);
        const double rk4 = FinalError(model, imRK4, 1.0 / 32);
        // Orders of magnitude better at the same step.
        EXPECT_LT(rk4, euler * 1e-4) << "Euler " << euler << ", RK4 " << rk4;
        for (const TMethodOrder& m : methods) {
            SCOPED_TRACE(IntegrationMethodNames[m.Method]);
            // Halving the step divides the error by 2 to the power of the order.
            const double coarse = FinalError(model, m.Method, 1.0 / 32);
            const double fine = FinalError(model, m.Method, 1.0 / 64);
            const double ratio = coarse / fine;
            EXPECT_NEAR(std::log2(ratio), m.Order, 0.25) << coarse << " / " << fine;
        }
    }
}

TEST(Integration, EulerStaysTheStepByStepSumOfThePreviousFlows) {
    TModelBuilder m(0, 3, 1);
    ExactModels[0].Build(m);
    ASSERT_TRUE(m.Run());
    EXPECT_EQ(m.Values("Level"), (std::vector<double>{100, 50, 25, 12.5}));
}

TEST(Integration, NonNegativeResourcesAndFlows) {
    struct TCase {
        const char* Name;
        TIntegrationMethod Method;
        bool StockNonNegative, FirstNonNegative;
        std::vector<double> Stock, First, Second;
    };
    // Stock starts at 10 with an inflow of 2; "First" wants 5, "Second" wants 4 (in that
    // outflow order) and "First" turns to -3 from time 3 on.
    const TCase cases[] = {
        {"plain", imEuler, false, false, {10, 3, -4, -11, -10}, {5, 5, 5, -3, -3}, {4, 4, 4, 4, 4}},
        // 10 + 2 offers 12: both outflows whole; then 3 + 2 = 5 is all First's, nothing left
        // for Second; then 0 + 2: First takes 2.
        {"stock", imEuler, true, false, {10, 3, 0, 0, 1}, {5, 5, 2, -3, -3}, {4, 0, 0, 4, 4}},
        // A uniflow never turns: First is 0 instead of -3.
        {"stock and flow", imEuler, true, true, {10, 3, 0, 0, 0}, {5, 5, 2, 0, 0}, {4, 0, 0, 2, 2}},
        // The flows are constant within each step, so every method agrees.
        {"RK4", imRK4, true, true, {10, 3, 0, 0, 0}, {5, 5, 2, 0, 0}, {4, 0, 0, 2, 2}},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        TModelBuilder m(0, 4, 1);
        TVariableObject& stock = m.Resource("Stock", "10");
        TVariableObject& in = m.Flow("In", "2");
        TVariableObject& first = m.Flow("First", "IF(TIME >= 3, -3, 5)");
        TVariableObject& second = m.Flow("Second", "4");
        m.Inflow(in, stock);
        m.Outflow(first, stock);
        m.Outflow(second, stock);
        stock.NonNegative = c.StockNonNegative;
        first.NonNegative = c.FirstNonNegative;
        m.Sim.Method = c.Method;
        ASSERT_TRUE(m.Run());
        EXPECT_EQ(m.Values("Stock"), c.Stock);
        EXPECT_EQ(m.Values("First"), c.First);
        EXPECT_EQ(m.Values("Second"), c.Second);
    }
}

TEST(Integration, ANonNegativeResourceNeverGoesBelowZeroUnderAnyMethod) {
    for (TIntegrationMethod method : {imEuler, imRK2, imRK4}) {
        SCOPED_TRACE(IntegrationMethodNames[method]);
        TModelBuilder m(0, 10, 0.5);
        TVariableObject& tank = m.Resource("Tank", "3");
        TVariableObject& drain = m.Flow("Drain", "1 + Tank * 2", {"Tank"});
        m.Outflow(drain, tank);
        // An inflow running backwards drains too, after the outflows.
        TVariableObject& back = m.Flow("Back", "-1");
        m.Inflow(back, tank);
        tank.NonNegative = true;
        m.Sim.Method = method;
        ASSERT_TRUE(m.Run());
        for (double value : m.Values("Tank"))
            EXPECT_GE(value, 0);
        EXPECT_NEAR(m.Values("Tank").back(), 0, 1e-12);
        EXPECT_EQ(m.Values("Back").front(), 0);
        EXPECT_EQ(m.Values("Back").back(), 0);
    }
}

// What stateful functions do between whole steps: a pulse moves its whole amount, random
// draws and delay histories belong to whole steps only, ramps follow the stage's time.
TEST(Integration, StatefulFunctionsInsideRungeKuttaSteps) {
    std::vector<std::vector<double>> byMethod;
    for (TIntegrationMethod method : {imEuler, imRK4}) {
        SCOPED_TRACE(IntegrationMethodNames[method]);
        TModelBuilder m(0, 6, 1);
        TVariableObject& pulsed = m.Resource("Pulsed", "0");
        TVariableObject& pulse = m.Flow("Pulse", "PULSE(10, 2, 100)");
        m.Inflow(pulse, pulsed);
        m.Variable("Noise", "RANDOM(1)");
        TVariableObject& ramped = m.Resource("Ramped", "0");
        TVariableObject& ramp = m.Flow("Ramp", "RAMP(1, 0)");
        m.Inflow(ramp, ramped);
        TVariableObject& delayed = m.Resource("Delayed", "0");
        TVariableObject& late = m.Flow("Late", "DELAY(Ramp, 2, 7)", {"Ramp"});
        m.Inflow(late, delayed);
        m.Sim.Method = method;
        RandomSeed = 0;
        ASSERT_TRUE(m.Run());
        EXPECT_EQ(m.Values("Pulsed"), (std::vector<double>{0, 0, 0, 10, 10, 10, 10}));
        // The integral of t from 0: Euler sums the left ends, RK4 is exact for a line.
        if (method == imRK4) {
            const std::vector<double> exact{0, 0.5, 2, 4.5, 8, 12.5, 18};
            const std::vector<double> ramped = m.Values("Ramped");
            ASSERT_EQ(ramped.size(), exact.size());
            for (size_t i = 0; i < exact.size(); ++i)
                EXPECT_NEAR(ramped[i], exact[i], 1e-12) << i;
        }
        // The delay's history: one point before the start and one per whole step.
        const auto* delay = dynamic_cast<const TEquationFunction*>(late.Root.get());
        ASSERT_TRUE(delay && delay->Table);
        std::vector<double> times;
        for (const TDataPoint& p : delay->Table->Points)
            times.push_back(p.Time);
        EXPECT_EQ(times, (std::vector<double>{-1, 0, 1, 2, 3, 4, 5, 6}));
        byMethod.push_back(m.Values("Noise"));
    }
    // The same draws at the same whole steps.
    EXPECT_EQ(byMethod[0], byMethod[1]);
}

} // namespace
