#include "storage/TNoxRegistryData.h"
#include "support/FileSizeLimit.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <memory>

namespace {

const QString kKey = QStringLiteral("software\\nox srl\\QMD652");

// Every test gets its own per-user settings folder; the user's real settings
// are never touched. The registry has no such folder: on Windows each test
// starts and ends with the program's key emptied, which is why the Windows
// suites run in a Wine prefix of their own.
class TNoxRegistryDataTest : public ::testing::Test {
protected:
  void SetUp() override {
    ASSERT_TRUE(m_dir.isValid());
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, m_dir.path());
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, m_dir.path());
    ClearRegistry();
  }
  void TearDown() override { ClearRegistry(); }

  static void ClearRegistry() {
#if defined(Q_OS_WIN)
    for (const auto scope : {QSettings::UserScope, QSettings::SystemScope})
      QSettings(QSettings::NativeFormat, scope, QStringLiteral("nox srl"), QStringLiteral("QMD652")).clear();
#endif
  }

  static std::unique_ptr<QSettings> Stored() {
    return std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope,
                                       QStringLiteral("nox srl"), QStringLiteral("QMD652"));
  }

  static std::unique_ptr<TNoxRegistryData> MakeLanguageSettings() {
    auto data = std::make_unique<TNoxRegistryData>();
    data->SetKeyName(kKey);
    data->SetIntegerDataList({QStringLiteral("Language=0")});
    return data;
  }

  QTemporaryDir m_dir;
};

TEST_F(TNoxRegistryDataTest, FirstRunUsesTheDefaultAndStoresItAtExit) {
  auto data = MakeLanguageSettings();
  EXPECT_FALSE(data->ReadValues());
  EXPECT_EQ(data->GetIntegerValue(QStringLiteral("Language")), 0);
  EXPECT_FALSE(Stored()->contains(QStringLiteral("Language")));

  data.reset();
  const QVariant stored = Stored()->value(QStringLiteral("Language"));
  ASSERT_TRUE(stored.isValid());
  EXPECT_EQ(stored.toInt(), 0);
}

TEST_F(TNoxRegistryDataTest, MachineWideValuesDoNotStandInForTheUsersOwn) {
  QTemporaryDir system;
  QSettings::setPath(QSettings::NativeFormat, QSettings::SystemScope, system.path());
  QSettings(QSettings::NativeFormat, QSettings::SystemScope, QStringLiteral("nox srl"), QStringLiteral("QMD652"))
      .setValue(QStringLiteral("Language"), 3);
  auto data = MakeLanguageSettings();
  EXPECT_FALSE(data->ReadValues()) << "the user's own setting is missing";
  EXPECT_EQ(data->GetIntegerValue(QStringLiteral("Language")), 0);
}

TEST_F(TNoxRegistryDataTest, AnUnreadableSettingsFileIsReplacedAtExit) {
#if defined(Q_OS_WIN)
  GTEST_SKIP() << "the registry is no file that could be damaged";
#endif
  const QString fileName = Stored()->fileName();
  QDir().mkpath(QFileInfo(fileName).path());
  QFile broken(fileName);
  ASSERT_TRUE(broken.open(QIODevice::WriteOnly));
  broken.write("[General\nLanguage=\x01\x02[[[\n");
  broken.close();
  if (Stored()->status() != QSettings::FormatError)
    GTEST_SKIP() << "this Qt reads the damaged file anyway";
  {
    auto data = MakeLanguageSettings();
    EXPECT_FALSE(data->ReadValues());
    data->SetIntegerValue(QStringLiteral("Language"), 4);
  }
  EXPECT_EQ(Stored()->status(), QSettings::NoError);
  EXPECT_EQ(Stored()->value(QStringLiteral("Language")).toInt(), 4);
}

TEST_F(TNoxRegistryDataTest, ChangesReachTheStoreOnlyAtDestruction) {
  Stored()->setValue(QStringLiteral("Language"), 1);

  auto data = MakeLanguageSettings();
  EXPECT_TRUE(data->ReadValues());
  EXPECT_EQ(data->GetIntegerValue(QStringLiteral("language")), 1);

  data->SetIntegerValue(QStringLiteral("Language"), 2);
  EXPECT_EQ(data->GetIntegerValue(QStringLiteral("Language")), 2);
  EXPECT_EQ(Stored()->value(QStringLiteral("Language")).toInt(), 1);

  data.reset();
  EXPECT_EQ(Stored()->value(QStringLiteral("Language")).toInt(), 2);
}

