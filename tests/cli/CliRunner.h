// Runs the built trackwell-cli as a child process, the way a script does, and collects what a
// script would see.
#pragma once

#include <functional>
#include <string>
#include <sys/resource.h>
#include <vector>

namespace clitest {

struct TRunResult {
    int ExitCode = -1;
    std::string Out;
    std::string Err;
    // The signal that ended the child; 0 when it exited.
    int Signal = 0;
};

struct TRunOptions {
    // The child's working folder; the test's own when empty.
    std::string WorkingDir;
    // Sends standard output to /dev/full instead of the pipe.
    bool OutputToFullDevice = false;
    // A limit on the child's address space in bytes; none when 0.
    rlim_t AddressSpaceLimit = 0;
    // A limit on the size of any file the child writes, in bytes; none when 0. The child gets
    // SIGXFSZ at its default, which kills a program that does not ignore it.
    rlim_t FileSizeLimit = 0;
    // Everything the child finds on its standard input, which then ends.
    std::string Input{};
    // An open descriptor to be the child's standard input instead of Input, as `< FILE` or a
    // pipe from another program gives it; -1 for none.
    int InputDescriptor = -1;
    // Sends KillSignal to a child still running after this many milliseconds, as a user who
    // interrupts it does; 0 waits as long as any test waits for a child, then kills.
    int KillAfterMilliseconds = 0;
    int KillSignal = 9;
    // Runs WhenMapped once the child has mapped the file MappedFile into its memory, before it
    // touches a byte there, as another program that changes the file at that moment; none when
    // empty. The child is traced until then, so it may read no Input and write no more than a
    // pipe holds before.
    std::string MappedFile{};
    std::function<void()> WhenMapped{};
};

// Runs the program with args. The child never inherits the test's own standard input: it gets
// options.Input and then the end of the stream, or options.InputDescriptor. A child still
// running after testsupport::ChildBound is killed and shows exit code -1.
TRunResult RunCli(const std::vector<std::string>& args, const TRunOptions& options = {});
// The same for another program, found on the PATH: a tool that reads what the program wrote.
TRunResult RunProgram(const std::string& program, const std::vector<std::string>& args,
                      const TRunOptions& options = {});

} // namespace clitest
