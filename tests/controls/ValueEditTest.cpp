#include "ControlFixture.h"
#include "controls/FloatText.h"
#include "controls/TValueEditEx.h"
#include "dataitems/NoxMessageEvent.h"
#include "support/LocaleScope.h"

#include <QDialog>
#include <QPushButton>
#include <cmath>

namespace {

struct FloatCase {
  QLocale::Language language;
  double value;
  const char *text;
};

TEST(FloatToTextTest, ShortestFormInTheUsersLocale) {
  const FloatCase cases[] = {
      {QLocale::English, 0.1 + 0.2, "0.3"},
      {QLocale::Italian, 2.5, "2,5"},
      {QLocale::English, -10000001, "-10000001"},
      {QLocale::Italian, -0.0, "0"},
      {QLocale::Italian, 1234567.25, "1234567,25"},
      {QLocale::English, 1.0 / 3, "0.333333333333333"},
      {QLocale::English, 1e20, "1E+20"},
  };
  for (const FloatCase &c : cases) {
    LocaleScope locale(c.language);
    EXPECT_EQ(FloatToText(c.value), QString::fromUtf8(c.text)) << c.value;
    double back = 0;
    EXPECT_TRUE(TextToFloat(FloatToText(c.value), back));
  }
  double ignored = 0;
  EXPECT_FALSE(TextToFloat(QStringLiteral("-"), ignored));
  EXPECT_FALSE(TextToFloat(QStringLiteral("inf"), ignored));
}

class ValueEditTest : public ControlFixture {
protected:
  void SetUp() override {
    ControlFixture::SetUp();
    edit = new TValueEditEx(&window);
    edit->setObjectName(QStringLiteral("Field"));
    edit->move(300, 20);
    next = new QLineEdit(&window);
    next->move(300, 80);
    edit->setNextControl(next);
  }

  void Bind(TNoxNumber &item) {
    edit->setValue(&item);
    item.Reload(); // the read notifies the field
  }

  // Moves the focus into the field (its text is then selected) and types.
  void Type(const QString &keys) {
    next->setFocus(Qt::TabFocusReason);
    edit->setFocus(Qt::TabFocusReason);
    QTest::keyClicks(edit, keys);
  }

