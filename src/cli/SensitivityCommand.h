#pragma once
// The sensitivity command in its steps, so that quorvane-mpi runs the very same command with
// the runs spread over processes: prepare on every process, run a share of the runs on each,
// gather the values into one process, write there.

#include "cli/CliCommands.h"
#include "core/analysis/Sensitivity.h"

#include <iosfwd>
#include <memory>

class QGuiApplication;
class TDataFile;

struct TSensitivityJob {
    TSensitivityJob();
    ~TSensitivityJob();
    TSensitivityJob(const TSensitivityJob&) = delete;
    TSensitivityJob& operator=(const TSensitivityJob&) = delete;

    std::unique_ptr<QGuiApplication> Application; // while a picture is to be painted
    std::unique_ptr<TDataFile> Document;
    TSensitivityPlan Plan;
    TSensitivityResults Results; // allocated for Plan
    TImageFormat PlotFormat = ifPng;
};

// Reads the options, loads and checks the model and plans its runs, with room for their
// values and none run. paints: whether this process will write the picture (it then needs
// a GUI application). Returns csSuccess, or the exit status with the reason on err.
int PrepareSensitivity(const TCliOptions& options, bool paints, std::ostream& err,
                       TSensitivityJob& job);
// Runs range's runs on jobs threads (options' --jobs, else defaultJobs). csModelErrors with
// the reason on err when the runs fail.
int RunSensitivity(const TCliOptions& options, int defaultJobs, const TSensitivityRange& range,
                   std::ostream& err, TSensitivityJob& job);
// Once every run is done: the warnings to err, the bands to their file or out, the runs'
// values and the picture when asked for.
int WriteSensitivity(const TCliOptions& options, std::ostream& out, std::ostream& err,
                     TSensitivityJob& job);
