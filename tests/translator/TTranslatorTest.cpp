#include "translator/TTranslator.h"

#include <QStringList>
#include <gtest/gtest.h>
#include <limits>

namespace {

// The stand-in libraries built beside this test (fixtures/FakeLanguageLibrary.cpp):
// text of resource id r is "R<r>", with special strings at a few text ids.
QString Fake(const char *name) {
  return QStringLiteral(NOX_FAKE_LANGUAGE_DIR "/") + QString::fromLatin1(name) + QStringLiteral(".dll");
}

void Load(TTranslator &translator, const char *fake) {
  translator.SetDllName(Fake(fake));
  ASSERT_TRUE(translator.LoadLanguageLibrary()) << fake;
}

TEST(TTranslator, BlockArithmetic) {
  TTranslator translator;
  Load(translator, "FakeLanguages6");
  EXPECT_EQ(translator.LanguageCount(), 6);
  EXPECT_EQ(translator.StringsPerLanguage(), 200);

  translator.SetLanguage(1);
  EXPECT_EQ(translator.CurrentLanguage(), 1);
  EXPECT_EQ(translator.GetText(3), QStringLiteral("R203"));
  EXPECT_EQ(translator.GetLanguageName(2), QStringLiteral("R400"));
  EXPECT_EQ(translator.GetLanguageName(0), QStringLiteral("R0"));
}

TEST(TTranslator, ReloadingAFewerLanguageLibraryClampsTheCurrentLanguage) {
  TTranslator translator;
  Load(translator, "FakeLanguages6");
  translator.SetLanguage(5);
  ASSERT_EQ(translator.CurrentLanguage(), 5);

  translator.SetDllName(Fake("FakeLanguages3")); // a loaded library is reloaded at once
  EXPECT_TRUE(translator.LibraryLoaded());
  EXPECT_EQ(translator.LanguageCount(), 3);
  EXPECT_EQ(translator.CurrentLanguage(), 2);
  EXPECT_EQ(translator.GetText(3), QStringLiteral("R403"));
}

TEST(TTranslator, SettingTheNameWithoutALoadedLibraryDoesNotLoad) {
  TTranslator translator;
  translator.SetDllName(Fake("FakeLanguages6"));
  EXPECT_FALSE(translator.LibraryLoaded());
  EXPECT_EQ(translator.LanguageCount(), 1);
}

TEST(TTranslator, LanguageOutsideTheLibraryIsIgnored) {
  TTranslator translator;
  Load(translator, "FakeLanguages3");
  translator.SetLanguage(1);
  const int characterSet = translator.CharacterSet();
  for (int outside : {3, -1, 127, std::numeric_limits<int>::min()}) {
    translator.SetLanguage(outside);
    EXPECT_EQ(translator.CurrentLanguage(), 1) << outside;
    EXPECT_EQ(translator.CharacterSet(), characterSet) << outside;
  }
}

TEST(TTranslator, CharacterSetAndCodePageTakeOnlyKnownNumbers) {
  TTranslator translator;
  EXPECT_EQ(translator.CharacterSet(), 1);
  EXPECT_EQ(translator.CodePage(), 1252);
  Load(translator, "FakeLanguages6");

  struct Step {
    int language;
    int characterSet;
    int codePage;
    const char *why;
  };
  const Step steps[] = {
      {1, 238, 1250, "Central European"},
      {2, 238, 1250, "texts that are not numbers keep the previous values"},
      {3, 238, 1250, "numbers the platform does not know keep the previous values"},
      {4, 204, 1251, "Cyrillic"},
      {0, 0, 1252, "Western"},
  };
  for (const Step &step : steps) {
    translator.SetLanguage(step.language);
    EXPECT_EQ(translator.CharacterSet(), step.characterSet) << step.why;
    EXPECT_EQ(translator.CodePage(), step.codePage) << step.why;
  }
}

TEST(TTranslator, LengthLimits) {
  TTranslator translator;
  Load(translator, "FakeLanguages6");
  EXPECT_EQ(translator.GetText(152, 4), QStringLiteral("0123"));
  EXPECT_EQ(translator.GetText(152, 0), QStringLiteral("0123456789"));
  EXPECT_EQ(translator.GetText(152, 50), QStringLiteral("0123456789"));
  EXPECT_EQ(translator.GetText(150), QString(254, QLatin1Char('x')));
}

TEST(TTranslator, WideTextPassesUnchanged) {
  TTranslator translator;
  Load(translator, "FakeLanguages6");
  EXPECT_EQ(translator.GetText(153), QString::fromUtf16(u"Zażółć \U0001F600"));
}

TEST(TTranslator, NarrowLookupsAreCutToo) {
  TTranslator translator;
  translator.SetIsUnicode(false);
  Load(translator, "FakeLanguages6");
  EXPECT_EQ(translator.GetText(3), QStringLiteral("R3"));
  EXPECT_EQ(translator.GetText(150), QString(254, QLatin1Char('x')));
}

TEST(TTranslator, MissingTextAsksTheHandlerWithTheTextId) {
  TTranslator translator;
  Load(translator, "FakeLanguages6");
  translator.SetLanguage(1);
  EXPECT_EQ(translator.GetText(151), QString());

  QList<int> asked;
  translator.OnMissingString = [&](TTranslator *sender, int textId, QString &text) {
    EXPECT_EQ(sender, &translator);
    EXPECT_TRUE(text.isEmpty());
    asked << textId;
    text = QStringLiteral("missing %1").arg(textId);
  };
  EXPECT_EQ(translator.GetText(151), QStringLiteral("missing 151"));
  EXPECT_EQ(translator.GetText(151, 7), QStringLiteral("missing"));
  EXPECT_EQ(translator.GetText(3), QStringLiteral("R203"));
  EXPECT_EQ(translator.GetLanguageName(6), QStringLiteral("missing 0"));
  EXPECT_EQ(translator.GetLanguageName(-1), QStringLiteral("missing 0"));
  EXPECT_EQ(asked, (QList<int>{151, 151, 0, 0}));
}

TEST(TTranslator, MissingLibraryGivesOneLanguageAndNoTexts) {
  TTranslator translator;
  translator.SetDllName(Fake("NoSuchLanguages"));
  EXPECT_FALSE(translator.LoadLanguageLibrary());
  EXPECT_FALSE(translator.LibraryLoaded());
  EXPECT_EQ(translator.LanguageCount(), 1);
  EXPECT_EQ(translator.StringsPerLanguage(), 1);
  EXPECT_EQ(translator.GetText(3), QString());

  int calls = 0;
  translator.OnMissingString = [&](TTranslator *, int, QString &text) {
    ++calls;
    text = QStringLiteral("?");
  };
  EXPECT_EQ(translator.GetLanguageName(0), QStringLiteral("?"));
  EXPECT_EQ(translator.GetText(10), QStringLiteral("?"));
  EXPECT_EQ(calls, 2);
}

TEST(TTranslator, FreeingTheLibraryResetsTheCounts) {
  TTranslator translator;
  Load(translator, "FakeLanguages6");
  translator.FreeLanguageLibrary();
  EXPECT_FALSE(translator.LibraryLoaded());
  EXPECT_EQ(translator.LanguageCount(), 1);
  EXPECT_EQ(translator.StringsPerLanguage(), 1);
  EXPECT_EQ(translator.GetText(3), QString());
}

TEST(TTranslator, LibraryWithoutCountExportsHasOneLanguageOfOneString) {
  TTranslator translator;
  Load(translator, "FakeNoCounts");
  EXPECT_EQ(translator.LanguageCount(), 1);
  EXPECT_EQ(translator.StringsPerLanguage(), 1);
  EXPECT_EQ(translator.GetText(5), QStringLiteral("R5"));
}

TEST(TTranslator, CountsOutOfRangeAreMadeUsable) {
  TTranslator negative;
  Load(negative, "FakeNegativeCounts");
  EXPECT_EQ(negative.LanguageCount(), 1);
  EXPECT_EQ(negative.StringsPerLanguage(), 1);
  EXPECT_EQ(negative.GetText(4), QStringLiteral("R4"));

  TTranslator huge;
  Load(huge, "FakeHugeCounts");
  EXPECT_EQ(huge.LanguageCount(), 127);
  EXPECT_EQ(huge.StringsPerLanguage(), std::numeric_limits<std::int32_t>::max());
  // This library also claims far longer strings than it copies.
  EXPECT_EQ(huge.GetText(3), QStringLiteral("R3"));
  EXPECT_EQ(huge.GetLanguageName(1), QStringLiteral("R2147483647"));
  // Language 126 starts beyond the 32-bit resource ids: its texts are missing.
  huge.SetLanguage(126);
  EXPECT_EQ(huge.CurrentLanguage(), 126);
  EXPECT_EQ(huge.GetText(3), QString());
  EXPECT_EQ(huge.GetLanguageName(126), QString());
}

} // namespace
