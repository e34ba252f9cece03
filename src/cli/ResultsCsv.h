#pragma once
// The results of a run as CSV: run --csv and run to standard output.

#include "core/model/SimulationObjects.h"
#include "core/support/CsvText.h"

#include <iosfwd>
#include <vector>

// A CSV of the Simulated series: Time (start time + offset), then one column per element
// in model order, one row per offset. Numbers with '.' and the shortest digits that read
// back exactly. The value of a cell is the series' ValueAt(offset).
void WriteResultsCsv(const TSimulationObject& simulation, const std::vector<double>& offsets,
                     std::ostream& out);
