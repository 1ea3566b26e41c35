#include "storage/TMemIniData.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <limits>

namespace {

// A block as the file cipher hands it over: little-endian length, the bytes.
QByteArray Block(const QByteArray &text, quint32 lengthWord) {
  QByteArray block;
  block.append(static_cast<char>(lengthWord & 0xFFu));
  block.append(static_cast<char>((lengthWord >> 8) & 0xFFu));
  block.append(static_cast<char>((lengthWord >> 16) & 0xFFu));
  block.append(static_cast<char>((lengthWord >> 24) & 0xFFu));
  block.append(text);
  return block;
}

QByteArray Block(const QByteArray &text) {
  return Block(text, static_cast<quint32>(text.size()));
}

quint32 LengthWord(const QByteArray &block) {
  const auto *b = reinterpret_cast<const unsigned char *>(block.constData());
  return static_cast<quint32>(b[0]) | (static_cast<quint32>(b[1]) << 8) | (static_cast<quint32>(b[2]) << 16) |
         (static_cast<quint32>(b[3]) << 24);
}

QStringList Lines(const TMemIniData &ini) {
  QStringList lines;
  ini.GetLines(lines);
  return lines;
}

QString Read(TMemIniData &ini, const char *section, const char *key) {
  return ini.ReadString(QString::fromLatin1(section), QString::fromLatin1(key), QStringLiteral("<default>"));
}

TEST(TMemIniData, ParsesTheDocumentedLinesIntoOneSection) {
  QByteArray block = Block("xyz\r\n"
                           "[CONFIGURAZIONE]\r\n"
                           "  TIPO ACCENSIONE = 4\r\n"
                           ";a comment = 5\r\n"
                           "\r\n"
                           "[COMANDI\r\n");
  TMemIniData ini(&block);

  QStringList sections;
  ini.ReadSections(sections);
  EXPECT_EQ(sections, QStringList{QStringLiteral("CONFIGURAZIONE")});
  QStringList values;
  ini.ReadSectionValues(QStringLiteral("CONFIGURAZIONE"), values);
  EXPECT_EQ(values, (QStringList{QStringLiteral("TIPO ACCENSIONE= 4"), QStringLiteral("[COMANDI")}));

  EXPECT_EQ(Read(ini, "configurazione", "tipo accensione"), QStringLiteral(" 4"));
  EXPECT_EQ(ini.ReadInteger(QStringLiteral("configurazione"), QStringLiteral("tipo accensione"), -1), 4);
  EXPECT_FALSE(ini.ValueExists(QStringLiteral("CONFIGURAZIONE"), QStringLiteral("[COMANDI")));
  EXPECT_FALSE(ini.ValueExists(QStringLiteral("CONFIGURAZIONE"), QStringLiteral("xyz")));
  EXPECT_TRUE(ini.Modified());
}

TEST(TMemIniData, EndsLinesAtCrAtLfAndAtCrLf) {
  QByteArray block = Block("[A]\rx=1\ny=2\r\nz=3");
  TMemIniData ini(&block);
  QStringList keys;
  ini.ReadSection(QStringLiteral("a"), keys);
  EXPECT_EQ(keys, (QStringList{QStringLiteral("x"), QStringLiteral("y"), QStringLiteral("z")}));
  EXPECT_EQ(Read(ini, "A", "z"), QStringLiteral("3"));
}

TEST(TMemIniData, TrimsEveryControlCharacterAroundLinesAndNames) {
  QByteArray block = Block("\t[ \x01Sezione\x1f ]\x02\n\x03 nome \t=\tvalore \x04\n");
  TMemIniData ini(&block);
  EXPECT_EQ(Read(ini, "sezione", "NOME"), QStringLiteral("\tvalore"));
}

TEST(TMemIniData, KeyLinesNeedAnEqualsSign) {
  QByteArray block = Block("[S]\nsolo\nvuoto=\n=senza nome\n");
  TMemIniData ini(&block);
  EXPECT_FALSE(ini.ValueExists(QStringLiteral("S"), QStringLiteral("solo")));
  EXPECT_TRUE(ini.ValueExists(QStringLiteral("S"), QStringLiteral("vuoto")));
  EXPECT_EQ(Read(ini, "S", "vuoto"), QString());
  EXPECT_EQ(Read(ini, "S", ""), QStringLiteral("senza nome"));
  QStringList names;
  ini.ReadSection(QStringLiteral("S"), names);
  EXPECT_EQ(names, (QStringList{QStringLiteral("vuoto"), QString()}));
}

TEST(TMemIniData, ValueKeepsEverythingAfterTheFirstEquals) {
  QByteArray block = Block("[S]\nk = a=b = c\n");
  TMemIniData ini(&block);
  EXPECT_EQ(Read(ini, "S", "k"), QStringLiteral(" a=b = c"));
}

TEST(TMemIniData, MissingSectionOrKeyGivesTheDefault) {
  QByteArray block = Block("[S]\nk=1\n");
  TMemIniData ini(&block);
  EXPECT_EQ(Read(ini, "T", "k"), QStringLiteral("<default>"));
  EXPECT_EQ(Read(ini, "S", "j"), QStringLiteral("<default>"));
  EXPECT_EQ(ini.ReadInteger(QStringLiteral("S"), QStringLiteral("j"), 77), 77);
  QStringList list{QStringLiteral("stale")};
  ini.ReadSection(QStringLiteral("T"), list);
  EXPECT_TRUE(list.isEmpty());
}

TEST(TMemIniData, ReadIntegerForms) {
  struct Case {
    const char *value;
    int expected;
  };
  const int fallback = -999;
  const Case cases[] = {
      {"4", 4},
      {" 4", 4},
      {"-12", -12},
      {"+7", 7},
      {"0x1F", 31},
      {"0X1f", 31},
      {"$ff", 255},
      {"0xFFFFFFFF", -1},
      {"-0x10", -16},
      {"2147483647", std::numeric_limits<int>::max()},
      {"-2147483648", std::numeric_limits<int>::min()},
      {"2147483648", fallback},
      {"0x100000000", fallback},
      {"0x", fallback},
      {"$", fallback},
      {"", fallback},
      {"abc", fallback},
      {"12abc", fallback},
      {"1 2", fallback},
      {"0,4", fallback},
      {"0x1G", fallback},
  };
  for (const Case &c : cases) {
    QByteArray block = Block(QByteArray("[S]\nk=") + c.value + "\n");
    TMemIniData ini(&block);
    EXPECT_EQ(ini.ReadInteger(QStringLiteral("S"), QStringLiteral("K"), fallback), c.expected) << c.value;
  }
}

// Files come from other fitters: nothing in a block may make the parser read
// outside it.
TEST(TMemIniData, UntrustedBlocks) {
  QByteArray nulInValue = Block(QByteArray("[S]\na=1\0x\nb=2\n", 15));
  QByteArray tooShort("\x05\x00", 2);
  QByteArray lengthTooLarge = Block("[S]\na=1\nb=2", 0x7FFFFFFFu);
  QByteArray lengthAllOnes = Block("[S]\na=1\nb=2", 0xFFFFFFFFu);
  QByteArray lengthShorter = Block("[S]\na=1\nb=2", 7); // cuts after "a=1"
  QByteArray empty = Block(QByteArray());

  struct Case {
    const char *name;
    QByteArray *block;
    bool hasA;
    bool hasB;
  };
  const Case cases[] = {
      {"zero byte inside a value", &nulInValue, true, true},
      {"block shorter than its length word", &tooShort, false, false},
      {"length word beyond the block", &lengthTooLarge, true, true},
      {"length word 0xFFFFFFFF", &lengthAllOnes, true, true},
      {"length word shorter than the text", &lengthShorter, true, false},
      {"zero-length block", &empty, false, false},
  };
  for (const Case &c : cases) {
    TMemIniData ini(c.block);
    EXPECT_EQ(ini.ValueExists(QStringLiteral("S"), QStringLiteral("a")), c.hasA) << c.name;
    EXPECT_EQ(ini.ValueExists(QStringLiteral("S"), QStringLiteral("b")), c.hasB) << c.name;
  }
}

TEST(TMemIniData, ZeroByteStaysPartOfItsValue) {
  QByteArray block = Block(QByteArray("[S]\na=1\0x\n", 10));
  TMemIniData ini(&block);
  EXPECT_EQ(Read(ini, "S", "a"), QString::fromLatin1("1\0x", 3));
}

TEST(TMemIniData, HugeLineAndBinaryGarbage) {
  QByteArray garbage;
  for (int round = 0; round < 64; ++round)
    for (int byte = 0; byte < 256; ++byte)
      garbage.append(static_cast<char>((byte * 37 + round) & 0xFF));
  const QByteArray longValue(4 * 1024 * 1024, 'v');
  QByteArray block = Block(garbage + "\n[S]\nk=" + longValue + "\n" + garbage);
  TMemIniData ini(&block);
  EXPECT_EQ(ini.ReadString(QStringLiteral("S"), QStringLiteral("k"), QString()).size(), longValue.size());
}

TEST(TMemIniData, NullBlockGivesAnEmptyStoreAndNothingToUpdate) {
  TMemIniData ini(nullptr);
  EXPECT_FALSE(ini.ValueExists(QStringLiteral("S"), QStringLiteral("k")));
  ini.WriteString(QStringLiteral("S"), QStringLiteral("k"), QStringLiteral("v"));
  ini.UpdateFile();
  EXPECT_EQ(Read(ini, "S", "k"), QStringLiteral("v"));
}

TEST(TMemIniData, NamesAreCaseInsensitiveAndTheFirstDuplicateAnswers) {
  QByteArray block = Block("[S]\nKey=1\nkey=2\n[s]\nkey=3\nother=4\n");
  TMemIniData ini(&block);
  EXPECT_EQ(Read(ini, "s", "KEY"), QStringLiteral("1"));

  ini.DeleteKey(QStringLiteral("S"), QStringLiteral("key"));
  EXPECT_FALSE(ini.ValueExists(QStringLiteral("S"), QStringLiteral("key")));
  ini.EraseSection(QStringLiteral("S"));
  EXPECT_FALSE(ini.SectionExists(QStringLiteral("s")));
  EXPECT_EQ(Read(ini, "S", "other"), QStringLiteral("<default>"));
}

TEST(TMemIniData, WriteReplacesInPlaceOrAppends) {
  QByteArray block = Block("[S]\na=1\nb=2\n");
  TMemIniData ini(&block);
  ini.WriteString(QStringLiteral("s"), QStringLiteral("A"), QStringLiteral("9"));
  ini.WriteInteger(QStringLiteral("S"), QStringLiteral("c"), -3);
  ini.WriteString(QStringLiteral("New"), QStringLiteral("x"), QStringLiteral("y"));

  EXPECT_EQ(Lines(ini), (QStringList{QStringLiteral("[S]"), QStringLiteral("A=9"), QStringLiteral("b=2"),
                                     QStringLiteral("c=-3"), QString(), QStringLiteral("[New]"),
                                     QStringLiteral("x=y"), QString()}));
}

TEST(TMemIniData, SubsectionsAreListedByPrefix) {
  QByteArray block = Block("[Root]\n[root\\One]\n[Rootless]\n[ROOT\\Two\\Deep]\n");
  TMemIniData ini(&block);
  QStringList below;
  ini.ReadSections(QStringLiteral("root"), below);
  EXPECT_EQ(below, (QStringList{QStringLiteral("root\\One"), QStringLiteral("ROOT\\Two\\Deep")}));
}

TEST(TMemIniData, TextFormHasHeaderLinesAndAnEmptyLinePerSection) {
  QByteArray block = Block("[A]\nx=1\n");
  TMemIniData ini(&block);
  EXPECT_EQ(Lines(ini), (QStringList{QStringLiteral("[A]"), QStringLiteral("x=1"), QString()}));
}

TEST(TMemIniData, UpdateFileWritesTheBlockFormat) {
  QByteArray block = Block("[A]\nx=1");
  TMemIniData ini(&block);
  ini.UpdateFile();
  const QByteArray expectedText = "[A]\r\nx=1\r\n\r\n";
  ASSERT_EQ(block.size(), 4 + expectedText.size() + 1);
  EXPECT_EQ(LengthWord(block), static_cast<quint32>(expectedText.size()));
  EXPECT_EQ(block.mid(4, expectedText.size()), expectedText);
  EXPECT_EQ(block.back(), '\0');
}

TEST(TMemIniData, UpdateFileThenLoadGivesTheSameData) {
  QByteArray block = Block("junk\r\n[CONFIGURAZIONE]\r\nTIPO ACCENSIONE= 4\r\n[COMANDI\r\n"
                           "\xe8\xb0=\xff\x01z\r\n[COMANDI]\r\nRIPROGRAMMAZIONE=240\r\n");
  TMemIniData first(&block);
  // Grow the text well past the original block.
  for (int i = 0; i < 100; ++i)
    first.WriteInteger(QStringLiteral("COMANDI"), QStringLiteral("K%1").arg(i), i);
  first.UpdateFile();

  TMemIniData second(&block);
  EXPECT_EQ(Lines(second), Lines(first));
  EXPECT_EQ(Read(second, "configurazione", "\xe8\xb0"), QString::fromLatin1("\xff\x01z"));
  EXPECT_EQ(second.ReadInteger(QStringLiteral("COMANDI"), QStringLiteral("k99"), -1), 99);
}

TEST(TMemIniData, UpdateFileOfAnEmptyStore) {
  QByteArray block = Block(QByteArray());
  TMemIniData ini(&block);
  ini.UpdateFile();
  ASSERT_EQ(block.size(), 5);
  EXPECT_EQ(LengthWord(block), 0u);
  EXPECT_EQ(block.back(), '\0');
}

TEST(TMemIniData, SaveToFileWritesCrLfLines) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  QByteArray block = Block("[A]\nx=1\n[B]\n");
  TMemIniData ini(&block);
  const QString path = dir.filePath(QStringLiteral("out.ini"));
  ASSERT_TRUE(ini.SaveToFile(path));
  QFile file(path);
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  EXPECT_EQ(file.readAll(), QByteArray("[A]\r\nx=1\r\n\r\n[B]\r\n\r\n"));

  EXPECT_FALSE(ini.SaveToFile(dir.filePath(QStringLiteral("missing/folder/out.ini"))));
}

} // namespace
