#include "core/analysis/Sensitivity.h"

#include "core/analysis/AnalysisWorkers.h"

#include "core/model/RunToEnd.h"
#include "core/support/Notifier.h"
#include "core/support/NumberFormat.h"

#include <algorithm>
#include <map>
#include <thread>

namespace {

std::string Size(uint64_t bytes) {
    if (bytes >= (uint64_t{1} << 30))
        return FormatFloat("#,##0.0", static_cast<double>(bytes) / (uint64_t{1} << 30)) + " GiB";
    return FormatFloat("#,##0.0", static_cast<double>(bytes) / (uint64_t{1} << 20)) + " MiB";
}

// Whether runs runs of perRun values and base values of the own run fit in limit values.
bool Fits(uint64_t runs, uint64_t perRun, uint64_t base, uint64_t limit) {
    if (base > limit) return false;
    return perRun == 0 || runs <= (limit - base) / perRun;
}

std::string TooMuchMessage(uint64_t runs, uint64_t varied, uint64_t outputs, uint64_t steps,
                           uint64_t limit) {
    const uint64_t perRun = varied + outputs * steps;
    const long double bytes =
        (static_cast<long double>(runs) * perRun + static_cast<long double>(outputs) * steps) * 8;
    const uint64_t base = outputs * steps;
    const uint64_t runsFit = base <= limit ? (limit - base) / std::max<uint64_t>(perRun, 1) : 0;
    uint64_t outputsFit = 0;
    if (runs * varied < limit) outputsFit = (limit - runs * varied) / ((runs + 1) * steps);
    std::string fit;
    if (runsFit > 0) fit = CountText(runsFit) + (runsFit == 1 ? " run" : " runs");
    if (outputsFit > 0)
        fit += (fit.empty() ? "" : ", or ") + CountText(outputsFit) +
               (outputsFit == 1 ? " output" : " outputs") + (runsFit > 0 ? "," : "");
    const std::string size = bytes >= static_cast<long double>(UINT64_MAX)
                                 ? "more than 16 EiB"
                                 : Size(static_cast<uint64_t>(bytes));
    return CountText(runs) + " runs of " + CountText(outputs) + " outputs over " +
           CountText(steps) + " steps would keep " + size +
           ", more than the 1 GiB an analysis may keep: " +
           (fit.empty() ? std::string("shorten the run") : "at most " + fit + " would fit") + ".";
}

} // namespace

std::string PlanSensitivity(const TSimulationObject& model, const TSensitivitySetUp& setUp,
                            int64_t maxSteps, TSensitivityPlan& plan) {
    TSensitivityPlan p;
    if (setUp.Varied.empty()) return "No constants are set to vary.";
    std::vector<TVariedSource> sources;
    for (const TVariedElement& varied : setUp.Varied) {
        const TVariableObject* element = FindElement(model, varied.Identifier);
        if (!element) return "There is no element " + varied.Identifier + " to vary.";
        if (!CanVary(*element))
            return element->Name + " cannot vary: its equation is not a plain number.";
        const int32_t slot = element->GetIndex();
        if (std::find(p.Varied.begin(), p.Varied.end(), slot) != p.Varied.end())
            return element->Name + " is set to vary twice.";
        const std::string problem = VariedSourceProblem(varied.Source);
        if (!problem.empty()) return element->Name + ": " + problem + ".";
        p.Varied.push_back(slot);
        p.VariedNames.push_back(element->Name);
        sources.push_back(varied.Source);
    }
    if (setUp.Outputs.empty()) {
        for (const TVariableObject* element : model.Variables) {
            p.Outputs.push_back(element->GetIndex());
            p.OutputNames.push_back(element->Name);
        }
    }
    for (const std::string& output : setUp.Outputs) {
        const TVariableObject* element = FindElement(model, output);
        if (!element) return "There is no element " + output + " to keep the results of.";
        const int32_t slot = element->GetIndex();
        if (std::find(p.Outputs.begin(), p.Outputs.end(), slot) != p.Outputs.end()) continue;
        p.Outputs.push_back(slot);
        p.OutputNames.push_back(element->Name);
    }

    uint64_t runs = 0;
    if (setUp.Method == smGrid) {
        std::string problem;
        const int64_t count = GridRunCount(sources, MaxSensitivityRuns, problem);
        if (count <= 0) return problem;
        runs = static_cast<uint64_t>(count);
    } else {
        if (setUp.Runs < 1 || setUp.Runs > MaxSensitivityRuns)
            return "The number of runs must be from 1 to " + CountText(MaxSensitivityRuns) + ".";
        runs = static_cast<uint64_t>(setUp.Runs);
    }

    bool tooLong = false;
    p.Offsets = RunStepOffsets(model, maxSteps, tooLong);
    if (tooLong)
        return "A run would take " + CountText(static_cast<uint64_t>(ExpectedStepCount(model))) +
               " steps, more than the limit of " + CountText(static_cast<uint64_t>(maxSteps)) + ".";
    p.StartTime = model.StartTime;

    const uint64_t steps = p.Offsets.size(), outputs = p.Outputs.size();
    const uint64_t varied = p.Varied.size(), limit = MaxKeptBytes / sizeof(double);
    if (outputs > limit / std::max<uint64_t>(steps, 1) ||
        !Fits(runs, varied + outputs * steps, outputs * steps, limit))
        return TooMuchMessage(runs, varied, outputs, steps, limit);

    p.Runs = static_cast<size_t>(runs);
    p.Seed = static_cast<uint32_t>(setUp.Seed);
    p.Samples = DrawSamples(sources, setUp.Method, p.Runs, p.Seed);
    plan = std::move(p);
    return std::string();
}

