// End-to-end tests of trackwell-cli: every case runs the built program and checks what scripts
// see, namely standard output, standard error, the exit code and the files left on disk.
#include "CliRunner.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <string>
#include <sys/stat.h>
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
using testsupport::SampleBytes;
using testsupport::SamplePath;
using testsupport::TempDir;
using testsupport::WriteFileBytes;

const char* const CpmSample = "cpm-x1turbo-2d.d88";
const char* const Fm77Sample = "fm77av-demo.d77";
const char* const HuBasicSample = "hubasic-2d-17-byte-name.d88";
constexpr size_t SampleSize = 348848;

// A sample one byte short, in a folder of its own: a container no command can read.
std::string CutSample(const TempDir& dir) {
    Bytes bytes = SampleBytes(CpmSample);
    bytes.pop_back();
    WriteFileBytes(dir.File("cut.d88"), bytes);
    return dir.File("cut.d88");
}
const std::string CutSampleRefusal = "The program could not load the disk image.";

// A blank formatted image laid out by hand from the D88 layout, so that the program's output is
// compared with an independent expectation.
Bytes BlankImage(uint8_t diskType, int c, int h, int r, int n, const std::string& name = "",
                 uint8_t writeProtected = 0x00) {
    Bytes bytes = FormattedImage(diskType, c, h, r, n);
    std::memcpy(bytes.data(), name.data(), name.size());
    bytes[26] = writeProtected;
    return bytes;
}

// image with its name field (17 bytes), write-protected byte and disk-type byte replaced.
Bytes WithHeader(Bytes image, const std::string& name, uint8_t writeProtected = 0x00,
                 uint8_t diskType = 0x00) {
    std::memset(image.data(), 0, 17);
    std::memcpy(image.data(), name.data(), name.size());
    image[26] = writeProtected;
    image[27] = diskType;
    return image;
}

std::string HelpText() {
    return RunCli({"--help"}).Out;
}

// The checks every refused command shares: the exact message, nothing on standard output, and
// the folder exactly as it was.
void ExpectFailure(const TRunResult& result, const std::string& message, const TempDir& dir,
                   const std::vector<std::string>& folderBefore) {
    EXPECT_EQ(result.ExitCode, 1);
    EXPECT_EQ(result.Err, "trackwell-cli: " + message + "\n");
    EXPECT_EQ(result.Out, "");
    EXPECT_EQ(ListFolder(dir.Path()), folderBefore);
}

// A refusal whose cause the system gave: the program's sentence, then the system's reason.
void ExpectFailure(const TRunResult& result, const std::string& message, const std::string& reason,
                   const TempDir& dir, const std::vector<std::string>& folderBefore) {
    ExpectFailure(result, message + "\ntrackwell-cli: " + reason, dir, folderBefore);
}

// ---------------------------------------------------------------------------------------------

TEST(CliUsage, HelpPrintsUsageOnStandardOutput) {
    const std::string help = HelpText();
    EXPECT_EQ(help.rfind("Usage: trackwell-cli COMMAND", 0), 0u) << help;
    for (const char* line :
         {"  list FILE\n", "  blank OUT TYPE C H R N [--name NAME] [--write-protected] [--force]\n",
          "  merge OUT IN... [--format NAME] [--force]\n", "  extract IN ROWS OUT [--force]\n",
          "  split IN [DIR]\n", "  sum FILE [ROWS]\n"})
        EXPECT_NE(help.find(line), std::string::npos) << line;

    for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
             {"--help"}, {"-h"}, {"list", "--help"}, {"blank", "OUT", "-h"}}) {
        const TRunResult result = RunCli(args);
        EXPECT_EQ(result.ExitCode, 0) << args.back();
        EXPECT_EQ(result.Out, help);
        EXPECT_EQ(result.Err, "");
    }
}

