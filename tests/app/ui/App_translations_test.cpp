// The interface in Japanese under a Japanese locale and unchanged under any other, and the
// translation file itself: every text translated, with the arguments and the keys its source has.
#include "App_actions.h"
#include "App_mainform.h"
#include "App_translations_qt.h"
#include "Rtl_texts.h"
#include "TestSupport.h"
#include "UiTestSupport.h"
#include "Vix_listviews_qt.h"

#include <QDir>
#include <QFile>
#include <QMap>
#include <QMenu>
#include <QMenuBar>
#include <QRegularExpression>
#include <QTest>
#include <QXmlStreamReader>

#include <map>
#include <source_location>

namespace {

// The accelerator marks of a caption: one "&" before a key; "&&" is a literal "&".
QStringList Accelerators(const QString& text) {
    QStringList keys;
    for (qsizetype i = 0; i + 1 < text.size(); ++i) {
        if (text[i] != QLatin1Char('&'))
            continue;
        if (text[i + 1] != QLatin1Char('&'))
            keys << text[i + 1].toUpper();
        ++i;
    }
    return keys;
}

// Qt's numbered arguments, each once, in any order.
QStringList Arguments(const QString& text) {
    QStringList arguments;
    static const QRegularExpression argument(QStringLiteral("%[0-9]+"));
    for (const QRegularExpressionMatch& match : argument.globalMatch(text))
        arguments << match.captured();
    arguments.sort();
    return arguments;
}

QString MenuTitles(const QMenuBar& bar) {
    QStringList titles;
    for (const QAction* menu : bar.actions())
        titles << menu->text();
    return titles.join(QLatin1Char('|'));
}

// The key of a caption: the character after its single "&", upper case; none without one.
QChar KeyOf(const QString& caption) {
    for (qsizetype i = 0; i + 1 < caption.size(); ++i) {
        if (caption[i] != QLatin1Char('&'))
            continue;
        if (caption[i + 1] != QLatin1Char('&'))
            return caption[i + 1].toUpper();
        ++i;
    }
    return {};
}

// The entries of menu, and of every menu below it, that share a key with another entry of
// their own menu: "Edit: U (元に戻す(&U) - (なし), 重複を選択(&U))". Alt and the key would
// only move the highlight between them.
QStringList SharedKeys(const QMenu& menu, const QString& name) {
    QStringList shared;
    QMap<QChar, QStringList> byKey;
    for (const QAction* entry : menu.actions()) {
        if (entry->isSeparator())
            continue;
        if (const QChar key = KeyOf(entry->text()); !key.isNull())
            byKey[key] << entry->text();
        if (entry->menu() != nullptr)
            shared << SharedKeys(*entry->menu(), entry->text());
    }
    for (auto it = byKey.cbegin(); it != byKey.cend(); ++it)
        if (it.value().size() > 1)
            shared << name + ": " + it.key() + " (" + it.value().join(", ") + ")";
    return shared;
}

} // namespace

class TranslationsTest : public QObject {
    Q_OBJECT

private slots:
    void cleanup() { InstallTranslations(QLocale(QLocale::English, QLocale::UnitedStates)); }

    void everyTextIsTranslatedWithItsArgumentsAndKeys() {
        QFile file(QStringLiteral(TRACKWELL_TRANSLATIONS_DIR "/trackwell_ja.ts"));
        QVERIFY(file.open(QIODevice::ReadOnly));
        QXmlStreamReader xml(&file);
        QString context, source;
        int checked = 0;
        while (!xml.atEnd() && !xml.hasError()) {
            if (xml.readNext() != QXmlStreamReader::StartElement)
                continue;
            if (xml.name() == QLatin1String("name")) {
                context = xml.readElementText(QXmlStreamReader::IncludeChildElements);
            } else if (xml.name() == QLatin1String("source")) {
                source = xml.readElementText(QXmlStreamReader::IncludeChildElements);
            } else if (xml.name() == QLatin1String("translation")) {
                const bool unfinished =
                    xml.attributes().value(QLatin1String("type")) == QLatin1String("unfinished");
                const QString translation =
                    xml.readElementText(QXmlStreamReader::IncludeChildElements);
                const QByteArray where = (context + QStringLiteral(": ") + source).toUtf8();
                QVERIFY2(!unfinished && !translation.isEmpty(), where.constData());
                if (context == QLatin1String("rtl"))
                    // The core fills its texts with printf; a translation that reads other
                    // arguments would not be used, and the English would show instead.
                    QVERIFY2(rtl::SameConversions(source.toStdString(), translation.toStdString()),
                             where.constData());
                else
                    QVERIFY2(Arguments(source) == Arguments(translation), where.constData());
                // A caption keeps its key, the Japanese way: "ファイル(&F)" for "&File".
                QVERIFY2(Accelerators(source) == Accelerators(translation), where.constData());
                ++checked;
            }
        }
        QVERIFY2(!xml.hasError(), qPrintable(xml.errorString()));
        QVERIFY(checked > 200);
    }

