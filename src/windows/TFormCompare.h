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
// still be loaded. Each row has a check box, all ticked at first: only the
// ticked parameters load, with those that go with them (LoadDependencies),
// which tick and untick together and are named in the last column. Space
// turns the current row, Ctrl+A ticks all, Ctrl+Shift+A none.
class TFormCompare : public QDialog {
  Q_OBJECT
public:
  TFormCompare(TSerialDataModule &module, const QList<ComparisonRows::Row> &rows, QWidget *parent = nullptr);

  // The whole step: compares the file with the unit and asks. True when the
  // file is to be loaded. A file that cannot be read or deciphered is
  // reported and gives false. doNotShowAgain receives the check box.
  // chosen (may be null) receives the ticked parameters, or nothing when
  // every row is ticked and the whole file is to load.
  static bool ConfirmLoad(TSerialDataModule &module, const QString &fileName, QWidget *parent,
                          bool &doNotShowAgain, QList<const TNoxNumber *> *chosen = nullptr);

  void ApplyTexts();
  bool DoNotShowAgain() const;
  // The parameters of the ticked rows, each once, in row order.
  QList<const TNoxNumber *> ChosenItems() const;
  bool EveryRowChosen() const;
  bool RowChosen(int row) const;
  // Ticks or unticks a row and every row that goes with it.
  void ChooseRow(int row, bool chosen);
  void ChooseAll(bool chosen);

  QTableWidget *Table() const { return m_table; }
  QLabel *Summary() const { return m_summary; }
  QCheckBox *DoNotShowAgainBox() const { return m_doNotShow; }
  QPushButton *LoadButton() const { return m_load; }
  QPushButton *CancelButton() const { return m_cancel; }

protected:
  bool eventFilter(QObject *watched, QEvent *event) override;

private:
  enum Column { CaptionColumn, UnitColumn, FileColumn, TogetherColumn };
  void AddChoiceKeys();
  void RowTicked(int row);
  QString TogetherText(int row) const;

  TSerialDataModule &m_module;
  QList<ComparisonRows::Row> m_rows;
  QList<QList<int>> m_together; // per row: the rows that tick with it, itself included
  bool m_choosing = false;      // the rows are being set together
  int m_differences;
  QLabel *m_keys = nullptr;
  QLabel *m_summary = nullptr;
  QTableWidget *m_table = nullptr;
  QCheckBox *m_doNotShow = nullptr;
  QPushButton *m_load = nullptr;
  QPushButton *m_cancel = nullptr;
};
