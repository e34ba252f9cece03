#pragma once
// Texts about a model that the command-line tool and the program both show: the equation
// column of the equations listing and the model-check report.

#include "core/model/SimulationObjects.h"

#include <string>
#include <vector>

// The text on one line: CR becomes a blank and LF goes, as listings show multi-line texts.
std::string OneLine(const std::string& text);

// The equation column of the equations listing: for a Resource its initial value and the
// flows that fill and drain it (`init(100) ; + Births * dt - Deaths * dt`), for the rest
// the equation on one line.
std::string EquationColumn(const TVariableObject& element);
// The element's kind name, with " (non-negative)" for a non-negative Resource or Flow.
std::string ElementTypeText(const TVariableObject& element);

// The model-check messages, each "... has equation errors" followed by the parser's own
// messages for that element indented by two spaces. Runs the check; ok tells its result.
std::vector<std::string> ModelCheckReport(TSimulationObject& simulation, bool& ok);