  TValueEditEx *edit = nullptr;
  QLineEdit *next = nullptr;
};

struct TypingCase {
  QLocale::Language language;
  double min, max, precision;
  bool bound;
  const char *typed;
  const char *shown;
};

TEST_F(ValueEditTest, TypingFollowsTheParametersLimitsAndPrecision) {
  Show();
  const TypingCase cases[] = {
      {QLocale::English, 0, 100, 1, true, "12.5", "125"},     // no separator at precision 1
      {QLocale::English, 0, 100, 0.1, true, "1.2.5", "1.25"}, // one separator only
      {QLocale::English, 0, 100, 0, true, "1,5", "1.5"},      // thousands becomes decimal
      {QLocale::Italian, 0, 100, 0.1, true, "1.5", "1,5"},    // and the other way round
      {QLocale::Italian, 0, 100, 0.1, true, "2,5", "2,5"},
      {QLocale::English, -50, 50, 1, true, "-5-", "-5"}, // "-" once, at the start
      {QLocale::English, -50, 50, 1, true, "5-", "5"},
      {QLocale::English, 0, 100, 1, true, "-5", "5"},       // no "-" above zero
      {QLocale::English, 0, 0, 1, true, "-5", "-5"},        // no limits at all
      {QLocale::English, 0, 100, 1, true, "1a +2", "12"},   // letters, blank, plus
      {QLocale::English, 0, 100, 1, false, "-1.5", "-1.5"}, // unbound: both pass
  };
  for (const TypingCase &c : cases) {
    LocaleScope locale(c.language);
    auto item = Parameter(170, c.min, c.max, c.precision);
    edit->setValue(c.bound ? item.get() : nullptr);
    Type(QString::fromLatin1(c.typed));
    QTest::keyClick(edit, Qt::Key_V, Qt::ControlModifier); // typed shortcuts do nothing
    EXPECT_EQ(edit->text(), QString::fromLatin1(c.shown)) << c.typed;
  }
}

TEST_F(ValueEditTest, SelectionCoveringTheSeparatorLetsAnotherIn) {
  Show();
  auto item = Parameter(170, 0, 100, 0.1);
  edit->setValue(item.get());
  Type(QStringLiteral("1.5"));
  edit->setSelection(1, 1);
  QTest::keyClicks(edit, QStringLiteral("."));
  EXPECT_EQ(edit->text(), QStringLiteral("1.5"));
  edit->setCursorPosition(0);
  QTest::keyClicks(edit, QStringLiteral("."));
  EXPECT_EQ(edit->text(), QStringLiteral("1.5"));
}

TEST_F(ValueEditTest, EnterWritesTheValueAndShowsItAsStored) {
  Show();
  auto item = Parameter(170, 0, 100);
  unit->Memory[170] = 40;
  Bind(*item);
  EXPECT_EQ(edit->text(), QStringLiteral("40"));
  Type(QStringLiteral("150"));
  QTest::keyClick(edit, Qt::Key_Return);
  EXPECT_EQ(Writes(), QStringList{"170=100"});
  EXPECT_EQ(edit->text(), QStringLiteral("100")) << "clamped by the parameter";
  EXPECT_TRUE(next->hasFocus());
}

TEST_F(ValueEditTest, ItalianDecimalsReachTheUnitConverted) {
  LocaleScope locale(QLocale::Italian);
  Show();
  auto item = Parameter(170, 0, 25, 0.1);
  item->SetTransformation(ttFormula);
  item->SetCoeffs(1, 0, 0, 10); // tenths
  Bind(*item);
  Type(QStringLiteral("2,5"));
  QTest::keyClick(edit, Qt::Key_Enter);
  EXPECT_EQ(Writes(), QStringList{"170=25"});
  EXPECT_EQ(edit->text(), QStringLiteral("2,5"));
}

TEST_F(ValueEditTest, RefusedEnterBeepsResetsAndKeepsTheFocus) {
  Show();
  auto item = Parameter(170, 0, 100);
  unit->Memory[170] = 7;
  Bind(*item);
  unit->FailWrites = true;
  Type(QStringLiteral("9"));
  QTest::keyClick(edit, Qt::Key_Return);
  EXPECT_EQ(edit->text(), QStringLiteral("7"));
  EXPECT_EQ(edit->selectedText(), QStringLiteral("7"));
  EXPECT_TRUE(edit->hasFocus());

  unit->FailWrites = false;
  Type(QStringLiteral("-"));
  edit->clear();
  QTest::keyClick(edit, Qt::Key_Return); // empty text is no number
  EXPECT_EQ(edit->text(), QStringLiteral("7"));
  EXPECT_TRUE(edit->hasFocus());
  EXPECT_TRUE(Writes().size() == 1) << "only the failed attempt reached the unit";
}

TEST_F(ValueEditTest, UnboundFieldTakesDigitsButEnterOnlySelects) {
  Show();
  Type(QStringLiteral("42"));
  QTest::keyClick(edit, Qt::Key_Return);
  EXPECT_EQ(edit->text(), QStringLiteral("42"));
  EXPECT_EQ(edit->selectedText(), QStringLiteral("42"));
  EXPECT_TRUE(edit->hasFocus());
}

TEST_F(ValueEditTest, EnterNeverPressesTheDialogsDefaultButton) {
  QDialog dialog;
  auto *field = new TValueEditEx(&dialog);
  auto *button = new QPushButton(QStringLiteral("OK"), &dialog);
  button->move(0, 60);
  button->setDefault(true);
  int pressed = 0;
  QObject::connect(button, &QPushButton::clicked, [&] { ++pressed; });
  dialog.show();
  dialog.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));
  field->setFocus();
  QTest::keyClick(field, Qt::Key_Return);
  EXPECT_EQ(pressed, 0);
  EXPECT_TRUE(dialog.isVisible());
}

TEST_F(ValueEditTest, LeavingTheFieldDiscardsOrWritesByValidation) {
  Show();
  for (const bool validation : {true, false}) {
    auto item = Parameter(170, 0, 100);
    unit->Memory[170] = 5;
    Bind(*item);
    unit->Calls.clear();
    edit->setValidation(validation);
    Type(QStringLiteral("60"));
    next->setFocus(Qt::MouseFocusReason);
    EXPECT_EQ(Writes(), validation ? QStringList() : QStringList{"170=60"}) << validation;
    EXPECT_EQ(edit->text(), validation ? QStringLiteral("5") : QStringLiteral("60"));
  }
}

TEST_F(ValueEditTest, EscRestoresTheStoredValueWithoutWriting) {
  Show();
  auto item = Parameter(170, 0, 100);
  unit->Memory[170] = 12;
  Bind(*item);
  unit->Calls.clear();
  Type(QStringLiteral("99"));
  QTest::keyClick(edit, Qt::Key_Escape);
  EXPECT_EQ(edit->text(), QStringLiteral("12"));
  EXPECT_EQ(edit->selectedText(), QStringLiteral("12"));
  EXPECT_TRUE(Writes().isEmpty());
}

