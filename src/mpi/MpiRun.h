#pragma once
// quorvane-mpi: quorvane-cli's analysis commands with their runs spread over the processes
// of an MPI job. Every process calls RunMpi with the same arguments between MPI_Init and
// MPI_Finalize; each runs a share of the runs and the first (rank 0) gathers and writes.

#include <iosfwd>
#include <string>
#include <vector>

// args: the arguments after the program name. out is written by rank 0 only. Returns the
// exit status, the same on every process; messages reach err on rank 0 (the message of
// another process that failed included).
int RunMpi(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

struct TSensitivityJob;

// Rank 0 receives every other process's share of the runs' values (each process having run
// RunShare's runs) and the warnings of their runs, and holds every run as done. Collective.
void GatherRuns(TSensitivityJob& job);
