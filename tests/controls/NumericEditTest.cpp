#include "ControlFixture.h"
#include "controls/TNumericEdit.h"
#include "controls/TValueEditEx.h"

namespace {

class NumericEditTest : public ControlFixture {
protected:
  void SetUp() override {
    ControlFixture::SetUp();
    edit = new TNumericEdit(&window);
    edit->move(300, 20);
    other = new QLineEdit(&window);
    other->move(300, 80);
  }

  // Enters the field (its text is then selected), types and presses Enter.
  void Enter(const QString &keys) {
    other->setFocus(Qt::TabFocusReason);
    edit->setFocus(Qt::TabFocusReason);
    QTest::keyClicks(edit, keys);
    QTest::keyClick(edit, Qt::Key_Return);
  }

  TNumericEdit *edit = nullptr;
  QLineEdit *other = nullptr;
};

TEST_F(NumericEditTest, EnterClampsAndRoundsTiesUp) {
  Show();
  const struct {
    double precision, max;
    const char *typed;
    const char *shown;
  } cases[] = {{0.01, 640, "700", "640"},
               {0.01, 640, "2.555", "2.56"},
               {0.5, 0, "0.25", "0.5"},
               {0.5, 0, "0.2", "0"},
               {0, 0, "-3.7", "-3.7"}};
  for (const auto &c : cases) {
    edit->setPrecision(c.precision);
    edit->setMaxValue(c.max);
    Enter(QString::fromLatin1(c.typed));
    EXPECT_EQ(edit->text(), QString::fromLatin1(c.shown)) << c.typed;
    EXPECT_EQ(edit->selectedText(), edit->text()) << "no next control: the text is selected";
  }
  edit->setMaxValue(640);
  Enter(QStringLiteral("12"));
  edit->clear();
  QTest::keyClick(edit, Qt::Key_Return);
  EXPECT_EQ(edit->text(), QStringLiteral("12")) << "empty text keeps the accepted value";
}

TEST_F(NumericEditTest, MinusOnlyWhereTheLimitsAllowIt) {
  Show();
  edit->setMaxValue(640);
  Enter(QStringLiteral("-5"));
  EXPECT_EQ(edit->text(), QStringLiteral("5"));
  edit->setMaxValue(0);
  Enter(QStringLiteral("-5-"));
  EXPECT_EQ(edit->text(), QStringLiteral("-5"));
  edit->setMaxValue(640);
  edit->setDisableLimit(true);
  Enter(QStringLiteral("-700"));
  EXPECT_EQ(edit->text(), QStringLiteral("-700"));
}

TEST_F(NumericEditTest, LeavingKeepsOrAcceptsByValidation) {
  Show();
  edit->setMaxValue(640);
  Enter(QStringLiteral("10"));
  QTest::keyClicks(edit, QStringLiteral("99"));
  other->setFocus(Qt::MouseFocusReason);
  EXPECT_EQ(edit->text(), QStringLiteral("10"));
  edit->setValidation(false);
  edit->setFocus(Qt::MouseFocusReason);
  edit->setText(QStringLiteral("999"));
  other->setFocus(Qt::MouseFocusReason);
  EXPECT_EQ(edit->text(), QStringLiteral("640"));
  EXPECT_EQ(edit->AcceptedValue(), 640);
  edit->setFocus(Qt::MouseFocusReason);
  edit->setText(QStringLiteral("5"));
  QTest::keyClick(edit, Qt::Key_Escape);
  EXPECT_EQ(edit->text(), QStringLiteral("640"));
}

TEST_F(NumericEditTest, ArrowsWalkTheChainPastHiddenLinksOnly) {
  auto *hidden = new TNumericEdit(&window);
  auto *target = new TValueEditEx(&window);
  target->move(500, 20);
  edit->setPrevControl(hidden);
  hidden->setPrevControl(target);
  target->setPrevControl(edit);
  Show();
  hidden->hide();
  edit->setFocus();
  QTest::keyClick(edit, Qt::Key_Up);
  EXPECT_TRUE(target->hasFocus()) << "on to the hidden edit's own neighbour";

  edit->setFocus();
  target->hide(); // not a link: the chain ends there
  QTest::keyClick(edit, Qt::Key_Up);
  EXPECT_TRUE(edit->hasFocus());

  hidden->setPrevControl(edit); // a ring of hidden links ends too
  edit->setNextControl(hidden);
  hidden->setNextControl(edit);
  QTest::keyClick(edit, Qt::Key_Down);
  EXPECT_TRUE(edit->hasFocus()) << "no tab order fall-back";

  delete hidden;
  EXPECT_EQ(edit->PrevControl(), nullptr);
  QTest::keyClick(edit, Qt::Key_Up);
  EXPECT_TRUE(edit->hasFocus());
}

TEST_F(NumericEditTest, KeyDownHandlerSeesEnterBeforeTheField) {
  Show();
  edit->setMaxValue(640);
  QString seen;
  QObject::connect(edit, &TNumericEdit::KeyDown, [&](int &key) {
    if (key == Qt::Key_Return)
      seen = edit->text();
  });
  Enter(QStringLiteral("700"));
  EXPECT_EQ(seen, QStringLiteral("700"));
  EXPECT_EQ(edit->text(), QStringLiteral("640"));
}

} // namespace
