// quorvane-cli: argument handling and the run, check, info and upgrade commands.
#include "cli/Cli.h"
#include "core/model/Listings.h"
#include "core/model/RunToEnd.h"
#include "core/support/Text.h"

#include "core/support/Notifier.h"
#include "core/support/NumberFormat.h"
#include "document/model/DataFile.h"

#include <charconv>
#include <cmath>
#include <fstream>
#include <limits>
#include <memory>
#include <ostream>
#include <set>

namespace {

// Messages of the program use CR LF; a terminal wants LF.
std::string ForTerminal(const std::string& text) {
    std::string result;
    result.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') continue;
        result += text[i];
    }
    return result;
}

// Evaluation warnings go to standard error, once per element per run.
class TCliNotifier : public TNotifier {
public:
    TCliNotifier(const TSimulationObject& simulation, std::ostream& err)
        : Simulation(simulation), Err(err) {
        SetNotifier(this);
    }
    ~TCliNotifier() override { SetNotifier(nullptr); }
    TCliNotifier(const TCliNotifier&) = delete;
    TCliNotifier& operator=(const TCliNotifier&) = delete;

    void EvaluationWarning(const std::string& text) override {
        // "Error in <name>: ..." - the longest element name that fits decides.
        const TVariableObject* element = nullptr;
        size_t best = 0;
        for (const TVariableObject* v : Simulation.Variables) {
            std::string prefix = "Error in " + v->Name + ": ";
            if (text.compare(0, prefix.size(), prefix) == 0 && prefix.size() > best) {
                element = v;
                best = prefix.size();
            }
        }
        if (element ? !Warned.insert(element).second : !Unattributed.insert(text).second) return;
        Err << ForTerminal(text) << '\n';
    }

private:
    const TSimulationObject& Simulation;
    std::ostream& Err;
    std::set<const TVariableObject*> Warned;
    std::set<std::string> Unattributed;
};

void LoadFailed(std::ostream& err, const std::string& message) {
    err << ForTerminal(message) << '\n';
}

bool ReadMaxSteps(const std::string& text, int64_t& value) {
    const char* first = text.data();
    const char* last = first + text.size();
    auto result = std::from_chars(first, last, value);
    return result.ec == std::errc() && result.ptr == last && value > 0;
}

struct TOptions {
    std::string Command;
    std::vector<std::string> Files;
    std::string CsvFile;
    bool HasCsv = false;
    int64_t MaxSteps = DefaultMaxSteps;
    std::string Error;
};

TOptions ParseArguments(const std::vector<std::string>& args) {
    TOptions options;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        auto value = [&](const std::string& name, std::string& into) {
            if (arg.size() > name.size() && arg.compare(0, name.size() + 1, name + "=") == 0) {
                into = arg.substr(name.size() + 1);
                return true;
            }
            if (arg != name) return false;
            if (i + 1 >= args.size()) {
                options.Error = "option " + name + " needs a value";
                into.clear();
                return true;
            }
            into = args[++i];
            return true;
        };
        std::string text;
        if (value("--csv", text)) {
            options.CsvFile = text;
            options.HasCsv = true;
            if (options.Error.empty() && text.empty()) options.Error = "--csv needs a file name";
        } else if (value("--max-steps", text)) {
            if (options.Error.empty() && !ReadMaxSteps(text, options.MaxSteps))
                options.Error = "--max-steps needs a whole number greater than 0";
        } else if (arg.size() > 1 && arg[0] == '-') {
            if (options.Error.empty()) options.Error = "unknown option '" + arg + "'";
        } else if (options.Command.empty()) {
            options.Command = arg;
        } else {
            options.Files.push_back(arg);
        }
        if (!options.Error.empty()) break;
    }
    return options;
}

int Usage(std::ostream& err, const std::string& problem) {
    return CliUsageError(err, problem);
}

int CommandRun(const TOptions& options, std::ostream& out, std::ostream& err) {
    std::unique_ptr<TDataFile> document;
    std::vector<double> offsets;
    const int status =
        LoadModelForCli(options.Files[0], true, options.MaxSteps, err, document, &offsets);
    if (status != csSuccess) return status;
    TSimulationObject& simulation = *document->Simulation;
    if (!options.HasCsv) {
        WriteResultsCsv(simulation, offsets, out);
        out.flush();
        return csSuccess;
    }
    std::ofstream file(options.CsvFile, std::ios::binary | std::ios::trunc);
    if (file) WriteResultsCsv(simulation, offsets, file);
    if (file) file.close();
    if (!file) {
        err << "quorvane-cli: couldn't write " << options.CsvFile << '\n';
        return csFileError;
    }
    return csSuccess;
}

