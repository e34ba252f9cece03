#pragma once
// quorvane-cli: headless runs, checks, listings and upgrades of model files. The logic
// lives here so that the tests call it directly; the executable only forwards its
// arguments.

#include "model/SimulationObjects.h"

class TDataFile;

#include <cstdint>
#include <iosfwd>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

// Exit statuses of the tool.
enum TCliStatus : int {
    csSuccess = 0,
    csModelErrors = 1, // the model check failed, or the run cannot be done
    csBadUsage = 2,
    csFileError = 3, // a file could not be read (or written)
};

// args: the arguments after the program name.
int RunCli(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

// The text of the help (--help).
std::string CliUsage();
// Reports a usage problem with the pointer to --help; returns csBadUsage.
int CliUsageError(std::ostream& err, const std::string& problem);

inline constexpr int64_t DefaultMaxSteps = 1000000;

// Loads a model for a command and, with run, checks it and runs it to its stop time,
// reporting load failures, check messages and evaluation warnings to err. Returns
// csSuccess with document set, or the status the command should exit with. offsets, when
// given, receives the time offsets of the run's steps.
int LoadModelForCli(const std::string& fileName, bool run, int64_t maxSteps, std::ostream& err,
                    std::unique_ptr<TDataFile>& document, std::vector<double>* offsets = nullptr);

// Runs the model as the program's Run does, from reset until finished, after a
// successful check. Returns the time offsets of the computed steps (the times of the
// Simulated series). At most maxSteps steps are taken; more would be refused before
// starting with an empty result and tooLong set.
std::vector<double> RunToEnd(TSimulationObject& simulation, int64_t maxSteps, bool& tooLong);

// The number of steps a run from start to stop takes; at least 1.
int64_t ExpectedStepCount(const TSimulationObject& simulation);

// A CSV of the Simulated series: Time (start time + offset), then one column per element
// in model order. Numbers with '.' and the shortest digits that read back exactly.
void WriteResultsCsv(const TSimulationObject& simulation, const std::vector<double>& offsets,
                     std::ostream& out);

// A field quoted when it holds a comma, a quote or a line break.
std::string CsvField(std::string_view text);
// The shortest text that reads back as exactly this double.
std::string ShortestFloatText(double value);

// The equation column of the equations listing: for a Resource its initial value and the
// flows that fill and drain it, for the rest the equation on one line.
std::string EquationColumn(const TVariableObject& element);

// The model-check messages, each "... has equation errors" followed by the parser's own
// messages for that element indented by two spaces. Runs the check.
std::vector<std::string> ModelCheckReport(TSimulationObject& simulation, bool& ok);

// The time settings and one line per element (name, type, units, equation column).
void WriteModelInfo(const TSimulationObject& simulation, std::ostream& out);

// Writes the example models into folder; returns the paths written.
std::vector<std::string> WriteExampleModels(const std::string& folder);
