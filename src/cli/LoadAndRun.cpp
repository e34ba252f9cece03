// Loading a model for a command, and checking and running it with the warnings on stderr.
#include "cli/CliCommands.h"

#include "core/analysis/SensitivitySetUp.h"
#include "core/model/Listings.h"
#include "core/support/Notifier.h"
#include "core/support/NumberFormat.h"
#include "core/support/Text.h"
#include "document/mdl/Mdl.h"
#include "document/model/DataFile.h"

#include <cmath>
#include <ostream>
#include <set>

namespace {

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

} // namespace

int CheckModelForCli(TSimulationObject& simulation, std::ostream& err) {
    bool ok = false;
    std::vector<std::string> report = ModelCheckReport(simulation, ok);
    if (ok) return csSuccess;
    err << "There are errors in equations, cannot simulate\n";
    for (const auto& line : report)
        err << ForTerminal(line) << '\n';
    return csModelErrors;
}

int ApplySetsForCli(TSimulationObject& simulation, const std::vector<std::string>& sets,
                    std::ostream& err) {
    for (const std::string& set : sets) {
        const size_t equals = set.find('=');
        if (equals == std::string::npos)
            return CliUsageError(err, "--set '" + set + "': write NAME=VALUE");
        TVariableObject* element = FindElement(simulation, set.substr(0, equals));
        if (!element)
            return CliUsageError(err, "--set '" + set + "': there is no element " +
                                          Trim(set.substr(0, equals)));
        if (!CanVary(*element))
            return CliUsageError(err, "--set '" + set + "': the equation of " + element->Name +
                                          " is not a plain number");
        const std::string value = Trim(set.substr(equals + 1));
        double number = 0;
        if (!IsNumberText(value) || !TryStrToFloat(value, number) || !std::isfinite(number))
            return CliUsageError(err, "--set '" + set + "': '" + value + "' is not a number");
        element->Equation = value;
        element->Parsed = false;
    }
    return csSuccess;
}

int LoadModelForCli(const std::string& fileName, bool run, int64_t maxSteps, std::ostream& err,
                    std::unique_ptr<TDataFile>& document, std::vector<double>* offsets,
                    const std::vector<std::string>& sets) {
    if (IsImportFileName(fileName)) {
        const int status = ImportXmileForCli(fileName, err, document);
        if (status != csSuccess) return status;
    } else {
        std::string message;
        document = TDataFile::LoadModelFile(fileName, message);
        if (!document) {
            err << ForTerminal(message) << '\n';
            return csFileError;
        }
    }
    TSimulationObject& simulation = *document->Simulation;
    if (const int status = ApplySetsForCli(simulation, sets, err); status != csSuccess)
        return status;
    if (!run) return csSuccess;
    TCliNotifier notifier(simulation, err);
    if (const int status = CheckModelForCli(simulation, err); status != csSuccess) return status;
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

int SaveModelForCli(TDataFile& document, const std::string& target, std::ostream& err) {
    try {
        document.SaveToFile(target);
    } catch (const std::exception& e) {
        err << "quorvane-cli: " << e.what() << '\n';
        return csFileError;
    }
    return csSuccess;
}
