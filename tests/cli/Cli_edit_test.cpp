// End-to-end tests of the editing subcommands of trackwell-cli: each case runs the built program
// on a container made byte by byte here, then compares the file it leaves with bytes built the
// same way, so that the editor's controller is checked against an independent expectation.
#include "CliRunner.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <csignal>
#include <cstdint>
#include <cstring>
#include <fcntl.h>
#include <initializer_list>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

using clitest::RunCli;
using clitest::TRunOptions;
using clitest::TRunResult;
using testsupport::Bytes;
using testsupport::Concat;
using testsupport::FormattedImage;
using testsupport::ListFolder;
using testsupport::ReadFileBytes;
using testsupport::TempDir;
using testsupport::WriteFileBytes;
using Names = std::vector<std::string>;

const std::string CannotAccept = "The program cannot accept the value.";
const std::string CannotPaste = "The program cannot paste the text in the clipboard.";

// image with its name field (17 bytes, code page 932) and write-protected byte replaced.
Bytes Named(Bytes image, const std::string& name, uint8_t writeProtected = 0x00) {
    std::memset(image.data(), 0, 17);
    std::memcpy(image.data(), name.data(), name.size());
    image[26] = writeProtected;
    return image;
}

// An image told apart from the others of a test by its fill byte, with a size of
// 688 + 144 * sectors bytes.
Bytes Image(const std::string& name, uint8_t fill, int sectors = 1, uint8_t writeProtected = 0x00,
            uint8_t diskType = 0x00) {
    return Named(FormattedImage(diskType, 1, 1, sectors, 0, fill), name, writeProtected);
}

const Bytes Alpha = Image("ALPHA", 0xA1, 1);
const Bytes Beta = Image("beta", 0xB2, 2, 0x10, 0x10);
const Bytes Gamma = Image("Gamma", 0xC3, 3, 0x00, 0x20);

// "ゲーム" in code page 932.
const std::string GameCp932 = "\x83\x51\x81\x5b\x83\x80";

std::string Shown(const std::vector<std::string>& args) {
    std::string shown;
    for (const std::string& arg : args)
        shown += "[" + arg + "]";
    return shown;
}

ino_t Inode(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 ? info.st_ino : 0;
}

// A child that writes text to the pipe fds over and over, as `yes` does. It exits with 0 once
// nobody reads any more, and with 1 after 64 MiB, far more than a reader that stops in time ever
// takes.
pid_t StartEndlessWriter(const int fds[2], const std::string& text) {
    const pid_t pid = ::fork();
    if (pid != 0)
        return pid;
    ::signal(SIGPIPE, SIG_IGN);
    ::close(fds[0]);
    std::string chunk;
    while (chunk.size() < 4096)
        chunk += text;
    for (size_t written = 0; written < (size_t{64} << 20);) {
        const ssize_t n = ::write(fds[1], chunk.data(), chunk.size());
        if (n < 0 && errno == EPIPE)
            ::_exit(0);
        if (n < 0 && errno != EINTR)
            ::_exit(2);
        written += n > 0 ? static_cast<size_t>(n) : 0;
    }
    ::_exit(1);
}

int ExitStatusOf(pid_t pid) {
    const std::optional<int> status = testsupport::WaitForExit(pid);
    return status && WIFEXITED(*status) ? WEXITSTATUS(*status) : -1;
}

void ExpectSuccess(const TRunResult& result, const std::string& out = "") {
    EXPECT_EQ(result.ExitCode, 0);
    EXPECT_EQ(result.Err, "");
    EXPECT_EQ(result.Out, out);
}

// One container, disk.d88, alone in a fresh folder.
class TDocumentFolder {
public:
    explicit TDocumentFolder(const Bytes& bytes) : FPath(FDir.File("disk.d88")) {
        WriteFileBytes(FPath, bytes);
    }
    const TempDir& Dir() const { return FDir; }
    const std::string& Path() const { return FPath; }
    Bytes Contents() const { return ReadFileBytes(FPath); }
    Names Folder() const { return ListFolder(FDir.Path()); }

    // Runs an editing subcommand on the container: args go after "COMMAND FILE".
    TRunResult Run(const std::string& command, std::vector<std::string> args = {},
                   const std::string& input = "") const {
        args.insert(args.begin(), {command, FPath});
        TRunOptions options;
        options.Input = input;
        return RunCli(args, options);
    }

    // A refused command: its exact message, nothing printed, and the container still the very
    // same file (not even rewritten with equal bytes) alone in its folder.
    void ExpectRefused(const TRunResult& result, const std::string& message) const {
        EXPECT_EQ(result.ExitCode, 1);
        EXPECT_EQ(result.Err, "trackwell-cli: " + message + "\n");
        EXPECT_EQ(result.Out, "");
        EXPECT_TRUE(Contents() == FBefore) << message;
        EXPECT_EQ(Inode(FPath), FInode) << message;
        EXPECT_EQ(Folder(), FFolder) << message;
    }

