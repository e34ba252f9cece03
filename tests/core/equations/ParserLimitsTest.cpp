// Long and deeply nested equations, and the one-pass reading of operator chains checked
// against the plain recursive reading.
#include "ParserFixture.h"
#include "core/equations/ParserInternal.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

namespace {

std::string Repeat(const std::string& piece, int count) {
    std::string text;
    for (int i = 0; i < count; ++i)
        text += piece;
    return text;
}

// Sum of count terms: a+1+a+1...
std::string Chain(int count, const char* op = "+") {
    std::string text = "a";
    for (int i = 1; i < count; ++i)
        text += std::string(op) + (i % 2 ? "1" : "a");
    return text;
}

int TreeDepth(const TEquationElement* element) {
    if (!element || element->ElementKind() != 2) return 1;
    int deepest = 0;
    for (const TEquationElement* p : static_cast<const TEquationFunction*>(element)->Parameters)
        deepest = std::max(deepest, TreeDepth(p));
    return deepest + 1;
}

TEST(ParserLimits, DeepNestingFailsWithOneMessage) {
    // Past the limit every level rescans its text, so the costly shapes stay short here;
    // the benchmark times them at 10,000 levels.
    const int deep = MaxNestingLevel + 200;
    const std::string cases[] = {
        Repeat("(", 10000) + "a" + Repeat(")", 10000),
        Repeat("-(", deep) + "a" + Repeat(")", deep),
        Repeat("MAX(1,", deep) + "a" + Repeat(")", deep),
        Repeat("a+(", deep) + "a" + Repeat(")", deep),
        Repeat("a<", deep) + "a",
        Chain(10000),
        Chain(10000, "*"),
        Chain(MaxNestingLevel + 2, "-"),
    };
    TParserModel model;
    for (const std::string& text : cases) {
        model.Parse(text);
        EXPECT_EQ(EquationErrors, NestedTooDeeplyText) << text.substr(0, 20);
    }
}

TEST(ParserLimits, LongChainsCompileIntoLeftLeaningTrees) {
    TParserModel model;
    const TEquationElement* tree = model.Parse(Chain(MaxNestingLevel + 1));
    EXPECT_EQ(EquationErrors, "");
    EXPECT_EQ(TreeDepth(tree), MaxNestingLevel + 1);
    // a-1-a-1...: every operator takes the result so far as its left operand.
    tree = model.Parse(Chain(500, "-"));
    ASSERT_NE(tree, nullptr);
    const TEquationElement* node = tree;
    int depth = 0;
    while (node->ElementKind() == 2) {
        auto* function = static_cast<const TEquationFunction*>(node);
        ASSERT_EQ(function->FunctionIndex, sgvMinus);
        ASSERT_EQ(function->Parameters.Count(), 2);
        EXPECT_EQ(function->Parameters[1]->ElementKind(), depth % 2 ? 1 : 0);
        node = function->Parameters[0];
        ++depth;
    }
    EXPECT_EQ(depth, 499);

    // Many parameters and a long GRAPH table are flat.
    model.Parse("MAX(" + Repeat("a,", 20000) + "a)");
    EXPECT_EQ(EquationErrors, "");
    auto* graph = static_cast<const TEquationFunction*>(
        model.Parse("GRAPH(a, 0, 1" + Repeat(", 2.5", 20000) + ")"));
    EXPECT_EQ(EquationErrors, "");
    ASSERT_NE(graph, nullptr);
    EXPECT_EQ(graph->Table->Count(), 20000);
}

// Compares the one-pass chain reading with the plain one on the same text.
void ExpectSameReading(TParserModel& model, const std::string& text) {
    ParserSplitsChainsLiterally = true;
    const std::string literalTree = TreeText(model.Parse(text));
    const std::string literalErrors = EquationErrors;
    std::string literalUsed;
    for (TDependency* d : EquationInputs)
        literalUsed += d->Used ? '1' : '0';
    ParserSplitsChainsLiterally = false;
    const std::string tree = TreeText(model.Parse(text));
    std::string used;
    for (TDependency* d : EquationInputs)
        used += d->Used ? '1' : '0';
    EXPECT_EQ(tree, literalTree) << text;
    EXPECT_EQ(EquationErrors, literalErrors) << text;
    EXPECT_EQ(used, literalUsed) << text;
}

TEST(ParserLimits, ChainsReadAsThePlainAlgorithmDoes) {
    TParserModel model;
    const char* fixed[] = {
        "a-b+c-x",
        "-a-b",
        "a* *b",
        "a*b* *c",
        "* *b",
        "a+ +b",
        "nope+x-nope2",
        "()*()*3",
        "a/()/b",
        "1e-5-e+2",
        "1e - 5 - 1",
        "a*-b*c",
        "(a)(b)+c",
        "(a)(b)*c*x",
        "a-(b)(c)-x",
        "+-a--b+-c",
        "a\t-\tb-c",
        "\x01-a-b",
        "--a",
        "a--",
        "a*/b",
        "/a*b",
        "a-*b",
        "a+b-(c*x)/e",
        "(()-a)-b",
        "MAX(a-b-c, x*x/x)-1e-3",
        "a*b*c*x*e*rate/x1",
    };
    for (const char* text : fixed)
        ExpectSameReading(model, text);

    // Random texts from the language's pieces, balanced or not.
    const char* pieces[] = {"a", "b",  "x1", "e",  "1",    "2.5", "1e",           "1e-5", "-",
                            "+", "*",  "/",  "<",  "=",    ">=",  "<>",           "(",    ")",
                            " ", "()", "--", "- ", "MAX(", ",",   "GRAPH(a,0,1,", "nope", "\t",
                            "E"};
    std::mt19937 random(12345);
    std::uniform_int_distribution<size_t> pick(0, std::size(pieces) - 1);
    std::uniform_int_distribution<int> length(1, 16);
    for (int round = 0; round < 20000; ++round) {
        std::string text;
        for (int n = length(random); n > 0; --n)
            text += pieces[pick(random)];
        ExpectSameReading(model, text);
        if (HasFailure()) break;
    }
    ParserSplitsChainsLiterally = false;
}

} // namespace
