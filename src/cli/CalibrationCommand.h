#pragma once
// The calibrate command in its steps, so that quorvane-mpi runs the very same command with its
// starts spread over processes: prepare on every process, run a share of the starts on each,
// gather them into one process, finish and report there.

#include "cli/CliCommands.h"
#include "core/analysis/Calibration.h"

#include <iosfwd>
#include <memory>

class TDataFile;

struct TCalibrationJob {
    TCalibrationJob();
    ~TCalibrationJob();
    TCalibrationJob(const TCalibrationJob&) = delete;
    TCalibrationJob& operator=(const TCalibrationJob&) = delete;

    std::unique_ptr<TDataFile> Document;
    TCalibrationSetUp SetUp;
    TCalibrationPlan Plan;
};

// Reads the options, loads and checks the model and plans the calibration. Returns
// csSuccess, or the exit status with the reason on err.
int PrepareCalibration(const TCliOptions& options, std::ostream& err, TCalibrationJob& job);
// Once the calibration is finished: its warnings to err, the table to out, the fitted model
// to --out. Returns the exit status (csNotConverged when the best start did not converge).
int ReportCalibration(const TCliOptions& options, const TCalibrationResult& result,
                      std::ostream& out, std::ostream& err, TCalibrationJob& job);