// ---------------------------------------------------------------------------------------------
// Kept values

void TSensitivityResults::Allocate(const TSensitivityPlan& plan) {
    RunCount = plan.Runs;
    OutputCount = plan.Outputs.size();
    StepCount = plan.Steps();
    Values.assign(RunCount * OutputCount * StepCount, 0.0);
    Base.assign(OutputCount * StepCount, 0.0);
    Done = std::make_unique<std::atomic<uint8_t>[]>(RunCount);
    for (size_t k = 0; k < RunCount; ++k)
        Done[k].store(0, std::memory_order_relaxed);
    DoneRuns.store(0, std::memory_order_relaxed);
    HasBase.store(false, std::memory_order_relaxed);
    Warnings.clear();
}

void TSensitivityResults::MarkDone(size_t run) {
    if (Done[run].exchange(1, std::memory_order_acq_rel) == 0)
        DoneRuns.fetch_add(1, std::memory_order_acq_rel);
}

std::string AnalysisWarningText(const TAnalysisWarning& warning, size_t runs) {
    if (warning.FirstRun < 0) {
        const int64_t others = warning.Runs - 1;
        return warning.Text + " (in the model's own run" +
               (others > 0 ? " and " + CountText(static_cast<uint64_t>(others)) + " of " +
                                 CountText(runs) + " runs"
                           : std::string()) +
               ")";
    }
    return warning.Text + " (in " + CountText(static_cast<uint64_t>(warning.Runs)) + " of " +
           CountText(runs) + " runs, first in run " +
           CountText(static_cast<uint64_t>(warning.FirstRun) + 1) + ")";
}

void MergeWarnings(std::vector<TAnalysisWarning>& into, const std::vector<TAnalysisWarning>& part) {
    for (const TAnalysisWarning& warning : part) {
        auto same = std::find_if(into.begin(), into.end(),
                                 [&](const TAnalysisWarning& w) { return w.Text == warning.Text; });
        if (same == into.end()) {
            into.push_back(warning);
        } else {
            same->FirstRun = std::min(same->FirstRun, warning.FirstRun);
            same->Runs += warning.Runs;
        }
    }
    std::sort(into.begin(), into.end(), [](const TAnalysisWarning& a, const TAnalysisWarning& b) {
        return a.FirstRun != b.FirstRun ? a.FirstRun < b.FirstRun : a.Text < b.Text;
    });
}

