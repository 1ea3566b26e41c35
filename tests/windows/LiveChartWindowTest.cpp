// The live chart window on the data module's own live values, delivered the
// way the refresher hands them over.
#include "dataitems/LiveRecorder.h"
#include "dataitems/LiveTraces.h"
#include "dataitems/TNoxPacketData.h"
#include "ecuconfig/TSerialDataModule.h"
#include "platform/DynamicLibrary.h"
#include "support/RecordingUserInterface.h"
#include "translator/TTranslator.h"
#include "windows/StripChart.h"
#include "windows/TFormLiveChart.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <array>
#include <cstring>
#include <gtest/gtest.h>

namespace {

// Takes a few bytes, then fails like a full disk.
class FullDisk : public QIODevice {
public:
  FullDisk() {
    open(QIODevice::WriteOnly);
    setErrorString(QStringLiteral("No space left on device"));
  }

protected:
  qint64 readData(char *, qint64) override { return -1; }
  qint64 writeData(const char *, qint64 size) override {
    m_taken += size;
    return m_taken > 400 ? -1 : size;
  }

private:
  qint64 m_taken = 0;
};

class LiveChartWindow : public ::testing::Test {
protected:
  void SetUp() override {
    Module.Translator->SetDllName(DynamicLibrary::ExecutableFolder() + QStringLiteral("/Languages.dll"));
    ASSERT_TRUE(Module.Translator->LoadLanguageLibrary());
    Module.Translator->SetLanguage(1);
    Chart = std::make_unique<TFormLiveChart>(Module);
    Chart->ApplyTexts();
    Chart->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(Chart.get()));
  }

  // One refresh cycle: every live value takes its byte of the packet.
  void Cycle(const std::array<std::uint8_t, 9> &packet) {
    std::array<std::uint8_t, 4 + 9> buffer{9};
    std::memcpy(buffer.data() + 4, packet.data(), packet.size());
    for (TNoxSerialData *item : Module.DataItems())
      if (auto *live = qobject_cast<TNoxPacketData *>(item))
        live->ReceiveData(buffer.data());
    QCoreApplication::processEvents();
  }

  // Pixels of the chart in a trace's colour.
  int PixelsOf(const QColor &colour) {
    const QImage image = Chart->Chart()->grab().toImage();
    int count = 0;
    for (int y = 0; y < image.height(); ++y)
      for (int x = 0; x < image.width(); ++x)
        count += image.pixelColor(x, y) == colour;
    return count;
  }

  RecordingUserInterface Ui;
  TSerialDataModule Module;
  std::unique_ptr<TFormLiveChart> Chart;
  QTemporaryDir Dir;
};

TEST_F(LiveChartWindow, TracesMoveWithDeliveriesAndCanBeHidden) {
  // Speed byte, lambda, TPS, idle TPS, actuator, default, lambda band...
  for (int i = 0; i < 20; ++i) {
    Cycle({140, static_cast<std::uint8_t>(i % 2 ? 40 : 200), 31, 31, static_cast<std::uint8_t>(90 + i), 100,
           static_cast<std::uint8_t>(i % 3), 0, 120});
    QTest::qWait(5);
  }
  LiveTraces *traces = Chart->Traces();
  for (int trace = 0; trace < 5; ++trace)
    EXPECT_EQ(traces->Trace(trace).Points().size(), 20u) << trace;
  // Scales follow what is shown: lambda up to 3.92 V gets 0-5 V.
  EXPECT_EQ(Chart->Chart()->ScaleTop(1), 5);

  const QColor lambda(0xd0, 0x30, 0x20);
  EXPECT_GT(PixelsOf(lambda), 20);
  QTest::mouseClick(Chart->TraceCheckBox(1), Qt::LeftButton);
  EXPECT_FALSE(Chart->Chart()->TraceVisible(1));
  EXPECT_EQ(PixelsOf(lambda), 0);
  EXPECT_TRUE(Chart->Chart()->TraceVisible(0));

  Chart->WindowCombo()->setCurrentIndex(2);
  EXPECT_EQ(traces->WindowMs(), 300000);
  Chart->WindowCombo()->setCurrentIndex(0);
  EXPECT_EQ(traces->WindowMs(), 30000);
}

