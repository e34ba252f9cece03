// sensitivity: many runs of the model with its constants drawn from their sources, the
// bands of the outputs as CSV, each run's values, and a picture of the bands.
#include "cli/CliCommands.h"
#include "cli/SensitivityCommand.h"

#include "core/analysis/SensitivityCsv.h"
#include "core/support/NumberFormat.h"
#include "document/model/DataFile.h"
#include "document/output/BandGraph.h"

#include <QtCore/QBuffer>
#include <QtGui/QGuiApplication>

#include <new>
#include <ostream>

namespace {

int WritePlot(const TSensitivityPlan& plan, const TSensitivityResults& results,
              const TDataFile& document, const std::string& fileName, TImageFormat format,
              std::ostream& err) {
    const TBandGraphData data = MakeBandGraphData(plan, results, 0, document.Simulation->TimeUnit);
    QBuffer bytes;
    bytes.open(QIODevice::WriteOnly);
    const TPictureFormat formats[] = {pfPng, pfSvg, pfPdf};
    const TPictureResult result =
        WriteBandGraphPicture(data, formats[format], BandPictureWidth, BandPictureHeight,
                              QString::fromStdString(data.Output), bytes);
    if (result != prPainted) return CliWriteError(err, fileName, "painting failed");
    const QByteArray& picture = bytes.data();
    return WriteCliFile(fileName, err,
                        [&](std::ostream& out) { out.write(picture.constData(), picture.size()); });
}

} // namespace

TSensitivityJob::TSensitivityJob() = default;
TSensitivityJob::~TSensitivityJob() = default;

int PrepareSensitivity(const TCliOptions& options, bool paints, std::ostream& err,
                       TSensitivityJob& job) {
    if (!options.PlotFile.empty() && !ImageFormatOf(options.PlotFile, job.PlotFormat))
        return CliUsageError(err, "the --plot file must end in .png, .svg or .pdf");
    std::vector<TVariedElement> varied;
    for (const std::string& text : options.Varies) {
        TVariedElement element;
        std::string problem;
        if (!ParseVaryText(text, element, problem))
            return CliUsageError(err, "--vary '" + text + "': " + problem);
        varied.push_back(std::move(element));
    }
    if (paints && !options.PlotFile.empty()) job.Application = EnsureGuiApplication();

    const std::string& modelFile = options.Files[0];
    int status = LoadModelForCli(modelFile, false, options.MaxSteps, err, job.Document);
    if (status != csSuccess) return status;
    TSimulationObject& simulation = *job.Document->Simulation;

    TSensitivitySetUp setUp = simulation.Sensitivity;
    if (!varied.empty()) {
        setUp.Varied = std::move(varied);
    } else if (setUp.Varied.empty()) {
        err << "quorvane-cli: " << modelFile
            << " has no sensitivity set-up; say what varies with --vary 'NAME=SOURCE'\n";
        return csBadUsage;
    }
    if (!options.Outputs.empty()) setUp.Outputs = options.Outputs;
    if (options.Runs > 0) setUp.Runs = options.Runs;
    if (options.Seed >= 0) setUp.Seed = options.Seed;
    if (!options.Method.empty()) SamplingMethodFromWord(options.Method, setUp.Method);

    status = CheckModelForCli(simulation, err);
    if (status != csSuccess) return status;
    if (ExpectedStepCount(simulation) > options.MaxSteps) {
        err << "quorvane-cli: the run would take " << ExpectedStepCount(simulation)
            << " steps, more than the limit of " << options.MaxSteps
            << "; raise it with --max-steps\n";
        return csModelErrors;
    }
    const std::string problem = PlanSensitivity(simulation, setUp, options.MaxSteps, job.Plan);
    if (!problem.empty()) {
        err << "quorvane-cli: " << problem << '\n';
        return csBadUsage;
    }
    try {
        job.Results.Allocate(job.Plan);
    } catch (const std::bad_alloc&) {
        err << "quorvane-cli: not enough memory to keep the analysis's results\n";
        return csModelErrors;
    }
    return csSuccess;
}

int RunSensitivity(const TCliOptions& options, int defaultJobs, const TSensitivityRange& range,
                   std::ostream& err, TSensitivityJob& job) {
    TSensitivityRunner runner(*job.Document->Simulation,
                              options.Jobs > 0 ? options.Jobs : defaultJobs);
    std::string failure;
    if (runner.Run(job.Plan, job.Results, range, nullptr, failure) != aoFinished) {
        err << "quorvane-cli: the analysis failed: " << failure << '\n';
        return csModelErrors;
    }
    return csSuccess;
}

int WriteSensitivity(const TCliOptions& options, std::ostream& out, std::ostream& err,
                     TSensitivityJob& job) {
    const TSensitivityPlan& plan = job.Plan;
    const TSensitivityResults& results = job.Results;
    for (const TAnalysisWarning& warning : results.Warnings)
        err << ForTerminal(AnalysisWarningText(warning, plan.Runs)) << '\n';

    if (options.HasCsv) {
        const int status = WriteCliFile(
            options.CsvFile, err, [&](std::ostream& file) { WriteBandsCsv(plan, results, file); });
        if (status != csSuccess) return status;
    } else {
        WriteBandsCsv(plan, results, out);
        out.flush();
    }
    if (!options.RunsCsvFile.empty()) {
        const int status = WriteCliFile(options.RunsCsvFile, err, [&](std::ostream& file) {
            WriteRunsCsv(plan, results, file);
        });
        if (status != csSuccess) return status;
    }
    if (!options.PlotFile.empty())
        return WritePlot(plan, results, *job.Document, options.PlotFile, job.PlotFormat, err);
    return csSuccess;
}

int CommandSensitivity(const TCliOptions& options, std::ostream& out, std::ostream& err) {
    TSensitivityJob job;
    int status = PrepareSensitivity(options, true, err, job);
    if (status == csSuccess)
        status = RunSensitivity(options, DefaultAnalysisJobs(), TSensitivityRange(), err, job);
    if (status == csSuccess) status = WriteSensitivity(options, out, err, job);
    return status;
}
