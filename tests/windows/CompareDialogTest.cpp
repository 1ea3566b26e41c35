// The comparison before loading, on the simulated unit: what it lists, what
// Enter and Esc do, and a file that cannot be read.
#include "dataitems/TNoxConnection.h"
#include "dataitems/TNoxNumber.h"
#include "ecuconfig/TSerialDataModule.h"
#include "platform/DynamicLibrary.h"
#include "support/RecordingUserInterface.h"
#include "translator/TTranslator.h"
#include "windows/TFormCompare.h"

#include <QApplication>
#include <QCheckBox>
#include <QFile>
#include <QLabel>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

namespace {

class CompareDialog : public ::testing::Test {
protected:
  void SetUp() override {
    ASSERT_TRUE(Dir.isValid());
    QFile config(Dir.filePath(QStringLiteral("unit.ini")));
    ASSERT_TRUE(config.open(QIODevice::WriteOnly));
    config.write("latency_ms = 0\ndefault_acquired_after_ms = 0\n");
    config.close();
    qputenv("NOX_SIMECU_CONFIG", config.fileName().toLocal8Bit());
    Module.Translator->SetDllName(DynamicLibrary::ExecutableFolder() + QStringLiteral("/Languages.dll"));
    ASSERT_TRUE(Module.Translator->LoadLanguageLibrary());
    Module.Translator->SetLanguage(1);
    ASSERT_EQ(Module.ConnectAndReadAll(4, 0), 0);
    ASSERT_TRUE(Module.SaveConfiguration(File()));
  }
  void TearDown() override { qunsetenv("NOX_SIMECU_CONFIG"); }

  QString File() const { return Dir.filePath(QStringLiteral("car.kfg")); }

  // Every byte of the unit's configuration memory.
  QList<int> Memory() {
    QList<int> bytes;
    NoxProtocolObject *unit = Module.NoxConnection->ProtocolObject();
    for (int address = 0; address < 256; ++address) {
      std::int32_t value = -1;
      unit->ReadAtAddress(0, address, &value);
      bytes << value;
    }
    return bytes;
  }

  // Runs the comparison and answers the dialog with a key, if one shows.
  bool Confirm(Qt::Key answer, bool tickDoNotShow = false) {
    Shown.reset();
    QTimer answerer;
    QObject::connect(&answerer, &QTimer::timeout, [&] {
      auto *dialog = qobject_cast<TFormCompare *>(QApplication::activeModalWidget());
      if (!dialog)
        return;
      answerer.stop();
      Shown.emplace(ShownDialog{dialog->Summary()->text(), {}, dialog->Table()->isVisible()});
      for (int row = 0; row < dialog->Table()->rowCount(); ++row)
        Shown->Rows << QStringList{dialog->Table()->item(row, 0)->text(),
                                   dialog->Table()->item(row, 1)->text(),
                                   dialog->Table()->item(row, 2)->text()};
      if (tickDoNotShow)
        dialog->DoNotShowAgainBox()->setChecked(true);
      QTest::keyClick(dialog, answer);
    });
    answerer.start(10);
    bool doNotShowAgain = false;
    const bool load = TFormCompare::ConfirmLoad(Module, File(), Captions, nullptr, doNotShowAgain);
    DoNotShowAgain = doNotShowAgain;
    return load;
  }

  struct ShownDialog {
    QString Summary;
    QList<QStringList> Rows;
    bool TableVisible;
  };

