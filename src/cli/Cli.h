#pragma once
// quorvane-cli: headless runs, checks, listings, upgrades and renders of model files. The
// logic lives in the cli library so that tests call it directly; the executable only
// forwards its arguments to RunCli.

#include <iosfwd>
#include <string>
#include <vector>

// Exit statuses of the tool.
enum TCliStatus : int {
    csSuccess = 0,
    csModelErrors = 1, // the model check failed, or the run cannot be done
    csBadUsage = 2,
    csFileError = 3,    // a file could not be read or written
    csNotConverged = 4, // calibrate stopped at its evaluation limit before converging
};

// The whole tool. args: the arguments after the program name. Returns the exit status.
int RunCli(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

// The text of the help (--help).
std::string CliUsage();
