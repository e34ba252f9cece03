// quorvane-cli: headless use of Quorvane models for scripting and batch runs.
#include "cli/Cli.h"
#include "cli/OutputFile.h"

#include <iostream>
#include <string>
#include <unistd.h>
#include <vector>

int main(int argc, char* argv[]) {
    std::ios::sync_with_stdio(false);
    std::vector<std::string> args(argv + 1, argv + argc);
    // Standard output through our own buffer, which keeps the reason of a failed write.
    TDescriptorBuffer buffer(STDOUT_FILENO);
    std::ostream out(&buffer);
    int status = RunCli(args, out, std::cerr);
    // Results that did not reach standard output (a full disk behind a redirection) must
    // not pass for success.
    if (!buffer.Flush() && status == csSuccess) {
        std::cerr << "quorvane-cli: couldn't write standard output: "
                  << SystemReason(buffer.Error()) << '\n';
        status = csFileError;
    }
    return status;
}
