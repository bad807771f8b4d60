// The Files panel driven as a user drives it: a FAT12 disk made by mkfs.fat and mtools, its files
// listed, deleted, renamed, dragged out and dropped in by actions, keys and drag events, each
// change one undoable step of the document.
#include "App_FilesPanel.h"
#include "App_actions.h"
#include "App_diskimages.h"
#include "App_filesystems.h"
#include "App_mainform.h"
#include "TestSupport.h"
#include "UiTestSupport.h"
#include "Vix_listviews_qt.h"

#include <QAbstractItemModelTester>
#include <QApplication>
#include <QDir>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QMimeData>
#include <QProcess>
#include <QStandardPaths>
#include <QTest>
#include <QUrl>

#include <memory>
#include <source_location>

using testsupport::Bytes;

namespace {

const std::string Hello = "Hello, world\r\n";

Bytes DataBytes() {
    Bytes data(3000);
    for (size_t i = 0; i < data.size(); ++i)
        data[i] = static_cast<uint8_t>(i * 7 + i / 251);
    return data;
}

// Runs one of dosfstools' or mtools' programs; false when it is missing or fails.
bool RunTool(const char* name, const QStringList& arguments) {
    QString program = QStandardPaths::findExecutable(name);
    if (program.isEmpty())
        program = QStandardPaths::findExecutable(name, {"/usr/sbin", "/sbin"});
    if (program.isEmpty())
        return false;
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    // A PC-98 geometry is no PC's: mtools would refuse it.
    environment.insert("MTOOLS_SKIP_CHECK", "1");
    process.setProcessEnvironment(environment);
    process.start(program, arguments);
    return process.waitForFinished(uitest::TimeoutMs) &&
           process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
}

// A document of a PC-98 2HD FAT12 disk holding HELLO.TXT, DATA.BIN and SUB/INNER.TXT, then the
// FM77AV sample; empty when the tools are missing or the program reads no FAT12 yet.
std::string FatDocument(const testsupport::TempDir& dir) {
    const QString image = QString::fromStdString(dir.File("fat.hdm"));
    testsupport::WriteFileText(dir.File("hello.txt"), Hello);
    testsupport::WriteFileBytes(dir.File("data.bin"), DataBytes());
    testsupport::WriteFileText(dir.File("inner.txt"), "inner");
    const auto local = [&dir](const char* name) { return QString::fromStdString(dir.File(name)); };
    if (!RunTool("mkfs.fat", {"-C", image, "-S", "1024", "-g", "2/8", "-f", "2", "-r", "192", "-s",
                              "1", "-R", "1", "-M", "0xFE", "1232"}) ||
        !RunTool("mcopy", {"-i", image, local("hello.txt"), "::HELLO.TXT"}) ||
        !RunTool("mcopy", {"-i", image, local("data.bin"), "::DATA.BIN"}) ||
        !RunTool("mmd", {"-i", image, "::SUB"}) ||
        !RunTool("mcopy", {"-i", image, local("inner.txt"), "::SUB/INNER.TXT"}))
        return {};
    TDiskImageList images;
    images.Add(std::make_unique<TDiskImage>(TDiskFormat{DiskType2HD, 77, 2, 8, 3},
                                            testsupport::ReadFileBytes(image.toStdString())));
    if (!OpenFileSystem(images[0]->Bytes()))
        return {};
    const std::string path = dir.File("fat.d88");
    images.SaveToFile(path);
    testsupport::WriteFileBytes(path,
                                testsupport::Concat({testsupport::ReadFileBytes(path),
                                                     testsupport::SampleBytes("fm77av-demo.d77")}));
    return path;
}

class Editor {
public:
    Editor(const testsupport::TempDir& dir, std::vector<std::string> files) {
        TAppMainForm::TOptions options;
        options.Files = std::move(files);
        options.SettingsFileName = dir.File("Settings.ini");
        options.PresetsFileName = dir.File("Presets.dat");
        Form = std::make_unique<TAppMainForm>(std::move(options));
        Form->show();
        QVERIFY(QTest::qWaitForWindowExposed(Form.get()));
        QVERIFY(uitest::GiveKeyboard(Form.get()));
        QVERIFY(uitest::Settle());
    }
    ~Editor() {
        if (Form && Form->isVisible() && Form->FileHandler().IsModified()) {
            uitest::WhenModal([](QWidget* box) { uitest::ClickButton(box, "No"); });
            Form->close();
        }
    }

