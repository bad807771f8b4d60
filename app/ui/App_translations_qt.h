// The interface in the reader's language: the program's own translation, compiled into it, and
// Qt's for its standard buttons and dialogs, chosen by the locale; the core's texts are handed
// the same translation through its translator. English needs nothing, and is what is left when
// no translation of the locale's language exists.
#pragma once

#include <QLocale>
#include <QString>

// Installs the translations for locale, or none; returns the language used, such as "ja" or
// "en". Called again, it replaces what it installed before.
QString InstallTranslations(const QLocale& locale);
// The language InstallTranslations chose last; "en" before it is called.
QString InterfaceLanguage();
