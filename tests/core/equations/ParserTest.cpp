// Equation texts and the trees or messages they give.
#include "ParserFixture.h"
#include "core/equations/ParserInternal.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

struct TParseCase {
    std::string Text;
    std::string Tree;   // TreeText of the result
    std::string Errors; // message lines joined by " | "
};

void PrintTo(const TParseCase& c, std::ostream* out) {
    *out << '"' << c.Text << '"';
}

std::string CannotBeFirst(const char* op) {
    return std::string("Operator: \"") + op +
           "\" cannot be first in expression (needs preceding expression)";
}

const TParseCase LanguageCases[] = {
    // Empty texts and brackets.
    {"", "<none>", ""},
    {"  \t ", "<none>", ""},
    {"()", "<none>", ""},
    {"(a)", "[a]", ""},
    {"((a))", "[a]", ""},
    {" ( ( a ) ) ", "[a]", ""},
    // Precedence and associativity.
    {"a-b-c", "-(-([a],[b]),[c])", ""},
    {"a/b/c", "/(/([a],[b]),[c])", ""},
    {"a+b*c", "+([a],*([b],[c]))", ""},
    {"a*b+c", "+(*([a],[b]),[c])", ""},
    {"a-(b-c)", "-([a],-([b],[c]))", ""},
    {"a*b/c*x", "*(/(*([a],[b]),[c]),[x])", ""},
    {"a<b+1", "<([a],+([b],1))", ""},
    {"a+b=c*2", "=(+([a],[b]),*([c],2))", ""},
    {"a<>b", "<>([a],[b])", ""},
    {"a>=b", ">=([a],[b])", ""},
    {"a<=b", "<=([a],[b])", ""},
    {"a>b", ">([a],[b])", ""},
    {"a<b", "<([a],[b])", ""},
    {"a=b", "=([a],[b])", ""},
    {"a<b<c", "<([a],<([b],[c]))", ""},
    {"a>=-1", ">=([a],-1)", ""},
    {"(a+b)*c", "*(+([a],[b]),[c])", ""},
    // Signs.
    {"-5", "-5", ""},
    {"-x", "-([x])", ""},
    {"+5", "5", ""},
    {"- - 5", "5", ""},
    {"a - -b", "+([a],[b])", ""},
    {"a + -b", "-([a],[b])", ""},
    {"-a-b-c", "-(-(-([a]),[b]),[c])", ""},
    {"2*(-3)", "*(2,-3)", ""},
    {"-(a)", "-([a])", ""},
    // Names: "_" for spaces, any case, links before built-ins.
    {"Sales_Rate", "[Sales Rate]", ""},
    {"sales_RATE*2", "*([Sales Rate],2)", ""},
    {"Sales Rate", "<none>", "Unknown identifier - Sales Rate"},
    {"Unlinked", "<none>", "Unknown identifier - Unlinked"},
    {"Piped", "<none>", "Unknown identifier - Piped"},
    {"Drained", "<none>", "Unknown identifier - Drained"},
    {"dt", "<none>", "Unknown identifier - dt"},
    {"time", "[TIME]", ""},
    {"STARTTIME", "STARTTIME", ""},
    {"a(1)", "<none>", "Incorrectly specified variable - a, followed by bracketed expression"},
    {"nope(a)", "<none>", "Unknown function identifier - nope"},
    {"nope", "<none>", "Unknown identifier - nope"},
    // Built-ins and their parameters.
    {"MAX (a, b)", "MAX([a],[b])", ""},
    {"max(a,b)", "MAX([a],[b])", ""},
    {"MAX(MIN(a,b),c)", "MAX(MIN([a],[b]),[c])", ""},
    {"MAX(a,b,c,1)", "MAX([a],[b],[c],1)", ""},
    {"IF(a>b, a, (b))", "IF(>([a],[b]),[a],[b])", ""},
    {"PI", "PI", ""},
    {"true", "TRUE", ""},
    {"RANDOM", "RANDOM", ""},
    {"RANDOM(5)", "RANDOM(5)", ""},
    {"DELAY(a, 2)", "DELAY([a],2)", ""},
    {"DELAY(a, 2, 0)", "DELAY([a],2,0)", ""},
    {"NPV(a, 5, 1, 0, 0, 9)", "NPV([a],5,1,0,0,9)", ""},
    {"PI()", "PI", "Incorrectly specified parameters - PI | Empty parameter(s) in - PI"},
    {"MAX(a)", "MAX([a])", "Incorrectly specified parameters - MAX"},
    {"max(a)", "MAX([a])", "Incorrectly specified parameters - MAX"},
    {"MAX", "MAX", "Incorrectly specified parameters - MAX"},
    {"RANDOM()", "RANDOM", "Empty parameter(s) in - RANDOM"},
    {"RANDOM(1,2)", "RANDOM(1,2)", "Incorrectly specified parameters - RANDOM"},
    {"MAX(a,)", "MAX([a])", "Empty parameter(s) in - MAX"},
    {"MAX(a,[b,c])", "MAX([a])", "Unknown identifier - [b,c] | Empty parameter(s) in - MAX"},
    {"NOT(a,b)", "NOT([a],[b])", "Incorrectly specified parameters - NOT"},
    {"IF(a,b)", "IF([a],[b])", "Incorrectly specified parameters - IF"},
    {"POWER(a)", "POWER([a])", "Incorrectly specified parameters - POWER"},
    {"DIV(a,b,c,1)", "DIV([a],[b],[c],1)", "Incorrectly specified parameters - DIV"},
    {"TODAY()", "TODAY",
     "Incorrectly specified parameters - TODAY | Empty parameter(s) in - TODAY"},
    {"TIME()", "<none>", "Incorrectly specified variable - TIME, followed by bracketed expression"},
    // The later built-ins and their counts.
    {"arcTan(a) * sin(b)", "*(ARCTAN([a]),SIN([b]))", ""},
    {"PULSETRAIN(1, 2, 3, 4)", "PULSETRAIN(1,2,3,4)", ""},
    {"PULSETRAIN(1, 2, 3)", "PULSETRAIN(1,2,3)", "Incorrectly specified parameters - PULSETRAIN"},
    {"PREVIOUS(a)", "PREVIOUS([a])", "Incorrectly specified parameters - PREVIOUS"},
    {"TREND(a, 2)", "TREND([a],2)", "Incorrectly specified parameters - TREND"},
    {"MODULO(a, b, 1)", "MODULO([a],[b],1)", "Incorrectly specified parameters - MODULO"},
    {"INIT", "INIT", "Incorrectly specified parameters - INIT"},
    {"HISTORY(a, b - 1)", "HISTORY([a],-([b],1))", ""},
    {"ABS(nope, x)", "ABS([x])",
     "Incorrectly specified parameters - ABS | Unknown identifier - nope | "
     "Empty parameter(s) in - ABS"},
    // Numbers.
    {"1e5", "1e5", ""},
    {"12.5", "12.5", ""},
    {".5", ".5", ""},
    // Operators without operands.
    {"*a", "<none>", CannotBeFirst("*")},
    {"a+", "<none>", "Operator: \"+\" is not followed by an expression"},
    {"-", "<none>", "Operator: \"-\" is not followed by an expression"},
    {"a*-b", "-([b])", "Operator: \"*\" is not followed by an expression"},
    {"2 * -3", "-(3)", "Operator: \"*\" is not followed by an expression"},
    {"a=>b", "=([a])", CannotBeFirst(">")},
    {"a* *b", "*([b])", "Operator: \"*\" is not followed by an expression"},
    {"a*b* *c", "*([c])", "Operator: \"*\" is not followed by an expression"},
    {"* *b", "*([b])", CannotBeFirst("*")},
    {"nope+x-nope2", "-(+([x]))", "Unknown identifier - nope | Unknown identifier - nope2"},
    // An empty bracket pair as one operand.
    {"()*3", "*(3)", ""},
    {"3*()", "*(3)", ""},
    {"a+()", "+([a])", ""},
    {"()-a", "-([a])", ""},
};

