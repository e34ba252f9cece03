#include "mpi/MpiRun.h"

#include "cli/CalibrationCommand.h"
#include "cli/SensitivityCommand.h"
#include "core/support/Version.h"
#include "document/model/DataFile.h"
#include "mpi/MpiShares.h"

#include <mpi.h>
#include <sched.h>

#include <algorithm>
#include <chrono>
#include <climits>
#include <iterator>
#include <ostream>
#include <sstream>
#include <thread>

namespace {

struct TWorld {
    int Rank = 0;
    int Size = 1;
    bool Root() const { return Rank == 0; }
};

// Tags of the point-to-point messages (collectives need none).
constexpr int MessagesTag = 1;

// Ends a step on every process at once, so that no process waits for one that gave up: the
// status of the first process (in rank order) that failed, else success. Rank 0 prints its
// own messages, then those of the process that failed when that is another.
int Agree(const TWorld& world, int status, const std::string& messages, std::ostream& err) {
    const int mine = status != csSuccess ? world.Rank : world.Size;
    int first = world.Size;
    MPI_Allreduce(&mine, &first, 1, MPI_INT, MPI_MIN, MPI_COMM_WORLD);
    if (world.Root()) err << MpiMessages(messages);
    if (first == world.Size) return csSuccess;
    int shared = status;
    MPI_Bcast(&shared, 1, MPI_INT, first, MPI_COMM_WORLD);
    if (first == 0) return shared;
    if (world.Rank == first) {
        // A message of a few lines; a runaway one is cut rather than sent whole.
        const int size = static_cast<int>(std::min<size_t>(messages.size(), 1 << 20));
        MPI_Send(messages.data(), size, MPI_CHAR, 0, MessagesTag, MPI_COMM_WORLD);
    } else if (world.Root()) {
        MPI_Status probe;
        MPI_Probe(first, MessagesTag, MPI_COMM_WORLD, &probe);
        int size = 0;
        MPI_Get_count(&probe, MPI_CHAR, &size);
        std::string text(static_cast<size_t>(std::max(size, 0)), '\0');
        MPI_Recv(text.data(), size, MPI_CHAR, first, MessagesTag, MPI_COMM_WORLD,
                 MPI_STATUS_IGNORE);
        err << "quorvane-mpi: process " << first << " of " << world.Size << " failed:\n"
            << MpiMessages(text);
        err.flush();
    }
    return shared;
}

// Threads for this process when --jobs is not given: the processors it may run on, shared
// with the other processes of the job that may run on any of them (none when mpirun or the
// scheduler binds each process to its own cores).
int DefaultJobs() {
    cpu_set_t mine;
    CPU_ZERO(&mine);
    int cpus = 0;
    if (sched_getaffinity(0, sizeof mine, &mine) == 0) {
        cpus = CPU_COUNT(&mine);
    } else {
        cpus = static_cast<int>(std::thread::hardware_concurrency());
        CPU_ZERO(&mine);
        for (int c = 0; c < std::min(cpus, CPU_SETSIZE); ++c)
            CPU_SET(c, &mine);
    }
    MPI_Comm machine;
    MPI_Comm_split_type(MPI_COMM_WORLD, MPI_COMM_TYPE_SHARED, 0, MPI_INFO_NULL, &machine);
    int local = 1;
    MPI_Comm_size(machine, &local);
    std::vector<cpu_set_t> all(static_cast<size_t>(local));
    MPI_Allgather(&mine, sizeof mine, MPI_BYTE, all.data(), sizeof mine, MPI_BYTE, machine);
    MPI_Comm_free(&machine);
    int sharing = 0;
    for (cpu_set_t& other : all) {
        cpu_set_t both;
        CPU_AND(&both, &mine, &other);
        if (CPU_COUNT(&both) > 0) ++sharing;
    }
    return DefaultRankJobs(cpus, sharing);
}

TWorld World() {
    TWorld world;
    MPI_Comm_rank(MPI_COMM_WORLD, &world.Rank);
    MPI_Comm_size(MPI_COMM_WORLD, &world.Size);
    return world;
}

// Every process's bytes, on rank 0 in rank order (nothing elsewhere). Collective.
std::vector<std::string> GatherBytes(const TWorld& world, const std::string& mine) {
    const int size = static_cast<int>(std::min<size_t>(mine.size(), INT_MAX));
    std::vector<int> sizes(world.Root() ? static_cast<size_t>(world.Size) : 0);
    std::vector<int> starts(sizes.size());
    MPI_Gather(&size, 1, MPI_INT, sizes.data(), 1, MPI_INT, 0, MPI_COMM_WORLD);
    std::string all;
    if (world.Root()) {
        int64_t total = 0;
        for (size_t r = 0; r < sizes.size(); ++r) {
            starts[r] = static_cast<int>(std::min<int64_t>(total, INT_MAX));
            total += sizes[r];
        }
        all.resize(static_cast<size_t>(std::min<int64_t>(total, INT_MAX)));
    }
    MPI_Gatherv(mine.data(), size, MPI_CHAR, all.data(), sizes.data(), starts.data(), MPI_CHAR, 0,
                MPI_COMM_WORLD);
    std::vector<std::string> parts;
    for (size_t r = 0; r < sizes.size(); ++r)
        parts.push_back(all.substr(static_cast<size_t>(starts[r]), static_cast<size_t>(sizes[r])));
    return parts;
}

} // namespace

