// Value and time ticks of a graph, as formatted numbers.
#include "core/support/NumberFormat.h"
#include "document/output/GraphDrawing.h"
#include "document/output/GraphLabelRules.h"

#include <cmath>

namespace {

double Frac(double x) {
    return x - std::trunc(x);
}

std::string ValueTickText(double value) {
    return FormatFloat(value > 100000 ? "0.00E+00" : "0.##", value);
}

std::string TimeTickText(double value) {
    return FormatFloat("#0.#####", value);
}

struct TStepTable {
    double T0, T1, T2, T3;
};

TStepTable StepTableOf(const std::string& unit) {
    if (unit == "Hours") return {1, 6, 12, 12};
    if (unit == "Weeks") return {1, 4, 5, 10};
    if (unit == "Months") return {1, 3, 6, 12};
    if (unit == "Quarters") return {1, 2, 4, 4};
    return {1, 2, 5, 10}; // "Days", "Years" and any other name
}

} // namespace

TTickList CalcValueTicks(double max, double min) {
    TTickList ticks;
    // Infinite or missing limits have nothing to label (NaN fails the comparison too).
    if (!(max > min) || !std::isfinite(max) || !std::isfinite(min)) return ticks;
    const double range = max - min;
    double step = 0;
    if (std::isfinite(range)) {
        const int32_t k = TruncToInt(std::log10(range));
        const double power = std::pow(10.0, k);
        double m = 10;
        for (double candidate : {1.0, 2.0, 5.0})
            if (candidate * power >= range) {
                m = candidate;
                break;
            }
        step = m * std::pow(10.0, k - 1);
    }
    ticks.push_back(ValueTickText(min));
    // A range too small (or too large) for a usable step: just the two limits.
    if (!std::isfinite(step) || step <= 0) {
        ticks.push_back(ValueTickText(max));
        return ticks;
    }
    double first = min;
    if (!IsZero(Frac(min / step))) {
        first = std::trunc(min / step) * step;
        if (min < 0) first -= step;
    }
    // Below the tolerance the loop would run on for ages, so the count is capped.
    for (int32_t i = 1; i <= MaxTickCount; ++i) {
        const double tick = first + i * step;
        if (!(max + FloatTolerance > tick)) break;
        ticks.push_back(ValueTickText(tick));
    }
    ticks.push_back(ValueTickText(max));
    return ticks;
}

TTickList CalcTimeTicks(const std::string& timeUnit, const TTickList* fixedTicks, double max,
                        double min) {
    TTickList ticks;
    if (fixedTicks && fixedTicks->size() < 11) {
        if (!fixedTicks->empty()) ticks.assign(fixedTicks->begin() + 1, fixedTicks->end());
        return ticks;
    }
    if (!std::isfinite(min)) return ticks;
    ticks.push_back(TimeTickText(min));
    // No span to divide (the lookup editor can pass an increment of 0): the start alone.
    if (!std::isfinite(max) || !(max > min)) return ticks;
    const double range = max - min;
    if (!std::isfinite(range)) return ticks;
    const TStepTable table = StepTableOf(timeUnit);
    double base = table.T3;
    for (double candidate : {table.T0, table.T1, table.T2})
        if (candidate * 10 >= range) {
            base = candidate;
            break;
        }
    if (range <= 1) base /= 10;
    const double step = std::ceil(range / base / 10) * base;
    if (!std::isfinite(step) || step <= 0) return ticks;
    double first = min;
    if (!IsZero(Frac(min / base))) {
        first = std::trunc(min / step) * step;
        if (min < 0) first -= step;
    }
    for (int32_t i = 1; i <= MaxTickCount; ++i) {
        const double tick = first + i * step;
        if (!(max + FloatTolerance >= tick)) break;
        ticks.push_back(TimeTickText(tick));
    }
    return ticks;
}
