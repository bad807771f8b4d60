#include "App_filehandler.h"
#include "Pc98Files.h"
#include "Rtl_codepage.h"
#include "Rtl_inifiles.h"
#include "Rtl_paths.h"
#include "TestSupport.h"
#include "Vix_files.h"

#include <gtest/gtest.h>

#include <cstring>
#include <unistd.h>

using testsupport::Bytes;
using testsupport::MessageOf;
using testsupport::TempDir;
using Names = std::vector<std::string>;

namespace {

const char* const Unavailable = "The feature is unavailable.";

Bytes HeaderImage(const std::string& name, uint8_t writeProtected = 0) {
    Bytes b(688, 0);
    std::memcpy(b.data(), name.data(), name.size());
    b[26] = writeProtected;
    b[28] = 688 & 0xFF;
    b[29] = 688 >> 8;
    return b;
}

Bytes Container(const Names& names) {
    Bytes all;
    for (const std::string& name : names) {
        const Bytes image = HeaderImage(name);
        all.insert(all.end(), image.begin(), image.end());
    }
    return all;
}

struct FileHandlerTest : ::testing::Test {
    testsupport::CurrentFolderKeeper folderKeeper;
    TempDir dir;
    TMemoryListControl control;
    TListViewShell shell{control};
    TScriptedUserInterface ui;
    TFileHandler handler{&shell, ui};
    int changes = 0;

    FileHandlerTest() {
        handler.OnChange = [this](THandler&) { ++changes; };
    }
    std::string Write(const std::string& name, const Names& images) {
        testsupport::WriteFileBytes(dir.File(name), Container(images));
        return GetLongPath(dir.File(name));
    }
    std::string Open(const Names& images, const std::string& name = "disk.d88") {
        const std::string path = Write(name, images);
        handler.OpenFile(path);
        return path;
    }
    Names Rows() const {
        Names names;
        for (int i = 0; i < handler.DiskImageCount(); ++i)
            names.push_back(handler.DiskImages(i).Name());
        return names;
    }
    void Select(const std::vector<int>& rows) {
        shell.ClearSelection();
        for (const int row : rows)
            shell.SetSelected(row, true);
    }
    std::vector<int> Selected() const { return shell.GetSelectedIndices(); }
    Names FileNames(const std::string& path) const {
        TDiskImageList list;
        list.LoadFromFile(path);
        Names names;
        for (const TDiskImage* image : list)
            names.push_back(image->Name());
        return names;
    }
};

} // namespace

TEST(FileHandlerConstruction, NeedsAListViewShell) {
    TScriptedUserInterface ui;
    EXPECT_EQ(MessageOf<EHandlerError>([&] { TFileHandler(nullptr, ui); }),
              "The program cannot create a file handler.");
}

TEST_F(FileHandlerTest, AFreshDocumentIsUntitledEmptyAndUntouched) {
    EXPECT_TRUE(handler.IsEmpty());
    EXPECT_FALSE(handler.IsModified());
    EXPECT_TRUE(handler.IsUntouched());
    EXPECT_EQ(handler.DocumentName(), "Untitled.d88");
    EXPECT_EQ(handler.UndoName(), "(None)");
    EXPECT_EQ(handler.RedoName(), "(None)");
    EXPECT_FALSE(handler.CanSave());
    EXPECT_FALSE(handler.CanSaveAs());
    EXPECT_FALSE(handler.CanBackUp());
    EXPECT_TRUE(handler.CanNew() && handler.CanOpen() && handler.CanAddNew() &&
                handler.CanAddExistent() && handler.CanDropFiles());
    // The dialogs as the user will meet them.
    EXPECT_EQ(handler.OpenDialog().Title, "Open");
    EXPECT_EQ(handler.OpenDialog().FilterIndex, 2);
    EXPECT_EQ(handler.OpenDialog().Options, ofHideReadOnly | ofPathMustExist | ofFileMustExist);
    EXPECT_EQ(handler.AddExistentDialog().Options,
              ofHideReadOnly | ofPathMustExist | ofFileMustExist | ofAllowMultiSelect);
    EXPECT_EQ(handler.SaveAsDialog().Options, ofOverwritePrompt | ofHideReadOnly);
    EXPECT_EQ(handler.SaveAsDialog().DefaultExt, "d88");
    EXPECT_EQ(handler.SaveToSingleFileDialog().Title, "Save to Single File");
}

TEST_F(FileHandlerTest, AvailabilityFollowsSelectionContentsAndClipboard) {
    Open({"A", "B", "C"});
    Select({});
    EXPECT_FALSE(handler.CanDelete() || handler.CanDuplicate() || handler.CanMoveUp() ||
                 handler.CanNameCopy() || handler.CanNameEnter() || handler.CanSizeSum() ||
                 handler.CanSaveToSingleFile() || handler.CanWriteProtectedToggle());
    EXPECT_TRUE(handler.CanSelectAll() && handler.CanSortByName() && handler.CanReverseOrder());
    EXPECT_EQ(MessageOf<EHandlerError>([&] { handler.Delete(); }), Unavailable);
    EXPECT_EQ(Rows(), (Names{"A", "B", "C"}));
    Select({1});
    EXPECT_TRUE(handler.CanDelete());
    EXPECT_FALSE(handler.CanNamePaste());
    const int before = changes;
    ui.MemoryClipboard.SetText("X");
    EXPECT_EQ(changes, before + 1);
    EXPECT_TRUE(handler.CanNamePaste());
}

TEST_F(FileHandlerTest, OpenSelectsEveryRowAndLeavesNoUndoStep) {
    const std::string path = Open({"A", "B", "C"});
    EXPECT_EQ(Rows(), (Names{"A", "B", "C"}));
    EXPECT_EQ(Selected(), (std::vector<int>{0, 1, 2}));
    EXPECT_EQ(control.FocusedIndex(), 2);
    EXPECT_FALSE(handler.CanUndo());
    EXPECT_FALSE(handler.IsModified());
    EXPECT_EQ(handler.FileName(), path);
    EXPECT_EQ(handler.DocumentName(), "disk.d88");
    EXPECT_EQ(rtl::GetCurrentDir(), GetLongPath(dir.Path()));
}

