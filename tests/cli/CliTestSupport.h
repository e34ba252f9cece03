#pragma once
// Running the tool in-process and keeping what it printed.

#include "cli/Cli.h"

#include <sstream>
#include <string>
#include <vector>

struct TCliResult {
    int Status;
    std::string Out;
    std::string Err;
};

inline TCliResult Cli(const std::vector<std::string>& args) {
    std::ostringstream out, err;
    const int status = RunCli(args, out, err);
    return {status, out.str(), err.str()};
}