    TAction& Action(const char* name) const { return *Form->Action(name); }
    bool Run(const char* name) {
        TAction& action = Action(name);
        const bool enabled = action.isEnabled();
        action.trigger();
        uitest::Settle();
        return enabled;
    }
    QTableView& Files() const { return Form->FilesPanel().View(); }
    // A key pressed where the keyboard is, as the user presses it: shortcuts included.
    void Key(QKeySequence key, std::source_location where = std::source_location::current()) {
        uitest::GiveKeyboard(Form.get(), where);
        QTest::keySequence(QApplication::focusWidget(), key);
        uitest::Settle(where);
    }
    QStringList Column(int column) const {
        QStringList texts;
        const QAbstractItemModel& model = *Files().model();
        for (int row = 0; row < model.rowCount(); ++row)
            texts << model.data(model.index(row, column)).toString();
        return texts;
    }
    void ClickFile(const QString& name) {
        const int row = static_cast<int>(Column(0).indexOf(name));
        QVERIFY2(row >= 0, qPrintable(name));
        QTest::mouseClick(Files().viewport(), Qt::LeftButton, {},
                          Files().visualRect(Files().model()->index(row, 0)).center());
        uitest::Settle();
    }
    Bytes ImageBytes() const {
        const auto bytes = Form->FileHandler().DiskImages(0).Bytes();
        return {bytes.begin(), bytes.end()};
    }

    std::unique_ptr<TAppMainForm> Form;
};

} // namespace

class FilesPanelTest : public QObject {
    Q_OBJECT

private slots:
    void cleanup() { QDir::setCurrent(QDir::tempPath()); }

