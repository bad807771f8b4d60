// trackwell-cli with one image's tracks and sectors: sectors lists the headers as they are,
// read-sector and find read the data, and write-sector changes exactly one sector's data or
// nothing at all.
#include "CliRunner.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using clitest::RunCli;
using clitest::TRunResult;
using testsupport::Bytes;
using testsupport::LaidOutImage;
using testsupport::ReadFileBytes;
using testsupport::TempDir;
using testsupport::WriteFileBytes;

// Track 0: an FM sector, one of deleted data, one with an error status and the first's ID, and
// one of N 1 holding 100 bytes. Track 1: "HELLO" split over its two sectors.
Bytes Protected() {
    Bytes first(256, 0x20);
    const std::string hello = "HELLO";
    std::copy(hello.begin(), hello.begin() + 2, first.end() - 2);
    Bytes second(256, 0x20);
    std::copy(hello.begin() + 2, hello.end(), second.begin());
    return LaidOutImage({{{0, 0, 1, 0, 0x40, 0x00, 0x00, Bytes(128, 0xE5)},
                          {0, 0, 2, 1, 0x00, 0x10, 0x10, Bytes(256, 0x11)},
                          {0, 0, 1, 0, 0x00, 0x00, 0xA0, Bytes(128, 0x22)},
                          {0, 0, 3, 1, 0x00, 0x00, 0x00, Bytes(100, 0x33)}},
                         {{0, 1, 1, 1, 0, 0, 0, first}, {0, 1, 2, 1, 0, 0, 0, second}}});
}

struct CliSectorsTest : ::testing::Test {
    TempDir dir;
    const Bytes image = Protected();
    const std::string file = dir.File("disks.d88");
    CliSectorsTest() {
        WriteFileBytes(file,
                       testsupport::Concat({testsupport::FormattedImage(0, 1, 1, 1, 0), image}));
    }
};

TEST_F(CliSectorsTest, SectorsListsTheHeadersAsTheyAre) {
    const TRunResult all = RunCli({"sectors", file, "2"});
    EXPECT_EQ(all.ExitCode, 0) << all.Err;
    EXPECT_EQ(all.Out, "0\t1\t0\t0\t1\t0\tFM\tno\t00\t128\n"
                       "0\t2\t0\t0\t2\t1\tMFM\tyes\t10\t256\n"
                       "0\t3\t0\t0\t1\t0\tMFM\tno\tA0\t128\n"
                       "0\t4\t0\t0\t3\t1\tMFM\tno\t00\t100\n"
                       "1\t1\t0\t1\t1\t1\tMFM\tno\t00\t256\n"
                       "1\t2\t0\t1\t2\t1\tMFM\tno\t00\t256\n");
    EXPECT_EQ(RunCli({"sectors", file, "2", "1"}).Out,
              "1\t1\t0\t1\t1\t1\tMFM\tno\t00\t256\n1\t2\t0\t1\t2\t1\tMFM\tno\t00\t256\n");
    EXPECT_EQ(RunCli({"sectors", file, "2", "164"}).ExitCode, 2);
    EXPECT_EQ(RunCli({"sectors", file, "3"}).ExitCode, 1);

    // Cut inside its last sector's data: listed as far as it is sound, the damage told.
    Bytes cut = image;
    cut.resize(cut.size() - 6);
    testsupport::PutLe(cut, 28, static_cast<uint32_t>(cut.size()), 4);
    WriteFileBytes(file, cut);
    const TRunResult damaged = RunCli({"sectors", file, "1"});
    EXPECT_EQ(damaged.ExitCode, 1);
    EXPECT_EQ(damaged.Out, all.Out);
    EXPECT_EQ(damaged.Err, "trackwell-cli: note: Track 0 side 1: the data of sector 2 runs past "
                           "the end of the image.\n");
}

