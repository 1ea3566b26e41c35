#include "windows/FieldDialog.h"

#include <QKeyEvent>

void FieldDialog::keyPressEvent(QKeyEvent *event) {
  switch (event->key()) {
  case Qt::Key_Escape:
  case Qt::Key_Return:
  case Qt::Key_Enter:
    event->accept();
    return;
  default:
    QDialog::keyPressEvent(event);
  }
}
