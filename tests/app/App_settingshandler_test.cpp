#include "App_settingshandler.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <csignal>
#include <functional>
#include <string>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

using testsupport::MessageOf;

namespace {

// Every value of the settings file, in the sections and keys the handlers keep them under.
struct TTableValues {
    std::string CurrentDirectory = "\"/\"";
    int32_t BackUpOnSave = 0;
    int32_t FilterIndexes[4] = {1, 1, 1, 1};
    bool ShowToolbar = true;
    bool ShowStatusBar = true;
    bool RowSelect = false;
    int32_t Widths[4] = {100, 60, 60, 80};

    bool operator==(const TTableValues&) const = default;
};

constexpr const char* DialogSections[4] = {
    "FileHandler.OpenDialog", "FileHandler.AddExistentDialog", "FileHandler.SaveAsDialog",
    "FileHandler.SaveToSingleFileDialog"};

std::string ColumnSection(int column) {
    return rtl::Format("ViewHandler.Placement.ListView.Column:%d", column);
}

// Owns a value for every key of the table and reads each with its current value as default.
class TTableHandler : public THandler {
public:
    TTableValues Values;
    int Loads = 0;
    int Saves = 0;
    std::function<void()> OnLoad;
    std::function<void()> OnSave;

    void LoadSettings(rtl::TMemIniFile& file) override {
        THandlerChange change(*this);
        ++Loads;
        if (OnLoad)
            OnLoad();
        TTableValues& v = Values;
        v.CurrentDirectory =
            file.ReadString("SystemHandler", "CurrentDirectory", v.CurrentDirectory);
        v.BackUpOnSave = file.ReadInteger("FileHandler", "BackUpOnSave", v.BackUpOnSave);
        for (int i = 0; i < 4; ++i)
            v.FilterIndexes[i] =
                file.ReadInteger(DialogSections[i], "FilterIndex", v.FilterIndexes[i]);
        v.ShowToolbar = file.ReadBool("ViewHandler", "ShowToolbar", v.ShowToolbar);
        v.ShowStatusBar = file.ReadBool("ViewHandler", "ShowStatusBar", v.ShowStatusBar);
        v.RowSelect = file.ReadBool("ViewHandler", "RowSelect", v.RowSelect);
        for (int i = 0; i < 4; ++i)
            v.Widths[i] = file.ReadInteger(ColumnSection(i), "Width", v.Widths[i]);
    }
    void SaveSettings(rtl::TMemIniFile& file) override {
        THandlerChange change(*this);
        ++Saves;
        if (OnSave)
            OnSave();
        const TTableValues& v = Values;
        file.WriteString("SystemHandler", "CurrentDirectory", v.CurrentDirectory);
        file.WriteInteger("FileHandler", "BackUpOnSave", v.BackUpOnSave);
        for (int i = 0; i < 4; ++i)
            file.WriteInteger(DialogSections[i], "FilterIndex", v.FilterIndexes[i]);
        file.WriteBool("ViewHandler", "ShowToolbar", v.ShowToolbar);
        file.WriteBool("ViewHandler", "ShowStatusBar", v.ShowStatusBar);
        file.WriteBool("ViewHandler", "RowSelect", v.RowSelect);
        for (int i = 0; i < 4; ++i)
            file.WriteInteger(ColumnSection(i), "Width", v.Widths[i]);
    }
};

// Counts the notifications of one handler.
struct TNotifications {
    int Count = 0;
    explicit TNotifications(THandler& handler) {
        handler.OnChange = [this](THandler&) { ++Count; };
    }
};

TTableValues ChangedValues() {
    TTableValues v;
    v.CurrentDirectory = "\"/home/user/disk images\"";
    v.BackUpOnSave = 1;
    v.FilterIndexes[0] = 2;
    v.FilterIndexes[1] = 3;
    v.FilterIndexes[2] = -4;
    v.FilterIndexes[3] = 5;
    v.ShowToolbar = false;
    v.ShowStatusBar = false;
    v.RowSelect = true;
    v.Widths[0] = 321;
    v.Widths[1] = 0;
    v.Widths[2] = 2147483647;
    v.Widths[3] = -2147483647 - 1;
    return v;
}

const char* const ChangedText =
    "[SystemHandler]\r\nCurrentDirectory=\"/home/user/disk images\"\r\n"
    "\r\n"
    "[FileHandler]\r\nBackUpOnSave=1\r\n\r\n"
    "[FileHandler.OpenDialog]\r\nFilterIndex=2\r\n\r\n"
    "[FileHandler.AddExistentDialog]\r\nFilterIndex=3\r\n\r\n"
    "[FileHandler.SaveAsDialog]\r\nFilterIndex=-4\r\n\r\n"
    "[FileHandler.SaveToSingleFileDialog]\r\nFilterIndex=5\r\n\r\n"
    "[ViewHandler]\r\nShowToolbar=0\r\nShowStatusBar=0\r\nRowSelect=1\r\n"
    "\r\n"
    "[ViewHandler.Placement.ListView.Column:0]\r\nWidth=321\r\n\r\n"
    "[ViewHandler.Placement.ListView.Column:1]\r\nWidth=0\r\n\r\n"
    "[ViewHandler.Placement.ListView.Column:2]\r\nWidth=2147483647\r\n"
    "\r\n"
    "[ViewHandler.Placement.ListView.Column:3]\r\nWidth=-2147483648\r\n"
    "\r\n";

// A settings handler whose queries refuse both operations.
class TClosedSettingsHandler : public TSettingsHandler {
public:
    using TSettingsHandler::TSettingsHandler;
    bool CanLoad() const override { return false; }
    bool CanSave() const override { return false; }
};

} // namespace