TEST(CliUsage, UsageErrorsPrintUsageOnStandardErrorAndWriteNothing) {
    const std::string help = HelpText();
    ASSERT_FALSE(help.empty());
    TempDir dir;
    const std::string in = dir.File("in.d88");
    WriteFileBytes(in, Concat({SampleBytes(CpmSample), SampleBytes(Fm77Sample)}));
    const std::string out = dir.File("out.d88");
    const std::vector<std::string> before = ListFolder(dir.Path());

    const std::vector<std::vector<std::string>> cases = {
        {},
        {"bogus"},
        {"-x"},
        {"--helpme"},
        {"LIST", in},
        {"list"},
        {"list", in, in},
        {"list", in, "--force"},
        {"blank", out, "2D", "1", "1", "1"},
        {"blank", out, "2D", "1", "1", "1", "0", "0"},
        {"blank", out, "2D", "1", "1", "1", "0", "--bogus"},
        {"blank", out, "2D", "1", "1", "1", "0", "--name"},
        {"blank", out, "2D", "1", "1", "1", "0", "--", "--force"},
        {"merge", out},
        {"merge", out, in, "--name", "X"},
        {"extract", in, "1"},
        {"extract", in, "1", out, "x"},
        {"extract", in, "1", out, "--write-protected"},
        {"extract", in, "1,,2", out},
        {"extract", in, "2-1", out},
        {"extract", in, "a", out},
        {"extract", in, "1-", out},
        {"extract", in, "-1", out},
        {"extract", in, "1-2-3", out},
        {"extract", in, "", out},
        {"extract", in, "0x1", out},
        {"extract", in, "1, 2", out},
        {"extract", in, "100000000000000000000-99999999999999999999", out},
        {"split"},
        {"split", in, dir.Path(), "extra"},
        {"split", in, "--force"},
        {"sum"},
        {"sum", in, "1", "2"},
        {"sum", in, "1,"},
        {"sum", in, "+1"},
    };
    for (const std::vector<std::string>& args : cases) {
        std::string shown;
        for (const std::string& arg : args)
            shown += "[" + arg + "]";
        const TRunResult result = RunCli(args, {dir.Path()});
        EXPECT_EQ(result.ExitCode, 2) << shown;
        EXPECT_EQ(result.Err, help) << shown;
        EXPECT_EQ(result.Out, "") << shown;
        EXPECT_EQ(ListFolder(dir.Path()), before) << shown;
    }
}

// ---------------------------------------------------------------------------------------------

TEST(CliList, ListsEachSample) {
    TRunResult result = RunCli({"list", SamplePath(CpmSample)});
    EXPECT_EQ(result.ExitCode, 0);
    EXPECT_EQ(result.Out, "1\t\tNo\t2D\t348848\n");
    EXPECT_EQ(result.Err, "");

    result = RunCli({"list", SamplePath(Fm77Sample)});
    EXPECT_EQ(result.ExitCode, 0);
    EXPECT_EQ(result.Out, "1\tD77IMG\tNo\t2D\t348848\n");
    EXPECT_EQ(result.Err, "");

    // Its name fills the whole field, as another program wrote it.
    result = RunCli({"list", SamplePath(HuBasicSample)});
    EXPECT_EQ(result.Out, "1\tby_github_ORYZAPA\tNo\t2D\t348848\n");
    EXPECT_EQ(result.Err, "");

    TempDir dir;
    result = RunCli({"list", CutSample(dir)});
    EXPECT_EQ(result.ExitCode, 1);
    EXPECT_EQ(result.Out, "");
    EXPECT_EQ(result.Err, "trackwell-cli: " + CutSampleRefusal + "\n");
}

TEST(CliList, ListsEveryImageOfAConcatenation) {
    TempDir dir;
    const std::string path = dir.File("three.d88");
    WriteFileBytes(path, Concat({SampleBytes(Fm77Sample), SampleBytes(CpmSample),
                                 BlankImage(0x20, 1, 1, 1, 0, "THIRD", 0x10)}));
    const TRunResult result = RunCli({"list", path});
    EXPECT_EQ(result.ExitCode, 0);
    EXPECT_EQ(result.Out, "1\tD77IMG\tNo\t2D\t348848\n"
                          "2\t\tNo\t2D\t348848\n"
                          "3\tTHIRD\tYes\t2HD\t832\n");
    EXPECT_EQ(result.Err, "");
}

TEST(CliList, EmptyContainerListsNothing) {
    TempDir dir;
    const std::string path = dir.File("empty.d88");
    WriteFileBytes(path, {});
    const TRunResult result = RunCli({"list", path});
    EXPECT_EQ(result.ExitCode, 0);
    EXPECT_EQ(result.Out, "");
    EXPECT_EQ(result.Err, "");
}

TEST(CliList, BytesWithoutTextShowAsHexAndReplacementCharacter) {
    TempDir dir;
    const std::string path = dir.File("odd.d88");
    // "テスト" in code page 932, then 0x80, which starts no character there.
    const std::string name = "\x83\x65\x83\x58\x83\x67\x80";
    WriteFileBytes(path, Concat({WithHeader(SampleBytes(CpmSample), name, 0xab, 0x3c),
                                 WithHeader(SampleBytes(CpmSample), "\xfd", 0x01, 0x0f)}));
    const TRunResult result = RunCli({"list", path});
    EXPECT_EQ(result.ExitCode, 0);
    EXPECT_EQ(result.Out,
              "1\t\xE3\x83\x86\xE3\x82\xB9\xE3\x83\x88\xEF\xBF\xBD\t0xAB\t0x3C\t348848\n"
              "2\t\xEF\xBF\xBD\t0x01\t0x0F\t348848\n");
    EXPECT_EQ(result.Err, "");
}