    // Takes the container as it is now as the state every refusal must leave.
    void Settle() {
        FBefore = Contents();
        FInode = Inode(FPath);
        FFolder = Folder();
    }

private:
    TempDir FDir;
    std::string FPath;
    Bytes FBefore;
    ino_t FInode = 0;
    Names FFolder;
};

// ---------------------------------------------------------------------------------------------

TEST(CliEditUsage, HelpListsEveryEditingCommand) {
    const std::string help = RunCli({"--help"}).Out;
    for (const char* line :
         {"  rename FILE ROW NAME [--backup]\n", "  names FILE [ROWS]\n",
          "  paste-names FILE ROWS [--backup] < TEXT\n",
          "  protect FILE ROWS yes|no|toggle [--backup]\n", "  delete FILE ROWS [--backup]\n",
          "  duplicate FILE ROWS [--backup]\n", "  add FILE IN... [--format NAME] [--backup]\n",
          "  add-blank FILE TYPE C H R N [--backup]\n",
          "  sort FILE name|write-protected|disk-type|size [--backup]\n",
          "  reverse FILE [--backup]\n", "  move FILE ROWS up|down [--backup]\n"})
        EXPECT_NE(help.find(line), std::string::npos) << line;
    // The commands that were there before keep their lines.
    EXPECT_NE(help.find("  sum FILE [ROWS]\n"), std::string::npos);
    EXPECT_NE(help.find("  extract IN ROWS OUT [--force]\n"), std::string::npos);
}

TEST(CliEditUsage, UsageErrorsComeBeforeTheFileIsTouched) {
    const std::string help = RunCli({"--help"}).Out;
    ASSERT_FALSE(help.empty());
    TDocumentFolder document(Concat({Alpha, Beta, Gamma}));
    document.Settle();
    const std::string f = document.Path();
    // A missing file shows that the word is refused before anything is opened.
    const std::string missing = document.Dir().File("missing.d88");

    const std::vector<std::vector<std::string>> cases = {
        {"rename", f, "1"},
        {"rename", f, "1", "X", "Y"},
        {"rename", f, "1,2", "X"},
        {"rename", f, "1-1", "X"},
        {"rename", f, "x", "X"},
        {"rename", f, "1", "-X"},
        {"rename", f, "1", "X", "--force"},
        {"rename", missing, "", "X"},
        {"names"},
        {"names", f, "1", "2"},
        {"names", f, "--backup"},
        {"names", f, "1,"},
        {"paste-names", f},
        {"paste-names", f, "a"},
        {"paste-names", f, "1", "2"},
        {"protect", f, "1"},
        {"protect", f, "1", "Yes"},
        {"protect", f, "1", "on"},
        {"protect", f, "1", ""},
        {"protect", missing, "1", "maybe"},
        {"delete", f},
        {"delete", f, "1", "2"},
        {"delete", f, "1", "--write-protected"},
        {"duplicate", f, "2-1"},
        {"duplicate", f, "1", "--name", "X"},
        {"add", f},
        {"add", f, f, "--force"},
        {"add-blank", f, "2D", "1", "1", "1"},
        {"add-blank", f, "2D", "1", "1", "1", "0", "0"},
        {"sort", f},
        {"sort", f, "Name"},
        {"sort", f, "date"},
        {"sort", f, "name", "size"},
        {"sort", missing, "writeprotected"},
        {"reverse"},
        {"reverse", f, "x"},
        {"move", f, "1"},
        {"move", f, "1", "left"},
        {"move", f, "1", "UP"},
        {"move", missing, "1", "top"},
        {"move", f, "0-", "up"},
    };
    for (const std::vector<std::string>& args : cases) {
        const TRunResult result = RunCli(args, {document.Dir().Path()});
        EXPECT_EQ(result.ExitCode, 2) << Shown(args);
        EXPECT_EQ(result.Err, help) << Shown(args);
        EXPECT_EQ(result.Out, "") << Shown(args);
        EXPECT_TRUE(document.Contents() == Concat({Alpha, Beta, Gamma})) << Shown(args);
        EXPECT_EQ(document.Folder(), Names{"disk.d88"}) << Shown(args);
    }
}

// ---------------------------------------------------------------------------------------------