TEST_F(ValueEditTest, ArrowsFollowTheNeighboursOrTheTabOrder) {
  auto *prev = new TValueEditEx(&window);
  prev->move(300, 140);
  edit->setPrevControl(prev);
  QWidget::setTabOrder(next, edit);
  Show();
  edit->setFocus();
  QTest::keyClick(edit, Qt::Key_Up);
  EXPECT_TRUE(prev->hasFocus());
  edit->setFocus();
  QTest::keyClick(edit, Qt::Key_Down);
  EXPECT_TRUE(next->hasFocus());

  prev->setVisible(false); // a hidden neighbour: the tab order decides
  edit->setFocus();
  QTest::keyClick(edit, Qt::Key_Up);
  EXPECT_TRUE(next->hasFocus()) << "previous in tab order";

  auto *other = new QLineEdit(&window);
  other->show();
  delete next; // a destroyed neighbour is forgotten
  next = nullptr;
  EXPECT_EQ(edit->NextControl(), nullptr);
  edit->setFocus();
  QTest::keyClick(edit, Qt::Key_Down);
  EXPECT_TRUE(other->hasFocus());
}

TEST_F(ValueEditTest, NotDefinedParameterHidesTheFieldUntilTheNextChange) {
  Show();
  auto item = Parameter(170, 0, 100);
  edit->setValue(item.get());
  edit->setDataNotDefinedAspect(Nox::ddInvisible);
  unit->Status = STATUS_NOT_DEFINED;
  item->Reload();
  EXPECT_FALSE(edit->isVisible());
  EXPECT_FALSE(edit->EditLabel()->isVisible());
  EXPECT_FALSE(edit->Defined());

  unit->Status = 0;
  item->Reload();
  EXPECT_TRUE(edit->isVisible());
  EXPECT_TRUE(edit->EditLabel()->isVisible());

  unit->Status = STATUS_NOT_DEFINED;
  item->Reload();
  edit->setDataNotDefinedAspect(Nox::ddDisabled);
  EXPECT_TRUE(edit->isVisible());
  EXPECT_FALSE(edit->isEnabled());
  EXPECT_FALSE(edit->EditLabel()->isEnabled());
  edit->setDataNotDefinedAspect(Nox::ddNone);
  EXPECT_TRUE(edit->isEnabled()) << "back under the old aspect";
}

TEST_F(ValueEditTest, LiveValuesAndReloadGoThroughTheParameter) {
  Show();
  auto item = Parameter(170);
  edit->setValue(item.get());
  const std::int32_t raw = 33;
  NoxMessageEvent packet(MSG_PACKET_DATA, reinterpret_cast<std::uintptr_t>(&raw), 0);
  QCoreApplication::sendEvent(edit, &packet);
  EXPECT_EQ(edit->text(), QStringLiteral("33"));
  EXPECT_TRUE(unit->Calls.isEmpty()) << "a live value is cached, not read";

  unit->Memory[170] = 44;
  EXPECT_TRUE(edit->ReloadValue());
  EXPECT_EQ(edit->text(), QStringLiteral("44"));
  unit->FailReads = true;
  unit->Memory[170] = 45;
  EXPECT_FALSE(edit->ReloadValue());
  EXPECT_EQ(item->RawValue(), 44) << "the cached value stands in the parameter";
  EXPECT_TRUE(edit->text().isEmpty()) << "but the field does not pass it off as the unit's";
  unit->FailReads = false;
  EXPECT_TRUE(edit->ReloadValue());
  EXPECT_EQ(edit->text(), QStringLiteral("45")) << "a read that succeeds shows the value again";
}

TEST_F(ValueEditTest, DestroyedParameterOrFieldIsForgotten) {
  Show();
  auto item = Parameter(170);
  edit->setValue(item.get());
  item.reset();
  EXPECT_EQ(edit->Value(), nullptr);
  Type(QStringLiteral("3"));
  QTest::keyClick(edit, Qt::Key_Return);
  EXPECT_TRUE(edit->hasFocus());

  item = Parameter(170);
  edit->setValue(item.get());
  QPointer<TChildLabel> label = edit->EditLabel();
  delete edit;
  edit = nullptr;
  EXPECT_TRUE(item->Observers().isEmpty());
  EXPECT_TRUE(label.isNull());
  item->Reload(); // notifies nobody
}

} // namespace
