#pragma once
// Running a model from reset to its stop time in one go, without a timer: the command-line
// tool's run and render, and anything else that wants a finished run.

#include "core/model/SimulationObjects.h"

#include <cstdint>
#include <vector>

inline constexpr int64_t DefaultMaxSteps = 1000000;

// The number of steps a run from start to stop takes; at least 1.
int64_t ExpectedStepCount(const TSimulationObject& simulation);

// Runs the model as the program's Run does, from reset until finished, after a
// successful check. Returns the time offsets of the computed steps (the times of the
// Simulated series). At most maxSteps steps are taken; more would be refused before
// starting with an empty result and tooLong set.
std::vector<double> RunToEnd(TSimulationObject& simulation, int64_t maxSteps, bool& tooLong);

// The offsets RunToEnd would give, from the run's clock alone, without running the model.
std::vector<double> RunStepOffsets(const TSimulationObject& simulation, int64_t maxSteps,
                                   bool& tooLong);
