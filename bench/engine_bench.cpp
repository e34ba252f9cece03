// Cost of a run per element-step: the equation interpreter with its stepping and stored
// Simulated series, against the same model written out as a plain loop over arrays.
//
// The model repeats a block of ten elements: a constant, a resource with an inflow and
// an outflow, and six variables whose equations have 3 to 7 nodes, one of them a delay.
// Each block reads a resource and a variable of a partner block chosen at random among
// the earlier ones, so the links spread across the model without forming cycles.
#include "core/model/SimulationObjects.h"
#include "core/support/Notifier.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <random>
#include <set>
#include <string>
#include <vector>

namespace {

constexpr int BlockSize = 10;
constexpr double TimeStep = 0.25;
constexpr double DelayTime = 2;

std::vector<int> Partners(int blocks) {
    std::mt19937 random(12345);
    std::vector<int> partners(blocks);
    for (int b = 0; b < blocks; ++b)
        partners[b] = b == 0 ? 0 : std::uniform_int_distribution<int>(0, b - 1)(random);
    return partners;
}

// Steps per run: fewer for the largest model so that its series stay within memory.
int StepsFor(int elements) {
    return elements >= 10000 ? 1000 : 10000;
}

class TModel {
public:
    TModel(int elements, int steps) : Blocks(elements / BlockSize) {
        Sim.StartTime = 0;
        Sim.TimeStep = TimeStep;
        Sim.StopTime = steps * TimeStep;
        const std::vector<int> partner = Partners(Blocks);
        for (int b = 0; b < Blocks; ++b) {
            const std::string n = std::to_string(b), p = std::to_string(partner[b]);
            Add(ekConstant, "K" + n, "0.5");
            Add(ekResource, "R" + n, "100");
            Add(ekFlow, "In" + n, "K" + n + "*R" + p + "*0.01+1", {"K" + n, "R" + p});
            Add(ekFlow, "Out" + n, "R" + n + "*0.02", {"R" + n});
            Add(ekVariable, "V" + n, "R" + n + "*K" + n + "-In" + n, {"R" + n, "K" + n, "In" + n});
            Add(ekVariable, "W" + n, "IF(V" + n + ">R" + p + ", V" + n + ", R" + p + ")",
                {"V" + n, "R" + p});
            Add(ekVariable, "X" + n, "MAX(W" + n + ", V" + p + ")/2", {"W" + n, "V" + p});
            Add(ekVariable, "Y" + n, "X" + n + "+Out" + n + "*3-1", {"X" + n, "Out" + n});
            Add(ekVariable, "Z" + n, "MIN(Y" + n + ", X" + n + ")*0.5+K" + n,
                {"Y" + n, "X" + n, "K" + n});
            Add(ekVariable, "D" + n, "DELAY(Z" + n + ", 2, 0)", {"Z" + n});
            Pipe("In" + n, "R" + n, 0);
            Pipe("Out" + n, "R" + n, 1);
        }
        if (!Sim.CheckModel()) {
            std::fprintf(stderr, "generated model fails its check: %s\n",
                         ErrorList.empty() ? "?" : ErrorList.front().c_str());
            std::abort();
        }
    }

    void Run() {
        Sim.Reset();
        while (!Sim.IsFinished())
            Sim.Step();
    }

    TSimulationObject Sim;
    int Blocks;

private:
    void Add(uint8_t kind, const std::string& name, const std::string& equation,
             const std::set<std::string>& inputs = {}) {
        auto element = std::make_unique<TVariableObject>();
        element->Kind = kind;
        element->Name = name;
        element->Equation = equation;
        element->Owner = &Sim;
        for (const auto& input : inputs)
            element->AddDependency(ByName(input));
        ByNameIndex.emplace_back(name, element.get());
        Sim.Variables.AddItem(element.release());
    }
    void Pipe(const std::string& flow, const std::string& resource, uint8_t direction) {
        ByName(resource)->AddDependency(ByName(flow), true, direction);
    }
    TVariableObject* ByName(const std::string& name) const {
        // Inputs are always within the last few blocks or a partner block: search backwards.
        for (auto it = ByNameIndex.rbegin(); it != ByNameIndex.rend(); ++it)
            if (it->first == name) return it->second;
        std::fprintf(stderr, "no element %s\n", name.c_str());
        std::abort();
    }
    std::vector<std::pair<std::string, TVariableObject*>> ByNameIndex;
};

// The same model as plain arrays: one slot per block for every element of the block,
// and every value stored as a point, as the interpreter stores its Simulated series.
struct TPlainModel {
    explicit TPlainModel(int elements, int steps)
        : Blocks(elements / BlockSize), Steps(steps), Partner(Partners(Blocks)) {
        for (auto* a : {&K, &R, &In, &Out, &V, &W, &X, &Y, &Z, &D})
            a->assign(Blocks, 0);
        Series.resize(static_cast<size_t>(Blocks) * BlockSize);
        DelayInput.resize(Blocks);
    }