// ---------------------------------------------------------------------------------------------
// Load

TEST(SettingsHandlerLoad, WithoutAFileEveryHandlerKeepsItsValuesAndNothingIsSaid) {
    testsupport::TempDir dir;
    TSettingsHandler settings(dir.File("Settings.ini"));
    TTableHandler handler;
    TNotifications notifications(handler);
    settings.Register(handler);
    settings.Load();
    EXPECT_EQ(handler.Values, TTableValues());
    EXPECT_EQ(handler.Loads, 0);
    EXPECT_EQ(notifications.Count, 0);
    EXPECT_TRUE(testsupport::ListFolder(dir.Path()).empty());
}

TEST(SettingsHandlerLoad, ReadsAHandWrittenFileIntoEveryHandlerInRegistrationOrder) {
    testsupport::TempDir dir;
    const std::string path = dir.File("Settings.ini");
    testsupport::WriteFileText(path, "; kept by hand\n"
                                     "[viewhandler]\n"
                                     "showtoolbar=0\n"
                                     "ROWSELECT = 2\n"
                                     "ShowStatusBar=maybe\n"
                                     "[ViewHandler.Placement.ListView.Column:0]\n"
                                     "Width= 16 \n"
                                     "[viewhandler.placement.listview.column:1]\n"
                                     "width=0x10\n"
                                     "[ViewHandler.Placement.ListView.Column:2]\n"
                                     "Width=wide\n"
                                     "[FileHandler.SaveAsDialog]\n"
                                     "FilterIndex=3\n");
    TSettingsHandler settings(path);
    std::vector<std::string> order;
    TTableHandler first;
    TTableHandler second;
    first.OnLoad = [&] { order.push_back("first"); };
    second.OnLoad = [&] { order.push_back("second"); };
    TNotifications firstNotifications(first);
    TNotifications secondNotifications(second);
    settings.Register(first);
    settings.Register(second);
    settings.Load();

    EXPECT_EQ(order, (std::vector<std::string>{"first", "second"}));
    TTableValues expected;
    expected.ShowToolbar = false;
    expected.RowSelect = true;
    expected.Widths[0] = 16;
    expected.Widths[1] = 16;
    expected.FilterIndexes[2] = 3;
    EXPECT_EQ(first.Values, expected);
    EXPECT_EQ(second.Values, expected);
    EXPECT_EQ(firstNotifications.Count, 1);
    EXPECT_EQ(secondNotifications.Count, 1);
}

