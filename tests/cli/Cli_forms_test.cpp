// trackwell-cli with disk images in other forms: plain sector dumps and FDI files in through
// merge and add, out through export.
#include "CliRunner.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

using clitest::RunCli;
using clitest::TRunResult;
using testsupport::Bytes;
using testsupport::Concat;
using testsupport::ListFolder;
using testsupport::ReadFileBytes;
using testsupport::SampleBytes;
using testsupport::SamplePath;
using testsupport::TempDir;
using testsupport::WriteFileBytes;

Bytes Pattern(size_t size, unsigned seed) {
    Bytes bytes(size);
    for (size_t i = 0; i < size; ++i)
        bytes[i] = static_cast<uint8_t>((i * seed + i / 4096) & 0xFF);
    return bytes;
}

void ExpectSuccess(const TRunResult& result) {
    EXPECT_EQ(result.ExitCode, 0) << result.Err;
    EXPECT_EQ(result.Err, "");
}

} // namespace

TEST(CliForms, DumpsMergeExportAndComeBackByteForByte) {
    const TempDir dir;
    const Bytes hdm = Pattern(1261568, 7);
    const Bytes dd = Pattern(655360, 3);
    WriteFileBytes(dir.File("a.hdm"), hdm);
    WriteFileBytes(dir.File("b.dd"), dd);
    const std::string out = dir.File("out.d88");

    // A size two presets share needs --format, and the refusal says which.
    const TRunResult ambiguous = RunCli({"merge", out, dir.File("a.hdm"), dir.File("b.dd")});
    EXPECT_EQ(ambiguous.ExitCode, 1);
    EXPECT_EQ(ambiguous.Err, "trackwell-cli: The disk image \"" + dir.File("b.dd") +
                                 "\" fits more than one disk format; name one with --format: "
                                 "\"PC-98 2DD 640 KB\", \"PC-88 / FM77AV 2DD 640 KB\".\n");
    EXPECT_FALSE(testsupport::FileExists(out));

    // --format names the preset of every dump it reads, so the 1.25 MB dump goes in alone; add
    // takes its files in the order their paths sort in, so the sample is copied beside the dump.
    ExpectSuccess(RunCli({"merge", out, dir.File("a.hdm")}));
    WriteFileBytes(dir.File("c.d77"), SampleBytes("fm77av-demo.d77"));
    ExpectSuccess(
        RunCli({"add", out, dir.File("b.dd"), "--format", "PC-98 2DD 640 KB", dir.File("c.d77")}));
    const TRunResult list = RunCli({"list", out});
    EXPECT_EQ(list.Out,
              "1\ta\tNo\t2HD\t1281968\n2\tb\tNo\t2DD\t676528\n3\tD77IMG\tNo\t2D\t348848\n");

    ExpectSuccess(RunCli({"export", out, "1", dir.File("a2.hdm"), "--as", "raw"}));
    EXPECT_EQ(ReadFileBytes(dir.File("a2.hdm")), hdm);
    ExpectSuccess(RunCli({"export", out, "2", dir.File("b.fdi"), "--as", "fdi"}));
    const Bytes fdi = ReadFileBytes(dir.File("b.fdi"));
    ASSERT_EQ(fdi.size(), 4096 + dd.size());
    EXPECT_EQ(Bytes(fdi.begin() + 4096, fdi.end()), dd);

    // The FDI file and a dump of the sample go back in as the very images they came from.
    ExpectSuccess(RunCli({"export", out, "3", dir.File("c.2d"), "--as", "raw"}));
    WriteFileBytes(dir.File("again.d88"), {});
    ExpectSuccess(RunCli({"add", dir.File("again.d88"), dir.File("b.fdi"), dir.File("c.2d")}));
    const Bytes merged = ReadFileBytes(out);
    const Bytes again = ReadFileBytes(dir.File("again.d88"));
    ASSERT_EQ(again.size(), merged.size() - 1281968);
    EXPECT_EQ(Bytes(again.begin(), again.begin() + 676528),
              Bytes(merged.begin() + 1281968, merged.begin() + 1281968 + 676528));
    const Bytes sample = SampleBytes("fm77av-demo.d77");
    // The dump keeps the sectors, not the name.
    EXPECT_EQ(Bytes(again.begin() + 676528 + 32, again.end()),
              Bytes(sample.begin() + 32, sample.end()));
}

