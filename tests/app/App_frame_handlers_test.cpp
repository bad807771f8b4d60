#include "App_helphandler.h"
#include "App_settingshandler.h"
#include "App_systemhandler.h"
#include "App_viewhandler.h"
#include "Rtl_paths.h"
#include "TestSupport.h"
#include "Vix_strings.h"

#include <gtest/gtest.h>

#include <string>
#include <sys/stat.h>
#include <utility>
#include <vector>

using testsupport::MessageOf;

namespace {

// The open brackets seen at each notification.
std::vector<int32_t>& Watch(THandler& handler, std::vector<int32_t>& log) {
    handler.OnChange = [&log](THandler& sender) { log.push_back(sender.ChangeCount()); };
    return log;
}

class TFakeBar : public TViewBar {
public:
    bool Shown = true;
    bool Visible() const override { return Shown; }
    void SetVisible(bool value) override { Shown = value; }
};

class TFakeList : public TViewList {
public:
    bool WholeRows = false;
    int Redraws = 0;
    std::vector<int> Widths = {180, 120, 120, 120};

    bool RowSelect() const override { return WholeRows; }
    void SetRowSelect(bool value) override { WholeRows = value; }
    void Redraw() override { ++Redraws; }
    int ColumnCount() const override { return static_cast<int>(Widths.size()); }
    int ColumnWidth(int index) const override { return Widths.at(index); }
    void SetColumnWidth(int index, int width) override { Widths.at(index) = width; }
};

class TFakeWindow : public TViewWindow {
public:
    TWindowPlacement Shown{10, 20, 700, 500, false};
    int Placements = 0;

    TWindowPlacement Placement() const override { return Shown; }
    void SetPlacement(const TWindowPlacement& placement) override {
        Shown = placement;
        ++Placements;
    }
};

struct TWindow {
    TFakeBar ToolBar, StatusBar;
    TFakeList ListView;
    TFakeWindow Frame;
    TViewHandler Handler{&ToolBar, &ListView, &StatusBar, &Frame};
    std::vector<int32_t> Changes;
    TWindow() { Watch(Handler, Changes); }
};

// The scripted interface does not keep the buttons and the icon of a message box.
class TRecordingUserInterface : public TScriptedUserInterface {
public:
    std::vector<std::pair<TMessageButtons, TMessageIcon>> Boxes;
    int MessageBox(const std::string& text, const std::string& caption, TMessageButtons buttons,
                   TMessageIcon icon) override {
        Boxes.emplace_back(buttons, icon);
        return TScriptedUserInterface::MessageBox(text, caption, buttons, icon);
    }
};

} // namespace

TEST(SystemHandler, AFolderWithQuotesAndOuterBlanksIsSavedQuotedAndComesBack) {
    testsupport::CurrentFolderKeeper keeper;
    testsupport::TempDir dir;
    const std::string folder = dir.File(" My \"Disks\" ");
    ASSERT_EQ(::mkdir(folder.c_str(), 0700), 0);
    ASSERT_TRUE(rtl::SetCurrentDir(folder));
    const std::string expected = rtl::GetCurrentDir();
    TSystemHandler handler;
    std::vector<int32_t> changes;
    Watch(handler, changes);
    const std::string settingsPath = dir.File("Settings.ini");
    {
        rtl::TMemIniFile settings(settingsPath);
        handler.SaveSettings(settings);
        settings.UpdateFile();
    }
    const std::string doubled = "\"" + rtl::ExtractFilePath(expected) + " My \"\"Disks\"\" \"";
    EXPECT_NE(testsupport::ReadFileText(settingsPath).find("CurrentDirectory=" + doubled + "\r\n"),
              std::string::npos)
        << testsupport::ReadFileText(settingsPath);

    ASSERT_TRUE(rtl::SetCurrentDir(dir.Path()));
    rtl::TMemIniFile settings(settingsPath);
    handler.LoadSettings(settings);
    EXPECT_EQ(rtl::GetCurrentDir(), expected);
    EXPECT_EQ(changes, (std::vector<int32_t>{0, 0}));
}

