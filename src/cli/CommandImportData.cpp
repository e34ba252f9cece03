// import-data: observed data from a CSV file into the sketched series of a model.
#include "cli/CliCommands.h"

#include "document/mdl/Mdl.h"
#include "document/model/DataFile.h"
#include "document/model/DataImport.h"

#include <ostream>

int CommandImportData(const TCliOptions& options, std::ostream& out, std::ostream& err) {
    const std::string& dataFile = options.Files[1];
    const std::string& target = options.Files[2];
    if (IsImportFileName(target))
        return CliUsageError(err, "import-data writes a Quorvane model (.qvf), not " + target);
    std::unique_ptr<TDataFile> document;
    const int status = LoadModelForCli(options.Files[0], false, options.MaxSteps, err, document);
    if (status != csSuccess) return status;
    const TDataImportResult result = ImportObservedFile(*document, dataFile);
    if (!result.Imported) {
        err << "quorvane-cli: nothing imported from " << dataFile << ":\n"
            << ForTerminal(result.Error) << '\n';
        return result.Mismatch ? csModelErrors : csFileError;
    }
    const int saved = SaveModelForCli(*document, target, err);
    if (saved != csSuccess) return saved;
    for (const auto& imported : result.Elements)
        out << imported.Element << '\t' << imported.Points
            << (imported.Points == 1 ? " point\n" : " points\n");
    return csSuccess;
}