TEST_F(FileHandlerTest, RecentFilesAreTheLatestOpenedOrSavedFirstKeptInTheSettingsAndPruned) {
    const std::string a = Open({"A"}, "a.d88");
    const std::string b = Open({"B"}, "b.d88");
    EXPECT_EQ(handler.RecentFiles(), (std::vector<std::string>{b, a}));
    Open({"A"}, "a.d88");
    EXPECT_EQ(handler.RecentFiles(), (std::vector<std::string>{a, b}));
    handler.SaveFile(dir.File("c.d88"));
    EXPECT_EQ(handler.RecentFiles(), (std::vector<std::string>{dir.File("c.d88"), a, b}));
    // Ten at most, the oldest dropped.
    for (int i = 0; i < 12; ++i)
        Open({"X"}, std::string("x").append(std::to_string(i)).append(".d88"));
    ASSERT_EQ(handler.RecentFiles().size(), TFileHandler::RecentFilesLimit);
    EXPECT_EQ(handler.RecentFiles().front(), dir.File("x11.d88"));
    EXPECT_EQ(handler.RecentFiles().back(), dir.File("x2.d88"));

    // Kept in the settings, in their order.
    rtl::TMemIniFile settings(dir.File("Settings.ini"));
    handler.SaveSettings(settings);
    const std::vector<std::string> kept = handler.RecentFiles();
    handler.ClearRecentFiles();
    EXPECT_TRUE(handler.RecentFiles().empty());
    EXPECT_FALSE(handler.CanOpenRecent());
    handler.LoadSettings(settings);
    EXPECT_EQ(handler.RecentFiles(), kept);

    // Chosen: opened and put first; one that has gone is taken off with a message, and the
    // document stays as it was.
    handler.OpenRecent(9);
    EXPECT_EQ(handler.FileName(), dir.File("x2.d88"));
    EXPECT_EQ(handler.RecentFiles().front(), dir.File("x2.d88"));
    std::remove(dir.File("x11.d88").c_str());
    const int at = static_cast<int>(
        std::find(handler.RecentFiles().begin(), handler.RecentFiles().end(), dir.File("x11.d88")) -
        handler.RecentFiles().begin());
    ui.MessageAnswers = {idOK};
    handler.OpenRecent(at);
    EXPECT_EQ(handler.FileName(), dir.File("x2.d88"));
    EXPECT_EQ(ui.Shown.back().Text, "The file \"" + dir.File("x11.d88") +
                                        "\" is no longer there; it has been taken off the list "
                                        "of recent files.");
    EXPECT_EQ(handler.RecentFiles().size(), TFileHandler::RecentFilesLimit - 1);
    EXPECT_EQ(
        std::count(handler.RecentFiles().begin(), handler.RecentFiles().end(), dir.File("x11.d88")),
        0);
}

TEST_F(FileHandlerTest, OpenRefusesRelativeAndMissingPathsBeforeAnythingChanges) {
    Open({"A"});
    handler.SelectAll();
    handler.Delete();
    EXPECT_EQ(MessageOf<EHandlerError>([&] { handler.OpenFile("disk.d88"); }),
              "The program cannot accept files specified in a relative path.");
    EXPECT_EQ(MessageOf<EFileError>([&] { handler.OpenFile(dir.File("missing.d88")); }),
              "The program could not get the long form of the path.");
    EXPECT_TRUE(ui.Shown.empty());
    EXPECT_TRUE(handler.IsModified());
}

TEST_F(FileHandlerTest, AFileThatCannotBeOpenedLeavesTheDocumentAsItWas) {
    const std::string path = Open({"A", "B"});
    handler.ReverseOrder();
    testsupport::WriteFileBytes(dir.File("bad.d88"), Bytes(700, 0xFF));
    EXPECT_EQ(MessageOf<EInvalidDiskImage>([&] { handler.OpenFile(dir.File("bad.d88")); }),
              "The data is not a valid disk image.");
    EXPECT_TRUE(ui.Shown.empty());
    EXPECT_EQ(Rows(), (Names{"B", "A"}));
    EXPECT_EQ(handler.FileName(), path);
    EXPECT_TRUE(handler.CanUndo());
}

TEST_F(FileHandlerTest, OpeningTheDocumentsOwnFileAfterSavingItShowsWhatWasSaved) {
    const std::string path = Open({"A", "B"});
    handler.ReverseOrder();
    ui.MessageAnswers = {idYes};
    handler.OpenFile(path);
    EXPECT_EQ(Rows(), (Names{"B", "A"}));
    EXPECT_FALSE(handler.IsModified());
    EXPECT_FALSE(handler.CanUndo());
}

TEST_F(FileHandlerTest, NewAsksAboutAModifiedDocument) {
    const std::string path = Open({"A", "B"});
    handler.SortByName();
    ui.MessageAnswers = {idCancel};
    EXPECT_THROW(handler.New(), rtl::EAbort);
    EXPECT_EQ(ui.Shown.back().Text, "The current document is modified.\r\n\r\nSave the document?");
    EXPECT_EQ(ui.Shown.back().Title, "Trackwell");
    EXPECT_EQ(handler.FileName(), path);
    EXPECT_TRUE(handler.CanUndo());

    ui.MessageAnswers = {idNo};
    handler.New();
    EXPECT_TRUE(handler.IsEmpty());
    EXPECT_FALSE(handler.HasFileName());
    EXPECT_FALSE(handler.CanUndo());
    EXPECT_EQ(shell.Count(), 0);
}

TEST_F(FileHandlerTest, NewWhoseSaveAsIsCancelledKeepsTheDocument) {
    handler.AddNewDiskImage(TDiskFormat{});
    ui.MessageAnswers = {idYes};
    ui.FileAnswers = {{}};
    EXPECT_THROW(handler.New(), rtl::EAbort);
    EXPECT_EQ(handler.DiskImageCount(), 1);
    EXPECT_TRUE(handler.IsModified());
    EXPECT_EQ(ui.DialogsSeen.back().FileName, "Untitled.d88");
}

TEST_F(FileHandlerTest, NewOnAnEmptyModifiedDocumentCannotSaveIt) {
    Open({"A"});
    handler.SelectAll();
    handler.Delete();
    ui.MessageAnswers = {idYes};
    EXPECT_EQ(MessageOf<EHandlerError>([&] { handler.New(); }), Unavailable);
    EXPECT_TRUE(handler.HasFileName());
    ui.MessageAnswers = {idNo};
    handler.New();
    EXPECT_FALSE(handler.HasFileName());
}