TEST(SettingsHandlerLoad, AHandlersOwnErrorPassesUnchangedAndLaterHandlersAreNotLoaded) {
    testsupport::TempDir dir;
    const std::string path = dir.File("Settings.ini");
    testsupport::WriteFileText(path, "[FileHandler]\r\nBackUpOnSave=1\r\n");
    TSettingsHandler settings(path);
    TTableHandler before;
    TTableHandler failing;
    TTableHandler after;
    failing.OnLoad = [] { throw rtl::EConvertError("The value is not a quoted string."); };
    TNotifications failingNotifications(failing);
    TNotifications afterNotifications(after);
    settings.Register(before);
    settings.Register(failing);
    settings.Register(after);

    EXPECT_EQ(MessageOf<rtl::EConvertError>([&] { settings.Load(); }),
              "The value is not a quoted string.");
    EXPECT_EQ(before.Values.BackUpOnSave, 1);
    EXPECT_EQ(failing.ChangeCount(), 0);
    EXPECT_EQ(failingNotifications.Count, 1);
    EXPECT_EQ(after.Loads, 0);
    EXPECT_EQ(after.Values, TTableValues());
    EXPECT_EQ(afterNotifications.Count, 0);
}

TEST(SettingsHandlerLoad, AFileThatCannotBeReadIsCouldNotLoadAndNoHandlerIsAsked) {
    testsupport::TempDir dir;
    const std::string path = dir.File("Settings.ini");
    ASSERT_EQ(::mkdir(path.c_str(), 0755), 0);
    TSettingsHandler settings(path);
    TTableHandler handler;
    settings.Register(handler);
    try {
        settings.Load();
        FAIL() << "the load went through";
    } catch (const rtl::EIniFileError&) {
        FAIL() << "the settings file's own error reached the caller";
    } catch (const EHandlerError& e) {
        EXPECT_EQ(e.Message(), "The program could not load the settings.");
    }
    EXPECT_EQ(handler.Loads, 0);
}

TEST(SettingsHandlerLoad, RefusedWhenItsQueryAnswersFalse) {
    testsupport::TempDir dir;
    const std::string path = dir.File("Settings.ini");
    testsupport::WriteFileText(path, "[FileHandler]\r\nBackUpOnSave=1\r\n");
    TClosedSettingsHandler settings(path);
    TTableHandler handler;
    settings.Register(handler);
    EXPECT_EQ(MessageOf<EHandlerError>([&] { settings.Load(); }), "The feature is unavailable.");
    EXPECT_EQ(handler.Loads, 0);
    EXPECT_EQ(MessageOf<EHandlerError>([&] { settings.Save(); }), "The feature is unavailable.");
    EXPECT_EQ(handler.Saves, 0);
    EXPECT_EQ(testsupport::ReadFileText(path), "[FileHandler]\r\nBackUpOnSave=1\r\n");
}

// ---------------------------------------------------------------------------------------------
// Save

TEST(SettingsHandlerSave, CreatesTheFileWithTheWrittenSectionsOnly) {
    testsupport::TempDir dir;
    const std::string path = dir.File("Settings.ini");
    TSettingsHandler settings(path);
    TTableHandler handler;
    handler.Values = ChangedValues();
    TNotifications notifications(handler);
    settings.Register(handler);
    settings.Save();
    EXPECT_EQ(testsupport::ReadFileText(path), ChangedText);
    EXPECT_EQ(testsupport::ListFolder(dir.Path()), std::vector<std::string>{"Settings.ini"});
    EXPECT_EQ(notifications.Count, 1);
}

TEST(SettingsHandlerSave, ASaveFollowedByALoadReproducesEveryKeyOfTheTable) {
    testsupport::TempDir dir;
    const std::string path = dir.File("Settings.ini");
    {
        TSettingsHandler settings(path);
        TTableHandler handler;
        handler.Values = ChangedValues();
        settings.Register(handler);
        settings.Save();
    }
    TSettingsHandler settings(path);
    TTableHandler handler;
    settings.Register(handler);
    ASSERT_NE(handler.Values, ChangedValues());
    settings.Load();
    EXPECT_EQ(handler.Values, ChangedValues());
}