TEST(CliList, UnreadableFilesFail) {
    TempDir dir;
    const std::string truncated = dir.File("truncated.d88");
    Bytes bytes = Concat({SampleBytes(CpmSample), SampleBytes(Fm77Sample)});
    bytes.pop_back();
    WriteFileBytes(truncated, bytes);
    const std::vector<std::string> before = ListFolder(dir.Path());

    // A damaged file is the program's finding: no reason from the system follows.
    ExpectFailure(RunCli({"list", truncated}), "The program could not load the disk image.", dir,
                  before);
    const std::string cannotLoad = "The program could not load the disk images.";
    ExpectFailure(RunCli({"list", dir.File("missing.d88")}), cannotLoad,
                  "No such file or directory: " + dir.File("missing.d88"), dir, before);
    ExpectFailure(RunCli({"list", dir.Path()}), cannotLoad, "Is a directory: " + dir.Path(), dir,
                  before);
    ExpectFailure(RunCli({"sum", "/dev/null"}), cannotLoad, "Not a regular file: /dev/null", dir,
                  before);

    ASSERT_EQ(::chmod(truncated.c_str(), 0), 0);
    if (::geteuid() == 0)
        GTEST_SKIP() << "the administrator reads a file without read permission all the same";
    ExpectFailure(RunCli({"list", truncated}), cannotLoad, "Permission denied: " + truncated, dir,
                  before);
}

TEST(CliList, OutputThatCannotBeWrittenFails) {
    TRunOptions options;
    options.OutputToFullDevice = true;
    const TRunResult result = RunCli({"list", SamplePath(Fm77Sample)}, options);
    EXPECT_EQ(result.ExitCode, 1);
    EXPECT_EQ(result.Err, "trackwell-cli: The program could not write to standard output.\n");
}

// ---------------------------------------------------------------------------------------------

TEST(CliBlank, MakesAFormattedImage) {
    TempDir dir;
    const std::string path = dir.File("blank.d88");
    TRunResult result = RunCli({"blank", path, "2D", "40", "2", "16", "1"});
    EXPECT_EQ(result.ExitCode, 0);
    EXPECT_EQ(result.Out, "");
    EXPECT_EQ(result.Err, "");
    const Bytes written = ReadFileBytes(path);
    EXPECT_EQ(written.size(), SampleSize);
    EXPECT_TRUE(written == BlankImage(0x00, 40, 2, 16, 1));

    result = RunCli({"list", path});
    EXPECT_EQ(result.Out, "1\t\tNo\t2D\t348848\n");
    EXPECT_EQ(ListFolder(dir.Path()), std::vector<std::string>{"blank.d88"});
}

TEST(CliBlank, ReadsHexValues) {
    TempDir dir;
    const std::string path = dir.File("hex.d88");
    TRunResult result = RunCli({"blank", path, "2DD", "0x10", "$2", "$FF", "0X0"});
    EXPECT_EQ(result.ExitCode, 0);
    EXPECT_EQ(result.Err, "");
    EXPECT_TRUE(ReadFileBytes(path) == BlankImage(0x10, 16, 2, 255, 0));

    result = RunCli({"list", path});
    EXPECT_EQ(result.Out, "1\t\tNo\t2DD\t1175728\n");
}

TEST(CliBlank, NameAndWriteProtectedRoundTrip) {
    TempDir dir;
    const std::string path = dir.File("named.d88");
    // Eight two-byte characters: the 16 bytes the name field allows.
    const std::string name = "ゲームディスク１";
    TRunResult result =
        RunCli({"blank", path, "2HD", "1", "1", "1", "3", "--name", name, "--write-protected"});
    EXPECT_EQ(result.ExitCode, 0);
    EXPECT_EQ(result.Err, "");
    const std::string cp932 = "\x83\x51\x81\x5b\x83\x80\x83\x66\x83\x42\x83\x58\x83\x4e\x82\x50";
    EXPECT_TRUE(ReadFileBytes(path) == BlankImage(0x20, 1, 1, 1, 3, cp932, 0x10));

    result = RunCli({"list", path});
    EXPECT_EQ(result.ExitCode, 0);
    EXPECT_EQ(result.Out, "1\t" + name + "\tYes\t2HD\t1728\n");
}

TEST(CliBlank, OptionsStandAnywhereAndDoubleDashEndsThem) {
    TempDir dir;
    TRunResult result =
        RunCli({"blank", "--write-protected", "a.d88", "2DD", "--name", "-A-", "1", "1", "1", "0"},
               {dir.Path()});
    EXPECT_EQ(result.ExitCode, 0);
    EXPECT_EQ(result.Err, "");
    EXPECT_EQ(RunCli({"list", dir.File("a.d88")}).Out, "1\t-A-\tYes\t2DD\t832\n");

    result = RunCli({"blank", "--", "--force", "2D", "0", "0", "0", "0"}, {dir.Path()});
    EXPECT_EQ(result.ExitCode, 0);
    EXPECT_EQ(result.Err, "");
    EXPECT_TRUE(ReadFileBytes(dir.File("--force")) == BlankImage(0x00, 0, 0, 0, 0));

    result = RunCli({"list", "--", "--help"}, {dir.Path()});
    EXPECT_EQ(result.ExitCode, 1);
    EXPECT_EQ(result.Out, "");
    EXPECT_EQ(result.Err, "trackwell-cli: The program could not load the disk images.\n"
                          "trackwell-cli: No such file or directory: --help\n");
    EXPECT_EQ(ListFolder(dir.Path()), (std::vector<std::string>{"--force", "a.d88"}));
}

