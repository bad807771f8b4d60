// The files on a document's disks: each change one step of its history that undo and redo turn
// back and forth byte for byte, refusals that leave the document as it was, and the Files
// panel's handler over the focused image. The FAT12 disks are made by mkfs.fat and mcopy.
#include "App_diskfiles.h"
#include "Rtl_inifiles.h"
#include "TestSupport.h"
#include "fs/FsTestDisks.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <sys/stat.h>
#include <vector>

using testsupport::Bytes;
using testsupport::MessageOf;
using testsupport::TempDir;

namespace {

// The PC-98 2HD FAT12 layout made by dosfstools: 1,232 sectors of 1024 bytes, one reserved.
// Empty when the tools are missing.
Bytes FatDump(const TempDir& dir, const std::vector<std::pair<std::string, std::string>>& files) {
    const std::string dump = dir.File("fat.img");
    std::string command = "mkfs.fat -C -S 1024 -g 2/8 -f 2 -r 192 -s 1 -R 1 -M 0xFE '" + dump +
                          "' 1232 >/dev/null 2>&1";
    for (const auto& [name, text] : files) {
        testsupport::WriteFileText(dir.File("in"), text);
        command +=
            " && MTOOLS_SKIP_CHECK=1 mcopy -i '" + dump + "' '" + dir.File("in") + "' ::" + name;
    }
    if (std::system(command.c_str()) != 0)
        return {};
    return testsupport::ReadFileBytes(dump);
}

class TPanel : public TFilesPanel {
public:
    bool Visible() const override { return FVisible; }
    void SetVisible(bool value) override { FVisible = value; }
    int Extent() const override { return FExtent; }
    void SetExtent(int value) override { FExtent = value; }
    std::vector<int> SelectedEntries() const override { return Selection; }
    std::vector<int> Selection;

private:
    bool FVisible = false;
    int FExtent = 0;
};

struct DiskFilesTest : ::testing::Test {
    testsupport::CurrentFolderKeeper folderKeeper;
    TempDir dir;
    TMemoryListControl control;
    TListViewShell shell{control};
    TScriptedUserInterface ui;
    TFileHandler document{&shell, ui};
    TPanel panel;
    TDiskFilesHandler files{document, shell, ui, &panel};

    // A document of a blank 2D disk and a FAT12 disk holding the files, the FAT disk focused.
    bool Open(const std::vector<std::pair<std::string, std::string>>& contents) {
        const Bytes dump = FatDump(dir, contents);
        if (dump.empty())
            return false;
        TDiskImageList list;
        list.Add(std::make_unique<TDiskImage>(TDiskFormat{DiskType2D, 40, 2, 16, 1}));
        list.Add(std::make_unique<TDiskImage>(TDiskFormat{DiskType2HD, 77, 2, 8, 3}, dump));
        list.SaveToFile(dir.File("disk.d88"));
        document.OpenFile(dir.File("disk.d88"));
        shell.ClearSelection();
        shell.SetFocused(1, true);
        files.Refresh();
        return true;
    }
    Bytes ImageBytes(int index) const {
        const std::span<const uint8_t> bytes = document.DiskImages(index).Bytes();
        return {bytes.begin(), bytes.end()};
    }
    std::vector<std::string> Names() const {
        std::vector<std::string> names;
        for (const TFileEntry& entry : files.Entries())
            names.push_back(entry.Name);
        return names;
    }
};

} // namespace