TEST(SettingsHandlerSave, KeepsWhatNobodyWroteAndDropsCommentsAndBlankLines) {
    testsupport::TempDir dir;
    const std::string path = dir.File("Settings.ini");
    testsupport::WriteFileText(path,
                               "; comment\n\n[Unknown]\nkey=kept\nloose text\n\n"
                               "[ViewHandler]\nShowToolbar=1\nFutureKey=7\n; another comment\n");
    TSettingsHandler settings(path);
    TTableHandler handler;
    handler.Values = ChangedValues();
    settings.Register(handler);
    settings.Save();
    EXPECT_EQ(testsupport::ReadFileText(path),
              std::string("[Unknown]\r\nkey=kept\r\nloose text\r\n\r\n"
                          "[ViewHandler]\r\nShowToolbar=0\r\nFutureKey=7\r\nShowStatusBar=0\r\n"
                          "RowSelect=1\r\n\r\n"
                          "[SystemHandler]\r\nCurrentDirectory=\"/home/user/disk images\"\r\n"
                          "\r\n"
                          "[FileHandler]\r\nBackUpOnSave=1\r\n\r\n"
                          "[FileHandler.OpenDialog]\r\nFilterIndex=2\r\n\r\n"
                          "[FileHandler.AddExistentDialog]\r\nFilterIndex=3\r\n\r\n"
                          "[FileHandler.SaveAsDialog]\r\nFilterIndex=-4\r\n\r\n"
                          "[FileHandler.SaveToSingleFileDialog]\r\nFilterIndex=5\r\n\r\n"
                          "[ViewHandler.Placement.ListView.Column:0]\r\nWidth=321\r\n\r\n"
                          "[ViewHandler.Placement.ListView.Column:1]\r\nWidth=0\r\n\r\n"
                          "[ViewHandler.Placement.ListView.Column:2]\r\nWidth=2147483647\r\n"
                          "\r\n"
                          "[ViewHandler.Placement.ListView.Column:3]\r\nWidth=-2147483648\r\n"
                          "\r\n"));
}

