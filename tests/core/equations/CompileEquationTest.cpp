// An element compiling its equation: the tree kept, a constant folded, errors discarding all.
#include "ParserFixture.h"

#include <gtest/gtest.h>

namespace {

TEST(CompileEquation, ResultsOfCompiling) {
    struct TCase {
        const char* Equation;
        bool Ok;
        bool HasRoot;
        double Value;
    };
    const TCase cases[] = {
        {"", true, false, 0},           {"  ", true, false, 0},     {"()", true, false, 0},
        {"100", true, false, 100},      {"-5", true, false, -5},    {"(2.5)", true, false, 2.5},
        {"1e-5", true, false, 0.00001}, {"a+1", true, true, 0},     {"PI", true, true, 0},
        {"-a", true, true, 0},          {"a+", false, false, 0},    {"nope", false, false, 0},
        {"MAX(a)", false, false, 0},    {"1e400", false, false, 0}, {"(a", false, false, 0},
        {"()/3", false, false, 0},
    };
    TParserModel model;
    TVariableObject& target = *model.Target;
    for (const TCase& c : cases) {
        // Leftovers of an earlier compile must not survive.
        target.Equation = "a*2";
        ASSERT_TRUE(target.CompileEquation());
        target.InitialValue = target.Value = 42;
        target.Equation = c.Equation;
        EXPECT_EQ(target.CompileEquation(), c.Ok) << c.Equation;
        EXPECT_EQ(target.Parsed, c.Ok) << c.Equation;
        EXPECT_EQ(target.HasErrors, !c.Ok) << c.Equation;
        EXPECT_EQ(target.Root != nullptr, c.HasRoot) << c.Equation;
        EXPECT_EQ(EquationErrors.empty(), c.Ok) << c.Equation;
        EXPECT_DOUBLE_EQ(target.InitialValue, c.Value) << c.Equation;
        EXPECT_DOUBLE_EQ(target.Value, c.Value) << c.Equation;
    }
}

TEST(CompileEquation, UnusedLinksStayUnmarked) {
    TParserModel model;
    TVariableObject& target = *model.Target;
    for (TDependency* d : target.Dependencies)
        d->Used = true;
    target.Equation = "a + MAX(b, Sales_Rate)";
    ASSERT_TRUE(target.CompileEquation());
    for (TDependency* d : target.Dependencies) {
        const std::string name = d->Source.GetTarget()->Name;
        const bool used = name == "a" || name == "b" || name == "Sales Rate";
        // Flow connections are not the equation's to mark.
        const bool informationLink = !d->IsFlow && d->Direction == 0;
        EXPECT_EQ(d->Used, used || !informationLink) << name;
    }
    ASSERT_NE(target.Root, nullptr);
    EXPECT_EQ(TreeText(target.Root.get()), "+([a],MAX([b],[Sales Rate]))");
}

TEST(CompileEquation, ErrorsNameEveryFault) {
    TParserModel model;
    TVariableObject& target = *model.Target;
    target.Equation = "Sales Rate + dt";
    EXPECT_FALSE(target.CompileEquation());
    EXPECT_EQ(EquationErrors, "Unknown identifier - Sales Rate\r\nUnknown identifier - dt");
    EXPECT_EQ(target.Root, nullptr);
}

} // namespace
