// trackwell-cli with the files on a disk: FAT12 disks made by mkfs.fat and mcopy are listed and
// read file for file, and what fs, put, delete-file and rename-file leave is what fsck.fat and
// mtools, independent of the program, read.
#include "CliRunner.h"
#include "Rtl_paths.h"
#include "TestSupport.h"
#include "fs/FsTestDisks.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

namespace {

using clitest::RunCli;
using clitest::RunProgram;
using clitest::TRunResult;
using testsupport::Bytes;
using testsupport::ReadFileBytes;
using testsupport::TempDir;

void ExpectSuccess(const TRunResult& result) {
    EXPECT_EQ(result.ExitCode, 0) << result.Err;
    EXPECT_EQ(result.Err, "");
}

TRunResult Tool(const std::string& program, const std::vector<std::string>& args) {
    return RunProgram("env", [&] {
        std::vector<std::string> all{"MTOOLS_SKIP_CHECK=1", program};
        all.insert(all.end(), args.begin(), args.end());
        return all;
    }());
}

// A container of a blank 2D disk and a PC-98 2HD FAT12 disk made by dosfstools, holding two
// files in its root and one in a folder. False when the tools are missing.
bool MakeContainer(const TempDir& dir, const std::string& container) {
    const std::string dump = dir.File("fat.hdm");
    if (Tool("mkfs.fat", {"-C", "-S", "1024", "-g", "2/8", "-f", "2", "-r", "192", "-s", "1", "-R",
                          "1", "-M", "0xFE", dump, "1232"})
            .ExitCode != 0)
        return false;
    testsupport::WriteFileText(dir.File("readme.txt"), "Read me first.\r\n");
    Bytes save(3000);
    for (size_t i = 0; i < save.size(); ++i)
        save[i] = static_cast<uint8_t>(i * 7);
    testsupport::WriteFileBytes(dir.File("save.dat"), save);
    EXPECT_EQ(Tool("mcopy", {"-i", dump, dir.File("readme.txt"), "::README.TXT"}).ExitCode, 0);
    EXPECT_EQ(Tool("mmd", {"-i", dump, "::DATA"}).ExitCode, 0);
    EXPECT_EQ(Tool("mcopy", {"-i", dump, dir.File("save.dat"), "::DATA/SAVE.DAT"}).ExitCode, 0);
    EXPECT_EQ(Tool("mcopy", {"-i", dump, dir.File("save.dat"), "::GAME.BIN"}).ExitCode, 0);
    ExpectSuccess(RunCli({"blank", dir.File("blank.d88"), "2D", "40", "2", "16", "1"}));
    ExpectSuccess(RunCli({"merge", container, dir.File("blank.d88"), dump}));
    return true;
}

// The FAT disk of the container as a plain dump, checked by fsck.fat.
std::string CheckedDump(const TempDir& dir, const std::string& container) {
    const std::string dump = dir.File("check.hdm");
    std::remove(dump.c_str());
    ExpectSuccess(RunCli({"export", container, "2", dump, "--as", "raw"}));
    const TRunResult fsck = Tool("fsck.fat", {"-n", dump});
    EXPECT_EQ(fsck.ExitCode, 0) << fsck.Out << fsck.Err;
    return dump;
}

// What mtools reads of a file on the dump.
std::string MtoolsRead(const std::string& dump, const std::string& path) {
    const TRunResult read = Tool("mtype", {"-i", dump, "::" + path});
    EXPECT_EQ(read.ExitCode, 0) << read.Err;
    return read.Out;
}

} // namespace

