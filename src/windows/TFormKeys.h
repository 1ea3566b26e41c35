#pragma once
#include <QDialog>
#include <QKeySequence>
#include <QList>

class QTableWidget;
class TSerialDataModule;

// Help > Keys: every key of the main window and of the vehicle configuration
// window with what it does, in the fitter's language and with the key names
// of the fitter's keyboard ("Strg" on a German one). Nothing to confirm: Esc
// closes it.
class TFormKeys : public QDialog {
  Q_OBJECT
public:
  explicit TFormKeys(const TSerialDataModule &module, QWidget *parent = nullptr);

  struct Key {
    QList<QKeySequence> Sequences; // one row for keys that do the same
    int TextId;
  };
  struct Group {
    int HeadingId;
    QList<Key> Keys;
  };
  static const QList<Group> &Groups();
  // A key as the keyboard names it in the current language.
  static QString KeyName(const QKeySequence &sequence);

  QTableWidget *Table() const { return m_table; }

private:
  QTableWidget *m_table = nullptr;
};
