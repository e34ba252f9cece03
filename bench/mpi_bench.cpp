// quorvane-mpi: 200 sensitivity runs of the 900-element chain model of cli_bench (300 chains
// of S_i, R_i and F_i, 3,001 steps; three constants varied, six outputs kept) at 1 process x
// 2 threads and 2 processes x 1 thread, end to end through mpirun (process start and MPI
// set-up included), beside quorvane-cli's command at 2 threads in this process; and what
// gathering the 200 runs' values (28 MB) into rank 0 costs.
//
// mpirun runs with --bind-to none so that a process's threads may use every core (Open MPI
// binds each process to one core when there are at most 2). The gathering is timed in
// processes of this program that mpirun starts (--gather): rank 0 prints the mean time.
#include "ChainModel.h"
#include "cli/Cli.h"
#include "cli/SensitivityCommand.h"
#include "document/model/DataFile.h"
#include "mpi/MpiRun.h"
#include "mpi/MpiShares.h"

#include <benchmark/benchmark.h>
#include <mpi.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

namespace {

[[noreturn]] void Fail(const std::string& what) {
    std::fprintf(stderr, "%s\n", what.c_str());
    std::exit(1);
}

std::string ChainModelFile() {
    static const std::string path = [] {
        const std::unique_ptr<TDataFile> document = ChainModel();
        const std::string file =
            (std::filesystem::temp_directory_path() / "quorvane-mpi-chain900.qvf").string();
        document->SaveToFile(file, false);
        return file;
    }();
    return path;
}

std::vector<std::string> SensitivityArgs(const std::string& jobs) {
    return {"sensitivity", ChainModelFile(),
            "--runs",      "200",
            "--jobs",      jobs,
            "--vary",      "S_1=uniform(50, 150)",
            "--vary",      "S_150=uniform(50, 150)",
            "--vary",      "S_300=normal(100, 10)",
            "--output",    "S_1",
            "--output",    "F_1",
            "--output",    "S_150",
            "--output",    "F_150",
            "--output",    "S_300",
            "--output",    "F_300",
            "--csv",       "/dev/null"};
}

std::string Quoted(const std::string& text) {
    std::string quoted = "'";
    for (char c : text)
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

std::string MpiRun(int processes, const std::string& program,
                   const std::vector<std::string>& args) {
    std::string line = std::string(QV_MPIEXEC) + " --oversubscribe --bind-to none -np " +
                       std::to_string(processes);
    if (geteuid() == 0) line += " --allow-run-as-root";
    line += " " + Quoted(program);
    for (const std::string& arg : args)
        line += " " + Quoted(arg);
    return line;
}

void BM_Cli200Runs(benchmark::State& state) {
    const std::vector<std::string> args = SensitivityArgs("2");
    for (auto _ : state) {
        std::ostringstream out, err;
        if (RunCli(args, out, err) != csSuccess) Fail(err.str());
    }
    state.SetLabel("quorvane-cli, 2 threads, in process");
}
BENCHMARK(BM_Cli200Runs)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

void BM_Mpi200Runs(benchmark::State& state) {
    const int processes = static_cast<int>(state.range(0));
    const int threads = static_cast<int>(state.range(1));
    // The chain overflows in every run: 300 warnings that are not what is timed.
    const std::string line =
        MpiRun(processes, QV_MPI_PROGRAM, SensitivityArgs(std::to_string(threads))) +
        " 2>/dev/null";
    for (auto _ : state)
        if (std::system(line.c_str()) != 0) Fail("failed: " + line);
    state.SetLabel(std::to_string(processes) + " x " + std::to_string(threads) + " threads");
}
BENCHMARK(BM_Mpi200Runs)
    ->Args({1, 2})
    ->Args({2, 1})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(3);

// One gathering of the 200 runs' values and warnings into rank 0, as mpirun's processes
// of this program time it.
void BM_MpiGather200Runs(benchmark::State& state) {
    const std::string self = std::filesystem::read_symlink("/proc/self/exe").string();
    const std::string line = MpiRun(2, self, {"--gather", ChainModelFile()});
    for (auto _ : state) {
        FILE* pipe = popen(line.c_str(), "r");
        if (!pipe) Fail("couldn't start " + line);
        double seconds = -1, megabytes = 0;
        if (std::fscanf(pipe, "%lf %lf", &seconds, &megabytes) != 2) seconds = -1;
        if (pclose(pipe) != 0 || seconds < 0) Fail("failed: " + line);
        state.SetIterationTime(seconds);
        state.counters["MB"] = megabytes;
    }
}
BENCHMARK(BM_MpiGather200Runs)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(3);

// In a process started by mpirun: the plan of the benchmark's 200 runs, values in place of
// runs, 20 gatherings; rank 0 prints the mean seconds and the megabytes gathered.
int TimeGathering(int argc, char** argv) {
    MPI_Init(&argc, &argv);
    int rank = 0;
    MPI_Comm_rank(MPI_COMM_WORLD, &rank);
    std::vector<std::string> args = SensitivityArgs("1");
    args[1] = argv[2];
    TCliOptions options;
    std::ostringstream err;
    TSensitivityJob job;
    if (!ParseCliArguments(args, options).empty() ||
        PrepareSensitivity(options, false, err, job) != csSuccess)
        MPI_Abort(MPI_COMM_WORLD, 1);
    const TSensitivityResults& results = job.Results;
    const double bytes =
        static_cast<double>(results.Runs() * results.Outputs() * results.Steps() * 8);
    constexpr int Times = 20;
    double total = 0;
    for (int t = 0; t < Times; ++t) {
        MPI_Barrier(MPI_COMM_WORLD);
        const double start = MPI_Wtime();
        GatherRuns(job);
        total += MPI_Wtime() - start;
    }
    if (rank == 0) std::printf("%.9f %.3f\n", total / Times, bytes / 1e6);
    MPI_Finalize();
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    if (argc == 3 && std::string(argv[1]) == "--gather") return TimeGathering(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
