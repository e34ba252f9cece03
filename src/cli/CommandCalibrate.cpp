// calibrate: the constants for which the model reproduces its observed data best, printed
// as a table with their intervals, and optionally written into a copy of the model.
#include "cli/CalibrationCommand.h"
#include "cli/CliCommands.h"

#include "core/analysis/Calibration.h"
#include "document/mdl/Mdl.h"
#include "document/model/DataFile.h"
#include "document/model/FittedValues.h"

#include <algorithm>
#include <ostream>

namespace {

void WriteRow(std::ostream& out, const std::vector<std::string>& cells,
              const std::vector<size_t>& widths) {
    std::string line;
    for (size_t c = 0; c < cells.size(); ++c) {
        line += cells[c];
        if (c + 1 < cells.size()) line += std::string(widths[c] + 2 - cells[c].size(), ' ');
    }
    out << line << '\n';
}

} // namespace

void WriteCalibrationTable(const TCalibrationPlan& plan, const TCalibrationResult& result,
                           std::ostream& out) {
    std::vector<std::vector<std::string>> rows{{"Parameter", "Start", "Fitted", "95% interval"}};
    for (size_t i = 0; i < plan.Parameters(); ++i)
        rows.push_back(CalibrationResultRow(plan, result, i));
    std::vector<size_t> widths(4, 0);
    for (const auto& row : rows)
        for (size_t c = 0; c < row.size(); ++c)
            widths[c] = std::max(widths[c], row[c].size());
    for (const auto& row : rows)
        WriteRow(out, row, widths);
    out << "Payoff before: " << CalibrationNumber(result.PayoffBefore) << '\n'
        << "Payoff after: " << CalibrationNumber(result.PayoffAfter) << '\n'
        << "Evaluations: " << result.Evaluations << " (and " << result.CurvatureEvaluations
        << " for the intervals)\n"
        << "Time: " << CalibrationNumber(result.Seconds) << " s\n";
}

TCalibrationJob::TCalibrationJob() = default;
TCalibrationJob::~TCalibrationJob() = default;

int PrepareCalibration(const TCliOptions& options, std::ostream& err, TCalibrationJob& job) {
    TCalibrationSetUp& setUp = job.SetUp;
    for (const std::string& text : options.Fits) {
        TFitParameter parameter;
        std::string problem;
        if (!ParseFitText(text, parameter, problem))
            return CliUsageError(err, "--fit '" + text + "': " + problem);
        setUp.Parameters.push_back(std::move(parameter));
    }
    if (setUp.Parameters.empty())
        return CliUsageError(err, "calibrate needs at least one --fit 'NAME=LOW..HIGH'");
    for (const std::string& text : options.Targets) {
        TFitTarget target;
        std::string problem;
        if (!ParseTargetText(text, target, problem))
            return CliUsageError(err, "--target '" + text + "': " + problem);
        setUp.Targets.push_back(std::move(target));
    }
    if (!options.Method.empty()) CalibrationMethodFromWord(options.Method, setUp.Method);
    if (options.MaxEvaluations > 0) setUp.MaxEvaluations = options.MaxEvaluations;
    if (options.Starts > 0) setUp.Starts = options.Starts;
    if (options.Seed >= 0) setUp.Seed = static_cast<uint32_t>(options.Seed);
    if (options.HasTolerance) setUp.Tolerance = options.Tolerance;
    if (!options.OutFile.empty() && IsImportFileName(options.OutFile))
        return CliUsageError(err,
                             "calibrate writes a Quorvane model (.qvf), not " + options.OutFile);

    int status = LoadModelForCli(options.Files[0], false, DefaultMaxSteps, err, job.Document);
    if (status != csSuccess) return status;
    TSimulationObject& simulation = *job.Document->Simulation;
    status = CheckModelForCli(simulation, err);
    if (status != csSuccess) return status;

    std::string problem;
    const TCalibrationProblem refused = PlanCalibration(simulation, setUp, job.Plan, problem);
    if (refused == cpArguments) return CliUsageError(err, problem);
    if (refused == cpNoData) {
        err << "quorvane-cli: " << problem << '\n';
        return csModelErrors;
    }
    return csSuccess;
}

int ReportCalibration(const TCliOptions& options, const TCalibrationResult& result,
                      std::ostream& out, std::ostream& err, TCalibrationJob& job) {
    for (const std::string& warning : result.Warnings)
        err << ForTerminal(warning) << '\n';
    WriteCalibrationTable(job.Plan, result, out);
    if (result.Converged)
        out << "Converged\n";
    else
        out << "Not converged: the optimiser stopped after " << job.SetUp.MaxEvaluations
            << " evaluations; raise --max-evals\n";

    if (!options.OutFile.empty()) {
        ApplyFittedValues(*job.Document, job.Plan, result.Fitted);
        const int saved = SaveModelForCli(*job.Document, options.OutFile, err);
        if (saved != csSuccess) return saved;
    }
    return result.Converged ? csSuccess : csNotConverged;
}

int CommandCalibrate(const TCliOptions& options, std::ostream& out, std::ostream& err) {
    TCalibrationJob job;
    const int status = PrepareCalibration(options, err, job);
    if (status != csSuccess) return status;
    TCalibrationRunner runner(*job.Document->Simulation,
                              options.Jobs > 0 ? options.Jobs : DefaultAnalysisJobs());
    TCalibrationResult result;
    std::string problem;
    if (Calibrate(runner, job.Plan, result, nullptr, problem) != aoFinished) {
        err << "quorvane-cli: the calibration failed: " << problem << '\n';
        return csModelErrors;
    }
    return ReportCalibration(options, result, out, err, job);
}
