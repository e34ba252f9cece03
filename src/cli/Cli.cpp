// quorvane-cli: the help, the one argument parser and the dispatcher to the commands.
#include "cli/Cli.h"
#include "cli/CliCommands.h"
#include "cli/OutputFile.h"

#include "core/analysis/Calibration.h"
#include "core/analysis/Sensitivity.h"
#include "core/equations/EquationObjects.h"
#include "core/support/NumberFormat.h"
#include "core/support/Text.h"
#include "document/model/DataFile.h"

#include <charconv>
#include <cstdint>
#include <ostream>

namespace {

using TCommandFunction = int (*)(const TCliOptions&, std::ostream&, std::ostream&);

struct TCommand {
    const char* Name;
    TCommandFunction Run;
    size_t MinFiles, MaxFiles;
    // The problem when fewer files are given; null for "<command> needs a model file".
    const char* Missing;
};

// make-examples is for us: it rewrites examples/ when the file format moves.
const TCommand Commands[] = {
    {"run", CommandRun, 1, 1, nullptr},
    {"sensitivity", CommandSensitivity, 1, 1, nullptr},
    {"calibrate", CommandCalibrate, 1, 1, nullptr},
    {"check", CommandCheck, 1, 1, nullptr},
    {"info", CommandInfo, 1, 1, nullptr},
    {"upgrade", CommandUpgrade, 1, 2, nullptr},
    {"render", CommandRender, 2, 2, "render needs a model file and an image file"},
    {"import", CommandImport, 2, 2, "import needs an XMILE or .mdl file and a model file"},
    {"export", CommandExport, 2, 2, "export needs a model file and an XMILE file"},
    {"import-data", CommandImportData, 3, 3,
     "import-data needs a model file, a CSV data file and an output model file"},
    {"make-examples", CommandMakeExamples, 1, 1, nullptr},
};

const TCommand* FindCommand(const std::string& name) {
    for (const TCommand& command : Commands)
        if (name == command.Name) return &command;
    return nullptr;
}

enum TOptionId {
    opCsv,
    opMaxSteps,
    opSet,
    opZoom,
    opRun,
    opDropUnsupported,
    opRuns,
    opSeed,
    opJobs,
    opMethod,
    opVary,
    opOutput,
    opRunsCsv,
    opPlot,
    opFit,
    opTarget,
    opMaxEvals,
    opStarts,
    opTolerance,
    opOut,
};

struct TOption {
    TOptionId Id;
    const char* Name;
    bool TakesValue;   // as "--name VALUE" or "--name=VALUE"
    const char* Owner; // the commands that take it, separated by blanks
};

const TOption Options[] = {
    {opCsv, "--csv", true, "run sensitivity"},
    {opZoom, "--zoom", true, "render"},
    {opMaxSteps, "--max-steps", true, "run sensitivity"},
    {opSet, "--set", true, "run"},
    {opRun, "--run", false, "render"},
    {opDropUnsupported, "--drop-unsupported", false, "export"},
    {opRuns, "--runs", true, "sensitivity"},
    {opSeed, "--seed", true, "sensitivity calibrate"},
    {opJobs, "--jobs", true, "sensitivity calibrate"},
    {opMethod, "--method", true, "sensitivity calibrate"},
    {opVary, "--vary", true, "sensitivity"},
    {opOutput, "--output", true, "sensitivity"},
    {opRunsCsv, "--runs-csv", true, "sensitivity"},
    {opPlot, "--plot", true, "sensitivity"},
    {opFit, "--fit", true, "calibrate"},
    {opTarget, "--target", true, "calibrate"},
    {opMaxEvals, "--max-evals", true, "calibrate"},
    {opStarts, "--starts", true, "calibrate"},
    {opTolerance, "--tolerance", true, "calibrate"},
    {opOut, "--out", true, "calibrate"},
};

bool OwnedBy(const TOption& option, const std::string& command) {
    const std::string owners = std::string(" ") + option.Owner + " ";
    return !command.empty() && owners.find(" " + command + " ") != std::string::npos;
}

bool IsOption(const std::string& arg) {
    return arg.size() > 1 && arg[0] == '-';
}

// The option arg names, and where its value starts (npos: in the next argument).
const TOption* MatchOption(const std::string& arg, size_t& valueAt) {
    for (const TOption& option : Options) {
        const std::string name = option.Name;
        valueAt = std::string::npos;
        if (arg == name) return &option;
        if (option.TakesValue && arg.compare(0, name.size() + 1, name + "=") == 0) {
            valueAt = name.size() + 1;
            return &option;
        }
    }
    return nullptr;
}

// run's options are read for every command but render (and refused after the parse when
// the command does not take them), the others only for their commands.
bool Accepts(const std::string& command, const TOption& option) {
    if (OwnedBy(option, command)) return true;
    return OwnedBy(option, "run") && command != "render";
}

// The command word: the first argument that is neither an option nor an option's value.
// Options may come before it, so it is found before they are read.
std::string CommandWord(const std::vector<std::string>& args) {
    for (size_t i = 0; i < args.size(); ++i) {
        if (!IsOption(args[i])) return args[i];
        size_t valueAt = 0;
        const TOption* option = MatchOption(args[i], valueAt);
        if (option && option->TakesValue && valueAt == std::string::npos) ++i;
    }
    return std::string();
}

bool ReadMaxSteps(const std::string& text, int64_t& value) {
    const char* first = text.data();
    const char* last = first + text.size();
    auto result = std::from_chars(first, last, value);
    return result.ec == std::errc() && result.ptr == last && value > 0;
}

// A whole number from low to high, digits only.
bool ReadWhole(const std::string& text, int32_t low, int32_t high, int32_t& value) {
    int64_t read = 0;
    const char* first = text.data();
    const char* last = first + text.size();
    auto result = std::from_chars(first, last, read);
    if (result.ec != std::errc() || result.ptr != last || read < low || read > high) return false;
    value = static_cast<int32_t>(read);
    return true;
}

} // namespace