class ParserCases : public ::testing::TestWithParam<TParseCase> {};

TEST_P(ParserCases, TreeAndMessages) {
    TParserModel model;
    const TParseCase& c = GetParam();
    EXPECT_EQ(TreeText(model.Parse(c.Text)), c.Tree) << c.Text;
    EXPECT_EQ(ErrorLines(), c.Errors) << c.Text;
}

INSTANTIATE_TEST_SUITE_P(Language, ParserCases, ::testing::ValuesIn(LanguageCases));

// Faults of the plain algorithm that the parser mends.
const TParseCase MendedCases[] = {
    // A signed exponent belongs to its number.
    {"1e-5", "1e-5", ""},
    {"2e+3", "2e+3", ""},
    {"1.5E-2*a", "*(1.5E-2,[a])", ""},
    {"a-1e-5*b", "-([a],*(1e-5,[b]))", ""},
    {"-1e-5", "-1e-5", ""},
    {"MAX(1e-5, .5e+1)", "MAX(1e-5,.5e+1)", ""},
    {"x1-1e-5", "-([x1],1e-5)", ""},
    // ... but not a name that ends in e, nor a sign set apart by blanks or doubled.
    {"rate-1", "-([rate],1)", ""},
    {"e+2", "+([e],2)", ""},
    {"e-5", "-([e],5)", ""},
    {"x1e-5", "-(5)", "Unknown identifier - x1e"},
    {"1e - 5", "-(1e,5)", ""},
    {"1e--5", "+(1e,5)", ""},
    {"1e-x", "-(1e,[x])", ""},
    // A text starting with e is a name.
    {"e", "[e]", ""},
    {"E*2", "*([e],2)", ""},
    {"e5", "<none>", "Unknown identifier - e5"},
    {"-e5", "-", "Unknown identifier - e5"},
    // Numbers beyond the double range.
    {"1e400", "<none>", "Number out of range - 1e400"},
    {"-1e400", "<none>", "Number out of range - -1e400"},
    {"a*1e400", "*([a])", "Number out of range - 1e400"},
    {"1e-400", "1e-400", ""},
    // Operators that lost an operand to empty brackets.
    {"()*()", "*", "Empty parameter(s) in - *"},
    {"()+()", "+", "Empty parameter(s) in - +"},
    {"()/3", "/(3)", "Empty parameter(s) in - /"},
    {"3/()", "/(3)", "Empty parameter(s) in - /"},
    {"()<3", "<(3)", "Empty parameter(s) in - <"},
    {"a>=(())", ">=([a])", "Empty parameter(s) in - >="},
    {"-()", "-", "Empty parameter(s) in - -"},
    {"a*(()/())", "*([a],/)", "Empty parameter(s) in - /"},
    // Unmatched brackets would silently lose text.
    {"(a", "<none>", "Unmatched brackets in expression"},
    {"a)", "<none>", "Unmatched brackets in expression"},
    {"((a+b+c", "<none>", "Unmatched brackets in expression"},
    {")(", "<none>", "Unmatched brackets in expression"},
    {"MAX(a,b", "<none>", "Unmatched brackets in expression"},
};