TEST_F(LiveChartWindow, F9RecordsEveryCycleUntilF9Again) {
  const QString path = Dir.filePath(QStringLiteral("road.csv"));
  int asked = 0;
  Chart->ChooseRecordingFile = [&] {
    ++asked;
    return path;
  };
  QTest::keyClick(Chart.get(), Qt::Key_F9);
  ASSERT_TRUE(Chart->Recording());
  EXPECT_EQ(Chart->RecordButton()->text(), QStringLiteral("Stop (F9)"));
  for (int i = 0; i < 3; ++i)
    Cycle({140, 50, 31, 31, 90, 100, 1, 0, 120});
  EXPECT_TRUE(Chart->RecordingStatus()->text().contains(QStringLiteral("3 rows")))
      << Chart->RecordingStatus()->text().toStdString();
  QTest::keyClick(Chart.get(), Qt::Key_F9);
  EXPECT_FALSE(Chart->Recording());
  EXPECT_EQ(asked, 1);
  EXPECT_EQ(Chart->RecordButton()->text(), QStringLiteral("Record (F9)"));
  Cycle({140, 50, 31, 31, 90, 100, 1, 0, 120});

  QFile file(path);
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  EXPECT_EQ(file.readAll().count('\n'), 4); // header and three rows

  // Cancelling the file dialog records nothing.
  Chart->ChooseRecordingFile = [] { return QString(); };
  QTest::keyClick(Chart.get(), Qt::Key_F9);
  EXPECT_FALSE(Chart->Recording());
  EXPECT_TRUE(Ui.Messages.isEmpty());
}

TEST_F(LiveChartWindow, DiskFailuresAreReportedAndStopTheRecording) {
  EXPECT_FALSE(Chart->StartRecording(Dir.filePath(QStringLiteral("no/such/folder/road.csv"))));
  ASSERT_EQ(Ui.Messages.size(), 1);
  EXPECT_TRUE(Ui.Messages[0].Text.startsWith(QStringLiteral("The recording file could not be created.")));
  EXPECT_EQ(Ui.Messages[0].Icon, MessageIcon::Error);

  ASSERT_TRUE(Chart->Recorder()->Start(std::make_unique<FullDisk>()));
  for (int i = 0; i < 20 && Chart->Recorder()->Recording(); ++i)
    Cycle({140, 50, 31, 31, 90, 100, 1, 0, 120});
  EXPECT_FALSE(Chart->Recording());
  ASSERT_EQ(Ui.Messages.size(), 2);
  EXPECT_TRUE(Ui.Messages[1].Text.startsWith(QStringLiteral("The recording has stopped")));
  EXPECT_TRUE(Ui.Messages[1].Text.endsWith(QStringLiteral("No space left on device")));
  EXPECT_EQ(Chart->RecordButton()->text(), QStringLiteral("Record (F9)"));
  EXPECT_FALSE(Chart->RecordButton()->isChecked());
}

TEST_F(LiveChartWindow, LanguageSwitchReplacesEveryText) {
  Chart->WindowCombo()->setCurrentIndex(2);
  Module.Translator->SetLanguage(0);
  Chart->ApplyTexts();
  EXPECT_EQ(Chart->windowTitle(), QStringLiteral("Grafico in Tempo Reale"));
  EXPECT_EQ(Chart->TraceCheckBox(0)->text(), QStringLiteral("Giri motore (RPM)"));
  EXPECT_EQ(Chart->RecordButton()->text(), QStringLiteral("Registra (F9)"));
  ASSERT_EQ(Chart->WindowCombo()->count(), 3);
  EXPECT_EQ(Chart->WindowCombo()->currentIndex(), 2);
  EXPECT_EQ(Chart->Traces()->WindowMs(), 300000);
}

} // namespace
