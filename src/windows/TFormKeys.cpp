#include "windows/TFormKeys.h"

#include "ecuconfig/TSerialDataModule.h"

#include <QDialogButtonBox>
#include <QGuiApplication>
#include <QHeaderView>
#include <QScreen>
#include <QTableWidget>
#include <QVBoxLayout>

namespace {
constexpr int TEXT_TITLE = 402;

QTableWidgetItem *ReadOnly(const QString &text) {
  auto *item = new QTableWidgetItem(text);
  item->setFlags(Qt::ItemIsEnabled);
  return item;
}
} // namespace

const QList<TFormKeys::Group> &TFormKeys::Groups() {
  static const QList<Group> groups{
      {403,
       {{{QKeySequence(Qt::CTRL | Qt::Key_C)}, 405},
        {{QKeySequence(Qt::CTRL | Qt::Key_D)}, 406},
        {{QKeySequence(Qt::Key_F1)}, 407},
        {{QKeySequence(Qt::Key_F2)}, 408},
        {{QKeySequence(Qt::Key_F3)}, 409},
        {{QKeySequence(Qt::Key_F5)}, 410},
        {{QKeySequence(Qt::Key_F7)}, 411},
        {{QKeySequence(Qt::CTRL | Qt::Key_P)}, 412},
        {{QKeySequence(Qt::SHIFT | Qt::Key_F10)}, 422}}},
      {404,
       {{{QKeySequence(Qt::Key_PageDown), QKeySequence(Qt::Key_PageUp)}, 413},
        {{QKeySequence(Qt::Key_Return)}, 414},
        {{QKeySequence(Qt::Key_Escape)}, 415},
        {{QKeySequence(Qt::CTRL | Qt::Key_Z)}, 416},
        {{QKeySequence(Qt::CTRL | Qt::Key_Y)}, 417},
        {{QKeySequence(Qt::Key_F7)}, 411},
        {{QKeySequence(Qt::Key_F8)}, 418},
        {{QKeySequence(Qt::ALT | Qt::Key_Q)}, 419},
        {{QKeySequence(Qt::CTRL | Qt::Key_C)}, 405}}},
  };
  return groups;
}

QString TFormKeys::KeyName(const QKeySequence &sequence) {
  return sequence.toString(QKeySequence::NativeText);
}

TFormKeys::TFormKeys(const TSerialDataModule &module, QWidget *parent) : QDialog(parent) {
  setObjectName(QStringLiteral("FormKeys"));
  setWindowTitle(module.Text(TEXT_TITLE));
  m_table = new QTableWidget(this);
  m_table->setObjectName(QStringLiteral("KeyTable"));
  m_table->setColumnCount(2);
  m_table->horizontalHeader()->hide();
  m_table->verticalHeader()->hide();
  m_table->setShowGrid(false);
  m_table->setTabKeyNavigation(false);
  m_table->setWordWrap(false);
  for (const Group &group : Groups()) {
    const int heading = m_table->rowCount();
    m_table->insertRow(heading);
    QTableWidgetItem *title = ReadOnly(module.Text(group.HeadingId));
    QFont bold = title->font();
    bold.setBold(true);
    title->setFont(bold);
    m_table->setItem(heading, 0, title);
    m_table->setSpan(heading, 0, 1, 2);
    for (const Key &key : group.Keys) {
      QStringList names;
      for (const QKeySequence &sequence : key.Sequences)
        names << KeyName(sequence);
      const int row = m_table->rowCount();
      m_table->insertRow(row);
      m_table->setItem(row, 0, ReadOnly(names.join(QStringLiteral(" / "))));
      m_table->setItem(row, 1, ReadOnly(module.Text(key.TextId)));
    }
  }
  m_table->resizeColumnsToContents();
  m_table->horizontalHeader()->setStretchLastSection(true);

  auto *buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  auto *layout = new QVBoxLayout(this);
  layout->addWidget(m_table, 1);
  layout->addWidget(buttons);

  // Wide enough for the longest line, never wider or taller than the screen.
  const int wanted = m_table->horizontalHeader()->length() + 2 * m_table->frameWidth() + 40;
  const int tall = m_table->verticalHeader()->length() + 2 * m_table->frameWidth() + 80;
  QSize size(wanted, tall);
  if (const QScreen *screen = QGuiApplication::primaryScreen())
    size = size.boundedTo(screen->availableGeometry().size() * 9 / 10);
  resize(size);
}