TEST(CliRename, SetsOneRowsNameInCodePage932) {
    TDocumentFolder document(Concat({Alpha, Beta, Gamma}));
    ExpectSuccess(document.Run("rename", {"2", "ゲーム"}));
    EXPECT_TRUE(document.Contents() == Concat({Alpha, Named(Beta, GameCp932, 0x10), Gamma}));
    ExpectSuccess(document.Run("names"), "ALPHA\nゲーム\nGamma\n");
    ExpectSuccess(RunCli({"list", document.Path()}),
                  "1\tALPHA\tNo\t2D\t832\n2\tゲーム\tYes\t2DD\t976\n3\tGamma\tNo\t2HD\t1120\n");

    // Sixteen bytes fill the field; an empty name clears it.
    const std::string sixteen = "\x83\x51\x81\x5b\x83\x80\x83\x66\x83\x42\x83\x58\x83\x4e\x82\x50";
    ExpectSuccess(document.Run("rename", {"3", "ゲームディスク１"}));
    ExpectSuccess(document.Run("rename", {"1", ""}));
    EXPECT_TRUE(document.Contents() ==
                Concat({Named(Alpha, ""), Named(Beta, GameCp932, 0x10), Named(Gamma, sixteen)}));
    EXPECT_EQ(document.Folder(), Names{"disk.d88"});
}

TEST(CliRename, RefusedNamesAndRowsLeaveTheFile) {
    TDocumentFolder document(Concat({Alpha, Beta, Gamma}));
    document.Settle();
    struct TCase {
        std::vector<std::string> Args;
        std::string Message;
    };
    const std::vector<TCase> cases = {
        {{"1", "ABCDEFGHIJKLMNOPQ"}, CannotAccept},
        {{"1", "ゲームディスク１２"}, CannotAccept},
        {{"1", "\xF0\x9F\x98\x80"}, CannotAccept},
        {{"1", "\xFF"}, CannotAccept},
        {{"4", "X"}, "The program cannot accept the row number 4."},
        {{"0", "X"}, "The program cannot accept the row number 0."},
    };
    for (const TCase& c : cases)
        document.ExpectRefused(document.Run("rename", c.Args), c.Message);
}

// ---------------------------------------------------------------------------------------------

TEST(CliNames, PrintsTheSelectedNamesWithoutSaving) {
    TDocumentFolder document(
        Concat({Alpha, Named(Beta, GameCp932, 0x10), Gamma, Named(Alpha, "\x83\x65\x80")}));
    document.Settle();
    const ino_t inode = Inode(document.Path());
    ExpectSuccess(document.Run("names"), "ALPHA\nゲーム\nGamma\nテ\xEF\xBF\xBD\n");
    ExpectSuccess(document.Run("names", {"3,1-2,3"}), "ALPHA\nゲーム\nGamma\n");
    ExpectSuccess(document.Run("names", {"2"}), "ゲーム\n");
    // Not even rewritten with the same bytes.
    EXPECT_EQ(Inode(document.Path()), inode);
    EXPECT_EQ(document.Folder(), Names{"disk.d88"});

    document.ExpectRefused(document.Run("names", {"5"}),
                           "The program cannot accept the row number 5.");
    TRunOptions full;
    full.OutputToFullDevice = true;
    const TRunResult result = RunCli({"names", document.Path()}, full);
    EXPECT_EQ(result.ExitCode, 1);
    EXPECT_EQ(result.Err, "trackwell-cli: The program could not write to standard output.\n");
}

// A name from a file that would steer a terminal or break lines if printed as it is: ESC, TAB,
// LF, a backslash, "表" (0x95 0x5C, whose trail byte is a backslash in ASCII), DEL and CR.
const std::string UnsafeName = "A\x1b\t\n\\\x95\x5c\x7f\r";
const std::string UnsafeNameShown = "A\\x1B\\x09\\x0A\\\\表\\x7F\\x0D";

TEST(CliNames, ControlsAndBackslashesAreEscapedAndPastedBack) {
    TDocumentFolder document(Concat({Named(Alpha, UnsafeName), Beta}));
    ExpectSuccess(RunCli({"list", document.Path()}),
                  "1\t" + UnsafeNameShown + "\tNo\t2D\t832\n2\tbeta\tYes\t2DD\t976\n");
    const TRunResult names = document.Run("names");
    ExpectSuccess(names, UnsafeNameShown + "\nbeta\n");

    TDocumentFolder other(Concat({Gamma, Alpha}));
    ExpectSuccess(other.Run("paste-names", {"1-2"}, names.Out));
    EXPECT_TRUE(other.Contents() == Concat({Named(Gamma, UnsafeName), Named(Alpha, "beta")}));

    // Lower-case digits are read too, and sixteen escapes make the longest line a name can take.
    std::string sixteen;
    for (int i = 0; i < 16; ++i)
        sixteen += "\\x1b";
    ExpectSuccess(other.Run("paste-names", {"2"}, sixteen + "\n"));
    EXPECT_TRUE(other.Contents() ==
                Concat({Named(Gamma, UnsafeName), Named(Alpha, std::string(16, '\x1b'))}));
}

// ---------------------------------------------------------------------------------------------