void GatherRuns(TSensitivityJob& job) {
    const TWorld world = World();
    TSensitivityResults& results = job.Results;
    // Whatever an analysis keeps fits in an int count of doubles (it is capped at 1 GiB).
    const size_t perRun = results.Outputs() * results.Steps();
    std::vector<int> counts(static_cast<size_t>(world.Size)), places(counts.size());
    for (int r = 0; r < world.Size; ++r) {
        const TRunShare share = RunShare(results.Runs(), r, world.Size);
        counts[static_cast<size_t>(r)] = static_cast<int>((share.Last - share.First) * perRun);
        places[static_cast<size_t>(r)] = static_cast<int>(share.First * perRun);
    }
    if (world.Root()) {
        MPI_Gatherv(MPI_IN_PLACE, 0, MPI_DOUBLE, results.RunValues(0), counts.data(), places.data(),
                    MPI_DOUBLE, 0, MPI_COMM_WORLD);
    } else {
        const TRunShare share = RunShare(results.Runs(), world.Rank, world.Size);
        MPI_Gatherv(results.RunValues(share.First), counts[static_cast<size_t>(world.Rank)],
                    MPI_DOUBLE, nullptr, nullptr, nullptr, MPI_DOUBLE, 0, MPI_COMM_WORLD);
    }

    // Rank 0's own warnings are in its results already.
    const std::vector<std::string> parts =
        GatherBytes(world, world.Root() ? std::string() : PackWarnings(results.Warnings));
    if (!world.Root()) return;
    for (size_t r = 1; r < parts.size(); ++r) {
        std::vector<TAnalysisWarning> part;
        if (UnpackWarnings(parts[r], part)) MergeWarnings(results.Warnings, part);
    }
    for (size_t k = 0; k < results.Runs(); ++k)
        results.MarkDone(k);
}

