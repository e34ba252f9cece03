#pragma once
// Calibration: the values of some constants (the parameters, each within its bounds) for
// which the model's run comes closest to observed data, the sketched points of its targets.
// The payoff is the weighted sum of squared differences between the simulated series, read at
// each observed point's time as the graphs read it, and the points. NLopt's derivative-free,
// bounded optimisers minimise it, from the model's own values and optionally from further
// starting points spread over the bounds; the starts run on worker threads, each with its own
// reused copy of the model. A start's result depends only on the plan and its index, never on
// the thread (or process) that ran it, so starts may be run in parts and gathered.

#include "core/analysis/AnalysisSimulation.h"
#include "core/analysis/Sampling.h"
#include "core/analysis/Sensitivity.h"
#include "core/model/DataSeries.h"

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

enum TCalibrationMethod : uint8_t { cmBobyqa = 0, cmNelderMead = 1, cmSbplx = 2 };
inline constexpr size_t CalibrationMethodCount = 3;
// "bobyqa", "neldermead", "sbplx": as the command line takes them.
extern const char* const CalibrationMethodNames[CalibrationMethodCount];
// "BOBYQA", "Nelder-Mead", "Sbplx": as the window shows them.
extern const char* const CalibrationMethodCaptions[CalibrationMethodCount];

struct TFitParameter {
    std::string Name;
    double Low = 0;
    double High = 0;
};

struct TFitTarget {
    std::string Name;
    bool OwnWeight = false; // otherwise 1 / the variance of the target's observed points
    double Weight = 1;
};

inline constexpr int64_t DefaultCalibrationEvaluations = 500;
inline constexpr int64_t MaxCalibrationEvaluations = 100000000;
inline constexpr double DefaultCalibrationTolerance = 1e-8;
inline constexpr int32_t MaxCalibrationStarts = 10000;
inline constexpr size_t MaxFitParameters = 50;

struct TCalibrationSetUp {
    std::vector<TFitParameter> Parameters;
    std::vector<TFitTarget> Targets; // none: every element with sketched points
    TCalibrationMethod Method = cmBobyqa;
    int64_t MaxEvaluations = DefaultCalibrationEvaluations; // per start
    double Tolerance = DefaultCalibrationTolerance;         // relative, on values and payoff
    int32_t Starts = 1;
    uint32_t Seed = 1; // of the further starting points
};

struct TCalibrationTarget {
    int32_t Slot = 0;
    std::string Name;
    double Weight = 1;
    std::vector<TDataPoint> Points; // offsets from the start time, within the run
};

struct TCalibrationPlan {
    std::vector<int32_t> Slots; // the parameters' positions in the model
    std::vector<std::string> Names;
    std::vector<double> Low, High;
    std::vector<double> Own; // the model's own values
    std::vector<TCalibrationTarget> Targets;
    TCalibrationMethod Method = cmBobyqa;
    int64_t MaxEvaluations = DefaultCalibrationEvaluations;
    double Tolerance = DefaultCalibrationTolerance;
    size_t Starts = 1;
    uint32_t Seed = 1;
    // The payoff of a fit that says nothing: each target's weighted squared spread about its
    // mean. Curvatures are judged against it.
    double PayoffScale = 0;
    TSampleTable StartSamples; // the starting points after the first, one row each

    size_t Parameters() const { return Slots.size(); }
    size_t PointCount() const;
};

enum TCalibrationProblem { cpNone, cpArguments, cpNoData };

// Checks setUp against model (its elements, bounds, targets and their points) and works out
// the plan. cpArguments for a set-up that cannot be run (an unknown element, bad bounds, a
// parameter that is not a plain number), cpNoData when no target has observed points within
// the run; problem says what.
TCalibrationProblem PlanCalibration(const TSimulationObject& model, const TCalibrationSetUp& setUp,
                                    TCalibrationPlan& plan, std::string& problem);

// Where start k begins: start 0 at the model's own values (moved within the bounds), the
// others at the points of a Latin hypercube over the bounds drawn from the plan's seed.
std::vector<double> StartPoint(const TCalibrationPlan& plan, size_t start);

// The payoff of the model's last run (a copy prepared for the plan); a run whose targets are
// not finite gives FailedPayoff, so that the optimisers move away from it.
double RunPayoff(const TSimulationObject& model, const TCalibrationPlan& plan);
inline constexpr double FailedPayoff = 1e100;

enum TStartOutcome : uint8_t { soConverged, soMaxEvaluations, soCancelled, soFailed };

struct TStartResult {
    std::vector<double> Start;
    std::vector<double> Fitted;
    double Payoff = 0;
    int64_t Evaluations = 0;
    TStartOutcome Outcome = soFailed;
    bool Done = false;
    std::string Problem; // when failed
};