TEST(CliPasteNames, GivesEachSelectedRowOneLine) {
    TDocumentFolder document(Concat({Alpha, Beta, Gamma}));
    // CR LF, then a last line without a break. Rows are taken in ascending order.
    ExpectSuccess(document.Run("paste-names", {"3,1"}, "ＸＹ\r\nsecond"));
    EXPECT_TRUE(document.Contents() ==
                Concat({Named(Alpha, "\x82\x77\x82\x78"), Beta, Named(Gamma, "second")}));

    // A lone CR ends a line as well, and a break at the very end adds no empty line.
    ExpectSuccess(document.Run("paste-names", {"1-2"}, "P\rQ\r"));
    // LF alone, and an empty line is an empty name.
    ExpectSuccess(document.Run("paste-names", {"3"}, "\n"));
    EXPECT_TRUE(document.Contents() ==
                Concat({Named(Alpha, "P"), Named(Beta, "Q", 0x10), Named(Gamma, "")}));
}

TEST(CliPasteNames, WhatNamesPrintsPastesOntoAnotherOrder) {
    const Bytes original = Concat({Named(Alpha, GameCp932), Beta, Gamma});
    TDocumentFolder document(original);
    const TRunResult names = document.Run("names");
    ExpectSuccess(names, "ゲーム\nbeta\nGamma\n");
    ExpectSuccess(document.Run("reverse"));
    ExpectSuccess(document.Run("paste-names", {"1-3"}, names.Out));
    EXPECT_TRUE(document.Contents() == Concat({Named(Gamma, GameCp932), Named(Beta, "beta", 0x10),
                                               Named(Alpha, "Gamma")}));
}

TEST(CliPasteNames, TextThatDoesNotFitLeavesTheFile) {
    TDocumentFolder document(Concat({Alpha, Beta, Gamma}));
    document.Settle();
    struct TCase {
        std::string Rows;
        std::string Input;
        std::string Message;
    };
    const std::vector<TCase> cases = {
        {"1,3", "only one\n", CannotPaste},
        {"1,3", "a\nb\nc\n", CannotPaste},
        {"1", "", CannotPaste},
        {"1-2", "\n", CannotPaste},
        {"1-2", "fine\nABCDEFGHIJKLMNOPQ\n", CannotAccept},
        {"1", "\xFF\n", CannotAccept},
        {"2,4", "a\nb\n", "The program cannot accept the row number 4."},
        // A backslash starts \\ or \xNN up to 7F and nothing else.
        {"1", "C:\\GAME\n", CannotAccept},
        {"1", "\\x4\n", CannotAccept},
        {"1", "\\x80\n", CannotAccept},
        // Escapes that spell a UTF-8 character are still bytes above 7F, not that character.
        {"1", "\\xE8\\xA1\\xA8\n", CannotAccept},
        {"1", "end\\\n", CannotAccept},
    };
    for (const TCase& c : cases)
        document.ExpectRefused(document.Run("paste-names", {c.Rows}, c.Input), c.Message);
}

TEST(CliPasteNames, AnEndlessInputIsReadNoFurtherThanTheRowsNeed) {
    TDocumentFolder document(Concat({Alpha, Beta, Gamma}));
    document.Settle();
    struct TCase {
        std::string Text;
        std::string Message;
    };
    const std::vector<TCase> cases = {
        // `yes NAME`: one line too many is enough to refuse it.
        {"NAME\n", CannotPaste},
        // One line that never ends is no name once it is longer than any.
        {"NAME", CannotAccept},
    };
    for (const TCase& c : cases) {
        int fds[2];
        ASSERT_EQ(::pipe2(fds, O_CLOEXEC), 0);
        const pid_t writer = StartEndlessWriter(fds, c.Text);
        ASSERT_GT(writer, 0);
        ::close(fds[1]);
        TRunOptions options;
        options.InputDescriptor = fds[0];
        document.ExpectRefused(RunCli({"paste-names", document.Path(), "1-2"}, options), c.Message);
        ::close(fds[0]);
        // Stopped by the reader going away, not by its own limit.
        EXPECT_EQ(ExitStatusOf(writer), 0) << c.Text;
    }
}

