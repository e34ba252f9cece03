// upgrade: the model written again in the current file format.
#include "cli/CliCommands.h"

#include "document/mdl/Mdl.h"
#include "document/model/DataFile.h"

#include <ostream>

int CommandUpgrade(const TCliOptions& options, std::ostream& /*out*/, std::ostream& err) {
    // Without OUT.qvf an imported model would have no file of its own to go to.
    if (IsImportFileName(options.Files[0]))
        return CliUsageError(err, "upgrade reads Quorvane models; import reads XMILE and .mdl");
    std::unique_ptr<TDataFile> document;
    const int status = LoadModelForCli(options.Files[0], false, options.MaxSteps, err, document);
    if (status != csSuccess) return status;
    // Saving goes through a temporary file renamed over the target, as every save does.
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