TEST_F(DiskFilesTest, EachChangeIsOneStepThatUndoAndRedoTurnBackAndForthByteForByte) {
    if (!Open({{"A.TXT", "first file\r\n"}, {"B.TXT", "second"}}))
        GTEST_SKIP() << "mkfs.fat and mcopy (dosfstools, mtools) are needed";
    ASSERT_NE(files.FileSystem(), nullptr);
    EXPECT_EQ(Names(), (std::vector<std::string>{"A.TXT", "B.TXT"}));
    const Bytes before = ImageBytes(1);

    PutFiles(document, 1, {{"NEW.BIN", {1, 2, 3, 0, 255}}, {"A.TXT", {'x'}}});
    EXPECT_EQ(document.UndoName(), "Add files");
    const Bytes put = ImageBytes(1);
    EXPECT_NE(put, before);
    const std::unique_ptr<TFileSystem> fs = OpenImageFileSystem(document.DiskImages(1), 2);
    EXPECT_EQ(fs->Read("NEW.BIN"), (Bytes{1, 2, 3, 0, 255}));
    EXPECT_EQ(fs->Read("A.TXT"), Bytes{'x'});

    DeleteFiles(document, 1, {"B.TXT", "NEW.BIN"});
    EXPECT_EQ(document.UndoName(), "Delete files");
    const Bytes deleted = ImageBytes(1);
    RenameFile(document, 1, "A.TXT", "C.TXT");
    EXPECT_EQ(document.UndoName(), "Rename file");
    const Bytes renamed = ImageBytes(1);

    for (const Bytes* expected : {&deleted, &put, &before}) {
        document.Undo();
        EXPECT_EQ(ImageBytes(1), *expected);
    }
    for (const Bytes* expected : {&put, &deleted, &renamed}) {
        document.Redo();
        EXPECT_EQ(ImageBytes(1), *expected);
    }
    EXPECT_EQ(shell.FocusedIndex(), 1);
    EXPECT_EQ(shell.SelCount(), 0);
    document.Undo();
    document.Undo();
    EXPECT_TRUE(document.IsModified());
    document.Undo();
    EXPECT_FALSE(document.IsModified());
}

TEST_F(DiskFilesTest, RefusalsLeaveTheDocumentAsItWas) {
    if (!Open({{"A.TXT", "first"}}))
        GTEST_SKIP() << "mkfs.fat and mcopy (dosfstools, mtools) are needed";
    const Bytes before = ImageBytes(1);
    EXPECT_EQ(MessageOf<EFileSystemError>([&] {
                  PutFiles(document, 0, {{"A.TXT", {1}}});
              }),
              "The program does not know the file system of the disk image 1.");
    EXPECT_EQ(MessageOf<EFileSystemError>([&] {
                  DeleteFiles(document, 1, {"A.TXT", "NONE.TXT"});
              }),
              "The disk has no file \"NONE.TXT\".");
    const Bytes huge(1300 * 1024, 0x55);
    EXPECT_EQ(MessageOf<EFileSystemError>([&] {
                  PutFiles(document, 1, {{"BIG.DAT", huge}});
              }),
              "The file \"BIG.DAT\" (1331200 bytes) does not fit the free space of the disk (" +
                  std::to_string(OpenImageFileSystem(document.DiskImages(1), 2)->FreeBytes()) +
                  " bytes).");
    // The second file no longer fits once the first is on the disk: neither goes on.
    const Bytes half(700 * 1024, 0x66);
    EXPECT_NE(MessageOf<EFileSystemError>([&] {
                  PutFiles(document, 1, {{"ONE.DAT", half}, {"TWO.DAT", half}});
              }),
              "(nothing raised)");
    document.DiskImages(1).SetWriteProtected(WriteProtectedOn);
    EXPECT_EQ(MessageOf<EFileSystemError>([&] { DeleteFiles(document, 1, {"A.TXT"}); }),
              "The disk image 2 is write-protected; clear its write protection to change its "
              "files.");
    document.DiskImages(1).SetWriteProtected(WriteProtectedOff);
    EXPECT_EQ(ImageBytes(1), before);
    EXPECT_FALSE(document.CanUndo());
    EXPECT_EQ(MessageOf<EHandlerError>([&] { EncodeFilePath("\xF0\x9F\x98\x80.TXT"); }),
              "The program cannot accept the value.");
}

