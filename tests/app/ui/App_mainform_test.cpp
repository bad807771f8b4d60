// The editor driven as a user drives it: actions by name, keys, header clicks and the dialogs
// they open, with real files in a temporary folder.
#include "App_HexView.h"
#include "App_SectorsView.h"
#include "App_SoftwareListsDialog.h"
#include "App_actions.h"
#include "App_diskimages.h"
#include "App_errors_qt.h"
#include "App_mainform.h"
#include "App_userinterface_qt.h"
#include "Rtl_codepage.h"
#include "Rtl_hashes.h"
#include "Rtl_inifiles.h"
#include "TestSupport.h"
#include "UiTestSupport.h"
#include "Vix_files.h"
#include "Vix_listviews_qt.h"

#include <QAbstractItemModelTester>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QDialog>
#include <QDir>
#include <QGuiApplication>
#include <QHeaderView>
#include <QIcon>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QPushButton>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTableView>
#include <QTest>
#include <QTreeWidget>
#include <QUrl>

#include <filesystem>
#include <fstream>
#include <memory>
#include <source_location>

using testsupport::Bytes;

namespace {

const char* const Fm77 = "fm77av-demo.d77";
const char* const Cpm = "cpm-x1turbo-2d.d88";

// A container of the two samples, the FM77AV one ("D77IMG") first.
Bytes TwoSamples() {
    return testsupport::Concat({testsupport::SampleBytes(Fm77), testsupport::SampleBytes(Cpm)});
}

class Editor {
public:
    explicit Editor(const testsupport::TempDir& dir, std::vector<std::string> files = {},
                    const std::string& settings = "Settings.ini") {
        TAppMainForm::TOptions options;
        options.Files = std::move(files);
        options.SettingsFileName = dir.File(settings);
        options.PresetsFileName = dir.File("Presets.dat");
        Form = std::make_unique<TAppMainForm>(std::move(options));
        Form->show();
        QVERIFY(QTest::qWaitForWindowExposed(Form.get()));
        // The list's keys, shortcuts among them, work only in the active window.
        QVERIFY(uitest::GiveKeyboard(Form.get()));
        QVERIFY(uitest::Settle());
    }
    ~Editor() {
        // A test that ends with a modified document must not be asked about saving it.
        if (Form && Form->isVisible() && Form->FileHandler().IsModified()) {
            uitest::WhenModal([](QWidget* box) { uitest::ClickButton(box, "No"); });
            Form->close();
        }
    }

    // Lets the first idle moment and the queued refresh run.
    static void Settle(std::source_location where = std::source_location::current()) {
        uitest::Settle(where);
    }
    TAction& Action(const char* name) const { return *Form->Action(name); }
    // As a menu entry would: nothing when the last refresh disabled it.
    bool Run(const char* name) {
        TAction& action = Action(name);
        const bool enabled = action.isEnabled();
        action.trigger();
        Settle();
        return enabled;
    }
    void Key(QKeySequence key, std::source_location where = std::source_location::current()) {
        // A shortcut reaches only the active window, which a closed dialog does not give back
        // on the offscreen platform.
        uitest::GiveKeyboard(Form.get(), where);
        QTest::keySequence(&Form->ListView(), key);
        Settle();
    }
    QString Cell(int row, int column) const {
        const QAbstractItemModel& model = *Form->ListView().model();
        return model.data(model.index(row, column)).toString();
    }
    int Rows() const { return Form->ListView().model()->rowCount(); }
    std::vector<int> SelectedRows() const { return Form->ListViewShell().GetSelectedIndices(); }
    void ClickHeader(int column) {
        QHeaderView& header = *Form->ListView().horizontalHeader();
        const int x = header.sectionViewportPosition(column) + header.sectionSize(column) / 2;
        QTest::mouseClick(header.viewport(), Qt::LeftButton, {}, QPoint(x, header.height() / 2));
        Settle();
    }

    std::unique_ptr<TAppMainForm> Form;
};

} // namespace

class MainFormTest : public QObject {
    Q_OBJECT

private slots:
    void init() { QGuiApplication::clipboard()->clear(); }
    // Opening a document moves the current folder into a temporary folder that goes away.
    void cleanup() { QDir::setCurrent(QDir::tempPath()); }

