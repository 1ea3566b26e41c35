#pragma once
#include <QDialog>

class FocusRing;

// A modal window made of fields. A plain dialog closes on Esc and presses
// its default button on Enter; here Enter confirms a value, never a button
// the fitter did not choose (so no button is shown as the default one), and
// Esc first belongs to the field, which takes back what was typed. A focused
// button still takes Enter and Space itself. The focused control always
// shows a ring.
class FieldDialog : public QDialog {
  Q_OBJECT
public:
  explicit FieldDialog(QWidget *parent = nullptr);

  // A window whose fields are written as they are confirmed has nothing
  // left to confirm: an Esc that no field took closes it.
  void SetEscapeCloses(bool closes) { m_escapeCloses = closes; }

protected:
  void keyPressEvent(QKeyEvent *event) override;
  void showEvent(QShowEvent *event) override;

private:
  bool m_escapeCloses = false;
};
