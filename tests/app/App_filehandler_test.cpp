#include "App_diskimages.h"
#include "App_filehandler.h"
#include "App_handler.h"
#include "Rtl_filewriter.h"
#include "Rtl_inifiles.h"
#include "Rtl_paths.h"
#include "TestSupport.h"
#include "Vix_files.h"
#include "Vix_shelllinks.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <string>
#include <vector>

#include <sys/stat.h>
#include <unistd.h>

namespace {

void Touch(const std::string& path) {
    testsupport::WriteFileBytes(path, {});
}

} // namespace

TEST(NormalizePath, RefusesRelativePathsBeforeLookingAtTheDisk) {
    for (const char* path : {"disk.d88", "./disk.d88", "../x/disk.d88", ""}) {
        try {
            NormalizePath(path);
            FAIL() << path;
        } catch (const EHandlerError& e) {
            EXPECT_EQ(e.Message(), "The program cannot accept files specified in a relative path.");
        }
    }
}

TEST(NormalizePath, GivesTheCanonicalPathOfAnExistingFile) {
    testsupport::TempDir dir;
    ::mkdir(dir.File("sub").c_str(), 0755);
    Touch(dir.File("sub/disk.d88"));
    ASSERT_EQ(::symlink("sub", dir.File("link").c_str()), 0);
    const std::string canonical = GetLongPath(dir.File("sub/disk.d88"));
    EXPECT_EQ(NormalizePath(dir.File("sub/../sub/./disk.d88")), canonical);
    EXPECT_EQ(NormalizePath(dir.File("link/disk.d88")), canonical);
    // ".." after a link to a folder leads to the parent of the link's target, as for the kernel,
    // not back to the folder holding the link.
    ::mkdir(dir.File("sub/deeper").c_str(), 0755);
    ASSERT_EQ(::symlink("sub/deeper", dir.File("deep").c_str()), 0);
    Touch(dir.File("disk.d88"));
    EXPECT_EQ(NormalizePath(dir.File("deep/../disk.d88")), canonical);
    try {
        NormalizePath(dir.File("sub/missing.d88"));
        FAIL();
    } catch (const EFileError& e) {
        EXPECT_EQ(e.Message(), "The program could not get the long form of the path.");
    }
}

TEST(NormalizePath, FollowsAShortcutToItsTarget) {
    testsupport::TempDir dir;
    Touch(dir.File("target.d88"));
    TShellLink link;
    link.SetPath(dir.File("target.d88"));
    link.SaveToFile(dir.File("Game.LNK"));
    EXPECT_EQ(NormalizePath(dir.File("Game.LNK")), GetLongPath(dir.File("target.d88")));

    // A target stored as a Windows path has no long form here; a target that has gone neither.
    link.SetPath("C:\\Games\\disk.d88");
    link.SaveToFile(dir.File("windows.lnk"));
    // Even with a file of that very name in the current folder.
    testsupport::CurrentFolderKeeper keeper;
    ASSERT_TRUE(rtl::SetCurrentDir(dir.Path()));
    Touch(dir.File("C:\\Games\\disk.d88"));
    EXPECT_EQ(testsupport::MessageOf<EFileError>([&] { NormalizePath(dir.File("windows.lnk")); }),
              "The program could not get the long form of the path.");
    link.SetPath(dir.File("gone.d88"));
    link.SaveToFile(dir.File("gone.lnk"));
    EXPECT_EQ(testsupport::MessageOf<EFileError>([&] { NormalizePath(dir.File("gone.lnk")); }),
              "The program could not get the long form of the path.");
    testsupport::WriteFileBytes(dir.File("bad.lnk"), {1, 2, 3});
    EXPECT_EQ(testsupport::MessageOf<EShellLinkError>([&] { NormalizePath(dir.File("bad.lnk")); }),
              "The program could not load a shell link.");
}

