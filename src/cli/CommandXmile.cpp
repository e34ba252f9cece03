// import and export: XMILE models in and out.
#include "cli/CliCommands.h"
#include "cli/OutputFile.h"

#include "document/mdl/Mdl.h"
#include "document/model/DataFile.h"

#include <ostream>

int ImportXmileForCli(const std::string& fileName, std::ostream& err,
                      std::unique_ptr<TDataFile>& document) {
    TXmileImport imported = ImportModelFile(fileName);
    for (const std::string& warning : imported.Warnings)
        err << "quorvane-cli: " << ForTerminal(warning) << '\n';
    if (!imported.Document) {
        err << ForTerminal(imported.Error) << '\n';
        // A file that reads as XML but holds what we cannot import is the model's fault.
        return imported.Fault == TXmileFault::Malformed ? csFileError : csModelErrors;
    }
    document = std::move(imported.Document);
    return csSuccess;
}

int CommandImport(const TCliOptions& options, std::ostream& /*out*/, std::ostream& err) {
    const std::string& target = options.Files[1];
    // Our text in a file named as XMILE or .mdl would pass for one, and could replace the
    // source.
    if (IsImportFileName(target))
        return CliUsageError(err, "import writes a Quorvane model (.qvf), not " + target);
    std::unique_ptr<TDataFile> document;
    const int status = ImportXmileForCli(options.Files[0], err, document);
    if (status != csSuccess) return status;
    return SaveModelForCli(*document, target, err);
}

int CommandExport(const TCliOptions& options, std::ostream& /*out*/, std::ostream& err) {
    const std::string& target = options.Files[1];
    if (!IsXmileFileName(target))
        return CliUsageError(err,
                             "export writes an XMILE file (.xmile, .xml or .stmx), not " + target);
    std::unique_ptr<TDataFile> document;
    const int status = LoadModelForCli(options.Files[0], false, options.MaxSteps, err, document);
    if (status != csSuccess) return status;
    TXmileExport exported = ExportXmile(*document, options.DropUnsupported);
    if (exported.Fault != TXmileFault::None) {
        err << ForTerminal(exported.Error) << '\n';
        if (exported.Fault == TXmileFault::Refused)
            err << "quorvane-cli: --drop-unsupported writes the model without them\n";
        return csModelErrors;
    }
    for (const std::string& line : exported.LeftOut)
        err << "quorvane-cli: left out " << line << '\n';
    TOutputFile file(target);
    if (!file.Open()) return CliWriteError(err, target, file.Error());
    file.Stream() << exported.Text;
    if (!file.Commit()) return CliWriteError(err, target, file.Error());
    return csSuccess;
}
