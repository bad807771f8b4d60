// The sector hex view driven from the keyboard: the exact bytes that typing leaves in either pane,
// where the cursor keys land, what a selection covers and fills, and that the bytes never change
// length.
#include "App_HexView.h"
#include "UiTestSupport.h"

#include <QApplication>
#include <QLineEdit>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>
#include <QVBoxLayout>

#include <memory>

namespace {

QByteArray Counting(int size) {
    QByteArray bytes(size, '\0');
    for (int i = 0; i < size; ++i)
        bytes[i] = static_cast<char>(i);
    return bytes;
}

QString Hex(const QByteArray& bytes) {
    return QString::fromLatin1(bytes.toHex(' ').toUpper());
}

// The view in a shown window beside a line edit, with the keyboard.
class Window {
public:
    explicit Window(const QByteArray& bytes, bool editable = true) {
        Top = std::make_unique<QWidget>();
        View = new TAppHexView(Top.get());
        View->setObjectName(QStringLiteral("HexView"));
        Other = new QLineEdit(Top.get());
        auto* layout = new QVBoxLayout(Top.get());
        layout->addWidget(View);
        layout->addWidget(Other);
        View->SetBytes(bytes, editable);
        Top->resize(View->sizeHint().width() + 40, 260);
        Top->show();
        View->setFocus();
        QVERIFY(QTest::qWaitForWindowExposed(Top.get()));
        QVERIFY(uitest::GiveKeyboard(Top.get()));
        QCOMPARE(QApplication::focusWidget(), View);
    }

    void Key(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QTest::keyClick(View, key, modifiers);
    }
    // Each character as the key that gives it; those beyond ASCII have no key of their own.
    void Type(const QString& text) {
        for (const QChar c : text) {
            if (c.unicode() < 0x80)
                QTest::keyClick(View, c.toLatin1());
            else
                QTest::sendKeyEvent(QTest::Click, View, Qt::Key_unknown, QString(c),
                                    Qt::NoModifier);
        }
    }

    std::unique_ptr<QWidget> Top;
    TAppHexView* View;
    QLineEdit* Other;
};

} // namespace

class HexViewTest : public QObject {
    Q_OBJECT

private slots:
    void hexDigitsOverwriteOneNibbleAtATime() {
        Window w(Counting(32));
        QSignalSpy edited(w.View, &TAppHexView::Edited);
        QByteArray expected = Counting(32);
        w.Type("4a");
        expected[0] = '\x4A';
        QCOMPARE(Hex(w.View->Bytes()), Hex(expected));
        QCOMPARE(w.View->CursorOffset(), 1);
        QVERIFY(w.View->IsModified());
        // Backspace goes back over the low nibble without touching it; the next digit replaces it.
        w.Key(Qt::Key_Backspace);
        QCOMPARE(Hex(w.View->Bytes()), Hex(expected));
        w.Type("C");
        expected[0] = '\x4C';
        QCOMPARE(Hex(w.View->Bytes()), Hex(expected));
        // The high nibble alone keeps the low one and the cursor on its byte.
        w.Type("E");
        expected[1] = '\xE1';
        QCOMPARE(Hex(w.View->Bytes()), Hex(expected));
        QCOMPARE(w.View->CursorOffset(), 1);
        // Not a digit: nothing happens.
        w.Type("g ");
        QCOMPARE(Hex(w.View->Bytes()), Hex(expected));
        // At the last byte typing stays on its low nibble.
        w.Key(Qt::Key_End, Qt::ControlModifier);
        w.Type("789");
        expected[31] = '\x79';
        QCOMPARE(Hex(w.View->Bytes()), Hex(expected));
        QCOMPARE(w.View->CursorOffset(), 31);
        QCOMPARE(edited.count(), 7);
    }