TEST(SystemHandler, AnUnquotedValueIsRefusedAndAVanishedFolderIsIgnored) {
    testsupport::CurrentFolderKeeper keeper;
    testsupport::TempDir dir;
    ASSERT_TRUE(rtl::SetCurrentDir(dir.Path()));
    const std::string before = rtl::GetCurrentDir();
    TSystemHandler handler;
    std::vector<int32_t> changes;
    Watch(handler, changes);

    testsupport::WriteFileText(dir.File("a.ini"), "[SystemHandler]\nCurrentDirectory=/tmp\n");
    rtl::TMemIniFile unquoted(dir.File("a.ini"));
    EXPECT_EQ(MessageOf<EStringError>([&] { handler.LoadSettings(unquoted); }),
              "The program cannot dequote the string.");
    EXPECT_EQ(changes, std::vector<int32_t>{0});
    EXPECT_EQ(handler.ChangeCount(), 0);

    testsupport::WriteFileText(dir.File("b.ini"), "[SystemHandler]\nCurrentDirectory=" +
                                                      QuoteString(dir.File("gone"), '"') + "\n");
    rtl::TMemIniFile vanished(dir.File("b.ini"));
    handler.LoadSettings(vanished);
    EXPECT_EQ(rtl::GetCurrentDir(), before);
    EXPECT_EQ(changes, (std::vector<int32_t>{0, 0}));
}

TEST(ViewHandler, SwitchesAndWidthsMakeARoundTripAndAMissingKeyKeepsWhatIsShown) {
    testsupport::TempDir dir;
    const std::string settingsPath = dir.File("Settings.ini");
    {
        TWindow window;
        rtl::TMemIniFile missing(settingsPath);
        window.Handler.LoadSettings(missing);
        EXPECT_TRUE(window.ToolBar.Shown && window.StatusBar.Shown);
        EXPECT_FALSE(window.ListView.WholeRows);
        EXPECT_EQ(window.ListView.Widths, (std::vector<int>{180, 120, 120, 120}));
        // A window never placed is left where the window system put it.
        EXPECT_EQ(window.Frame.Placements, 0);
        EXPECT_EQ(window.Changes, std::vector<int32_t>{0});

        window.Handler.ToggleToolbar();
        window.Handler.ToggleStatusBar();
        window.Handler.ToggleRowSelect();
        window.ListView.Widths = {0, 75, 300, 121};
        window.Frame.Shown = {-4, 1200, 1024, 768, true};
        window.Handler.SaveSettings(missing);
        missing.UpdateFile();
        EXPECT_EQ(window.Changes.size(), 5u);
    }
    const std::string text = testsupport::ReadFileText(settingsPath);
    EXPECT_NE(text.find("[ViewHandler]\r\nShowToolbar=0\r\nShowStatusBar=0\r\nRowSelect=1\r\n"),
              std::string::npos)
        << text;
    EXPECT_NE(text.find("[ViewHandler.Placement.ListView.Column:0]\r\nWidth=0\r\n"),
              std::string::npos)
        << text;

    TWindow window;
    rtl::TMemIniFile settings(settingsPath);
    window.Handler.LoadSettings(settings);
    EXPECT_FALSE(window.ToolBar.Shown || window.StatusBar.Shown);
    EXPECT_TRUE(window.ListView.WholeRows);
    EXPECT_EQ(window.ListView.Redraws, 1);
    EXPECT_EQ(window.ListView.Widths, (std::vector<int>{0, 75, 300, 121}));
    EXPECT_EQ(window.Frame.Shown, (TWindowPlacement{-4, 1200, 1024, 768, true}));
    EXPECT_EQ(window.Frame.Placements, 1);
    // The same values again change nothing, and the load is still reported once.
    window.Handler.LoadSettings(settings);
    EXPECT_EQ(window.ListView.Redraws, 1);
    EXPECT_EQ(window.Frame.Placements, 1);
    EXPECT_EQ(window.Changes, (std::vector<int32_t>{0, 0}));
}

TEST(ViewHandler, RowSelectRedrawsAtEachToggleAndSettingTheShownValueIsNoChange) {
    TWindow window;
    window.Handler.ToggleRowSelect();
    window.Handler.ToggleRowSelect();
    EXPECT_FALSE(window.Handler.RowSelect());
    EXPECT_EQ(window.ListView.Redraws, 2);
    window.Handler.SetShowToolbar(true);
    window.Handler.SetRowSelect(false);
    EXPECT_EQ(window.Changes, (std::vector<int32_t>{0, 0}));

    const char* const message = "The program cannot create a view handler.";
    TFakeBar bar;
    EXPECT_EQ(MessageOf<EHandlerError>([&] { TViewHandler(nullptr, &window.ListView, &bar); }),
              message);
    EXPECT_EQ(MessageOf<EHandlerError>([&] { TViewHandler(&bar, nullptr, &bar); }), message);
    EXPECT_EQ(MessageOf<EHandlerError>([&] { TViewHandler(&bar, &window.ListView, nullptr); }),
              message);
}