    void filesAreListedChangedAndUndone() {
        testsupport::TempDir dir;
        const std::string path = FatDocument(dir);
        if (path.empty())
            QSKIP("mkfs.fat or mtools is missing, or the program reads no FAT12 disk yet");
        uitest::ErrorRecorder errors;
        Editor editor(dir, {path});
        QTableView& list = editor.Form->ListView();
        QTest::mouseClick(list.viewport(), Qt::LeftButton, {},
                          list.visualRect(list.model()->index(0, 0)).center());
        uitest::Settle();

        // Hidden until View > Files; then the disk's root in its own order, sizes in bytes.
        QVERIFY(editor.Form->FilesPanel().isHidden());
        QCOMPARE(editor.Form->FilesStatusText(), QString());
        QVERIFY(editor.Run("ViewFilesAction"));
        QVERIFY(editor.Files().isVisible());
        QVERIFY(editor.Action("ViewFilesAction").isChecked());
        QAbstractItemModelTester tester(editor.Files().model());
        QCOMPARE(editor.Column(0), QStringList({"HELLO.TXT", "DATA.BIN", "SUB"}));
        QCOMPARE(editor.Column(1), QStringList({QString::number(Hello.size()), "3,000", ""}));
        QCOMPARE(editor.Column(2).last(), QString("folder"));
        QVERIFY2(editor.Form->FilesStatusText().startsWith("FAT12, "),
                 qPrintable(editor.Form->FilesStatusText()));
        QVERIFY(!editor.Action("FilesDeleteAction").isEnabled());

        // Delete, undo to the very bytes, redo.
        const Bytes original = editor.ImageBytes();
        editor.ClickFile("DATA.BIN");
        QVERIFY(editor.Run("FilesDeleteAction"));
        QCOMPARE(editor.Column(0), QStringList({"HELLO.TXT", "SUB"}));
        QCOMPARE(editor.Action("EditUndoAction").text(), QString("&Undo - Delete files"));
        QCOMPARE(editor.Form->FileHandler().DiskImageCount(), 2);
        QVERIFY(editor.Run("EditUndoAction"));
        QVERIFY(editor.ImageBytes() == original);
        QCOMPARE(editor.Column(0), QStringList({"HELLO.TXT", "DATA.BIN", "SUB"}));
        QVERIFY(editor.Run("EditRedoAction"));
        QCOMPARE(editor.Column(0), QStringList({"HELLO.TXT", "SUB"}));

        // Rename through the Enter dialog, by the panel's F2. A refresh that runs meanwhile (the
        // name copied to the clipboard) leaves the file the command is renaming as it was.
        editor.ClickFile("HELLO.TXT");
        uitest::WhenModal([](QWidget* dialog) {
            auto* edit = dialog->findChild<QLineEdit*>("ValueEdit");
            QCOMPARE(edit->text(), QString("HELLO.TXT"));
            edit->selectAll();
            edit->copy();
            uitest::Settle();
            edit->setText("WORLD.TXT");
            uitest::ClickButton(dialog, "OK");
        });
        editor.Key(QKeySequence(Qt::Key_F2));
        QVERIFY(uitest::ModalAnswered());
        QCOMPARE(editor.Column(0), QStringList({"WORLD.TXT", "SUB"}));
        QCOMPARE(editor.Form->FileHandler().UndoName(), std::string("Rename file"));
        // The image's name is not what F2 changed.
        QCOMPARE(editor.Form->FileHandler().DiskImages(0).Name(), std::string());

        // Dragged out: the file as it is on the disk, in a folder of the panel's own.
        std::unique_ptr<QMimeData> dragged = editor.Form->FilesPanel().NewDragData();
        QVERIFY(dragged);
        QCOMPARE(dragged->urls().size(), 1);
        QCOMPARE(dragged->urls()[0].fileName(), QString("WORLD.TXT"));
        QCOMPARE(testsupport::ReadFileText(dragged->urls()[0].toLocalFile().toStdString()), Hello);

        // Dropped in: added to the folder shown as one step; the images stay as they are.
        testsupport::WriteFileText(dir.File("NEW.TXT"), "new");
        QMimeData data;
        data.setUrls({QUrl::fromLocalFile(QString::fromStdString(dir.File("NEW.TXT")))});
        QWidget* viewport = editor.Files().viewport();
        const QPoint at = viewport->rect().center();
        QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, {});
        QApplication::sendEvent(viewport, &enter);
        QDragMoveEvent move(at, Qt::CopyAction, &data, Qt::LeftButton, {});
        QApplication::sendEvent(viewport, &move);
        QVERIFY(move.isAccepted());
        QDropEvent drop(at, Qt::CopyAction, &data, Qt::LeftButton, {});
        QApplication::sendEvent(viewport, &drop);
        uitest::Settle();
        QVERIFY(drop.isAccepted());
        QVERIFY(editor.Column(0).contains("NEW.TXT"));
        QCOMPARE(editor.Form->FileHandler().UndoName(), std::string("Add file"));
        QCOMPARE(editor.Form->FileHandler().DiskImageCount(), 2);
        QCOMPARE(errors.Messages, std::vector<std::string>{});
    }

    void theKeysOfThePanelActOnFiles() {
        testsupport::TempDir dir;
        const std::string path = FatDocument(dir);
        if (path.empty())
            QSKIP("mkfs.fat or mtools is missing, or the program reads no FAT12 disk yet");
        uitest::ErrorRecorder errors;
        Editor editor(dir, {path});
        QTableView& list = editor.Form->ListView();
        QTest::mouseClick(list.viewport(), Qt::LeftButton, {},
                          list.visualRect(list.model()->index(0, 0)).center());
        editor.Key(QKeySequence(Qt::Key_F8));
        QVERIFY(editor.Files().isVisible());
        QCOMPARE(editor.Form->ListViewShell().GetSelectedIndices(), std::vector<int>{0});

        // Tab reaches the files; Down selects the second; Delete deletes it and no image.
        editor.Key(QKeySequence(Qt::Key_Tab));
        QCOMPARE(QApplication::focusWidget(), &editor.Files());
        editor.Key(QKeySequence(Qt::Key_Down));
        QCOMPARE(editor.Form->FilesPanel().SelectedEntries(), std::vector<int>{1});
        editor.Key(QKeySequence(Qt::Key_Delete));
        QCOMPARE(editor.Form->FileHandler().DiskImageCount(), 2);
        QCOMPARE(editor.Column(0), QStringList({"HELLO.TXT", "SUB"}));
        QCOMPARE(editor.Form->FileHandler().UndoName(), std::string("Delete files"));

        // Insert adds files there, through a file dialog, not an image.
        testsupport::WriteFileText(dir.File("ADDED.TXT"), "added");
        QString title;
        uitest::WhenModal([&](QWidget* dialog) {
            title = dialog->windowTitle();
            auto* name = dialog->findChild<QLineEdit*>("fileNameEdit");
            name->setText(QString::fromStdString(dir.File("ADDED.TXT")));
            QTest::keyClick(name, Qt::Key_Return);
        });
        editor.Key(QKeySequence(Qt::Key_Insert));
        QCOMPARE(title, QString("Add Files"));
        QStringList names = editor.Column(0);
        names.sort();
        QCOMPARE(names, QStringList({"ADDED.TXT", "HELLO.TXT", "SUB"}));
        QCOMPARE(editor.Form->FileHandler().DiskImageCount(), 2);

        // Ctrl+A selects the files, not the images.
        editor.Key(QKeySequence::SelectAll);
        QCOMPARE(editor.Form->FilesPanel().SelectedEntries(), (std::vector<int>{0, 1, 2}));
        QCOMPARE(editor.Form->ListViewShell().GetSelectedIndices(), std::vector<int>{0});

        // Enter opens a folder, which starts with ".."; Backspace goes back to the folder left.
        // Typing a name's first letter goes to it.
        editor.Key(QKeySequence(Qt::Key_S));
        editor.Key(QKeySequence(Qt::Key_Return));
        QCOMPARE(editor.Column(0), QStringList({"..", "INNER.TXT"}));
        QCOMPARE(editor.Form->FilesPanel().findChild<QLabel*>("FilesFolderLabel")->text(),
                 QString("/SUB"));
        editor.Key(QKeySequence(Qt::Key_Backspace));
        QCOMPARE(editor.Column(0).size(), 3);
        QCOMPARE(editor.Column(0).value(editor.Files().currentIndex().row()), QString("SUB"));
        // Alt+Up does the same, as in file managers, and moves no image.
        editor.Key(QKeySequence(Qt::Key_Return));
        QCOMPARE(editor.Column(0), QStringList({"..", "INNER.TXT"}));
        editor.Key(QKeySequence(Qt::ALT | Qt::Key_Up));
        QCOMPARE(editor.Column(0).size(), 3);
        QVERIFY(editor.Form->FileHandler().UndoName() != "Move up");
        QCOMPARE(editor.Form->ListViewShell().GetSelectedIndices(), std::vector<int>{0});

        // On a write-protected image the keys that would change the files say why, and the
        // status bar says so beforehand.
        QVERIFY(editor.Run("PropertiesWriteProtectedToggleAction"));
        editor.Files().setFocus();
        QVERIFY2(editor.Form->FilesStatusText().endsWith("(write-protected image)"),
                 qPrintable(editor.Form->FilesStatusText()));
        editor.Key(QKeySequence(Qt::Key_Delete));
        QCOMPARE(errors.Messages.size(), size_t{1});
        QVERIFY2(errors.Messages[0].find("is write-protected; clear its write protection") !=
                     std::string::npos,
                 errors.Messages[0].c_str());
        errors.Messages.clear();
        QVERIFY(editor.Run("EditUndoAction"));
        editor.Files().setFocus();

        // Shift+Tab goes back to the images, where Delete deletes the image.
        editor.Key(QKeySequence(Qt::SHIFT | Qt::Key_Tab));
        QCOMPARE(QApplication::focusWidget(), &list);
        editor.Key(QKeySequence(Qt::Key_Delete));
        QCOMPARE(editor.Form->FileHandler().DiskImageCount(), 1);
        QVERIFY(errors.Messages.empty());
    }

    // Ctrl+Shift+N makes a folder and selects it; Delete on a folder that holds anything asks
    // first, and No leaves it.
    void aFolderIsMadeByKeyAndAFullOneDeletedOnlyWhenConfirmed() {
        testsupport::TempDir dir;
        const std::string path = FatDocument(dir);
        if (path.empty())
            QSKIP("mkfs.fat or mtools is missing, or the program reads no FAT12 disk yet");
        uitest::ErrorRecorder errors;
        Editor editor(dir, {path});
        QTableView& list = editor.Form->ListView();
        QTest::mouseClick(list.viewport(), Qt::LeftButton, {},
                          list.visualRect(list.model()->index(0, 0)).center());
        editor.Key(QKeySequence(Qt::Key_F8));
        editor.Key(QKeySequence(Qt::Key_Tab));
        QCOMPARE(QApplication::focusWidget(), &editor.Files());

        QString proposed;
        uitest::WhenModal([&](QWidget* dialog) {
            auto* name = dialog->findChild<QLineEdit*>();
            proposed = name->text();
            name->setText("games");
            QTest::keyClick(name, Qt::Key_Return);
        });
        editor.Key(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_N));
        QCOMPARE(proposed, QString("FOLDER"));
        QCOMPARE(editor.Column(0), QStringList({"HELLO.TXT", "DATA.BIN", "SUB", "GAMES"}));
        QCOMPARE(editor.Form->FilesPanel().SelectedEntries(), std::vector<int>{3});
        QCOMPARE(editor.Files().currentIndex().row(), 3);
        QCOMPARE(editor.Form->FileHandler().UndoName(), std::string("New folder"));

        editor.ClickFile("SUB");
        QString question;
        uitest::WhenModal([&](QWidget* box) {
            question = box->findChild<QLabel*>("qt_msgbox_label")->text();
            uitest::ClickButton(box, "No");
        });
        editor.Key(QKeySequence(Qt::Key_Delete));
        QCOMPARE(question,
                 QString("The folder \"SUB\" is not empty. Delete it with everything it holds?"));
        QCOMPARE(editor.Column(0).size(), 4);
        uitest::WhenModal([](QWidget* box) { uitest::ClickButton(box, "Yes"); });
        editor.Key(QKeySequence(Qt::Key_Delete));
        QCOMPARE(editor.Column(0), QStringList({"HELLO.TXT", "DATA.BIN", "GAMES"}));
        QCOMPARE(editor.Form->FileHandler().UndoName(), std::string("Delete files"));
        QVERIFY(editor.Run("EditUndoAction"));
        QCOMPARE(editor.Column(0), QStringList({"HELLO.TXT", "DATA.BIN", "SUB", "GAMES"}));
        QVERIFY(errors.Messages.empty());
    }

    // Right after opening, before any click, the list's cursor is on the image that has the
    // focus (the last one opened), and the panel shows that image.
    void thePanelFollowsTheFocusedImageFromTheStart() {
        testsupport::TempDir dir;
        const std::string path = FatDocument(dir);
        if (path.empty())
            QSKIP("mkfs.fat or mtools is missing, or the program reads no FAT12 disk yet");
        // The panel shown from the start, as the settings keep it.
        rtl::TMemIniFile settings(dir.File("Settings.ini"));
        settings.WriteBool("Files", "Visible", true);
        settings.UpdateFile();
        Editor editor(dir, {path});
        QVERIFY(editor.Files().isVisible());
        QCOMPARE(editor.Form->ListViewShell().FocusedIndex(), 1);
        QCOMPARE(editor.Form->ListView().currentIndex().row(), 1);
        QVERIFY2(editor.Form->FilesStatusText().startsWith("F-BASIC, "),
                 qPrintable(editor.Form->FilesStatusText()));
        editor.Form->ListView().setFocus();
        editor.Key(QKeySequence(Qt::Key_Up));
        QCOMPARE(editor.Form->ListView().currentIndex().row(), 0);
        QVERIFY2(editor.Form->FilesStatusText().startsWith("FAT12, "),
                 qPrintable(editor.Form->FilesStatusText()));
    }

    // A header sorts by its column, folders first, and again the other way round.
    void aHeaderSortsTheFiles() {
        testsupport::TempDir dir;
        const std::string path = FatDocument(dir);
        if (path.empty())
            QSKIP("mkfs.fat or mtools is missing, or the program reads no FAT12 disk yet");
        Editor editor(dir, {path});
        editor.Form->ListViewShell().SetFocused(0, true);
        QVERIFY(editor.Run("ViewFilesAction"));
        QCOMPARE(editor.Column(0), QStringList({"HELLO.TXT", "DATA.BIN", "SUB"}));
        QHeaderView& header = *editor.Files().horizontalHeader();
        const auto click = [&](int section) {
            QTest::mouseClick(
                header.viewport(), Qt::LeftButton, {},
                QPoint(header.sectionViewportPosition(section) + 5, header.height() / 2));
            uitest::Settle();
        };
        click(0);
        QCOMPARE(editor.Column(0), QStringList({"SUB", "DATA.BIN", "HELLO.TXT"}));
        click(0);
        QCOMPARE(editor.Column(0), QStringList({"SUB", "HELLO.TXT", "DATA.BIN"}));
        QCOMPARE(header.sortIndicatorOrder(), Qt::DescendingOrder);
        click(1);
        QCOMPARE(editor.Column(0).last(), QString("DATA.BIN"));
    }

    // With the menu bar holding the keyboard, Delete acts on the images (all of them, selected
    // on opening), not on the files, and no shortcut is ambiguous.
    void keysActOnTheImagesWhenNeitherListHasTheFocus() {
        testsupport::TempDir dir;
        const std::string path = FatDocument(dir);
        if (path.empty())
            QSKIP("mkfs.fat or mtools is missing, or the program reads no FAT12 disk yet");
        uitest::ErrorRecorder errors;
        Editor editor(dir, {path});
        QVERIFY(editor.Run("ViewFilesAction"));
        QCOMPARE(editor.Form->FileHandler().DiskImageCount(), 2);
        editor.Form->menuBar()->setFocus();
        QCOMPARE(QApplication::focusWidget(), editor.Form->menuBar());
        QTest::keySequence(editor.Form->menuBar(), QKeySequence(Qt::Key_Delete));
        uitest::Settle();
        QCOMPARE(editor.Form->FileHandler().DiskImageCount(), 0);
        QCOMPARE(errors.Messages, std::vector<std::string>{});
    }

    void thePanelKeepsItsPlace() {
        testsupport::TempDir dir;
        int extent = 0;
        {
            Editor editor(dir, {});
            QVERIFY(editor.Run("ViewFilesAction"));
            extent = editor.Form->FilesPanel().height();
            QVERIFY(extent > 0);
            QVERIFY(editor.Form->close());
        }
        rtl::TMemIniFile settings(dir.File("Settings.ini"));
        QCOMPARE(settings.ReadBool("Files", "Visible", false), true);
        QCOMPARE(settings.ReadInteger("Files", "Extent", 0), extent);
        settings.WriteInteger("Files", "Extent", extent + 40);
        settings.UpdateFile();
        Editor again(dir, {});
        QVERIFY(again.Action("ViewFilesAction").isChecked());
        QCOMPARE(again.Form->FilesPanel().height(), extent + 40);
        // Hidden by F8 where it had the keyboard, which goes back to the image list.
        again.Files().setFocus();
        again.Key(QKeySequence(Qt::Key_F8));
        QVERIFY(again.Form->FilesPanel().isHidden());
        QCOMPARE(QApplication::focusWidget(), &again.Form->ListView());
    }
};

QTEST_MAIN(FilesPanelTest)
#include "App_filespanel_test.moc"