TEST_F(TNoxRegistryDataTest, MissingValueEventsSeeTheDefaultAndMayChangeIt) {
  Stored()->setValue(QStringLiteral("Present"), 5);
  auto data = std::make_unique<TNoxRegistryData>();
  data->SetKeyName(kKey);
  data->SetIntegerDataList({QStringLiteral("Language=3"), QStringLiteral("Present=0")});
  data->SetStringDataList({QStringLiteral("Port=COM1")});

  QStringList calls;
  data->OnMissingIntegerValue = [&](TNoxRegistryData *sender, const QString &name, int &value) {
    EXPECT_EQ(sender, data.get());
    calls << QStringLiteral("int %1=%2").arg(name).arg(value);
    value = 4;
  };
  data->OnMissingStringValue = [&](TNoxRegistryData *, const QString &name, QString &value) {
    calls << QStringLiteral("string %1=%2").arg(name, value);
    value = QStringLiteral("COM2");
  };

  EXPECT_FALSE(data->ReadValues());
  EXPECT_EQ(calls, (QStringList{QStringLiteral("string Port=COM1"), QStringLiteral("int Language=3")}));
  EXPECT_EQ(data->IntegerDataList(),
            (QStringList{QStringLiteral("Language=4"), QStringLiteral("Present=5")}));
  EXPECT_EQ(data->StringDataList(), QStringList{QStringLiteral("Port=COM2")});
}

TEST_F(TNoxRegistryDataTest, StringSettingsSurviveTheRoundTrip) {
  const QString awkward = QStringLiteral("a, b; c=d \\ \"e\"");
  {
    TNoxRegistryData data;
    data.SetKeyName(kKey);
    data.SetStringDataList({QStringLiteral("Folder=") + awkward});
    EXPECT_FALSE(data.ReadValues());
  }
  TNoxRegistryData data;
  data.SetKeyName(kKey);
  data.SetStringDataList({QStringLiteral("Folder=something else")});
  EXPECT_TRUE(data.ReadValues());
  EXPECT_EQ(data.StringDataList(), QStringList{QStringLiteral("Folder=") + awkward});
}

TEST_F(TNoxRegistryDataTest, AStoredValueThatIsNotANumberCountsAsMissing) {
  Stored()->setValue(QStringLiteral("Language"), QStringLiteral("abc"));
  auto data = MakeLanguageSettings();
  int seen = -1;
  data->OnMissingIntegerValue = [&](TNoxRegistryData *, const QString &, int &value) { seen = value; };
  EXPECT_FALSE(data->ReadValues());
  EXPECT_EQ(seen, 0);
  EXPECT_EQ(data->GetIntegerValue(QStringLiteral("Language")), 0);
}

TEST_F(TNoxRegistryDataTest, AssignedListsAreCleaned) {
  TNoxRegistryData data;
  data.SetIntegerDataList({QStringLiteral("  Language = 2  "), QStringLiteral("no equals sign"),
                           QStringLiteral("Count=abc"), QStringLiteral("=7"),
                           QStringLiteral("Big=99999999999")});
  EXPECT_EQ(data.IntegerDataList(),
            (QStringList{QStringLiteral("Language=2"), QStringLiteral("Count=0"), QStringLiteral("Big=0")}));
  EXPECT_EQ(data.GetIntegerValue(QStringLiteral("Language")), 2);

  data.SetStringDataList({QStringLiteral(" Name = some text "), QStringLiteral("dropped")});
  EXPECT_EQ(data.StringDataList(), QStringList{QStringLiteral("Name=some text")});
}