TEST(CliBlank, RefusedValuesWriteNothing) {
    TempDir dir;
    const std::string out = dir.File("out.d88");
    struct TCase {
        std::vector<std::string> Args;
        std::string Message;
    };
    const std::string type = "The program does not support the disk type.";
    const std::string format = "The program does not support the disk format.";
    const std::vector<TCase> cases = {
        {{"2d", "1", "1", "1", "0"}, type},
        {{"2HD ", "1", "1", "1", "0"}, type},
        {{"1DD", "x", "x", "x", "x"}, type},
        {{"2D", "256", "1", "1", "0"}, "The program cannot accept the C value."},
        {{"2D", "-1", "x", "1", "0"}, "The program cannot accept the C value."},
        {{"2D", "", "1", "1", "0"}, "The program cannot accept the C value."},
        {{"2D", "1", "$100", "1", "0"}, "The program cannot accept the H value."},
        {{"2D", "1", "1", "1.5", "x"}, "The program cannot accept the R value."},
        {{"2D", "1", "1", "1", "0x"}, "The program cannot accept the N value."},
        {{"2D", "1", "1", "1", "9"}, format},
        {{"2D", "165", "1", "1", "0"}, format},
        {{"2HD", "83", "2", "1", "0"}, format},
    };
    for (const TCase& c : cases) {
        std::vector<std::string> args = {"blank", out};
        args.insert(args.end(), c.Args.begin(), c.Args.end());
        ExpectFailure(RunCli(args), c.Message, dir, {});
    }

    ExpectFailure(RunCli({"blank", out, "2D", "1", "1", "1", "0", "--name", "\xF0\x9F\x98\x80"}),
                  "The program cannot accept the value.", dir, {});
    ExpectFailure(RunCli({"blank", out, "2D", "1", "1", "1", "0", "--name", "\xFF"}),
                  "The program cannot accept the value.", dir, {});
    // A name the field cannot hold is refused as the editing commands refuse it.
    ExpectFailure(RunCli({"blank", out, "2D", "1", "1", "1", "0", "--name", "ABCDEFGHIJKLMNOPQ"}),
                  "The program cannot accept the value.", dir, {});
    ExpectFailure(RunCli({"blank", out, "2D", "1", "1", "1", "0", "--name", "ゲームディスク１２"}),
                  "The program cannot accept the value.", dir, {});
    ExpectFailure(RunCli({"blank", dir.File("no-such-folder/out.d88"), "2D", "1", "1", "1", "0"}),
                  "The program could not save the disk images.",
                  "No such file or directory: " + dir.File("no-such-folder/out.d88"), dir, {});
}

TEST(CliBlank, MemoryThatCannotBeHadWritesNothing) {
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "the sanitizer's shadow memory does not fit under an address-space limit";
#else
    TempDir dir;
    TRunOptions options;
    options.AddressSpaceLimit = rlim_t{256} << 20;
    // 164 tracks of 255 sectors of 32,768 bytes: about 1.3 GB.
    const TRunResult result =
        RunCli({"blank", dir.File("big.d88"), "2D", "82", "2", "255", "8"}, options);
    ExpectFailure(result, "Out of memory while expanding memory stream", dir, {});
#endif
}

TEST(CliList, ASmallFileClaimingGigabytesFailsWithoutAskingForThem) {
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "the sanitizer's shadow memory does not fit under an address-space limit";
#else
    TempDir dir;
    Bytes bytes = SampleBytes(Fm77Sample);
    bytes.resize(700);
    bytes[28] = 0xFF; // a disk size of 0x7FFFFFFF
    bytes[29] = 0xFF;
    bytes[30] = 0xFF;
    bytes[31] = 0x7F;
    WriteFileBytes(dir.File("claim.d88"), bytes);
    TRunOptions options;
    options.AddressSpaceLimit = rlim_t{256} << 20;
    const TRunResult result = RunCli({"list", dir.File("claim.d88")}, options);
    ExpectFailure(result, "The program could not load the disk image.", dir, {"claim.d88"});
#endif
}

// ---------------------------------------------------------------------------------------------