INSTANTIATE_TEST_SUITE_P(Mended, ParserCases, ::testing::ValuesIn(MendedCases));

TEST(Parser, ConstantsCarryTheirValue) {
    struct TCase {
        const char* Text;
        double Value;
    };
    const TCase cases[] = {{"-5", -5},       {"1e5", 100000}, {"1e-5", 0.00001}, {"2e+3", 2000},
                           {"-1e-5", -1e-5}, {"1e", 1},       {".", 0},          {"0.25", 0.25},
                           {"1e-400", 0},    {"-.5", -0.5}};
    TParserModel model;
    for (const TCase& c : cases) {
        const TEquationElement* tree = model.Parse(c.Text);
        ASSERT_NE(tree, nullptr) << c.Text;
        ASSERT_EQ(tree->ElementKind(), 0) << c.Text;
        auto* constant = static_cast<const TEquationConstant*>(tree);
        EXPECT_EQ(constant->Value.Kind, evkNumber);
        EXPECT_FALSE(constant->Value.BoolValue);
        EXPECT_DOUBLE_EQ(constant->Value.Number, c.Value) << c.Text;
    }
}

TEST(Parser, ReferencesLinkTheElementAndMarkTheLinkUsed) {
    TParserModel model;
    model.DependencyOn("c")->Used = true;
    const TEquationElement* tree = model.Parse("a+SALES_RATE*a");
    ASSERT_EQ(TreeText(tree), "+([a],*([Sales Rate],[a]))");
    for (const char* used : {"a", "Sales Rate"})
        EXPECT_TRUE(model.DependencyOn(used)->Used) << used;
    for (const char* unused : {"b", "c", "x", "e"})
        EXPECT_FALSE(model.DependencyOn(unused)->Used) << unused;

    // A linked name written with a bracket is still a use of the link.
    model.Parse("b(1)");
    EXPECT_TRUE(model.DependencyOn("b")->Used);
}

TEST(Parser, InputsAreTheInformationLinksOnly) {
    TParserModel model;
    model.DependencyOn("Piped")->Used = true;
    BeginEquationParse(*model.Target);
    EXPECT_EQ(EquationInputs.size(), 9u);
    for (TDependency* input : EquationInputs) {
        EXPECT_FALSE(input->IsFlow);
        EXPECT_EQ(input->Direction, 0);
        EXPECT_FALSE(input->Used);
    }
    // Flow connections keep their flag.
    EXPECT_TRUE(model.DependencyOn("Piped")->Used);
}

TEST(Parser, FirstLinkOfASharedIdentifierWins) {
    TParserModel model;
    TVariableObject* twin = model.Add("A");
    model.Target->AddDependency(twin);
    EXPECT_EQ(TreeText(model.Parse("A")), "[a]");
    EXPECT_FALSE(model.DependencyOn("A")->Used);
}