TEST_F(FileHandlerTest, SaveAsPicksTheExtensionOfTheChosenType) {
    handler.AddNewDiskImage(TDiskFormat{});
    ui.FileAnswers = {{{dir.File("first")}, 1}};
    handler.SaveAs();
    EXPECT_EQ(handler.FileName(), dir.File("first.d77"));
    EXPECT_FALSE(handler.IsModified());
    EXPECT_EQ(testsupport::ReadFileBytes(dir.File("first.d77")).size(), 688u);
    ui.FileAnswers = {{{dir.File("second")}, 2}};
    handler.SaveAs();
    EXPECT_EQ(handler.FileName(), dir.File("second.d88"));
}

TEST_F(FileHandlerTest, AFailedSaveKeepsFileNameAndTheSavePoint) {
    const std::string path = Open({"A"});
    handler.SortByName();
    EXPECT_THROW(handler.SaveFile(dir.File("no/such/folder.d88")), rtl::EStreamError);
    EXPECT_EQ(handler.FileName(), path);
    EXPECT_TRUE(handler.IsModified());
    EXPECT_EQ(testsupport::ListFolder(dir.Path()), Names{"disk.d88"});
}

TEST_F(FileHandlerTest, BackUpOnSaveKeepsEveryEarlierVersion) {
    const std::string path = Open({"A", "B"});
    const Bytes original = testsupport::ReadFileBytes(path);
    handler.ToggleBackUpOnSave();
    EXPECT_TRUE(handler.BackUpOnSave());
    handler.SortByName();
    handler.ReverseOrder();
    handler.Save();
    const Bytes reversed = testsupport::ReadFileBytes(path);
    handler.ReverseOrder();
    handler.Save();
    EXPECT_EQ(testsupport::ReadFileBytes(dir.File("[Backup] disk.d88")), original);
    EXPECT_EQ(testsupport::ReadFileBytes(dir.File("[Backup] disk (2).d88")), reversed);
    EXPECT_EQ(FileNames(path), (Names{"A", "B"}));
}

TEST_F(FileHandlerTest, SaveOfAnUntitledDocumentMakesNoBackup) {
    handler.SetBackUpOnSave(true);
    handler.AddNewDiskImage(TDiskFormat{});
    ui.FileAnswers = {{{dir.File("new.d88")}, 0}};
    handler.Save();
    EXPECT_EQ(testsupport::ListFolder(dir.Path()), Names{"new.d88"});
}

TEST_F(FileHandlerTest, SaveAsksBeforeWritingOverAFileAnotherProgramChanged) {
    const std::string path = Open({"A", "B"});
    handler.SetBackUpOnSave(true);
    handler.ReverseOrder();
    handler.Save();
    EXPECT_TRUE(ui.Shown.empty());
    const Names folder = testsupport::ListFolder(dir.Path());

    handler.ReverseOrder();
    const Bytes theirs = Container({"X", "Y", "Z"});
    testsupport::WriteFileBytes(path, theirs);
    const std::string question = "The file has been changed by another program since it was "
                                 "opened. Do you want to overwrite it?";
    // No, to Save and to Save As choosing the same file: nothing written, not even a backup.
    ui.MessageAnswers = {idNo, idNo};
    ui.FileAnswers = {{{path}, 0}};
    EXPECT_THROW(handler.Save(), rtl::EAbort);
    EXPECT_THROW(handler.SaveAs(), rtl::EAbort);
    ASSERT_EQ(ui.Shown.size(), 3u);
    for (const size_t k : {0, 2}) {
        EXPECT_EQ(ui.Shown[k].What, "message");
        EXPECT_EQ(ui.Shown[k].Title, "Trackwell");
        EXPECT_EQ(ui.Shown[k].Text, question);
    }
    EXPECT_EQ(testsupport::ReadFileBytes(path), theirs);
    EXPECT_EQ(testsupport::ListFolder(dir.Path()), folder);
    EXPECT_TRUE(handler.IsModified());

    ui.MessageAnswers = {idYes};
    handler.Save();
    EXPECT_EQ(FileNames(path), (Names{"A", "B"}));
    EXPECT_FALSE(handler.IsModified());
    // What the document wrote itself, and a file that has gone, are no one else's work.
    handler.ReverseOrder();
    handler.Save();
    handler.ReverseOrder();
    handler.SetBackUpOnSave(false);
    ASSERT_EQ(::unlink(path.c_str()), 0);
    handler.Save();
    EXPECT_EQ(FileNames(path), (Names{"A", "B"}));
    EXPECT_EQ(ui.Shown.size(), 4u);
}

TEST_F(FileHandlerTest, ReorderingsAreNamedAndUndoable) {
    Open({"c", "a", "b"});
    handler.SortByName();
    EXPECT_EQ(Rows(), (Names{"a", "b", "c"}));
    EXPECT_EQ(handler.UndoName(), "Sort by name");
    handler.SortBySize();
    EXPECT_EQ(handler.UndoName(), "Sort by by size");
    EXPECT_TRUE(handler.IsModified());
    handler.Undo();
    handler.Undo();
    EXPECT_EQ(Rows(), (Names{"c", "a", "b"}));
    EXPECT_EQ(handler.RedoName(), "Sort by name");
    EXPECT_FALSE(handler.IsModified());
    Select({1, 2});
    handler.MoveUp();
    EXPECT_EQ(Rows(), (Names{"a", "b", "c"}));
    EXPECT_EQ(Selected(), (std::vector<int>{0, 1}));
    handler.MoveUp();
    EXPECT_EQ(handler.UndoName(), "Move up");
    EXPECT_EQ(handler.Invoker().UndoCount(), 2);
}

