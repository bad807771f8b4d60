#include "Rtl_filewriter.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <optional>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

using namespace rtl;

namespace {

// Runs a case once with unnamed files and once with the temporary names of file systems that
// lack them.
class WriterModes : public ::testing::TestWithParam<bool> {
protected:
    void SetUp() override { Calls.NamedTemporaries = GetParam(); }

    testsupport::WriterCalls Calls;
};

void Write(TNewFileStream& file, const std::string& text) {
    file.WriteBuffer(text.data(), static_cast<int64_t>(text.size()));
}

// The program run again as the child of the interrupted-process case, given the file to write
// and the pipe to report on: it starts writing the file, says so, and waits for the signal.
constexpr char WriterChildVariable[] = "TRACKWELL_WRITER_CHILD";

[[noreturn]] void RunWriterChild(const std::string& role) {
    const size_t split = role.rfind('\n');
    const std::string path = role.substr(0, split);
    const int ready = std::stoi(role.substr(split + 1));
    testsupport::WriterCalls calls;
    calls.NamedTemporaries = true;
    TNewFileStream file(path, TNaming::Replace);
    file.WriteBuffer("new", 3);
    (void)!::write(ready, "r", 1);
    for (;;)
        ::pause();
}

// Before the tests' main: the child is no test run.
[[maybe_unused]] const bool WriterChild = [] {
    if (const char* role = std::getenv(WriterChildVariable))
        RunWriterChild(role);
    return false;
}();

} // namespace

TEST_P(WriterModes, ReplacesOnlyWhenCompleteAndKeepsLongNamesSavable) {
    testsupport::TempDir dir;
    // The longest name a folder takes: the temporary name must not need more.
    const std::string path = dir.File(std::string(251, 'n') + ".d88");
    testsupport::WriteFileText(path, "old");
    {
        TNewFileStream file(path, TNaming::Replace);
        Write(file, "new");
        EXPECT_EQ(testsupport::ReadFileText(path), "old");
        file.Commit();
    }
    EXPECT_EQ(testsupport::ReadFileText(path), "new");
    EXPECT_EQ(testsupport::ListFolder(dir.Path()),
              std::vector<std::string>{path.substr(dir.Path().size() + 1)});

    // Given up before naming, a file leaves nothing, whichever way it was made.
    { TNewFileStream(dir.File("gone.d88"), TNaming::Replace).WriteBuffer("x", 1); }
    { TNewFileStream(dir.File("gone.d88"), TNaming::NoReplace).WriteBuffer("x", 1); }
    EXPECT_EQ(testsupport::ListFolder(dir.Path()).size(), 1u);
}

TEST_P(WriterModes, NamingWithoutReplacingLosesToAFileMadeMeanwhileAndTriesAnotherName) {
    testsupport::TempDir dir;
    const std::string path = dir.File("out.d88");
    Calls.BeforeNaming = [&](const std::string& name) {
        if (name == "out.d88")
            testsupport::WriteFileText(path, "theirs");
    };
    TNewFileStream file(path, TNaming::NoReplace);
    Write(file, "ours");
    EXPECT_THROW(file.Commit(), EFileExistsError);
    EXPECT_EQ(testsupport::ReadFileText(path), "theirs");
    file.Commit(dir.File("out (2).d88"));
    EXPECT_EQ(file.Path(), dir.File("out (2).d88"));
    EXPECT_EQ(testsupport::ReadFileText(dir.File("out (2).d88")), "ours");
    EXPECT_EQ(testsupport::ListFolder(dir.Path()),
              (std::vector<std::string>{"out (2).d88", "out.d88"}));
}

INSTANTIATE_TEST_SUITE_P(FileWriter, WriterModes, ::testing::Values(false, true),
                         [](const auto& info) { return info.param ? "Named" : "Unnamed"; });

TEST(FileWriter, AnInterruptedProcessRemovesItsTemporaryFile) {
    for (const int signal : {SIGINT, SIGTERM, SIGHUP}) {
        testsupport::TempDir dir;
        const std::string path = dir.File("disk.d88");
        testsupport::WriteFileText(path, "old");
        int ready[2];
        ASSERT_EQ(::pipe(ready), 0);
        // Made before the fork: the child only execs.
        const std::string role =
            std::string(WriterChildVariable) + "=" + path + "\n" + std::to_string(ready[1]);
        char* const arguments[] = {const_cast<char*>("writer-child"), nullptr};
        char* const environment[] = {const_cast<char*>(role.c_str()), nullptr};
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            // The writer leaves alone a signal the process ignores (nohup, a background job of
            // a script), and installs its handlers once a process: the child starts afresh,
            // with the signals as a user's terminal gives them.
            ::close(ready[0]);
            sigset_t none;
            sigemptyset(&none);
            ::sigprocmask(SIG_SETMASK, &none, nullptr);
            for (const int s : {SIGINT, SIGTERM, SIGHUP})
                ::signal(s, SIG_DFL);
            ::execve("/proc/self/exe", arguments, environment);
            ::_exit(127);
        }
        ::close(ready[1]);
        char byte = 0;
        const bool started = testsupport::ReadByteWithin(ready[0], testsupport::ChildBound, byte);
        ::close(ready[0]);
        if (!started) {
            ::kill(child, SIGKILL);
            testsupport::WaitForExit(child);
            FAIL() << "the child never said that it was writing";
        }
        // The temporary is there while the file is written, or the case would prove nothing.
        EXPECT_EQ(testsupport::ListFolder(dir.Path()).size(), 2u);
        ::kill(child, signal);
        const std::optional<int> status = testsupport::WaitForExit(child);
        ASSERT_TRUE(status) << "the child did not end on signal " << signal;
        EXPECT_TRUE(WIFSIGNALED(*status) && WTERMSIG(*status) == signal) << *status;
        EXPECT_EQ(testsupport::ListFolder(dir.Path()), std::vector<std::string>{"disk.d88"});
        EXPECT_EQ(testsupport::ReadFileText(path), "old");
    }
}
