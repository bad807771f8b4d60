#include "Cli_arguments.h"
#include "Cli_run.h"

#include <csignal>
#include <cstdio>
#include <iostream>
#include <malloc.h>
#include <new>

int main(int argc, char* argv[]) {
    // Under a file-size limit a write past it then fails like a full disk, with the save's
    // message and nothing left behind, instead of killing the program mid-save.
    std::signal(SIGXFSZ, SIG_IGN);
    // Each image identified, checked or hashed takes and frees buffers of its size; kept by the
    // allocator rather than handed back to the system each time, they are not faulted in afresh
    // for every image.
    mallopt(M_MMAP_THRESHOLD, 32 << 20);
    mallopt(M_TRIM_THRESHOLD, 64 << 20);
    try {
        const std::vector<std::string> args(argv + 1, argv + argc);
        return cli::Run(args, std::cout, std::cerr);
    } catch (const std::bad_alloc&) {
        // Run reports its own failures; only copying the arguments can get here.
        std::fputs("trackwell-cli: Out of memory.\n", stderr);
        return cli::ExitFailure;
    }
}