TEST_F(FileHandlerTest, AddExistentAddsFilesInPathOrderInOneStep) {
    Open({"A"});
    const std::string z = Write("Z.d88", {"Z1", "Z2"});
    const std::string a = Write("A.d88", {"A1"});
    ui.FileAnswers = {{{z, a}, 0}};
    handler.AddExistent();
    EXPECT_EQ(Rows(), (Names{"A", "A1", "Z1", "Z2"}));
    EXPECT_EQ(Selected(), (std::vector<int>{1, 2, 3}));
    EXPECT_EQ(handler.UndoName(), "Add");
    handler.Undo();
    EXPECT_EQ(Rows(), Names{"A"});

    testsupport::WriteFileBytes(dir.File("bad.d88"), Bytes(100, 1));
    EXPECT_EQ(MessageOf<EDiskImageError>([&] {
                  handler.AddExistentFiles({a, dir.File("bad.d88")});
              }),
              "The program could not load the disk image.");
    EXPECT_EQ(Rows(), Names{"A"});
    EXPECT_EQ(handler.Invoker().UndoCount(), 0);
}

TEST_F(FileHandlerTest, SortByNameOrdersJapaneseNamesAndIsUndone) {
    const auto cp932 = [](const char* text) { return rtl::Utf8ToCp932(text).value(); };
    const Names opened = {cp932("漢字"), cp932("ｹﾞｰﾑ"), "@",  cp932("ゲーム"), "1", cp932("げーむ"),
                          "ABC",         cp932("亜"),   "abc"};
    Open(opened);
    handler.SortByName();
    EXPECT_EQ(Rows(), (Names{"@", "1", "abc", "ABC", cp932("げーむ"), cp932("ゲーム"),
                             cp932("ｹﾞｰﾑ"), cp932("亜"), cp932("漢字")}));
    handler.Undo();
    EXPECT_EQ(Rows(), opened);
}

TEST_F(FileHandlerTest, AddedFilesLoadInTheOrderOfTheirUtf8Names) {
    const std::string kanji = Write("亜.d88", {"K"});
    const std::string kana = Write("ｱ.d88", {"H"});
    const std::string digit = Write("1.d88", {"D"});
    const std::string symbol = Write("@.d88", {"S"});
    handler.AddExistentFiles({kanji, kana, digit, symbol});
    EXPECT_EQ(Rows(), (Names{"S", "D", "H", "K"}));
}

TEST_F(FileHandlerTest, DroppingOneFileOnAFreshDocumentOpensIt) {
    const std::string one = Write("one.d88", {"X"});
    handler.DropFiles({one});
    EXPECT_EQ(handler.FileName(), one);
    EXPECT_FALSE(handler.CanUndo());
    handler.DropFiles({one});
    EXPECT_EQ(Rows(), (Names{"X", "X"}));
    EXPECT_EQ(handler.FileName(), one);
    EXPECT_EQ(handler.UndoName(), "Add");
}

TEST_F(FileHandlerTest, DuplicateAndDeleteSelectWhatTheyInsert) {
    Open({"A", "B", "C", "D", "E"});
    Select({2, 0});
    handler.Duplicate();
    EXPECT_EQ(Rows(), (Names{"A", "B", "C", "D", "E", "A", "C"}));
    EXPECT_EQ(Selected(), (std::vector<int>{5, 6}));
    EXPECT_EQ(handler.UndoName(), "Duplicate");
    Select({1, 3});
    handler.Delete();
    EXPECT_EQ(Rows(), (Names{"A", "C", "E", "A", "C"}));
    handler.Undo();
    EXPECT_EQ(Rows(), (Names{"A", "B", "C", "D", "E", "A", "C"}));
    EXPECT_EQ(Selected(), (std::vector<int>{1, 3}));
    EXPECT_EQ(control.FocusedIndex(), 3);
}

TEST_F(FileHandlerTest, NamesGoToTheClipboardAndComeBack) {
    Open({"A", "B", "C"});
    Select({0, 2});
    handler.NameCopy();
    EXPECT_EQ(ui.MemoryClipboard.GetText(), "A\r\nC\r\n");
    Select({1, 2});
    handler.NamePaste();
    EXPECT_EQ(Rows(), (Names{"A", "A", "C"}));
    EXPECT_EQ(handler.UndoName(), "Set name property");

    ui.MemoryClipboard.SetText("X\n\r");
    handler.NamePaste();
    EXPECT_EQ(Rows(), (Names{"A", "X", ""}));
    ui.MemoryClipboard.SetText("1\r2\r3\r");
    EXPECT_EQ(MessageOf<EHandlerError>([&] { handler.NamePaste(); }),
              "The program cannot paste the text in the clipboard.");
    ui.MemoryClipboard.SetText("OK\r\n12345678901234567\r\n");
    EXPECT_EQ(MessageOf<EHandlerError>([&] { handler.NamePaste(); }),
              "The program cannot accept the value.");
    ui.MemoryClipboard.SetText("OK\r\n\xF0\x9F\x98\x80\r\n");
    EXPECT_EQ(MessageOf<EHandlerError>([&] { handler.NamePaste(); }),
              "The program cannot accept the value.");
    EXPECT_EQ(Rows(), (Names{"A", "X", ""}));
    EXPECT_EQ(handler.Invoker().UndoCount(), 2);
    EXPECT_EQ(shell.SelCount(), 2);
}

TEST_F(FileHandlerTest, JapaneseNamesAreCodePage932InsideAndUtf8Outside) {
    Open({"A"});
    Select({0});
    ui.MemoryClipboard.SetText("ソフト\r\n");
    handler.NamePaste();
    EXPECT_EQ(handler.DiskImages(0).Name(), "\x83\x5C\x83\x74\x83\x67");
    handler.NameCopy();
    EXPECT_EQ(ui.MemoryClipboard.GetText(), "ソフト\r\n");
}

TEST_F(FileHandlerTest, NameEnterProposesTheTopmostNameAndSetsEverySelectedRow) {
    Open({"A", "B", "C"});
    Select({1, 2});
    ui.EnterAnswers = {std::nullopt};
    EXPECT_THROW(handler.NameEnter(), rtl::EAbort);
    EXPECT_EQ(ui.Shown.back().Title, "Enter");
    EXPECT_EQ(ui.Shown.back().Text, "Specify a name (up to 16 characters in ASCII).\nB");
    EXPECT_FALSE(handler.CanUndo());
    ui.EnterAnswers = {std::string("NEW")};
    handler.NameEnter();
    EXPECT_EQ(Rows(), (Names{"A", "NEW", "NEW"}));
    handler.Undo();
    EXPECT_EQ(Rows(), (Names{"A", "B", "C"}));
}