TEST_F(DiskFilesTest, ThePanelFollowsTheFocusAndItsOperationsGoThroughTheHistory) {
    if (!Open({{"KEEP.TXT", "keep"}, {"GONE.TXT", "gone"}}))
        GTEST_SKIP() << "mkfs.fat and mcopy (dosfstools, mtools) are needed";
    EXPECT_EQ(files.Index(), 1);
    EXPECT_EQ(files.StatusText().rfind("FAT12, ", 0), 0u) << files.StatusText();
    EXPECT_FALSE(files.CanDeleteFiles());

    panel.Selection = {1};
    files.DeleteFiles();
    EXPECT_EQ(Names(), std::vector<std::string>{"KEEP.TXT"});
    document.Undo();
    files.Refresh();
    EXPECT_EQ(Names(), (std::vector<std::string>{"KEEP.TXT", "GONE.TXT"}));

    testsupport::WriteFileText(dir.File("local.txt"), "from the user's disk");
    files.AddFilesFrom({dir.File("local.txt")});
    EXPECT_EQ(Names(), (std::vector<std::string>{"KEEP.TXT", "GONE.TXT", "LOCAL.TXT"}));
    EXPECT_EQ(document.UndoName(), "Add file");

    panel.Selection = {0};
    ui.EnterAnswers = {"renamed.txt"};
    files.RenameFile();
    EXPECT_EQ(Names()[0], "RENAMED.TXT");

    panel.Selection = {0, 2};
    const std::string out = dir.File("out");
    ASSERT_EQ(::mkdir(out.c_str(), 0755), 0);
    EXPECT_EQ(files.ExtractTo(out),
              (std::vector<std::string>{out + "/RENAMED.TXT", out + "/LOCAL.TXT"}));
    EXPECT_EQ(testsupport::ReadFileText(out + "/LOCAL.TXT"), "from the user's disk");
    // An existing file is not written over.
    EXPECT_NE(MessageOf<rtl::Exception>([&] { files.ExtractTo(out); }), "(nothing raised)");

    shell.SetFocused(0, true);
    files.Refresh();
    EXPECT_EQ(files.FileSystem(), nullptr);
    EXPECT_TRUE(files.Entries().empty());
    EXPECT_EQ(files.StatusText(), "No known file system");

    rtl::TMemIniFile settings(dir.File("Settings.ini"));
    files.ToggleShow();
    panel.SetExtent(321);
    files.SaveSettings(settings);
    TPanel other;
    TDiskFilesHandler again(document, shell, ui, &other);
    again.LoadSettings(settings);
    EXPECT_TRUE(other.Visible());
    EXPECT_EQ(other.Extent(), 321);
}

TEST_F(DiskFilesTest, ExtractingWritesEverythingOrNothing) {
    // Two entries of one name: the second is one no path reaches, and both would be one file.
    Bytes disk = fstest::hubasic::Blank();
    fstest::hubasic::AddFile(disk, 0, 0x01, "SAME", Bytes(5, 'a'), {2}, 5);
    fstest::hubasic::AddFile(disk, 1, 0x01, "SAME", Bytes(5, 'b'), {3}, 5);
    fstest::hubasic::AddFile(disk, 2, 0x01, "OTHER", Bytes(5, 'c'), {4}, 5);
    testsupport::WriteFileBytes(dir.File("hu.d88"), disk);
    document.OpenFile(dir.File("hu.d88"));
    shell.SetFocused(0, true);
    files.Refresh();
    ASSERT_EQ(Names(), (std::vector<std::string>{"SAME", "SAME", "OTHER"}));
    const std::string out = dir.File("out");
    ASSERT_EQ(::mkdir(out.c_str(), 0755), 0);
    const auto listing = [&] {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(out))
            names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    };

    panel.Selection = {2, 0, 1};
    EXPECT_EQ(MessageOf<EFileSystemError>([&] { files.ExtractTo(out); }),
              "The program cannot extract the files: two of them would be written as \"SAME\".");
    EXPECT_EQ(listing(), std::vector<std::string>{});
    // A name already taken, after one that is free: neither is written.
    testsupport::WriteFileText(out + "/SAME", "kept");
    panel.Selection = {2, 0};
    EXPECT_EQ(MessageOf<EFileSystemError>([&] { files.ExtractTo(out); }),
              "The file \"" + out + "/SAME\" exists.");
    EXPECT_EQ(listing(), std::vector<std::string>{"SAME"});
    EXPECT_EQ(testsupport::ReadFileText(out + "/SAME"), "kept");
    std::filesystem::remove(out + "/SAME");
    EXPECT_EQ(files.ExtractTo(out), (std::vector<std::string>{out + "/OTHER", out + "/SAME"}));
    EXPECT_EQ(testsupport::ReadFileText(out + "/SAME"), "aaaaa");
}

