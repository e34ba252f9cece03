#pragma once
// The commands of quorvane-cli and what they share. Cli.cpp parses the arguments into
// TCliOptions and calls the command; each command lives in its own Command*.cpp.

#include "cli/Cli.h"
#include "core/model/RunToEnd.h"

#include <cstdint>
#include <functional>
#include <iosfwd>
#include <memory>
#include <string>
#include <vector>

class QGuiApplication;
class TDataFile;

// The arguments, as the parser understood them.
struct TCliOptions {
    std::string Command;
    std::vector<std::string> Files; // the arguments after the command that are no option
    bool HasCsv = false;            // run and sensitivity --csv FILE
    std::string CsvFile;
    int64_t MaxSteps = DefaultMaxSteps; // run and sensitivity --max-steps N
    std::vector<std::string> Sets;      // run --set NAME=VALUE, in order
    // sensitivity: what the command line changes of the model's stored set-up.
    std::vector<std::string> Varies;  // --vary NAME=SOURCE, in order
    std::vector<std::string> Outputs; // --output NAME, in order
    int32_t Runs = 0;                 // --runs N; 0 when not given
    int32_t Seed = -1;                // --seed S; -1 when not given
    int32_t Jobs = 0;                 // --jobs J; 0: one per core
    std::string Method;               // --method random|lhs|grid (calibrate: its optimisers)
    std::string RunsCsvFile;          // --runs-csv FILE
    std::string PlotFile;             // --plot PICTURE
    double Zoom = 100;                // render --zoom PERCENT
    bool Run = false;                 // render --run
    bool DropUnsupported = false;     // export --drop-unsupported
    // calibrate
    std::vector<std::string> Fits;    // --fit NAME=LOW..HIGH, in order
    std::vector<std::string> Targets; // --target NAME[=WEIGHT], in order
    int64_t MaxEvaluations = 0;       // --max-evals N; 0 when not given
    int32_t Starts = 0;               // --starts K; 0 when not given
    bool HasTolerance = false;        // --tolerance T
    double Tolerance = 0;
    std::string OutFile; // --out FITTED.qvf
};

// Reads args into options; returns the first problem, or an empty text.
std::string ParseCliArguments(const std::vector<std::string>& args, TCliOptions& options);
// What RunCli refuses in parsed options before running the command (an unknown command,
// missing or extra files, an option of another command); empty when none.
std::string CliCommandProblem(const TCliOptions& options);

int CommandRun(const TCliOptions& options, std::ostream& out, std::ostream& err);
int CommandSensitivity(const TCliOptions& options, std::ostream& out, std::ostream& err);
int CommandCheck(const TCliOptions& options, std::ostream& out, std::ostream& err);
int CommandInfo(const TCliOptions& options, std::ostream& out, std::ostream& err);
int CommandUpgrade(const TCliOptions& options, std::ostream& out, std::ostream& err);
int CommandRender(const TCliOptions& options, std::ostream& out, std::ostream& err);
int CommandMakeExamples(const TCliOptions& options, std::ostream& out, std::ostream& err);
int CommandImport(const TCliOptions& options, std::ostream& out, std::ostream& err);
int CommandExport(const TCliOptions& options, std::ostream& out, std::ostream& err);
int CommandImportData(const TCliOptions& options, std::ostream& out, std::ostream& err);
int CommandCalibrate(const TCliOptions& options, std::ostream& out, std::ostream& err);

struct TCalibrationPlan;
struct TCalibrationResult;
// calibrate's table: name, start, fitted value and interval per parameter, then the payoffs,
// evaluations and time.
void WriteCalibrationTable(const TCalibrationPlan& plan, const TCalibrationResult& result,
                           std::ostream& out);

// Reports a usage problem with the pointer to --help; returns csBadUsage.
int CliUsageError(std::ostream& err, const std::string& problem);
// Reports an output file that could not be written, with the system's reason; returns
// csFileError.
int CliWriteError(std::ostream& err, const std::string& fileName, const std::string& reason);
// Writes fileName whole with write, or not at all (reported as CliWriteError does).
int WriteCliFile(const std::string& fileName, std::ostream& err,
                 const std::function<void(std::ostream&)>& write);
// Messages of the program use CR LF; a terminal wants LF.
std::string ForTerminal(const std::string& text);

// Loads a model for a command (an XMILE file, by its extension, is imported) and, with run,
// checks it and runs it to its stop time,
// reporting load failures, check messages and evaluation warnings to err. Returns
// csSuccess with document set, or the status the command should exit with. offsets, when
// given, receives the time offsets of the run's steps.
int LoadModelForCli(const std::string& fileName, bool run, int64_t maxSteps, std::ostream& err,
                    std::unique_ptr<TDataFile>& document, std::vector<double>* offsets = nullptr,
                    const std::vector<std::string>& sets = {});
// Saves document as target; csFileError, said on err, when it cannot be written.
int SaveModelForCli(TDataFile& document, const std::string& target, std::ostream& err);
// Checks a loaded model, reporting as LoadModelForCli does; csSuccess when it can run.
int CheckModelForCli(TSimulationObject& simulation, std::ostream& err);
// Gives plain-number elements the values of "NAME=VALUE" texts, as if typed as their
// equations. csBadUsage with the reason on err for an unknown element, one whose equation is
// not a plain number, or a value that is not a number.
int ApplySetsForCli(TSimulationObject& simulation, const std::vector<std::string>& sets,
                    std::ostream& err);

// Imports an XMILE file, its warnings and any failure on err. A refused construct is
// csModelErrors, an unreadable or malformed file csFileError.
int ImportXmileForCli(const std::string& fileName, std::ostream& err,
                      std::unique_ptr<TDataFile>& document);

// The time settings and one line per element (name, type, units, equation column).
void WriteModelInfo(const TSimulationObject& simulation, std::ostream& out);

// Writes the example models into folder; returns the paths written.
std::vector<std::string> WriteExampleModels(const std::string& folder);

// render: the picture formats, chosen by the file's extension (case ignored); false for
// any other.
enum TImageFormat { ifPng, ifSvg, ifPdf };
bool ImageFormatOf(const std::string& fileName, TImageFormat& format);

// Zoom limits of render, in percent.
inline constexpr double MinRenderZoom = 10;
inline constexpr double MaxRenderZoom = 1000;

// Paints the document's whole diagram at zoom percent into fileName, replacing it only once
// the new picture is complete. Returns an exit status; err gets the reason.
int RenderDiagramFile(TDataFile& document, const std::string& fileName, TImageFormat format,
                      double zoom, std::ostream& err);

// Painting needs a GUI application; the tool makes an offscreen one when there is none.
// The result, when not null, must live while painting.
std::unique_ptr<QGuiApplication> EnsureGuiApplication();