// A name another program wrote over the whole field is a name like any other, until a user
// gives a new one; undo puts it back, and a save of an unchanged image changes no byte.
TEST_F(FileHandlerTest, ARenameOfAFullFieldNameUndoesToTheSameBytes) {
    const Bytes hubasic = testsupport::SampleBytes("hubasic-2d-17-byte-name.d88");
    const Bytes container =
        testsupport::Concat({testsupport::SampleBytes("fm77av-demo.d77"), hubasic});
    const std::string path = dir.File("multi.d88");
    testsupport::WriteFileBytes(path, container);
    handler.OpenFile(path);
    EXPECT_EQ(Rows(), (Names{"D77IMG", "by_github_ORYZAPA"}));
    Select({1});
    // Confirmed as proposed, or typed, it is a name the user gives, and too long for one.
    ui.EnterAnswers = {std::string("by_github_ORYZAPA")};
    EXPECT_EQ(MessageOf<EDiskImageError>([&] { handler.NameEnter(); }),
              "The program cannot set the name property of a disk image.");
    ui.EnterAnswers = {std::string("by_github_ORYZAP!")};
    EXPECT_EQ(MessageOf<EHandlerError>([&] { handler.NameEnter(); }),
              "The program cannot accept the value.");
    ui.EnterAnswers = {std::string("HU-BASIC")};
    handler.NameEnter();
    handler.Undo();
    handler.Redo();
    handler.Undo();
    EXPECT_EQ(Rows(), (Names{"D77IMG", "by_github_ORYZAPA"}));
    ui.MessageAnswers = {idYes};
    handler.SaveFile(path);
    EXPECT_TRUE(testsupport::ReadFileBytes(path) == container);
}

TEST_F(FileHandlerTest, WriteProtectionSetClearAndToggle) {
    const Bytes mixed = [] {
        Bytes all = HeaderImage("P", 0x10);
        const Bytes free = HeaderImage("F", 0x00);
        all.insert(all.end(), free.begin(), free.end());
        return all;
    }();
    testsupport::WriteFileBytes(dir.File("wp.d88"), mixed);
    handler.OpenFile(dir.File("wp.d88"));
    handler.WriteProtectedToggle();
    EXPECT_EQ(handler.DiskImages(0).WriteProtected(), 0x00);
    EXPECT_EQ(handler.DiskImages(1).WriteProtected(), 0x10);
    handler.WriteProtectedSetToYes();
    handler.WriteProtectedSetToYes();
    EXPECT_EQ(handler.Invoker().UndoCount(), 3);
    EXPECT_EQ(handler.UndoName(), "Set write-protected property");
    handler.WriteProtectedSetToNo();
    EXPECT_EQ(handler.DiskImages(0).WriteProtected(), 0x00);

    Bytes odd = HeaderImage("O", 0x01);
    testsupport::WriteFileBytes(dir.File("odd.d88"), odd);
    handler.AddExistentFiles({dir.File("odd.d88")});
    handler.SelectAll();
    EXPECT_EQ(MessageOf<EHandlerError>([&] { handler.WriteProtectedToggle(); }),
              "The program does not support the write-protect mode.");
    EXPECT_EQ(handler.UndoName(), "Add");
}

TEST_F(FileHandlerTest, SizeSumShowsTheTotal) {
    const Bytes sample = testsupport::SampleBytes("fm77av-demo.d77");
    Bytes two = sample;
    two.insert(two.end(), sample.begin(), sample.end());
    testsupport::WriteFileBytes(dir.File("two.d77"), two);
    handler.OpenFile(dir.File("two.d77"));
    ui.MessageAnswers = {idOK};
    handler.SizeSum();
    EXPECT_EQ(ui.Shown.back().Text, "The total size of selected disk images is 697,696 bytes.");
    EXPECT_EQ(ui.Shown.back().Title, "Sum");
    EXPECT_FALSE(handler.IsModified());
}

TEST_F(FileHandlerTest, SaveToSingleFileWritesTheSelectionInRowOrder) {
    Open({"R0", "R1", "R2", "R3"});
    Select({3, 1});
    ui.FileAnswers = {{{dir.File("out.d88")}, 0}};
    handler.SaveToSingleFile();
    EXPECT_EQ(ui.DialogsSeen.back().FileName, "disk #Selections.d88");
    EXPECT_EQ(FileNames(dir.File("out.d88")), (Names{"R1", "R3"}));
    EXPECT_FALSE(handler.IsModified());
}

TEST_F(FileHandlerTest, SaveToMultipleFilesNamesAndNeverOverwrites) {
    Open({"GAME A", "MID", "SAVE/1"});
    const std::string out = dir.File("out");
    ::mkdir(out.c_str(), 0755);
    Select({0, 2});
    ui.FolderAnswers = {out, out};
    handler.SaveToMultipleFiles();
    handler.SaveToMultipleFiles();
    EXPECT_EQ(ui.Shown.back().Title, "Specify the save location.");
    EXPECT_EQ(testsupport::ListFolder(out),
              (Names{"disk #001 (GAME A) (2).d88", "disk #001 (GAME A).d88",
                     "disk #003 (SAVE_1) (2).d88", "disk #003 (SAVE_1).d88"}));
    EXPECT_EQ(FileNames(out + "/disk #003 (SAVE_1).d88"), Names{"SAVE/1"});
    EXPECT_EQ(rtl::GetCurrentDir(), GetLongPath(out));
    EXPECT_FALSE(handler.IsModified());
}

// A failing file ends the run, and every file written before it stays, complete and named.
TEST_F(FileHandlerTest, SaveToMultipleFilesKeepsTheFilesWrittenBeforeAFailure) {
    Open({"SMALL"});
    ui.AddNewAnswers = {TDiskFormat{DiskType2D, 40, 2, 16, 1}};
    handler.AddNew();
    Select({0, 1});
    const std::string out = dir.File("out");
    ::mkdir(out.c_str(), 0755);
    ui.FolderAnswers = {out};
    {
        testsupport::FileSizeLimit limit(4096);
        EXPECT_EQ(testsupport::MessageWithReasonOf<rtl::EStreamError>(
                      [&] { handler.SaveToMultipleFiles(); }),
                  "The program could not save the disk images.\nFile too large: " + out +
                      "/disk #002 ().d88");
    }
    EXPECT_EQ(testsupport::ListFolder(out), Names{"disk #001 (SMALL).d88"});
    EXPECT_EQ(FileNames(out + "/disk #001 (SMALL).d88"), Names{"SMALL"});
}

