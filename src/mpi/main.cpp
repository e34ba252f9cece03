// quorvane-mpi: sensitivity runs spread over the processes of an MPI job.
#include "cli/Cli.h"
#include "cli/OutputFile.h"
#include "mpi/MpiRun.h"

#include <mpi.h>

#include <exception>
#include <iostream>
#include <string>
#include <unistd.h>
#include <vector>

int main(int argc, char* argv[]) {
    // Only this thread calls MPI; the analysis threads never do.
    int provided = 0;
    if (MPI_Init_thread(&argc, &argv, MPI_THREAD_FUNNELED, &provided) != MPI_SUCCESS) {
        std::cerr << "quorvane-mpi: MPI could not start\n";
        return csModelErrors;
    }
    std::ios::sync_with_stdio(false);
    std::vector<std::string> args(argv + 1, argv + argc);
    TDescriptorBuffer buffer(STDOUT_FILENO);
    std::ostream out(&buffer);
    int status = csSuccess;
    try {
        status = RunMpi(args, out, std::cerr);
    } catch (const std::exception& e) {
        // The others may be waiting for this process in a collective: end them all.
        std::cerr << "quorvane-mpi: " << e.what() << '\n';
        std::cerr.flush();
        MPI_Abort(MPI_COMM_WORLD, csModelErrors);
    }
    buffer.Flush(); // a failure was reported by RunMpi, which checks the stream
    MPI_Finalize();
    return status;
}