TEST(CliForms, ExportOfSeveralRowsNamesFilesAsSplitAndAnIrregularImageWritesNothing) {
    const TempDir dir;
    const std::string in = dir.File("disks.d77");
    // The third has its cylinder 2, side 0 sector 1 twice and no sector 2.
    Bytes twice = SampleBytes("fm77av-demo.d77");
    twice[688 + 4 * 16 * (16 + 256) + (16 + 256) + 2] = 1;
    WriteFileBytes(in,
                   Concat({SampleBytes("fm77av-demo.d77"), SampleBytes("fm77av-demo.d77"), twice}));
    const std::string folder = dir.File("out");
    ASSERT_EQ(::mkdir(folder.c_str(), 0755), 0);

    const TRunResult two = RunCli({"export", in, "1-2", folder, "--as", "raw"});
    ExpectSuccess(two);
    EXPECT_EQ(two.Out,
              folder + "/disks #001 (D77IMG).img\n" + folder + "/disks #002 (D77IMG).img\n");
    EXPECT_EQ(ReadFileBytes(folder + "/disks #001 (D77IMG).img"),
              ReadFileBytes(folder + "/disks #002 (D77IMG).img"));

    const TRunResult refused = RunCli({"export", in, "1,3", dir.File("none"), "--as", "fdi"});
    EXPECT_EQ(refused.ExitCode, 1);
    EXPECT_EQ(refused.Err,
              "trackwell-cli: The program cannot write the disk image 3 (\"D77IMG\") as plain "
              "sectors: track 2 side 0 does not have each of the sectors 1 to 16 once.\n");
    EXPECT_EQ(ListFolder(dir.Path()), (std::vector<std::string>{"disks.d77", "out"}));
    // Forms that are only read are no forms to write.
    EXPECT_EQ(RunCli({"export", in, "1", dir.File("x"), "--as", "fdd"}).ExitCode, 2);
    EXPECT_EQ(RunCli({"export", in, "1", dir.File("x")}).ExitCode, 2);
}

TEST(CliForms, CheckReportsFindingsWithRowsAndHashKnowsCopies) {
    const TempDir dir;
    const Bytes sample = SampleBytes("fm77av-demo.d77");
    Bytes damaged = sample;
    damaged[27] = 0x20; // a 2HD type on a 2D disk
    Bytes renamed = sample;
    renamed[0] = 'Z';
    const std::string file = dir.File("disks.d88");
    WriteFileBytes(file, Concat({sample, damaged, renamed}));

    const TRunResult all = RunCli({"check", file});
    EXPECT_EQ(all.ExitCode, 1);
    EXPECT_EQ(all.Out, "2\twarning\tThe disk type is 2HD, but 40 cylinders of 16 sectors of 256 "
                       "bytes make a 2D disk.\n");
    const TRunResult sound = RunCli({"check", file, "1,3"});
    ExpectSuccess(sound);
    EXPECT_EQ(sound.Out, "");
    const TRunResult missing = RunCli({"check", dir.File("none.d88")});
    EXPECT_EQ(missing.ExitCode, 2);
    EXPECT_EQ(RunCli({"check", file, "4"}).ExitCode, 2);

    const TRunResult hashes = RunCli({"hash", file, "--algorithm", "md5"});
    ExpectSuccess(hashes);
    const std::vector<std::string> lines = [&] {
        std::vector<std::string> split;
        std::string line;
        for (const char c : hashes.Out)
            if (c == '\n')
                split.push_back(std::exchange(line, {}));
            else
                line += c;
        return split;
    }();
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0].substr(0, 2), "1\t");
    EXPECT_EQ(lines[0].substr(2, 33), lines[1].substr(2, 33)) << "the type is not track data";
    EXPECT_EQ(lines[2], "3\t" + lines[0].substr(2, 33) + "Z77IMG");
    EXPECT_EQ(RunCli({"hash", file, "--algorithm", "sha256"}).ExitCode, 2);
}

// check sees a container's images where they lie in the file: a file cut while an image is in
// use fails the command as a read of it would, never bringing the program down.
TEST(CliForms, CheckOfAFileCutUnderItFailsAsAReadOfIt) {
    const TempDir dir;
    const Bytes sample = SampleBytes("fm77av-demo.d77");
    const std::string file = dir.File("disks.d88");
    WriteFileBytes(file, Concat({sample, sample}));
    clitest::TRunOptions options;
    options.MappedFile = file;
    // Within the first image, away from a page boundary.
    options.WhenMapped = [&] { EXPECT_EQ(::truncate(file.c_str(), 100000), 0); };
    const TRunResult cut = RunCli({"check", file}, options);
    // The child could not be traced (a system that forbids ptrace): nothing was checked.
    if (cut.ExitCode == 126 && cut.Err.empty())
        GTEST_SKIP() << "this system does not let a test trace its own child";
    EXPECT_EQ(cut.Signal, 0);
    EXPECT_EQ(cut.ExitCode, 2);
    EXPECT_EQ(cut.Out, "");
    EXPECT_EQ(cut.Err, "trackwell-cli: The program could not load the disk images.\n"
                       "trackwell-cli: File shrank while being read: " +
                           file + "\n");
}

