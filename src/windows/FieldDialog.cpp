#include "windows/FieldDialog.h"

#include "controls/FocusRing.h"

#include <QKeyEvent>
#include <QPushButton>

FieldDialog::FieldDialog(QWidget *parent) : QDialog(parent) {
  new FocusRing(this);
}

void FieldDialog::keyPressEvent(QKeyEvent *event) {
  switch (event->key()) {
  case Qt::Key_Escape:
    event->accept();
    if (m_escapeCloses)
      reject();
    return;
  case Qt::Key_Return:
  case Qt::Key_Enter:
    event->accept();
    return;
  default:
    QDialog::keyPressEvent(event);
  }
}

void FieldDialog::showEvent(QShowEvent *event) {
  // Enter never presses a button here: one drawn as the default would look
  // like the focused control while the focus is in a field.
  for (QPushButton *button : findChildren<QPushButton *>()) {
    button->setAutoDefault(false);
    button->setDefault(false);
  }
  QDialog::showEvent(event);
}
