// The language tables and the language library built from them: every text id
// the program uses has a text in every language, and the library hands out
// exactly what the tables say.

#include "platform/DynamicLibrary.h"
#include "translator/TTranslator.h"

#include <QFile>
#include <QMap>
#include <QRegularExpression>
#include <QSet>
#include <gtest/gtest.h>

namespace {

QString TablePath(const QString &name) {
  return QStringLiteral(NOX_LANGUAGE_TABLE_DIR "/") + name + QStringLiteral(".txt");
}

const QStringList &Languages() {
  static const QStringList languages = QStringLiteral(NOX_LANGUAGE_TABLES).split(QLatin1Char(','));
  return languages;
}

QStringList ContentLines(const QString &path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly))
    return {};
  QStringList lines;
  for (const QString &line : QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'))) {
    const QString trimmed = line.trimmed();
    if (!trimmed.isEmpty() && !trimmed.startsWith(QLatin1Char('#')))
      lines << trimmed;
  }
  return lines;
}

QSet<int> UsedIds() {
  QSet<int> ids;
  for (const QString &line : ContentLines(TablePath(QStringLiteral("ids"))))
    ids.insert(line.section(QRegularExpression(QStringLiteral("\\s+")), 0, 0).toInt());
  return ids;
}

QMap<int, QString> ReadTable(const QString &language) {
  QMap<int, QString> table;
  for (const QString &line : ContentLines(TablePath(language))) {
    const qsizetype eq = line.indexOf(QLatin1Char('='));
    QString text = line.mid(eq + 1).trimmed();
    text.replace(QStringLiteral("\\n"), QStringLiteral("\n"))
        .replace(QStringLiteral("\\\\"), QStringLiteral("\\"));
    table.insert(line.left(eq).trimmed().toInt(), text);
  }
  return table;
}

TEST(LanguageTables, EveryUsedIdHasATextInEveryLanguage) {
  const QSet<int> used = UsedIds();
  // The ids the windows, messages and files ask for, and the language block.
  ASSERT_GE(used.size(), 100);
  for (int id : {0, 1, 2, 3, 10, 11, 22, 47, 49, 51, 93, 100, 106, 109, 132, 147, 156, 160})
    EXPECT_TRUE(used.contains(id)) << id;
  EXPECT_FALSE(used.contains(48));
  EXPECT_FALSE(used.contains(50));

  ASSERT_EQ(Languages().size(), 5);
  for (const QString &language : Languages()) {
    const QMap<int, QString> table = ReadTable(language);
    for (int id : used)
      EXPECT_FALSE(table.value(id).isEmpty()) << language.toStdString() << ": text " << id << " is missing";
    for (auto it = table.cbegin(); it != table.cend(); ++it)
      EXPECT_TRUE(used.contains(it.key()))
          << language.toStdString() << ": text " << it.key() << " is not used";
  }
}

class LanguageLibrary : public ::testing::Test {
protected:
  void SetUp() override {
    m_translator.SetDllName(DynamicLibrary::ExecutableFolder() + QStringLiteral("/Languages.dll"));
    ASSERT_TRUE(m_translator.LoadLanguageLibrary());
  }
  TTranslator m_translator;
};

TEST_F(LanguageLibrary, HoldsTheLanguagesInOrder) {
  ASSERT_EQ(m_translator.LanguageCount(), 5);
  const QStringList names{QStringLiteral("&Italiano"), QStringLiteral("&English"), QStringLiteral("&Deutsch"),
                          QStringLiteral("&Français"), QStringLiteral("&Polski")};
  for (int language = 0; language < names.size(); ++language)
    EXPECT_EQ(m_translator.GetLanguageName(language), names[language]);
}

TEST_F(LanguageLibrary, CharacterSetsAndCodePages) {
  const int expected[][2] = {{0, 1252}, {0, 1252}, {0, 1252}, {0, 1252}, {238, 1250}};
  for (int language = 4; language >= 0; --language) {
    m_translator.SetLanguage(language);
    EXPECT_EQ(m_translator.CharacterSet(), expected[language][0]) << language;
    EXPECT_EQ(m_translator.CodePage(), expected[language][1]) << language;
  }
}

TEST_F(LanguageLibrary, GivesExactlyTheTextsOfTheTables) {
  const QSet<int> used = UsedIds();
  for (int language = 0; language < Languages().size(); ++language) {
    m_translator.SetLanguage(language);
    ASSERT_EQ(m_translator.CurrentLanguage(), language);
    const QMap<int, QString> table = ReadTable(Languages()[language]);
    for (int id : used)
      EXPECT_EQ(m_translator.GetText(id), table.value(id))
          << Languages()[language].toStdString() << " " << id;
  }
}

} // namespace