TEST_F(FileHandlerTest, ACancelledDialogChangesNothing) {
    Open({"A"});
    const int before = changes;
    ui.AddNewAnswers = {std::nullopt};
    EXPECT_THROW(handler.AddNew(), rtl::EAbort);
    ui.FileAnswers = {{}};
    EXPECT_THROW(handler.AddExistent(), rtl::EAbort);
    ui.FolderAnswers = {std::nullopt};
    EXPECT_THROW(handler.SaveToMultipleFiles(), rtl::EAbort);
    EXPECT_EQ(changes, before);
    EXPECT_FALSE(handler.CanUndo());
    ui.AddNewAnswers = {TDiskFormat{DiskType2HD, 1, 1, 1, 0}};
    handler.AddNew();
    EXPECT_EQ(handler.DiskImages(1).DiskType(), DiskType2HD);
    EXPECT_EQ(changes, before + 1);
}

TEST_F(FileHandlerTest, SettingsRoundTrip) {
    const std::string path = dir.File("Settings.ini");
    testsupport::WriteFileBytes(path, {});
    {
        rtl::TMemIniFile settings(path);
        settings.WriteString("FileHandler", "BackUpOnSave", "5");
        settings.WriteString("FileHandler.OpenDialog", "FilterIndex", "1");
        handler.LoadSettings(settings);
    }
    EXPECT_TRUE(handler.BackUpOnSave());
    EXPECT_EQ(handler.OpenDialog().FilterIndex, 1);
    EXPECT_EQ(handler.SaveAsDialog().FilterIndex, 2);
    rtl::TMemIniFile saved(path);
    handler.SaveSettings(saved);
    EXPECT_EQ(saved.ReadString("FileHandler", "BackUpOnSave", ""), "1");
    EXPECT_EQ(saved.ReadString("FileHandler.OpenDialog", "FilterIndex", ""), "1");
    EXPECT_EQ(saved.ReadString("FileHandler.SaveToSingleFileDialog", "FilterIndex", ""), "2");
}

namespace {

// Every availability query by name, in the order of the action table.
std::vector<std::pair<std::string, bool>> Availability(const TFileHandler& h) {
    return {{"New", h.CanNew()},
            {"Open", h.CanOpen()},
            {"Save", h.CanSave()},
            {"SaveAs", h.CanSaveAs()},
            {"BackUp", h.CanBackUp()},
            {"ToggleBackUpOnSave", h.CanToggleBackUpOnSave()},
            {"AddNew", h.CanAddNew()},
            {"AddExistent", h.CanAddExistent()},
            {"SaveToSingleFile", h.CanSaveToSingleFile()},
            {"SaveToMultipleFiles", h.CanSaveToMultipleFiles()},
            {"Undo", h.CanUndo()},
            {"Redo", h.CanRedo()},
            {"Delete", h.CanDelete()},
            {"SelectAll", h.CanSelectAll()},
            {"ReverseSelection", h.CanReverseSelection()},
            {"Duplicate", h.CanDuplicate()},
            {"SortByName", h.CanSortByName()},
            {"SortByWriteProtected", h.CanSortByWriteProtected()},
            {"SortByDiskType", h.CanSortByDiskType()},
            {"SortBySize", h.CanSortBySize()},
            {"ReverseOrder", h.CanReverseOrder()},
            {"MoveUp", h.CanMoveUp()},
            {"MoveDown", h.CanMoveDown()},
            {"NameCopy", h.CanNameCopy()},
            {"NamePaste", h.CanNamePaste()},
            {"NameEnter", h.CanNameEnter()},
            {"WriteProtectedSetToYes", h.CanWriteProtectedSetToYes()},
            {"WriteProtectedSetToNo", h.CanWriteProtectedSetToNo()},
            {"WriteProtectedToggle", h.CanWriteProtectedToggle()},
            {"SizeSum", h.CanSizeSum()},
            {"DropFiles", h.CanDropFiles()}};
}

std::vector<std::string> Enabled(const TFileHandler& h) {
    std::vector<std::string> names;
    for (const auto& [name, enabled] : Availability(h))
        if (enabled)
            names.push_back(name);
    return names;
}

} // namespace

TEST_F(FileHandlerTest, AvailabilityInEveryState) {
    const Names always = {"New",    "Open",        "ToggleBackUpOnSave",
                          "AddNew", "AddExistent", "DropFiles"};
    EXPECT_EQ(Enabled(handler), always);

    Open({"A", "B"});
    Select({});
    EXPECT_EQ(Enabled(handler), (Names{"New", "Open", "SaveAs", "BackUp", "ToggleBackUpOnSave",
                                       "AddNew", "AddExistent", "SelectAll", "ReverseSelection",
                                       "SortByName", "SortByWriteProtected", "SortByDiskType",
                                       "SortBySize", "ReverseOrder", "DropFiles"}));
    Select({0});
    const Names selected = {"New",
                            "Open",
                            "SaveAs",
                            "BackUp",
                            "ToggleBackUpOnSave",
                            "AddNew",
                            "AddExistent",
                            "SaveToSingleFile",
                            "SaveToMultipleFiles",
                            "Delete",
                            "SelectAll",
                            "ReverseSelection",
                            "Duplicate",
                            "SortByName",
                            "SortByWriteProtected",
                            "SortByDiskType",
                            "SortBySize",
                            "ReverseOrder",
                            "MoveUp",
                            "MoveDown",
                            "NameCopy",
                            "NameEnter",
                            "WriteProtectedSetToYes",
                            "WriteProtectedSetToNo",
                            "WriteProtectedToggle",
                            "SizeSum",
                            "DropFiles"};
    EXPECT_EQ(Enabled(handler), selected);
    ui.MemoryClipboard.SetText("T");
    Names withPaste = selected;
    withPaste.insert(withPaste.begin() + 21, "NamePaste");
    EXPECT_EQ(Enabled(handler), withPaste);
    handler.ReverseOrder();
    EXPECT_TRUE(handler.CanSave());
    EXPECT_TRUE(handler.CanUndo());
    handler.SelectAll();
    handler.Delete();
    // Empty and modified: nothing to save.
    EXPECT_TRUE(handler.IsModified());
    EXPECT_FALSE(handler.CanSave());
}

