// XMILE import and export of a large model: 1,000 elements (250 stocks, each with an inflow,
// an outflow and an auxiliary) with their view, and a run of the imported model.
#include "core/model/RunToEnd.h"
#include "document/model/DataFile.h"
#include "document/xmile/Xmile.h"

#include <benchmark/benchmark.h>

#include <string>

namespace {

constexpr int StockCount = 250; // four elements each

std::string LargeXmile() {
    std::string variables, view;
    for (int i = 0; i < StockCount; ++i) {
        const std::string n = std::to_string(i);
        const std::string previous = std::to_string(i == 0 ? StockCount - 1 : i - 1);
        const int x = (i % 20) * 300 + 100, y = (i / 20) * 200 + 100;
        variables += "<stock name=\"Stock " + n + "\"><eqn>100 + " + n + "</eqn><inflow>Inflow_" +
                     n + "</inflow><outflow>Outflow_" + n +
                     "</outflow><units>units</units></stock>"
                     "<flow name=\"Inflow " +
                     n + "\"><eqn>Rate_" + n + " * Stock_" + previous +
                     " / 100</eqn></flow>"
                     "<flow name=\"Outflow " +
                     n + "\"><eqn>Stock_" + n +
                     " / 12</eqn></flow>"
                     "<aux name=\"Rate " +
                     n + "\"><eqn>IF TIME &gt; 10 THEN 2 ELSE 1 + " + n + " MOD 3</eqn></aux>";
        auto at = [](int px, int py) {
            return " x=\"" + std::to_string(px) + "\" y=\"" + std::to_string(py) + "\"";
        };
        view += "<stock name=\"Stock " + n + "\"" + at(x, y) +
                "/>"
                "<flow name=\"Inflow " +
                n + "\"" + at(x - 100, y) + "><pts><pt" + at(x - 170, y) + "/><pt" + at(x - 23, y) +
                "/></pts></flow>"
                "<flow name=\"Outflow " +
                n + "\"" + at(x + 100, y) + "><pts><pt" + at(x + 23, y) + "/><pt" + at(x + 170, y) +
                "/></pts></flow>"
                "<aux name=\"Rate " +
                n + "\"" + at(x - 100, y + 80) +
                "/>"
                "<connector uid=\"" +
                n + "\" angle=\"90\"><from>Rate_" + n + "</from><to>Inflow_" + n +
                "</to></connector>";
    }
    return "<?xml version=\"1.0\" encoding=\"utf-8\"?>"
           "<xmile version=\"1.0\" xmlns=\"http://docs.oasis-open.org/xmile/ns/XMILE/v1.0\">"
           "<header><name>Large</name></header>"
           "<sim_specs method=\"Euler\" time_units=\"Months\"><start>0</start><stop>100</stop>"
           "<dt>0.25</dt></sim_specs><model><variables>" +
           variables + "</variables><views><view>" + view + "</view></views></model></xmile>";
}

void BM_ImportXmile(benchmark::State& state) {
    const std::string text = LargeXmile();
    for (auto _ : state) {
        TXmileImport imported = ImportXmileText(text, "large.xmile");
        if (!imported.Document) state.SkipWithError(imported.Error.c_str());
        benchmark::DoNotOptimize(imported.Document.get());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
    state.counters["elements"] = StockCount * 4;
}
BENCHMARK(BM_ImportXmile)->Unit(benchmark::kMillisecond);

void BM_ExportXmile(benchmark::State& state) {
    TXmileImport imported = ImportXmileText(LargeXmile(), "large.xmile");
    for (auto _ : state) {
        TXmileExport exported = ExportXmile(*imported.Document, false);
        benchmark::DoNotOptimize(exported.Text.data());
    }
}
BENCHMARK(BM_ExportXmile)->Unit(benchmark::kMillisecond);

// What `run` does with an XMILE file: import, check, run 401 steps.
void BM_ImportAndRunXmile(benchmark::State& state) {
    const std::string text = LargeXmile();
    for (auto _ : state) {
        TXmileImport imported = ImportXmileText(text, "large.xmile");
        TSimulationObject& model = *imported.Document->Simulation;
        if (!model.CheckModel()) state.SkipWithError("the model check failed");
        bool tooLong = false;
        benchmark::DoNotOptimize(RunToEnd(model, DefaultMaxSteps, tooLong).size());
    }
}
BENCHMARK(BM_ImportAndRunXmile)->Unit(benchmark::kMillisecond);

} // namespace
