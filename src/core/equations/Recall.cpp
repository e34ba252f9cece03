// INIT, PREVIOUS, HISTORY and TREND: functions that read back what the run has been. Each keeps
// a history in Table, recorded after every step as DELAY's is, so a run's reset empties it and
// stepping back cuts it the same way. A step reads only the points recorded before its own time,
// so evaluating again within a step, even after it was recorded, gives the same value, and the
// stages of RK2 and RK4 inside a step read what the whole steps before them recorded.
#include "core/equations/Arithmetic.h"
#include "core/equations/EquationObjects.h"
#include "core/model/SimulationObjects.h"
#include "core/support/NumberFormat.h"

#include <cmath>

namespace {

double ClockTime() {
    const TSimulationObject* sim = CurrentSimulation;
    return sim ? sim->CurrentTime : 0;
}

double ClockStep() {
    const TSimulationObject* sim = CurrentSimulation;
    return sim ? sim->TimeStep : 0;
}

// Inside a step of RK2 or RK4: histories hold whole steps only, so nothing is stored there.
bool InStage() {
    const TSimulationObject* sim = CurrentSimulation;
    return sim && sim->InStage;
}

// How many points of the history were recorded before time: all of them but one recorded at
// time itself (after the step, or by INIT during it).
size_t EarlierCount(const TDataSeries& history, double time) {
    if (std::isnan(time)) return 0;
    size_t n = history.Points.size();
    while (n > 0 && !(history.Points[n - 1].Time < time - FloatTolerance))
        --n;
    return n;
}

// The value at when, read from the first n points and the current value as a graph reads a
// series: linear between points, the first value before them, the current one from now on.
double ValueInHistory(const TDataSeries& history, size_t n, double time, double current,
                      double when) {
    if (n == 0 || std::isnan(when) || when >= time - FloatTolerance) return current;
    const TDataPoint& last = history.Points[n - 1];
    if (when > last.Time + FloatTolerance)
        return last.Value + (current - last.Value) * (when - last.Time) / (time - last.Time);
    return history.ValueAt(when);
}

} // namespace

namespace {

// TREND's average at the start: the input over (1 + initial trend x averaging time).
double StartAverage(TEquationFunction& trend, double input, double averagingTime) {
    const double divisor = 1 + trend.ParamNumber(2) * averagingTime;
    if (IsZero(divisor)) {
        trend.ReportError(EvalFailureMessage(efDivideByZero));
        return 0;
    }
    const double average = input / divisor;
    if (const TEvalFailure failure = CheckResult(average)) {
        trend.ReportError(EvalFailureMessage(failure));
        return 0;
    }
    return average;
}

// TREND's average at time. Its history holds, at each step's time, the average one step later,
// which is what that step's recording computed; the first point, one step before the start,
// holds the start average. Between steps the average moves in a straight line, as a resource
// does.
double AverageAt(TEquationFunction& trend, double time, double input, double averagingTime) {
    TDataSeries& history = *trend.Table;
    const size_t n = EarlierCount(history, time);
    if (n == 0) {
        const double average = StartAverage(trend, input, averagingTime);
        if (history.IsEmpty() && !InStage()) history.AddPoint(time - ClockStep(), average);
        return average;
    }
    const TDataPoint& last = history.Points[n - 1];
    const double step = ClockStep();
    const double part = step > 0 ? (time - last.Time) / step : 1;
    if (n == 1 || !(part < 1 - FloatTolerance)) return last.Value;
    const double before = history.Points[n - 2].Value;
    return before + (last.Value - before) * part;
}

} // namespace

double TEquationFunction::ComputeRecalled() {
    if (!Table) Table = std::make_unique<TDataSeries>();
    TDataSeries& history = *Table;
    const double time = ClockTime();
    switch (FunctionIndex) {
    case sgvINIT:
        // Taken by the first evaluation of the run, or else by the recording of its first step.
        if (history.IsEmpty()) {
            const double start = ParamNumber(0);
            if (InStage()) return start;
            history.AddPoint(time, start);
        }
        return history.Points.front().Value;
    case sgvPREVIOUS: {
        const size_t n = EarlierCount(history, time);
        return n > 0 ? history.Points[n - 1].Value : ParamNumber(1);
    }
    case sgvHISTORY: {
        const double current = ParamNumber(0);
        const double when = ParamNumber(1);
        return ValueInHistory(history, EarlierCount(history, time), time, current, when);
    }
    case sgvTREND: {
        const double input = ParamNumber(0);
        const double averagingTime = ParamNumber(1);
        const double average = AverageAt(*this, time, input, averagingTime);
        if (IsZero(averagingTime)) {
            ReportError(EvalFailureMessage(efDivideByZero));
            return 0;
        }
        // No trend of an average of zero.
        if (IsZero(average)) return 0;
        return (input - average) / (averagingTime * std::fabs(average));
    }
    default:
        return 0;
    }
}

void TEquationFunction::RecordRecalled(double time) {
    if (!Table) Table = std::make_unique<TDataSeries>();
    TDataSeries& history = *Table;
    switch (FunctionIndex) {
    case sgvINIT:
        if (history.IsEmpty()) history.AddPoint(time, ParamNumber(0));
        break;
    case sgvPREVIOUS:
    case sgvHISTORY:
        history.AddPoint(time, ParamNumber(0));
        break;
    case sgvTREND: {
        // One Euler step of the smooth, as a resource with the inflow
        // (input - average) / averaging time would take it.
        const double input = ParamNumber(0);
        const double averagingTime = ParamNumber(1);
        const double average = AverageAt(*this, time, input, averagingTime);
        double change = 0;
        if (IsZero(averagingTime)) {
            ReportError(EvalFailureMessage(efDivideByZero));
        } else {
            change = (input - average) / averagingTime;
            if (const TEvalFailure failure = CheckResult(change)) {
                ReportError(EvalFailureMessage(failure));
                change = 0;
            }
        }
        double next = average + ClockStep() * change;
        if (const TEvalFailure failure = CheckResult(next)) {
            ReportError(EvalFailureMessage(failure));
            next = 0;
        }
        history.AddPoint(time, next);
        break;
    }
    default:
        break;
    }
}
