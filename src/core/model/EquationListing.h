#pragma once
// The rows of the equations listing: one per element in the chosen order.

#include "core/model/SimulationObjects.h"

#include <array>
#include <string>
#include <vector>

enum TEquationSortOrder : int { esoName = 0, esoType = 1, esoCalculationOrder = 2 };

// Name, type, units, equation column and notes (on one line) of every element: by name
// ignoring case, by type and then name, or in calculation order (as of the last check).
std::vector<std::array<std::string, 5>> EquationRows(const TSimulationObject& simulation,
                                                     TEquationSortOrder order);
