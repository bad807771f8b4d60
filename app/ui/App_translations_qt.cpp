#include "App_translations_qt.h"

#include "Rtl_texts.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

#include <memory>

namespace {

struct TInstalled {
    std::unique_ptr<QTranslator> Program;
    std::unique_ptr<QTranslator> Qt;
    QString Language = QStringLiteral("en");
};

TInstalled& Installed() {
    static TInstalled installed;
    return installed;
}

void Remove(std::unique_ptr<QTranslator>& translator) {
    if (translator)
        QCoreApplication::removeTranslator(translator.get());
    translator.reset();
}

} // namespace

QString InstallTranslations(const QLocale& locale) {
    TInstalled& installed = Installed();
    rtl::SetTranslator(nullptr);
    Remove(installed.Program);
    Remove(installed.Qt);
    installed.Language = QStringLiteral("en");

    auto program = std::make_unique<QTranslator>();
    // The locale's languages in the user's order of preference, the first one translated wins;
    // English is the source, so it needs no file and ends the search.
    if (!program->load(locale, QStringLiteral("trackwell"), QStringLiteral("_"),
                       QStringLiteral(":/i18n")))
        return installed.Language;
    installed.Language = program->language().section(QLatin1Char('_'), 0, 0);
    QCoreApplication::installTranslator(program.get());
    installed.Program = std::move(program);

    // Qt's own texts (Yes, No, Cancel, the file dialog) when the system has them.
    auto qt = std::make_unique<QTranslator>();
    if (qt->load(locale, QStringLiteral("qtbase"), QStringLiteral("_"),
                 QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        QCoreApplication::installTranslator(qt.get());
        installed.Qt = std::move(qt);
    }

    // The core writes its texts in the "rtl" context; an untranslated one stays English.
    rtl::SetTranslator([](const char* source) -> std::string {
        const QString translated = QCoreApplication::translate("rtl", source);
        return translated == QString::fromUtf8(source) ? std::string() : translated.toStdString();
    });
    return installed.Language;
}

QString InterfaceLanguage() {
    return Installed().Language;
}
