#include "core/analysis/Calibration.h"

#include "core/analysis/AnalysisWorkers.h"

#include "core/equations/EquationObjects.h"
#include "core/model/RunToEnd.h"
#include "core/support/CsvText.h"
#include "core/support/Notifier.h"
#include "core/support/NumberFormat.h"
#include "core/support/Text.h"

#include <nlopt.hpp>

#include <algorithm>
#include <charconv>
#include <chrono>
#include <cmath>
#include <limits>
#include <mutex>
#include <set>
#include <utility>

const char* const CalibrationMethodNames[CalibrationMethodCount] = {"bobyqa", "neldermead",
                                                                    "sbplx"};
const char* const CalibrationMethodCaptions[CalibrationMethodCount] = {"BOBYQA", "Nelder-Mead",
                                                                       "Sbplx"};

size_t TCalibrationPlan::PointCount() const {
    size_t count = 0;
    for (const TCalibrationTarget& target : Targets)
        count += target.Points.size();
    return count;
}

namespace {

bool Finite(double x) {
    return std::isfinite(x);
}

// The mean of the observed values and the sum of their squared distances from it.
std::pair<double, double> MeanAndSpread(const std::vector<TDataPoint>& points) {
    double mean = 0;
    for (const TDataPoint& p : points)
        mean += p.Value;
    mean /= static_cast<double>(points.size());
    double spread = 0;
    for (const TDataPoint& p : points)
        spread += (p.Value - mean) * (p.Value - mean);
    return {mean, spread};
}

// The weight that makes targets of different scales count alike: 1 / the variance of the
// observed values. A target whose values do not vary is weighed by its level instead.
double DefaultWeight(const std::vector<TDataPoint>& points) {
    const auto [mean, spread] = MeanAndSpread(points);
    const double variance = spread / static_cast<double>(points.size());
    if (Finite(variance) && variance > 1e-12 * mean * mean && variance > 0) return 1 / variance;
    if (Finite(mean) && mean != 0 && Finite(1 / (mean * mean))) return 1 / (mean * mean);
    return 1;
}

double Spread(const std::vector<TDataPoint>& points) {
    return MeanAndSpread(points).second;
}

std::string Number(double x) {
    return FloatToStr(x);
}

} // namespace