TEST(CliFiles, FatDisksMadeByDosfstoolsAreListedAndReadFileForFile) {
    const TempDir dir;
    const std::string container = dir.File("disks.d88");
    if (!MakeContainer(dir, container))
        GTEST_SKIP() << "mkfs.fat (dosfstools) and mtools are needed";

    const TRunResult fs = RunCli({"fs", container});
    ExpectSuccess(fs);
    // mdir says how much is free; the program must say the same.
    const TRunResult mdir = Tool("mdir", {"-i", dir.File("fat.hdm"), "::"});
    const size_t free = mdir.Out.find(" bytes free");
    ASSERT_NE(free, std::string::npos) << mdir.Out;
    std::string freeBytes;
    for (const char c : mdir.Out.substr(mdir.Out.rfind('\n', free) + 1, free))
        if (c >= '0' && c <= '9')
            freeBytes += c;
    EXPECT_EQ(fs.Out, "1\t-\t-\t-\n2\tFAT12\t3\t" + freeBytes + "\n");

    const TRunResult root = RunCli({"files", container, "2"});
    ExpectSuccess(root);
    EXPECT_NE(root.Out.find("README.TXT\t16\tfile\t"), std::string::npos) << root.Out;
    EXPECT_NE(root.Out.find("DATA\t0\tfolder\t"), std::string::npos) << root.Out;
    EXPECT_NE(root.Out.find("GAME.BIN\t3000\tfile\t"), std::string::npos) << root.Out;
    const TRunResult folder = RunCli({"files", container, "2", "DATA"});
    ExpectSuccess(folder);
    EXPECT_EQ(folder.Out.substr(0, folder.Out.find('\t', folder.Out.find('\t') + 1)),
              "SAVE.DAT\t3000");

    const TRunResult out = RunCli({"get", container, "2", "README.TXT", "-"});
    ExpectSuccess(out);
    EXPECT_EQ(out.Out, "Read me first.\r\n");
    clitest::TRunOptions here;
    here.WorkingDir = dir.Path();
    ExpectSuccess(RunCli({"get", container, "2", "DATA/SAVE.DAT"}, here));
    EXPECT_TRUE(ReadFileBytes(dir.File("SAVE.DAT")) == ReadFileBytes(dir.File("save.dat")));
    const TRunResult again = RunCli({"get", container, "2", "DATA/SAVE.DAT"}, here);
    EXPECT_EQ(again.ExitCode, 1);
    EXPECT_EQ(again.Err, "trackwell-cli: The program cannot overwrite the file \"SAVE.DAT\".\n");
    ExpectSuccess(RunCli({"get", container, "2", "DATA/SAVE.DAT", "--force"}, here));

    const TRunResult none = RunCli({"files", container, "1"});
    EXPECT_EQ(none.ExitCode, 1);
    EXPECT_EQ(none.Err,
              "trackwell-cli: The program does not know the file system of the disk image 1.\n");
    const TRunResult missing = RunCli({"get", container, "2", "NONE.TXT", "-"});
    EXPECT_EQ(missing.Err, "trackwell-cli: The disk has no file \"NONE.TXT\".\n");
}

TEST(CliFiles, PutDeleteAndRenameLeaveADiskThatFsckAndMtoolsRead) {
    const TempDir dir;
    const std::string container = dir.File("disks.d88");
    if (!MakeContainer(dir, container))
        GTEST_SKIP() << "mkfs.fat (dosfstools) and mtools are needed";
    Bytes big(5000);
    for (size_t i = 0; i < big.size(); ++i)
        big[i] = static_cast<uint8_t>(i % 251);
    testsupport::WriteFileBytes(dir.File("new.bin"), big);

    ExpectSuccess(RunCli({"put", container, "2", dir.File("new.bin"), "DATA/NEW.BIN"}));
    // Replacing README.TXT takes --force; the refusal without it is tested below.
    ExpectSuccess(RunCli({"put", container, "2", dir.File("readme.txt"), "--force"}));
    std::string dump = CheckedDump(dir, container);
    EXPECT_EQ(MtoolsRead(dump, "DATA/NEW.BIN"), std::string(big.begin(), big.end()));
    EXPECT_EQ(MtoolsRead(dump, "README.TXT"), "Read me first.\r\n");

    ExpectSuccess(RunCli({"delete-file", container, "2", "GAME.BIN", "DATA/SAVE.DAT"}));
    ExpectSuccess(RunCli({"rename-file", container, "2", "README.TXT", "LIESMICH.TXT"}));
    dump = CheckedDump(dir, container);
    const TRunResult listing = Tool("mdir", {"-b", "-i", dump, "::/"});
    EXPECT_EQ(listing.Out.find("GAME.BIN"), std::string::npos) << listing.Out;
    EXPECT_EQ(listing.Out.find("README"), std::string::npos) << listing.Out;
    EXPECT_EQ(MtoolsRead(dump, "LIESMICH.TXT"), "Read me first.\r\n");
    EXPECT_EQ(MtoolsRead(dump, "DATA/NEW.BIN"), std::string(big.begin(), big.end()));

    // Refused: the container stays byte for byte as it was, and no backup is left.
    testsupport::WriteFileBytes(dir.File("huge.bin"), Bytes(1300 * 1024, 1));
    const Bytes before = ReadFileBytes(container);
    const std::vector<std::string> files = testsupport::ListFolder(dir.Path());
    const struct {
        std::vector<std::string> Args;
        std::string Err;
    } refusals[] = {
        {{"put", container, "2", dir.File("huge.bin"), "--backup"},
         "The file \"HUGE.BIN\" (1331200 bytes) does not fit the free space of the disk"},
        {{"put", container, "1", dir.File("readme.txt")},
         "The program does not know the file system of the disk image 1."},
        {{"put", container, "2", dir.File("readme.txt"), "toolongname.text"},
         "The name \"toolongname.text\" does not fit a FAT12 disk: at most 8 bytes and 3 after "
         "the dot. The nearest name that fits is \"TOOLONGN.TEX\"."},
        // FAT names are one whatever their case.
        {{"put", container, "2", dir.File("readme.txt"), "liesmich.txt"},
         "The disk already has a file \"liesmich.txt\"."},
        {{"rename-file", container, "2", "LIESMICH.TXT", "\xF0\x9F\x98\x80.TXT"},
         "The program cannot accept the value."},
        {{"delete-file", container, "2", "LIESMICH.TXT", "NONE.TXT"},
         "The disk has no file \"NONE.TXT\"."},
    };
    for (const auto& refusal : refusals) {
        const TRunResult result = RunCli(refusal.Args);
        EXPECT_EQ(result.ExitCode, 1);
        EXPECT_EQ(result.Err.rfind("trackwell-cli: " + refusal.Err, 0), 0u) << result.Err;
        EXPECT_TRUE(ReadFileBytes(container) == before);
    }
    EXPECT_EQ(testsupport::ListFolder(dir.Path()), files);
    ExpectSuccess(RunCli({"protect", container, "2", "yes"}));
    const TRunResult protectedDisk = RunCli({"delete-file", container, "2", "LIESMICH.TXT"});
    EXPECT_EQ(protectedDisk.Err, "trackwell-cli: The disk image 2 (\"fat\") is write-protected; "
                                 "clear its write protection to change its files.\n");
}

