// quorvane-cli: headless use of Quorvane models for scripting and batch runs.
#include "cli/CliCommands.h"

#include <iostream>
#include <string>
#include <vector>

int main(int argc, char* argv[]) {
    std::ios::sync_with_stdio(false);
    std::vector<std::string> args(argv + 1, argv + argc);
    int status = RunCliCommand(args, std::cout, std::cerr);
    std::cout.flush();
    return status;
}