TEST_F(DiskFilesTest, ATakenNameIsAskedAboutWhenAddingOrExtractingAndCancelKeepsWhatWasSettled) {
    testsupport::WriteFileBytes(dir.File("hu.d88"), fstest::hubasic::Blank());
    document.OpenFile(dir.File("hu.d88"));
    const rtl::TLocalTime oneDate{1999, 12, 31, 23, 59, 0};
    PutFiles(document, 0,
             {{"ONE.TXT", Bytes{'o', '1'}, oneDate},
              {"TWO.TXT", Bytes{'o', '2'}},
              {"ABCDEFGHIJKLM.TXT", Bytes{'o', '3'}}});
    shell.SetFocused(0, true);
    files.Refresh();
    const std::string in = dir.File("in");
    ASSERT_EQ(::mkdir(in.c_str(), 0755), 0);
    for (const char* name : {"ONE.TXT", "TWO.TXT", "ABCDEFGHIJKLM.TXT", "FOUR.TXT"})
        testsupport::WriteFileText(in + "/" + name, std::string("new ") + name);
    const rtl::TLocalTime fourDate{2010, 6, 7, 8, 9, 0};
    ASSERT_TRUE(rtl::SetFileModifiedTime(in + "/FOUR.TXT", fourDate));
    const auto local = [&](const char* name) { return in + "/" + name; };
    const auto text = [&](const std::string& name) {
        const std::vector<uint8_t> data = files.FileSystem()->Read(name);
        return std::string(data.begin(), data.end());
    };
    const Bytes before = ImageBytes(0);
    const size_t shownBefore = ui.Shown.size();

    // Three taken names, each asked about (the first two offering the rest); a free one put.
    ui.ConflictAnswers = {
        {TConflictChoice::Replace}, {TConflictChoice::Skip}, {TConflictChoice::KeepBoth}};
    files.AddFilesFrom(
        {local("ONE.TXT"), local("TWO.TXT"), local("ABCDEFGHIJKLM.TXT"), local("FOUR.TXT")});
    ASSERT_EQ(ui.Shown.size(), shownBefore + 3);
    EXPECT_EQ(ui.Shown[shownBefore].Text, "The disk already has a file \"ONE.TXT\".");
    EXPECT_EQ(ui.Shown[shownBefore].Title, "more");
    EXPECT_EQ(ui.Shown[shownBefore + 2].Title, "");
    EXPECT_EQ(text("ONE.TXT"), "new ONE.TXT");
    EXPECT_EQ(text("TWO.TXT"), "o2");
    EXPECT_EQ(text("ABCDEFGHIJKLM.TXT"), "o3");
    // The next free name the file system allows: thirteen characters, so one goes for the number.
    EXPECT_EQ(text("ABCDEFGHIJKL2.TXT"), "new ABCDEFGHIJKLM.TXT");
    EXPECT_EQ(text("FOUR.TXT"), "new FOUR.TXT");
    // Dated as the local file was last changed (Hu-BASIC keeps the minute).
    EXPECT_EQ(DiskFileDate(*files.FileSystem(), "FOUR.TXT"), fourDate);
    EXPECT_EQ(document.UndoName(), "Add files");
    document.Undo();
    EXPECT_EQ(ImageBytes(0), before);
    files.Refresh();

    // One way for all: asked once. Cancel at the first leaves the disk and the history alone.
    ui.ConflictAnswers = {{TConflictChoice::Skip, true}};
    files.AddFilesFrom({local("ONE.TXT"), local("TWO.TXT"), local("FOUR.TXT")});
    EXPECT_EQ(text("ONE.TXT"), "o1");
    EXPECT_EQ(text("FOUR.TXT"), "new FOUR.TXT");
    document.Undo();
    files.Refresh();
    ui.ConflictAnswers = {{TConflictChoice::Cancel}};
    files.AddFilesFrom({local("ONE.TXT"), local("FOUR.TXT")});
    EXPECT_EQ(ImageBytes(0), before);
    // No step was made: the one undone can still be redone.
    EXPECT_TRUE(document.CanRedo());
    // Cancel later keeps the files settled before it, as one step.
    ui.ConflictAnswers = {{TConflictChoice::Replace}, {TConflictChoice::Cancel}};
    files.AddFilesFrom({local("FOUR.TXT"), local("ONE.TXT"), local("TWO.TXT")});
    EXPECT_EQ(text("FOUR.TXT"), "new FOUR.TXT");
    EXPECT_EQ(text("ONE.TXT"), "new ONE.TXT");
    EXPECT_EQ(text("TWO.TXT"), "o2");
    document.Undo();
    EXPECT_EQ(ImageBytes(0), before);
    files.Refresh();

    // Extracting: the taken name kept beside as "NAME (2)", a free one written unasked.
    const std::string out = dir.File("out");
    ASSERT_EQ(::mkdir(out.c_str(), 0755), 0);
    testsupport::WriteFileText(out + "/ONE.TXT", "mine");
    panel.Selection = {0, 1};
    ui.FolderAnswers = {out};
    ui.ConflictAnswers = {{TConflictChoice::KeepBoth}};
    files.Extract();
    EXPECT_EQ(testsupport::ReadFileText(out + "/ONE.TXT"), "mine");
    EXPECT_EQ(testsupport::ReadFileText(out + "/ONE (2).TXT"), "o1");
    EXPECT_EQ(rtl::FileModifiedTime(out + "/ONE (2).TXT"), oneDate);
    EXPECT_EQ(testsupport::ReadFileText(out + "/TWO.TXT"), "o2");
    EXPECT_EQ(ui.Shown.back().Text, "The file \"" + out + "/ONE.TXT\" exists.");
    // Both taken now: Replace for all asks once and writes both over.
    testsupport::WriteFileText(out + "/TWO.TXT", "mine too");
    ui.FolderAnswers = {out};
    ui.ConflictAnswers = {{TConflictChoice::Replace, true}};
    const size_t asked = ui.Shown.size();
    files.Extract();
    EXPECT_EQ(ui.Shown.size(), asked + 2); // the folder, then one question
    EXPECT_EQ(testsupport::ReadFileText(out + "/ONE.TXT"), "o1");
    EXPECT_EQ(testsupport::ReadFileText(out + "/TWO.TXT"), "o2");
}

