#pragma once
#include <Qt>

// Whether the fitter is in a field, as opposed to whether it has Qt's focus.
// However the focus arrives (Tab, Backtab, a click, the window being
// activated, a popup closing, a programmatic move), the first arrival
// enters the field. The focus going to a popup, a message box or another
// application is no leaving: when it comes back the fitter is still in the
// field, typing where they left off. Only a move to another control of the
// same window leaves it, and so does the window hiding.
class FieldEntry {
public:
  // The field gained the focus; true when this enters it.
  bool Arrive() {
    if (m_entered)
      return false;
    m_entered = true;
    return true;
  }
  // The field lost the focus; true when this leaves it.
  bool Depart(Qt::FocusReason reason) {
    if (!m_entered || reason == Qt::PopupFocusReason || reason == Qt::ActiveWindowFocusReason)
      return false;
    m_entered = false;
    return true;
  }
  // The field or its window hid; true when the fitter was in the field.
  bool Drop() {
    const bool was = m_entered;
    m_entered = false;
    return was;
  }
  bool Entered() const { return m_entered; }

private:
  bool m_entered = false;
};
