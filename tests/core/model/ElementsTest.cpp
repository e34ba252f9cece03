#include "core/model/SimulationObjects.h"

#include "SampleModel.h"

#include <gtest/gtest.h>

namespace {

std::vector<std::string> Names(const TSimulationObject& sim) {
    std::vector<std::string> names;
    for (TVariableObject* element : sim.Variables)
        names.push_back(element->Name);
    return names;
}

} // namespace

TEST(Elements, NewElementNaming) {
    TSimulationObject sim;
    for (int i = 0; i < 3; ++i)
        sim.NewElement(ekFlow);
    EXPECT_EQ(Names(sim), (std::vector<std::string>{"Flow 1", "Flow 2", "Flow 3"}));
    TVariableObject* flow = sim.Variables[2];
    EXPECT_EQ(flow->Kind, ekFlow);
    EXPECT_EQ(flow->Owner, &sim);
    EXPECT_EQ(flow->GetIndex(), 2);

    // Identifiers clash without regard to case or to spaces written as '_'.
    sim.NewElement(ekVariable)->Name = "resource_1";
    EXPECT_EQ(sim.NewElement(ekResource)->Name, "Resource 2");
    EXPECT_EQ(sim.NewElement(ekConstant)->Name, "Constant 1");

    // Deleting Flow 2 and taking a snapshot (any new simulation object) restarts the
    // numbering, so the next Flow fills the gap.
    sim.Variables.Delete(1);
    EXPECT_EQ(sim.NewElement(ekFlow)->Name, "Flow 4");
    sim.Variables.Delete(sim.Variables.Count() - 1);
    { TSimulationObject snapshot; }
    EXPECT_EQ(sim.NewElement(ekFlow)->Name, "Flow 2");
    EXPECT_EQ(sim.NewElement(ekResource)->Name, "Resource 3");

    EXPECT_THROW(sim.NewElement(4), std::invalid_argument);
}

TEST(Elements, IdentifiersIgnoreCaseAndSpaces) {
    TSimulationObject sim;
    TVariableObject* element = sim.NewElement(ekVariable);
    element->Name = "Sales Growth Rate";
    EXPECT_EQ(element->Identifier(), "Sales_Growth_Rate");
    EXPECT_EQ(sim.FindByIdentifier("sales_growth_RATE"), element);
    EXPECT_EQ(sim.FindByIdentifier("Sales Growth Rate"), nullptr);
    EXPECT_EQ(sim.FindByIdentifier("Sales_Growth"), nullptr);
    EXPECT_TRUE(SameIdentifier("ABC_1", "abc_1"));
    EXPECT_FALSE(SameIdentifier("ABC", "ABCD"));
}

TEST(Elements, RenameIdentifier) {
    struct Case {
        const char* text;
        const char* expected;
    } cases[] = {
        {"Sales*2+sales_growth", "Revenue*2+sales_growth"},
        {"SALES", "Revenue"},
        {"sales+Sales/(1-sales)", "Revenue+Revenue/(1-Revenue)"},
        {"Sales2 + _Sales + Sales_", "Sales2 + _Sales + Sales_"},
        {"MAX( Sales ,0)", "MAX( Revenue ,0)"},
        {"'Sales'", "'Revenue'"}, // quotes get no special treatment
        {"", ""},
        {"1.5e3*Sales", "1.5e3*Revenue"},
        {"Sales\xC3\xA9Sales", "Revenue\xC3\xA9Revenue"}, // bytes beyond ASCII close words
    };
    for (const auto& c : cases)
        EXPECT_EQ(RenameIdentifier(c.text, "Sales", "Revenue"), c.expected) << c.text;
}

TEST(Elements, RenameInEquationsRewritesEveryEquation) {
    TSimulationObject sim;
    TVariableObject* a = sim.NewElement(ekVariable);
    TVariableObject* b = sim.NewElement(ekVariable);
    TVariableObject* c = sim.NewElement(ekVariable);
    a->Equation = "Sales*2+sales_growth";
    b->Equation = "Price*3";
    c->Equation = "   ";
    for (TVariableObject* element : sim.Variables)
        element->Parsed = true;
    sim.RenameInEquations("sales", "Revenue");
    EXPECT_EQ(a->Equation, "Revenue*2+sales_growth");
    EXPECT_EQ(b->Equation, "Price*3");
    EXPECT_EQ(c->Equation, "   ");
    // Only the changed equation needs a new parse.
    EXPECT_FALSE(a->Parsed);
    EXPECT_TRUE(b->Parsed);
    EXPECT_TRUE(c->Parsed);
}