TEST(MakeUniquePath, NumbersBeforeTheExtensionAndNeverOverwrites) {
    testsupport::TempDir dir;
    const std::string path = dir.File("disk.d88");
    EXPECT_EQ(MakeUniquePath(path, true), path);
    Touch(path);
    EXPECT_EQ(MakeUniquePath(path, true), dir.File("disk (2).d88"));
    EXPECT_EQ(MakeUniquePath(path, false), dir.File("disk.d88 (2)"));
    Touch(dir.File("disk (2).d88"));
    EXPECT_EQ(MakeUniquePath(path, true), dir.File("disk (3).d88"));
    // A dangling link or a folder takes the name as well.
    ASSERT_EQ(::symlink("nowhere", dir.File("disk (3).d88").c_str()), 0);
    ::mkdir(dir.File("disk (4).d88").c_str(), 0755);
    EXPECT_EQ(MakeUniquePath(path, true), dir.File("disk (5).d88"));
}

TEST(MakeUniquePath, GivesUpAfterNineHundredNinetyNine) {
    testsupport::TempDir dir;
    Touch(dir.File("d"));
    for (int n = 2; n <= 999; ++n)
        Touch(dir.File("d (" + std::to_string(n) + ")"));
    try {
        MakeUniquePath(dir.File("d"), false);
        FAIL();
    } catch (const EHandlerError& e) {
        EXPECT_EQ(e.Message(), "The program cannot create a unique path.");
    }
}

TEST(MakeBackupPath, PrefixesTheNameAndKeepsTheExtension) {
    testsupport::TempDir dir;
    EXPECT_EQ(MakeBackupPath(dir.File("disk.d88")), dir.File("[Backup] disk.d88"));
    Touch(dir.File("[Backup] disk.d88"));
    EXPECT_EQ(MakeBackupPath(dir.File("disk.d88")), dir.File("[Backup] disk (2).d88"));
    EXPECT_EQ(MakeBackupPath(dir.File("disk")), dir.File("[Backup] disk"));
    Touch(dir.File("[Backup] disk"));
    EXPECT_EQ(MakeBackupPath(dir.File("disk")), dir.File("[Backup] disk (2)"));
    // Only the last component's dot starts an extension.
    EXPECT_EQ(MakeBackupPath("/no/such.folder/disk"), "/no/such.folder/[Backup] disk");
}

