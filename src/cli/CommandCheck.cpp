// check: the model-check messages, each element's equation errors indented below it.
#include "cli/CliCommands.h"

#include "core/model/Listings.h"
#include "document/model/DataFile.h"

#include <ostream>

int CommandCheck(const TCliOptions& options, std::ostream& out, std::ostream& err) {
    std::unique_ptr<TDataFile> document;
    const int status = LoadModelForCli(options.Files[0], false, options.MaxSteps, err, document);
    if (status != csSuccess) return status;
    bool ok = false;
    const std::vector<std::string> report = ModelCheckReport(*document->Simulation, ok);
    for (const auto& line : report)
        out << ForTerminal(line) << '\n';
    return ok && report.empty() ? csSuccess : csModelErrors;
}