TEST_F(TNoxRegistryDataTest, IntegerValuesInMemory) {
  TNoxRegistryData data;
  data.SetIntegerDataList({QStringLiteral("Language=1")});
  EXPECT_EQ(data.GetIntegerValue(QStringLiteral("Unlisted")), 0);
  data.SetIntegerValue(QStringLiteral("LANGUAGE"), -3);
  data.SetIntegerValue(QStringLiteral("Added"), 8);
  EXPECT_EQ(data.IntegerDataList(), (QStringList{QStringLiteral("Language=-3"), QStringLiteral("Added=8")}));
}

TEST_F(TNoxRegistryDataTest, EmptyKeyNameTouchesNothing) {
  {
    TNoxRegistryData data;
    data.SetIntegerDataList({QStringLiteral("Language=1")});
    EXPECT_FALSE(data.ReadValues());
    EXPECT_FALSE(data.WriteValues());
    EXPECT_EQ(data.GetIntegerValue(QStringLiteral("Language")), 1);
  }
  EXPECT_TRUE(QDir(m_dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot).isEmpty());
}

TEST(TNoxRegistryDataKeyPath, SplitsIntoOrganisationApplicationAndGroup) {
  struct Case {
    QString path;
    bool ok;
    QString organisation, application, group;
  };
  const Case cases[] = {
      {QStringLiteral("software\\nox srl\\QMD652"),
       true,
       QStringLiteral("nox srl"),
       QStringLiteral("QMD652"),
       {}},
      {QStringLiteral("SOFTWARE\\a\\b\\c\\d"), true, QStringLiteral("a"), QStringLiteral("b"),
       QStringLiteral("c/d")},
      {QStringLiteral("\\vendor\\\\tool\\"), true, QStringLiteral("vendor"), QStringLiteral("tool"), {}},
      {QStringLiteral("vendor"), true, QStringLiteral("vendor"), {}, {}},
      {QStringLiteral("software"), false, {}, {}, {}},
      {QStringLiteral("\\\\ \\"), false, {}, {}, {}},
      {QString(), false, {}, {}, {}},
  };
  for (const Case &c : cases) {
    QString organisation, application, group;
    ASSERT_EQ(TNoxRegistryData::SplitKeyPath(c.path, organisation, application, group), c.ok)
        << c.path.toStdString();
    if (!c.ok)
      continue;
    EXPECT_EQ(organisation, c.organisation);
    EXPECT_EQ(application, c.application);
    EXPECT_EQ(group, c.group);
  }
}

TEST_F(TNoxRegistryDataTest, GroupBelowTheApplicationIsUsed) {
  {
    TNoxRegistryData data;
    data.SetKeyName(QStringLiteral("software\\nox srl\\QMD652\\Window"));
    data.SetIntegerDataList({QStringLiteral("Width=640")});
    data.ReadValues();
  }
  EXPECT_EQ(Stored()->value(QStringLiteral("Window/Width")).toInt(), 640);
}

// Qt's own settings writer ignores a failed flush and renames an empty file
// over the settings; ours keeps the previous file and reports the failure.
TEST_F(TNoxRegistryDataTest, AWriteThatCannotCompleteKeepsThePreviousSettings) {
  if (!FileSizeLimit::Supported)
    GTEST_SKIP() << "no file-size limit on this system";
  auto data = MakeLanguageSettings();
  data->SetIntegerValue(QStringLiteral("Language"), 3);
  ASSERT_TRUE(data->WriteValues());
  const QString file = Stored()->fileName();
  QFile stored(file);
  ASSERT_TRUE(stored.open(QIODevice::ReadOnly));
  const QByteArray before = stored.readAll();
  stored.close();
  ASSERT_GT(before.size(), 10);
  data->SetIntegerValue(QStringLiteral("Language"), 4);
  {
    FileSizeLimit limit(5);
    EXPECT_FALSE(data->WriteValues());
  }
  ASSERT_TRUE(stored.open(QIODevice::ReadOnly));
  EXPECT_EQ(stored.readAll(), before);
  EXPECT_EQ(QDir(QFileInfo(file).absolutePath()).entryList(QDir::Files).size(), 1) << "no scratch file left";
  EXPECT_TRUE(data->WriteValues());
  EXPECT_EQ(Stored()->value(QStringLiteral("Language")).toInt(), 4);
}

} // namespace
