// The constructed-wave window on the simulated unit, typed into as a fitter
// would.
#include "SimulatedUnitWindowFixture.h"

#include "controls/TNumericEdit.h"
#include "controls/TValueEditEx.h"
#include "dataitems/TNoxNumber.h"
#include "windows/TFormOndaCostruita.h"

#include <QLabel>
#include <QPushButton>
#include <QTest>

namespace {

using window_test::SimulatedUnitWindowFixture;

constexpr int kTicksByte = 171;
constexpr int kBlocksByte = 173;
constexpr int kWavesByte = 172;

class WaveWindow : public SimulatedUnitWindowFixture {
protected:
  void SetUp() override {
    SimulatedUnitWindowFixture::SetUp();
    Connect();
  }

  // A fresh window, as each press of "Onda Costruita" makes one.
  void Open() {
    Form = std::make_unique<TFormOndaCostruita>(Module);
    window_test::ShowActive(Form.get());
  }
  template <typename T> T *Child(const char *name) const { return window_test::ChildOf<T>(Form.get(), name); }
  // The fitter's way into a field: Tab from wherever the focus is.
  void Reach(QLineEdit *edit) {
    for (int i = 0; i < 8 && QApplication::focusWidget() != edit; ++i)
      QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    ASSERT_EQ(QApplication::focusWidget(), edit);
  }
  void TypeInto(QLineEdit *edit, const QString &text) {
    Reach(edit);
    QTest::keyClicks(edit, text);
    QTest::keyClick(edit, Qt::Key_Return);
  }

  std::unique_ptr<TFormOndaCostruita> Form;
};

TEST_F(WaveWindow, ProbeTimeIsSplitIntoBlocksAndTicksAndShownBack) {
  struct {
    const char *Typed;
    int Blocks, Ticks;
    const char *Shown;
  } const cases[] = {
      {"1", 1, 50, "1"},   {"7", 2, 93, "6.98"},   {"5.12", 1, 255, "5.1"},
      {"0.02", 0, 0, "0"}, {"700", 125, 0, "640"},
  };
  for (const auto &c : cases) {
    SCOPED_TRACE(c.Typed);
    Open();
    auto *time = Child<TNumericEdit>("NumericEditSondaSconnessa");
    TypeInto(time, QString::fromLatin1(c.Typed));
    EXPECT_EQ(UnitByte(kBlocksByte), c.Blocks);
    EXPECT_EQ(UnitByte(kTicksByte), c.Ticks);
    EXPECT_EQ(QApplication::focusWidget(), Child<QWidget>("NoxValueEditNumeroOnde")) << "Enter moves on";
    Form.reset();
    Open();
    EXPECT_EQ(Child<TNumericEdit>("NumericEditSondaSconnessa")->text(), QString::fromLatin1(c.Shown));
    Form.reset();
  }
}

TEST_F(WaveWindow, TheFirstKeyInTheOpenedWindowReplacesTheValue) {
  Open();
  QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("1"));
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
  EXPECT_EQ(UnitByte(169), 50) << "1 s of high time, not the old value with a 1 after it";
}

TEST_F(WaveWindow, TheProbeTimeShowsWhatTheUnitHoldsAndConfirmingItAgainKeepsTheBytes) {
  const struct {
    const char *Typed;
    const char *Shown;
  } cases[] = {{"5.12", "5.1"}, {"7", "6.98"}, {"2.5", "2.5"}, {"645", "640"}, {"", "0"}};
  Open();
  auto *time = Child<TNumericEdit>("NumericEditSondaSconnessa");
  for (const auto &c : cases) {
    SCOPED_TRACE(c.Typed);
    if (*c.Typed) {
      TypeInto(time, QString::fromLatin1(c.Typed));
    } else { // an emptied field
      Reach(time);
      QTest::keyClick(time, Qt::Key_Delete);
      QTest::keyClick(time, Qt::Key_Return);
    }
    EXPECT_EQ(time->text(), QString::fromLatin1(c.Shown));
    const int blocks = UnitByte(kBlocksByte), ticks = UnitByte(kTicksByte);
    TypeInto(time, time->text()); // the shown time, confirmed as it stands
    EXPECT_EQ(UnitByte(kBlocksByte), blocks);
    EXPECT_EQ(UnitByte(kTicksByte), ticks);
    EXPECT_EQ(time->text(), QString::fromLatin1(c.Shown));
  }
}

TEST_F(WaveWindow, NoWaveCountOfZeroWhileAProbeTimeIsSet) {
  Open();
  auto *waves = Child<TValueEditEx>("NoxValueEditNumeroOnde");
  TypeInto(Child<TNumericEdit>("NumericEditSondaSconnessa"), QStringLiteral("2.5"));
  TypeInto(waves, QStringLiteral("0"));
  EXPECT_EQ(UnitByte(kWavesByte), 1);
  EXPECT_EQ(waves->text(), QStringLiteral("1"));

  TypeInto(Child<TNumericEdit>("NumericEditSondaSconnessa"), QStringLiteral("0"));
  ASSERT_EQ(UnitByte(kBlocksByte), 0);
  TypeInto(waves, QStringLiteral("0"));
  EXPECT_EQ(UnitByte(kWavesByte), 0) << "without a probe time 0 waves is allowed";
}

TEST_F(WaveWindow, ShowingReadsTheWaveAgainAndTakesItsCaptionsFromTheLanguage) {
  SetUnitByte(kWavesByte, 9);
  Open();
  EXPECT_EQ(Child<TValueEditEx>("NoxValueEditNumeroOnde")->text(), QStringLiteral("9"));
  // Each caption carries its unit and limits, as the configuration window's hint.
  EXPECT_EQ(Child<TValueEditEx>("NoxValEditNVolteAlto")->LabelCaption(), Module.Text(101) + " (0;5.1 s)");
  EXPECT_EQ(Child<QLabel>("LabelTempoTristate")->text(), Module.Text(104) + " (0;640 s)");
  EXPECT_FALSE(Module.Text(104).isEmpty());
  Child<QPushButton>("Button1")->click();
  EXPECT_FALSE(Form->isVisible());
}

// Every value is written as it is confirmed: the window has nothing to
// confirm, so Esc closes it once the field has nothing left to take back.
TEST_F(WaveWindow, EscTakesBackTheTypingThenClosesTheWindow) {
  struct {
    const char *Field;
  } const cases[] = {{"NoxValEditNVolteAlto"}, {"NumericEditSondaSconnessa"}};
  for (const auto &c : cases) {
    SCOPED_TRACE(c.Field);
    Open();
    auto *field = Child<QLineEdit>(c.Field);
    Reach(field);
    const QString shown = field->text();
    QTest::keyClicks(field, QStringLiteral("9"));
    ASSERT_NE(field->text(), shown);
    QTest::keyClick(field, Qt::Key_Escape);
    EXPECT_EQ(field->text(), shown) << "the typing is taken back";
    EXPECT_TRUE(Form->isVisible()) << "the first Esc was the field's";
    QTest::keyClick(field, Qt::Key_Escape);
    EXPECT_FALSE(Form->isVisible());
  }
}

} // namespace
