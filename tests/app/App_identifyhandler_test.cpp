#include "App_identifyhandler.h"
#include "Rtl_hashes.h"
#include "Rtl_inifiles.h"
#include "TestSupport.h"
#include "Vix_listviews.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

using testsupport::Bytes;
using testsupport::TempDir;
using Names = std::vector<std::string>;

namespace {

std::string Rom(const std::string& name, const Bytes& bytes) {
    const std::unique_ptr<rtl::THash> crc = rtl::NewHash(rtl::THashAlgorithm::Crc32);
    crc->Update(bytes.data(), bytes.size());
    return "<rom name=\"" + name + "\" size=\"" + std::to_string(bytes.size()) + "\" crc=\"" +
           crc->HexDigest() + "\"/>";
}

struct IdentifyHandlerTest : ::testing::Test {
    testsupport::CurrentFolderKeeper folderKeeper;
    TempDir dir;
    TMemoryListControl control;
    TListViewShell shell{control};
    TScriptedUserInterface ui;
    TFileHandler document{&shell, ui};
    TIdentifyHandler handler{document, shell, ui};
    // Two disks of one title, and an image no list knows.
    const Bytes diskA = testsupport::FormattedImage(0x00, 40, 2, 16, 1, 0xA1);
    const Bytes diskB = testsupport::FormattedImage(0x00, 40, 2, 16, 1, 0xB2);
    const Bytes other = testsupport::FormattedImage(0x00, 40, 2, 16, 1, 0x0C);
    const std::string list = dir.File("ys.xml");
    const std::string settingsPath = dir.File("Settings.ini");