TCalibrationProblem PlanCalibration(const TSimulationObject& model, const TCalibrationSetUp& setUp,
                                    TCalibrationPlan& plan, std::string& problem) {
    TCalibrationPlan p;
    problem.clear();
    auto refuse = [&](TCalibrationProblem kind, std::string text) {
        problem = std::move(text);
        return kind;
    };
    if (setUp.Parameters.empty())
        return refuse(cpArguments, "No constants to fit: name at least one with its bounds.");
    if (setUp.Parameters.size() > MaxFitParameters)
        return refuse(cpArguments, "At most " + IntToStr(static_cast<int64_t>(MaxFitParameters)) +
                                       " constants can be fitted at once.");
    for (const TFitParameter& parameter : setUp.Parameters) {
        const TVariableObject* element = FindElement(model, parameter.Name);
        if (!element)
            return refuse(cpArguments, "There is no element " + Trim(parameter.Name) + " to fit.");
        if (!CanVary(*element))
            return refuse(cpArguments,
                          element->Name + " cannot be fitted: its equation is not a plain number.");
        const int32_t slot = element->GetIndex();
        if (std::find(p.Slots.begin(), p.Slots.end(), slot) != p.Slots.end())
            return refuse(cpArguments, element->Name + " is fitted twice.");
        if (!Finite(parameter.Low) || !Finite(parameter.High) ||
            !Finite(parameter.High - parameter.Low))
            return refuse(cpArguments, element->Name + ": the bounds must be finite numbers.");
        if (!(parameter.Low < parameter.High))
            return refuse(cpArguments,
                          element->Name + ": the lower bound " + Number(parameter.Low) +
                              " must be below the upper bound " + Number(parameter.High) + ".");
        double own = 0;
        if (!TryStrToFloat(Trim(element->Equation), own) || !Finite(own)) own = parameter.Low;
        p.Slots.push_back(slot);
        p.Names.push_back(element->Name);
        p.Low.push_back(parameter.Low);
        p.High.push_back(parameter.High);
        p.Own.push_back(own);
    }

    if (setUp.MaxEvaluations < 1 || setUp.MaxEvaluations > MaxCalibrationEvaluations)
        return refuse(cpArguments, "The maximum number of evaluations must be from 1 to " +
                                       CountText(MaxCalibrationEvaluations) + ".");
    if (!Finite(setUp.Tolerance) || setUp.Tolerance <= 0 || setUp.Tolerance >= 1)
        return refuse(cpArguments, "The relative tolerance must be above 0 and below 1.");
    if (setUp.Starts < 1 || setUp.Starts > MaxCalibrationStarts)
        return refuse(cpArguments, "The number of starts must be from 1 to " +
                                       CountText(MaxCalibrationStarts) + ".");
    if (setUp.Method >= CalibrationMethodCount)
        return refuse(cpArguments, "Unknown optimisation method.");

    bool tooLong = false;
    const std::vector<double> offsets = RunStepOffsets(model, DefaultMaxSteps, tooLong);
    if (tooLong || offsets.empty())
        return refuse(cpArguments, "A run would take " + CountText(ExpectedStepCount(model)) +
                                       " steps, more than the limit of " +
                                       CountText(DefaultMaxSteps) + ".");
    // Points outside the run have nothing simulated to compare with.
    const double first = offsets.front() - 1e-9 * std::max(1.0, std::fabs(offsets.front()));
    const double last = offsets.back() + 1e-9 * std::max(1.0, std::fabs(offsets.back()));
    auto addTarget = [&](const TVariableObject& element, const TFitTarget* given) {
        TCalibrationTarget target;
        target.Slot = element.GetIndex();
        target.Name = element.Name;
        for (const TDataPoint& point : element.Sketched.Points)
            if (point.Time >= first && point.Time <= last && Finite(point.Value))
                target.Points.push_back(point);
        if (target.Points.empty()) return;
        target.Weight = given && given->OwnWeight ? given->Weight : DefaultWeight(target.Points);
        p.Targets.push_back(std::move(target));
    };
    if (setUp.Targets.empty()) {
        for (const TVariableObject* element : model.Variables)
            addTarget(*element, nullptr);
    } else {
        std::set<int32_t> seen;
        for (const TFitTarget& target : setUp.Targets) {
            const TVariableObject* element = FindElement(model, target.Name);
            if (!element)
                return refuse(cpArguments, "There is no element " + Trim(target.Name) +
                                               " to compare with data.");
            if (!seen.insert(element->GetIndex()).second)
                return refuse(cpArguments, element->Name + " is a target twice.");
            if (target.OwnWeight && (!Finite(target.Weight) || target.Weight <= 0))
                return refuse(cpArguments, element->Name + ": a weight must be a number above 0.");
            addTarget(*element, &target);
        }
    }
    if (p.Targets.empty())
        return refuse(cpNoData, "No target has observed points within the run: import the data "
                                "into the targets' sketches first (File > Import Data...).");

    for (const TCalibrationTarget& target : p.Targets)
        p.PayoffScale += target.Weight * Spread(target.Points);
    if (!Finite(p.PayoffScale) || p.PayoffScale <= 0) p.PayoffScale = 1;

    p.Method = setUp.Method;
    p.MaxEvaluations = setUp.MaxEvaluations;
    p.Tolerance = setUp.Tolerance;
    p.Starts = static_cast<size_t>(setUp.Starts);
    p.Seed = setUp.Seed;
    if (p.Starts > 1) {
        std::vector<TVariedSource> sources(p.Parameters());
        for (size_t i = 0; i < sources.size(); ++i)
            sources[i].Values = {p.Low[i], p.High[i]};
        p.StartSamples = DrawSamples(sources, smLatinHypercube, p.Starts - 1, p.Seed);
    }
    plan = std::move(p);
    return cpNone;
}