    void theWindowSpeaksTheLocalesLanguage_data() {
        QTest::addColumn<QLocale>("locale");
        QTest::addColumn<QString>("language");
        QTest::addColumn<QString>("menus");
        QTest::addColumn<QString>("firstFileEntry");
        QTest::addColumn<QString>("status");
        QTest::addColumn<QString>("undo");
        QTest::addColumn<QString>("error");
        QTest::addColumn<QString>("size");
        QTest::addColumn<QString>("untitled");
        QTest::newRow("Japanese")
            << QLocale(QLocale::Japanese, QLocale::Japan) << "ja"
            << "ファイル(&F)|編集(&E)|表示(&V)|プロパティ(&P)|ファイル操作(&I)|ヘルプ(&H)"
            << "新規(&N)"
            << "2 個の項目を選択中"
            << "元に戻す(&U) - 名前で並べ替え"
            << "データは有効なディスクイメージではありません。"
            << "348,848 バイト"
            << "Trackwell - 無題.d88";
        // A language without a translation is English.
        for (const auto& [row, locale] :
             {std::pair{"English", QLocale(QLocale::English, QLocale::UnitedStates)},
              std::pair{"German", QLocale(QLocale::German, QLocale::Germany)}})
            QTest::newRow(row) << locale << "en"
                               << "&File|&Edit|&View|&Properties|F&iles|&Help"
                               << "&New"
                               << "2 items are selected"
                               << "&Undo - Sort by name"
                               << "The data is not a valid disk image."
                               << "348,848 bytes"
                               << "Trackwell - Untitled.d88";
    }

    void theWindowSpeaksTheLocalesLanguage() {
        QFETCH(QLocale, locale);
        QFETCH(QString, language);
        QFETCH(QString, menus);
        QFETCH(QString, firstFileEntry);
        QFETCH(QString, status);
        QFETCH(QString, undo);
        QFETCH(QString, error);
        QFETCH(QString, size);
        QFETCH(QString, untitled);
        QCOMPARE(InstallTranslations(locale), language);
        QCOMPARE(InterfaceLanguage(), language);

        testsupport::TempDir dir;
        const std::string two = dir.File("two.d88");
        testsupport::WriteFileBytes(
            two, testsupport::Concat({testsupport::SampleBytes("fm77av-demo.d77"),
                                      testsupport::SampleBytes("cpm-x1turbo-2d.d88")}));
        const std::string bad = dir.File("bad.d88");
        testsupport::WriteFileBytes(bad, testsupport::Bytes(1000, 0xFF));
        TAppMainForm::TOptions options;
        options.Files = {two};
        options.SettingsFileName = dir.File("Settings.ini");
        options.PresetsFileName = dir.File("Presets.dat");
        TAppMainForm form(std::move(options));
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        // The command-line file opens at the first idle moment; each command's refresh is queued.
        const auto settle = [](std::source_location where = std::source_location::current()) {
            uitest::Settle(where);
        };
        settle();

        QCOMPARE(MenuTitles(*form.menuBar()), menus);
        // Every entry of a menu has a key of its own, the menu bar's titles too.
        QStringList shared;
        QMenu titles;
        for (QAction* menu : form.menuBar()->actions()) {
            titles.addAction(menu->text());
            shared << SharedKeys(*menu->menu(), menu->text());
        }
        shared << SharedKeys(titles, "menu bar")
               << SharedKeys(*form.findChild<QMenu*>(QStringLiteral("PopupMenu1")), "pop-up");
        QCOMPARE(shared, QStringList());
        // The help page in the same language, or the English one.
        const QString help = QString::fromStdString(form.HelpHandler().HelpFileName());
        QVERIFY2(help.endsWith(language == QLatin1String("ja") ? "/Help/ja/index.html"
                                                               : "/Help/index.html"),
                 qPrintable(help));
        QVERIFY(QFile::exists(help));
        QCOMPARE(form.menuBar()->actions().front()->menu()->actions().front()->text(),
                 firstFileEntry);
        QCOMPARE(form.StatusText(), status);
        const QAbstractItemModel& model = *form.ListView().model();
        QCOMPARE(model.data(model.index(1, 3)).toString(), size);

        // The command's name comes from the core, the caption around it from the window.
        form.Action(QStringLiteral("ViewSortByNameAction"))->trigger();
        settle();
        QCOMPARE(form.Action(QStringLiteral("EditUndoAction"))->text(), undo);
        form.Action(QStringLiteral("EditUndoAction"))->trigger();
        settle();

        // A message raised deep in the core reaches the error box in the reader's language.
        uitest::ErrorRecorder errors;
        auto& drop =
            static_cast<TFileDropFilesAction&>(*form.Action(QStringLiteral("FileDropFilesAction")));
        drop.Files = {bad};
        drop.trigger();
        settle();
        QCOMPARE(errors.Messages, std::vector<std::string>{error.toStdString()});
        QCOMPARE(form.FileHandler().DiskImageCount(), 2);

        form.Action(QStringLiteral("FileNewAction"))->trigger();
        settle();
        QCOMPARE(form.windowTitle(), untitled);
    }
};

QTEST_MAIN(TranslationsTest)
#include "App_translations_test.moc"
