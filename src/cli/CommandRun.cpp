// run: the model from its start to its stop time, the results as CSV.
#include "cli/CliCommands.h"
#include "cli/ResultsCsv.h"

#include "document/model/DataFile.h"

#include <ostream>

int CommandRun(const TCliOptions& options, std::ostream& out, std::ostream& err) {
    std::unique_ptr<TDataFile> document;
    std::vector<double> offsets;
    const int status = LoadModelForCli(options.Files[0], true, options.MaxSteps, err, document,
                                       &offsets, options.Sets);
    if (status != csSuccess) return status;
    const TSimulationObject& simulation = *document->Simulation;
    if (!options.HasCsv) {
        WriteResultsCsv(simulation, offsets, out);
        out.flush();
        return csSuccess;
    }
    return WriteCliFile(options.CsvFile, err,
                        [&](std::ostream& file) { WriteResultsCsv(simulation, offsets, file); });
}