// What a dump cannot be is refused with the file's own size, and nothing is written: an empty
// file, a --format that names no preset or one of another size, an FDI file cut short.
TEST(CliForms, EmptyDamagedAndMisnamedDumpsWriteNothing) {
    const TempDir dir;
    const TempDir inputs;
    const std::string out = dir.File("out.d88");
    const auto refused = [&](const std::vector<std::string>& args, const std::string& message) {
        const TRunResult result = RunCli(args);
        EXPECT_EQ(result.ExitCode, 1) << args[1];
        EXPECT_EQ(result.Err, "trackwell-cli: " + message + "\n");
        EXPECT_EQ(ListFolder(dir.Path()), std::vector<std::string>{});
    };
    for (const char* name : {"e.hdm", "e.img", "e.fdi", "e.dim"}) {
        WriteFileBytes(inputs.File(name), {});
        refused({"merge", out, inputs.File(name)},
                "The program does not support disk images of 0 bytes.");
    }
    const std::string at144 = inputs.File("at.img");
    WriteFileBytes(at144, Pattern(1474560, 5));
    refused({"merge", out, at144, "--format", "PC-98 2HD 1.25 MB"},
            "The program cannot read \"" + at144 +
                "\" (1,474,560 bytes) as \"PC-98 2HD 1.25 MB\", whose dumps have 1,261,568 bytes.");
    refused({"merge", out, at144, "--format", "1.44"},
            "The program cannot read \"" + at144 +
                "\" (1,474,560 bytes) as \"1.44\": no preset has that name.");
    Bytes fdi(4096);
    const uint32_t fields[] = {0, 0x90, 4096, 1261568, 1024, 8, 2, 77};
    for (size_t i = 0; i < 8; ++i)
        testsupport::PutLe(fdi, 4 * i, fields[i], 4);
    fdi = Concat({fdi, Pattern(1261568 - 1, 3)});
    WriteFileBytes(inputs.File("cut.fdi"), fdi);
    refused({"merge", out, inputs.File("cut.fdi")}, "The data is not a valid disk image.");

    // add leaves the file it was to add to as it was.
    const Bytes sample = SampleBytes("fm77av-demo.d77");
    WriteFileBytes(out, sample);
    const TRunResult add = RunCli({"add", out, at144, "--format", "PC-98 2HD 1.25 MB"});
    EXPECT_EQ(add.ExitCode, 1);
    EXPECT_TRUE(ReadFileBytes(out) == sample);
    EXPECT_EQ(ListFolder(dir.Path()), std::vector<std::string>{"out.d88"});
    // The right name reads it, and a preset of the same geometry under another name too.
    ExpectSuccess(RunCli({"add", out, at144, "--format", "PC/AT 2HD 1.44 MB"}));
    ExpectSuccess(RunCli({"add", out, at144}));
    EXPECT_EQ(RunCli({"list", out}).Out,
              "1\tD77IMG\tNo\t2D\t348848\n2\tat\tNo\t2HD\t1521328\n3\tat\tNo\t2HD\t1521328\n");
}

// A single-sided dump becomes an image that an independent reader of D88 files, MAME's
// floptool, reads back as the very sectors of the dump.
TEST(CliForms, ASingleSidedDumpIsReadByAnotherProgramAsTheSameSectors) {
    const TempDir dir;
    // An FDI file of one surface: 40 cylinders of 9 sectors of 512 bytes, as PC disks of 180 KB.
    const Bytes sectors = Pattern(40 * 9 * 512, 11);
    Bytes fdi(4096);
    const uint32_t fields[] = {0, 0x10, 4096, 40 * 9 * 512, 512, 9, 1, 40};
    for (size_t i = 0; i < 8; ++i)
        testsupport::PutLe(fdi, 4 * i, fields[i], 4);
    WriteFileBytes(dir.File("one.fdi"), Concat({fdi, sectors}));
    ExpectSuccess(RunCli({"merge", dir.File("one.d88"), dir.File("one.fdi")}));
    const TRunResult check = RunCli({"check", dir.File("one.d88")});
    ExpectSuccess(check);
    EXPECT_EQ(check.Out, "");

    const TRunResult converted = clitest::RunProgram(
        "floptool", {"flopconvert", "d88", "pc", dir.File("one.d88"), dir.File("one.img")});
    ASSERT_EQ(converted.ExitCode, 0) << "floptool (Debian package mame-tools): " << converted.Err;
    EXPECT_TRUE(ReadFileBytes(dir.File("one.img")) == sectors);
    // And back out as a plain dump of our own, the same bytes again.
    ExpectSuccess(
        RunCli({"export", dir.File("one.d88"), "1", dir.File("back.img"), "--as", "raw"}));
    EXPECT_TRUE(ReadFileBytes(dir.File("back.img")) == sectors);
}