    void commandLineFilesEditUndoAndStatus() {
        testsupport::TempDir dir;
        const std::string path = dir.File("two.d88");
        testsupport::WriteFileBytes(path, TwoSamples());
        testsupport::WriteFileBytes(dir.File("one.d77"), testsupport::SampleBytes(Fm77));
        uitest::ErrorRecorder errors;

        // One file on an untouched window opens it.
        Editor editor(dir, {path});
        QAbstractItemModelTester tester(editor.Form->ListView().model());
        QCOMPARE(editor.Rows(), 2);
        QCOMPARE(editor.Cell(0, 0), QString("D77IMG"));
        QCOMPARE(editor.Cell(1, 1), QString("No"));
        QCOMPARE(editor.Cell(1, 2), QString("2D"));
        QCOMPARE(editor.Cell(1, 3), QString("348,848 bytes"));
        QCOMPARE(editor.Form->windowTitle(), QString("Trackwell - two.d88"));
        QCOMPARE(ApplicationTitle(), QString("Trackwell - two.d88"));
        // Qt's display name stays unset: the window systems would append it to every dialog's
        // title ("Add New — Trackwell - two.d88").
        QCOMPARE(QGuiApplication::applicationDisplayName(), QCoreApplication::applicationName());
        QCOMPARE(editor.Action("EditUndoAction").text(), QString("&Undo - (None)"));
        QVERIFY(!editor.Action("EditUndoAction").isEnabled());

        // Clicking a row selects it; the status bar follows the selection.
        QTableView& view = editor.Form->ListView();
        QTest::mouseClick(view.viewport(), Qt::LeftButton, {},
                          view.visualRect(view.model()->index(1, 0)).center());
        editor.Settle();
        QCOMPARE(editor.Form->StatusText(), QString("1 items are selected"));
        QVERIFY(editor.Action("EditDeleteAction").isEnabled());

        editor.Key(QKeySequence(Qt::Key_Delete));
        QCOMPARE(editor.Rows(), 1);
        QCOMPARE(editor.Form->StatusText(), QString("1 items"));
        QCOMPARE(editor.Action("EditUndoAction").text(), QString("&Undo - Delete"));
        QCOMPARE(editor.Action("EditUndoAction").toolTip(), QString("Undo - Delete"));
        QVERIFY(editor.Action("FileSaveAction").isEnabled());

        editor.Key(QKeySequence(Qt::CTRL | Qt::Key_Z));
        QCOMPARE(editor.Rows(), 2);
        QCOMPARE(editor.Cell(1, 3), QString("348,848 bytes"));
        QCOMPARE(editor.Action("EditRedoAction").text(), QString("&Redo - Delete"));
        QVERIFY(!editor.Action("FileSaveAction").isEnabled());

        // The undone rows come back selected; with none selected, Delete does nothing at all.
        QCOMPARE(editor.SelectedRows(), std::vector<int>{1});
        QVERIFY(editor.Run("EditReverseSelectionAction"));
        QCOMPARE(editor.SelectedRows(), std::vector<int>{0});
        QVERIFY(editor.Run("EditSelectAllAction"));
        QVERIFY(editor.Run("EditReverseSelectionAction"));
        QCOMPARE(editor.SelectedRows(), std::vector<int>{});
        QVERIFY(!editor.Run("EditDeleteAction"));
        editor.Key(QKeySequence(Qt::Key_Delete));
        QCOMPARE(editor.Rows(), 2);
        QVERIFY(errors.Messages.empty());

        // Two files on the command line are one drop: both are added, in order.
        Editor adding(dir, {dir.File("one.d77"), path});
        QCOMPARE(adding.Rows(), 3);
        QCOMPARE(adding.Form->windowTitle(), QString("Trackwell - Untitled.d88"));
        QCOMPARE(adding.Form->FileHandler().UndoName(), std::string("Add"));
        QCOMPARE(adding.SelectedRows(), (std::vector<int>{0, 1, 2}));

        // Mouse and keys select rows as in any list.
        QTableView& list = adding.Form->ListView();
        auto click = [&](int row, Qt::KeyboardModifiers keys, Qt::MouseButton button) {
            QTest::mouseClick(list.viewport(), button, keys,
                              list.visualRect(list.model()->index(row, 1)).center());
            adding.Settle();
        };
        click(0, {}, Qt::LeftButton);
        QCOMPARE(adding.SelectedRows(), std::vector<int>{0});
        click(2, Qt::ShiftModifier, Qt::LeftButton);
        QCOMPARE(adding.SelectedRows(), (std::vector<int>{0, 1, 2}));
        click(1, Qt::ControlModifier, Qt::LeftButton);
        QCOMPARE(adding.SelectedRows(), (std::vector<int>{0, 2}));
        QCOMPARE(adding.Form->StatusText(), QString("2 items are selected"));
        // A right-click on a selected row keeps the selection for the menu, which shows no keys.
        click(2, {}, Qt::RightButton);
        QCOMPARE(adding.SelectedRows(), (std::vector<int>{0, 2}));
        const QPoint at = list.visualRect(list.model()->index(2, 1)).center();
        QContextMenuEvent menuEvent(QContextMenuEvent::Mouse, at, list.viewport()->mapToGlobal(at));
        QApplication::sendEvent(list.viewport(), &menuEvent);
        auto* popup = adding.Form->findChild<QMenu*>("PopupMenu1");
        QVERIFY(popup->isVisible());
        QStringList entries;
        for (QAction* entry : popup->actions()) {
            QVERIFY(entry->shortcut().isEmpty());
            entries << entry->text();
        }
        popup->hide();
        QCOMPARE(entries, QStringList({"&Undo - Add", "&Redo - (None)", "", "&Delete", "",
                                       "Select &All", "Reverse &Selection", "Select Dup&licates",
                                       "", "Dupli&cate", "", "Chec&k...", "&Identify...",
                                       "Name from Identi&fication", "", "Soft&ware Lists..."}));
        QTest::keyClick(&list, Qt::Key_Up);
        adding.Settle();
        QCOMPARE(adding.SelectedRows(), std::vector<int>{1});
        QCOMPARE(adding.Form->ListViewShell().Focused(1), true);

        // A selection the program makes is where the next gesture starts: a Ctrl+Shift-click
        // adds its range to the program's rows, not to what the clicks before had selected.
        const auto extend = Qt::ControlModifier | Qt::ShiftModifier;
        click(0, {}, Qt::LeftButton);
        click(2, Qt::ControlModifier, Qt::LeftButton);
        QVERIFY(adding.Run("EditSelectAllAction"));
        click(2, extend, Qt::LeftButton);
        QCOMPARE(adding.SelectedRows(), (std::vector<int>{0, 1, 2}));
        click(0, Qt::ControlModifier, Qt::LeftButton);
        QVERIFY(adding.Run("EditReverseSelectionAction"));
        QCOMPARE(adding.SelectedRows(), std::vector<int>{0});
        click(1, extend, Qt::LeftButton);
        QCOMPARE(adding.SelectedRows(), (std::vector<int>{0, 1}));
    }