TEST(Parser, ErrorsAreCollectedAcrossTheWholeEquation) {
    TParserModel model;
    model.Parse("nope1 + MAX(a) * (b -) / nope2(1)");
    EXPECT_EQ(EquationErrors, "Unknown identifier - nope1\r\n"
                              "Incorrectly specified parameters - MAX\r\n"
                              "Operator: \"-\" is not followed by an expression\r\n"
                              "Unknown function identifier - nope2");
    AddEquationError("more");
    EXPECT_EQ(EquationErrors.substr(EquationErrors.size() - 6), "\r\nmore");
    BeginEquationParse(*model.Target);
    EXPECT_EQ(EquationErrors, "");
    AddEquationError("first");
    EXPECT_EQ(EquationErrors, "first");
}

// GRAPH: the table built from the call's constants.
struct TGraphCase {
    const char* Text;
    const char* Errors;
    double Origin;
    double Interval;
    std::vector<TDataPoint> Points;
};

TEST(Parser, GraphBuildsItsTable) {
    const TGraphCase cases[] = {
        {"GRAPH(x, 0, 1, 0, 10, 20)", "", 0, 1, {{0, 0}, {1, 10}, {2, 20}}},
        {"GRAPH(x, 0, 0, 1, 2)", GraphIncrementText, 0, 10, {{0, 1}, {10, 2}}},
        {"GRAPH(x, 5, -1, 1)", GraphIncrementText, 5, 10, {{5, 1}}},
        {"GRAPH(x, 0, 1, a, 2)", GraphNotConstantText, 0, 1, {{1, 2}}},
        {"GRAPH(x, a, b, 1, c)", GraphNotConstantText, 0, 10, {{0, 1}}},
        {"GRAPH(x, 0, 1, -5, 5)", "", 0, 1, {{0, -5}, {1, 5}}},
        {"graph(a*2, -1.5, 0.5, 3, 4, 5, 6)",
         "",
         -1.5,
         0.5,
         {{-1.5, 3}, {-1, 4}, {-0.5, 5}, {0, 6}}},
        {"GRAPH(x, 0, 1)", "Incorrectly specified parameters - GRAPH", 0, 1, {}},
        {"GRAPH(x)", "Incorrectly specified parameters - GRAPH", 0, 10, {}},
        {"GRAPH(x, 0, 1, , 7)", "Empty parameter(s) in - GRAPH", 0, 1, {{0, 7}}},
        {"GRAPH(x, 1e308, 1e308, 1, 2, 3)", GraphXOutOfRangeText, 1e308, 1e308, {{1e308, 1}}},
    };
    TParserModel model;
    for (const TGraphCase& c : cases) {
        const TEquationElement* tree = model.Parse(c.Text);
        ASSERT_NE(tree, nullptr) << c.Text;
        ASSERT_EQ(tree->ElementKind(), 2) << c.Text;
        auto* graph = static_cast<const TEquationFunction*>(tree);
        EXPECT_EQ(ErrorLines(), c.Errors) << c.Text;
        ASSERT_NE(graph->Table, nullptr) << c.Text;
        EXPECT_DOUBLE_EQ(graph->Table->Origin, c.Origin) << c.Text;
        EXPECT_DOUBLE_EQ(graph->Table->Interval, c.Interval) << c.Text;
        EXPECT_FALSE(graph->Table->Stepwise);
        ASSERT_EQ(graph->Table->Points.size(), c.Points.size()) << c.Text;
        for (size_t i = 0; i < c.Points.size(); ++i) {
            EXPECT_DOUBLE_EQ(graph->Table->Points[i].Time, c.Points[i].Time) << c.Text;
            EXPECT_DOUBLE_EQ(graph->Table->Points[i].Value, c.Points[i].Value) << c.Text;
        }
    }
}

TEST(Parser, GraphTableLooksUpBetweenItsPoints) {
    TParserModel model;
    auto* graph = static_cast<const TEquationFunction*>(model.Parse("GRAPH(x, 0, 1, 0, 10, 20)"));
    ASSERT_NE(graph, nullptr);
    EXPECT_DOUBLE_EQ(graph->Table->ValueAt(-3), 0);
    EXPECT_DOUBLE_EQ(graph->Table->ValueAt(0.5), 5);
    EXPECT_DOUBLE_EQ(graph->Table->ValueAt(2), 20);
    EXPECT_DOUBLE_EQ(graph->Table->ValueAt(7), 20);
    // Only the index expression is a tree to evaluate; the table parameters stay as written.
    EXPECT_EQ(TreeText(graph), "GRAPH([x],0,1,0,10,20)");
}

} // namespace