// A folder goes on and comes off with everything in it, as mcopy -s copies it; mkdir and a
// recursive delete-file leave a disk fsck.fat finds sound.
TEST(CliFiles, FolderTreesGoOnAndOffWholeAsMtoolsCopiesThem) {
    const TempDir dir;
    const std::string container = dir.File("disks.d88");
    if (!MakeContainer(dir, container))
        GTEST_SKIP() << "mkfs.fat (dosfstools) and mtools are needed";
    const TRunResult freeBefore = RunCli({"fs", container, "2"});
    const std::string tree = dir.File("TREE");
    std::filesystem::create_directories(tree + "/SUB/DEEP");
    std::filesystem::create_directories(tree + "/EMPTY");
    testsupport::WriteFileText(tree + "/A.TXT", "a\r\n");
    testsupport::WriteFileBytes(tree + "/SUB/B.BIN", Bytes(5000, 0xB5));
    testsupport::WriteFileText(tree + "/SUB/DEEP/C.TXT", "deep\r\n");

    ExpectSuccess(RunCli({"put", container, "2", tree}));
    std::string dump = CheckedDump(dir, container);
    ASSERT_EQ(Tool("mcopy", {"-s", "-i", dump, "::TREE", dir.File("by-mtools")}).ExitCode, 0);
    EXPECT_EQ(Tool("diff", {"-r", tree, dir.File("by-mtools")}).ExitCode, 0);

    const Bytes before = ReadFileBytes(container);
    const auto refused = [&](const std::vector<std::string>& args, const std::string& err) {
        const TRunResult result = RunCli(args);
        EXPECT_EQ(result.ExitCode, 1);
        EXPECT_EQ(result.Err, "trackwell-cli: " + err + "\n");
        EXPECT_TRUE(ReadFileBytes(container) == before);
    };
    refused({"put", container, "2", tree}, "The disk already has a folder \"TREE\".");
    refused({"mkdir", container, "2", "TREE/SUB"}, "The disk already has a folder \"TREE/SUB\".");
    refused({"mkdir", container, "2", "NONE/NEW"}, "The disk has no folder \"NONE\".");
    refused({"mkdir", container, "1", "NEW"},
            "The program does not know the file system of the disk image 1.");
    refused({"delete-file", container, "2", "TREE"}, "The folder \"TREE\" is not empty.");
    // Into the folder the disk has, with --force: its files replaced, the others kept.
    testsupport::WriteFileText(tree + "/A.TXT", "again\r\n");
    ExpectSuccess(RunCli({"put", container, "2", tree, "--force"}));
    ExpectSuccess(RunCli({"mkdir", container, "2", "TREE/EMPTY/NEW"}));
    std::filesystem::create_directories(tree + "/EMPTY/NEW");

    const std::string out = dir.File("out");
    ExpectSuccess(RunCli({"get", container, "2", "tree", out}));
    EXPECT_EQ(Tool("diff", {"-r", tree, out}).ExitCode, 0);
    const TRunResult again = RunCli({"get", container, "2", "TREE", out});
    EXPECT_EQ(again.ExitCode, 1);
    ExpectSuccess(RunCli({"get", container, "2", "TREE", out, "--force"}));
    EXPECT_EQ(RunCli({"get", container, "2", "TREE", "-"}).Err,
              "trackwell-cli: The program cannot write a folder to standard output.\n");

    ExpectSuccess(RunCli({"delete-file", container, "2", "TREE", "--recursive"}));
    dump = CheckedDump(dir, container);
    EXPECT_EQ(Tool("mdir", {"-b", "-i", dump, "::/"}).Out.find("TREE"), std::string::npos);
    EXPECT_EQ(RunCli({"fs", container, "2"}).Out, freeBefore.Out);
}