std::string ParseCliArguments(const std::vector<std::string>& args, TCliOptions& options) {
    const std::string command = CommandWord(args);
    bool commandSeen = false;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (!IsOption(arg)) {
            if (commandSeen)
                options.Files.push_back(arg);
            else
                options.Command = arg;
            commandSeen = true;
            continue;
        }
        size_t valueAt = 0;
        const TOption* option = MatchOption(arg, valueAt);
        if (!option || !Accepts(command, *option)) return "unknown option '" + arg + "'";
        std::string value;
        if (valueAt != std::string::npos) {
            value = arg.substr(valueAt);
        } else if (option->TakesValue) {
            if (i + 1 >= args.size())
                return std::string("option ") + option->Name + " needs a value";
            value = args[++i];
        }
        switch (option->Id) {
        case opCsv:
            options.CsvFile = value;
            options.HasCsv = true;
            if (value.empty()) return "--csv needs a file name";
            break;
        case opMaxSteps:
            if (!ReadMaxSteps(value, options.MaxSteps))
                return "--max-steps needs a whole number greater than 0";
            break;
        case opZoom:
            if (!TryStrToFloat(value, options.Zoom) ||
                !(options.Zoom >= MinRenderZoom && options.Zoom <= MaxRenderZoom))
                return "--zoom needs a percentage from 10 to 1000";
            break;
        case opRun:
            options.Run = true;
            break;
        case opDropUnsupported:
            options.DropUnsupported = true;
            break;
        case opSet:
            options.Sets.push_back(value);
            break;
        case opRuns:
            if (!ReadWhole(value, 1, MaxSensitivityRuns, options.Runs))
                return "--runs needs a whole number from 1 to " + IntToStr(MaxSensitivityRuns);
            break;
        case opSeed:
            if (!ReadWhole(value, 0, INT32_MAX, options.Seed))
                return "--seed needs a whole number from 0 to " + IntToStr(INT32_MAX);
            break;
        case opJobs:
            if (!ReadWhole(value, 1, MaxAnalysisJobs, options.Jobs))
                return "--jobs needs a whole number from 1 to " + IntToStr(MaxAnalysisJobs);
            break;
        case opMethod: {
            if (command == "calibrate") {
                TCalibrationMethod method = cmBobyqa;
                if (!CalibrationMethodFromWord(value, method))
                    return "--method needs bobyqa, neldermead or sbplx";
            } else {
                TSamplingMethod method = smRandom;
                if (!SamplingMethodFromWord(value, method))
                    return "--method needs random, lhs or grid";
            }
            options.Method = value;
            break;
        }
        case opVary:
            options.Varies.push_back(value);
            break;
        case opOutput:
            options.Outputs.push_back(value);
            break;
        case opRunsCsv:
            if (value.empty()) return "--runs-csv needs a file name";
            options.RunsCsvFile = value;
            break;
        case opPlot:
            if (value.empty()) return "--plot needs a file name";
            options.PlotFile = value;
            break;
        case opFit:
            options.Fits.push_back(value);
            break;
        case opTarget:
            options.Targets.push_back(value);
            break;
        case opMaxEvals:
            if (!ReadMaxSteps(value, options.MaxEvaluations) ||
                options.MaxEvaluations > MaxCalibrationEvaluations)
                return "--max-evals needs a whole number from 1 to " +
                       IntToStr(MaxCalibrationEvaluations);
            break;
        case opStarts:
            if (!ReadWhole(value, 1, MaxCalibrationStarts, options.Starts))
                return "--starts needs a whole number from 1 to " + IntToStr(MaxCalibrationStarts);
            break;
        case opTolerance:
            options.HasTolerance = true;
            if (!IsNumberText(Trim(value)) || !TryStrToFloat(Trim(value), options.Tolerance) ||
                !(options.Tolerance > 0 && options.Tolerance < 1))
                return "--tolerance needs a number above 0 and below 1";
            break;
        case opOut:
            if (value.empty()) return "--out needs a file name";
            options.OutFile = value;
            break;
        }
    }
    return std::string();
}