int CommandCheck(const TOptions& options, std::ostream& out, std::ostream& err) {
    std::string message;
    std::unique_ptr<TDataFile> document = TDataFile::LoadModelFile(options.Files[0], message);
    if (!document) {
        LoadFailed(err, message);
        return csFileError;
    }
    bool ok = false;
    std::vector<std::string> report = ModelCheckReport(*document->Simulation, ok);
    for (const auto& line : report)
        out << ForTerminal(line) << '\n';
    return ok && report.empty() ? csSuccess : csModelErrors;
}

int CommandInfo(const TOptions& options, std::ostream& out, std::ostream& err) {
    std::string message;
    std::unique_ptr<TDataFile> document = TDataFile::LoadModelFile(options.Files[0], message);
    if (!document) {
        LoadFailed(err, message);
        return csFileError;
    }
    WriteModelInfo(*document->Simulation, out);
    return csSuccess;
}

int CommandUpgrade(const TOptions& options, std::ostream& err) {
    std::string message;
    std::unique_ptr<TDataFile> document = TDataFile::LoadModelFile(options.Files[0], message);
    if (!document) {
        LoadFailed(err, message);
        return csFileError;
    }
    try {
        if (options.Files.size() > 1)
            document->SaveToFile(options.Files[1]);
        else
            document->SaveToFile();
    } catch (const std::exception& e) {
        err << "quorvane-cli: " << e.what() << '\n';
        return csFileError;
    }
    return csSuccess;
}

int CommandMakeExamples(const TOptions& options, std::ostream& out, std::ostream& err) {
    try {
        for (const auto& path : WriteExampleModels(options.Files[0]))
            out << path << '\n';
    } catch (const std::exception& e) {
        err << "quorvane-cli: " << e.what() << '\n';
        return csFileError;
    }
    return csSuccess;
}

} // namespace

std::string CliUsage() {
    return std::string("Usage: quorvane-cli COMMAND MODEL.qvf [OPTIONS]\n"
                       "Runs, checks, lists and upgrades Quorvane model files without the "
                       "desktop program.\n"
                       "\n"
                       "Commands:\n"
                       "  run MODEL.qvf [--csv FILE] [--max-steps N]\n"
                       "      Runs the model from its start to its stop time and writes the "
                       "simulated\n"
                       "      values as CSV (a Time column, then one column per element) to "
                       "FILE or to\n"
                       "      standard output. Evaluation warnings go to standard error. Runs "
                       "longer\n"
                       "      than N steps (default 1000000) are refused.\n"
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
                       "\n"
                       "Options:\n"
                       "  --help       show this help and exit\n"
                       "  --version    show the program version and exit\n"
                       "\n"
                       "Exit status: 0 success, 1 errors in the model (or a run too long), 2 "
                       "bad usage,\n"
                       "3 a file that cannot be read or written.\n");
}

int RunCli(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
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
    if (args.empty()) return Usage(err, "no command given");
    TOptions options = ParseArguments(args);
    if (!options.Error.empty()) return Usage(err, options.Error);

    const std::string& command = options.Command;
    const size_t files = options.Files.size();
    const bool known = command == "run" || command == "check" || command == "info" ||
                       command == "upgrade" || command == "make-examples";
    if (!known) return Usage(err, "unknown command '" + command + "'");
    if (files == 0) return Usage(err, command + " needs a model file");
    const size_t maxFiles = command == "upgrade" ? 2 : 1;
    if (files > maxFiles) return Usage(err, "too many arguments for " + command);
    if ((options.HasCsv || options.MaxSteps != DefaultMaxSteps) && command != "run")
        return Usage(err, "--csv and --max-steps belong to run");

    if (command == "run") return CommandRun(options, out, err);
    if (command == "check") return CommandCheck(options, out, err);
    if (command == "info") return CommandInfo(options, out, err);
    if (command == "upgrade") return CommandUpgrade(options, err);
    return CommandMakeExamples(options, out, err);
}