std::vector<double> StartPoint(const TCalibrationPlan& plan, size_t start) {
    std::vector<double> x(plan.Parameters());
    for (size_t i = 0; i < x.size(); ++i) {
        if (start == 0 || start > plan.StartSamples.Runs)
            x[i] = std::clamp(plan.Own[i], plan.Low[i], plan.High[i]);
        else
            x[i] = std::clamp(plan.StartSamples.At(start - 1, i), plan.Low[i], plan.High[i]);
    }
    return x;
}

double RunPayoff(const TSimulationObject& model, const TCalibrationPlan& plan) {
    double payoff = 0;
    for (const TCalibrationTarget& target : plan.Targets) {
        const TDataSeries& simulated = model.Variables[target.Slot]->Simulated;
        double sum = 0;
        size_t place = 0;
        for (const TDataPoint& point : target.Points) {
            const double difference = simulated.ValueAtNear(point.Time, place) - point.Value;
            sum += difference * difference;
        }
        payoff += target.Weight * sum;
    }
    return std::isfinite(payoff) ? std::min(payoff, FailedPayoff) : FailedPayoff;
}

// ---------------------------------------------------------------------------------------------
// Running

namespace {

// The evaluation errors of one worker's runs, each text once.
class TWarningTexts : public TNotifier {
public:
    void EvaluationWarning(const std::string& text) override {
        if (Seen.insert(text).second) Texts.push_back(text);
    }
    std::vector<std::string> Texts;

private:
    std::set<std::string> Seen;
};

// What the workers and the waiting thread share: the pool and the evaluations so far.
struct TShared : TWorkerPool {
    std::atomic<int64_t> Evaluations = 0;
    double Best = std::numeric_limits<double>::infinity(); // under Lock
};

// One model run at x; false when cancelled.
bool Evaluate(TAnalysisSimulation& simulation, const TCalibrationPlan& plan, const double* x,
              const std::atomic<bool>& stop, double& payoff) {
    // A short run never reaches the run's own look at cancel.
    if (stop.load(std::memory_order_relaxed)) return false;
    for (size_t i = 0; i < plan.Parameters(); ++i)
        simulation.SetConstant(plan.Slots[i], x[i]);
    // Every evaluation draws the same RANDOM numbers, so that the payoff is a function of the
    // parameters alone.
    if (!simulation.Run(RunRandomSeed(plan.Seed, -1), &stop)) return false;
    payoff = RunPayoff(simulation.Model(), plan);
    return true;
}

void NoteBest(TShared& shared, double payoff) {
    shared.Evaluations.fetch_add(1, std::memory_order_relaxed);
    {
        const std::lock_guard lock(shared.Lock);
        shared.Best = std::min(shared.Best, payoff);
    }
    shared.Changed.notify_one();
}

struct TObjective {
    TAnalysisSimulation* Simulation;
    const TCalibrationPlan* Plan;
    const std::atomic<bool>* Stop;
    TShared* Shared;
    nlopt::opt* Optimiser;
    TStartResult* Result;
    bool Cancelled = false;
};

double Objective(unsigned n, const double* x, double* /*gradient*/, void* data) {
    auto& o = *static_cast<TObjective*>(data);
    double payoff = FailedPayoff;
    if (o.Cancelled || !Evaluate(*o.Simulation, *o.Plan, x, *o.Stop, payoff)) {
        o.Cancelled = true;
        o.Optimiser->force_stop();
        return o.Result->Evaluations > 0 ? o.Result->Payoff : FailedPayoff;
    }
    ++o.Result->Evaluations;
    // The best point is kept here, whatever the optimiser reports when it stops.
    if (o.Result->Evaluations == 1 || payoff < o.Result->Payoff) {
        o.Result->Payoff = payoff;
        o.Result->Fitted.assign(x, x + n);
    }
    NoteBest(*o.Shared, payoff);
    return payoff;
}

nlopt::algorithm Algorithm(TCalibrationMethod method) {
    switch (method) {
    case cmNelderMead:
        return nlopt::LN_NELDERMEAD;
    case cmSbplx:
        return nlopt::LN_SBPLX;
    case cmBobyqa:
        break;
    }
    return nlopt::LN_BOBYQA;
}

void RunStart(TAnalysisSimulation& simulation, const TCalibrationPlan& plan, size_t start,
              const std::atomic<bool>& stop, TShared& shared, TStartResult& result) {
    const size_t n = plan.Parameters();
    result = TStartResult();
    result.Start = StartPoint(plan, start);
    nlopt::opt optimiser(Algorithm(plan.Method), static_cast<unsigned>(n));
    TObjective objective{&simulation, &plan, &stop, &shared, &optimiser, &result};
    std::vector<double> step(n);
    for (size_t i = 0; i < n; ++i)
        step[i] = 0.1 * (plan.High[i] - plan.Low[i]);
    optimiser.set_lower_bounds(plan.Low);
    optimiser.set_upper_bounds(plan.High);
    optimiser.set_initial_step(step);
    optimiser.set_min_objective(Objective, &objective);
    optimiser.set_maxeval(static_cast<int>(std::min<int64_t>(plan.MaxEvaluations, INT32_MAX)));
    optimiser.set_xtol_rel(plan.Tolerance);
    optimiser.set_ftol_rel(plan.Tolerance);
    std::vector<double> x = result.Start;
    double best = 0;
    nlopt::result outcome = nlopt::FAILURE;
    try {
        outcome = optimiser.optimize(x, best);
    } catch (const nlopt::forced_stop&) {
        outcome = nlopt::FORCED_STOP;
    } catch (const nlopt::roundoff_limited&) {
        // Progress was limited by rounding: the point reached is as good as it gets.
        outcome = nlopt::ROUNDOFF_LIMITED;
    } catch (const std::exception& e) {
        result.Problem = e.what();
    }
    if (objective.Cancelled || outcome == nlopt::FORCED_STOP) {
        result.Outcome = soCancelled;
        return;
    }
    if (result.Evaluations == 0) {
        result.Outcome = soFailed;
        if (result.Problem.empty()) result.Problem = "the optimiser evaluated nothing";
        return;
    }
    switch (outcome) {
    case nlopt::SUCCESS:
    case nlopt::STOPVAL_REACHED:
    case nlopt::FTOL_REACHED:
    case nlopt::XTOL_REACHED:
    case nlopt::ROUNDOFF_LIMITED:
        result.Outcome = soConverged;
        break;
    case nlopt::MAXEVAL_REACHED:
    case nlopt::MAXTIME_REACHED:
        result.Outcome = soMaxEvaluations;
        break;
    default:
        result.Outcome = soFailed;
        if (result.Problem.empty()) result.Problem = "the optimiser failed";
        break;
    }
    result.Done = true;
}

} // namespace