TEST(CliPasteNames, InputThatCannotBeReadIsReportedAsSuch) {
    TDocumentFolder document(Concat({Alpha, Beta}));
    document.Settle();
    const int folder = ::open(document.Dir().Path().c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    ASSERT_GE(folder, 0);
    TRunOptions options;
    options.InputDescriptor = folder;
    document.ExpectRefused(RunCli({"paste-names", document.Path(), "1"}, options),
                           "The program could not read standard input.");
    ::close(folder);
}

// ---------------------------------------------------------------------------------------------

TEST(CliProtect, SetsClearsAndTogglesTheSelectedRows) {
    // Write protection: Alpha off, Beta on, Gamma off.
    TDocumentFolder document(Concat({Alpha, Beta, Gamma}));
    ExpectSuccess(document.Run("protect", {"1,3", "yes"}));
    EXPECT_TRUE(document.Contents() ==
                Concat({Named(Alpha, "ALPHA", 0x10), Beta, Named(Gamma, "Gamma", 0x10)}));
    ExpectSuccess(document.Run("protect", {"1-2", "no"}));
    EXPECT_TRUE(document.Contents() ==
                Concat({Alpha, Named(Beta, "beta", 0x00), Named(Gamma, "Gamma", 0x10)}));

    // A mixed selection: each row flips on its own.
    ExpectSuccess(document.Run("protect", {"1-3", "toggle"}));
    EXPECT_TRUE(document.Contents() ==
                Concat({Named(Alpha, "ALPHA", 0x10), Beta, Named(Gamma, "Gamma", 0x00)}));
    ExpectSuccess(RunCli({"list", document.Path()}),
                  "1\tALPHA\tYes\t2D\t832\n2\tbeta\tYes\t2DD\t976\n3\tGamma\tNo\t2HD\t1120\n");
}

TEST(CliProtect, AModeTheEditorDoesNotKnowCannotBeToggled) {
    TDocumentFolder document(Concat({Alpha, Named(Beta, "beta", 0x01)}));
    document.Settle();
    document.ExpectRefused(document.Run("protect", {"1-2", "toggle"}),
                           "The program does not support the write-protect mode.");
    document.ExpectRefused(document.Run("protect", {"3", "yes"}),
                           "The program cannot accept the row number 3.");
    // Setting it outright is allowed.
    ExpectSuccess(document.Run("protect", {"2", "no"}));
    EXPECT_TRUE(document.Contents() == Concat({Alpha, Named(Beta, "beta", 0x00)}));
}

// ---------------------------------------------------------------------------------------------

TEST(CliDeleteAndDuplicate, RemoveOrAppendTheSelectedRows) {
    TDocumentFolder document(Concat({Alpha, Beta, Gamma}));
    ExpectSuccess(document.Run("duplicate", {"3,1"}));
    EXPECT_TRUE(document.Contents() == Concat({Alpha, Beta, Gamma, Alpha, Gamma}));
    ExpectSuccess(document.Run("delete", {"1,3-4"}));
    EXPECT_TRUE(document.Contents() == Concat({Beta, Gamma}));
    ExpectSuccess(document.Run("delete", {"1-2"}));
    EXPECT_TRUE(document.Contents().empty());
    ExpectSuccess(RunCli({"list", document.Path()}), "");
    EXPECT_EQ(document.Folder(), Names{"disk.d88"});
}

TEST(CliDeleteAndDuplicate, ARowOutsideTheFileLeavesIt) {
    TDocumentFolder document(Concat({Alpha, Beta}));
    document.Settle();
    document.ExpectRefused(document.Run("delete", {"0"}),
                           "The program cannot accept the row number 0.");
    document.ExpectRefused(document.Run("delete", {"1,3"}),
                           "The program cannot accept the row number 3.");
    document.ExpectRefused(document.Run("duplicate", {"2-99999999999999999999"}),
                           "The program cannot accept the row number 99999999999999999999.");
}

// ---------------------------------------------------------------------------------------------

TEST(CliAdd, AppendsEveryImageOfEveryFileInPathOrder) {
    TDocumentFolder document(Concat({Alpha}));
    const Bytes delta = Image("DELTA", 0xD4);
    const Bytes epsilon = Image("EPSILON", 0xE5, 2);
    WriteFileBytes(document.Dir().File("x.d88"), Concat({Beta, Gamma}));
    WriteFileBytes(document.Dir().File("a.d88"), Concat({delta}));
    WriteFileBytes(document.Dir().File("empty.d88"), {});
    ExpectSuccess(
        document.Run("add", {document.Dir().File("x.d88"), document.Dir().File("empty.d88"),
                             document.Dir().File("a.d88")}));
    EXPECT_TRUE(document.Contents() == Concat({Alpha, delta, Beta, Gamma}));

    // The same file twice is added twice.
    WriteFileBytes(document.Dir().File("e.d88"), epsilon);
    ExpectSuccess(
        document.Run("add", {document.Dir().File("e.d88"), document.Dir().File("e.d88")}));
    EXPECT_TRUE(document.Contents() == Concat({Alpha, delta, Beta, Gamma, epsilon, epsilon}));
}

TEST(CliAdd, RelativePathsAreTakenFromTheStartingFolder) {
    TempDir dir;
    ASSERT_EQ(::mkdir(dir.File("sub").c_str(), 0777), 0);
    WriteFileBytes(dir.File("sub/disk.d88"), Alpha);
    WriteFileBytes(dir.File("in.d88"), Beta);
    // What a path resolved from the document's folder would find instead.
    WriteFileBytes(dir.File("sub/in.d88"), Gamma);
    TRunOptions options;
    options.WorkingDir = dir.Path();
    ExpectSuccess(RunCli({"add", "sub/disk.d88", "in.d88", "./sub/../in.d88"}, options));
    EXPECT_TRUE(ReadFileBytes(dir.File("sub/disk.d88")) == Concat({Alpha, Beta, Beta}));

    options.WorkingDir = dir.File("sub");
    ExpectSuccess(RunCli({"add", "disk.d88", "../in.d88", "in.d88"}, options));
    // Added in path order: ".../in.d88" before ".../sub/in.d88".
    EXPECT_TRUE(ReadFileBytes(dir.File("sub/disk.d88")) ==
                Concat({Alpha, Beta, Beta, Beta, Gamma}));
    EXPECT_EQ(ListFolder(dir.File("sub")), (Names{"disk.d88", "in.d88"}));

    // A ".." after a link to a folder leads where the kernel goes: to the parent of the target.
    ASSERT_EQ(::mkdir(dir.File("real").c_str(), 0777), 0);
    ASSERT_EQ(::mkdir(dir.File("real/sub").c_str(), 0777), 0);
    WriteFileBytes(dir.File("real/f.d88"), Alpha);
    WriteFileBytes(dir.File("f.d88"), Beta);
    ASSERT_EQ(::symlink("real/sub", dir.File("x").c_str()), 0);
    options.WorkingDir = dir.Path();
    ExpectSuccess(RunCli({"add", "x/../f.d88", "x/../f.d88"}, options));
    EXPECT_TRUE(ReadFileBytes(dir.File("real/f.d88")) == Concat({Alpha, Alpha}));
    EXPECT_TRUE(ReadFileBytes(dir.File("f.d88")) == Beta);
}

TEST(CliAdd, AFileThatIsNoContainerLeavesTheDocument) {
    TDocumentFolder document(Concat({Alpha}));
    WriteFileBytes(document.Dir().File("note.txt"), {'h', 'e', 'l', 'l', 'o', '\n'});
    WriteFileBytes(document.Dir().File("b.d88"), Beta);
    document.Settle();
    document.ExpectRefused(
        document.Run("add", {document.Dir().File("b.d88"), document.Dir().File("note.txt")}),
        "The program could not load the disk image.");
    document.ExpectRefused(
        document.Run("add", {document.Dir().File("b.d88"), document.Dir().File("gone.d88")}),
        "The program could not get the long form of the path.\ntrackwell-cli: No such file or "
        "directory: " +
            document.Dir().File("gone.d88"));
}

// ---------------------------------------------------------------------------------------------

TEST(CliAddBlank, AppendsOneFormattedImage) {
    TDocumentFolder document(Concat({Alpha}));
    ExpectSuccess(document.Run("add-blank", {"2HD", "2", "1", "3", "1"}));
    ExpectSuccess(document.Run("add-blank", {"2DD", "$1", "0x1", "1", "0"}));
    EXPECT_TRUE(document.Contents() == Concat({Alpha, FormattedImage(0x20, 2, 1, 3, 1),
                                               FormattedImage(0x10, 1, 1, 1, 0)}));

    // An empty container takes one too.
    TDocumentFolder empty({});
    ExpectSuccess(empty.Run("add-blank", {"2D", "0", "0", "0", "0"}));
    EXPECT_TRUE(empty.Contents() == FormattedImage(0x00, 0, 0, 0, 0));
}

TEST(CliAddBlank, RefusedValuesLeaveTheFile) {
    TDocumentFolder document(Concat({Alpha}));
    document.Settle();
    struct TCase {
        std::vector<std::string> Args;
        std::string Message;
    };
    const std::vector<TCase> cases = {
        {{"2d", "1", "1", "1", "0"}, "The program does not support the disk type."},
        {{"2D", "256", "1", "1", "0"}, "The program cannot accept the C value."},
        {{"2D", "1", "1", "1", "0x"}, "The program cannot accept the N value."},
        {{"2D", "1", "1", "1", "9"}, "The program does not support the disk format."},
        {{"2HD", "83", "2", "1", "0"}, "The program does not support the disk format."},
    };
    for (const TCase& c : cases)
        document.ExpectRefused(document.Run("add-blank", c.Args), c.Message);
}

// ---------------------------------------------------------------------------------------------

// Four images whose every key orders them differently; ties keep their order.
const Bytes One = Image("b", 0x01, 1, 0x00, 0x20);
const Bytes Two = Image("A", 0x02, 3, 0x10, 0x00);
const Bytes Three = Image("a", 0x03, 2, 0x00, 0x10);
const Bytes Four = Image("B", 0x04, 1, 0x10, 0x00);

TEST(CliSort, EachKeyOrdersStably) {
    struct TCase {
        std::string Key;
        Bytes Expected;
    };
    const std::vector<TCase> cases = {
        // Letters without regard to case first; the lower-case one first among equals.
        {"name", Concat({Three, Two, One, Four})},
        {"write-protected", Concat({Two, Four, One, Three})},
        {"disk-type", Concat({Two, Four, Three, One})},
        // 832, 832, 976, 1120 bytes.
        {"size", Concat({One, Four, Three, Two})},
    };
    for (const TCase& c : cases) {
        TDocumentFolder document(Concat({One, Two, Three, Four}));
        ExpectSuccess(document.Run("sort", {c.Key}));
        EXPECT_TRUE(document.Contents() == c.Expected) << c.Key;
    }

    TDocumentFolder document(Concat({One, Two, Three, Four}));
    ExpectSuccess(document.Run("sort", {"size"}));
    ExpectSuccess(RunCli({"list", document.Path()}),
                  "1\tb\tNo\t2HD\t832\n2\tB\tYes\t2D\t832\n3\ta\tNo\t2DD\t976\n"
                  "4\tA\tYes\t2D\t1120\n");
}

TEST(CliSort, AValueTheEditorCannotRankLeavesTheFile) {
    TDocumentFolder document(Concat({One, Named(Two, "A", 0x01)}));
    document.Settle();
    // The disk-image unit's wording, which differs by two letters from Toggle's.
    document.ExpectRefused(document.Run("sort", {"write-protected"}),
                           "The program does not support the write-protected mode.");
}

TEST(CliReverseAndMove, ReorderTheRows) {
    const Bytes five = Image("FIVE", 0x05);
    TDocumentFolder document(Concat({One, Two, Three, Four, five}));
    ExpectSuccess(document.Run("reverse"));
    EXPECT_TRUE(document.Contents() == Concat({five, Four, Three, Two, One}));
    ExpectSuccess(document.Run("reverse"));

    struct TCase {
        std::string Rows;
        std::string Direction;
        Bytes Expected;
    };
    // Each case starts from the order the one before left.
    const std::vector<TCase> cases = {
        // The first row cannot go higher; the third passes the second.
        {"1,3", "up", Concat({One, Three, Two, Four, five})},
        // Neighbours move together.
        {"2-3", "up", Concat({Three, Two, One, Four, five})},
        {"2,4", "down", Concat({Three, One, Two, five, Four})},
        // Already at the bottom: nothing moves.
        {"4-5", "down", Concat({Three, One, Two, five, Four})},
        {"1", "down", Concat({One, Three, Two, five, Four})},
    };
    for (const TCase& c : cases) {
        ExpectSuccess(document.Run("move", {c.Rows, c.Direction}));
        EXPECT_TRUE(document.Contents() == c.Expected) << c.Rows << " " << c.Direction;
    }
    document.Settle();
    document.ExpectRefused(document.Run("move", {"6", "up"}),
                           "The program cannot accept the row number 6.");
}

// ---------------------------------------------------------------------------------------------

TEST(CliEditBackup, KeepsEveryEarlierVersionBesideTheFile) {
    const Bytes original = Concat({Alpha, Beta, Gamma});
    TDocumentFolder document(original);
    ExpectSuccess(document.Run("protect", {"1", "yes", "--backup"}));
    const Bytes protectedFirst = Concat({Named(Alpha, "ALPHA", 0x10), Beta, Gamma});
    EXPECT_TRUE(document.Contents() == protectedFirst);
    EXPECT_TRUE(ReadFileBytes(document.Dir().File("[Backup] disk.d88")) == original);

    ExpectSuccess(document.Run("reverse", {"--backup"}));
    EXPECT_TRUE(document.Contents() == Concat({Gamma, Beta, Named(Alpha, "ALPHA", 0x10)}));
    EXPECT_TRUE(ReadFileBytes(document.Dir().File("[Backup] disk.d88")) == original);
    EXPECT_TRUE(ReadFileBytes(document.Dir().File("[Backup] disk (2).d88")) == protectedFirst);

    // Without the option no backup is made.
    ExpectSuccess(document.Run("reverse"));
    EXPECT_EQ(document.Folder(), (Names{"[Backup] disk (2).d88", "[Backup] disk.d88", "disk.d88"}));
}

TEST(CliEditBackup, GoesBesideAFileGivenRelativeToAnotherFolder) {
    TempDir dir;
    ASSERT_EQ(::mkdir(dir.File("sub").c_str(), 0777), 0);
    const Bytes original = Concat({Alpha, Beta});
    WriteFileBytes(dir.File("sub/disk"), original);
    TRunOptions options;
    options.WorkingDir = dir.Path();
    ExpectSuccess(RunCli({"delete", "sub/disk", "1", "--backup"}, options));
    ExpectSuccess(RunCli({"duplicate", "--backup", "sub/disk", "1"}, options));
    EXPECT_EQ(ListFolder(dir.Path()), Names{"sub"});
    // Without an extension the number goes at the end.
    EXPECT_EQ(ListFolder(dir.File("sub")), (Names{"[Backup] disk", "[Backup] disk (2)", "disk"}));
    EXPECT_TRUE(ReadFileBytes(dir.File("sub/[Backup] disk")) == original);
    EXPECT_TRUE(ReadFileBytes(dir.File("sub/[Backup] disk (2)")) == Beta);
    EXPECT_TRUE(ReadFileBytes(dir.File("sub/disk")) == Concat({Beta, Beta}));
}

TEST(CliEditBackup, AFailedCommandLeavesNoBackup) {
    const Bytes original = Concat({Alpha, Beta, Gamma});
    TDocumentFolder document(original);
    document.Settle();
    document.ExpectRefused(document.Run("delete", {"4", "--backup"}),
                           "The program cannot accept the row number 4.");
    document.ExpectRefused(document.Run("paste-names", {"1", "--backup"}, "a\nb\n"), CannotPaste);

    // The copy fits under the limit but the grown file does not, so the save fails after the
    // backup was made.
    TRunOptions options;
    options.FileSizeLimit = 4096;
    ASSERT_LT(original.size(), 4096u);
    const std::string tooLarge = "The program could not save the disk images.\ntrackwell-cli: "
                                 "File too large: " +
                                 document.Path();
    document.ExpectRefused(RunCli({"duplicate", document.Path(), "1-3", "--backup"}, options),
                           tooLarge);
    document.ExpectRefused(RunCli({"duplicate", document.Path(), "1-3"}, options), tooLarge);
    // The same command without the limit succeeds, so the limit was what refused it.
    ExpectSuccess(document.Run("duplicate", {"1-3", "--backup"}));
    EXPECT_TRUE(document.Contents() == Concat({original, original}));
    EXPECT_TRUE(ReadFileBytes(document.Dir().File("[Backup] disk.d88")) == original);
}

// ---------------------------------------------------------------------------------------------

TEST(CliEditFailures, AFileThatCannotBeOpenedIsLeftAlone) {
    TDocumentFolder document(Concat({Alpha, Beta}));
    Bytes truncated = Concat({Alpha, Beta});
    truncated.pop_back();
    WriteFileBytes(document.Path(), truncated);
    document.Settle();
    document.ExpectRefused(document.Run("reverse", {"--backup"}),
                           "The program could not load the disk image.");
    document.ExpectRefused(document.Run("rename", {"1", "X"}),
                           "The program could not load the disk image.");

    TempDir dir;
    const TRunResult missing = RunCli({"reverse", dir.File("missing.d88")});
    EXPECT_EQ(missing.ExitCode, 1);
    EXPECT_EQ(missing.Err, "trackwell-cli: The program could not get the long form of the path.\n"
                           "trackwell-cli: No such file or directory: " +
                               dir.File("missing.d88") + "\n");
    EXPECT_EQ(ListFolder(dir.Path()), Names{});
}

TEST(CliEditFailures, OperationsOnAnEmptyContainerSayWhatIsWrong) {
    TDocumentFolder document({});
    document.Settle();
    const std::string message = "The file holds no disk images.";
    document.ExpectRefused(document.Run("names"), message);
    document.ExpectRefused(document.Run("sort", {"name"}), message);
    document.ExpectRefused(document.Run("reverse", {"--backup"}), message);
    document.ExpectRefused(document.Run("delete", {"1"}),
                           "The program cannot accept the row number 1.");
}

TEST(CliEditConcurrency, TwoCommandsStartedTogetherBothTakeEffect) {
    TDocumentFolder document(Concat({Alpha, Beta, Gamma}));
    // One of each pair comes through a link: the commands meet at the file, not at its name.
    const std::string link = document.Dir().File("link.d88");
    ASSERT_EQ(::symlink(document.Path().c_str(), link.c_str()), 0);
    uint8_t betaProtection = 0x10;
    for (int round = 0; round < 20; ++round) {
        // Toggling shows a lost protect in every round, not only in the first.
        const std::string name = std::string("R") + std::to_string(round);
        TRunResult renamed;
        std::thread renamer([&] { renamed = RunCli({"rename", link, "1", name}); });
        const TRunResult protectedRow = document.Run("protect", {"2", "toggle"});
        renamer.join();
        ExpectSuccess(renamed);
        ExpectSuccess(protectedRow);
        betaProtection ^= 0x10;
        ASSERT_TRUE(document.Contents() ==
                    Concat({Named(Alpha, name), Named(Beta, "beta", betaProtection), Gamma}))
            << "round " << round;
    }
    EXPECT_EQ(document.Folder(), (Names{"disk.d88", "link.d88"}));
}

} // namespace
