#include "windows/QtTranslation.h"

#include <QCoreApplication>
#include <QDir>
#include <QLibraryInfo>
#include <QPointer>
#include <QTranslator>
#include <array>
#include <memory>
#include <utility>

namespace {
// Each language of the language library by the name it gives itself.
constexpr std::array<std::pair<const char16_t *, const char16_t *>, 5> Locales{{
    {u"Italiano", u"it"},
    {u"English", u"en"},
    {u"Deutsch", u"de"},
    {u"Français", u"fr"},
    {u"Polski", u"pl"},
}};

QPointer<QTranslator> Installed;
QString InstalledLocale;
QString SelectedLocale;
} // namespace

QString QtTranslation::LocaleOf(const QString &languageName) {
  const QString name = QString(languageName).remove(QLatin1Char('&')).trimmed();
  for (const auto &[known, locale] : Locales) {
    if (name.compare(QString::fromUtf16(known), Qt::CaseInsensitive) == 0)
      return QString::fromUtf16(locale);
  }
  return {};
}

QStringList QtTranslation::Folders(const QString &executableFolder) {
  QStringList folders;
  if (!executableFolder.isEmpty())
    folders << QDir(executableFolder).filePath(QStringLiteral("translations"));
  folders << QLibraryInfo::path(QLibraryInfo::TranslationsPath);
  return folders;
}

bool QtTranslation::Select(const QString &locale, const QString &executableFolder) {
  SelectedLocale = locale;
  if (Installed && locale == InstalledLocale)
    return true;
  if (Installed) {
    QCoreApplication::removeTranslator(Installed);
    delete Installed;
  }
  InstalledLocale.clear();
  if (locale.isEmpty() || !QCoreApplication::instance())
    return false;
  auto translator = std::make_unique<QTranslator>(QCoreApplication::instance());
  bool loaded = false;
  // "qtbase" holds every text of the widgets; "qt" is the older catalogue
  // that names it, for an installation that has only that one.
  for (const QString &folder : Folders(executableFolder)) {
    for (const QString &catalogue : {QStringLiteral("qtbase_"), QStringLiteral("qt_")}) {
      loaded = translator->load(catalogue + locale, folder);
      if (loaded)
        break;
    }
    if (loaded)
      break;
  }
  if (!loaded || !QCoreApplication::installTranslator(translator.get()))
    return false;
  Installed = translator.release();
  InstalledLocale = locale;
  return true;
}

QString QtTranslation::Current() {
  return Installed ? InstalledLocale : QString();
}

QLocale QtTranslation::LanguageLocale() {
  return SelectedLocale.isEmpty() ? QLocale() : QLocale(SelectedLocale);
}
