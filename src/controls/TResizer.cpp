#include "controls/TResizer.h"

#include <QWidget>
#include <algorithm>

TResizer::TResizer(QWidget *target) : QObject(target), m_target(target) {
  setObjectName(QStringLiteral("Resizer"));
  if (m_target) {
    m_target->installEventFilter(this);
    // Normally the resizer goes with its target (its parent); one that was
    // given another parent forgets a target that goes first and stays locked.
    connect(m_target, &QObject::destroyed, this, [this] {
      m_target = nullptr;
      m_locked = true;
    });
  }
}

TResizer::~TResizer() {
  if (m_target)
    m_target->removeEventFilter(this);
}

void TResizer::setResizingBorder(int value) {
  if (value < 0)
    return;
  if (m_target) {
    const int smaller = std::min(m_target->width(), m_target->height());
    if (value >= smaller)
      return;
  }
  m_resizingBorder = value;
}

bool TResizer::eventFilter(QObject *watched, QEvent *event) {
  // Locked: the target handles everything itself, unchanged and in order.
  return QObject::eventFilter(watched, event);
}