TCalibrationRunner::TCalibrationRunner(TSimulationObject& model, int jobs) {
    jobs = std::clamp(jobs, 1, MaxAnalysisJobs);
    for (int j = 0; j < jobs; ++j)
        Simulations.push_back(std::make_unique<TAnalysisSimulation>(model));
}

TCalibrationRunner::~TCalibrationRunner() = default;

void TCalibrationRunner::AddWarnings(const std::vector<std::string>& texts) {
    for (const std::string& text : texts)
        if (std::find(WarningTexts.begin(), WarningTexts.end(), text) == WarningTexts.end())
            WarningTexts.push_back(text);
}

std::vector<std::string> TCalibrationRunner::Warnings() const {
    return WarningTexts;
}

TAnalysisOutcome TCalibrationRunner::RunStarts(const TCalibrationPlan& plan, size_t first,
                                               size_t last, std::vector<TStartResult>& results,
                                               TCalibrationObserver* observer,
                                               std::string& problem) {
    problem.clear();
    first = std::min(first, plan.Starts);
    last = std::clamp(last, first, plan.Starts);
    results.assign(last - first, TStartResult());
    TShared shared;
    std::vector<TWarningTexts> warnings;
    const TAnalysisOutcome outcome = RunOnWorkers(
        Simulations, last - first, Stop, shared, warnings,
        [&](TAnalysisSimulation& simulation, TWarningTexts&, size_t i) {
            RunStart(simulation, plan, first + i, Stop, shared, results[i]);
        },
        [&] { return shared.Evaluations.load(std::memory_order_relaxed); }, 1,
        [&](int64_t evaluations) {
            if (!observer) return;
            double best = 0;
            {
                const std::lock_guard lock(shared.Lock);
                best = shared.Best;
            }
            observer->CalibrationProgress(evaluations, best);
        },
        problem);
    for (const TWarningTexts& worker : warnings)
        AddWarnings(worker.Texts);
    if (outcome != aoFinished) return outcome;
    for (const TStartResult& result : results)
        if (result.Outcome == soCancelled) return aoCancelled;
    return aoFinished;
}

