// trackwell-cli with the files of PC-98 emulators and copy programs, and MAME's floptool as an
// independent reader of the same files and of the NFD and DIM files the program writes.
#include "CliRunner.h"
#include "Pc98Files.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using clitest::RunCli;
using clitest::TRunResult;
using namespace pc98files;
using testsupport::ReadFileBytes;
using testsupport::TempDir;
using testsupport::WriteFileBytes;

void ExpectSuccess(const TRunResult& result) {
    EXPECT_EQ(result.ExitCode, 0) << result.Err;
    EXPECT_EQ(result.Err, "");
}

// The plain PC-98 dump floptool makes of file, which it reads as form. A missing floptool
// fails the test: the check is what makes the reading independent.
Bytes FloptoolDump(const std::string& form, const std::string& file) {
    const std::string out = file + ".hdm";
    const TRunResult converted =
        clitest::RunProgram("floptool", {"flopconvert", form, "pc98", file, out});
    EXPECT_EQ(converted.ExitCode, 0) << "floptool (Debian package mame-tools): " << converted.Err;
    return testsupport::FileExists(out) ? ReadFileBytes(out) : Bytes{};
}

} // namespace

TEST(CliPc98Forms, FloptoolAndTrackwellReadEachFormAndWhatTrackwellWritesAsTheSameSectors) {
    const TempDir dir;
    const Tracks disk = PatternDisk(77, 8, 3);
    const Bytes plain = PlainSectors(disk);
    const struct {
        const char* Floptool;
        const char* Name;
        Bytes File;
    } forms[] = {{"nfd", "r0.nfd", NfdR0(disk)},
                 {"nfd", "r1.nfd", NfdR1(disk)},
                 {"fdd", "v98.fdd", Fdd(disk, true)},
                 {"dcx", "copy.dcp", Dcp(0x01, 154, plain)},
                 {"dip", "disk.dip", Dip(plain)}};
    for (const auto& form : forms) {
        SCOPED_TRACE(form.Name);
        const std::string file = dir.File(form.Name);
        WriteFileBytes(file, form.File);
        EXPECT_TRUE(FloptoolDump(form.Floptool, file) == plain);
        const std::string ours = file + ".img";
        ExpectSuccess(RunCli({"export", file, "1", ours, "--as", "raw"}));
        EXPECT_TRUE(ReadFileBytes(ours) == plain);
    }
    for (const std::string form : {"nfd", "dim"}) {
        SCOPED_TRACE(form);
        const std::string out = dir.File("out." + form);
        ExpectSuccess(RunCli({"export", dir.File("disk.dip"), "1", out, "--as", form}));
        EXPECT_TRUE(FloptoolDump(form, out) == plain);
    }
}

TEST(CliPc98Forms, MergeNotesWhatAnNfdLeavesOutAndTheReadingCommandsTakeTheForms) {
    const TempDir dir;
    const Tracks disk = PatternDisk(77, 8, 3);
    WriteFileBytes(dir.File("read.nfd"), NfdR1(disk, {{}, {}, {{0, 512}}}));
    const std::string merged = dir.File("merged.d88");
    const TRunResult merge = RunCli({"merge", merged, dir.File("read.nfd")});
    EXPECT_EQ(merge.ExitCode, 0);
    EXPECT_EQ(merge.Err, "trackwell-cli: The disk image \"read.nfd\" has special readings of its "
                         "tracks (1), which an image cannot hold; they are left out.\n");
    ExpectSuccess(RunCli({"export", merged, "1", dir.File("merged.img"), "--as", "raw"}));
    EXPECT_TRUE(ReadFileBytes(dir.File("merged.img")) == PlainSectors(disk));

    // One image each, named after the file, of the D88 size of 154 tracks of 8 sectors of 1024
    // bytes, with the track data of the merged container's.
    const TRunResult container = RunCli({"hash", merged});
    ExpectSuccess(container);
    const std::string digest = container.Out.substr(2, container.Out.find('\t', 2) - 2);
    const std::string size = std::to_string(688 + 154 * 8 * (16 + 1024));
    WriteFileBytes(dir.File("game.nfd"), NfdR0(disk));
    WriteFileBytes(dir.File("tool.fdd"), Fdd(disk));
    for (const std::string name : {"game", "tool"}) {
        SCOPED_TRACE(name);
        const std::string file = dir.File(name + (name == "game" ? ".nfd" : ".fdd"));
        const std::vector<std::pair<std::vector<std::string>, std::string>> runs = {
            {{"list", file}, "1\t" + name + "\tNo\t2HD\t" + size + "\n"},
            {{"names", file}, name + "\n"},
            {{"sum", file}, "1,281,968 bytes\n"},
            {{"hash", file}, "1\t" + digest + "\t" + name + "\n"},
            {{"check", file}, ""}};
        for (const auto& [args, out] : runs) {
            const TRunResult result = RunCli(args);
            ExpectSuccess(result);
            EXPECT_EQ(result.Out, out) << args[0];
        }
    }
}
