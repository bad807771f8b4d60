#include "CliRunner.h"

#include "TestSupport.h"

#include <cerrno>
#include <chrono>
#include <climits>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <mutex>
#include <optional>
#include <poll.h>
#include <stdexcept>
#include <string>
#include <sys/ptrace.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

namespace clitest {

namespace {

// A child that exits without reading all of its input must not kill the test with SIGPIPE when
// the rest is written; the write fails with EPIPE instead. While any run lasts, runs on several
// threads included: the test's process is left as it was.
struct TBrokenPipes {
    std::mutex Lock;
    int Runs = 0;
    void (*Saved)(int) = SIG_DFL;
};

class TBrokenPipesIgnored {
public:
    TBrokenPipesIgnored() {
        const std::lock_guard<std::mutex> guard(FShared.Lock);
        if (FShared.Runs++ == 0)
            FShared.Saved = ::signal(SIGPIPE, SIG_IGN);
    }
    ~TBrokenPipesIgnored() {
        const std::lock_guard<std::mutex> guard(FShared.Lock);
        if (--FShared.Runs == 0)
            ::signal(SIGPIPE, FShared.Saved);
    }
    TBrokenPipesIgnored(const TBrokenPipesIgnored&) = delete;
    TBrokenPipesIgnored& operator=(const TBrokenPipesIgnored&) = delete;

private:
    static inline TBrokenPipes FShared;
};

void MakePipe(int fds[2]) {
    if (::pipe2(fds, O_CLOEXEC) != 0)
        throw std::runtime_error("pipe2 failed");
}

// Whether the child's descriptor handle is open on the file path.
bool DescriptorNames(pid_t pid, long handle, const std::string& path) {
    char target[PATH_MAX];
    const std::string link = "/proc/" + std::to_string(pid) + "/fd/" + std::to_string(handle);
    const ssize_t length = ::readlink(link.c_str(), target, sizeof target);
    char* const real = ::realpath(path.c_str(), nullptr);
    const bool same = length > 0 && real != nullptr && std::string(target, length) == real;
    std::free(real);
    return same;
}

// Follows the child, stopped by its exec under PTRACE_TRACEME, from system call to system call
// until an mmap of path has returned; runs then and lets the child go on untraced. Returns the
// child's wait status when it ended on the way, having been waited for.
std::optional<int> RunToMapping(pid_t pid, const std::string& path,
                                const std::function<void()>& then) {
    int status = 0;
    if (::waitpid(pid, &status, 0) != pid)
        throw std::runtime_error("waitpid failed");
    if (!WIFSTOPPED(status))
        return status;
    if (::ptrace(PTRACE_SETOPTIONS, pid, nullptr, PTRACE_O_TRACESYSGOOD | PTRACE_O_EXITKILL) != 0)
        throw std::runtime_error("ptrace failed");
    int signal = 0;
    long handle = -1;
    // Far more calls than a start and a scan make: a child that maps nothing runs on untouched.
    for (int stops = 0; stops < 1000000; ++stops) {
        if (::ptrace(PTRACE_SYSCALL, pid, nullptr, signal) != 0)
            throw std::runtime_error("ptrace failed");
        signal = 0;
        if (::waitpid(pid, &status, 0) != pid)
            throw std::runtime_error("waitpid failed");
        if (!WIFSTOPPED(status))
            return status;
        if (WSTOPSIG(status) != (SIGTRAP | 0x80)) {
            // A signal for the child, handed on.
            signal = WSTOPSIG(status);
            continue;
        }
        __ptrace_syscall_info info{};
        if (::ptrace(PTRACE_GET_SYSCALL_INFO, pid, sizeof info, &info) <= 0)
            continue;
        if (info.op == PTRACE_SYSCALL_INFO_ENTRY) {
            handle = info.entry.nr == SYS_mmap ? static_cast<long>(info.entry.args[4]) : -1;
        } else if (info.op == PTRACE_SYSCALL_INFO_EXIT && handle >= 0 && info.exit.is_error == 0 &&
                   DescriptorNames(pid, handle, path)) {
            then();
            break;
        }
    }
    ::ptrace(PTRACE_DETACH, pid, nullptr, signal);
    return std::nullopt;
}

} // namespace

// Reads both output pipes and feeds the input pipe together, so that no pipe can fill up and
// stall the child while the test waits on another.
TRunResult RunCli(const std::vector<std::string>& args, const TRunOptions& options) {
    return RunProgram(TRACKWELL_CLI_PATH, args, options);
}

TRunResult RunProgram(const std::string& program, const std::vector<std::string>& args,
                      const TRunOptions& options) {
    const TBrokenPipesIgnored ignored;
    int inPipe[2];
    int outPipe[2];
    int errPipe[2];
    MakePipe(inPipe);
    MakePipe(outPipe);
    MakePipe(errPipe);
    std::vector<std::string> argvStrings{program};
    argvStrings.insert(argvStrings.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (std::string& arg : argvStrings)
        argv.push_back(arg.data());
    argv.push_back(nullptr);

    const pid_t pid = ::fork();
    if (pid < 0)
        throw std::runtime_error("fork failed");
    if (pid == 0) {
        // An ignored signal stays ignored across exec; the program must meet the default, and
        // ignore what it means to ignore on its own.
        ::signal(SIGPIPE, SIG_DFL);
        ::signal(SIGXFSZ, SIG_DFL);
        if (!options.WorkingDir.empty() && ::chdir(options.WorkingDir.c_str()) != 0)
            ::_exit(126);
        int outTarget = outPipe[1];
        if (options.OutputToFullDevice) {
            outTarget = ::open("/dev/full", O_WRONLY);
            if (outTarget < 0)
                ::_exit(126);
        }
        if (options.AddressSpaceLimit != 0) {
            const rlimit limit{options.AddressSpaceLimit, options.AddressSpaceLimit};
            if (::setrlimit(RLIMIT_AS, &limit) != 0)
                ::_exit(126);
        }
        if (options.FileSizeLimit != 0) {
            const rlimit limit{options.FileSizeLimit, options.FileSizeLimit};
            if (::setrlimit(RLIMIT_FSIZE, &limit) != 0)
                ::_exit(126);
        }
        const int input = options.InputDescriptor >= 0 ? options.InputDescriptor : inPipe[0];
        if (::dup2(input, STDIN_FILENO) < 0 || ::dup2(outTarget, STDOUT_FILENO) < 0 ||
            ::dup2(errPipe[1], STDERR_FILENO) < 0)
            ::_exit(126);
        if (!options.MappedFile.empty() && ::ptrace(PTRACE_TRACEME, 0, nullptr, nullptr) != 0)
            ::_exit(126);
        ::execvp(argv[0], argv.data());
        ::_exit(127);
    }
    ::close(inPipe[0]);
    ::close(outPipe[1]);
    ::close(errPipe[1]);
    if (::fcntl(inPipe[1], F_SETFL, O_NONBLOCK) != 0)
        throw std::runtime_error("fcntl failed");

    TRunResult result;
    size_t written = 0;
    int inFd = inPipe[1];
    if (options.Input.empty() || options.InputDescriptor >= 0) {
        ::close(inFd);
        inFd = -1;
    }
    const std::optional<int> ended =
        options.MappedFile.empty() ? std::nullopt
                                   : RunToMapping(pid, options.MappedFile, options.WhenMapped);
    pollfd fds[3] = {{outPipe[0], POLLIN, 0}, {errPipe[0], POLLIN, 0}, {inFd, POLLOUT, 0}};
    std::string* sinks[2] = {&result.Out, &result.Err};
    int openReads = 2;
    const bool interrupt = options.KillAfterMilliseconds > 0;
    const auto deadline =
        std::chrono::steady_clock::now() +
        (interrupt
             ? std::chrono::milliseconds(options.KillAfterMilliseconds)
             : std::chrono::duration_cast<std::chrono::milliseconds>(testsupport::ChildBound));
    bool late = false;
    while (openReads > 0) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                              deadline - std::chrono::steady_clock::now())
                              .count();
        late = left <= 0;
        if (late)
            break;
        if (::poll(fds, 3, static_cast<int>(left)) < 0) {
            if (errno == EINTR)
                continue;
            throw std::runtime_error("poll failed");
        }
        for (int i = 0; i < 2; ++i) {
            if (fds[i].fd < 0 || fds[i].revents == 0)
                continue;
            char buffer[4096];
            const ssize_t n = ::read(fds[i].fd, buffer, sizeof buffer);
            if (n > 0) {
                sinks[i]->append(buffer, static_cast<size_t>(n));
            } else if (n == 0 || errno != EINTR) {
                ::close(fds[i].fd);
                fds[i].fd = -1;
                --openReads;
            }
        }
        if (fds[2].fd >= 0 && fds[2].revents != 0) {
            const ssize_t n =
                ::write(fds[2].fd, options.Input.data() + written, options.Input.size() - written);
            if (n > 0)
                written += static_cast<size_t>(n);
            const bool failed = n < 0 && errno != EINTR && errno != EAGAIN;
            if (failed || written == options.Input.size()) {
                ::close(fds[2].fd);
                fds[2].fd = -1;
            }
        }
    }
    if (late)
        ::kill(pid, interrupt ? options.KillSignal : SIGKILL);
    for (const pollfd& fd : fds)
        if (fd.fd >= 0)
            ::close(fd.fd);
    // A program that closed its output and went on is killed, and counts as killed.
    const std::optional<int> waited = ended ? ended : testsupport::WaitForExit(pid);
    if (!waited) {
        result.ExitCode = -1;
        result.Signal = SIGKILL;
        return result;
    }
    const int status = *waited;
    // A signal shows up as -1, which no case expects.
    result.ExitCode = WIFEXITED(status) && !(late && !interrupt) ? WEXITSTATUS(status) : -1;
    result.Signal = WIFSIGNALED(status) ? WTERMSIG(status) : 0;
    return result;
}

} // namespace clitest