  RecordingUserInterface Ui;
  QTemporaryDir Dir;
  TSerialDataModule Module;
  TFormCompare::CaptionLookup Captions = [this](const TNoxNumber *item) {
    return item == Module.GiriCutOff ? QStringLiteral("Cut-off RPM") : QString();
  };
  std::optional<ShownDialog> Shown;
  bool DoNotShowAgain = false;
};

TEST_F(CompareDialog, IdenticalFileSaysSoAndEnterStillLoads) {
  EXPECT_TRUE(Confirm(Qt::Key_Return, true));
  ASSERT_TRUE(Shown);
  EXPECT_EQ(Shown->Summary, QStringLiteral("The file holds the same values as the ECU. Load it anyway?"));
  EXPECT_TRUE(Shown->Rows.isEmpty());
  EXPECT_FALSE(Shown->TableVisible);
  EXPECT_TRUE(DoNotShowAgain);
}

TEST_F(CompareDialog, OneDifferenceShowsCaptionUnitAndFileValues) {
  ASSERT_TRUE(Module.GiriCutOff->SetValue(2500));
  const QList<int> before = Memory();
  EXPECT_FALSE(Confirm(Qt::Key_Escape));
  ASSERT_TRUE(Shown);
  EXPECT_EQ(Shown->Summary, QStringLiteral("Loading this file will change these values in the ECU:"));
  ASSERT_EQ(Shown->Rows.size(), 1);
  EXPECT_EQ(Shown->Rows[0], (QStringList{"Cut-off RPM", "2500 RPM", "1500 RPM"}));
  EXPECT_FALSE(DoNotShowAgain);
  EXPECT_EQ(Memory(), before) << "Esc must write nothing";
}

TEST_F(CompareDialog, ManyDifferencesAreListedByFileKeyWhereNoFieldShowsThem) {
  const QList<int> saved = Memory();
  ASSERT_TRUE(Module.GiriCutOff->SetValue(2500));
  ASSERT_TRUE(Module.VelIngrMinimo->SetValue(70));
  ASSERT_TRUE(Module.POSIZIONE_DEFAULT->SetValue(120));
  EXPECT_TRUE(Confirm(Qt::Key_Enter));
  ASSERT_TRUE(Shown);
  ASSERT_EQ(Shown->Rows.size(), 3);
  QStringList captions;
  for (const QStringList &row : Shown->Rows)
    captions << row[0];
  EXPECT_TRUE(captions.contains(QStringLiteral("Cut-off RPM")));
  EXPECT_TRUE(captions.contains(Module.VelIngrMinimo->FileKey()));
  EXPECT_TRUE(captions.contains(Module.POSIZIONE_DEFAULT->FileKey()));

  // Enter means load: the caller loads, and the unit holds the file's values
  // again, so a second comparison finds nothing.
  ASSERT_TRUE(Module.LoadConfiguration(File()));
  const QList<int> loaded = Memory();
  for (int address : {168, 174})
    EXPECT_EQ(loaded[address], saved[address]) << address;
  EXPECT_EQ(Module.GiriCutOff->GetValue(), 1500);
  ConfigurationComparison again;
  ASSERT_TRUE(again.Compare(Module, File()));
  EXPECT_TRUE(again.Differences().isEmpty());
}

TEST_F(CompareDialog, GarbageFileIsReportedAndNothingIsWritten) {
  ASSERT_TRUE(Module.GiriCutOff->SetValue(2500));
  const QList<int> before = Memory();
  // Too short to decipher, and long enough but deciphering to no parameter.
  for (const QByteArray &content : {QByteArray(100, '\x5a'), QByteArray(300, '\x5a')}) {
    SCOPED_TRACE(content.size());
    Ui.Messages.clear();
    QFile garbage(File());
    ASSERT_TRUE(garbage.open(QIODevice::WriteOnly | QIODevice::Truncate));
    garbage.write(content);
    garbage.close();
    EXPECT_FALSE(Confirm(Qt::Key_Return));
    EXPECT_FALSE(Shown) << "no comparison to show";
    ASSERT_EQ(Ui.Messages.size(), 1);
    EXPECT_TRUE(Ui.Messages[0].Text.contains(File()));
    EXPECT_EQ(Ui.Messages[0].Title, Module.Text(99));
    EXPECT_EQ(Memory(), before);
  }
}

} // namespace
