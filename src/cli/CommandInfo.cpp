// info: the time settings and one line per element.
#include "cli/CliCommands.h"

#include "core/model/Listings.h"
#include "core/support/NumberFormat.h"
#include "document/model/DataFile.h"

#include <ostream>

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
        << "Update screen: " << (simulation.UpdateScreen ? "Yes" : "No") << '\n';
    // Euler models list as they always did.
    if (simulation.Method != imEuler)
        out << "Integration method: "
            << IntegrationMethodNames[simulation.Method <= imRK4 ? simulation.Method : imEuler]
            << '\n';
    out << "Elements: " << simulation.Variables.Count() << '\n'
        << '\n'
        << "Variable\tType\tUnits\tEquation\n";
    for (const TVariableObject* element : simulation.Variables) {
        const std::string kind = element->Kind <= ekFlow ? ElementTypeText(*element) : "";
        out << OneLine(element->Name) << '\t' << kind << '\t' << OneLine(element->Units) << '\t'
            << EquationColumn(*element) << '\n';
    }
}

int CommandInfo(const TCliOptions& options, std::ostream& out, std::ostream& err) {
    std::unique_ptr<TDataFile> document;
    const int status = LoadModelForCli(options.Files[0], false, options.MaxSteps, err, document);
    if (status != csSuccess) return status;
    WriteModelInfo(*document->Simulation, out);
    return csSuccess;
}
