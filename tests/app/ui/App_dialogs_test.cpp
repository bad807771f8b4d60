// The Add New, Presets, Enter, Disk Format, Check, Identify and Software Lists dialogs, driven from
// the keyboard and the mouse. Each modal run is answered from inside its own event loop and writes
// what it sees to a transcript, compared once the run is over, so that a failed check never leaves
// a dialog open.
#include "App_AddNewDialog.h"
#include "App_AuditDialog.h"
#include "App_EnterDialog.h"
#include "App_FindingsDialog.h"
#include "App_FormatDialog.h"
#include "App_PresetsDialog.h"
#include "App_SoftwareListsDialog.h"
#include "App_errors_qt.h"
#include "TestSupport.h"
#include "UiTestSupport.h"

#include <QAccessible>
#include <QApplication>
#include <QComboBox>
#include <QFileDialog>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QLocale>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QTableView>
#include <QTest>
#include <QTreeWidget>

#include <functional>
#include <iterator>
#include <source_location>
#include <utility>

char* toString(const TDiskFormat& format) {
    return QTest::toString(QString::asprintf("{0x%02X, %d, %d, %d, %d}", format.DiskType, format.C,
                                             format.H, format.R, format.N));
}

namespace {

using testsupport::TempDir;
using uitest::ErrorRecorder;
using uitest::WhenModal;

template <typename T> T* Child(QWidget* dialog, const char* name) {
    return dialog->findChild<T*>(QString::fromLatin1(name));
}

// The control that keys go to: the focused one of the open dialog, once that dialog has the
// keyboard; nothing when a fault has closed the dialog early.
QWidget* Focused(const std::source_location& where) {
    QPointer<QWidget> dialog = QApplication::activeModalWidget();
    if (dialog == nullptr ||
        !uitest::WaitFor([dialog] { return uitest::HasKeyboard(dialog); },
                         "the open dialog to have the keyboard", uitest::TimeoutMs, where))
        return nullptr;
    return QApplication::focusWidget();
}

void Key(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier,
         std::source_location where = std::source_location::current()) {
    if (QWidget* focused = Focused(where))
        QTest::keyClick(focused, static_cast<Qt::Key>(key), modifiers);
}

void Type(const QString& text, std::source_location where = std::source_location::current()) {
    if (QWidget* focused = Focused(where))
        QTest::keyClicks(focused, text);
}

// Replaces the whole text of the focused edit.
void Retype(const QString& text, std::source_location where = std::source_location::current()) {
    Key(Qt::Key_A, Qt::ControlModifier, where);
    Key(Qt::Key_Backspace, Qt::NoModifier, where);
    Type(text, where);
}

void Click(QWidget* dialog, const char* button) {
    QTest::mouseClick(Child<QPushButton>(dialog, button), Qt::LeftButton);
}

// When the presets dialog closes, a window manager gives the keyboard back to the Add New
// dialog d; the offscreen platform has none, so the test does.
void ClickPresets(QWidget* d, std::source_location where = std::source_location::current()) {
    Click(d, "PresetsButton");
    uitest::GiveKeyboard(d, where);
}

// The Add New dialog's controls as they read: "2D 40 2 16 1".
QString Values(QWidget* d) {
    QStringList values{Child<QComboBox>(d, "ComboBox11")->currentText()};
    for (const char* name : {"Edit21", "Edit22", "Edit23", "Edit24"})
        values << Child<QLineEdit>(d, name)->text();
    return values.join(' ');
}

// The errors shown since the last call, then where the focus is and whether d is still open.
QString Outcome(ErrorRecorder& errors, QWidget* d) {
    QStringList parts;
    for (const std::string& message : std::exchange(errors.Messages, {}))
        parts << QString::fromStdString(message);
    QWidget* focused = QApplication::focusWidget();
    return (parts << (focused != nullptr ? focused->objectName() : "(none)")
                  << (d->isVisible() ? "open" : "closed"))
        .join(" | ");
}

// The entries of a dialog's list in list order, the selected ones marked.
QString Entries(QWidget* dialog, const char* name = "ListBox11") {
    QStringList entries;
    auto* list = Child<QListWidget>(dialog, name);
    for (int row = 0; row < list->count(); ++row)
        entries << list->item(row)->text() + (list->item(row)->isSelected() ? " *" : "");
    return entries.join(", ");
}

const QString BadC = "The program cannot accept the C value. | Edit21 | open";

} // namespace

class DialogsTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { SetApplicationTitle("Trackwell"); }

    void addNewChecksFieldsOnLeavingAndAtOk() {
        TempDir dir;
        TAppAddNewDialog dialog(dir.File("Presets.dat"));
        ErrorRecorder errors;
        QStringList seen;

        WhenModal([&](QWidget* d) {
            seen << Values(d) + " | " + Outcome(errors, d);
            Click(d, "OkButton");
        });
        QVERIFY(dialog.Execute());
        QCOMPARE(dialog.DiskFormat(), (TDiskFormat{0x00, 40, 2, 16, 1}));

        // Each bad C is refused on Tab and again at OK, by Enter or by the mouse, which must not
        // take the focus out of the field: one message each time, not two.
        WhenModal([&](QWidget* d) {
            Key(Qt::Key_Down);
            Key(Qt::Key_Down);
            Key(Qt::Key_Tab);
            bool byMouse = false;
            for (const QString bad : {"256", "-1", "", "1O"}) {
                Retype(bad);
                Key(Qt::Key_Tab);
                seen << Outcome(errors, d);
                (byMouse = !byMouse) ? Click(d, "OkButton") : Key(Qt::Key_Return);
                seen << Outcome(errors, d);
            }
            Retype("$FF");
            Key(Qt::Key_Tab);
            Retype("0");
            Key(Qt::Key_Tab);
            seen << Outcome(errors, d);
            Key(Qt::Key_Return);
        });
        QVERIFY(dialog.Execute());
        QCOMPARE(dialog.DiskFormat(), (TDiskFormat{0x20, 255, 0, 16, 1}));

        // Esc, Cancel and the close box check nothing, not even at the next opening, which
        // shows the last accepted values again.
        const std::function<void(QWidget*)> leavings[] = {
            [](QWidget*) { Key(Qt::Key_Escape); }, [](QWidget* d) { Click(d, "CancelButton"); },
            [](QWidget* d) { d->close(); }, [](QWidget*) { Key(Qt::Key_Escape); }};
        for (const auto& leave : leavings) {
            WhenModal([&](QWidget* d) {
                seen << Values(d) + " | " + Outcome(errors, d);
                Key(Qt::Key_Up);
                Key(Qt::Key_Tab);
                Retype("300");
                leave(d);
            });
            QVERIFY(!dialog.Execute());
        }
        QStringList expected{"2D 40 2 16 1 | ComboBox11 | open"};
        for (int i = 0; i < 8; ++i)
            expected << BadC;
        expected << "Edit23 | open" << QStringList(4, "2HD 255 0 16 1 | ComboBox11 | open");
        QCOMPARE(seen, expected);
        QVERIFY(errors.Messages.empty());
        QCOMPARE(dialog.DiskFormat(), (TDiskFormat{0x20, 255, 0, 16, 1}));
    }

    void presetsFillTheFieldsAndAreCheckedAtOk() {
        TempDir dir;
        testsupport::WriteFileBytes(
            dir.File("Presets.dat"),
            testsupport::Bytes(std::begin(PresetLines), std::end(PresetLines) - 1));
        TAppAddNewDialog dialog(dir.File("Presets.dat"));
        ErrorRecorder errors;
        QStringList seen;

        // A chosen preset only fills the fields; Esc keeps the accepted format.
        WhenModal([&](QWidget* d) {
            WhenModal([&](QWidget* presets) {
                seen << Entries(presets) + " | " + Outcome(errors, presets);
                Key(Qt::Key_Down);
                Key(Qt::Key_Down);
                Key(Qt::Key_Return);
            });
            ClickPresets(d);
            seen << Values(d);
            Key(Qt::Key_Escape);
        });
        QVERIFY(!dialog.Execute());
        QCOMPARE(dialog.DiskFormat(), (TDiskFormat{0x00, 40, 2, 16, 1}));

        // A preset out of range is refused at OK, the focus going to the first bad field
        // without checking the bad one it leaves; a cancelled choice changes neither the fields
        // nor the list's selection.
        WhenModal([&](QWidget* d) {
            for (int i = 0; i < 3; ++i)
                Key(Qt::Key_Tab);
            const QList<QList<int>> choices = {{Qt::Key_End, Qt::Key_Return},
                                               {Qt::Key_Up, Qt::Key_Escape},
                                               {Qt::Key_Up, Qt::Key_Up, Qt::Key_Return}};
            for (const QList<int>& keys : choices) {
                WhenModal([&](QWidget* presets) {
                    seen << Entries(presets);
                    for (int key : keys)
                        Key(key);
                });
                ClickPresets(d);
                Key(Qt::Key_Return);
                seen << Values(d) + " | " + Outcome(errors, d);
            }
        });
        QVERIFY(dialog.Execute());
        const QString zeta = "Alpha, Dünn 2DD, PC-98 2HD, 1.2 MB, Zeta *";
        QCOMPARE(seen, QStringList({"Alpha *, Dünn 2DD, PC-98 2HD, 1.2 MB, Zeta | ListBox11 | open",
                                    "2HD 77 2 8 3", "Alpha, Dünn 2DD, PC-98 2HD, 1.2 MB *, Zeta",
                                    "2D 300 2 300 1 | " + BadC, zeta, "2D 300 2 300 1 | " + BadC,
                                    zeta, "2DD 80 2 16 1 | (none) | closed"}));
        QCOMPARE(dialog.DiskFormat(), (TDiskFormat{0x10, 80, 2, 16, 1}));
    }

    void missingPresetsFileWarnsOnce() {
        TempDir dir;
        TAppAddNewDialog dialog(dir.File("Presets.dat"));
        ErrorRecorder errors;
        QStringList seen;

        WhenModal([&](QWidget* d) {
            Key(Qt::Key_Tab);
            Retype("7");
            WhenModal([&](QWidget* box) {
                auto* message = qobject_cast<QMessageBox*>(box);
                seen << box->windowTitle() + ": " + uitest::MessageText(box)
                     << (message != nullptr && message->icon() == QMessageBox::Warning ? "warning"
                                                                                       : "other");
                WhenModal([&](QWidget* presets) {
                    Click(presets, "OkButton");
                    seen << Entries(presets) + " | " + Outcome(errors, presets);
                    Click(presets, "CancelButton");
                });
                uitest::ClickButton(box, "OK");
            });
            ClickPresets(d);
            seen << Values(d);
            // The list was read once: the second opening goes straight to the empty list.
            WhenModal([&](QWidget* presets) {
                seen << presets->metaObject()->className();
                Key(Qt::Key_Escape);
            });
            ClickPresets(d);
            Key(Qt::Key_Escape);
        });
        QVERIFY(!dialog.Execute());
        QCOMPARE(seen, QStringList({"Trackwell: The preset list is unavailable.", "warning",
                                    " | Specify an item. | ListBox11 | open", "2D 7 2 16 1",
                                    "TAppPresetsDialog"}));

        // A bad line keeps the presets before it listed, none of them chosen.
        const std::string lines = "Good,2D,40,2,16,1\nBad,2hd,77,2,8,3\n";
        testsupport::WriteFileBytes(dir.File("Bad.dat"), {lines.begin(), lines.end()});
        seen.clear();
        WhenModal([&](QWidget* box) { uitest::ClickButton(box, "OK"); });
        TAppPresetsDialog presets(dir.File("Bad.dat"));
        WhenModal([&](QWidget* d) {
            Key(Qt::Key_Return);
            seen << Entries(d) + " | " + Outcome(errors, d);
            Key(Qt::Key_Escape);
        });
        QVERIFY(!presets.Execute());
        QCOMPARE(seen, QStringList("Good | Specify an item. | ListBox11 | open"));
    }

    void enterDialogHandsBackTheEditedText() {
        TAppEnterDialog dialog;
        QStringList seen;
        QString value = "OLD NAME";
        QSize size;
        WhenModal([&](QWidget* d) {
            // What a screen reader is told the label shows: markup and mnemonics resolved.
            QAccessibleInterface* label =
                QAccessible::queryAccessibleInterface(Child<QLabel>(d, "MessageLabel"));
            seen << d->windowTitle() << (label != nullptr ? label->text(QAccessible::Name) : "")
                 << QApplication::focusWidget()->objectName()
                 << Child<QLineEdit>(d, "ValueEdit")->selectedText();
            size = d->size();
            Key(Qt::Key_Return);
        });
        QVERIFY(dialog.Execute("Enter", "Tom & Jerry <b>wrote</b> it.", value));
        QCOMPARE(value, "OLD NAME");

        WhenModal([&](QWidget*) {
            Key(Qt::Key_Backspace);
            Key(Qt::Key_Return);
        });
        QVERIFY(dialog.Execute("Enter", "Name?", value));
        QCOMPARE(value, QString(""));

        // Typing replaces the old value; Esc hands nothing back. A long message wraps inside
        // the label's area instead of growing the dialog.
        value = "KEEP";
        WhenModal([&](QWidget* d) {
            Type("X");
            seen << Child<QLineEdit>(d, "ValueEdit")->text()
                 << (d->size() == size ? "same" : "grew");
            Key(Qt::Key_Escape);
        });
        QVERIFY(!dialog.Execute("Other", QString("A long message. ").repeated(40), value));
        QCOMPARE(value, "KEEP");
        QCOMPARE(seen, QStringList({"Enter", "Tom & Jerry <b>wrote</b> it.", "ValueEdit",
                                    "OLD NAME", "X", "same"}));
    }

    void formatDialogOffersTheCandidatesWithTheLikeliestChosen() {
        TAppFormatDialog dialog;
        QStringList seen;
        int index = 1;
        WhenModal([&](QWidget* d) {
            auto* list = Child<QListWidget>(d, "FormatList");
            seen << d->windowTitle() << Child<QLabel>(d, "MessageLabel")->text()
                 << QApplication::focusWidget()->objectName() << list->currentItem()->text();
            Key(Qt::Key_Up);
            Key(Qt::Key_Return);
        });
        QVERIFY(dialog.Execute("game.dd", {"PC-98 2DD 640 KB", "PC-88 2DD 640 KB"}, index));
        QCOMPARE(index, 0);
        WhenModal([&](QWidget*) {
            Key(Qt::Key_Down);
            Key(Qt::Key_Escape);
        });
        QVERIFY(!dialog.Execute("other.dd", {"A", "B", "C"}, index));
        QCOMPARE(index, 0);
        QCOMPARE(seen, QStringList({"Disk Format",
                                    "The size of \"game.dd\" fits more than one disk format. "
                                    "Choose its format.",
                                    "FormatList", "PC-88 2DD 640 KB"}));
    }

    void findingsSelectTheirRowsAsTheUserMovesThroughThem() {
        TAppFindingsDialog dialog;
        std::vector<int> selected;
        QStringList lines;
        WhenModal([&](QWidget* d) {
            auto* list = Child<QTreeWidget>(d, "FindingList");
            for (int i = 0; i < list->topLevelItemCount(); ++i) {
                const QTreeWidgetItem* item = list->topLevelItem(i);
                lines << item->text(0) + "|" + item->text(1) + "|" + item->text(2);
            }
            Key(Qt::Key_Down);
            Key(Qt::Key_Down);
            Key(Qt::Key_Escape);
        });
        dialog.Execute("Check",
                       {{0, "warning", "first"}, {4, "error", "second"}, {9, "note", "third"}},
                       [&](int row) { selected.push_back(row); });
        QCOMPARE(lines, QStringList({"1|warning|first", "5|error|second", "10|note|third"}));
        QCOMPARE(selected, (std::vector<int>{0, 4, 9}));
    }

    void identificationSelectsTheRowOfTheChosenLine() {
        TAppFindingsDialog dialog;
        std::vector<int> selected, onOpening;
        QStringList lines;
        WhenModal([&](QWidget* d) {
            onOpening = selected;
            auto* list = Child<QTreeWidget>(d, "FindingList");
            for (int i = -1; i < list->topLevelItemCount(); ++i) {
                const QTreeWidgetItem* item = i < 0 ? list->headerItem() : list->topLevelItem(i);
                for (int column = 0; column < list->columnCount(); ++column)
                    lines << item->text(column);
            }
            // The line the dialog opens on is chosen by a click all the same.
            QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                              list->visualItemRect(list->topLevelItem(0)).center());
            Key(Qt::Key_Down);
            Key(Qt::Key_Escape);
        });
        dialog.ExecuteIdentification(
            "Identify",
            {{0, "(not identified)", "", "", "", ""},
             {6, "Ys II", "flop2 (Disk B)", "1988", "Nihon Falcom", "pc8801_flop"}},
            [&](int row) { selected.push_back(row); });
        QCOMPARE(lines.join('|'),
                 QString("Row|Title|Disk|Year|Publisher|List|1|(not identified)|||"
                         "||7|Ys II|flop2 (Disk B)|1988|Nihon Falcom|pc8801_flop"));
        // Opening chooses nothing, so that the selection behind is still the user's.
        QCOMPARE(onOpening, std::vector<int>{});
        QCOMPARE(selected, (std::vector<int>{0, 6}));
    }

    void softwareListsAreAddedRemovedAndHandedBackOnOk() {
        TempDir dir;
        testsupport::WriteFileBytes(dir.File("New.DAT"), {});
        const QString added = QString::fromStdString(dir.File("New.DAT"));
        TAppSoftwareListsDialog dialog;
        QStringList seen;
        auto state = [&seen](QWidget* d) {
            const bool removable = Child<QPushButton>(d, "RemoveListButton")->isEnabled();
            seen << Entries(d, "ListList") + (removable ? " | removable" : "");
        };
        QStringList paths{"/lists/a.xml", "/lists/b.dat"};
        QString mame = "/usr/share/games/mame/hash";
        // What the lists in use gave, and which could not be read.
        const TSoftwareListsStatus status{
            238,
            12345,
            23456,
            {{"/lists/a.xml", "The program cannot read the list \"/lists/a.xml\"."},
             {mame.toStdString(), "The program cannot find MAME's folder of lists."}}};
        WhenModal([&](QWidget* d) {
            state(d);
            auto* list = Child<QListWidget>(d, "ListList");
            seen << list->item(0)->toolTip() + (list->item(0)->icon().isNull() ? "" : " | marked") +
                        (list->item(1)->icon().isNull() ? "" : " | b marked");
            seen << Child<QLabel>(d, "StatusLabel")->text();
            seen << Child<QLabel>(d, "MameNotesLabel")->text();
            // The MAME folder is typed over, and focused first.
            QCOMPARE(QApplication::focusWidget(), Child<QLineEdit>(d, "MameFolderEdit"));
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_A, Qt::ControlModifier);
            QTest::keyClicks(QApplication::focusWidget(), "/opt/mame/hash ");
            // Through the file dialog once, then as its answers arrive.
            WhenModal([&](QWidget* files) {
                seen << qobject_cast<QFileDialog*>(files)->nameFilters().join(";;");
                auto* name = files->findChild<QLineEdit*>("fileNameEdit");
                name->setText(added);
                QTest::keyClick(name, Qt::Key_Return);
            });
            Click(d, "AddListButton");
            uitest::GiveKeyboard(d);
            static_cast<TAppSoftwareListsDialog*>(d)->AddPaths({"/lists/b.dat", "/mame"});
            state(d);
            QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                              list->visualItemRect(list->item(0)).center());
            Click(d, "RemoveListButton");
            state(d);
            Click(d, "OkButton");
        });
        QVERIFY(dialog.Execute(mame, paths, status));
        QCOMPARE(paths, QStringList({"/lists/b.dat", added, "/mame"}));
        QCOMPARE(mame, QString("/opt/mame/hash"));
        // Cancel hands nothing back.
        WhenModal([&](QWidget* d) {
            static_cast<TAppSoftwareListsDialog*>(d)->AddPaths({"/other"});
            Child<QLineEdit>(d, "MameFolderEdit")->clear();
            Click(d, "CancelButton");
        });
        QVERIFY(!dialog.Execute(mame, paths, {}));
        QCOMPARE(paths, QStringList({"/lists/b.dat", added, "/mame"}));
        QCOMPARE(mame, QString("/opt/mame/hash"));
        QCOMPARE(seen,
                 QStringList({"/lists/a.xml, /lists/b.dat",
                              "The program cannot read the list \"/lists/a.xml\". | marked",
                              QString("In use: 238 lists, %1 titles, %2 disks. The program cannot "
                                      "read what is marked; it is left out.")
                                  .arg(QLocale().toString(12345), QLocale().toString(23456)),
                              "The program cannot find MAME's folder of lists.",
                              "Software lists and DAT files (*.xml *.[xX][mM][lL] *.dat "
                              "*.[dD][aA][tT]);;All files (*)",
                              "/lists/a.xml, /lists/b.dat *, " + added + ", /mame * | removable",
                              "/lists/b.dat, " + added + ", /mame"}));
    }

    // The audit's report: narrowed by kind and text, sorted by a header, a line opened by Enter
    // whatever the order shown, the missing DAT saved by its button, only when there is one.
    void auditLinesAreFilteredSortedAndOpened() {
        TAppAuditDialog dialog;
        const std::vector<TAuditLine> lines = {
            {TAuditLineKind::Incomplete,
             "Ys II",
             "flop2",
             "pc8801_flop/ys2",
             "a.d88:2",
             {"/c/a.d88", 2}},
            {TAuditLineKind::Complete,
             "Xanadu",
             "",
             "pc8801_flop/xanadu",
             "b.d88:1",
             {"/c/b.d88", 1}},
            {TAuditLineKind::Unknown, "MYDISK", "", "", "a.d88:1", {"/c/a.d88", 1}},
            {TAuditLineKind::Unreadable,
             "The data is not a valid disk image.",
             "",
             "",
             "c.d88",
             {"/c/c.d88", 0}}};
        std::vector<std::string> opened;
        int saves = 0;
        dialog.Show(
            "Audit", "4 files", lines,
            [&](const TAuditLine& line) {
                opened.push_back(line.Place.File + ":" + std::to_string(line.Place.Row));
            },
            [&] { ++saves; });
        QVERIFY(dialog.isVisible());
        auto* table = Child<QTableView>(&dialog, "AuditTable");
        auto column = [table](int column) {
            QStringList texts;
            for (int row = 0; row < table->model()->rowCount(); ++row)
                texts << table->model()->index(row, column).data().toString();
            return texts.join(", ");
        };
        QCOMPARE(column(1), QString("Ys II, Xanadu, MYDISK, The data is not a valid disk image."));
        QCOMPARE(column(0), QString("Incomplete, Complete, Unknown, Unreadable"));

        table->horizontalHeader()->setSortIndicator(1, Qt::AscendingOrder);
        QCOMPARE(column(1), QString("MYDISK, The data is not a valid disk image., Xanadu, Ys II"));
        QVERIFY(uitest::GiveKeyboard(&dialog));
        QTest::keyClick(table, Qt::Key_End, Qt::ControlModifier);
        QTest::keyClick(table, Qt::Key_Return);
        QTest::keyClick(table, Qt::Key_Home, Qt::ControlModifier);
        QTest::keyClick(table, Qt::Key_Enter);

        Child<QLineEdit>(&dialog, "FilterEdit")->setText("a.d88");
        QCOMPARE(column(1), QString("MYDISK, Ys II"));
        auto* kinds = Child<QComboBox>(&dialog, "KindBox");
        kinds->setCurrentIndex(kinds->findText("Incomplete"));
        QCOMPARE(column(1), QString("Ys II"));
        Child<QLineEdit>(&dialog, "FilterEdit")->clear();
        kinds->setCurrentIndex(kinds->findText("Unreadable"));
        QCOMPARE(column(1), QString("The data is not a valid disk image."));
        table->setCurrentIndex(table->model()->index(0, 0));
        Click(&dialog, "OpenButton");
        Click(&dialog, "SaveMissingButton");
        QCOMPARE(opened, (std::vector<std::string>{"/c/a.d88:2", "/c/a.d88:1", "/c/c.d88:0"}));
        QCOMPARE(saves, 1);

        // Shown again, the report starts in its own order with every line and nothing to save.
        dialog.Show("Audit", "1 file", {lines[1]}, [](const TAuditLine&) {}, {});
        QCOMPARE(column(1), QString("Xanadu"));
        QCOMPARE(kinds->currentIndex(), 0);
        QVERIFY(!Child<QPushButton>(&dialog, "SaveMissingButton")->isEnabled());
    }

private:
    // In file order, not sorted; the names hold a comma, spaces and UTF-8.
    static constexpr char PresetLines[] = "\"PC-98 2HD, 1.2 MB\",2HD,77,2,8,3\r\n"
                                          "Zeta,2D,300,2,300,1\r\n"
                                          "\"D\xC3\xBCnn 2DD\",2DD,80,2,16,1\r\n"
                                          "Alpha,2D,40,2,16,1\r\n";
};

QTEST_MAIN(DialogsTest)
#include "App_dialogs_test.moc"
