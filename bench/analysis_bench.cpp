// Sensitivity runs: 1,000 runs of the supply_chain example and 100 runs of a 900-element
// model of 3,000 steps, at 1 and 2 jobs; and the parts of one supply_chain run, to tell the
// cost of the steps from what each run costs besides them.
//
// The 900-element model is the chain of cli_bench: 300 chains of a Resource S_i (initial 100),
// a rate R_i = 0.01 + 0.0001 * i + S_i / 1000000 and a Flow F_i = S_i * R_i filling S_i, from 0
// to 3000 in steps of 1.
#include "ChainModel.h"
#include "core/analysis/Sensitivity.h"
#include "core/model/RunToEnd.h"
#include "document/model/DataFile.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

namespace {

[[noreturn]] void Fail(const std::string& what) {
    std::fprintf(stderr, "%s\n", what.c_str());
    std::abort();
}

std::unique_ptr<TDataFile> SupplyChain() {
    const auto file = std::filesystem::path(QV_SOURCE_DIR) / "examples" / "supply_chain.qvf";
    std::string message;
    auto document = TDataFile::LoadModelFile(file.string(), message);
    if (!document) Fail("supply_chain.qvf: " + message);
    return document;
}

TVariedElement Vary(const std::string& text) {
    TVariedElement varied;
    std::string problem;
    if (!ParseVaryText(text, varied, problem)) Fail(text + ": " + problem);
    return varied;
}

struct TCase {
    std::unique_ptr<TDataFile> Document;
    TSensitivityPlan Plan;
};

TCase SupplyChainCase() {
    TCase c{SupplyChain(), {}};
    TSensitivitySetUp setUp;
    setUp.Runs = 1000;
    setUp.Method = smLatinHypercube;
    setUp.Varied = {Vary("Lead Time=uniform(2, 6)"), Vary("Adjustment Time=triangular(2, 4, 8)"),
                    Vary("Inventory Coverage=normal(4, 1, 2, 6)")};
    // Every element is an output.
    if (!c.Document->Simulation->CheckModel()) Fail("supply_chain does not pass its check");
    const std::string problem =
        PlanSensitivity(*c.Document->Simulation, setUp, DefaultMaxSteps, c.Plan);
    if (!problem.empty()) Fail(problem);
    return c;
}

TCase ChainCase() {
    TCase c{ChainModel(), {}};
    TSensitivitySetUp setUp;
    setUp.Runs = 100;
    setUp.Varied = {Vary("S_1=uniform(50, 150)"), Vary("S_150=uniform(50, 150)"),
                    Vary("S_300=normal(100, 10)")};
    setUp.Outputs = {"S_1", "F_1", "S_150", "F_150", "S_300", "F_300"};
    if (!c.Document->Simulation->CheckModel()) Fail("the chain model does not pass its check");
    const std::string problem =
        PlanSensitivity(*c.Document->Simulation, setUp, DefaultMaxSteps, c.Plan);
    if (!problem.empty()) Fail(problem);
    return c;
}

// The whole analysis as the command line does it: copies for the jobs, every run, the bands.
void RunAnalysis(benchmark::State& state, TCase& c) {
    const int jobs = static_cast<int>(state.range(0));
    for (auto _ : state) {
        TSensitivityResults results;
        results.Allocate(c.Plan);
        TSensitivityRunner runner(*c.Document->Simulation, jobs);
        std::string problem;
        if (runner.Run(c.Plan, results, TSensitivityRange(), nullptr, problem) != aoFinished)
            Fail("the analysis failed: " + problem);
        for (size_t o = 0; o < c.Plan.Outputs.size(); ++o)
            benchmark::DoNotOptimize(ComputeBands(results, o));
    }
    state.counters["per_run"] = benchmark::Counter(static_cast<double>(c.Plan.Runs),
                                                   benchmark::Counter::kIsIterationInvariantRate |
                                                       benchmark::Counter::kInvert);
}

void BM_SupplyChain1000Runs(benchmark::State& state) {
    TCase c = SupplyChainCase();
    RunAnalysis(state, c);
}
BENCHMARK(BM_SupplyChain1000Runs)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_Chain900_100Runs(benchmark::State& state) {
    TCase c = ChainCase();
    RunAnalysis(state, c);
}
BENCHMARK(BM_Chain900_100Runs)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->UseRealTime();

// The parts of one supply_chain run on a worker's simulation: the steps alone (what an
// ordinary run of the program does, reset included), and the analysis's run with its
// constants set and results kept.
void BM_SupplyChainRunParts(benchmark::State& state) {
    TCase c = SupplyChainCase();
    TAnalysisSimulation simulation(*c.Document->Simulation);
    std::vector<std::string> messages;
    if (!simulation.Prepare(messages)) Fail("the copy does not pass its check");
    std::vector<double> kept(c.Plan.Outputs.size() * c.Plan.Steps());
    size_t k = 0;
    const int part = static_cast<int>(state.range(0));
    for (auto _ : state) {
        switch (part) {
        case 0: // reset alone
            simulation.Model().Reset();
            break;
        case 1: // reset and steps
            simulation.Run(1);
            break;
        case 2: // what the runner does per run
            for (size_t j = 0; j < c.Plan.Varied.size(); ++j)
                simulation.SetConstant(c.Plan.Varied[j], c.Plan.Samples.At(k, j));
            simulation.Run(RunRandomSeed(c.Plan.Seed, static_cast<int64_t>(k)));
            simulation.CopyResults(c.Plan.Outputs, c.Plan.Steps(), kept.data());
            k = (k + 1) % c.Plan.Runs;
            break;
        }
        benchmark::ClobberMemory();
    }
    state.SetLabel(part == 0 ? "reset" : part == 1 ? "reset+steps" : "analysis run");
}
BENCHMARK(BM_SupplyChainRunParts)->DenseRange(0, 2)->Unit(benchmark::kMicrosecond);

} // namespace