std::string CliCommandProblem(const TCliOptions& options) {
    const TCommand* command = FindCommand(options.Command);
    if (!command) return "unknown command '" + options.Command + "'";
    const size_t files = options.Files.size();
    if (files < command->MinFiles)
        return command->Missing ? std::string(command->Missing)
                                : options.Command + " needs a model file";
    if (files > command->MaxFiles) return "too many arguments for " + options.Command;
    if ((options.HasCsv || options.MaxSteps != DefaultMaxSteps) && options.Command != "run" &&
        options.Command != "sensitivity")
        return "--csv and --max-steps belong to run and sensitivity";
    if (!options.Sets.empty() && options.Command != "run") return "--set belongs to run";
    return std::string();
}

std::string CliUsage() {
    return std::string(
        "Usage: quorvane-cli COMMAND MODEL.qvf [OPTIONS]\n"
        "Runs, checks, lists and upgrades Quorvane model files without the "
        "desktop program.\n"
        "run, check, info and render also take an XMILE model (.xmile, .xml or "
        ".stmx)\n"
        "or a Vensim model (.mdl), imported as the import command does.\n"
        "\n"
        "Commands:\n"
        "  run MODEL.qvf [--csv FILE] [--max-steps N] [--set NAME=VALUE]...\n"
        "      Runs the model from its start to its stop time and writes the "
        "simulated\n"
        "      values as CSV (a Time column, then one column per element) to "
        "FILE or to\n"
        "      standard output. Evaluation warnings go to standard error. Runs "
        "longer\n"
        "      than N steps (default 1000000) are refused. --set gives an "
        "element whose\n"
        "      equation is a plain number another value for this run.\n"
        "  sensitivity MODEL.qvf [--runs N] [--seed S] [--jobs J]\n"
        "      [--method random|lhs|grid] [--vary 'NAME=SOURCE']... "
        "[--output NAME]...\n"
        "      [--csv BANDS.csv] [--runs-csv RUNS.csv] [--plot PICTURE]\n"
        "      Runs the model N times with the varied constants drawn from "
        "their sources:\n"
        "      uniform(min, max), normal(mean, sd), normal(mean, sd, min, max), "
        "\n"
        "      triangular(min, mode, max), list(v1, v2, ...), steps(start, "
        "stop, count).\n"
        "      Without --vary the model's stored set-up is used. grid runs "
        "every\n"
        "      combination of list and steps values. BANDS.csv (or standard "
        "output) gets,\n"
        "      per output and step, min, p2.5, p12.5, p25, median, p75, p87.5, "
        "p97.5, max\n"
        "      and mean over the runs; RUNS.csv each run's values and final "
        "results;\n"
        "      PICTURE (.png, .svg or .pdf) the bands of the first output. The "
        "same seed\n"
        "      gives the same results whatever J (default: one per core).\n"
        "  calibrate MODEL.qvf --fit 'NAME=LOW..HIGH'... [--target NAME[=WEIGHT]]...\n"
        "      [--method bobyqa|neldermead|sbplx] [--max-evals N] [--starts K]\n"
        "      [--jobs J] [--tolerance T] [--seed S] [--out FITTED.qvf]\n"
        "      Finds the values of the --fit constants, within their bounds, for "
        "which the\n"
        "      run comes closest to the targets' sketched (observed) points: the "
        "payoff is\n"
        "      the sum over targets of WEIGHT (default 1 / the variance of the "
        "target's\n"
        "      points) times the squared differences. Without --target every "
        "element\n"
        "      with sketched points is a target. N evaluations at most per start "
        "(default\n"
        "      500); T the relative tolerance (default 1e-8); K starts, the first "
        "from the\n"
        "      model's values, the others spread over the bounds (seed S), run on "
        "J threads.\n"
        "      Prints each constant's start, fitted value and approximate 95% "
        "interval\n"
        "      (\"not identified\" when the payoff does not depend on it), the "
        "payoffs,\n"
        "      evaluations and time; --out writes the model with the fitted "
        "values.\n"
        "  check MODEL.qvf\n"
        "      Prints the model-check messages, with the equation errors of each "
        "element\n"
        "      indented below it.\n"
        "  info MODEL.qvf\n"
        "      Prints the time settings and one line per element: name, type, "
        "units and\n"
        "      equation, separated by tabs.\n"
        "  upgrade MODEL.qvf [OUT.qvf]\n"
        "      Writes the model in the current file format to OUT.qvf, or over "
        "the model\n"
        "      itself keeping the previous file as MODEL.bak.\n"
        "  render MODEL.qvf OUT.png|OUT.svg|OUT.pdf [--zoom PERCENT] [--run]\n"
        "      Paints the whole diagram into an image, as the program shows and "
        "prints it.\n"
        "      With --run the model is first run to its stop time, so graphs, "
        "tables and\n"
        "      value labels show the results. --zoom scales the picture (10 to "
        "1000,\n"
        "      default 100). SVG and PDF keep the text as text.\n"
        "  import MODEL.xmile|MODEL.mdl OUT.qvf\n"
        "      Reads an XMILE model (.xmile, .xml or .stmx) or a Vensim model "
        "(.mdl) with\n"
        "      its diagram and writes it as a Quorvane model. What Quorvane "
        "cannot compute\n"
        "      exactly (arrays and subscripts, modules and macros, data, "
        "functions without\n"
        "      a counterpart, ...) refuses the import, naming the element and "
        "the construct;\n"
        "      smoothing and delay functions become resources and flows.\n"
        "  export MODEL.qvf OUT.xmile [--drop-unsupported]\n"
        "      Writes the model as XMILE 1.0 with its diagram. NPV, FV, PV, "
        "RANDOM, TODAY\n"
        "      and sketched or derived data have no XMILE counterpart and refuse "
        "the export;\n"
        "      with --drop-unsupported the elements using them (and those "
        "depending on\n"
        "      them) and the sketches are left out, each listed on standard "
        "error.\n"
        "  import-data MODEL.qvf DATA.csv OUT.qvf\n"
        "      Reads observed data into the sketched series and writes the model "
        "to OUT.qvf.\n"
        "      DATA.csv has a header row: Time, then element names as equations "
        "write them\n"
        "      (or with blanks), separated by ',', ';' or tabs; numbers use '.'. "
        "An empty\n"
        "      cell is a missing point. Each named element's sketch is replaced "
        "by its\n"
        "      column's points; a name that matches no element refuses the "
        "import.\n"
        "\n"
        "Exit status:\n"
        "  0  success\n"
        "  1  errors in the model, a run longer than --max-steps allows, or a "
        "refused\n"
        "     or unsound XMILE or .mdl model, or data naming no element of the "
        "model,\n"
        "     or no calibration target with observed points\n"
        "  2  bad usage\n"
        "  3  a file that cannot be read or written, an XMILE file that is "
        "not XML, or\n"
        "     a data file that cannot be read as data\n"
        "  4  calibrate stopped at --max-evals before converging\n"
        "\n"
        "Options:\n"
        "  -h, --help     show this help and exit\n"
        "      --version  show the program version and exit\n");
}