// ---------------------------------------------------------------------------------------------

int CliUsageError(std::ostream& err, const std::string& problem) {
    err << "quorvane-cli: " << problem << "\nTry 'quorvane-cli --help' for more information.\n";
    return csBadUsage;
}

int LoadModelForCli(const std::string& fileName, bool run, int64_t maxSteps, std::ostream& err,
                    std::unique_ptr<TDataFile>& document, std::vector<double>* offsets) {
    std::string message;
    document = TDataFile::LoadModelFile(fileName, message);
    if (!document) {
        LoadFailed(err, message);
        return csFileError;
    }
    if (!run) return csSuccess;
    TSimulationObject& simulation = *document->Simulation;
    TCliNotifier notifier(simulation, err);
    bool ok = false;
    std::vector<std::string> report = ModelCheckReport(simulation, ok);
    if (!ok) {
        err << "There are errors in equations, cannot simulate\n";
        for (const auto& line : report)
            err << ForTerminal(line) << '\n';
        return csModelErrors;
    }
    bool tooLong = false;
    std::vector<double> steps = RunToEnd(simulation, maxSteps, tooLong);
    if (tooLong) {
        err << "quorvane-cli: the run would take " << ExpectedStepCount(simulation)
            << " steps, more than the limit of " << maxSteps << "; raise it with --max-steps\n";
        return csModelErrors;
    }
    if (offsets) *offsets = std::move(steps);
    return csSuccess;
}

std::string ShortestFloatText(double value) {
    // Plain digits read best in a spreadsheet (100000, not 1e+05); very large or very
    // small magnitudes keep the exponent. Both forms read back to the same double.
    char text[400];
    auto fixed = std::to_chars(text, text + sizeof text, value, std::chars_format::fixed);
    if (fixed.ec == std::errc() && fixed.ptr - text <= 21) return std::string(text, fixed.ptr);
    auto result = std::to_chars(text, text + sizeof text, value);
    return std::string(text, result.ptr);
}

std::string CsvField(std::string_view text) {
    if (text.find_first_of(",\"\r\n") == std::string_view::npos) return std::string(text);
    std::string field = "\"";
    for (char c : text) {
        if (c == '"') field += '"';
        field += c;
    }
    field += '"';
    return field;
}

void WriteResultsCsv(const TSimulationObject& simulation, const std::vector<double>& offsets,
                     std::ostream& out) {
    std::string line = "Time";
    for (const TVariableObject* element : simulation.Variables) {
        line += ',';
        line += CsvField(element->Name);
    }
    line += '\n';
    out << line;
    for (double offset : offsets) {
        line = ShortestFloatText(simulation.StartTime + offset);
        for (const TVariableObject* element : simulation.Variables) {
            line += ',';
            line += ShortestFloatText(element->Simulated.ValueAt(offset));
        }
        line += '\n';
        out << line;
    }
}

void WriteModelInfo(const TSimulationObject& simulation, std::ostream& out) {
    out << "Start time: " << FloatToStr(simulation.StartTime) << '\n'
        << "Stop time: " << FloatToStr(simulation.StopTime) << '\n'
        << "Time step: " << FloatToStr(simulation.TimeStep) << '\n'
        << "Time unit: " << simulation.TimeUnit << '\n'
        << "View start: " << FloatToStr(simulation.ViewStart) << '\n'
        << "View stop: " << FloatToStr(simulation.ViewStop) << '\n'
        << "Now: " << FloatToStr(simulation.Now) << '\n'
        << "Run step interval: " << simulation.RunStepInterval << '\n'
        << "Update interval: " << simulation.UpdateInterval << '\n'
        << "Update screen: " << (simulation.UpdateScreen ? "Yes" : "No") << '\n'
        << "Elements: " << simulation.Variables.Count() << '\n'
        << '\n'
        << "Variable\tType\tUnits\tEquation\n";
    for (const TVariableObject* element : simulation.Variables) {
        const char* kind = element->Kind <= ekFlow ? ElementKindNames[element->Kind] : "";
        out << OneLine(element->Name) << '\t' << kind << '\t' << OneLine(element->Units) << '\t'
            << EquationColumn(*element) << '\n';
    }
}