TEST_F(DiskFilesTest, ANameThatDoesNotFitIsOfferedTheNearestOneToEditAndARefusedRenameAsksAgain) {
    testsupport::WriteFileBytes(dir.File("hu.d88"), fstest::hubasic::Blank());
    document.OpenFile(dir.File("hu.d88"));
    shell.SetFocused(0, true);
    files.Refresh();
    const std::string local = dir.File("ABCDEFGHIJKLMNOPQ.TXT");
    testsupport::WriteFileText(local, "long");
    const std::string rule =
        "The name \"ABCDEFGHIJKLMNOPQ.TXT\" does not fit a Hu-BASIC disk: at most 13 bytes and 3 "
        "after the dot. The nearest name that fits is \"ABCDEFGHIJKLM.TXT\".";

    // Cancelled: nothing is added and no step made.
    ui.EnterAnswers = {std::nullopt};
    files.AddFilesFrom({local});
    EXPECT_TRUE(Names().empty());
    EXPECT_FALSE(document.CanUndo());
    EXPECT_EQ(ui.Shown.back().Text,
              rule + "\nSpecify the file's name on the disk.\nABCDEFGHIJKLM.TXT");
    // The offer edited.
    ui.EnterAnswers = {std::string("LONG.TXT")};
    files.AddFilesFrom({local});
    EXPECT_EQ(Names(), std::vector<std::string>{"LONG.TXT"});

    // A name refused on rename: the dialog comes back with why and the nearest name, then a
    // name taken: back with that reason and the text as typed.
    panel.Selection = {0};
    ui.EnterAnswers = {std::string("ABCDEFGHIJKLMNOPQ.TXT"), std::string("X.TXT")};
    PutFiles(document, 0, {{"X.TXT", Bytes{'x'}}});
    files.Refresh();
    panel.Selection = {0};
    ui.EnterAnswers.push_back(std::string("SHORT.TXT"));
    files.RenameFile();
    ASSERT_GE(ui.Shown.size(), 3u);
    const auto shown = [&](size_t back) { return ui.Shown[ui.Shown.size() - back].Text; };
    EXPECT_EQ(shown(2), "The name \"ABCDEFGHIJKLMNOPQ.TXT\" does not fit a Hu-BASIC disk: at most "
                        "13 bytes and 3 after the dot. The nearest name that fits is "
                        "\"ABCDEFGHIJKLM.TXT\".\nSpecify the file's new name.\nABCDEFGHIJKLM.TXT");
    EXPECT_EQ(shown(1),
              "The disk already has a file \"X.TXT\".\nSpecify the file's new name.\nX.TXT");
    EXPECT_EQ(Names(), (std::vector<std::string>{"SHORT.TXT", "X.TXT"}));
}

