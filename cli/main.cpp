#include "Cli_arguments.h"
#include "Cli_run.h"

#include <csignal>
#include <cstdio>
#include <iostream>
#include <new>

int main(int argc, char* argv[]) {
    // Under a file-size limit a write past it then fails like a full disk, with the save's
    // message and nothing left behind, instead of killing the program mid-save.
    std::signal(SIGXFSZ, SIG_IGN);
    try {
        const std::vector<std::string> args(argv + 1, argv + argc);
        return cli::Run(args, std::cout, std::cerr);
    } catch (const std::bad_alloc&) {
        // Run reports its own failures; only copying the arguments can get here.
        std::fputs("trackwell-cli: Out of memory.\n", stderr);
        return cli::ExitFailure;
    }
}