TEST(CliOverwrite, ExistingOutIsRefusedWithoutForceAndReplacedWithIt) {
    TempDir dir;
    const std::string in = dir.File("in.d88");
    const Bytes cpm = SampleBytes(CpmSample);
    const Bytes fm77 = SampleBytes(Fm77Sample);
    WriteFileBytes(in, Concat({cpm, fm77}));
    const Bytes old = {'o', 'l', 'd'};
    // Given relative to the working folder, so the message must repeat that exact text.
    const std::string out = "existing.d88";
    const std::string outPath = dir.File(out);
    WriteFileBytes(outPath, old);
    const std::vector<std::string> before = ListFolder(dir.Path());
    const std::string refusal = "The program cannot overwrite the file \"existing.d88\".";

    const std::vector<std::vector<std::string>> refused = {
        {"blank", out, "2D", "40", "2", "16", "1"},
        {"merge", out, in},
        {"extract", in, "2", out},
    };
    for (const std::vector<std::string>& args : refused) {
        ExpectFailure(RunCli(args, {dir.Path()}), refusal, dir, before);
        EXPECT_TRUE(ReadFileBytes(outPath) == old) << args[0];
    }

    // A dangling symbolic link is something there too.
    ASSERT_EQ(::symlink("nowhere", dir.File("link.d88").c_str()), 0);
    const std::vector<std::string> withLink = ListFolder(dir.Path());
    ExpectFailure(RunCli({"blank", "link.d88", "2D", "1", "1", "1", "0"}, {dir.Path()}),
                  "The program cannot overwrite the file \"link.d88\".", dir, withLink);

    TRunResult result = RunCli({"blank", out, "2D", "40", "2", "16", "1", "--force"}, {dir.Path()});
    EXPECT_EQ(result.ExitCode, 0);
    EXPECT_EQ(result.Err, "");
    EXPECT_TRUE(ReadFileBytes(outPath) == BlankImage(0x00, 40, 2, 16, 1));

    result = RunCli({"merge", "--force", out, in, in}, {dir.Path()});
    EXPECT_EQ(result.ExitCode, 0);
    EXPECT_TRUE(ReadFileBytes(outPath) == Concat({cpm, fm77, cpm, fm77}));

    result = RunCli({"extract", in, "2", out, "--force"}, {dir.Path()});
    EXPECT_EQ(result.ExitCode, 0);
    EXPECT_TRUE(ReadFileBytes(outPath) == fm77);
    EXPECT_EQ(ListFolder(dir.Path()), withLink);
}

// A save ended at any moment, by a kill or by a user's interrupt, leaves OUT as it was or
// complete, and no other file.
TEST(CliOverwrite, ASaveEndedAtAnyMomentLeavesTheOldFileOrTheNewAndNothingElse) {
    TempDir dir;
    const Bytes image = BlankImage(0x20, 77, 2, 8, 3);
    WriteFileBytes(dir.File("in.d88"), image);
    std::vector<std::string> args = {"merge", "out.d88", "--force"};
    Bytes complete;
    for (int i = 0; i < 48; ++i) {
        args.push_back("in.d88");
        complete.insert(complete.end(), image.begin(), image.end());
    }
    const Bytes old = {'o', 'l', 'd'};
    const std::vector<std::pair<int, int>> ends = {{SIGKILL, 5},  {SIGKILL, 40}, {SIGKILL, 120},
                                                   {SIGTERM, 40}, {SIGINT, 40},  {SIGHUP, 40}};
    for (const auto& [signal, milliseconds] : ends) {
        WriteFileBytes(dir.File("out.d88"), old);
        TRunOptions options{dir.Path()};
        options.KillAfterMilliseconds = milliseconds;
        options.KillSignal = signal;
        RunCli(args, options);
        EXPECT_EQ(ListFolder(dir.Path()), (std::vector<std::string>{"in.d88", "out.d88"}))
            << "signal " << signal << " after " << milliseconds << " ms";
        const Bytes out = ReadFileBytes(dir.File("out.d88"));
        EXPECT_TRUE(out == old || out == complete) << out.size() << " bytes";
    }
}

// ---------------------------------------------------------------------------------------------

TEST(CliMerge, OutIsTheConcatenationOfTheInputs) {
    TempDir dir;
    const Bytes cpm = SampleBytes(CpmSample);
    const Bytes fm77 = SampleBytes(Fm77Sample);
    const Bytes small = BlankImage(0x10, 1, 1, 2, 0, "SMALL");
    const std::string pair = dir.File("pair.d88");
    WriteFileBytes(pair, Concat({fm77, small}));
    const std::string empty = dir.File("empty.d88");
    WriteFileBytes(empty, {});
    const std::string out = dir.File("out.d88");

    const TRunResult result =
        RunCli({"merge", out, SamplePath(CpmSample), pair, empty, SamplePath(Fm77Sample)});
    EXPECT_EQ(result.ExitCode, 0);
    EXPECT_EQ(result.Out, "");
    EXPECT_EQ(result.Err, "");
    EXPECT_TRUE(ReadFileBytes(out) == Concat({cpm, fm77, small, fm77}));

    const std::string none = dir.File("none.d88");
    EXPECT_EQ(RunCli({"merge", none, empty}).ExitCode, 0);
    EXPECT_TRUE(ReadFileBytes(none).empty());
}