TEST(SettingsHandlerSave, CreatesMissingFoldersForTheUserAlone) {
    testsupport::TempDir dir;
    const std::string path = dir.File("config/trackwell/Settings.ini");
    TSettingsHandler settings(path);
    TTableHandler handler;
    handler.Values = ChangedValues();
    settings.Register(handler);
    settings.Save();
    EXPECT_EQ(testsupport::ReadFileText(path), ChangedText);
    struct stat info {};
    ASSERT_EQ(::stat(dir.File("config").c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0700u);
    ASSERT_EQ(::stat(dir.File("config/trackwell").c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0700u);
}

TEST(SettingsHandlerSave, AWriteThatFailsIsCouldNotSaveAndLeavesTheOldFileByteIdentical) {
    testsupport::TempDir dir;
    const std::string path = dir.File("Settings.ini");
    const std::string old = "; old settings\r\n[FileHandler]\r\nBackUpOnSave=0\r\n";
    testsupport::WriteFileText(path, old);
    TSettingsHandler settings(path);
    TTableHandler handler;
    handler.Values = ChangedValues();
    settings.Register(handler);
    {
        testsupport::FileSizeLimit limit(64);
        EXPECT_EQ(MessageOf<EHandlerError>([&] { settings.Save(); }),
                  "The program could not save the settings.");
    }
    EXPECT_EQ(testsupport::ReadFileText(path), old);
    EXPECT_EQ(testsupport::ListFolder(dir.Path()), std::vector<std::string>{"Settings.ini"});
    EXPECT_EQ(handler.ChangeCount(), 0);
}

TEST(SettingsHandlerSave, APathThatCannotHoldTheFileIsCouldNotSave) {
    testsupport::TempDir dir;
    // A plain file where the folder should be: the folder can be neither found nor made.
    testsupport::WriteFileText(dir.File("plain"), "not a folder");
    for (const std::string& path :
         {dir.File("plain/Settings.ini"), dir.File("plain/deeper/Settings.ini")}) {
        TSettingsHandler settings(path);
        TTableHandler handler;
        settings.Register(handler);
        EXPECT_EQ(MessageOf<EHandlerError>([&] { settings.Save(); }),
                  "The program could not save the settings.")
            << path;
    }
    EXPECT_EQ(testsupport::ReadFileText(dir.File("plain")), "not a folder");

    // A folder named like the file cannot be read, so the save stops before any handler.
    const std::string folder = dir.File("Settings.ini");
    ASSERT_EQ(::mkdir(folder.c_str(), 0755), 0);
    TSettingsHandler settings(folder);
    TTableHandler handler;
    settings.Register(handler);
    EXPECT_EQ(MessageOf<EHandlerError>([&] { settings.Save(); }),
              "The program could not save the settings.");
    EXPECT_EQ(handler.Saves, 0);
    EXPECT_TRUE(testsupport::ListFolder(folder).empty());
}

TEST(SettingsHandlerSave, AHandlersOwnErrorPassesUnchangedAndNothingIsWritten) {
    testsupport::TempDir dir;
    const std::string path = dir.File("Settings.ini");
    const std::string old = "[FileHandler]\nBackUpOnSave=0\n";
    testsupport::WriteFileText(path, old);
    TSettingsHandler settings(path);
    TTableHandler failing;
    TTableHandler after;
    failing.OnSave = [] { throw rtl::EConvertError("The value cannot be written."); };
    settings.Register(failing);
    settings.Register(after);
    EXPECT_EQ(MessageOf<rtl::EConvertError>([&] { settings.Save(); }),
              "The value cannot be written.");
    EXPECT_EQ(after.Saves, 0);
    EXPECT_EQ(testsupport::ReadFileText(path), old);
    EXPECT_EQ(testsupport::ListFolder(dir.Path()), std::vector<std::string>{"Settings.ini"});
}

// ---------------------------------------------------------------------------------------------
// The settings handler itself

TEST(SettingsHandler, ItsOwnSettingsAreEmptyAndItsQueriesAlwaysAgree) {
    testsupport::TempDir dir;
    const std::string path = dir.File("Settings.ini");
    testsupport::WriteFileText(path, "[Other]\r\nkey=value\r\n");
    TSettingsHandler settings(path);
    EXPECT_TRUE(settings.CanLoad());
    EXPECT_TRUE(settings.CanSave());
    TNotifications notifications(settings);
    settings.Register(settings);
    ASSERT_EQ(settings.Handlers().size(), 1u);
    EXPECT_EQ(settings.Handlers()[0], &settings);
    settings.Load();
    settings.Save();
    EXPECT_EQ(notifications.Count, 0);
    EXPECT_EQ(testsupport::ReadFileText(path), "[Other]\r\nkey=value\r\n\r\n");
}

TEST(SettingsFileName, IsTheExecutablesFolderWhenWritableElseTheUsersConfigurationFolder) {
    testsupport::TempDir dir;
    EXPECT_EQ(ChooseSettingsFileName(dir.File("trackwell"), "/cfg", "/home/user"),
              dir.Path() + "/Settings.ini");

    const std::string gone = "/nonexistent-trackwell-folder/bin/trackwell";
    EXPECT_EQ(ChooseSettingsFileName(gone, "/cfg", "/home/user"), "/cfg/trackwell/Settings.ini");
    EXPECT_EQ(ChooseSettingsFileName(gone, "/cfg/", "/home/user"), "/cfg/trackwell/Settings.ini");
    EXPECT_EQ(ChooseSettingsFileName("", "/cfg", "/home/user"), "/cfg/trackwell/Settings.ini");
    // A relative or empty configuration folder is ignored.
    for (const char* configHome : {"relative/cfg", "", static_cast<const char*>(nullptr)})
        EXPECT_EQ(ChooseSettingsFileName(gone, configHome, "/home/user"),
                  "/home/user/.config/trackwell/Settings.ini");
    EXPECT_EQ(ChooseSettingsFileName(gone, nullptr, "/"), "/.config/trackwell/Settings.ini");
    // With no home either, the executable's folder is kept, and a save reports its failure.
    EXPECT_EQ(ChooseSettingsFileName(gone, nullptr, ""),
              "/nonexistent-trackwell-folder/bin/Settings.ini");
}

TEST(SettingsFileName, IsWorkedOutOnceAndBoundToEveryDefaultHandler) {
    const std::string& first = DefaultSettingsFileName();
    EXPECT_EQ(&DefaultSettingsFileName(), &first);
    ASSERT_GT(first.size(), std::string("/Settings.ini").size());
    EXPECT_EQ(first.front(), '/');
    EXPECT_EQ(first.substr(first.size() - 13), "/Settings.ini");
    TSettingsHandler settings;
    EXPECT_EQ(settings.SettingsFileName(), first);
    EXPECT_TRUE(settings.Handlers().empty());
}
