// A run computes its equations from compiled code; the trees remain the reference. After
// every step, each element's tree, evaluated on the values the step left, must give the
// very value the step computed, bit for bit.
#include "support/ModelBuilder.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

bool SameBits(double a, double b) {
    return std::memcmp(&a, &b, sizeof a) == 0;
}

// Runs the model a step at a time and compares every element with its tree after each step.
void ExpectTreesAgree(TModelBuilder& b, int steps) {
    ASSERT_TRUE(b.Sim.CheckModel()) << (ErrorList.empty() ? "" : ErrorList.front());
    b.Sim.Reset();
    for (int step = 0; step < steps && !b.Sim.IsFinished(); ++step) {
        b.Sim.Step();
        for (TVariableObject* v : b.Sim.Variables) {
            if (!v->Root || v->Kind == ekResource) continue;
            const double tree = v->Root->EvaluateNumber();
            EXPECT_TRUE(SameBits(tree, v->Value))
                << v->Name << " = " << v->Equation << " at " << b.Sim.CurrentTime << ": step gave "
                << v->Value << ", tree gives " << tree;
        }
        EvaluationErrorFlag = false;
    }
}

} // namespace

TEST(StepProgram, EveryValueIsWhatItsTreeGives) {
    TRecordingNotifier notifier;
    TModelBuilder b(0, 8, 0.5);
    // Forward references, every compiled operation with numbers and values on either side,
    // failures that give 0, conditions as numbers, delays, and functions left to the trees.
    auto& early = b.Variable("Early", "Late*2 - Late/3");
    auto& stock = b.Resource("Stock", "10");
    auto& in = b.Flow("In", "Stock*0.1 + Late", {"Stock"});
    b.Inflow(in, stock);
    auto& late = b.Variable("Late", "TIME*2 + 1");
    b.Link(late, early);
    b.Link(late, in);
    b.Variable("Ratio", "Late/(TIME - 3) + 4/Late - Late/0", {"Late"});
    b.Variable("Big", "Stock*1E300*1E10 - (-Late) + -Stock", {"Stock", "Late"});
    b.Variable("Pick", "IF(Late > Stock, MAX(Late, Stock, 2), MIN(Stock, Late)) / 4",
               {"Late", "Stock"});
    b.Variable("Logic",
               "IF(NOT(Late >= 5), Late <= 3, Late = Stock) + (Late <> Stock) * (Late < 9) + "
               "IF(Stock, 1, 2)",
               {"Late", "Stock"});
    b.Variable("Lag", "DELAY(Pick, 2)", {"Pick"});
    b.Variable("Seeded", "DELAY(Logic + Lag, 0.25, -3) * 1", {"Logic", "Lag"});
    b.Variable("Trees", "AND(Late > 1, Stock < 20) + PULSE(Late, 2, 3) + ABS(Early - Pick)",
               {"Late", "Stock", "Early", "Pick"});
    b.Variable("Zero", "1/(Stock - Stock) + 2", {"Stock"});
    b.Variable("Later",
               "SIN(Late) * COS(Stock) + TAN(Late) + ARCSIN(Late/20) + ARCCOS(2) + ARCTAN(Stock) + "
               "MODULO(Late, Stock - 10) + MODULO(-Late, 3) + PULSETRAIN(1, Late/10, 2, 6) + "
               "INIT(Late) + PREVIOUS(Late, 4) + HISTORY(Stock, TIME - 1.25) + TREND(Late, 2, 0)",
               {"Late", "Stock"});
    ExpectTreesAgree(b, 100);
    // The failures were reported once each, under the failing element's name.
    EXPECT_FALSE(notifier.Warnings.empty());
}

TEST(StepProgram, EditsBetweenStepsAreComputedFromTheNewTrees) {
    TModelBuilder b(0, 10, 1);
    auto& a = b.Variable("A", "TIME + 1");
    auto& c = b.Variable("C", "A*2", {"A"});
    ASSERT_TRUE(b.Sim.CheckModel());
    b.Sim.Reset();
    b.Sim.Step();
    b.Sim.Step();
    EXPECT_EQ(c.Value, 4);
    // A new equation, and a new element, while the run is paused.
    c.Equation = "A*3 + B";
    c.Parsed = false;
    b.Link(b.Variable("B", "100"), c);
    ASSERT_TRUE(b.Sim.CheckModel());
    b.Sim.Step();
    EXPECT_EQ(a.Value, 3);
    EXPECT_EQ(c.Value, 109);
    // An element removed: its place in the list goes to the next one.
    c.RemoveDependency(&a, false);
    b.Sim.Variables.Remove(&a);
    c.Equation = "B + 1";
    c.Parsed = false;
    ASSERT_TRUE(b.Sim.CheckModel());
    b.Sim.Step();
    EXPECT_EQ(c.Value, 101);
}
