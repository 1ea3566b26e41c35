// A combo box's list stays open when the focus moves into it, whatever the
// reason the platform gives: X11 sends a second focus change with
// OtherFocusReason right after opening it.
#include "ControlFixture.h"

#include "controls/TNoxComboBox.h"

#include <QAbstractItemView>

namespace {

class ComboListFocus : public ControlFixture {};

TEST_F(ComboListFocus, FocusMovingIntoTheOpenListKeepsItOpen) {
  auto *combo = new TNoxComboBox(&window);
  combo->addItems({QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c")});
  Show();
  combo->setFocus();
  QTest::keyClick(combo, Qt::Key_Return);
  ASSERT_TRUE(combo->ListOpen());
  combo->view()->setFocus(Qt::OtherFocusReason);
  EXPECT_TRUE(combo->ListOpen()) << "the focus went into the list, not away";
  QTest::keyClick(combo->view(), Qt::Key_Down);
  QTest::keyClick(combo->view(), Qt::Key_Return);
  EXPECT_FALSE(combo->ListOpen());
  EXPECT_EQ(combo->currentIndex(), 1);
}

} // namespace