    void sortRenamePasteAndSave() {
        testsupport::TempDir dir;
        const std::string path = dir.File("two.d88");
        const Bytes original = TwoSamples();
        testsupport::WriteFileBytes(path, original);
        uitest::ErrorRecorder errors;
        Editor editor(dir, {path});

        // Sorting by name through the header puts the empty name first; the selection travels.
        editor.Run("EditSelectAllAction");
        editor.ClickHeader(0);
        QCOMPARE(editor.Cell(0, 0), QString());
        QCOMPARE(editor.Cell(1, 0), QString("D77IMG"));
        QCOMPARE(editor.Form->FileHandler().UndoName(), std::string("Sort by name"));
        QCOMPARE(editor.SelectedRows(), (std::vector<int>{0, 1}));
        QVERIFY(editor.Form->ListView().horizontalHeader()->isSortIndicatorShown() == false);

        // Rename both through the Enter dialog; the list shows it at once.
        uitest::WhenModal([](QWidget* dialog) {
            auto* edit = dialog->findChild<QLineEdit*>("ValueEdit");
            QCOMPARE(edit->selectedText(), edit->text());
            // Not the wait cursor of the command that opened the dialog.
            QCOMPARE(QGuiApplication::overrideCursor()->shape(), Qt::ArrowCursor);
            edit->setText(QString::fromUtf8("ゲーム&1"));
            uitest::ClickButton(dialog, "OK");
        });
        editor.Key(QKeySequence(Qt::Key_F2));
        QVERIFY(uitest::ModalAnswered());
        QCOMPARE(editor.Cell(0, 0), QString::fromUtf8("ゲーム&1"));
        QCOMPARE(editor.Cell(1, 0), QString::fromUtf8("ゲーム&1"));
        QCOMPARE(editor.Action("EditUndoAction").text(), QString("&Undo - Set name property"));

        // Pasted names go to the selected rows in order.
        QGuiApplication::clipboard()->setText("FIRST\nSECOND\n");
        editor.Settle();
        QVERIFY(editor.Run("PropertiesNamePasteAction"));
        QCOMPARE(editor.Cell(0, 0), QString("FIRST"));
        QCOMPARE(editor.Cell(1, 0), QString("SECOND"));

        // Saved bytes are the sorted images with their new names, byte for byte.
        QVERIFY(editor.Run("FileSaveAction"));
        QVERIFY(errors.Messages.empty());
        TDiskImageList expected;
        expected.LoadFromFile(path);
        QCOMPARE(expected.Count(), 2);
        QCOMPARE(expected[0]->Name(), std::string("FIRST"));
        QCOMPARE(expected[1]->Name(), std::string("SECOND"));
        Bytes saved = testsupport::ReadFileBytes(path);
        Bytes cpm = testsupport::SampleBytes(Cpm), fm = testsupport::SampleBytes(Fm77);
        // Only the name fields differ from the samples.
        std::copy_n(saved.begin(), 17, cpm.begin());
        std::copy_n(saved.begin() + static_cast<long>(cpm.size()), 17, fm.begin());
        QVERIFY(saved == testsupport::Concat({cpm, fm}));
        QCOMPARE(editor.Form->windowTitle(), QString("Trackwell - two.d88"));
        QVERIFY(!editor.Action("FileSaveAction").isEnabled());

        // Save As: choosing the D77 type gives a typed name that extension.
        uitest::WhenModal([](QWidget* dialog) {
            auto* types = dialog->findChild<QComboBox*>("fileTypeCombo");
            QCOMPARE(types->currentIndex(), 1);
            types->setCurrentIndex(0);
            // What a user's choice in the list sends.
            emit types->activated(0);
            emit types->textActivated(types->currentText());
            dialog->findChild<QLineEdit*>("fileNameEdit")->setText("renamed");
            QTest::keyClick(dialog->findChild<QLineEdit*>("fileNameEdit"), Qt::Key_Return);
        });
        QVERIFY(editor.Run("FileSaveAsAction"));
        QVERIFY(errors.Messages.empty());
        QVERIFY(testsupport::ReadFileBytes(dir.File("renamed.d77")) == saved);
        QCOMPARE(editor.Form->windowTitle(), QString("Trackwell - renamed.d77"));
    }

    // The images are SVG files compiled into the program: without Qt's SVG icon engine, or with
    // a name that no file has, an icon is there but draws nothing.
    void imagesDrawAtToolbarSize() {
        testsupport::TempDir dir;
        const std::string path = dir.File("two.d88");
        testsupport::WriteFileBytes(path, TwoSamples());
        Editor editor(dir, {path});
        QVERIFY(!editor.Form->windowIcon().pixmap(16, 16).isNull());
        for (const char* name :
             {"FileNewAction", "FileOpenAction", "FileSaveAction", "FileAddNewAction",
              "FileSaveToSingleFileAction", "FileSaveToMultipleFilesAction", "EditUndoAction",
              "EditRedoAction", "ViewMoveUpAction", "ViewMoveDownAction",
              "PropertiesNameCopyAction", "PropertiesNamePasteAction", "PropertiesNameEnterAction",
              "PropertiesWriteProtectedToggleAction", "PropertiesSizeSumAction"})
            QVERIFY2(!editor.Action(name).icon().pixmap(16, 16).isNull(), name);

        const QAbstractItemModel& model = *editor.Form->ListView().model();
        auto rowImage = [&model] {
            return model.data(model.index(0, 0), Qt::DecorationRole)
                .value<QIcon>()
                .pixmap(16, 16)
                .toImage();
        };
        const QImage writable = rowImage();
        QVERIFY(editor.Run("EditSelectAllAction"));
        QVERIFY(editor.Run("PropertiesWriteProtectedSetToYesAction"));
        const QImage writeProtected = rowImage();
        QVERIFY(!writable.isNull() && !writeProtected.isNull());
        QVERIFY(writable != writeProtected);
    }

