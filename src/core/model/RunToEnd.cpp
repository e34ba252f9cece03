#include "core/model/RunToEnd.h"

#include "core/support/NumberFormat.h"

#include <cmath>
#include <limits>

int64_t ExpectedStepCount(const TSimulationObject& simulation) {
    const double start = simulation.StartTime, stop = simulation.StopTime;
    const double step = simulation.TimeStep;
    if (!std::isfinite(start) || !std::isfinite(stop) || !std::isfinite(step) || !(step > 0) ||
        !(stop - start > FloatTolerance))
        return 1;
    // The run ends at the first step within the tolerance of the stop time or beyond it.
    const double steps = std::ceil((stop - start - FloatTolerance) / step) + 1;
    if (!(steps < 9e18)) return std::numeric_limits<int64_t>::max();
    return static_cast<int64_t>(steps);
}

std::vector<double> RunToEnd(TSimulationObject& simulation, int64_t maxSteps, bool& tooLong) {
    tooLong = ExpectedStepCount(simulation) > maxSteps;
    std::vector<double> offsets;
    if (tooLong) return offsets;
    offsets.reserve(static_cast<size_t>(ExpectedStepCount(simulation)));
    simulation.Reset();
    // The count above is exact up to rounding of the clock; the margin covers that.
    while (!simulation.IsFinished()) {
        if (static_cast<int64_t>(offsets.size()) > maxSteps + 1) {
            tooLong = true;
            break;
        }
        simulation.Step();
        offsets.push_back(simulation.CurrentTime - simulation.StartTime);
    }
    return offsets;
}