TEST(CliMerge, OutMayBeAnInputWithForce) {
    TempDir dir;
    const Bytes cpm = SampleBytes(CpmSample);
    const Bytes fm77 = SampleBytes(Fm77Sample);
    const std::string path = dir.File("self.d88");
    WriteFileBytes(path, cpm);
    const TRunResult result = RunCli({"merge", path, SamplePath(Fm77Sample), path, "--force"});
    EXPECT_EQ(result.ExitCode, 0);
    EXPECT_EQ(result.Err, "");
    EXPECT_TRUE(ReadFileBytes(path) == Concat({fm77, cpm}));
    EXPECT_EQ(ListFolder(dir.Path()), std::vector<std::string>{"self.d88"});
}

TEST(CliMerge, AnUnreadableInputWritesNothing) {
    TempDir dir;
    const std::string out = dir.File("out.d88");
    const TempDir elsewhere;
    const std::string cut = CutSample(elsewhere);
    ExpectFailure(RunCli({"merge", out, SamplePath(CpmSample), cut}), CutSampleRefusal, dir, {});
    ExpectFailure(RunCli({"merge", out, SamplePath(CpmSample), dir.File("missing.d88")}),
                  "The program could not load the disk images.",
                  "No such file or directory: " + dir.File("missing.d88"), dir, {});

    // With --force an existing OUT keeps its bytes when an input fails.
    const Bytes old = SampleBytes(Fm77Sample);
    WriteFileBytes(out, old);
    ExpectFailure(RunCli({"merge", out, cut, "--force"}), CutSampleRefusal, dir, {"out.d88"});
    EXPECT_TRUE(ReadFileBytes(out) == old);
}

// ---------------------------------------------------------------------------------------------

TEST(CliExtract, WritesTheRowsInAscendingOrderOnce) {
    TempDir dir;
    const Bytes first = SampleBytes(CpmSample);
    const Bytes second = SampleBytes(Fm77Sample);
    const Bytes third = BlankImage(0x20, 2, 1, 3, 1, "THIRD", 0x10);
    const std::string in = dir.File("three.d88");
    WriteFileBytes(in, Concat({first, second, third}));

    struct TCase {
        std::string Rows;
        Bytes Expected;
    };
    const std::vector<TCase> cases = {
        {"3,1", Concat({first, third})},
        {"2", second},
        {"2-3,1-2,3", Concat({first, second, third})},
        {"3-3,3,03", third},
        {"1-3", Concat({first, second, third})},
    };
    int n = 0;
    for (const TCase& c : cases) {
        const std::string out = dir.File("out" + std::to_string(++n) + ".d88");
        const TRunResult result = RunCli({"extract", in, c.Rows, out});
        EXPECT_EQ(result.ExitCode, 0) << c.Rows;
        EXPECT_EQ(result.Out, "") << c.Rows;
        EXPECT_EQ(result.Err, "") << c.Rows;
        EXPECT_TRUE(ReadFileBytes(out) == c.Expected) << c.Rows;
    }
}

TEST(CliExtract, ARowOutsideTheFileWritesNothing) {
    TempDir dir;
    const std::string in = dir.File("three.d88");
    WriteFileBytes(
        in, Concat({SampleBytes(CpmSample), SampleBytes(Fm77Sample), SampleBytes(CpmSample)}));
    const std::string empty = dir.File("empty.d88");
    WriteFileBytes(empty, {});
    const std::vector<std::string> before = ListFolder(dir.Path());
    const std::string out = dir.File("out.d88");

    struct TCase {
        std::string In;
        std::string Rows;
        std::string Row;
    };
    const std::vector<TCase> cases = {
        {in, "4", "4"},
        {in, "0", "0"},
        {in, "1,4,0", "4"},
        {in, "2-9,7", "9"},
        {in, "0-2", "0"},
        {in, "1,004", "004"},
        {in, "99999999999999999999", "99999999999999999999"},
        {empty, "1", "1"},
    };
    for (const TCase& c : cases)
        ExpectFailure(RunCli({"extract", c.In, c.Rows, out}),
                      "The program cannot accept the row number " + c.Row + ".", dir, before);
}

// ---------------------------------------------------------------------------------------------

// A container whose image names exercise the file-safe rule: '/' and ':' become '_', while "ソ"
// (0x83 0x5C) keeps its trail byte, which equals '\', and so stays intact. The rule must run
// before decoding: in UTF-8, "テ" ends in 0x86, which would hide the '/' after it as a trail byte.
Bytes NamedContainer() {
    return Concat({WithHeader(SampleBytes(CpmSample), "GAME/A"),
                   WithHeader(SampleBytes(Fm77Sample), ""),
                   BlankImage(0x00, 1, 1, 1, 0, "\x83\x5c:\x83\x65/V1.2", 0x10)});
}