    void fileTypesMatchInAnyCase() {
        const QStringList filters = TranslateFileFilter("D88 disk images (*.d88)|*.d88|All|*.*");
        QCOMPARE(filters.size(), 2);
        QCOMPARE(filters[1], QString("All (*.*)"));
        // The dialog filters by the patterns in the last parentheses, each matched as Qt's
        // file system model matches them on Linux: case-sensitively.
        const QString patterns =
            QRegularExpression(R"(\(([^()]*)\)$)").match(filters[0]).captured(1);
        auto matches = [&patterns](const QString& name) {
            for (const QString& pattern : patterns.split(' '))
                if (QRegularExpression(QRegularExpression::wildcardToRegularExpression(pattern))
                        .match(name)
                        .hasMatch())
                    return true;
            return false;
        };
        QVERIFY(matches("game.d88") && matches("GAME.D88") && matches("Game.D88"));
        QVERIFY(!matches("game.d77"));
        // The first pattern is the extension a save dialog puts on a typed name.
        QVERIFY(patterns.startsWith("*.d88 "));
    }

    void copyAndPasteKeepTheNamesBytes() {
        testsupport::TempDir dir;
        // Bytes that code page 932 cannot decode, and a character with two codes (ED 40 and
        // FA 5C are both one kanji): text alone would change them.
        Bytes image = testsupport::SampleBytes(Cpm);
        const std::string odd = "\xA0\xFD\xED\x40X\t\x1B";
        std::copy(odd.begin(), odd.end(), image.begin());
        const std::string path = dir.File("odd.d88");
        testsupport::WriteFileBytes(path,
                                    testsupport::Concat({image, testsupport::SampleBytes(Fm77)}));
        Editor editor(dir, {path});
        uitest::ErrorRecorder errors;
        // Control bytes are drawn as their symbols.
        QVERIFY(editor.Cell(0, 0).endsWith(QString::fromUtf8("X\u2409\u241B")));

        editor.Form->FileHandler().SelectAll();
        editor.Settle();
        QVERIFY(editor.Run("PropertiesNameCopyAction"));
        QVERIFY(editor.Run("ViewReverseOrderAction"));
        QVERIFY(editor.Run("PropertiesNamePasteAction"));
        QVERIFY(errors.Messages.empty());
        // Pasted in row order onto the reversed rows: the names swapped, bytes intact.
        QCOMPARE(editor.Form->FileHandler().DiskImages(0).Name(), odd);
        QCOMPARE(editor.Form->FileHandler().DiskImages(1).Name(), std::string("D77IMG"));

        // Confirming the Enter dialog's proposal unchanged keeps the bytes too.
        editor.Form->FileHandler().ReverseSelection();
        editor.Settle();
        QCOMPARE(editor.SelectedRows(), std::vector<int>{});
        editor.Form->ListView().selectRow(0);
        editor.Settle();
        uitest::WhenModal([](QWidget* dialog) { uitest::ClickButton(dialog, "OK"); });
        QVERIFY(editor.Run("PropertiesNameEnterAction"));
        QVERIFY(errors.Messages.empty());
        QCOMPARE(editor.Form->FileHandler().DiskImages(0).Name(), odd);

        // Text that another program put there is encoded; what cannot be is refused.
        QGuiApplication::clipboard()->setText(QString::fromUtf8("\xF0\x9F\x98\x80"));
        editor.Settle();
        QVERIFY(editor.Run("PropertiesNamePasteAction"));
        QCOMPARE(errors.Messages, std::vector<std::string>{"The program cannot accept the value."});
    }

    void addBlankImageFromPreset() {
        testsupport::TempDir dir;
        std::ofstream(dir.File("Presets.dat"))
            << "\"PC-98 2HD 1.25 MB\",2HD,77,2,8,3\r\n\"PC-88 2D 320 KB\",2D,40,2,16,1\r\n";
        uitest::ErrorRecorder errors;
        Editor editor(dir);

        uitest::WhenModal([](QWidget* addNew) {
            uitest::WhenModal([](QWidget* presets) {
                auto* list = presets->findChild<QListWidget*>("ListBox11");
                const auto found = list->findItems("PC-98 2HD 1.25 MB", Qt::MatchExactly);
                QCOMPARE(found.size(), 1);
                list->setCurrentItem(found.front());
                uitest::ClickButton(presets, "OK");
            });
            uitest::ClickButton(addNew, "Presets...");
            uitest::ClickButton(addNew, "OK");
        });
        editor.Key(QKeySequence(Qt::Key_Insert));
        QVERIFY(errors.Messages.empty());
        QCOMPARE(editor.Rows(), 1);
        QCOMPARE(editor.Cell(0, 2), QString("2HD"));
        // 688 header bytes and 154 tracks of 8 sectors of 16 + 1024 bytes.
        QCOMPARE(editor.Cell(0, 3), QString("1,281,968 bytes"));
        QCOMPARE(editor.SelectedRows(), std::vector<int>{0});
        QCOMPARE(editor.Form->FileHandler().UndoName(), std::string("Add"));
    }