// Another program that takes a name between the look for a free one and the naming keeps its
// file: the copy or the saved image takes the next number instead.
TEST(UniqueNames, AFileMadeAtTheChosenNameMeanwhileIsNeverReplaced) {
    testsupport::TempDir dir;
    const std::string source = dir.File("disk.d88");
    testsupport::WriteFileText(source, "document");
    ::chmod(source.c_str(), 0640);
    testsupport::WriterCalls calls;
    calls.BeforeNaming = [&](const std::string& name) {
        if (name.find(" (2)") == std::string::npos)
            testsupport::WriteFileText(dir.File(name), "theirs");
    };

    const std::string backup = BackUpFile(source);
    EXPECT_EQ(backup, dir.File("[Backup] disk (2).d88"));
    EXPECT_EQ(testsupport::ReadFileText(backup), "document");
    EXPECT_EQ(testsupport::ReadFileText(dir.File("[Backup] disk.d88")), "theirs");
    struct stat info {};
    ASSERT_EQ(::stat(backup.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0640u);

    TDiskImageList images;
    images.Add(std::make_unique<TDiskImage>());
    rtl::TFileBatch batch;
    EXPECT_EQ(SaveToUniquePath(images, dir.File("disk #001 ().d88"), true, batch),
              dir.File("disk #001 () (2).d88"));
    FlushSaves(batch);
    EXPECT_EQ(testsupport::ReadFileText(dir.File("disk #001 ().d88")), "theirs");
    EXPECT_EQ(testsupport::ReadFileBytes(dir.File("disk #001 () (2).d88")).size(), 688u);

    // A backup of a file that cannot be read says so with the system's reason.
    EXPECT_EQ(
        testsupport::MessageWithReasonOf<EHandlerError>([&] { BackUpFile(dir.File("gone.d88")); }),
        "The program cannot create a backup of the document.\nNo such file or directory: " +
            dir.File("gone.d88"));
}

TEST(MakeMultipleFilesName, RowHasAtLeastThreeDigits) {
    EXPECT_EQ(MakeMultipleFilesName("disk", 1, "GAME A", ".d88"), "disk #001 (GAME A).d88");
    EXPECT_EQ(MakeMultipleFilesName("Untitled", 3, "SAVE_1", ".d88"), "Untitled #003 (SAVE_1).d88");
    EXPECT_EQ(MakeMultipleFilesName("disk", 1000, "", ""), "disk #1000 ()");
}

namespace {

// The writer's calls in the order they come, each passed on to the system: a save's order of
// flushes and names is its promise to survive a power loss.
class TRecordingWriterCalls : public rtl::TFileWriterCalls {
public:
    TRecordingWriterCalls() : FScope(*this) {}

    // With unnamed files refused, the writer falls back to a named temporary and a rename.
    bool NamedTemporaries = false;
    std::vector<std::string> Calls;

    int OpenUnnamed(int folder, unsigned mode) override {
        if (NamedTemporaries) {
            errno = EOPNOTSUPP;
            return -1;
        }
        return TFileWriterCalls::OpenUnnamed(folder, mode);
    }
    int LinkUnnamed(int handle, int folder, const std::string& name) override {
        Calls.push_back("name " + name);
        return TFileWriterCalls::LinkUnnamed(handle, folder, name);
    }
    int RenameNoReplace(int folder, const std::string& from, const std::string& to) override {
        Calls.push_back("name " + to);
        return TFileWriterCalls::RenameNoReplace(folder, from, to);
    }
    int Rename(int folder, const std::string& from, const std::string& to) override {
        Calls.push_back("name " + to);
        return TFileWriterCalls::Rename(folder, from, to);
    }
    int FlushData(int handle) override {
        Calls.push_back("flush data");
        return TFileWriterCalls::FlushData(handle);
    }
    int FlushFolder(int folder) override {
        Calls.push_back("flush folder");
        return TFileWriterCalls::FlushFolder(folder);
    }

private:
    rtl::TFileWriterCallsScope FScope;
};

} // namespace

TEST(FileWriterOrder, EverySaveFlushesItsDataBeforeTheNameAndTheFolderAfter) {
    for (const bool namedTemporaries : {false, true}) {
        SCOPED_TRACE(namedTemporaries ? "named temporaries" : "unnamed files");
        testsupport::TempDir dir;
        TRecordingWriterCalls calls;
        calls.NamedTemporaries = namedTemporaries;
        // The data first, before any name; then the file takes its name in its place (a file
        // replaced may be given a passing name first); the folder last.
        const auto expect = [&](const std::string& name) {
            const std::vector<std::string>& seen = calls.Calls;
            ASSERT_GE(seen.size(), 3u) << testing::PrintToString(seen);
            EXPECT_EQ(seen.front(), "flush data") << testing::PrintToString(seen);
            EXPECT_EQ(seen[seen.size() - 2], "name " + name) << testing::PrintToString(seen);
            EXPECT_EQ(seen.back(), "flush folder") << testing::PrintToString(seen);
            calls.Calls.clear();
        };

        TDiskImageList images;
        images.Add(std::make_unique<TDiskImage>());
        images.SaveToFile(dir.File("disk.d88"));
        expect("disk.d88");
        // Replacing the file it has just written.
        images.SaveToFile(dir.File("disk.d88"));
        expect("disk.d88");

        rtl::TMemIniFile settings(dir.File("Settings.ini"));
        settings.WriteString("Section", "Key", "value");
        settings.UpdateFile();
        expect("Settings.ini");

        EXPECT_EQ(BackUpFile(dir.File("disk.d88")), dir.File("[Backup] disk.d88"));
        expect("[Backup] disk.d88");
    }
}