TEST(Elements, RemoveDependencyTakesEveryMatchOfThatKind) {
    TSimulationObject sim;
    TVariableObject* target = sim.NewElement(ekResource);
    TVariableObject* a = sim.NewElement(ekFlow);
    TVariableObject* b = sim.NewElement(ekVariable);
    target->Parsed = true;
    target->AddDependency(a);
    EXPECT_FALSE(target->Parsed); // its equation may now use a
    TDependency* flow = target->AddDependency(a, true, 1);
    TDependency* other = target->AddDependency(b);
    target->AddDependency(a);

    target->Parsed = true;
    target->RemoveDependency(b, true); // no flow from b: nothing changes
    EXPECT_EQ(target->Dependencies.Count(), 4);
    EXPECT_TRUE(target->Parsed);

    target->RemoveDependency(a, false);
    ASSERT_EQ(target->Dependencies.Count(), 2);
    EXPECT_EQ(target->Dependencies[0], flow);
    EXPECT_EQ(target->Dependencies[1], other);
    EXPECT_FALSE(target->Parsed);

    target->RemoveDependency(a, true);
    ASSERT_EQ(target->Dependencies.Count(), 1);
    EXPECT_EQ(target->Dependencies[0], other);
}

TEST(Elements, DependencyRecord) {
    TSimulationObject sim;
    TVariableObject* a = sim.NewElement(ekFlow);
    TVariableObject* b = sim.NewElement(ekResource);
    TDependency* dependency = b->AddDependency(a, true, 1);
    dependency->Used = true;
    TDependency* unset = b->AddDependency(nullptr);
    EXPECT_EQ(SavedRecord(*dependency), "Quorvane\t1.0.10.166\r\n\r\n\t1\t1\t0\r\n");
    EXPECT_EQ(SavedRecord(*unset), "Quorvane\t1.0.10.166\r\n\r\n\t0\t0\t-1\r\n");

    TFileObject file;
    file.OpenForReadText("Quorvane\t1.0.10.166\r\n\t1\t1\t1\r\n");
    TDependency loaded;
    loaded.Used = true;
    loaded.Load(file);
    EXPECT_FALSE(loaded.Used);
    EXPECT_EQ(loaded.Direction, 1);
    EXPECT_TRUE(loaded.IsFlow);
    EXPECT_FALSE(loaded.IsInformationLink());
    GlobalLinkManager.ResolveAll();
    EXPECT_EQ(loaded.Source.GetTarget(), b);
}

TEST(Elements, ElementRecordRoundTrip) {
    TSimulationObject sim;
    BuildSampleModel(sim);
    TVariableObject* stock = sim.Variables[0];
    const std::string text = SavedRecord(*stock);
    EXPECT_EQ(text, JoinCrLf({"Quorvane\t1.0.10.166", "",
                              "\t'Stock'\t'kg'\t'100'\t'it''s full'\t2\t100\t102.5",
                              "\t0\t0\t0\t1\t2\t0\t1\t1\t2", "\t0\t0\t0\t1\t0",
                              "\t0\t0\t0\t1\t2\t0\t100\t1\t102.5\t0\t200\t1", "", "\t0\t1\t1\t0"}));

    TFileObject file;
    file.CurrentVersion = TestVersion;
    file.OpenForReadText(text);
    TVariableObject loaded;
    loaded.Parsed = loaded.HasErrors = loaded.Computed = loaded.DrivenBySketch = true;
    loaded.Load(file);
    GlobalLinkManager.ResolveAll(); // against the current simulation's list
    EXPECT_FALSE(loaded.Parsed || loaded.HasErrors || loaded.Computed || loaded.DrivenBySketch);
    EXPECT_EQ(loaded.Dependencies[0]->Source.GetTarget(), sim.Variables[1]);
    EXPECT_EQ(SavedRecord(loaded), text);
}