namespace {

// Every process runs a share of the starts; rank 0 gathers them, picks the best, works out the
// intervals and reports as quorvane-cli calibrate does.
int Calibration(const TWorld& world, const TCliOptions& options, std::ostream& out,
                std::ostream& err) {
    TCalibrationJob job;
    std::ostringstream messages;
    int status = PrepareCalibration(options, messages, job);
    status = Agree(world, status, messages.str(), err);
    if (status != csSuccess) return status;

    const auto began = std::chrono::steady_clock::now();
    const int jobs = DefaultJobs();
    TCalibrationRunner runner(*job.Document->Simulation, options.Jobs > 0 ? options.Jobs : jobs);
    const TRunShare share = RunShare(job.Plan.Starts, world.Rank, world.Size);
    std::vector<TStartResult> mine;
    std::string problem;
    messages.str(std::string());
    if (runner.RunStarts(job.Plan, share.First, share.Last, mine, nullptr, problem) != aoFinished) {
        messages << "quorvane-cli: the calibration failed: " << problem << '\n';
        status = csModelErrors;
    }
    status = Agree(world, status, messages.str(), err);
    if (status != csSuccess) return status;

    const std::vector<std::string> starts = GatherBytes(world, PackStarts(mine));
    const std::vector<std::string> warnings = GatherBytes(world, PackTexts(runner.Warnings()));
    messages.str(std::string());
    if (world.Root()) {
        std::vector<TStartResult> all;
        for (const std::string& part : starts) {
            std::vector<TStartResult> some;
            UnpackStarts(part, some);
            all.insert(all.end(), std::make_move_iterator(some.begin()),
                       std::make_move_iterator(some.end()));
        }
        TCalibrationResult result;
        if (FinishCalibration(runner, job.Plan, all, result, problem) != aoFinished) {
            messages << "quorvane-cli: the calibration failed: " << problem << '\n';
            status = csModelErrors;
        } else {
            // Each warning once, in the order the processes saw them.
            for (const std::string& part : warnings) {
                std::vector<std::string> texts;
                UnpackTexts(part, texts);
                for (const std::string& text : texts)
                    if (std::find(result.Warnings.begin(), result.Warnings.end(), text) ==
                        result.Warnings.end())
                        result.Warnings.push_back(text);
            }
            result.Seconds =
                std::chrono::duration<double>(std::chrono::steady_clock::now() - began).count();
            status = ReportCalibration(options, result, out, messages, job);
            if (!out.flush()) {
                messages << "quorvane-cli: couldn't write standard output\n";
                status = csFileError;
            }
        }
    }
    return Agree(world, status, messages.str(), err);
}

int Sensitivity(const TWorld& world, const TCliOptions& options, std::ostream& out,
                std::ostream& err) {
    TSensitivityJob job;
    std::ostringstream messages;
    int status = PrepareSensitivity(options, world.Root(), messages, job);
    status = Agree(world, status, messages.str(), err);
    if (status != csSuccess) return status;

    const int jobs = DefaultJobs();
    const TRunShare share = RunShare(job.Plan.Runs, world.Rank, world.Size);
    messages.str(std::string());
    status = RunSensitivity(options, jobs, TSensitivityRange{share.First, share.Last, world.Root()},
                            messages, job);
    status = Agree(world, status, messages.str(), err);
    if (status != csSuccess) return status;

    GatherRuns(job);
    messages.str(std::string());
    if (world.Root()) {
        status = WriteSensitivity(options, out, messages, job);
        // Every process ends with the same status, so standard output is checked here.
        if (status == csSuccess && !out.flush()) {
            messages << "quorvane-cli: couldn't write standard output\n";
            status = csFileError;
        }
    }
    return Agree(world, status, messages.str(), err);
}

} // namespace

int RunMpi(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    const TWorld world = World();
    for (const auto& arg : args) {
        if (arg == "--help" || arg == "-h") {
            if (world.Root()) out << MpiUsage();
            return csSuccess;
        }
        if (arg == "--version") {
            if (world.Root()) out << "quorvane-mpi " << ProgramVersion << '\n';
            return csSuccess;
        }
    }
    // Every process reads the same arguments, but agreeing costs little and holds even when
    // they were given different ones.
    TCliOptions options;
    std::string problem;
    if (args.empty()) problem = "no command given";
    if (problem.empty()) problem = ParseCliArguments(args, options);
    if (problem.empty() && options.Command != "sensitivity" && options.Command != "calibrate")
        problem = "quorvane-mpi runs sensitivity and calibrate; use quorvane-cli for '" +
                  options.Command + "'";
    if (problem.empty()) problem = CliCommandProblem(options);
    std::ostringstream messages;
    int status = problem.empty() ? csSuccess : CliUsageError(messages, problem);
    status = Agree(world, status, messages.str(), err);
    if (status != csSuccess) return status;
    if (options.Command == "calibrate") return Calibration(world, options, out, err);
    return Sensitivity(world, options, out, err);
}