TEST(HelpHandler, ContentsOpensThePageOnlyAfterOKAndAboutShowsTheVersion) {
    TRecordingUserInterface ui;
    THelpHandler handler(ui, "/opt/trackwell/Help/index.html");
    ui.MessageAnswers = {idCancel, idOK, idOK, idOK};
    ui.OpenDocumentAnswers = {false, true};

    EXPECT_THROW(handler.Contents(), rtl::EAbort);
    ASSERT_EQ(ui.Shown.size(), 1u);
    EXPECT_EQ(ui.Shown[0].Text, "The program opens the help (a local file in the HTML format).");
    EXPECT_EQ(ui.Shown[0].Title, "Trackwell");
    EXPECT_EQ(ui.Boxes[0], std::make_pair(TMessageButtons::OKCancel, TMessageIcon::Warning));
    EXPECT_EQ(MessageOf<EHandlerError>([&] { handler.Contents(); }),
              "The program could not open the help.");
    handler.Contents();
    ASSERT_EQ(ui.Shown.size(), 5u);
    EXPECT_EQ(ui.Shown[2].What + " " + ui.Shown[2].Text, "open /opt/trackwell/Help/index.html");
    EXPECT_EQ(ui.Shown[4].What, "open");

    handler.About();
    EXPECT_EQ(ui.Shown.back().Title, "About");
    EXPECT_EQ(ui.Shown.back().Text, AboutText());
    EXPECT_EQ(ui.Boxes.back(), std::make_pair(TMessageButtons::OK, TMessageIcon::None));
    const std::string head = std::string("Trackwell ") + TRACKWELL_VERSION + "\r\n\r\n";
    ASSERT_EQ(AboutText().rfind(head, 0), 0u) << AboutText();
    EXPECT_NE(AboutText().size(), head.size());
    EXPECT_EQ(AboutText().find_first_of("\r\n", head.size()), std::string::npos);
    EXPECT_EQ(THelpHandler(ui).HelpFileName(), DefaultHelpFileName());
}

TEST(ProgramDataFileName, PrefersTheProgramsFolderThenTheInstalledOneElseNamesTheProgramsFolder) {
    testsupport::TempDir dir;
    for (const char* folder : {"bin", "bin/Help", "share", "share/Help"})
        ASSERT_EQ(::mkdir(dir.File(folder).c_str(), 0700), 0);
    const std::string executable = dir.File("bin/trackwell");
    const std::string name = "Help/index.html";
    EXPECT_EQ(ChooseProgramDataFileName(executable, dir.File("share"), name),
              dir.File("bin/" + name));
    testsupport::WriteFileText(dir.File("share/" + name), "<!DOCTYPE html>");
    EXPECT_EQ(ChooseProgramDataFileName(executable, dir.File("share"), name),
              dir.File("share/" + name));
    testsupport::WriteFileText(dir.File("bin/" + name), "<!DOCTYPE html>");
    EXPECT_EQ(ChooseProgramDataFileName(executable, dir.File("share"), name),
              dir.File("bin/" + name));
}

TEST(ProgramDataFileName, TakesARelativeInstalledFolderFromTheProgramsFolder) {
    testsupport::CurrentFolderKeeper keeper;
    testsupport::TempDir dir;
    for (const char* folder : {"bin", "share", "share/trackwell"})
        ASSERT_EQ(::mkdir(dir.File(folder).c_str(), 0700), 0);
    testsupport::WriteFileText(dir.File("share/trackwell/Presets.dat"), "");
    EXPECT_EQ(
        ChooseProgramDataFileName(dir.File("bin/trackwell"), "../share/trackwell", "Presets.dat"),
        dir.File("share/trackwell/Presets.dat"));
    // Without the program's folder the current folder is no substitute.
    ASSERT_TRUE(rtl::SetCurrentDir(dir.File("bin")));
    EXPECT_EQ(ChooseProgramDataFileName("", "../share/trackwell", "Presets.dat"), "Presets.dat");
}
