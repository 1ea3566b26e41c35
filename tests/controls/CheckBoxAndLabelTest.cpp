#include "ControlFixture.h"
#include "controls/NumberPattern.h"
#include "controls/TNoxCheckBox.h"
#include "controls/TNoxLabel.h"
#include "dataitems/TNoxPacketData.h"
#include "support/LocaleScope.h"

namespace {

class CheckBoxTest : public ControlFixture {
protected:
  void SetUp() override {
    ControlFixture::SetUp();
    box = new TNoxCheckBox(&window);
    box->setText(QStringLiteral("CutOff"));
    box->move(20, 20);
    item = Parameter(190, 0, 15);
    box->setValue(item.get());
  }

  void Click() { QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(8, box->height() / 2)); }

  TNoxCheckBox *box = nullptr;
  std::unique_ptr<TNoxNumber> item;
};

TEST_F(CheckBoxTest, MaskedBitWritesOnlyItsBits) {
  box->setCondition(Nox::ccMaskedBit);
  box->setConditionValue(4);
  box->setCheckedValue(4);
  box->setUncheckedValue(0);
  unit->Memory[190] = 7;
  item->Reload();
  Show();
  EXPECT_TRUE(box->isChecked());
  unit->Calls.clear();
  Click();
  EXPECT_FALSE(box->isChecked());
  Click();
  EXPECT_TRUE(box->isChecked());
  EXPECT_EQ(Writes(), QStringList({"190=3", "190=7"}));
}

TEST_F(CheckBoxTest, OtherConditionsWriteWithTheLimitsLifted) {
  item->SetValueMin(5); // would turn 1 and 0 into 5
  box->setCondition(Nox::ccNotEqualTo);
  Show();
  int clicks = 0;
  QObject::connect(box, &TNoxCheckBox::Click, [&] {
    ++clicks;
    EXPECT_EQ(Writes().size(), clicks - 1) << "the window's handler runs before the write";
  });
  Click();
  Click();
  EXPECT_EQ(Writes(), QStringList({"190=1", "190=0"}));
  EXPECT_FALSE(item->DisableLimits()) << "put back after the write";
  EXPECT_EQ(clicks, 2);
}

TEST_F(CheckBoxTest, ConditionsDecideTheStateWithoutWriting) {
  const struct {
    Nox::TCheckCondition condition;
    double conditionValue;
    int stored;
    bool checked;
  } cases[] = {{Nox::ccEqualTo, 3, 3, true},     {Nox::ccEqualTo, 3, 4, false},
               {Nox::ccNotEqualTo, 0, 0, false}, {Nox::ccMinorOf, 9, 8, true},
               {Nox::ccMinorOf, 9, 9, false},    {Nox::ccGreaterOf, 9, 10, true},
               {Nox::ccMaskedBit, 8, 12, false}}; // CheckedValue 1 is never under mask 8
  for (const auto &c : cases) {
    unit->Memory[190] = c.stored;
    box->setCondition(c.condition);
    box->setConditionValue(c.conditionValue); // both read the parameter again
    EXPECT_EQ(box->isChecked(), c.checked) << c.condition << " " << c.stored;
  }
  EXPECT_TRUE(Writes().isEmpty());
}

TEST_F(CheckBoxTest, DestroyedParameterIsForgotten) {
  Show();
  item.reset();
  Click();
  EXPECT_TRUE(box->isChecked());
  EXPECT_TRUE(unit->Calls.isEmpty());
}

struct PatternCase {
  QLocale::Language language;
  double value;
  const char *pattern;
  const char *text;
};