    void Run(bool store) {
        for (auto& s : Series)
            s.clear();
        for (auto& h : DelayInput)
            h.clear();
        const int lag = static_cast<int>(DelayTime / TimeStep);
        for (int k = 0; k <= Steps; ++k) {
            const double t = k * TimeStep;
            for (int b = 0; b < Blocks; ++b) {
                if (k == 0) {
                    K[b] = 0.5;
                    R[b] = 100;
                } else {
                    R[b] += TimeStep * (In[b] - Out[b]);
                }
            }
            for (int b = 0; b < Blocks; ++b) {
                const int p = Partner[b];
                In[b] = K[b] * R[p] * 0.01 + 1;
                Out[b] = R[b] * 0.02;
                V[b] = R[b] * K[b] - In[b];
                W[b] = V[b] > R[p] + 1e-10 ? V[b] : R[p];
                X[b] = std::max(W[b], V[p]) / 2;
                Y[b] = X[b] + Out[b] * 3 - 1;
                Z[b] = std::min(Y[b], X[b]) * 0.5 + K[b];
                D[b] = k >= lag ? DelayInput[b][k - lag] : 0;
                DelayInput[b].push_back(Z[b]);
                if (!store) continue;
                TDataPoint* row = nullptr;
                const double values[BlockSize] = {K[b], R[b], In[b], Out[b], V[b],
                                                  W[b], X[b], Y[b],  Z[b],   D[b]};
                for (int e = 0; e < BlockSize; ++e) {
                    auto& s = Series[static_cast<size_t>(b) * BlockSize + e];
                    s.push_back({t, values[e]});
                    row = &s.back();
                }
                benchmark::DoNotOptimize(row);
            }
        }
    }

    int Blocks, Steps;
    std::vector<int> Partner;
    std::vector<double> K, R, In, Out, V, W, X, Y, Z, D;
    std::vector<std::vector<TDataPoint>> Series;
    std::vector<std::vector<double>> DelayInput;
};

void SetCounters(benchmark::State& state, int elements, int steps) {
    const double elementSteps = static_cast<double>(elements) * (steps + 1);
    state.counters["per_element_step"] = benchmark::Counter(
        elementSteps, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
    state.counters["steps"] = steps;
}

void BM_Interpreter(benchmark::State& state) {
    const int elements = static_cast<int>(state.range(0));
    const int steps = StepsFor(elements);
    TModel model(elements, steps);
    model.Run(); // later runs reuse the series' memory, as a second run in the program does
    for (auto _ : state) {
        model.Run();
        benchmark::ClobberMemory();
    }
    // The interpreter must compute what the plain loop computes.
    TPlainModel plain(elements, steps);
    plain.Run(false);
    const auto& items = model.Sim.Variables;
    for (int b = 0; b < model.Blocks; ++b) {
        const double expected[BlockSize] = {plain.K[b], plain.R[b], plain.In[b], plain.Out[b],
                                            plain.V[b], plain.W[b], plain.X[b],  plain.Y[b],
                                            plain.Z[b], plain.D[b]};
        for (int e = 0; e < BlockSize; ++e) {
            const double v = items[b * BlockSize + e]->Value;
            if (std::fabs(v - expected[e]) > 1e-9 * std::max(1.0, std::fabs(expected[e]))) {
                state.SkipWithError("interpreter and plain loop disagree");
                return;
            }
        }
    }
    SetCounters(state, elements, steps);
}

void BM_PlainLoop(benchmark::State& state) {
    const int elements = static_cast<int>(state.range(0));
    const int steps = StepsFor(elements);
    TPlainModel plain(elements, steps);
    plain.Run(state.range(1) != 0);
    for (auto _ : state) {
        plain.Run(state.range(1) != 0);
        benchmark::ClobberMemory();
    }
    SetCounters(state, elements, steps);
}

BENCHMARK(BM_Interpreter)
    ->ArgName("elements")
    ->Arg(10)
    ->Arg(100)
    ->Arg(1000)
    ->Arg(10000)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PlainLoop)
    ->ArgNames({"elements", "store"})
    ->ArgsProduct({{10, 100, 1000, 10000}, {1, 0}})
    ->Unit(benchmark::kMillisecond);

} // namespace
