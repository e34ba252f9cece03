// make-examples: writes the example models of examples/ into a folder.
#include "cli/CliCommands.h"

#include <ostream>

int CommandMakeExamples(const TCliOptions& options, std::ostream& out, std::ostream& err) {
    try {
        for (const auto& path : WriteExampleModels(options.Files[0]))
            out << path << '\n';
    } catch (const std::exception& e) {
        err << "quorvane-cli: " << e.what() << '\n';
        return csFileError;
    }
    return csSuccess;
}