    IdentifyHandlerTest() {
        testsupport::WriteFileText(
            list, "<softwarelist name=\"pc8801_flop\"><software name=\"ys2\">"
                  "<description>Ys II: Ancient Ys Vanished</description><year>1988</year>"
                  "<publisher>Nihon Falcom</publisher>"
                  "<part name=\"flop1\" interface=\"floppy_5_25\">"
                  "<feature name=\"part_id\" value=\"Disk A\"/>" +
                      Rom("a", diskA) +
                      "</part><part name=\"flop2\" interface=\"floppy_5_25\">"
                      "<feature name=\"part_id\" value=\"Scenario Disk\"/>" +
                      Rom("b", diskB) + "</part></software></softwarelist>");
        // MAME's lists left out, so that no machine knows more than the test's list.
        rtl::TMemIniFile settings(settingsPath);
        settings.WriteString("SoftwareLists", "MameFolder", "");
        settings.WriteInteger("SoftwareLists", "Count", 1);
        settings.WriteString("SoftwareLists", "List1", list);
        handler.LoadSettings(settings);
    }
    Names Rows() const {
        Names names;
        for (int i = 0; i < document.DiskImageCount(); ++i)
            names.push_back(document.DiskImages(i).Name());
        return names;
    }
    std::vector<int> Selected() const { return shell.GetSelectedIndices(); }
    size_t CountShown(const std::string& start) const {
        return static_cast<size_t>(
            std::count_if(ui.Shown.begin(), ui.Shown.end(),
                          [&](const auto& shown) { return shown.Text.starts_with(start); }));
    }
};

// Identify shows what each image is, and Name from Identification names the known ones in one
// step that undo takes back.
TEST_F(IdentifyHandlerTest, IdentifyShowsWhatEachImageIsAndNamesTheKnownOnes) {
    const std::string path = dir.File("games.d88");
    testsupport::WriteFileBytes(path, testsupport::Concat({other, diskB, diskA}));
    document.OpenFile(path);
    handler.PrepareIdentification();

    ui.IdentifiedChoices = {2};
    handler.Identify();
    ASSERT_EQ(ui.IdentifiedSeen.size(), 3u);
    const auto line = [&](size_t i) {
        const TIdentifiedItem& item = ui.IdentifiedSeen[i];
        return std::to_string(item.Row) + "|" + item.Title + "|" + item.Disk + "|" + item.Year +
               "|" + item.Publisher + "|" + item.List;
    };
    EXPECT_EQ(line(0), "0|(not identified)||||");
    EXPECT_EQ(line(1), "1|Ys II: Ancient Ys Vanished|flop2 (Scenario Disk)|1988|Nihon "
                       "Falcom|pc8801_flop");
    EXPECT_EQ(line(2), "2|Ys II: Ancient Ys Vanished|flop1 (Disk A)|1988|Nihon Falcom|pc8801_flop");
    EXPECT_EQ(Selected(), std::vector<int>{2});

    // The title cut to leave room for the disk: its part_id where that fits, else its number.
    document.SelectAll();
    handler.NameFromIdentification();
    EXPECT_EQ(Rows(), (Names{"", "Ys II: Ancient 2", "Ys II: An Disk A"}));
    EXPECT_EQ(document.UndoName(), "Name from Identification");
    document.Undo();
    EXPECT_EQ(Rows(), (Names{"", "", ""}));
    shell.ClearSelection();
    shell.SetSelected(0, true);
    ui.MessageAnswers = {idOK};
    handler.NameFromIdentification();
    EXPECT_EQ(ui.Shown.back().Text, "No selected disk image is in the software lists.");
    EXPECT_FALSE(document.CanUndo() && document.UndoName() == "Name from Identification");
}

// The lists dialog shows what the lists in use gave and marks the entry of each list left out;
// what the user sets there is used at once and kept in the settings.
TEST_F(IdentifyHandlerTest, SoftwareListsShowWhatWasReadAndMarkWhatWasNot) {
    const std::string path = dir.File("games.d88");
    testsupport::WriteFileBytes(path, testsupport::Concat({diskA}));
    document.OpenFile(path);

    // A folder holding a list that cannot be read, a list that cannot, and MAME's folder gone.
    const std::string folder = dir.File("more");
    std::filesystem::create_directory(folder);
    testsupport::WriteFileText(folder + "/bad.dat", "<datafile>\n<game>");
    const std::string bad = dir.File("bad.xml");
    testsupport::WriteFileText(bad, "<softwarelist");
    const std::string gone = dir.File("no-mame");
    ui.ListsAnswers = {TSoftwareListsSetup{gone, {folder, bad, list}}};
    handler.EditSoftwareLists();
    EXPECT_EQ(ui.ListsStatusSeen.Lists, 1u);
    EXPECT_EQ(ui.ListsStatusSeen.Titles, 1u);
    EXPECT_EQ(ui.ListsStatusSeen.Disks, 2u);
    EXPECT_TRUE(ui.ListsStatusSeen.Notes.empty());

    // The lists are read again: the warning once, then Identify with what could be read.
    ui.MessageAnswers = {idOK};
    handler.Identify();
    EXPECT_EQ(CountShown("The program left out software lists it cannot read:"), 1u);
    EXPECT_EQ(ui.IdentifiedSeen.at(0).Title, "Ys II: Ancient Ys Vanished");
    ui.ListsAnswers = {std::nullopt};
    handler.EditSoftwareLists();
    EXPECT_EQ(ui.Shown.back().Text, gone + "\n" + folder + "\n" + bad + "\n" + list + "\n");
    const std::vector<std::pair<std::string, std::string>> notes = ui.ListsStatusSeen.Notes;
    ASSERT_EQ(notes.size(), 3u);
    EXPECT_EQ(notes[0],
              std::pair(gone, "The program cannot find MAME's folder of lists \"" + gone + "\"."));
    EXPECT_EQ(notes[1].first, folder);
    EXPECT_EQ(notes[1].second, "The program cannot read the list \"" + folder +
                                   "/bad.dat\": no element found at line 2.");
    EXPECT_EQ(notes[2].first, bad);
    EXPECT_EQ(CountShown("The program left out"), 1u);
    EXPECT_EQ(handler.MameFolder(), gone);

    // Without the list, nothing is known; the settings keep what the user chose.
    ui.ListsAnswers = {TSoftwareListsSetup{"", {}}};
    handler.EditSoftwareLists();
    handler.Identify();
    EXPECT_EQ(ui.IdentifiedSeen.at(0).Title, "(not identified)");
    rtl::TMemIniFile settings(settingsPath);
    handler.SaveSettings(settings);
    EXPECT_EQ(settings.ReadInteger("SoftwareLists", "Count", -1), 0);
    EXPECT_EQ(settings.ReadString("SoftwareLists", "MameFolder", "?"), "");
    ui.ListsAnswers = {TSoftwareListsSetup{gone, {list}}};
    handler.EditSoftwareLists();
    handler.SaveSettings(settings);
    TIdentifyHandler again(document, shell, ui);
    again.LoadSettings(settings);
    EXPECT_EQ(again.MameFolder(), gone);
    EXPECT_EQ(again.SoftwareLists(), Names{list});
}

// An audit of a folder lists every title found, complete or not, the duplicates, the unknown
// images and the unreadable files; a line opens its container with its image selected, and the
// missing disks' DAT is saved where the user says.
TEST_F(IdentifyHandlerTest, AuditFolderReportsOpensAndSavesTheMissingDisks) {
    const std::string root = dir.File("collection");
    std::filesystem::create_directories(root + "/sub");
    testsupport::WriteFileBytes(root + "/a.d88", testsupport::Concat({other, diskA}));
    testsupport::WriteFileBytes(root + "/sub/copy.d88", diskA);
    testsupport::WriteFileText(root + "/sub/broken.d88", "not a disk");
    testsupport::WriteFileText(root + "/notes.txt", "left alone");

    ui.FolderAnswers = {root};
    handler.AuditFolder();
    ASSERT_EQ(ui.AuditSeen.size(), 4u);
    const auto line = [&](size_t i) {
        const TAuditLine& line = ui.AuditSeen[i];
        return std::to_string(static_cast<int>(line.Kind)) + "|" + line.Title + "|" + line.Disks +
               "|" + line.Software + "|" + line.Where + "|" + line.Place.File + ":" +
               std::to_string(line.Place.Row);
    };
    EXPECT_EQ(line(0), "1|Ys II: Ancient Ys Vanished (1988, Nihon Falcom)|flop2 (Scenario "
                       "Disk)|pc8801_flop/ys2|a.d88:2, sub/copy.d88:1|" +
                           root + "/a.d88:2");
    EXPECT_EQ(line(1), "2|Ys II: Ancient Ys Vanished (1988, Nihon Falcom)|flop1 (Disk "
                       "A)|pc8801_flop/ys2|a.d88:2, sub/copy.d88:1|" +
                           root + "/a.d88:2");
    EXPECT_EQ(line(2), "3||||a.d88:1|" + root + "/a.d88:1");
    EXPECT_EQ(line(3).substr(0, 2), "4|");
    EXPECT_EQ(ui.AuditSeen[3].Where, "sub/broken.d88");
    EXPECT_EQ(ui.AuditSummarySeen,
              "3 files, 3 images: 0 titles complete, 1 incomplete (1 disks missing), 1 "
              "duplicates, 1 unknown, 1 unreadable.");
    EXPECT_EQ(ui.ProgressSteps.back(), (std::pair<size_t, size_t>(3, 3)));

    // Opening the duplicate's line opens its first place; the unknown one's selects its row.
    ui.AuditChoices = {1};
    ui.FolderAnswers = {root};
    handler.AuditFolder();
    EXPECT_EQ(document.FileName(), root + "/a.d88");
    EXPECT_EQ(Selected(), std::vector<int>{1});
    // The container already open is not read again, so its edits stay.
    document.SelectAll();
    document.Delete();
    ui.AuditChoices = {2};
    ui.FolderAnswers = {root};
    handler.AuditFolder();
    EXPECT_EQ(document.DiskImageCount(), 0);
    document.Undo();

    // The DAT of the missing disk, which the lists read back.
    const std::string dat = dir.File("missing.dat");
    ui.AuditChoices = {};
    ui.AuditSavesMissing = true;
    ui.FileAnswers = {{{dat}, 0}};
    ui.FolderAnswers = {root};
    handler.AuditFolder();
    TSoftwareCatalog missing;
    missing.AddFile(dat);
    ASSERT_EQ(missing.Disks().size(), 1u);
    EXPECT_EQ(missing.Disks()[0].Part, "flop2 (Scenario Disk)");
    EXPECT_EQ(missing.Find(diskB).size(), 1u);

    // Stopped, the audit shows nothing.
    const size_t audits = CountShown("3 files");
    ui.StopProgressAt = 1;
    ui.FolderAnswers = {root};
    EXPECT_THROW(handler.AuditFolder(), rtl::EAbort);
    EXPECT_EQ(CountShown("3 files"), audits);
}

} // namespace