TAnalysisOutcome TCalibrationRunner::EvaluatePoints(const TCalibrationPlan& plan,
                                                    const std::vector<std::vector<double>>& points,
                                                    std::vector<double>& payoffs,
                                                    std::string& problem) {
    problem.clear();
    payoffs.assign(points.size(), std::numeric_limits<double>::quiet_NaN());
    TWorkerPool pool;
    std::vector<TWarningTexts> warnings;
    const TAnalysisOutcome outcome = RunOnWorkers(
        Simulations, points.size(), Stop, pool, warnings,
        [&](TAnalysisSimulation& simulation, TWarningTexts&, size_t i) {
            double payoff = 0;
            if (Evaluate(simulation, plan, points[i].data(), Stop, payoff)) payoffs[i] = payoff;
        },
        [] { return int64_t{0}; }, 1, [](int64_t) {}, problem);
    for (const TWarningTexts& worker : warnings)
        AddWarnings(worker.Texts);
    return outcome;
}

// ---------------------------------------------------------------------------------------------
// The result

void CurvatureIntervals(const TCalibrationPlan& plan, const std::vector<double>& fitted,
                        const std::vector<double>& hessian, double payoff,
                        TCalibrationResult& result) {
    const size_t n = plan.Parameters();
    const double nan = std::numeric_limits<double>::quiet_NaN();
    result.IntervalLow.assign(n, nan);
    result.IntervalHigh.assign(n, nan);
    result.Identified.assign(n, false);
    // A parameter is identified when moving it across its range changes the payoff by more
    // than a tiny share of the payoff a fit saying nothing would have.
    std::vector<size_t> kept;
    for (size_t i = 0; i < n; ++i) {
        const double range = plan.High[i] - plan.Low[i];
        const double curvature = hessian[i * n + i];
        if (std::isfinite(curvature) && curvature * range * range > 1e-8 * plan.PayoffScale)
            kept.push_back(i);
    }
    // The covariance of the identified ones: 2 s^2 H^-1, s^2 the payoff per degree of freedom
    // (the weighted residual variance), by Cholesky; a sub-matrix that is not positive
    // definite has a flat direction, and none of its parameters is identified.
    const size_t m = kept.size();
    std::vector<double> l(m * m, 0.0);
    bool positive = true;
    for (size_t j = 0; j < m && positive; ++j) {
        for (size_t i = j; i < m; ++i) {
            double sum = hessian[kept[i] * n + kept[j]];
            for (size_t k = 0; k < j; ++k)
                sum -= l[i * m + k] * l[j * m + k];
            if (i == j) {
                if (!(sum > 0) || !std::isfinite(sum)) {
                    positive = false;
                    break;
                }
                l[j * m + j] = std::sqrt(sum);
            } else {
                l[i * m + j] = sum / l[j * m + j];
            }
        }
    }
    if (!positive) return;
    const double points = static_cast<double>(plan.PointCount());
    const double freedom = std::max(1.0, points - static_cast<double>(n));
    const double variance = std::max(payoff, 0.0) / freedom;
    for (size_t a = 0; a < m; ++a) {
        // Column a of the inverse: solve L L^T x = e_a; only x_a is needed.
        std::vector<double> y(m, 0.0);
        for (size_t i = 0; i < m; ++i) {
            double sum = i == a ? 1.0 : 0.0;
            for (size_t k = 0; k < i; ++k)
                sum -= l[i * m + k] * y[k];
            y[i] = sum / l[i * m + i];
        }
        std::vector<double> x(m, 0.0);
        for (size_t i = m; i-- > 0;) {
            double sum = y[i];
            for (size_t k = i + 1; k < m; ++k)
                sum -= l[k * m + i] * x[k];
            x[i] = sum / l[i * m + i];
        }
        const double half = 1.96 * std::sqrt(2 * variance * x[a]);
        if (!std::isfinite(half)) continue;
        const size_t p = kept[a];
        result.Identified[p] = true;
        result.IntervalLow[p] = fitted[p] - half;
        result.IntervalHigh[p] = fitted[p] + half;
    }
}