TEST_F(DiskFilesTest, FoldersGoOnAndOffWholeAndAreMadeAndDeletedAsOneStepEach) {
    if (!Open({{"A.TXT", "first"}}))
        GTEST_SKIP() << "mkfs.fat and mcopy (dosfstools, mtools) are needed";
    // A local tree with a folder that does not fit FAT's names, a nested one and an empty one.
    const std::string tree = dir.File("my tree");
    std::filesystem::create_directories(tree + "/SUB/DEEP");
    std::filesystem::create_directories(tree + "/EMPTY");
    testsupport::WriteFileText(tree + "/ONE.TXT", "one");
    testsupport::WriteFileText(tree + "/SUB/TWO.TXT", "two");
    testsupport::WriteFileText(tree + "/SUB/DEEP/THREE.TXT", "three");
    const rtl::TLocalTime date{2004, 5, 6, 7, 8, 10};
    ASSERT_TRUE(rtl::SetFileModifiedTime(tree + "/SUB/TWO.TXT", date));
    const Bytes before = ImageBytes(1);
    const auto text = [&](const std::string& path) {
        const std::vector<uint8_t> data = files.FileSystem()->Read(path);
        return std::string(data.begin(), data.end());
    };

    // The folder's name is offered as the nearest one that fits, and everything goes into it.
    ui.EnterAnswers = {std::string("MY_TREE")};
    ui.FolderAnswers = {tree + "/"};
    files.AddFolder();
    EXPECT_EQ(ui.Shown.back().Text,
              "The name \"my tree\" does not fit a FAT12 disk: a name cannot hold spaces. The "
              "nearest name that fits is \"MY_TREE\".\nSpecify the file's name on the disk.\n"
              "MY_TREE");
    EXPECT_EQ(Names(), (std::vector<std::string>{"A.TXT", "MY_TREE"}));
    EXPECT_EQ(FolderContents(*files.FileSystem(), "MY_TREE"),
              (std::vector<std::string>{"MY_TREE/EMPTY", "MY_TREE/ONE.TXT", "MY_TREE/SUB",
                                        "MY_TREE/SUB/DEEP", "MY_TREE/SUB/DEEP/THREE.TXT",
                                        "MY_TREE/SUB/TWO.TXT"}));
    EXPECT_EQ(text("MY_TREE/SUB/DEEP/THREE.TXT"), "three");
    EXPECT_EQ(DiskFileDate(*files.FileSystem(), "MY_TREE/SUB/TWO.TXT"), date);
    EXPECT_EQ(document.UndoName(), "Add files");
    const Bytes added = ImageBytes(1);

    // Again into the folder the disk now has: its taken files are asked about once for all.
    testsupport::WriteFileText(tree + "/SUB/TWO.TXT", "two again");
    const std::string same = dir.File("MY_TREE");
    std::filesystem::rename(tree, same);
    ui.ConflictAnswers = {{TConflictChoice::Replace, true}};
    const size_t shown = ui.Shown.size();
    files.AddFilesFrom({same});
    ASSERT_EQ(ui.Shown.size(), shown + 1);
    EXPECT_EQ(ui.Shown.back().Text, "The disk already has a file \"MY_TREE/ONE.TXT\".");
    EXPECT_EQ(text("MY_TREE/SUB/TWO.TXT"), "two again");
    EXPECT_EQ(files.FileSystem()->FileCount(), 4);
    document.Undo();
    EXPECT_EQ(ImageBytes(1), added);
    files.Refresh();

    // Out again whole, dated as the disk has it.
    const std::string out = dir.File("out");
    ASSERT_EQ(::mkdir(out.c_str(), 0755), 0);
    panel.Selection = {1};
    files.ExtractTo(out);
    EXPECT_EQ(testsupport::ReadFileText(out + "/MY_TREE/SUB/DEEP/THREE.TXT"), "three");
    EXPECT_TRUE(std::filesystem::is_directory(out + "/MY_TREE/EMPTY"));
    EXPECT_EQ(rtl::FileModifiedTime(out + "/MY_TREE/SUB/TWO.TXT"), date);

    // A new folder, named again when the name is taken, is the one the panel selects next.
    ui.EnterAnswers = {std::string("my_tree"), std::string("games")};
    files.NewFolder();
    EXPECT_EQ(ui.Shown.back().Text, "The disk already has a folder \"MY_TREE\".\nSpecify the "
                                    "folder's name.\nmy_tree");
    EXPECT_EQ(Names(), (std::vector<std::string>{"A.TXT", "MY_TREE", "GAMES"}));
    EXPECT_EQ(files.TakeMadeFolder(), "GAMES");
    EXPECT_EQ(document.UndoName(), "New folder");
    document.Undo();
    files.Refresh();

    // A folder that holds anything is asked about: No keeps it, Yes takes it whole, one step.
    panel.Selection = {1};
    ui.MessageAnswers = {idNo};
    files.DeleteFiles();
    EXPECT_EQ(ui.Shown.back().Text,
              "The folder \"MY_TREE\" is not empty. Delete it with everything it holds?");
    EXPECT_EQ(ImageBytes(1), added);
    ui.MessageAnswers = {idYes};
    files.DeleteFiles();
    EXPECT_EQ(Names(), std::vector<std::string>{"A.TXT"});
    EXPECT_EQ(files.FileSystem()->FreeBytes(), OpenFileSystem(before)->FreeBytes());
    document.Undo();
    EXPECT_EQ(ImageBytes(1), added);
    document.Undo();
    EXPECT_EQ(ImageBytes(1), before);

    // A disk without folders says why it makes none.
    shell.SetFocused(0, true);
    testsupport::WriteFileBytes(dir.File("hu.d88"), fstest::hubasic::Blank());
    document.OpenFile(dir.File("hu.d88"));
    shell.SetFocused(0, true);
    files.Refresh();
    EXPECT_FALSE(files.CanNewFolder());
    EXPECT_EQ(MessageOf<EFileSystemError>([&] { files.RaiseNewFolderRefusal(); }),
              "The Hu-BASIC file system has no folders: it keeps every file in one.");
    EXPECT_EQ(MessageOf<EFileSystemError>([&] { files.AddFilesFrom({same}); }),
              "The Hu-BASIC file system has no folders: it keeps every file in one.");
    EXPECT_FALSE(document.CanUndo());
}

TEST(DiskFiles, LocalFileNamesHoldNoPathOrControlCharacters) {
    EXPECT_EQ(LocalFileName("GAME.BAS"), "GAME.BAS");
    EXPECT_EQ(LocalFileName("A/B\\C\x01"), "A\\x2FB\\x5CC\\x01");
    EXPECT_EQ(LocalFileName(".."), "_..");
    EXPECT_EQ(LocalFileName("\x83\x51\x81\x5B\x83\x80"), "ゲーム");
}
