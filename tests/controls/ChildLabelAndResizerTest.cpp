#include "ControlFixture.h"
#include "controls/TChildLabel.h"
#include "controls/TNoxCheckBox.h"
#include "controls/TResizer.h"
#include "controls/TValueEditEx.h"

namespace {

TEST(ChildLabelTest, PlacedBesideItsOwnerByPositionAndAlignment) {
  QWidget window;
  QWidget owner(&window);
  owner.setGeometry(200, 100, 80, 20);
  TChildLabel label(&window);
  label.setAutoSize(false);
  label.resize(40, 10);
  label.setLabelSpacing(6);
  label.setOwner(&owner);
  const struct {
    Nox::TLabelPosition position;
    Qt::Alignment alignment;
    QPoint at;
  } cases[] = {
      {Nox::lpAbove, Qt::AlignLeft, {200, 84}},     {Nox::lpAbove, Qt::AlignRight, {240, 84}},
      {Nox::lpBelow, Qt::AlignHCenter, {220, 126}}, {Nox::lpLeft, Qt::AlignLeft, {194, 105}},
      {Nox::lpLeft, Qt::AlignRight, {154, 105}},    {Nox::lpRight, Qt::AlignHCenter, {266, 105}},
  };
  for (const auto &c : cases) {
    label.setLabelPosition(c.position);
    label.setCaptionAlignment(c.alignment);
    EXPECT_EQ(label.pos(), c.at) << c.position << " " << c.alignment;
  }
  owner.move(300, 100); // the owner asks for it when it moves
  label.Place();
  EXPECT_EQ(label.pos(), QPoint(366, 105));
}

TEST(ChildLabelTest, ClickFocusesTheValueEdit) {
  QWidget window;
  window.resize(400, 100);
  auto *edit = new TValueEditEx(&window);
  edit->move(250, 20);
  auto *other = new QLineEdit(&window);
  other->move(250, 60);
  edit->setLabelCaption(QStringLiteral("Ritardo Lettura Sonda"));
  edit->setLabelSpacing(200);
  window.show();
  window.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
  other->setFocus();
  QTest::mouseClick(edit->EditLabel(), Qt::LeftButton);
  EXPECT_TRUE(edit->hasFocus());
  EXPECT_EQ(edit->EditLabel()->x(), 50);
  EXPECT_GE(edit->EditLabel()->width(),
            edit->EditLabel()->fontMetrics().horizontalAdvance(edit->LabelCaption()))
      << "fitted to its caption";
}

TEST(ResizerTest, SettingsFollowTheirRules) {
  QWidget target;
  target.resize(96, 24);
  TResizer resizer(&target);
  resizer.setResizingBorder(-1);
  EXPECT_EQ(resizer.ResizingBorder(), 8);
  resizer.setResizingBorder(24); // not below the smaller side
  EXPECT_EQ(resizer.ResizingBorder(), 8);
  resizer.setResizingBorder(23);
  EXPECT_EQ(resizer.ResizingBorder(), 23);
  resizer.setGridDimension(0);
  EXPECT_EQ(resizer.GridDimension(), 1);
}

TEST(ResizerTest, LeavesTheEventPathWhicheverGoesFirst) {
  QWidget window;
  auto *box = new TNoxCheckBox(&window);
  auto *plain = new QCheckBox(&window);
  plain->move(0, 40);
  window.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
  // Clicks, double-clicks and drags pass the resizer unchanged.
  const auto gestures = [](QWidget *w) {
    const QPoint inside(8, w->height() / 2);
    QTest::mouseClick(w, Qt::LeftButton, {}, inside);
    QTest::mouseDClick(w, Qt::LeftButton, {}, inside);
    QTest::mousePress(w, Qt::LeftButton, {}, inside);
    QTest::mouseMove(w, inside + QPoint(3, 0));
    QTest::mouseRelease(w, Qt::LeftButton, {}, inside + QPoint(3, 0));
  };
  for (int round = 0; round < 2; ++round) {
    gestures(box);
    gestures(plain);
    EXPECT_EQ(box->isChecked(), plain->isChecked()) << round;
    delete box->Resizer(); // then without it
  }
  EXPECT_EQ(box->Resizer(), nullptr);
  box->setGridDimension(5); // a forgotten resizer takes no settings
  EXPECT_EQ(box->GridDimension(), 10);

  auto *target = new QWidget(&window);
  QObject owner;
  auto *resizer = new TResizer(target);
  resizer->setParent(&owner); // outlives its target
  delete target;
  EXPECT_EQ(resizer->Target(), nullptr);
}

} // namespace
