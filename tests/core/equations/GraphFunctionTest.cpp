#include "EvalTestSupport.h"

#include "core/equations/GraphFunction.h"

#include <gtest/gtest.h>

using namespace evaltest;

namespace {

// GRAPH(x, ...) with the table the parser would build from the given points.
Node Graph(double x, std::initializer_list<TDataPoint> points) {
    Node tree = F(sgvGRAPH, C(x));
    auto& f = static_cast<TEquationFunction&>(*tree);
    f.Table = std::make_unique<TDataSeries>();
    for (const auto& p : points)
        f.Table->AddPoint(p.Time, p.Value);
    return tree;
}

bool ParserAvailable() {
    return ParseEquation("1") != nullptr;
}

} // namespace

TEST(GraphFunction, LookupInterpolatesAndClamps) {
    struct Case {
        const char* Name;
        std::initializer_list<TDataPoint> Points;
        double X, Expected;
    } cases[] = {
        {"GRAPH(x,0,1,0,10,20) left", {{0, 0}, {1, 10}, {2, 20}}, -5, 0},
        {"GRAPH(x,0,1,0,10,20) at 0", {{0, 0}, {1, 10}, {2, 20}}, 0, 0},
        {"GRAPH(x,0,1,0,10,20) at 0.5", {{0, 0}, {1, 10}, {2, 20}}, 0.5, 5},
        {"GRAPH(x,0,1,0,10,20) at 2", {{0, 0}, {1, 10}, {2, 20}}, 2, 20},
        {"GRAPH(x,0,1,0,10,20) right", {{0, 0}, {1, 10}, {2, 20}}, 7, 20},
        {"GRAPH(x,0,0,1,2) increment 10", {{0, 1}, {10, 2}}, 5, 1.5},
        {"GRAPH(x,0,1,a,2) one point", {{1, 2}}, -3, 2},
        {"GRAPH(x,0,1,-5,5)", {{0, -5}, {1, 5}}, 0.25, -2.5},
    };
    for (const auto& c : cases) {
        Node tree = Graph(c.X, c.Points);
        TOutcome out = EvaluateOnce(*tree);
        EXPECT_DOUBLE_EQ(out.Value.Number, c.Expected) << c.Name;
        EXPECT_EQ(out.Error, "") << c.Name;
    }
}

TEST(GraphFunction, ResetRunKeepsTheTable) {
    Node tree = Graph(0.5, {{0, 0}, {1, 10}});
    tree->ResetRun();
    tree->RecordStep();
    tree->RewindTo(0);
    EXPECT_DOUBLE_EQ(EvaluateOnce(*tree).Value.Number, 5);
}

TEST(GraphFunction, WriteCall) {
    TGraphCall call;
    call.Head = "GRAPH(TIME,";
    call.Table.Origin = 0;
    call.Table.Interval = 1;
    call.Table.AddPoint(0, 1.23456);
    call.Table.AddPoint(1, 2);
    EXPECT_EQ(WriteGraphCall(call), "GRAPH(TIME, 0, 1, 1.235, 2)");
    call.Table.Origin = -2.5;
    call.Table.Interval = 0.0001;
    call.Table.AddPoint(2, -1234567.8912);
    EXPECT_EQ(WriteGraphCall(call), "GRAPH(TIME, -2.5, 0, 1.235, 2, -1234567.891)");
}

TEST(GraphFunction, NewCallFromAnEmptyText) {
    TGraphCall call;
    ASSERT_TRUE(ReadGraphCall("", call));
    EXPECT_EQ(call.Head, "GRAPH( ,");
    EXPECT_TRUE(call.Table.IsEmpty());
    EXPECT_FALSE(call.InvalidParameters);
    // The editor's defaults: eleven zero points.
    for (int i = 0; i <= 10; ++i)
        call.Table.AddPoint(i, 0);
    EXPECT_EQ(WriteGraphCall(call), "GRAPH( , 0, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0)");
}

TEST(GraphFunction, UnbalancedCallIsRefused) {
    for (const char* text :
         {"GRAPH(x, 0, 1, (2", "GRAPH(x, 0, 1, 2", ")GRAPH(x", "GRAPH(x, (0, 1, 2)"}) {
        TGraphCall call;
        EXPECT_FALSE(ReadGraphCall(text, call)) << text;
        const char* shown = nullptr;
        bool edited = false;
        TGraphCallEditor editor{[&](const char* m) { shown = m; }, [](const char*) {},
                                [&](TDataSeries&) { return edited = true; }};
        EXPECT_EQ(EditGraphCall(text, editor), "") << text;
        EXPECT_STREQ(shown, "Invalid GRAPH function syntax") << text;
        EXPECT_FALSE(edited) << text;
    }
}

TEST(GraphFunction, EditCallRoundTrip) {
    if (!ParserAvailable()) GTEST_SKIP() << "equation parser not built yet";
    struct Case {
        const char* Text;
        const char* Result;
        bool Warning;
    } cases[] = {
        {"GRAPH(TIME, 0, 1, 1.23456, 2)", "GRAPH(TIME, 0, 1, 1.235, 2)", false},
        {"graph(MAX(a, b), -1, 0.5, 3, -4, 5)", "graph(MAX(a, b), -1, 0.5, 3, -4, 5)", false},
        {"GRAPH(x, 0, 0, 1, 2)", "GRAPH(x, 0, 10, 1, 2)", true},
        {"GRAPH(x, 0, 1, a, 2)", "GRAPH(x, 0, 1, 2)", true},
    };
    for (const auto& c : cases) {
        bool warned = false;
        TGraphCallEditor editor{[](const char*) {}, [&](const char*) { warned = true; },
                                [](TDataSeries& table) {
                                    // The editor sees point indices.
                                    for (int i = 0; i < table.Count(); ++i)
                                        EXPECT_EQ(table.Points[i].Time, i);
                                    return true;
                                }};
        EXPECT_EQ(EditGraphCall(c.Text, editor), c.Result) << c.Text;
        EXPECT_EQ(warned, c.Warning) << c.Text;
    }
    TGraphCallEditor cancel{[](const char*) {}, [](const char*) {},
                            [](TDataSeries&) { return false; }};
    EXPECT_EQ(EditGraphCall("GRAPH(TIME, 0, 1, 1, 2)", cancel), "");
}

TEST(GraphFunction, CallWithoutTableParameters) {
    if (!ParserAvailable()) GTEST_SKIP() << "equation parser not built yet";
    // The table parameters read as a call with none: no points, X start 0, X increment 10.
    for (const char* text : {"GRAPH(TIME)", "GRAPH", "graph ( a*2 )"}) {
        bool warned = false;
        double start = -1;
        double increment = -1;
        size_t points = 99;
        TGraphCallEditor editor{[](const char*) {}, [&](const char*) { warned = true; },
                                [&](TDataSeries& table) {
                                    start = table.Origin;
                                    increment = table.Interval;
                                    points = table.Points.size();
                                    return true;
                                }};
        EXPECT_EQ(EditGraphCall(text, editor), "GRAPH( , 0, 10)") << text;
        EXPECT_TRUE(warned) << text;
        EXPECT_EQ(start, 0) << text;
        EXPECT_EQ(increment, 10) << text;
        EXPECT_EQ(points, 0u) << text;
    }
}
