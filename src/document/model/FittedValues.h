#pragma once
// Calibrate's "Apply": the fitted values become the parameters' equations, as one undoable
// edit of the document.

#include <string>
#include <vector>

class TDataFile;
struct TCalibrationPlan;

// The text a fitted value is written as: the shortest that reads back as the same number.
std::string FittedValueText(double value);

// Writes values (one per parameter of plan) into the parameters' equations as one edit
// (undo snapshot, modified mark, model check). False, changing nothing, when no value differs
// from the equation there or an element is gone.
bool ApplyFittedValues(TDataFile& document, const TCalibrationPlan& plan,
                       const std::vector<double>& values);
