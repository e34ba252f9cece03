#pragma once
// quorvane-cli: headless runs, checks, listings and upgrades of model files. The logic
// lives here so that the tests call it directly; the executable only forwards its
// arguments.

#include "core/model/Listings.h"
#include "core/model/RunToEnd.h"
#include "core/model/SimulationObjects.h"

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

// Loads a model for a command and, with run, checks it and runs it to its stop time,
// reporting load failures, check messages and evaluation warnings to err. Returns
// csSuccess with document set, or the status the command should exit with. offsets, when
// given, receives the time offsets of the run's steps.
int LoadModelForCli(const std::string& fileName, bool run, int64_t maxSteps, std::ostream& err,
                    std::unique_ptr<TDataFile>& document, std::vector<double>* offsets = nullptr);

// A CSV of the Simulated series: Time (start time + offset), then one column per element
// in model order. Numbers with '.' and the shortest digits that read back exactly.
void WriteResultsCsv(const TSimulationObject& simulation, const std::vector<double>& offsets,
                     std::ostream& out);

// A field quoted when it holds a comma, a quote or a line break.
std::string CsvField(std::string_view text);
// The shortest text that reads back as exactly this double.
std::string ShortestFloatText(double value);

// The time settings and one line per element (name, type, units, equation column).
void WriteModelInfo(const TSimulationObject& simulation, std::ostream& out);

// Writes the example models into folder; returns the paths written.
std::vector<std::string> WriteExampleModels(const std::string& folder);