TEST(CliSplit, NamesFilesAsSaveToMultipleFilesDoes) {
    TempDir source;
    TempDir target;
    const std::string in = source.File("disk.d88");
    const Bytes container = NamedContainer();
    WriteFileBytes(in, container);

    TRunResult result = RunCli({"split", in, target.Path()});
    EXPECT_EQ(result.ExitCode, 0);
    EXPECT_EQ(result.Err, "");
    const std::string prefix = target.Path() + "/";
    EXPECT_EQ(result.Out, prefix + "disk #001 (GAME_A).d88\n" + prefix + "disk #002 ().d88\n" +
                              prefix + "disk #003 (ソ_テ_V1.2).d88\n");
    const std::vector<std::string> firstRun = {"disk #001 (GAME_A).d88", "disk #002 ().d88",
                                               "disk #003 (ソ_テ_V1.2).d88"};
    EXPECT_EQ(ListFolder(target.Path()), firstRun);
    const Bytes one(container.begin(), container.begin() + SampleSize);
    const Bytes two(container.begin() + SampleSize, container.begin() + 2 * SampleSize);
    const Bytes three(container.begin() + 2 * SampleSize, container.end());
    EXPECT_TRUE(ReadFileBytes(target.File(firstRun[0])) == one);
    EXPECT_TRUE(ReadFileBytes(target.File(firstRun[1])) == two);
    EXPECT_TRUE(ReadFileBytes(target.File(firstRun[2])) == three);

    // A second run never overwrites: the number goes before the extension.
    result = RunCli({"split", in, prefix});
    EXPECT_EQ(result.ExitCode, 0);
    EXPECT_EQ(result.Out, prefix + "disk #001 (GAME_A) (2).d88\n" + prefix +
                              "disk #002 () (2).d88\n" + prefix +
                              "disk #003 (ソ_テ_V1.2) (2).d88\n");
    EXPECT_EQ(
        ListFolder(target.Path()),
        (std::vector<std::string>{"disk #001 (GAME_A) (2).d88", "disk #001 (GAME_A).d88",
                                  "disk #002 () (2).d88", "disk #002 ().d88",
                                  "disk #003 (ソ_テ_V1.2) (2).d88", "disk #003 (ソ_テ_V1.2).d88"}));
    EXPECT_TRUE(ReadFileBytes(target.File(firstRun[0])) == one);
    EXPECT_TRUE(ReadFileBytes(target.File("disk #001 (GAME_A) (2).d88")) == one);
    EXPECT_TRUE(ReadFileBytes(target.File("disk #003 (ソ_テ_V1.2) (2).d88")) == three);
}

TEST(CliSplit, FileWithoutExtensionNumbersAtTheEnd) {
    TempDir dir;
    const std::string in = dir.File("disk");
    WriteFileBytes(in, NamedContainer());
    const std::string out = dir.File("out");
    ASSERT_EQ(::mkdir(out.c_str(), 0777), 0);

    TRunResult result = RunCli({"split", in, out});
    EXPECT_EQ(result.ExitCode, 0);
    EXPECT_EQ(result.Err, "");
    result = RunCli({"split", in, out});
    EXPECT_EQ(result.ExitCode, 0);
    EXPECT_EQ(result.Out, out + "/disk #001 (GAME_A) (2)\n" + out + "/disk #002 () (2)\n" + out +
                              "/disk #003 (ソ_テ_V1.2) (2)\n");
    EXPECT_EQ(ListFolder(out),
              (std::vector<std::string>{"disk #001 (GAME_A)", "disk #001 (GAME_A) (2)",
                                        "disk #002 ()", "disk #002 () (2)",
                                        "disk #003 (ソ_テ_V1.2)", "disk #003 (ソ_テ_V1.2) (2)"}));
}

TEST(CliSplit, ControlBytesOfNamesNeverReachTheFileNames) {
    TempDir dir;
    const std::string in = dir.File("ctl.d88");
    WriteFileBytes(in, BlankImage(0x00, 1, 1, 1, 0, "\x1B[2J\tA\nB\x7F"));
    const TRunResult result = RunCli({"split", in, dir.Path()});
    EXPECT_EQ(result.ExitCode, 0);
    EXPECT_EQ(result.Err, "");
    EXPECT_EQ(result.Out, dir.File("ctl #001 (_[2J_A_B_).d88") + "\n");
    EXPECT_EQ(ListFolder(dir.Path()),
              (std::vector<std::string>{"ctl #001 (_[2J_A_B_).d88", "ctl.d88"}));
}

