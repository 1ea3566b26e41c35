// The vehicle configuration window when the line to the unit fails: the lost
// line is said once and the live values go blank until it is back, and a
// value that cannot be written says why, once per key the fitter presses.
#include "SimulatedUnitWindowFixture.h"

#include "controls/TNoxLabel.h"
#include "dataitems/TDataRefresher.h"
#include "support/CaseName.h"
#include "support/WaitFor.h"
#include "windows/TFormConfig.h"

#include <QApplication>
#include <QFile>
#include <QProgressBar>
#include <QTemporaryDir>
#include <QTest>

namespace {

using window_test::SimulatedUnitWindowFixture;

constexpr int kTemperatureByte = 224; // "Temperatura per Cambio"

class ConfigLine : public SimulatedUnitWindowFixture {
protected:
  // The unit remembers its memory in a file of the test's own, so what
  // reached it can be read while the line is down.
  void UseUnitWith(const QByteArray &lines) {
    UseUnit(lines + "\nmemory_image = " + m_memory.filePath(QStringLiteral("unit.bin")).toLocal8Bit() +
            "\npersist = true\n");
  }
  QByteArray UnitMemory() const {
    QFile file(m_memory.filePath(QStringLiteral("unit.bin")));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
  }
  void TearDown() override {
    Module.DataRefresher->SetRunning(false);
    Form.reset();
    SimulatedUnitWindowFixture::TearDown();
  }
  // Created at start-up, shown by F1 with the live values running.
  void Open() {
    Form = std::make_unique<TFormConfig>(Module);
    window_test::ShowActive(Form.get());
    Module.DataRefresher->SetRunning(true);
  }
  QStringList LiveTexts() const {
    QStringList texts;
    for (const TNoxLabel *label : Form->findChildren<TNoxLabel *>())
      texts << label->text();
    return texts;
  }
  bool AllBlank() const {
    const QStringList texts = LiveTexts();
    return std::all_of(texts.begin(), texts.end(), [](const QString &text) { return text.isEmpty(); });
  }
  bool NoneBlank() const {
    const QStringList texts = LiveTexts();
    return std::none_of(texts.begin(), texts.end(), [](const QString &text) { return text.isEmpty(); });
  }
  // What happened, then what to do about it.
  QString LostText() const {
    QString text = Module.Text(210);
    text[0] = text[0].toUpper();
    return text + QLatin1Char('\n') + Module.Text(400);
  }

  std::unique_ptr<TFormConfig> Form;

private:
  QTemporaryDir m_memory;
};

TEST_F(ConfigLine, LostLineIsSaidOnceAndTheLiveValuesBlankUntilItIsBack) {
  UseUnitWith("lose_connection_after = 130");
  Connect();
  Open();
  ASSERT_EQ(LiveTexts().size(), 7);
  EXPECT_TRUE(NoneBlank()) << LiveTexts().join(QLatin1Char('|')).toStdString();

  ASSERT_TRUE(WaitFor([&] { return !Ui.Messages.isEmpty(); })) << "the line drops within the window";
  EXPECT_EQ(Ui.Messages[0].Text, LostText());
  EXPECT_EQ(Ui.Messages[0].Title, Form->windowTitle());
  EXPECT_TRUE(AllBlank()) << LiveTexts().join(QLatin1Char('|')).toStdString();
  for (const char *lamp :
       {"LMDProgressFillTPS0", "LMDProgressFillLambda0", "LMDProgressFillLambda1", "LMDProgressFillLambda2"})
    EXPECT_EQ(window_test::ChildOf<QProgressBar>(Form.get(), lamp)->value(), 0) << lamp;
  QTest::qWait(200); // ten refresh cycles
  EXPECT_EQ(Ui.Messages.size(), 1) << "said once";
  EXPECT_TRUE(AllBlank());

  // The line back: the values read with it show at once.
  ASSERT_EQ(Module.ConnectAndReadAll(4, 0), 0);
  ASSERT_TRUE(WaitFor([&] { return NoneBlank(); })) << LiveTexts().join(QLatin1Char('|')).toStdString();
}

struct WriteFailureCase {
  const char *name;
  QByteArray unit;
  bool connect;
  bool lineDrops;
  int reasonTextId;
  int status; // the unit's status in the reason, where it has one
};

class WriteFailureTest : public ConfigLine, public ::testing::WithParamInterface<WriteFailureCase> {};

TEST_P(WriteFailureTest, SaysWhyOncePerConfirmedValue) {
  const auto c = GetParam();
  UseUnitWith(c.unit);
  if (c.connect)
    Connect();
  Open();
  int said = 0;
  if (c.lineDrops) {
    ASSERT_TRUE(WaitFor([&] { return Ui.Messages.size() == 1; }));
    said = 1;
  }
  const QByteArray before = UnitMemory();
  QString reason = Module.Text(c.reasonTextId);
  if (c.status)
    reason = reason.arg(c.status);
  // Down three times to "Temperatura per Cambio", a value, Enter; then the
  // fitter tries once more.
  for (int i = 0; i < 3; ++i)
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Down);
  for (int attempt = 1; attempt <= 2; ++attempt) {
    QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("33"));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    ++said;
    ASSERT_TRUE(WaitFor([&] { return Ui.Messages.size() >= said; })) << attempt;
    EXPECT_EQ(Ui.Messages.last().Text, Module.Text(211).arg(reason)) << attempt;
    EXPECT_EQ(Ui.Messages.last().Title, Form->windowTitle());
  }
  QTest::qWait(50);
  EXPECT_EQ(Ui.Messages.size(), said) << "one message for each Enter";
  EXPECT_EQ(UnitMemory(), before) << "nothing reached the unit";
  if (!before.isEmpty()) {
    EXPECT_EQ(static_cast<std::uint8_t>(before[kTemperatureByte]), 128) << "25 degrees as before";
  }
}

INSTANTIATE_TEST_SUITE_P(Causes, WriteFailureTest,
                         ::testing::Values(WriteFailureCase{"no_answer", "write_fail = 224", true, false,
                                                            334, 0},
                                           WriteFailureCase{"not_in_this_unit", "undefined = 224", true, false,
                                                            336, 0},
                                           WriteFailureCase{"line_lost", "lose_connection_after = 130", true,
                                                            true, TSerialDataModule::TEXT_LINE_LOST, 0},
                                           WriteFailureCase{"never_connected", "", false, false, 11, 0}),
                         CaseName<WriteFailureCase>);

} // namespace