// A file put on a FAT disk is dated as the local file was last changed, which mtools reads; one
// taken off gets the date the disk holds.
TEST(CliFiles, DatesGoOntoTheDiskWithAFileAndComeBackWithIt) {
    const TempDir dir;
    const std::string container = dir.File("disks.d88");
    if (!MakeContainer(dir, container))
        GTEST_SKIP() << "mkfs.fat (dosfstools) and mtools are needed";
    const std::string local = dir.File("dated.txt");
    testsupport::WriteFileText(local, "from 2001\r\n");
    ASSERT_TRUE(rtl::SetFileModifiedTime(local, {2001, 2, 3, 4, 5, 6}));
    ExpectSuccess(RunCli({"put", container, "2", local}));
    const std::string dump = CheckedDump(dir, container);
    const TRunResult listing = Tool("mdir", {"-i", dump, "::/DATED.TXT"});
    EXPECT_NE(listing.Out.find("2001-02-03"), std::string::npos) << listing.Out;
    const TRunResult files = RunCli({"files", container, "2"});
    EXPECT_NE(files.Out.find("DATED.TXT\t11\tfile\t2001-02-03 04:05 archive"), std::string::npos)
        << files.Out;

    const std::string out = dir.File("out.txt");
    ExpectSuccess(RunCli({"get", container, "2", "DATED.TXT", out}));
    EXPECT_EQ(rtl::FileModifiedTime(out), (rtl::TLocalTime{2001, 2, 3, 4, 5, 6}));
}

TEST(CliFiles, NamesAPathCannotHoldAreListedWithTheEscapesGetDeleteAndRenameTake) {
    const TempDir dir;
    Bytes disk = fstest::hubasic::Blank();
    fstest::hubasic::AddFile(disk, 0, 0x01, "A/B.TXT", Bytes(3, 'a'), {2}, 3);
    fstest::hubasic::AddFile(disk, 1, 0x01, "", Bytes(4, 'b'), {3}, 4);
    fstest::hubasic::AddFile(disk, 2, 0x01, "C\tD", Bytes(5, 'c'), {4}, 5);
    const std::string container = dir.File("names.d88");
    testsupport::WriteFileBytes(container, disk);

    const TRunResult listed = RunCli({"files", container, "1"});
    ExpectSuccess(listed);
    EXPECT_EQ(listed.Out, "A\\x2FB.TXT\t3\tbinary\tload 0x0000 exec 0x0000 1986-07-15 10:30\n"
                          "\\x20\t4\tbinary\tload 0x0000 exec 0x0000 1986-07-15 10:30\n"
                          "C\\x09D\t5\tbinary\tload 0x0000 exec 0x0000 1986-07-15 10:30\n");
    const TRunResult got = RunCli({"get", container, "1", "A\\x2FB.TXT", "-"});
    ExpectSuccess(got);
    EXPECT_EQ(got.Out, "aaa");
    ExpectSuccess(RunCli({"rename-file", container, "1", "C\\x09D", "CD"}));
    ExpectSuccess(RunCli({"delete-file", container, "1", "\\x20"}));
    const TRunResult after = RunCli({"files", container, "1"});
    ExpectSuccess(after);
    EXPECT_NE(after.Out.find("A\\x2FB.TXT\t3"), std::string::npos) << after.Out;
    EXPECT_NE(after.Out.find("\nCD\t5"), std::string::npos) << after.Out;
    EXPECT_EQ(after.Out.find("\\x20"), std::string::npos) << after.Out;
}