// Progress while a calibration runs, on the thread that started it.
class TCalibrationObserver {
public:
    virtual ~TCalibrationObserver() = default;
    // evaluations: model runs so far; best: the lowest payoff so far.
    virtual void CalibrationProgress(int64_t /*evaluations*/, double /*best*/) {}
};

struct TCalibrationResult {
    std::vector<double> Own, Fitted;
    // The approximate 95% interval from the payoff's curvature; NaN when not identified.
    std::vector<double> IntervalLow, IntervalHigh;
    std::vector<bool> Identified;
    double PayoffBefore = 0, PayoffAfter = 0;
    int64_t Evaluations = 0;          // the optimisers' runs, over every start
    int64_t CurvatureEvaluations = 0; // the runs of the intervals and of the payoff before
    double Seconds = 0;
    size_t BestStart = 0;
    bool Converged = false;            // the best start stopped on its tolerance
    std::vector<std::string> Warnings; // evaluation errors of the runs, each once
};

// Runs calibrations on worker threads. Made on the thread that owns the model (it copies the
// model once per job); the runs may then be started from any one thread, and Cancel from any.
class TCalibrationRunner {
public:
    TCalibrationRunner(TSimulationObject& model, int jobs);
    ~TCalibrationRunner();
    TCalibrationRunner(const TCalibrationRunner&) = delete;
    TCalibrationRunner& operator=(const TCalibrationRunner&) = delete;

    int Jobs() const { return static_cast<int>(Simulations.size()); }

    // Runs starts [first, last) of plan, each on one worker, into results (resized to
    // last - first; results[i] is start first + i). Progress counts this call's evaluations.
    TAnalysisOutcome RunStarts(const TCalibrationPlan& plan, size_t first, size_t last,
                               std::vector<TStartResult>& results, TCalibrationObserver* observer,
                               std::string& problem);

    // The payoff at each of points, spread over the workers.
    TAnalysisOutcome EvaluatePoints(const TCalibrationPlan& plan,
                                    const std::vector<std::vector<double>>& points,
                                    std::vector<double>& payoffs, std::string& problem);

    // The evaluation errors the runs reported so far, each once, in the order first seen.
    std::vector<std::string> Warnings() const;

    void Cancel() { Stop.store(true, std::memory_order_relaxed); }
    bool Cancelled() const { return Stop.load(std::memory_order_relaxed); }

private:
    struct TWorker;
    std::vector<std::unique_ptr<TAnalysisSimulation>> Simulations;
    std::atomic<bool> Stop = false;
    std::vector<std::string> WarningTexts;
    void AddWarnings(const std::vector<std::string>& texts);
};

// The best of starts (lowest payoff, then lowest index among those done), and the result:
// the payoff at the model's own values, and the intervals from the curvature at the best.
// starts may come from several RunStarts calls, or processes.
TAnalysisOutcome FinishCalibration(TCalibrationRunner& runner, const TCalibrationPlan& plan,
                                   const std::vector<TStartResult>& starts,
                                   TCalibrationResult& result, std::string& problem);

// RunStarts over every start, then FinishCalibration; Seconds is the time of both.
TAnalysisOutcome Calibrate(TCalibrationRunner& runner, const TCalibrationPlan& plan,
                           TCalibrationResult& result, TCalibrationObserver* observer,
                           std::string& problem);

// The curvature's verdict for parameters, from the payoff's second derivatives (hessian,
// row-major, n x n, already at the scale of the parameters), the best payoff and the plan.
// Exposed for the tests.
void CurvatureIntervals(const TCalibrationPlan& plan, const std::vector<double>& fitted,
                        const std::vector<double>& hessian, double payoff,
                        TCalibrationResult& result);

// Reads "NAME=LOW..HIGH" as --fit takes it; on failure says what is wrong.
bool ParseFitText(std::string_view text, TFitParameter& parameter, std::string& problem);
// Reads "NAME" or "NAME=WEIGHT" as --target takes it.
bool ParseTargetText(std::string_view text, TFitTarget& target, std::string& problem);
// The method a word names ("bobyqa", "neldermead", "sbplx"; case ignored).
bool CalibrationMethodFromWord(std::string_view word, TCalibrationMethod& method);
// A value as the result tables show it: six significant digits, '.' whatever the locale.
std::string CalibrationNumber(double value);
// Parameter i's row of the result tables: name, start, fitted value (as Apply writes it) and
// its 95% interval, or "not identified".
std::vector<std::string> CalibrationResultRow(const TCalibrationPlan& plan,
                                              const TCalibrationResult& result, size_t i);