TEST(CliSplit, DefaultFolderIsTheCurrentOne) {
    TempDir dir;
    const TRunResult result = RunCli({"split", SamplePath(Fm77Sample)}, {dir.Path()});
    EXPECT_EQ(result.ExitCode, 0);
    EXPECT_EQ(result.Err, "");
    EXPECT_EQ(result.Out, "./fm77av-demo #001 (D77IMG).d77\n");
    EXPECT_EQ(ListFolder(dir.Path()), std::vector<std::string>{"fm77av-demo #001 (D77IMG).d77"});
    EXPECT_TRUE(ReadFileBytes(dir.File("fm77av-demo #001 (D77IMG).d77")) ==
                SampleBytes(Fm77Sample));
}

TEST(CliSplit, EmptyContainerWritesNothing) {
    TempDir dir;
    const std::string in = dir.File("empty.d88");
    WriteFileBytes(in, {});
    const TRunResult result = RunCli({"split", in, dir.Path()});
    EXPECT_EQ(result.ExitCode, 0);
    EXPECT_EQ(result.Out, "");
    EXPECT_EQ(result.Err, "");
    EXPECT_EQ(ListFolder(dir.Path()), std::vector<std::string>{"empty.d88"});
}

TEST(CliSplit, AFailureLeavesNothingWritten) {
    TempDir dir;
    const TempDir elsewhere;
    ExpectFailure(RunCli({"split", CutSample(elsewhere), dir.Path()}), CutSampleRefusal, dir, {});
    const std::string cannotSave = "The program could not save the disk images.";
    ExpectFailure(RunCli({"split", SamplePath(CpmSample), dir.File("missing")}), cannotSave,
                  "No such file or directory: " + dir.File("missing/cpm-x1turbo-2d #001 ().d88"),
                  dir, {});

    // The first image's file name fits the file system's 255 bytes; the second's, longer by
    // its 16-byte image name, does not. The first file must be gone again afterwards.
    const std::string base(229, 'b');
    const std::string in = dir.File(base + ".d88");
    WriteFileBytes(in, Concat({SampleBytes(CpmSample),
                               WithHeader(SampleBytes(Fm77Sample), "SIXTEEN-BYTES-XX")}));
    const std::vector<std::string> before = ListFolder(dir.Path());
    ExpectFailure(RunCli({"split", in, dir.Path()}), cannotSave,
                  "File name too long: " + dir.File(base + " #002 (SIXTEEN-BYTES-XX).d88"), dir,
                  before);
}

TEST(CliSplit, AListOfFilesThatCannotBePrintedLeavesNoFiles) {
    TempDir dir;
    const std::string in = dir.File("disk.d88");
    WriteFileBytes(in, NamedContainer());
    TRunOptions options;
    options.OutputToFullDevice = true;
    ExpectFailure(RunCli({"split", in, dir.Path()}, options),
                  "The program could not write to standard output.", dir, {"disk.d88"});
}

// ---------------------------------------------------------------------------------------------

TEST(CliSum, TotalsAllOrTheGivenRows) {
    TempDir dir;
    const std::string in = dir.File("three.d88");
    WriteFileBytes(
        in, Concat({SampleBytes(CpmSample), SampleBytes(Fm77Sample), SampleBytes(CpmSample)}));
    const std::string mixed = dir.File("mixed.d88");
    WriteFileBytes(mixed, Concat({SampleBytes(Fm77Sample), BlankImage(0x00, 1, 1, 1, 0)}));
    const std::string empty = dir.File("empty.d88");
    WriteFileBytes(empty, {});

    struct TCase {
        std::vector<std::string> Args;
        std::string Out;
    };
    const std::vector<TCase> cases = {
        {{"sum", in}, "1,046,544 bytes\n"},
        {{"sum", in, "1,3"}, "697,696 bytes\n"},
        {{"sum", in, "3,1-3,2"}, "1,046,544 bytes\n"},
        {{"sum", mixed, "2"}, "832 bytes\n"},
        {{"sum", mixed}, "349,680 bytes\n"},
        {{"sum", empty}, "0 bytes\n"},
    };
    for (const TCase& c : cases) {
        const TRunResult result = RunCli(c.Args);
        EXPECT_EQ(result.ExitCode, 0) << c.Out;
        EXPECT_EQ(result.Out, c.Out);
        EXPECT_EQ(result.Err, "");
    }

    const std::vector<std::string> before = ListFolder(dir.Path());
    ExpectFailure(RunCli({"sum", in, "2,5"}), "The program cannot accept the row number 5.", dir,
                  before);
    ExpectFailure(RunCli({"sum", empty, "1"}), "The program cannot accept the row number 1.", dir,
                  before);
    const TempDir elsewhere;
    ExpectFailure(RunCli({"sum", CutSample(elsewhere)}), CutSampleRefusal, dir, before);
}

} // namespace
