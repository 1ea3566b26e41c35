#pragma once
#include <QDialog>

// A modal window made of fields. A plain dialog closes on Esc and presses
// its default button on Enter; here Esc belongs to the fields (it restores
// their value) and Enter confirms a value, never a button the fitter did not
// choose. A focused button still takes Enter and Space itself.
class FieldDialog : public QDialog {
  Q_OBJECT
public:
  using QDialog::QDialog;

protected:
  void keyPressEvent(QKeyEvent *event) override;
};
