#include "ControlFixture.h"
#include "controls/TKeyComboBox.h"
#include "controls/TNoxComboBox.h"
#include "controls/TNumericEdit.h"

#include <QAbstractItemView>
#include <QApplication>
#include <functional>

namespace {

class ComboBoxTest : public ControlFixture {
protected:
  void SetUp() override {
    ControlFixture::SetUp();
    combo = new TNoxComboBox(&window);
    combo->setObjectName(QStringLiteral("NoxComboTipoTPS"));
    combo->setGeometry(300, 20, 160, 26);
    combo->addItems({"Lineare 0-5", "Lineare 5-0", "Switch 0-12", "Switch 12-0", "Monobosch"});
    prev = new QLineEdit(&window);
    prev->move(300, 80);
    next = new QLineEdit(&window);
    next->move(300, 120);
    combo->setPrevControl(prev);
    combo->setNextControl(next);
    item = Parameter(180, 0, 4);
    combo->setValue(item.get());
  }

  void ShowAndFocus(int stored) {
    unit->Memory[180] = stored;
    item->Reload();
    Show();
    combo->setFocus(Qt::TabFocusReason);
    unit->Calls.clear();
  }

  QAbstractItemView *List() const { return combo->view(); }

  TNoxComboBox *combo = nullptr;
  QLineEdit *prev = nullptr;
  QLineEdit *next = nullptr;
  std::unique_ptr<TNoxNumber> item;
};

TEST_F(ComboBoxTest, TheNearestItemStandsForTheValue) {
  item->SetTransformation(ttFormula);
  item->SetCoeffs(1, -10, 0, 10); // tenths, offset by one
  item->SetValueMin(-1);
  const struct {
    int raw;
    int index;
  } cases[] = {{36, 3}, {34, 2}, {8, -1}, {60, -1}, {53, 4}};
  for (const auto &c : cases) {
    unit->Memory[180] = c.raw;
    item->Reload();
    EXPECT_EQ(combo->currentIndex(), c.index) << c.raw;
    EXPECT_EQ(combo->RememberedIndex(), c.index);
  }
}

TEST_F(ComboBoxTest, LettersOnTheClosedListChooseAndWriteAtOnce) {
  ShowAndFocus(0);
  QTest::keyClicks(combo, QStringLiteral("m"));
  EXPECT_EQ(combo->currentText(), QStringLiteral("Monobosch"));
  EXPECT_EQ(Writes(), QStringList{"180=4"});
  EXPECT_FALSE(combo->Armed());
  EXPECT_FALSE(combo->ListOpen());
}

TEST_F(ComboBoxTest, MouseChoiceFromTheOpenListIsWrittenOnce) {
  ShowAndFocus(1);
  int changes = 0;
  QObject::connect(combo, &TNoxComboBox::Change, [&] {
    ++changes;
    EXPECT_TRUE(Writes().isEmpty()) << "the window hears of the change before the write";
  });
  QTest::mouseClick(combo, Qt::LeftButton);
  ASSERT_TRUE(combo->ListOpen());
  EXPECT_TRUE(combo->Armed());
  const QRect third = List()->visualRect(combo->model()->index(3, 0));
  QTest::qWait(QApplication::doubleClickInterval() + 50); // the list ignores a release right after opening
  QTest::mouseClick(List()->viewport(), Qt::LeftButton, {}, third.center());
  EXPECT_FALSE(combo->ListOpen());
  EXPECT_EQ(combo->currentIndex(), 3);
  EXPECT_EQ(Writes(), QStringList{"180=3"});
  EXPECT_EQ(changes, 1);
}

TEST_F(ComboBoxTest, EnterOpensTheListAndEnterOnTheListCommits) {
  ShowAndFocus(1);
  QTest::keyClick(combo, Qt::Key_Return);
  ASSERT_TRUE(combo->ListOpen());
  QTest::keyClick(List(), Qt::Key_Down);
  QTest::keyClick(List(), Qt::Key_Return);
  EXPECT_FALSE(combo->ListOpen());
  EXPECT_EQ(Writes(), QStringList{"180=2"});
}

TEST_F(ComboBoxTest, HoweverTheListClosesTheNextEnterOpensItAgain) {
  ShowAndFocus(1);
  const std::function<void()> closings[] = {
      [this] { QTest::keyClick(List(), Qt::Key_Return); }, // the item already chosen
      [this] { combo->hidePopup(); },                      // a click outside
  };
  for (const auto &close : closings) {
    QTest::keyClick(combo, Qt::Key_Return);
    ASSERT_TRUE(combo->ListOpen());
    close();
    ASSERT_FALSE(combo->ListOpen());
    EXPECT_FALSE(combo->Armed());
    QTest::keyClick(combo, Qt::Key_Return);
    EXPECT_TRUE(combo->ListOpen()) << "opens instead of writing";
    QTest::keyClick(List(), Qt::Key_Escape);
  }
  EXPECT_TRUE(Writes().isEmpty());
}

TEST_F(ComboBoxTest, EscOnTheOpenListPutsTheRememberedIndexBack) {
  ShowAndFocus(1);
  QTest::keyClick(combo, Qt::Key_Return);
  QTest::keyClick(List(), Qt::Key_Down);
  QTest::keyClick(List(), Qt::Key_Escape);
  EXPECT_FALSE(combo->ListOpen());
  EXPECT_FALSE(combo->Armed());
  EXPECT_EQ(combo->currentIndex(), 1);
  EXPECT_TRUE(Writes().isEmpty());
  EXPECT_TRUE(combo->hasFocus());
}

TEST_F(ComboBoxTest, TheOpenListWrapsAround) {
  ShowAndFocus(0);
  QTest::keyClick(combo, Qt::Key_Return);
  QTest::keyClick(List(), Qt::Key_Up);
  EXPECT_EQ(List()->currentIndex().row(), 4) << "Up on the first selects the last";
  QTest::keyClick(List(), Qt::Key_Down);
  EXPECT_EQ(List()->currentIndex().row(), 0) << "Down on the last selects the first";
  QTest::keyClick(List(), Qt::Key_Up);
  QTest::keyClick(List(), Qt::Key_Return);
  EXPECT_EQ(Writes(), QStringList{"180=4"});
}

TEST_F(ComboBoxTest, KeysOnTheClosedList) {
  ShowAndFocus(2);
  for (const Qt::Key key : {Qt::Key_PageDown, Qt::Key_PageUp, Qt::Key_Left, Qt::Key_Right})
    QTest::keyClick(combo, key);
  EXPECT_EQ(combo->currentIndex(), 2) << "consumed";
  QTest::keyClick(combo, Qt::Key_Down);
  EXPECT_TRUE(next->hasFocus());
  combo->setFocus();
  QTest::keyClick(combo, Qt::Key_Up);
  EXPECT_TRUE(prev->hasFocus());

  combo->setArrowMoveFocus(false); // the arrows then choose, and that commits
  combo->setFocus();
  QTest::keyClick(combo, Qt::Key_Down);
  EXPECT_EQ(combo->currentIndex(), 3);
  EXPECT_EQ(Writes(), QStringList{"180=3"});
}

TEST_F(ComboBoxTest, ShowingOrRefillingNeverWrites) {
  ShowAndFocus(3);
  combo->setCurrentIndex(0);
  combo->clear();
  combo->addItems({"A", "B", "C", "D"});
  unit->Memory[180] = 2;
  item->Reload();
  EXPECT_EQ(combo->currentIndex(), 2);
  EXPECT_TRUE(Writes().isEmpty());
}

TEST_F(ComboBoxTest, DestroyedParameterAndNeighboursAreForgotten) {
  ShowAndFocus(0);
  item.reset();
  delete next;
  next = nullptr;
  QTest::keyClicks(combo, QStringLiteral("s"));
  EXPECT_EQ(combo->currentIndex(), 2);
  QTest::keyClick(combo, Qt::Key_Down);
  EXPECT_FALSE(combo->hasFocus()) << "on along the tab order";
  EXPECT_EQ(combo->Value(), nullptr);
}

TEST_F(ComboBoxTest, KeyComboTogglesItsListAndFollowsTheChainOnly) {
  auto *keys = new TKeyComboBox(&window);
  keys->addItems({"1", "2", "3"});
  keys->move(600, 20);
  auto *hidden = new TNumericEdit(&window);
  auto *target = new TNumericEdit(&window);
  target->move(600, 80);
  keys->setNextControl(hidden);
  hidden->setNextControl(target);
  Show();
  hidden->hide();
  keys->setFocus();
  QTest::keyClick(keys, Qt::Key_Return);
  EXPECT_TRUE(keys->ListOpen());
  QTest::keyClick(keys->view(), Qt::Key_Down);
  QTest::keyClick(keys->view(), Qt::Key_Return);
  EXPECT_FALSE(keys->ListOpen());
  EXPECT_EQ(keys->currentIndex(), 1);
  QTest::keyClick(keys, Qt::Key_Return);
  QTest::keyClick(keys, Qt::Key_Return); // armed: closes again
  EXPECT_FALSE(keys->ListOpen());
  EXPECT_EQ(keys->RememberedIndex(), 1);

  QTest::keyClick(keys, Qt::Key_Down);
  EXPECT_TRUE(target->hasFocus()) << "past the hidden numeric edit";
  keys->setFocus();
  QTest::keyClick(keys, Qt::Key_Up);
  EXPECT_TRUE(keys->hasFocus()) << "no previous control, no tab order";
  EXPECT_TRUE(unit->Calls.isEmpty());
}

} // namespace