TAnalysisOutcome FinishCalibration(TCalibrationRunner& runner, const TCalibrationPlan& plan,
                                   const std::vector<TStartResult>& starts,
                                   TCalibrationResult& result, std::string& problem) {
    problem.clear();
    const size_t n = plan.Parameters();
    result.Own = plan.Own;
    const TStartResult* best = nullptr;
    for (size_t k = 0; k < starts.size(); ++k) {
        const TStartResult& start = starts[k];
        result.Evaluations += start.Evaluations;
        if (!start.Done || start.Fitted.size() != n) continue;
        if (!best || start.Payoff < best->Payoff) {
            best = &start;
            result.BestStart = k;
        }
    }
    if (!best) {
        for (const TStartResult& start : starts)
            if (!start.Problem.empty()) {
                problem = "The optimiser failed: " + start.Problem;
                return aoFailed;
            }
        problem = "No start of the calibration finished.";
        return aoFailed;
    }
    result.Fitted = best->Fitted;
    result.PayoffAfter = best->Payoff;
    result.Converged = best->Outcome == soConverged;

    // The payoff at the model's own values, then the curvature's stencil about the best point,
    // moved inside the bounds where a step would leave them.
    std::vector<double> center(n), step(n);
    for (size_t i = 0; i < n; ++i) {
        step[i] = 1e-3 * (plan.High[i] - plan.Low[i]);
        center[i] = std::clamp(result.Fitted[i], plan.Low[i] + step[i], plan.High[i] - step[i]);
    }
    std::vector<std::vector<double>> points{plan.Own, center};
    auto moved = [&](size_t i, double si, size_t j, double sj) {
        std::vector<double> x = center;
        x[i] += si * step[i];
        if (j < n) x[j] += sj * step[j];
        return x;
    };
    for (size_t i = 0; i < n; ++i) {
        points.push_back(moved(i, 1, n, 0));
        points.push_back(moved(i, -1, n, 0));
    }
    for (size_t i = 0; i < n; ++i)
        for (size_t j = i + 1; j < n; ++j)
            for (const auto& [si, sj] : {std::pair{1, 1}, {1, -1}, {-1, 1}, {-1, -1}})
                points.push_back(moved(i, si, j, sj));
    std::vector<double> payoffs;
    const TAnalysisOutcome outcome = runner.EvaluatePoints(plan, points, payoffs, problem);
    result.CurvatureEvaluations = static_cast<int64_t>(points.size());
    result.Warnings = runner.Warnings();
    if (outcome != aoFinished) return outcome;

    result.PayoffBefore = payoffs[0];
    const double f0 = payoffs[1];
    std::vector<double> hessian(n * n, 0.0);
    size_t at = 2;
    for (size_t i = 0; i < n; ++i, at += 2)
        hessian[i * n + i] = (payoffs[at] - 2 * f0 + payoffs[at + 1]) / (step[i] * step[i]);
    for (size_t i = 0; i < n; ++i)
        for (size_t j = i + 1; j < n; ++j, at += 4) {
            const double h = (payoffs[at] - payoffs[at + 1] - payoffs[at + 2] + payoffs[at + 3]) /
                             (4 * step[i] * step[j]);
            hessian[i * n + j] = hessian[j * n + i] = h;
        }
    CurvatureIntervals(plan, result.Fitted, hessian, result.PayoffAfter, result);
    return aoFinished;
}