TEST(CliFiles, AnMsxOneSidedDumpIsTakenByItsBootSectorAndExportedForMtools) {
    const TempDir dir;
    const std::string dump = dir.File("msx.dsk");
    if (Tool("mkfs.fat", {"-C", "-S", "512", "-g", "1/9", "-f", "2", "-r", "112", "-s", "2", "-R",
                          "1", "-M", "0xF8", dump, "360"})
            .ExitCode != 0)
        GTEST_SKIP() << "mkfs.fat (dosfstools) and mtools are needed";
    testsupport::WriteFileText(dir.File("game.bas"), "10 PRINT\r\n");
    ASSERT_EQ(Tool("mcopy", {"-i", dump, dir.File("game.bas"), "::GAME.BAS"}).ExitCode, 0);

    // No --format: the dump's boot sector says one side of 80 cylinders, not the PC/AT's two
    // sides of 40, though both are 368,640 bytes.
    const std::string container = dir.File("msx.d88");
    ExpectSuccess(RunCli({"merge", container, dump}));
    const TRunResult fs = RunCli({"fs", container});
    ExpectSuccess(fs);
    EXPECT_EQ(fs.Out.substr(0, fs.Out.rfind('\t')), "1\tFAT12\t1");
    const std::string back = dir.File("back.dsk");
    ExpectSuccess(RunCli({"export", container, "1", back, "--as", "raw"}));
    EXPECT_TRUE(ReadFileBytes(back) == ReadFileBytes(dump));
    EXPECT_EQ(MtoolsRead(back, "GAME.BAS"), "10 PRINT\r\n");
}

TEST(CliFiles, TheFilesOfADumpOrAnFdiFileAreChangedInTheirFormOrRefusedLeavingTheFile) {
    const TempDir dir;
    const std::string dump = dir.File("msx.dsk");
    if (Tool("mkfs.fat", {"-C", "-S", "512", "-g", "2/9", "-f", "2", "-r", "112", "-s", "2", "-R",
                          "1", "-M", "0xF9", dump, "720"})
            .ExitCode != 0)
        GTEST_SKIP() << "mkfs.fat (dosfstools) and mtools are needed";
    testsupport::WriteFileText(dir.File("note.txt"), "a note\r\n");
    ExpectSuccess(RunCli({"put", dump, "1", dir.File("note.txt"), "NOTE.TXT"}));
    ExpectSuccess(RunCli({"rename-file", dump, "1", "NOTE.TXT", "MEMO.TXT", "--backup"}));
    EXPECT_EQ(ReadFileBytes(dump).size(), 737280u);
    EXPECT_EQ(Tool("fsck.fat", {"-n", dump}).ExitCode, 0);
    EXPECT_EQ(MtoolsRead(dump, "MEMO.TXT"), "a note\r\n");
    // The backup is the dump as it was before the rename.
    EXPECT_EQ(MtoolsRead(dir.File("[Backup] msx.dsk"), "NOTE.TXT"), "a note\r\n");

    // An FDI file stays one; one whose header holds more than the program writes is refused.
    const std::string fdi = dir.File("disk.fdi");
    ExpectSuccess(RunCli({"export", dump, "1", fdi, "--as", "fdi"}));
    ExpectSuccess(RunCli({"delete-file", fdi, "1", "MEMO.TXT"}));
    EXPECT_EQ(RunCli({"files", fdi, "1"}).Out, "");
    Bytes marked = ReadFileBytes(fdi);
    ASSERT_GT(marked.size(), 4096u);
    marked[100] = 0x55;
    testsupport::WriteFileBytes(fdi, marked);
    const TRunResult refused = RunCli({"put", fdi, "1", dir.File("note.txt")});
    EXPECT_EQ(refused.ExitCode, 1);
    EXPECT_EQ(refused.Err, "trackwell-cli: The program cannot change the files of \"disk.fdi\" in "
                           "place: written again, an FDI file would not be the same file. Make a "
                           "container of it with merge and change the files there.\n");
    EXPECT_TRUE(ReadFileBytes(fdi) == marked);
}
