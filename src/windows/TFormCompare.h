#pragma once
#include "ecuconfig/ComparisonRows.h"

#include <QDialog>

class QCheckBox;
class QLabel;
class QPushButton;
class QTableWidget;
class TSerialDataModule;

// Shown after the load command's file dialog and before anything is written:
// every value the file changes in the unit, with the caption and the texts
// of the configuration window's field, the unit's value and the file's.
// Enter loads, Esc cancels. A file identical to the unit says so and can
// still be loaded.
class TFormCompare : public QDialog {
  Q_OBJECT
public:
  TFormCompare(TSerialDataModule &module, const QList<ComparisonRows::Row> &rows, QWidget *parent = nullptr);

  // The whole step: compares the file with the unit and asks. True when the
  // file is to be loaded. A file that cannot be read or deciphered is
  // reported and gives false. doNotShowAgain receives the check box.
  static bool ConfirmLoad(TSerialDataModule &module, const QString &fileName, QWidget *parent,
                          bool &doNotShowAgain);

  void ApplyTexts();
  bool DoNotShowAgain() const;

  QTableWidget *Table() const { return m_table; }
  QLabel *Summary() const { return m_summary; }
  QCheckBox *DoNotShowAgainBox() const { return m_doNotShow; }
  QPushButton *LoadButton() const { return m_load; }
  QPushButton *CancelButton() const { return m_cancel; }

private:
  TSerialDataModule &m_module;
  int m_differences;
  QLabel *m_summary = nullptr;
  QTableWidget *m_table = nullptr;
  QCheckBox *m_doNotShow = nullptr;
  QPushButton *m_load = nullptr;
  QPushButton *m_cancel = nullptr;
};