TEST(NumberPatternTest, PlaceholdersDecimalPointAndCopiedText) {
  const PatternCase cases[] = {
      {QLocale::English, 1.2345, "0.00 V", "1.23 V"},     {QLocale::Italian, 1.2345, "0.00 V", "1,23 V"},
      {QLocale::English, 0.005, "0.00 V", "0.01 V"},      {QLocale::English, 1.005, "0.00 V", "1.01 V"},
      {QLocale::English, 850, "###0 RPM", "850 RPM"},     {QLocale::English, 0, "###0 RPM", "0 RPM"},
      {QLocale::English, 12345, "###0 RPM", "12345 RPM"}, {QLocale::English, -5.4, "##0 °C", "-5 °C"},
      {QLocale::English, -0.001, "0.00 V", "0.00 V"},     {QLocale::English, 0.5, "#.##", ".5"},
      {QLocale::English, 2.999, "0.0#", "3.0"},           {QLocale::English, 7, "0.0#", "7.0"},
      {QLocale::English, 9.996, "0.00", "10.00"},
  };
  for (const PatternCase &c : cases) {
    LocaleScope locale(c.language);
    EXPECT_EQ(FormatWithPattern(c.value, QString::fromUtf8(c.pattern)), QString::fromUtf8(c.text))
        << c.value << " " << c.pattern;
  }
}

class LabelTest : public ControlFixture {
protected:
  void SetUp() override {
    ControlFixture::SetUp();
    label = new TNoxLabel(&window);
    label->setGeometry(300, 20, 100, 24);
    live.SetTransformation(ttFormula);
    live.SetCoeffs(1, 0, 0, 10); // tenths
    live.Loaded();
    label->setValue(&live);
  }

  void Deliver(int raw) {
    std::uint8_t buffer[8] = {1, 0, 0, 0, static_cast<std::uint8_t>(raw)};
    live.ReceiveData(buffer);
  }

  TNoxPacketData live;
  TNoxLabel *label = nullptr;
};

TEST_F(LabelTest, ShowsTheLiveValuePlainOrWithItsPattern) {
  EXPECT_EQ(label->text(), QStringLiteral("0"));
  Deliver(123);
  EXPECT_EQ(label->text(), QStringLiteral("12.3"));
  label->setDataFormat(QStringLiteral("0.00 V"));
  EXPECT_EQ(label->text(), QStringLiteral("12.30 V"));
  EXPECT_TRUE(unit->Calls.isEmpty()) << "a label never causes an exchange";
}

TEST_F(LabelTest, FlagStylesShowOnAndOffInTheirColours) {
  label->setStyle(Nox::lsFlag);
  label->setOnColor(Qt::green);
  label->setOffColor(Qt::red);
  const struct {
    int raw;
    const char *text;
    QColor colour;
  } cases[] = {{4, "OFF", Qt::red}, {6, "ON", Qt::green}};
  for (const auto &c : cases) {
    Deliver(c.raw);
    EXPECT_EQ(label->text(), QString::fromLatin1(c.text));
    EXPECT_EQ(label->palette().color(QPalette::WindowText), c.colour);
  }
  label->setOnText(QStringLiteral("Acceso"));
  EXPECT_EQ(label->text(), QStringLiteral("Acceso"));
}

TEST_F(LabelTest, CaptionLabelComesAndGoesWithTheStyle) {
  Show();
  QPointer<TChildLabel> caption = label->ChildLabel();
  ASSERT_FALSE(caption.isNull());
  EXPECT_TRUE(caption->isVisible());
  label->setStyle(Nox::lsFlag);
  EXPECT_TRUE(caption.isNull());
  label->setStyle(Nox::lsLabeledFlag);
  ASSERT_NE(label->ChildLabel(), nullptr);
  EXPECT_TRUE(label->ChildLabel()->isVisible());
  label->hide();
  EXPECT_FALSE(label->ChildLabel()->isVisible());
}

TEST_F(LabelTest, AcceptsOnlyLiveValues) {
  auto parameter = Parameter(190);
  label->setValue(parameter.get());
  EXPECT_EQ(label->Value(), &live);
  label->setValue(nullptr);
  EXPECT_EQ(label->Value(), nullptr);
  EXPECT_TRUE(live.Observers().isEmpty());
}

} // namespace
