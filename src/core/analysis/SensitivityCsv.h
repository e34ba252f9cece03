#pragma once
// An analysis's results as CSV, numbers written as the run command writes them.

#include "core/analysis/Sensitivity.h"

#include <iosfwd>

// A Time column, then for each output O the columns "O min", "O p2.5", "O p12.5", "O p25",
// "O median", "O p75", "O p87.5", "O p97.5", "O max", "O mean"; one row per step.
void WriteBandsCsv(const TSensitivityPlan& plan, const TSensitivityResults& results,
                   std::ostream& out);
// "Run" (from 1), a column per varied element with its sampled value, then "O final" per
// output; one row per run done.
void WriteRunsCsv(const TSensitivityPlan& plan, const TSensitivityResults& results,
                  std::ostream& out);
