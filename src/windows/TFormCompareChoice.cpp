// The comparison's check boxes: which rows tick together, the keys that
// tick them, and what the fitter chose.
#include "windows/TFormCompare.h"

#include "ecuconfig/LoadDependencies.h"
#include "ecuconfig/TSerialDataModule.h"

#include <QAction>
#include <QKeyEvent>
#include <QPushButton>
#include <QTableWidget>

void TFormCompare::AddChoiceKeys() {
  // The rows of one parameter (the check boxes of a flags byte are one
  // value in the file) and of the parameters that go with it tick together.
  for (int row = 0; row < m_rows.size(); ++row) {
    const QList<const TNoxNumber *> group = LoadDependencies::Closure(m_module, {m_rows[row].Item});
    QList<int> together;
    for (int other = 0; other < m_rows.size(); ++other)
      if (other == row || (m_rows[row].Item && group.contains(m_rows[other].Item)))
        together << other;
    m_together << together;
  }
  connect(m_table, &QTableWidget::itemChanged, this, [this](QTableWidgetItem *item) {
    if (!m_choosing && item->column() == CaptionColumn)
      RowTicked(item->row());
  });
  m_table->installEventFilter(this);
  auto *all = new QAction(this);
  all->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_A));
  all->setShortcutContext(Qt::WidgetWithChildrenShortcut);
  connect(all, &QAction::triggered, this, [this] { ChooseAll(true); });
  auto *none = new QAction(this);
  none->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_A));
  none->setShortcutContext(Qt::WidgetWithChildrenShortcut);
  connect(none, &QAction::triggered, this, [this] { ChooseAll(false); });
  addActions({all, none});
}

QString TFormCompare::TogetherText(int row) const {
  const TNoxNumber *item = m_rows[row].Item;
  QStringList names;
  auto add = [&names](const QString &name) {
    if (!name.isEmpty() && !names.contains(name))
      names << name;
  };
  for (int other = 0; other < m_rows.size(); ++other)
    if (other != row && item && m_rows[other].Item == item)
      add(m_rows[other].Caption);
  if (item)
    for (const TNoxNumber *partner : LoadDependencies::Partners(m_module, item))
      add(ComparisonRows::CaptionOf(m_module, *partner));
  return names.join(QStringLiteral(", "));
}

bool TFormCompare::eventFilter(QObject *watched, QEvent *event) {
  if (watched == m_table && event->type() == QEvent::KeyPress) {
    const auto *key = static_cast<QKeyEvent *>(event);
    if (key->key() == Qt::Key_Space && key->modifiers() == Qt::NoModifier) {
      const int row = m_table->currentRow();
      if (row >= 0)
        ChooseRow(row, !RowChosen(row));
      return true;
    }
  }
  return QDialog::eventFilter(watched, event);
}

bool TFormCompare::RowChosen(int row) const {
  return m_table->item(row, CaptionColumn)->checkState() == Qt::Checked;
}

void TFormCompare::RowTicked(int row) {
  ChooseRow(row, RowChosen(row));
}

void TFormCompare::ChooseRow(int row, bool chosen) {
  m_choosing = true;
  for (int other : m_together.value(row))
    m_table->item(other, CaptionColumn)->setCheckState(chosen ? Qt::Checked : Qt::Unchecked);
  m_choosing = false;
  // Nothing ticked leaves nothing to load.
  m_load->setEnabled(!ChosenItems().isEmpty());
}

void TFormCompare::ChooseAll(bool chosen) {
  for (int row = 0; row < m_rows.size(); ++row)
    ChooseRow(row, chosen);
}

QList<const TNoxNumber *> TFormCompare::ChosenItems() const {
  QList<const TNoxNumber *> items;
  for (int row = 0; row < m_rows.size(); ++row)
    if (RowChosen(row) && m_rows[row].Item && !items.contains(m_rows[row].Item))
      items << m_rows[row].Item;
  return items;
}

bool TFormCompare::EveryRowChosen() const {
  for (int row = 0; row < m_rows.size(); ++row)
    if (!RowChosen(row))
      return false;
  return true;
}