    void textPaneWritesCodePage932() {
        Window w(QByteArray(16, '\0'));
        QSignalSpy edited(w.View, &TAppHexView::Edited);
        // Tab switches panes and keeps the keyboard.
        w.Key(Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), w.View);
        w.Type(QStringLiteral("Aアｱ"));
        QCOMPARE(Hex(w.View->Bytes()), "41 83 41 B1 00 00 00 00 00 00 00 00 00 00 00 00");
        QCOMPARE(w.View->CursorOffset(), 4);
        // A full-width character on the last byte would need one more: refused.
        w.Key(Qt::Key_End);
        w.Type(QStringLiteral("ア"));
        QCOMPARE(edited.count(), 3);
        w.Key(Qt::Key_Left);
        w.Type(QStringLiteral("イ"));
        QCOMPARE(Hex(w.View->Bytes()), "41 83 41 B1 00 00 00 00 00 00 00 00 00 00 83 43");
        QCOMPARE(w.View->CursorOffset(), 15);
        // ASCII takes only ASCII.
        w.View->SetTextMode(TAppHexView::TTextMode::Ascii);
        w.Key(Qt::Key_Home);
        w.Type(QStringLiteral("ｱz"));
        QCOMPARE(Hex(w.View->Bytes()), "7A 83 41 B1 00 00 00 00 00 00 00 00 00 00 83 43");
        // Shift+Tab goes back to the hex pane.
        w.Key(Qt::Key_Tab, Qt::ShiftModifier);
        w.Type("5");
        QCOMPARE(Hex(w.View->Bytes()), "7A 53 41 B1 00 00 00 00 00 00 00 00 00 00 83 43");
        QCOMPARE(w.View->Bytes().size(), 16);
        // Ctrl+Tab is the way out.
        w.Key(Qt::Key_Tab, Qt::ControlModifier);
        QCOMPARE(QApplication::focusWidget(), w.Other);
    }

    void shiftExtendsTheSelectionThatFillWrites() {
        Window w(Counting(64));
        w.Key(Qt::Key_Right);
        w.Key(Qt::Key_Right);
        for (int i = 0; i < 3; ++i)
            w.Key(Qt::Key_Right, Qt::ShiftModifier);
        QCOMPARE(w.View->Selection(), std::make_pair(2, 4));
        w.Key(Qt::Key_Down, Qt::ShiftModifier);
        QCOMPARE(w.View->CursorOffset(), 21);
        QCOMPARE(w.View->Selection(), std::make_pair(2, 20));
        w.View->FillSelection(0xE5);
        QByteArray expected = Counting(64);
        expected.replace(2, 20, QByteArray(20, '\xE5'));
        QCOMPARE(Hex(w.View->Bytes()), Hex(expected));
        // Back past the anchor the selection runs the other way.
        w.Key(Qt::Key_Home, Qt::ControlModifier | Qt::ShiftModifier);
        QCOMPARE(w.View->Selection(), std::make_pair(0, 3));
        // A key without Shift drops it; a fill then writes the cursor's byte alone.
        w.Key(Qt::Key_Right);
        QCOMPARE(w.View->Selection().second, 0);
        w.View->FillSelection(0x00);
        expected[1] = '\0';
        QCOMPARE(Hex(w.View->Bytes()), Hex(expected));
    }

    void cursorKeysLandWhereExpected() {
        Window w(Counting(512));
        QSignalSpy moved(w.View, &TAppHexView::CursorMoved);
        QScrollBar& rows = *w.View->verticalScrollBar();
        const int page = rows.pageStep();
        QVERIFY(page > 1 && page * 16 < 256);
        w.Key(Qt::Key_PageDown);
        QCOMPARE(w.View->CursorOffset(), page * 16);
        QCOMPARE(moved.last().at(0).toInt(), page * 16);
        w.Key(Qt::Key_Right);
        w.Key(Qt::Key_End);
        QCOMPARE(w.View->CursorOffset(), page * 16 + 15);
        w.Key(Qt::Key_Home);
        QCOMPARE(w.View->CursorOffset(), page * 16);
        w.Key(Qt::Key_End, Qt::ControlModifier);
        QCOMPARE(w.View->CursorOffset(), 511);
        QCOMPARE(rows.value(), rows.maximum());
        QVERIFY(rows.value() + page > 31);
        w.Key(Qt::Key_Down);
        QCOMPARE(w.View->CursorOffset(), 511);
        w.Key(Qt::Key_PageUp);
        QCOMPARE(w.View->CursorOffset(), 511 - page * 16);
        w.Key(Qt::Key_Home, Qt::ControlModifier);
        QCOMPARE(w.View->CursorOffset(), 0);
        QCOMPARE(rows.value(), 0);
        w.Key(Qt::Key_Up);
        w.Key(Qt::Key_Left);
        QCOMPARE(w.View->CursorOffset(), 0);
        // Down into a shorter last row stops on its last byte.
        w.View->SetBytes(Counting(40), true);
        w.Key(Qt::Key_Down);
        w.Key(Qt::Key_End);
        w.Key(Qt::Key_Down);
        QCOMPARE(w.View->CursorOffset(), 39);
    }

    void readOnlyBytesIgnoreTyping() {
        Window w(Counting(16), false);
        QSignalSpy edited(w.View, &TAppHexView::Edited);
        w.Type("12");
        w.Key(Qt::Key_Tab);
        w.Type("AB");
        w.View->FillSelection(0xFF);
        QCOMPARE(Hex(w.View->Bytes()), Hex(Counting(16)));
        QVERIFY(!w.View->IsModified());
        QCOMPARE(edited.count(), 0);
        w.Key(Qt::Key_Right);
        QCOMPARE(w.View->CursorOffset(), 1);
    }

    void selectAndSetBytesStartAfresh() {
        Window w(Counting(512));
        w.View->Select(300, 4);
        QCOMPARE(w.View->CursorOffset(), 300);
        QCOMPARE(w.View->Selection(), std::make_pair(300, 4));
        const QScrollBar& rows = *w.View->verticalScrollBar();
        QVERIFY(rows.value() <= 300 / 16 && 300 / 16 < rows.value() + rows.pageStep());
        w.View->Select(508, 10);
        QCOMPARE(w.View->Selection(), std::make_pair(508, 4));
        w.Key(Qt::Key_Tab);
        w.Type("x");
        QVERIFY(w.View->IsModified());
        w.View->SetBytes(Counting(512), true);
        QVERIFY(!w.View->IsModified());
        QCOMPARE(w.View->CursorOffset(), 0);
        QCOMPARE(w.View->Selection().second, 0);
        QCOMPARE(rows.value(), 0);
        // Back in the hex pane.
        w.Type("a");
        QCOMPARE(static_cast<uint8_t>(w.View->Bytes()[0]), 0xA0);
        // Nothing to show is nothing to type over.
        w.View->SetBytes(QByteArray(), true);
        w.Type("1");
        w.Key(Qt::Key_End, Qt::ControlModifier);
        QVERIFY(w.View->Bytes().isEmpty());
        QCOMPARE(w.View->CursorOffset(), 0);
    }
};

QTEST_MAIN(HexViewTest)
#include "App_HexView_test.moc"
