// Compiling equations: one long equation, pathological nesting, and a whole model.
#include "core/equations/EquationObjects.h"
#include "core/model/SimulationObjects.h"

#include <benchmark/benchmark.h>

#include <memory>
#include <string>
#include <vector>

namespace {

// Elements with information links to a few inputs, as the diagram makes them.
struct TBenchModel {
    TVariableObject* Add(const std::string& name, const std::string& equation,
                         const std::vector<TVariableObject*>& inputs) {
        auto element = std::make_unique<TVariableObject>();
        element->Name = name;
        element->Equation = equation;
        for (TVariableObject* input : inputs)
            element->AddDependency(input);
        Elements.push_back(std::move(element));
        return Elements.back().get();
    }
    std::vector<std::unique_ptr<TVariableObject>> Elements;
};

std::string Repeat(const std::string& piece, int count) {
    std::string text;
    for (int i = 0; i < count; ++i)
        text += piece;
    return text;
}

void CompileOne(benchmark::State& state, const std::string& equation, bool expectOk) {
    TBenchModel model;
    TVariableObject* a = model.Add("Sales Rate", "1", {});
    TVariableObject* b = model.Add("b", "2", {});
    TVariableObject* x = model.Add("x", "3", {});
    TVariableObject* target = model.Add("Target", equation, {a, b, x});
    for (auto _ : state) {
        bool ok = target->CompileEquation();
        if (ok != expectOk) {
            state.SkipWithError("unexpected compile result");
            break;
        }
        benchmark::DoNotOptimize(target->Root.get());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * equation.size()));
    state.counters["chars"] = static_cast<double>(equation.size());
}

// About 10,000 characters of ordinary equation: a sum of functions, products and conditions.
void BM_CompileLongEquation(benchmark::State& state) {
    std::string text = "Sales_Rate";
    while (text.size() < 10000)
        text += " + MAX(Sales_Rate*1.5, b/2) - IF(b>x, x, 3.25)*GRAPH(x, 0, 1, 2, 4)";
    CompileOne(state, text, true);
}
BENCHMARK(BM_CompileLongEquation);

// A sum of 5,000 terms (10,000 characters) is deeper than a tree may be: refused quickly.
void BM_CompileLongSum(benchmark::State& state) {
    CompileOne(state, "b" + Repeat("+b", 5000), false);
}
BENCHMARK(BM_CompileLongSum);

void BM_CompileNestedBrackets(benchmark::State& state) {
    CompileOne(state, Repeat("(", 10000) + "b" + Repeat(")", 10000), false);
}
BENCHMARK(BM_CompileNestedBrackets);

void BM_CompileNestedFunctions(benchmark::State& state) {
    CompileOne(state, Repeat("MAX(1,-(", 5000) + "b" + Repeat("))", 5000), false);
}
BENCHMARK(BM_CompileNestedFunctions);

// 1,000 elements, each using three earlier ones in an equation of 3 to 8 nodes.
void BM_CompileModel(benchmark::State& state) {
    const char* patterns[] = {
        "{0}*{1}+{2}",           "MAX({0}, {1}) - {2}*2",    "IF({0} > {1}, {2}, 0)",
        "({0} + {1} + {2}) / 3", "DELAY({0}, 2, {1}) + {2}", "-{0} + {1}*1e-3 - {2}"};
    TBenchModel model;
    std::vector<TVariableObject*> all;
    for (int i = 0; i < 3; ++i)
        all.push_back(model.Add("Input " + std::to_string(i), "10", {}));
    for (int i = 0; i < 1000; ++i) {
        std::vector<TVariableObject*> inputs = {all[all.size() - 1], all[all.size() - 2],
                                                all[all.size() / 2]};
        std::string equation = patterns[i % 6];
        for (int k = 0; k < 3; ++k) {
            std::string id = inputs[k]->Name;
            for (char& c : id)
                if (c == ' ') c = '_';
            const std::string mark = "{" + std::to_string(k) + "}";
            for (size_t at = equation.find(mark); at != std::string::npos; at = equation.find(mark))
                equation.replace(at, mark.size(), id);
        }
        all.push_back(model.Add("Element " + std::to_string(i), equation, inputs));
    }
    for (auto _ : state) {
        for (size_t i = 3; i < all.size(); ++i)
            if (!all[i]->CompileEquation()) {
                state.SkipWithError(EquationErrors.c_str());
                return;
            }
    }
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * 1000));
}
BENCHMARK(BM_CompileModel)->Unit(benchmark::kMicrosecond);

} // namespace
