// quorvane-cli run on a 900-element model: 300 chains of a Resource S_i (initial 100), a
// rate R_i = 0.01 + 0.0001 * i + S_i / 1000000 and a Flow F_i = S_i * R_i filling S_i,
// from 0 to 3000 in steps of 1 (3,001 rows of 901 columns).
//
// The model is also saved as quorvane-chain900.qvf in the temporary folder, so that the
// executable can be timed on it end to end:
//     quorvane-cli run /tmp/quorvane-chain900.qvf --csv /dev/null
#include "ChainModel.h"
#include "cli/Cli.h"
#include "cli/ResultsCsv.h"
#include "core/model/RunToEnd.h"
#include "document/model/DataFile.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <ostream>
#include <sstream>
#include <string>
#include <vector>

namespace {

// Discards whatever is written, as /dev/null does.
class TNullBuffer : public std::streambuf {
protected:
    int_type overflow(int_type c) override { return traits_type::not_eof(c); }
    std::streamsize xsputn(const char*, std::streamsize n) override { return n; }
};

std::string ChainModelFile() {
    static const std::string path = [] {
        const std::string file =
            (std::filesystem::temp_directory_path() / "quorvane-chain900.qvf").string();
        ChainModel()->SaveToFile(file, false);
        return file;
    }();
    return path;
}

// A model that has been run, with the offsets of its steps.
struct TRunModel {
    TRunModel() : Document(ChainModel()) {
        bool ok = Document->Simulation->CheckModel();
        bool tooLong = false;
        Offsets = RunToEnd(*Document->Simulation, DefaultMaxSteps, tooLong);
        if (!ok || tooLong || Offsets.size() != 3001) {
            std::fprintf(stderr, "the chain model does not run\n");
            std::abort();
        }
    }
    std::unique_ptr<TDataFile> Document;
    std::vector<double> Offsets;
};

void BM_Chain900RunAndCsv(benchmark::State& state) {
    TRunModel model;
    TNullBuffer discard;
    std::ostream out(&discard);
    for (auto _ : state) {
        bool tooLong = false;
        std::vector<double> offsets =
            RunToEnd(*model.Document->Simulation, DefaultMaxSteps, tooLong);
        WriteResultsCsv(*model.Document->Simulation, offsets, out);
    }
    state.SetItemsProcessed(state.iterations() * 900 * 3001);
}
BENCHMARK(BM_Chain900RunAndCsv)->Unit(benchmark::kMillisecond);

void BM_Chain900Csv(benchmark::State& state) {
    TRunModel model;
    TNullBuffer discard;
    std::ostream out(&discard);
    for (auto _ : state)
        WriteResultsCsv(*model.Document->Simulation, model.Offsets, out);
    state.SetItemsProcessed(state.iterations() * 901 * 3001); // cells
}
BENCHMARK(BM_Chain900Csv)->Unit(benchmark::kMillisecond);

// The whole command as the executable runs it, minus starting the process.
void BM_Chain900Command(benchmark::State& state) {
    const std::vector<std::string> args = {"run", ChainModelFile(), "--csv", "/dev/null"};
    for (auto _ : state) {
        std::ostringstream out, err;
        if (RunCli(args, out, err) != csSuccess) {
            state.SkipWithError(err.str().c_str());
            break;
        }
    }
}
BENCHMARK(BM_Chain900Command)->Unit(benchmark::kMillisecond);

} // namespace
