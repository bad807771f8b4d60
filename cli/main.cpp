#include "Cli_commands.h"

#include <cstdio>
#include <iostream>
#include <new>

int main(int argc, char* argv[]) {
    try {
        const std::vector<std::string> args(argv + 1, argv + argc);
        return cli::Run(args, std::cout, std::cerr);
    } catch (const std::bad_alloc&) {
        // Run reports its own failures; only copying the arguments can get here.
        std::fputs("trackwell-cli: Out of memory.\n", stderr);
        return cli::ExitFailure;
    }
}