TEST_F(FileHandlerTest, EveryOperationRefusesWhenItsQueryIsFalse) {
    const std::vector<std::pair<const char*, std::function<void()>>> operations = {
        {"Save", [&] { handler.Save(); }},
        {"SaveAs", [&] { handler.SaveAs(); }},
        {"BackUp", [&] { handler.BackUp(); }},
        {"SaveToSingleFile", [&] { handler.SaveToSingleFile(); }},
        {"SaveToMultipleFiles", [&] { handler.SaveToMultipleFiles(); }},
        {"Undo", [&] { handler.Undo(); }},
        {"Redo", [&] { handler.Redo(); }},
        {"Delete", [&] { handler.Delete(); }},
        {"SelectAll", [&] { handler.SelectAll(); }},
        {"ReverseSelection", [&] { handler.ReverseSelection(); }},
        {"Duplicate", [&] { handler.Duplicate(); }},
        {"SortByName", [&] { handler.SortByName(); }},
        {"SortByWriteProtected", [&] { handler.SortByWriteProtected(); }},
        {"SortByDiskType", [&] { handler.SortByDiskType(); }},
        {"SortBySize", [&] { handler.SortBySize(); }},
        {"ReverseOrder", [&] { handler.ReverseOrder(); }},
        {"MoveUp", [&] { handler.MoveUp(); }},
        {"MoveDown", [&] { handler.MoveDown(); }},
        {"NameCopy", [&] { handler.NameCopy(); }},
        {"NamePaste", [&] { handler.NamePaste(); }},
        {"NameEnter", [&] { handler.NameEnter(); }},
        {"WriteProtectedSetToYes", [&] { handler.WriteProtectedSetToYes(); }},
        {"WriteProtectedSetToNo", [&] { handler.WriteProtectedSetToNo(); }},
        {"WriteProtectedToggle", [&] { handler.WriteProtectedToggle(); }},
        {"SizeSum", [&] { handler.SizeSum(); }}};
    for (const auto& [name, operation] : operations)
        EXPECT_EQ(MessageOf<EHandlerError>(operation), Unavailable) << name;
    EXPECT_TRUE(ui.Shown.empty());
    EXPECT_EQ(changes, 0);
}

TEST_F(FileHandlerTest, SaveToMultipleFilesOfAFileWithoutExtensionOrName) {
    const std::string out = dir.File("out");
    ::mkdir(out.c_str(), 0755);
    handler.AddNewDiskImage(TDiskFormat{});
    ui.FolderAnswers = {out};
    handler.SaveToMultipleFiles();
    EXPECT_EQ(testsupport::ListFolder(out), Names{"Untitled #001 ().d88"});

    const std::string bare = Write("bare", {"GAME A"});
    ui.MessageAnswers = {idNo};
    handler.OpenFile(bare);
    ui.FolderAnswers = {out, out};
    handler.SaveToMultipleFiles();
    handler.SaveToMultipleFiles();
    EXPECT_EQ(testsupport::ListFolder(out),
              (Names{"Untitled #001 ().d88", "bare #001 (GAME A)", "bare #001 (GAME A) (2)"}));
}

TEST_F(FileHandlerTest, AFailedUndoKeepsImagesAddedByOlderCommandsAlive) {
    Open({"A"});
    handler.AddNewDiskImage(TDiskFormat{});
    Select({0});
    ui.EnterAnswers = {std::string("B")};
    handler.NameEnter();
    // Make the rename's undo fail: the name it would put back fits not even the whole field.
    auto& rename = const_cast<TMultiEditCommand&>(
        static_cast<const TMultiEditCommand&>(handler.Invoker().NextUndoCommand()));
    static_cast<TSetNamePropertySubCommand&>(rename.Invoker.UndoCommands(0)).NameValue =
        "EIGHTEEN-LETTERS!!";
    EXPECT_THROW(handler.Undo(), EDiskImageError);
    EXPECT_FALSE(handler.CanUndo());
    ASSERT_EQ(handler.DiskImageCount(), 2);
    // The added image is still listed and alive (the sanitizer build reads it).
    EXPECT_EQ(handler.DiskImages(1).Size(), 688);
    ui.MessageAnswers = {idNo};
    handler.New();
    EXPECT_TRUE(handler.IsEmpty());
}

// Dumps come in as images of their own; a size two presets share is asked about, and a dump
// dropped on a fresh document is added to it rather than opened, as it is no document to save.
TEST_F(FileHandlerTest, OtherFormsAreAddedAndAnAmbiguousSizeIsAsked) {
    const std::string dump = dir.File("game.dd");
    testsupport::WriteFileBytes(dump, Bytes(655360, 0xE5));
    ui.FormatAnswers = {1};
    handler.DropFiles({dump});
    EXPECT_EQ(ui.Shown.back().What, "format");
    EXPECT_EQ(ui.Shown.back().Text, "game.dd\n* PC-98 2DD 640 KB\n  PC-88 / FM77AV 2DD 640 KB");
    EXPECT_FALSE(handler.HasFileName());
    ASSERT_EQ(handler.DiskImageCount(), 1);
    EXPECT_EQ(PlainGeometry(handler.DiskImages(0), 1), (TDiskFormat{DiskType2DD, 80, 2, 16, 1}));
    EXPECT_EQ(handler.UndoName(), "Add");

    // Cancelling adds nothing.
    ui.FormatAnswers = {std::nullopt};
    EXPECT_THROW(handler.AddExistentFiles({dump}), rtl::EAbort);
    EXPECT_EQ(handler.DiskImageCount(), 1);
    EXPECT_EQ(handler.Invoker().UndoCount(), 1);
    EXPECT_NE(handler.AddExistentDialog().Filter.find("|Disk images ("), std::string::npos);
}