    void closeAsksAboutAModifiedDocument() {
        testsupport::TempDir dir;
        const std::string path = dir.File("one.d77");
        testsupport::WriteFileBytes(path, testsupport::SampleBytes(Fm77));
        uitest::ErrorRecorder errors;
        Editor editor(dir, {path});
        editor.Run("ViewRowSelectAction");
        QVERIFY(editor.Action("ViewRowSelectAction").isChecked());
        editor.Run("EditSelectAllAction");
        editor.Run("EditDuplicateAction");
        QCOMPARE(editor.Rows(), 2);

        QString asked;
        uitest::WhenModal([&asked](QWidget* box) {
            asked = uitest::MessageText(box);
            uitest::ClickButton(box, "Cancel");
        });
        QVERIFY(!editor.Form->close());
        QVERIFY(editor.Form->isVisible());
        QCOMPARE(asked, QString("The current document is modified.\r\n\r\nSave the document?"));
        QVERIFY(!testsupport::FileExists(dir.File("Settings.ini")));

        uitest::WhenModal([](QWidget* box) { uitest::ClickButton(box, "No"); });
        QVERIFY(editor.Form->close());
        // The cancel was the silent abort, which the display shows as nothing.
        QCOMPARE(errors.Messages, std::vector<std::string>{"(abort)"});
        // Nothing was saved to the document; the settings were written.
        QVERIFY(testsupport::ReadFileBytes(path) == testsupport::SampleBytes(Fm77));
        rtl::TMemIniFile settings(dir.File("Settings.ini"));
        QCOMPARE(settings.ReadBool("ViewHandler", "RowSelect", false), true);
        QCOMPARE(settings.ReadInteger("ViewHandler.Placement.ListView.Column:3", "Width", 0), 120);

        // The next run starts with them.
        Editor again(dir);
        QVERIFY(again.Form->ViewHandler().RowSelect());
        QVERIFY(again.Action("ViewRowSelectAction").isChecked());

        // Settings that cannot be written are reported, and the window closes all the same.
        testsupport::WriteFileBytes(dir.File("file"), {});
        Editor blocked(dir, {}, "file/Settings.ini");
        QVERIFY(blocked.Form->close());
        QCOMPARE(errors.Messages,
                 (std::vector<std::string>{"(abort)", "The program could not save the settings."}));
    }

    // File > Open Recent lists the file opened last, in the next run too, and opens it.
    void openRecentListsAndOpensTheLastFiles() {
        testsupport::TempDir dir;
        const std::string path = dir.File("one & two.d77");
        testsupport::WriteFileBytes(path, testsupport::SampleBytes(Fm77));
        {
            Editor editor(dir, {path});
            QVERIFY(editor.Form->close());
        }
        Editor again(dir);
        QCOMPARE(again.Rows(), 0);
        auto* menu = again.Form->findChild<QMenu*>("RecentMenu");
        QVERIFY(menu != nullptr);
        QMetaObject::invokeMethod(menu, "aboutToShow");
        const QList<QAction*> entries = menu->actions();
        QVERIFY(entries.size() >= 3);
        QCOMPARE(entries[0]->text(), "&1 " + QString::fromStdString(path).replace("&", "&&"));
        QCOMPARE(entries.last()->objectName(), QString("FileClearRecentAction"));
        entries[0]->trigger();
        uitest::Settle();
        QCOMPARE(again.Rows(), 1);
        QCOMPARE(again.Form->FileHandler().FileName(), path);
    }

    void droppedFilesOpenOrAdd() {
        testsupport::TempDir dir;
        testsupport::WriteFileBytes(dir.File("two.d88"), TwoSamples());
        testsupport::WriteFileBytes(dir.File("one.d77"), testsupport::SampleBytes(Fm77));
        uitest::ErrorRecorder errors;
        Editor editor(dir);
        auto drop = [&](const QList<QUrl>& urls) {
            QMimeData data;
            data.setUrls(urls);
            const QPointF at(20, 20);
            QDragEnterEvent enter(at.toPoint(), Qt::CopyAction, &data, Qt::LeftButton, {});
            QApplication::sendEvent(editor.Form.get(), &enter);
            QDropEvent dropped(at, Qt::CopyAction, &data, Qt::LeftButton, {});
            QApplication::sendEvent(editor.Form.get(), &dropped);
            editor.Settle();
            return enter.isAccepted() && dropped.isAccepted();
        };
        const QUrl web("https://example.org/game.d88");
        QVERIFY(!drop({web}));
        QCOMPARE(editor.Rows(), 0);
        // One file on an untouched window opens it; links that are no local files are left out.
        QVERIFY(drop({QUrl::fromLocalFile(QString::fromStdString(dir.File("two.d88"))), web}));
        QCOMPARE(editor.Rows(), 2);
        QCOMPARE(editor.Form->windowTitle(), QString("Trackwell - two.d88"));
        QVERIFY(drop({QUrl::fromLocalFile(QString::fromStdString(dir.File("one.d77")))}));
        QCOMPARE(editor.Rows(), 3);
        QCOMPARE(editor.Form->FileHandler().UndoName(), std::string("Add"));
        // A failure reaches the error display, and the drop is still taken.
        QVERIFY(drop({QUrl::fromLocalFile(QString::fromStdString(dir.File("missing.d88")))}));
        QCOMPARE(errors.Messages,
                 std::vector<std::string>{"The program could not get the long form of the path."});
        QCOMPARE(editor.Rows(), 3);

        // The editor's own box puts the system's reason beneath the message.
        rtl::SetExceptionHandler(&ShowException);
        QStringList shown;
        const auto dropShown = [&](const std::string& path) {
            uitest::WhenModal([&shown](QWidget* box) {
                shown << uitest::MessageText(box);
                uitest::ClickButton(box, "OK");
            });
            QVERIFY(drop({QUrl::fromLocalFile(QString::fromStdString(path))}));
        };
        dropShown(dir.File("missing.d88"));
        const std::string folder = GetLongPath(dir.Path());
        dropShown(folder);
        QCOMPARE(shown,
                 QStringList({QString::fromStdString(
                                  "The program could not get the long form of the path.\n"
                                  "No such file or directory: " +
                                  dir.File("missing.d88")),
                              QString::fromStdString("The program could not load the disk images.\n"
                                                     "Is a directory: " +
                                                     folder)}));
        QCOMPARE(editor.Rows(), 3);
    }

