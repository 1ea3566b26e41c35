#pragma once
#include <QLocale>
#include <QString>
#include <QStringList>

// Qt's own texts (the file dialogs, the buttons of every message box) in the
// fitter's language. The language library knows its languages only by name,
// so the one table that ties them to Qt's locale names lives here.
class QtTranslation {
public:
  // Qt's locale name ("de") for a language of the language library, from its
  // name (text id 0, "&" or not); empty for a language Qt is not asked about.
  static QString LocaleOf(const QString &languageName);

  // Where Qt's translations are looked for: a "translations" folder beside
  // the executable (an installed or packaged program brings its own), then
  // Qt's own translations folder.
  static QStringList Folders(const QString &executableFolder);

  // Installs Qt's translation for that locale on the application in place of
  // the previous one; an empty locale, or one without a translation, leaves
  // Qt's built-in English. True when a translation is installed.
  static bool Select(const QString &locale, const QString &executableFolder);
  // The locale of the installed translation; empty for none.
  static QString Current();
  // The locale of the language last selected, whether or not Qt has a
  // translation for it: dates and times are written its way. Numbers keep
  // the system's own form, which the fitter types them in.
  static QLocale LanguageLocale();
};
