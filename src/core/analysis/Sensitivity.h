#pragma once
// Sensitivity and Monte Carlo runs: a set-up checked against the model becomes a plan; a
// runner runs the plan's runs on worker threads, each with its own copy of the model, into
// the kept values; the bands are computed from those in run order, so that the same plan
// gives the same numbers whatever the threads, and runs computed elsewhere (another process)
// can be stored into place and give the same bands.

#include "core/analysis/AnalysisSimulation.h"
#include "core/analysis/BandStatistics.h"
#include "core/analysis/Sampling.h"
#include "core/analysis/SensitivitySetUp.h"

#include <array>
#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

class TNotifier;

// The most an analysis keeps: the runs' values, their samples and the model's own run.
inline constexpr uint64_t MaxKeptBytes = uint64_t{1} << 30;

struct TSensitivityPlan {
    std::vector<int32_t> Varied; // the varied elements' positions in the model
    std::vector<std::string> VariedNames;
    std::vector<int32_t> Outputs; // the outputs' positions
    std::vector<std::string> OutputNames;
    TSampleTable Samples; // one row per run
    uint32_t Seed = 0;
    size_t Runs = 0;
    std::vector<double> Offsets; // the time offsets of a run's steps
    double StartTime = 0;

    size_t Steps() const { return Offsets.size(); }
};

// Checks setUp against model (not run: its elements, sources, method and the size of
// what would be kept) and works out the plan. Returns the problem, empty when none.
std::string PlanSensitivity(const TSimulationObject& model, const TSensitivitySetUp& setUp,
                            int64_t maxSteps, TSensitivityPlan& plan);

// A warning of the runs' evaluations, in how many runs it came and the first of them.
struct TAnalysisWarning {
    std::string Text;
    int64_t FirstRun = 0; // 0-based; -1 for the model's own run
    int64_t Runs = 0;
};

// The values kept: for every run, each output's value at each step.
class TSensitivityResults {
public:
    TSensitivityResults() = default;
    TSensitivityResults(const TSensitivityResults&) = delete;
    TSensitivityResults& operator=(const TSensitivityResults&) = delete;

    // Room for every run of plan, none done. Throws std::bad_alloc when memory is short.
    void Allocate(const TSensitivityPlan& plan);

    size_t Runs() const { return RunCount; }
    size_t Outputs() const { return OutputCount; }
    size_t Steps() const { return StepCount; }

    // Run k's values: output after output, Steps() values each.
    double* RunValues(size_t run) { return Values.data() + run * OutputCount * StepCount; }
    const double* RunValues(size_t run) const {
        return Values.data() + run * OutputCount * StepCount;
    }
    double Value(size_t run, size_t output, size_t step) const {
        return RunValues(run)[output * StepCount + step];
    }
    double Final(size_t run, size_t output) const {
        return StepCount ? Value(run, output, StepCount - 1) : 0;
    }

    // A run's values are complete once it is marked done; other threads may read it then.
    void MarkDone(size_t run);
    bool IsDone(size_t run) const { return Done[run].load(std::memory_order_acquire) != 0; }
    size_t DoneCount() const { return DoneRuns.load(std::memory_order_acquire); }

    // The model's own run, output after output, once BaseDone().
    double* BaseValues() { return Base.data(); }
    const std::vector<double>& BaseRun() const { return Base; }
    void MarkBaseDone() { HasBase.store(true, std::memory_order_release); }
    bool BaseDone() const { return HasBase.load(std::memory_order_acquire); }

    // Sorted by first run, then text; the same whatever the threads.
    std::vector<TAnalysisWarning> Warnings;

private:
    size_t RunCount = 0, OutputCount = 0, StepCount = 0;
    std::vector<double> Values;
    std::vector<double> Base;
    std::unique_ptr<std::atomic<uint8_t>[]> Done;
    std::atomic<size_t> DoneRuns = 0;
    std::atomic<bool> HasBase = false;
};

// The warning as the user reads it: "Error in X: ... (in 3 of 1,000 runs, first in run 17)",
// runs counted from 1.
std::string AnalysisWarningText(const TAnalysisWarning& warning, size_t runs);

// Adds warnings to into, keeping it sorted; a text in both counts its runs once per part.
void MergeWarnings(std::vector<TAnalysisWarning>& into, const std::vector<TAnalysisWarning>& part);

// One output's statistics over the runs done, each a series over the steps.
struct TOutputBands {
    std::array<std::vector<double>, BandStatisticCount> Statistic;
    size_t Runs = 0; // how many runs they cover
};
TOutputBands ComputeBands(const TSensitivityResults& results, size_t output);

enum TAnalysisOutcome { aoFinished, aoCancelled, aoFailed };

struct TSensitivityRange {
    size_t First = 0;
    size_t Last = SIZE_MAX; // past the last run; beyond the plan's runs means all of them
    bool WithBase = true;   // the model's own run too
};

// Runs a plan on worker threads. Made on the thread that owns the model (it copies the
// model once per job); Run may then be called from any one thread, and Cancel from any.
class TSensitivityRunner {
public:
    TSensitivityRunner(TSimulationObject& model, int jobs);
    ~TSensitivityRunner();
    TSensitivityRunner(const TSensitivityRunner&) = delete;
    TSensitivityRunner& operator=(const TSensitivityRunner&) = delete;

    int Jobs() const { return static_cast<int>(Simulations.size()); }

    // Runs the range's runs of plan into results (allocated for plan) and reports progress
    // (runs done of the range's, the model's own run not counted) to progress on this
    // thread. Returns when all are done, on Cancel, or on a failure (problem says what).
    TAnalysisOutcome Run(const TSensitivityPlan& plan, TSensitivityResults& results,
                         const TSensitivityRange& range, TNotifier* progress, std::string& problem);
    // Asks a Run under way (or about to start) to stop between runs or within a long one;
    // a cancelled runner runs nothing more.
    void Cancel() { Stop.store(true, std::memory_order_relaxed); }

private:
    std::vector<std::unique_ptr<TAnalysisSimulation>> Simulations;
    std::atomic<bool> Stop = false;
};

// The number of jobs when none is asked for: the machine's cores.
int DefaultAnalysisJobs();
inline constexpr int32_t MaxAnalysisJobs = 256;