TOutputBands ComputeBands(const TSensitivityResults& results, size_t output) {
    TOutputBands bands;
    const size_t steps = results.Steps();
    std::vector<size_t> done;
    for (size_t k = 0; k < results.Runs(); ++k)
        if (results.IsDone(k)) done.push_back(k);
    bands.Runs = done.size();
    for (auto& statistic : bands.Statistic)
        statistic.resize(steps);
    if (output >= results.Outputs()) return bands;
    std::vector<double> values(done.size());
    double statistics[BandStatisticCount];
    for (size_t s = 0; s < steps; ++s) {
        for (size_t i = 0; i < done.size(); ++i)
            values[i] = results.Value(done[i], output, s);
        BandStatistics(values, statistics);
        for (size_t b = 0; b < BandStatisticCount; ++b)
            bands.Statistic[b][s] = statistics[b];
    }
    return bands;
}

// ---------------------------------------------------------------------------------------------
// Running

namespace {

// What one worker's runs reported, counted once per run.
class TWarningCollector : public TNotifier {
public:
    void EvaluationWarning(const std::string& text) override {
        auto [place, added] = Index.try_emplace(text, Warnings.size());
        if (added) {
            Warnings.push_back({text, Run, 1});
            LastRun.push_back(Run);
        } else if (LastRun[place->second] != Run) {
            LastRun[place->second] = Run;
            ++Warnings[place->second].Runs;
        }
    }

    int64_t Run = 0;
    std::vector<TAnalysisWarning> Warnings;

private:
    std::map<std::string, size_t> Index;
    std::vector<int64_t> LastRun;
};

} // namespace

int DefaultAnalysisJobs() {
    const unsigned cores = std::thread::hardware_concurrency();
    return cores == 0 ? 1 : std::min(static_cast<int>(cores), MaxAnalysisJobs);
}

TSensitivityRunner::TSensitivityRunner(TSimulationObject& model, int jobs) {
    jobs = std::clamp(jobs, 1, MaxAnalysisJobs);
    for (int j = 0; j < jobs; ++j)
        Simulations.push_back(std::make_unique<TAnalysisSimulation>(model));
}

TSensitivityRunner::~TSensitivityRunner() = default;

TAnalysisOutcome TSensitivityRunner::Run(const TSensitivityPlan& plan, TSensitivityResults& results,
                                         const TSensitivityRange& range, TNotifier* progress,
                                         std::string& problem) {
    problem.clear();
    const size_t first = std::min(range.First, plan.Runs);
    const size_t last = std::clamp(range.Last, first, plan.Runs);
    const size_t count = last - first;
    const size_t alreadyDone = results.DoneCount();

    const size_t every = std::max<size_t>(1, count / 200); // runs between progress reports
    const bool withBase = range.WithBase;
    TWorkerPool pool;
    std::vector<TWarningCollector> warnings;
    const TAnalysisOutcome outcome = RunOnWorkers(
        Simulations, count + (withBase ? 1 : 0), Stop, pool, warnings,
        [&](TAnalysisSimulation& simulation, TWarningCollector& collector, size_t job) {
            const bool base = withBase && job == 0;
            const size_t run = first + job - (withBase ? 1 : 0);
            if (base) {
                simulation.RestoreConstants();
            } else {
                const double* row = plan.Samples.Row(run);
                for (size_t j = 0; j < plan.Varied.size(); ++j)
                    simulation.SetConstant(plan.Varied[j], row[j]);
            }
            collector.Run = base ? -1 : static_cast<int64_t>(run);
            if (!simulation.Run(RunRandomSeed(plan.Seed, collector.Run), &Stop)) return;
            if (base) {
                simulation.CopyResults(plan.Outputs, plan.Steps(), results.BaseValues());
                results.MarkBaseDone();
                return;
            }
            simulation.CopyResults(plan.Outputs, plan.Steps(), results.RunValues(run));
            results.MarkDone(run);
            if (results.DoneCount() % every == 0) pool.Notify();
        },
        [&] { return static_cast<int64_t>(results.DoneCount() - alreadyDone); },
        static_cast<int64_t>(every),
        [&](int64_t done) {
            if (progress) progress->AnalysisProgress(done, static_cast<int64_t>(count));
        },
        problem);
    for (const TWarningCollector& collector : warnings)
        MergeWarnings(results.Warnings, collector.Warnings);
    if (outcome == aoFailed) return aoFailed;
    return results.DoneCount() - alreadyDone == count ? aoFinished : aoCancelled;
}