int CliUsageError(std::ostream& err, const std::string& problem) {
    err << "quorvane-cli: " << problem << "\nTry 'quorvane-cli --help' for more information.\n";
    return csBadUsage;
}

int CliWriteError(std::ostream& err, const std::string& fileName, const std::string& reason) {
    err << "quorvane-cli: couldn't write " << fileName << ": " << reason << '\n';
    return csFileError;
}

int WriteCliFile(const std::string& fileName, std::ostream& err,
                 const std::function<void(std::ostream&)>& write) {
    TOutputFile file(fileName);
    if (file.Open()) {
        write(file.Stream());
        if (file.Commit()) return csSuccess;
    }
    return CliWriteError(err, fileName, file.Error());
}

std::string ForTerminal(const std::string& text) {
    std::string result;
    result.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') continue;
        result += text[i];
    }
    return result;
}

int RunCli(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    // Help and version win wherever they stand, before anything is checked.
    for (const auto& arg : args) {
        if (arg == "--help" || arg == "-h") {
            out << CliUsage();
            return csSuccess;
        }
        if (arg == "--version") {
            out << "quorvane-cli " << ProgramVersion << '\n';
            return csSuccess;
        }
    }
    if (args.empty()) return CliUsageError(err, "no command given");
    TCliOptions options;
    std::string problem = ParseCliArguments(args, options);
    if (problem.empty()) problem = CliCommandProblem(options);
    if (!problem.empty()) return CliUsageError(err, problem);
    return FindCommand(options.Command)->Run(options, out, err);
}
