#pragma once
// What quorvane-mpi works out without MPI itself: each process's share of the runs, the
// warnings as bytes to send, the messages under this program's name.

#include "core/analysis/Calibration.h"
#include "core/analysis/Sensitivity.h"

#include <cstddef>
#include <string>
#include <vector>

// Process rank of ranks takes runs [First, Last): shares differ by one run at most, in rank
// order, so that gathering them one after another keeps the runs in order.
struct TRunShare {
    size_t First = 0, Last = 0;
};
TRunShare RunShare(size_t runs, int rank, int ranks);

// Warnings as bytes and back. Unpacking refuses (false) bytes that were not packed so.
std::string PackWarnings(const std::vector<TAnalysisWarning>& warnings);
bool UnpackWarnings(const std::string& bytes, std::vector<TAnalysisWarning>& warnings);

// Texts (a calibration's warnings) and the results of calibration starts, the same way.
std::string PackTexts(const std::vector<std::string>& texts);
bool UnpackTexts(const std::string& bytes, std::vector<std::string>& texts);
std::string PackStarts(const std::vector<TStartResult>& starts);
bool UnpackStarts(const std::string& bytes, std::vector<TStartResult>& starts);

// The commands' messages name quorvane-cli; these name this program.
std::string MpiMessages(const std::string& text);

// Threads per process when --jobs is not given: the machine's cores shared by the processes
// on it.
int DefaultRankJobs(int cores, int ranksOnMachine);

// The text of --help.
std::string MpiUsage();