TAnalysisOutcome Calibrate(TCalibrationRunner& runner, const TCalibrationPlan& plan,
                           TCalibrationResult& result, TCalibrationObserver* observer,
                           std::string& problem) {
    const auto began = std::chrono::steady_clock::now();
    result = TCalibrationResult();
    std::vector<TStartResult> starts;
    TAnalysisOutcome outcome = runner.RunStarts(plan, 0, plan.Starts, starts, observer, problem);
    if (outcome == aoFinished)
        outcome = FinishCalibration(runner, plan, starts, result, problem);
    else {
        for (const TStartResult& start : starts)
            result.Evaluations += start.Evaluations;
        result.Warnings = runner.Warnings();
    }
    result.Seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - began).count();
    return outcome;
}

// ---------------------------------------------------------------------------------------------
// Texts

namespace {

bool ReadNumber(std::string_view text, double& value) {
    const std::string trimmed = Trim(text);
    return IsNumberText(trimmed) && TryStrToFloat(trimmed, value) && std::isfinite(value);
}

} // namespace

bool ParseFitText(std::string_view text, TFitParameter& parameter, std::string& problem) {
    const size_t equals = text.find('=');
    if (equals == std::string_view::npos) {
        problem = "write NAME=LOW..HIGH";
        return false;
    }
    const std::string name = Trim(text.substr(0, equals));
    if (name.empty()) {
        problem = "the constant's name is missing";
        return false;
    }
    const std::string_view range = text.substr(equals + 1);
    const size_t dots = range.find("..");
    if (dots == std::string_view::npos) {
        problem = "write the bounds as LOW..HIGH";
        return false;
    }
    TFitParameter read;
    read.Name = name;
    if (!ReadNumber(range.substr(0, dots), read.Low) ||
        !ReadNumber(range.substr(dots + 2), read.High)) {
        problem = "the bounds must be numbers";
        return false;
    }
    if (!(read.Low < read.High)) {
        problem = "the lower bound must be below the upper bound";
        return false;
    }
    parameter = std::move(read);
    return true;
}

bool ParseTargetText(std::string_view text, TFitTarget& target, std::string& problem) {
    const size_t equals = text.find('=');
    TFitTarget read;
    read.Name = Trim(text.substr(0, equals));
    if (read.Name.empty()) {
        problem = "the target's name is missing";
        return false;
    }
    if (equals != std::string_view::npos) {
        read.OwnWeight = true;
        if (!ReadNumber(text.substr(equals + 1), read.Weight) || !(read.Weight > 0)) {
            problem = "the weight must be a number above 0";
            return false;
        }
    }
    target = std::move(read);
    return true;
}

bool CalibrationMethodFromWord(std::string_view word, TCalibrationMethod& method) {
    const std::string lower = Lower(Trim(word));
    for (size_t m = 0; m < CalibrationMethodCount; ++m)
        if (lower == CalibrationMethodNames[m]) {
            method = static_cast<TCalibrationMethod>(m);
            return true;
        }
    return false;
}

std::string CalibrationNumber(double value) {
    if (std::isnan(value)) return "?";
    char buffer[64];
    const auto result =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, 6);
    return std::string(buffer, result.ptr);
}

std::vector<std::string> CalibrationResultRow(const TCalibrationPlan& plan,
                                              const TCalibrationResult& result, size_t i) {
    return {plan.Names[i], CalibrationNumber(result.Own[i]), ShortestFloatText(result.Fitted[i]),
            result.Identified[i] ? CalibrationNumber(result.IntervalLow[i]) + " .. " +
                                       CalibrationNumber(result.IntervalHigh[i])
                                 : std::string("not identified")};
}
