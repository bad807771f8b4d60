#include "Rtl_filewriter.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

#include <csignal>
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
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            testsupport::WriterCalls calls;
            calls.NamedTemporaries = true;
            TNewFileStream file(path, TNaming::Replace);
            file.WriteBuffer("new", 3);
            (void)!::write(ready[1], "r", 1);
            for (;;)
                ::pause();
        }
        ::close(ready[1]);
        char byte = 0;
        ASSERT_EQ(::read(ready[0], &byte, 1), 1);
        ::close(ready[0]);
        // The temporary is there while the file is written, or the case would prove nothing.
        EXPECT_EQ(testsupport::ListFolder(dir.Path()).size(), 2u);
        ::kill(child, signal);
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == signal) << status;
        EXPECT_EQ(testsupport::ListFolder(dir.Path()), std::vector<std::string>{"disk.d88"});
        EXPECT_EQ(testsupport::ReadFileText(path), "old");
    }
}