// What added files held that their images cannot is told once, in one message, after they are
// in: not file by file, and not at all for an add that fails.
TEST_F(FileHandlerTest, WhatAddedFilesCannotKeepIsToldOnceTheyAreIn) {
    pc98files::Tracks disk = pc98files::PatternDisk(2, 4, 1);
    disk[1][2].Retries = 1;
    const std::string first = dir.File("a.nfd");
    const std::string second = dir.File("b.nfd");
    testsupport::WriteFileBytes(first, pc98files::NfdR1(disk));
    testsupport::WriteFileBytes(second, pc98files::NfdR1(disk, {{{0, 64}}}));
    const size_t before = ui.Shown.size();
    ui.MessageAnswers = {idOK};
    handler.AddExistentFiles({second, first});
    ASSERT_EQ(handler.DiskImageCount(), 2);
    EXPECT_EQ(handler.DiskImages(0).Name(), "a");
    ASSERT_EQ(ui.Shown.size(), before + 1);
    EXPECT_EQ(ui.Shown.back().What, "message");
    EXPECT_EQ(ui.Shown.back().Text,
              "The disk image \"a.nfd\" has sectors read more than once (1); the image keeps "
              "the first reading of each.\n"
              "The disk image \"b.nfd\" has sectors read more than once (1); the image keeps "
              "the first reading of each.\n"
              "The disk image \"b.nfd\" has special readings of its tracks (1), which an image "
              "cannot hold; they are left out.");
    handler.Undo();
    EXPECT_TRUE(handler.IsEmpty());

    // A damaged file among them adds nothing and tells nothing of the others.
    Bytes cut = pc98files::NfdR1(disk);
    cut.pop_back();
    testsupport::WriteFileBytes(dir.File("c.nfd"), cut);
    EXPECT_EQ(MessageOf<EInvalidDiskImage>([&] {
                  handler.AddExistentFiles({first, dir.File("c.nfd")});
              }),
              "The data is not a valid disk image.");
    EXPECT_TRUE(handler.IsEmpty());
    EXPECT_EQ(ui.Shown.size(), before + 1);
}

// A 2D blank whose cylinder 2, side 0 has sector 1 twice and no sector 2.
Bytes TwiceNumberedSector() {
    Bytes image = testsupport::FormattedImage(0x00, 40, 2, 16, 1);
    image[688 + 4 * 16 * (16 + 256) + (16 + 256) + 2] = 1;
    return image;
}

TEST_F(FileHandlerTest, SaveToMultiplePlainFilesChecksEveryImageBeforeWritingAny) {
    const std::string in = dir.File("two.d88");
    testsupport::WriteFileBytes(
        in, testsupport::Concat(
                {testsupport::FormattedImage(0x20, 77, 2, 8, 3, 0x5A), TwiceNumberedSector()}));
    handler.OpenFile(in);
    const std::string out = dir.File("out");
    ::mkdir(out.c_str(), 0755);
    ui.FolderAnswers = {out};
    EXPECT_EQ(MessageOf<EDiskImageError>([&] { handler.SaveToMultipleFilesAs(TImageForm::Raw); }),
              "The program cannot write the disk image 2 as plain sectors: track 2 side 0 does "
              "not have each of the sectors 1 to 16 once.");
    EXPECT_EQ(ui.FolderAnswers.size(), 1u);
    Select({0});
    handler.SaveToMultipleFilesAs(TImageForm::Fdi);
    EXPECT_EQ(testsupport::ListFolder(out), Names{"two #001 ().fdi"});
    const Bytes fdi = testsupport::ReadFileBytes(out + "/two #001 ().fdi");
    EXPECT_EQ(fdi.size(), 4096u + 1261568u);
    EXPECT_EQ(Bytes(fdi.begin() + 4096, fdi.end()), Bytes(1261568, 0x5A));

    // An NFD file keeps a sector numbered twice as it is; a DIM file is a dump, and refuses it.
    Select({0, 1});
    ui.FolderAnswers = {out};
    EXPECT_EQ(MessageOf<EDiskImageError>([&] { handler.SaveToMultipleFilesAs(TImageForm::Dim); }),
              "The program cannot write the disk image 2 as a DIM file: track 2 side 0 does not "
              "have each of the sectors 1 to 16 once.");
    ui.FolderAnswers = {out};
    handler.SaveToMultipleFilesAs(TImageForm::Nfd);
    EXPECT_EQ(testsupport::ListFolder(out),
              (Names{"two #001 ().fdi", "two #001 ().nfd", "two #002 ().nfd"}));
    TDiskImageList back;
    LoadImagesOfAnyForm(out + "/two #002 ().nfd", back, {});
    ASSERT_EQ(back.Count(), 1);
    const std::span<const uint8_t> written = back[0]->Bytes();
    const std::span<const uint8_t> listed = handler.DiskImages(1).Bytes();
    // Byte for byte past the name, which is the file's.
    EXPECT_TRUE(std::equal(written.begin() + 17, written.end(), listed.begin() + 17, listed.end()));
}

TEST_F(FileHandlerTest, SelectDuplicatesAndCheckSelectRowsAndChangeNothing) {
    const Bytes sample = testsupport::SampleBytes("fm77av-demo.d77");
    Bytes damaged = sample;
    damaged[27] = 0x20;
    Bytes renamed = sample;
    renamed[0] = 'Z';
    const std::string path = dir.File("disks.d88");
    testsupport::WriteFileBytes(path, testsupport::Concat({sample, damaged, renamed, damaged}));
    handler.OpenFile(path);
    handler.SelectDuplicates();
    EXPECT_EQ(Selected(), (std::vector<int>{1, 2, 3}));
    EXPECT_TRUE(shell.Focused(1));

    ui.FindingChoices = {3, 1};
    handler.Check();
    ASSERT_EQ(ui.FindingsSeen.size(), 2u);
    EXPECT_EQ(ui.FindingsSeen[1].Row, 3);
    EXPECT_EQ(ui.FindingsSeen[1].Severity, "warning");
    EXPECT_EQ(Selected(), std::vector<int>{1});
    EXPECT_FALSE(handler.IsModified());
    EXPECT_EQ(handler.Invoker().UndoCount(), 0);

    Select({1, 3});
    handler.Delete();
    ui.MessageAnswers = {idOK};
    handler.Check();
    EXPECT_EQ(ui.Shown.back().Text, "The check found nothing wrong with the disk images.");
}