    // What a new collector meets first: a container in which another program filled a name's
    // whole field, empty and damaged dumps named on the command line or dropped, and Redo by the
    // key Linux desktops give it.
    void refusedDumpsLeaveTheDocumentAndFullNamesShow() {
        testsupport::TempDir dir;
        const std::string multi = dir.File("multi.d88");
        testsupport::WriteFileBytes(
            multi,
            testsupport::Concat({testsupport::SampleBytes(Cpm), testsupport::SampleBytes(Fm77),
                                 testsupport::SampleBytes("hubasic-2d-17-byte-name.d88")}));
        testsupport::WriteFileBytes(dir.File("e.hdm"), {});
        // An FDI header that promises one byte more than the file holds.
        Bytes fdi(4096);
        const uint32_t fields[] = {0, 0x90, 4096, 1261568, 1024, 8, 2, 77};
        for (size_t i = 0; i < 8; ++i)
            testsupport::PutLe(fdi, 4 * i, fields[i], 4);
        fdi.resize(4096 + 1261568 - 1, 0xE5);
        testsupport::WriteFileBytes(dir.File("cut.fdi"), fdi);
        uitest::ErrorRecorder errors;
        {
            Editor refused(dir, {dir.File("e.hdm")});
            QCOMPARE(errors.Messages, std::vector<std::string>{
                                          "The program does not support disk images of 0 bytes."});
            QCOMPARE(refused.Rows(), 0);
            QVERIFY(!refused.Form->FileHandler().HasFileName());
        }
        errors.Messages.clear();

        Editor editor(dir, {multi});
        QCOMPARE(editor.Rows(), 3);
        QCOMPARE(editor.Cell(2, 0), QString("by_github_ORYZAPA"));
        QCOMPARE(editor.Form->windowTitle(), QString("Trackwell - multi.d88"));
        auto& drop = static_cast<TFileDropFilesAction&>(editor.Action("FileDropFilesAction"));
        for (const char* name : {"e.hdm", "cut.fdi"}) {
            drop.Files = {dir.File(name)};
            drop.trigger();
            editor.Settle();
        }
        QCOMPARE(errors.Messages,
                 (std::vector<std::string>{"The program does not support disk images of 0 bytes.",
                                           "The data is not a valid disk image."}));
        QCOMPARE(editor.Rows(), 3);
        QVERIFY(!editor.Form->FileHandler().IsModified());

        // Delete, undo, and Redo by Ctrl+Shift+Z as well as by Ctrl+Y.
        QTableView& view = editor.Form->ListView();
        QTest::mouseClick(view.viewport(), Qt::LeftButton, {},
                          view.visualRect(view.model()->index(0, 0)).center());
        editor.Settle();
        QCOMPARE(editor.SelectedRows(), std::vector<int>{0});
        editor.Key(QKeySequence(Qt::Key_Delete));
        QCOMPARE(editor.Rows(), 2);
        editor.Key(QKeySequence(Qt::CTRL | Qt::Key_Z));
        QCOMPARE(editor.Rows(), 3);
        editor.Key(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z));
        QCOMPARE(editor.Rows(), 2);
        editor.Key(QKeySequence(Qt::CTRL | Qt::Key_Z));
        editor.Key(QKeySequence(Qt::CTRL | Qt::Key_Y));
        QCOMPARE(editor.Rows(), 2);
        QCOMPARE(editor.Cell(1, 0), QString("by_github_ORYZAPA"));
        QCOMPARE(errors.Messages.size(), size_t{2});
    }

    void identifyFromTheEditMenu() {
        testsupport::TempDir dir;
        const std::string path = dir.File("two.d88");
        testsupport::WriteFileBytes(path, TwoSamples());
        // MAME's lists left out, so that no image is known on any machine.
        rtl::TMemIniFile settings(dir.File("Settings.ini"));
        settings.WriteString("SoftwareLists", "MameFolder", "");
        settings.UpdateFile();
        uitest::ErrorRecorder errors;
        Editor editor(dir);
        QMenu* edit = editor.Form->menuBar()->actions()[1]->menu();
        QStringList entries;
        for (const QAction* entry : edit->actions())
            entries << entry->objectName();
        QCOMPARE(entries.mid(entries.indexOf("EditCheckAction")),
                 QStringList({"EditCheckAction", "EditIdentifyAction",
                              "EditNameFromIdentificationAction", "", "EditSoftwareListsAction"}));
        auto enabled = [&editor] {
            QString flags;
            for (const char* name : {"EditIdentifyAction", "EditNameFromIdentificationAction",
                                     "EditSoftwareListsAction"})
                flags += editor.Action(name).isEnabled() ? '1' : '0';
            return flags;
        };
        QCOMPARE(enabled(), QString("001"));
        editor.Form->FileHandler().OpenFile(path);
        editor.Settle();
        QVERIFY(editor.Run("EditSelectAllAction") && editor.Run("EditReverseSelectionAction"));
        QCOMPARE(enabled(), QString("101"));

        // Opening the menu starts reading the lists, which Identify then waits for.
        edit->popup(QPoint(0, 0));
        edit->hide();
        QStringList lines;
        uitest::WhenModal([&](QWidget* dialog) {
            lines << QString::number(editor.SelectedRows().size());
            auto* list = dialog->findChild<QTreeWidget*>("FindingList");
            for (int i = 0; i < list->topLevelItemCount(); ++i)
                lines << list->topLevelItem(i)->text(0) + "|" + list->topLevelItem(i)->text(1);
            QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                              list->visualItemRect(list->topLevelItem(1)).center());
            dialog->close();
        });
        QVERIFY(editor.Run("EditIdentifyAction"));
        QCOMPARE(lines, QStringList({"0", "1|(not identified)", "2|(not identified)"}));
        QCOMPARE(editor.SelectedRows(), std::vector<int>{1});
        QCOMPARE(enabled(), QString("111"));

        const std::string mine = dir.File("mine.dat");
        uitest::WhenModal([&mine](QWidget* dialog) {
            static_cast<TAppSoftwareListsDialog*>(dialog)->AddPaths({QString::fromStdString(mine)});
            uitest::ClickButton(dialog, "OK");
        });
        QVERIFY(editor.Run("EditSoftwareListsAction"));
        QCOMPARE(editor.Form->IdentifyHandler().SoftwareLists(), std::vector<std::string>{mine});
        QVERIFY(errors.Messages.empty());
    }

    // File > Audit Folder reads a folder's containers with its progress shown, leaves the report
    // beside the window, and a line opened from it opens its container with the image selected.
    void auditFolderFromTheFileMenu() {
        testsupport::TempDir dir;
        const Bytes cpm = testsupport::SampleBytes(Cpm);
        const std::unique_ptr<rtl::THash> crc = rtl::NewHash(rtl::THashAlgorithm::Crc32);
        crc->Update(cpm.data(), cpm.size());
        const std::string list = dir.File("mine.dat");
        testsupport::WriteFileText(list, "<datafile><game name=\"cpm\"><description>CP/M "
                                         "Disk</description><rom name=\"cpm.d88\" size=\"" +
                                             std::to_string(cpm.size()) + "\" crc=\"" +
                                             crc->HexDigest() + "\"/></game></datafile>");
        rtl::TMemIniFile settings(dir.File("Settings.ini"));
        settings.WriteString("SoftwareLists", "MameFolder", "");
        settings.WriteInteger("SoftwareLists", "Count", 1);
        settings.WriteString("SoftwareLists", "List1", list);
        settings.UpdateFile();
        const std::string root = dir.File("collection");
        std::filesystem::create_directories(root + "/sub");
        testsupport::WriteFileBytes(root + "/sub/two.d88", TwoSamples());
        uitest::ErrorRecorder errors;
        Editor editor(dir);
        QVERIFY(editor.Form->menuBar()->actions()[0]->menu()->actions().contains(
            &editor.Action("FileAuditFolderAction")));

        uitest::WhenModal([&root](QWidget* folders) {
            auto* name = folders->findChild<QLineEdit*>("fileNameEdit");
            name->setText(QString::fromStdString(root));
            QTest::keyClick(name, Qt::Key_Return);
        });
        QVERIFY(editor.Run("FileAuditFolderAction"));
        auto* report = editor.Form->findChild<QDialog*>("AuditDialog");
        QVERIFY(report != nullptr && report->isVisible());
        QCOMPARE(report->findChild<QLabel*>("SummaryLabel")->text(),
                 QString("1 files, 2 images: 1 titles complete, 0 incomplete (0 disks missing), 0 "
                         "duplicates, 1 unknown, 0 unreadable."));
        auto* table = report->findChild<QTableView*>("AuditTable");
        QStringList lines;
        for (int row = 0; row < table->model()->rowCount(); ++row)
            lines << table->model()->index(row, 0).data().toString() + "|" +
                         table->model()->index(row, 4).data().toString();
        QCOMPARE(lines, QStringList({"Complete|sub/two.d88:2", "Unknown|sub/two.d88:1"}));
        QVERIFY(!report->findChild<QPushButton*>("SaveMissingButton")->isEnabled());

        // Enter on a line opens its container behind the report, the image selected.
        QVERIFY(uitest::GiveKeyboard(report));
        QTest::keyClick(table, Qt::Key_Return);
        QVERIFY(uitest::Settle());
        QCOMPARE(editor.Form->FileHandler().FileName(), root + "/sub/two.d88");
        QCOMPARE(editor.SelectedRows(), std::vector<int>{1});
        QTest::keyClick(table, Qt::Key_Down);
        QTest::keyClick(table, Qt::Key_Return);
        QVERIFY(uitest::Settle());
        QCOMPARE(editor.SelectedRows(), std::vector<int>{0});
        QVERIFY(report->isVisible());
        QVERIFY(errors.Messages.empty());
        report->close();
    }

    // F7 shows the focused image's tracks and sectors; bytes typed over a sector become one
    // step when the keys move on to the next sector, and Undo gives the image back exactly.
    void sectorsViewEditsASectorAsOneStep() {
        testsupport::TempDir dir;
        const Bytes blank = testsupport::FormattedImage(0x00, 4, 2, 16, 1, 0x00);
        const std::string path = dir.File("blank.d88");
        // The second image's entry 2 (track 1 side 0) has sector 1's ID twice.
        Bytes repeated = blank;
        repeated[688 + 2 * 16 * (16 + 256) + (16 + 256) + 2] = 1;
        testsupport::WriteFileBytes(path, testsupport::Concat({blank, repeated}));
        uitest::ErrorRecorder errors;
        Editor editor(dir, {path});
        QCOMPARE(editor.Rows(), 2);
        editor.Form->ListViewShell().SetFocused(0, true);
        editor.Key(QKeySequence(Qt::Key_F7));
        TAppSectorsView& view = editor.Form->SectorsView();
        QVERIFY(view.isVisible());
        QVERIFY(editor.Action("ViewSectorsAction").isChecked());
        auto* tracks = view.findChild<QTreeWidget*>("TrackList");
        auto* sectors = view.findChild<QTreeWidget*>("SectorList");
        auto* hex = view.findChild<TAppHexView*>("HexView");
        QCOMPARE(tracks->topLevelItemCount(), 8);
        QCOMPARE(tracks->topLevelItem(3)->text(1), QString("track 1 side 1"));
        QCOMPARE(sectors->topLevelItemCount(), 16);
        QCOMPARE(sectors->topLevelItem(2)->text(3), QString("3"));
        QCOMPARE(hex->Bytes().size(), 256);
        QVERIFY(hex->IsEditable());

        QVERIFY(uitest::GiveKeyboard(&view));
        hex->setFocus(Qt::OtherFocusReason);
        QTest::keyClicks(hex, "4a2");
        QVERIFY(hex->IsModified());
        QTest::keySequence(hex, QKeySequence(Qt::CTRL | Qt::Key_PageDown));
        QVERIFY(uitest::Settle());
        QCOMPARE(sectors->currentItem()->text(0), QString("2"));
        QCOMPARE(editor.Form->FileHandler().UndoName(), std::string("Edit sector"));
        const std::span<const uint8_t> edited = editor.Form->FileHandler().DiskImages(0).Bytes();
        for (size_t i = 0; i < edited.size(); ++i)
            QCOMPARE(edited[i], i == 688 + 16   ? uint8_t{0x4A}
                                : i == 689 + 16 ? uint8_t{0x20}
                                                : blank[i]);
        QVERIFY(std::ranges::equal(editor.Form->FileHandler().DiskImages(1).Bytes(), repeated));

        QVERIFY(editor.Run("EditUndoAction"));
        QVERIFY(std::ranges::equal(editor.Form->FileHandler().DiskImages(0).Bytes(), blank));
        // The window stays where it was, showing the bytes as they are again.
        QCOMPARE(sectors->currentItem()->text(0), QString("2"));
        QTest::keySequence(hex, QKeySequence(Qt::CTRL | Qt::Key_PageUp));
        QVERIFY(uitest::Settle());
        QCOMPARE(hex->Bytes(), QByteArray(256, '\0'));

        // Go To by a sector ID, and on to the next track by keys.
        uitest::WhenModal([](QWidget* ask) {
            auto* line = ask->findChild<QLineEdit*>();
            line->setText("1/1/16");
            QTest::keyClick(line, Qt::Key_Return);
        });
        QTest::keySequence(hex, QKeySequence(Qt::CTRL | Qt::Key_G));
        QVERIFY(uitest::Settle());
        QCOMPARE(tracks->currentItem()->text(0), QString("3"));
        QCOMPARE(sectors->currentItem()->text(0), QString("16"));
        QVERIFY(uitest::GiveKeyboard(&view));
        QTest::keySequence(hex, QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_PageDown));
        QVERIFY(uitest::Settle());
        QCOMPARE(tracks->currentItem()->text(0), QString("4"));

        // The other image's track shows what the check says of it.
        QCOMPARE(tracks->topLevelItem(2)->text(4), QString());
        editor.Form->ListViewShell().SetFocused(1, true);
        QVERIFY(uitest::Settle());
        QCOMPARE(view.findChild<QLabel*>("ImageLabel")->text(), QString("Disk image 2"));
        QCOMPARE(tracks->topLevelItem(2)->text(4),
                 QString("repeated ID, Track 1 side 0 has the sector ID C=1 H=0 R=1 N=1 more than "
                         "once."));
        editor.Form->ListViewShell().SetFocused(0, true);
        QVERIFY(uitest::Settle());
        // A write-protected image is shown and not edited.
        editor.Form->FileHandler().WriteProtectedToggle();
        QVERIFY(uitest::Settle());
        QVERIFY(!hex->IsEditable());
        QCOMPARE(view.findChild<QLabel*>("DamageLabel")->text(),
                 QString("The disk image 1 is write-protected; clear its write protection to "
                         "change its sectors."));
        QVERIFY(errors.Messages.empty());
        view.close();
        QVERIFY(uitest::Settle());
        QVERIFY(!editor.Action("ViewSectorsAction").isChecked());
    }

    void aCommandTouchesQtAConstantNumberOfTimes() {
        testsupport::TempDir dir;
        Editor editor(dir);
        TFileHandler& file = editor.Form->FileHandler();
        TDiskImageList images(true);
        for (int i = 0; i < 2000; ++i)
            images.Add(std::make_unique<TDiskImage>());
        images.SaveToFile(dir.File("many.d88"));
        file.OpenFile(dir.File("many.d88"));
        editor.Settle();
        QCOMPARE(editor.Rows(), 2000);

        const QAbstractItemModel& model = *editor.Form->ListView().model();
        QSignalSpy removed(&model, &QAbstractItemModel::rowsRemoved);
        QSignalSpy inserted(&model, &QAbstractItemModel::rowsInserted);
        QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);
        const int flushes = editor.Form->ListControl().FlushCount();
        auto perCommand = [&](const char* name, int commands) {
            QVERIFY2(editor.Run(name), name);
            QVERIFY2(editor.Form->ListControl().FlushCount() - flushes <= 2 * commands, name);
            QVERIFY2(removed.size() + inserted.size() <= commands, name);
            QVERIFY2(changed.size() <= commands, name);
        };
        perCommand("EditSelectAllAction", 1);
        perCommand("EditDeleteAction", 2);
        QCOMPARE(editor.Rows(), 0);
        perCommand("EditUndoAction", 3);
        QCOMPARE(editor.Rows(), 2000);
        QCOMPARE(static_cast<int>(editor.SelectedRows().size()), 2000);
        perCommand("ViewReverseOrderAction", 4);
        perCommand("ViewSortByNameAction", 5);
        perCommand("PropertiesWriteProtectedToggleAction", 6);
        QCOMPARE(editor.Cell(1999, 1), QString("Yes"));
    }
};

QTEST_MAIN(MainFormTest)
#include "App_mainform_test.moc"
