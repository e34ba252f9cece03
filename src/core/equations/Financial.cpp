#include "core/equations/Financial.h"

#include "core/model/SimulationObjects.h"
#include "core/support/NumberFormat.h"

#include <algorithm>
#include <cmath>

namespace {

struct TClock {
    double Time = 0, Start = 0, Step = 0, Stop = 0, Now = 0;
};

TClock ReadClock() {
    const TSimulationObject* sim = CurrentSimulation;
    if (!sim) return {};
    return {sim->CurrentTime, sim->StartTime, sim->TimeStep, sim->StopTime, sim->Now};
}

// The growth factor of a percentage rate raised to a number of periods.
TEvalFailure Growth(double rate, double periods, double& factor) {
    return Power(1 + rate / 100, periods, factor);
}

} // namespace

std::unique_ptr<TFinancialData> NewFinancialData(TFunctionIndex function) {
    switch (function) {
    case sgvNPV:
        return std::make_unique<TNPVData>();
    case sgvFV:
        return std::make_unique<TFVData>();
    case sgvPV:
        return std::make_unique<TPVData>();
    default:
        return nullptr;
    }
}

TEvalFailure EvaluateNPV(const TEquationFunction& f, TNPVData& s, double& result) {
    result = 0;
    const TClock c = ReadClock();
    const int32_t n = f.ParamCount();
    if (!s.Started) {
        if (n >= 5 && f.ParamNumber(4) - c.Time >= FloatTolerance) {
            result = s.Total;
            return efNone;
        }
        s.Started = true;
        s.StartedAt = c.Time;
        s.LastCashFlow = f.ParamNumber(0);
        const double period = n >= 3 ? f.ParamNumber(2) : 1.0;
        s.PeriodEnd = c.Time + period;
        if (n >= 4) s.Total = f.ParamNumber(3);
        result = s.Total;
        return efNone;
    }
    const double period = n >= 3 ? f.ParamNumber(2) : 1.0;
    // The period advances once the step that ends after the period end has been passed.
    if (s.PeriodEnd + c.Step - c.Time < FloatTolerance) s.PeriodEnd += period;
    double factor = 1;
    if (period != 0) {
        const double rate = f.ParamNumber(1);
        if (rate < -100 + FloatTolerance) {
            factor = 0;
        } else {
            double growth;
            const double periods = std::max(s.PeriodEnd - s.StartedAt, 0.0) / period;
            if (TEvalFailure e = Growth(rate, periods, growth)) return e;
            if (TEvalFailure e = CheckedDivide(1, growth, factor)) return e;
        }
    }
    const double total = s.Total + factor * s.LastCashFlow * c.Step;
    if (TEvalFailure e = CheckResult(total)) return e;
    s.Total = total;
    s.LastCashFlow = f.ParamNumber(0);
    result = s.Total;
    return efNone;
}

TEvalFailure EvaluateFV(const TEquationFunction& f, TFVData& s, double& result) {
    result = 0;
    const TClock c = ReadClock();
    const int32_t n = f.ParamCount();
    // Taken at the first evaluation of the run, so an element first evaluated after the start
    // time (inside an IF branch, say) still uses its own period and finish time.
    if (!s.FixedTaken || SameValue(c.Time, c.Start)) {
        s.FinishTime = n >= 6 ? f.ParamNumber(5) : c.Stop;
        s.Period = n >= 3 ? f.ParamNumber(2) : 1.0;
        s.FixedTaken = true;
    }
    const double periodsLeft =
        s.Period == 0 ? 0 : std::floor((s.FinishTime - c.Time) / s.Period + FloatTolerance);
    if (!s.Started) {
        const double start = n >= 5 ? f.ParamNumber(4) : c.Start;
        if (s.FinishTime - c.Time > FloatTolerance && start - c.Time < FloatTolerance) {
            double growth;
            if (TEvalFailure e = Growth(f.ParamNumber(1), periodsLeft, growth)) return e;
            double total = 0;
            if (n >= 4) {
                total = f.ParamNumber(3) * growth;
                if (TEvalFailure e = CheckResult(total)) return e;
            }
            s.Total = total;
            s.Started = true;
            s.LastCashFlow = f.ParamNumber(0);
        }
    } else {
        double growth;
        if (TEvalFailure e = Growth(f.ParamNumber(1), periodsLeft, growth)) return e;
        const double total = s.Total + s.LastCashFlow * c.Step * growth;
        if (TEvalFailure e = CheckResult(total)) return e;
        s.Total = total;
        s.LastCashFlow = f.ParamNumber(0);
    }
    // From the finish time on the total no longer changes.
    if (s.FinishTime - c.Time < FloatTolerance) s.Started = false;
    result = s.Total;
    return efNone;
}

TEvalFailure EvaluatePV(const TEquationFunction& f, TPVData& s, double& result) {
    result = 0;
    const TClock c = ReadClock();
    const int32_t n = f.ParamCount();
    // As for FV: taken at the first evaluation of the run.
    if (!s.FixedTaken || SameValue(c.Time, c.Start)) {
        s.PresentValueTime = n >= 4 ? f.ParamNumber(3) : c.Now;
        s.Period = n >= 3 ? f.ParamNumber(2) : 1.0;
        s.FixedTaken = true;
    }
    double total = s.Total;
    if (c.Time + FloatTolerance < s.PresentValueTime) {
        // Before the present-value time: compounded forward to it.
        const double periods =
            s.Period == 0 ? 0
                          : std::floor((s.PresentValueTime - c.Time) / s.Period + FloatTolerance);
        double growth;
        if (TEvalFailure e = Growth(f.ParamNumber(1), periods, growth)) return e;
        total = s.Total + s.LastCashFlow * c.Step * growth;
    } else {
        // At or after it: discounted back to it.
        const double periods =
            s.Period == 0 ? 0
                          : std::ceil((c.Time - s.PresentValueTime) / s.Period - FloatTolerance);
        const double rate = f.ParamNumber(1);
        if (rate > -100 + FloatTolerance) {
            double growth, added;
            if (TEvalFailure e = Growth(rate, periods, growth)) return e;
            if (TEvalFailure e = CheckedDivide(s.LastCashFlow * c.Step, growth, added)) return e;
            total = s.Total + added;
        }
    }
    if (TEvalFailure e = CheckResult(total)) return e;
    s.Total = total;
    s.LastCashFlow = f.ParamNumber(0);
    result = s.Total;
    return efNone;
}