TEST_F(CliSectorsTest, ReadSectorAndFindReadTheData) {
    const TRunResult read = RunCli({"read-sector", file, "2", "0", "4"});
    EXPECT_EQ(read.ExitCode, 0) << read.Err;
    EXPECT_EQ(read.Out, std::string(100, '\x33'));
    const std::string out = dir.File("sector.bin");
    EXPECT_EQ(RunCli({"read-sector", file, "2", "0", "2", out}).ExitCode, 0);
    EXPECT_EQ(ReadFileBytes(out), Bytes(256, 0x11));
    // An OUT that exists is replaced only with --force.
    EXPECT_EQ(RunCli({"read-sector", file, "2", "0", "1", out}).ExitCode, 1);
    EXPECT_EQ(ReadFileBytes(out), Bytes(256, 0x11));
    EXPECT_EQ(RunCli({"read-sector", file, "2", "0", "1", out, "--force"}).ExitCode, 0);
    EXPECT_EQ(ReadFileBytes(out), Bytes(128, 0xE5));
    const TRunResult missing = RunCli({"read-sector", file, "2", "1", "3"});
    EXPECT_EQ(missing.ExitCode, 1);
    EXPECT_EQ(missing.Err, "trackwell-cli: The disk image has no sector 3 on track entry 1.\n");

    // Across the two sectors of track 1, and bytes that run from one sector into the next.
    EXPECT_EQ(RunCli({"find", file, "2", "HELLO"}).Out, "1\t1\t254\n");
    EXPECT_EQ(RunCli({"find", file, "2", "e5 11", "--hex"}).Out, "0\t1\t127\n");
    const TRunResult none = RunCli({"find", file, "2", "nowhere"});
    EXPECT_EQ(none.ExitCode, 1);
    EXPECT_EQ(none.Out, "");
    EXPECT_EQ(RunCli({"find", file, "2", "e5 1", "--hex"}).Err,
              "trackwell-cli: The program cannot accept the text \"e5 1\".\n");
}

TEST_F(CliSectorsTest, WriteSectorChangesExactlyTheSectorsData) {
    const Bytes before = ReadFileBytes(file);
    const std::string in = dir.File("in.bin");
    WriteFileBytes(in, Bytes(100, 0x77));
    const TRunResult written =
        RunCli({"write-sector", file, "2", "0", "4", "in.bin"}, {.WorkingDir = dir.Path()});
    EXPECT_EQ(written.ExitCode, 0) << written.Err;
    const Bytes after = ReadFileBytes(file);
    ASSERT_EQ(after.size(), before.size());
    // The second image's fourth sector of track 0: after the first image, its header and three
    // sectors.
    const size_t at =
        testsupport::FormattedImage(0, 1, 1, 1, 0).size() + 688 + 4 * 16 + 128 + 256 + 128;
    for (size_t i = 0; i < after.size(); ++i)
        ASSERT_EQ(after[i], i >= at && i < at + 100 ? 0x77 : before[i]) << i;

    // Refused, the file stays as it was: data of another length, a sector the track lacks,
    // a write-protected image.
    const auto refused = [&](const std::vector<std::string>& args, const std::string& message) {
        const TRunResult result = RunCli(args);
        EXPECT_EQ(result.ExitCode, 1);
        EXPECT_EQ(result.Err, "trackwell-cli: " + message + "\n");
        EXPECT_EQ(ReadFileBytes(file), after);
    };
    refused({"write-sector", file, "2", "0", "1", in}, "The sector holds 128 bytes, not 100.");
    refused({"write-sector", file, "2", "1", "3", in},
            "The disk image has no sector 3 on track entry 1.");
    ASSERT_EQ(RunCli({"protect", file, "2", "yes"}).ExitCode, 0);
    const Bytes protectedFile = ReadFileBytes(file);
    const TRunResult locked = RunCli({"write-sector", file, "2", "0", "4", in});
    EXPECT_EQ(locked.ExitCode, 1);
    EXPECT_EQ(locked.Err, "trackwell-cli: The disk image 2 is write-protected; clear its write "
                          "protection to change its sectors.\n");
    EXPECT_EQ(ReadFileBytes(file), protectedFile);
}

} // namespace
