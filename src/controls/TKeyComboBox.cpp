#include "controls/TKeyComboBox.h"

TKeyComboBox::TKeyComboBox(QWidget *parent) : KeyedComboBox(parent) {}

void TKeyComboBox::ArmedEnter() {
  if (ListOpen())
    hidePopup();
  SetRemembered(currentIndex());
}

bool TKeyComboBox::ArrowOnClosedList(bool next) {
  if (QWidget *target = FindChainTarget(*this, next))
    target->setFocus(next ? Qt::TabFocusReason : Qt::BacktabFocusReason);
  return true;
}
