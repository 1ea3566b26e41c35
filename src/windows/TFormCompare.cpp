#include "windows/TFormCompare.h"

#include "dataitems/NumberConversion.h"
#include "ecuconfig/TSerialDataModule.h"
#include "platform/UserInterface.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace {
enum : int {
  TEXT_CAPTION = 186,
  TEXT_COLUMN_FIRST = 187, // parameter, in the unit, in the file
  TEXT_IDENTICAL = 190,
  TEXT_DIFFERENT = 191,
  TEXT_DO_NOT_SHOW = 192,
  TEXT_LOAD = 193,
  TEXT_CANCEL = 194,
  TEXT_TOGETHER_COLUMN = 485,
  TEXT_CHOICE_KEYS = 486,
  // The configuration-file error message and its caption.
  TEXT_FILE_UNREADABLE = 100,
  TEXT_FILE_ERROR_CAPTION = 99,
};

// Numbers as the fitter reads them elsewhere in the program: the locale's
// decimal separator. Texts that are no number stay as the file has them.
QString Shown(const QString &text) {
  double value = 0;
  if (!NumberConversion::TryParseFloat(text, value))
    return text;
  QLocale locale;
  locale.setNumberOptions(QLocale::OmitGroupSeparator);
  return locale.toString(value, 'g', 12);
}
} // namespace

TFormCompare::TFormCompare(TSerialDataModule &module, const QList<ComparisonRows::Row> &rows, QWidget *parent)
    : QDialog(parent), m_module(module), m_rows(rows), m_differences(static_cast<int>(rows.size())) {
  setObjectName(QStringLiteral("FormCompare"));
  m_summary = new QLabel(this);
  m_summary->setWordWrap(true);
  m_table = new QTableWidget(static_cast<int>(rows.size()), 4, this);
  m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
  m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
  m_table->verticalHeader()->hide();
  m_table->horizontalHeader()->setSectionResizeMode(0, QHeaderView::Stretch);
  m_table->horizontalHeader()->setSectionResizeMode(1, QHeaderView::ResizeToContents);
  m_table->horizontalHeader()->setSectionResizeMode(2, QHeaderView::ResizeToContents);
  // The partners' names share the width with the captions, on one line each;
  // the tooltip holds the whole list.
  m_table->horizontalHeader()->setSectionResizeMode(3, QHeaderView::Stretch);
  m_table->setWordWrap(false);
  for (int row = 0; row < rows.size(); ++row) {
    const ComparisonRows::Row &shown = rows[row];
    auto withUnit = [&](const QString &text) {
      return shown.Unit.isEmpty() ? Shown(text) : Shown(text) + QLatin1Char(' ') + shown.Unit;
    };
    auto *caption = new QTableWidgetItem(shown.Caption);
    caption->setFlags(caption->flags() | Qt::ItemIsUserCheckable);
    caption->setCheckState(Qt::Checked);
    m_table->setItem(row, CaptionColumn, caption);
    m_table->setItem(row, UnitColumn, new QTableWidgetItem(withUnit(shown.UnitText)));
    m_table->setItem(row, FileColumn, new QTableWidgetItem(withUnit(shown.FileText)));
  }
  for (int row = 0; row < rows.size(); ++row) {
    auto *together = new QTableWidgetItem(TogetherText(row));
    together->setToolTip(together->text());
    m_table->setItem(row, TogetherColumn, together);
  }
  m_table->setVisible(!rows.isEmpty());
  m_keys = new QLabel(this);
  m_keys->setWordWrap(true);
  m_keys->setVisible(!rows.isEmpty());
  AddChoiceKeys();

  m_doNotShow = new QCheckBox(this);
  m_load = new QPushButton(this);
  m_cancel = new QPushButton(this);
  m_load->setDefault(true);
  m_load->setAutoDefault(true);
  m_cancel->setAutoDefault(false);
  connect(m_load, &QPushButton::clicked, this, &QDialog::accept);
  connect(m_cancel, &QPushButton::clicked, this, &QDialog::reject);

  auto *buttons = new QHBoxLayout;
  buttons->addWidget(m_doNotShow);
  buttons->addStretch(1);
  buttons->addWidget(m_load);
  buttons->addWidget(m_cancel);
  auto *layout = new QVBoxLayout(this);
  layout->addWidget(m_summary);
  layout->addWidget(m_table, 1);
  layout->addWidget(m_keys);
  layout->addLayout(buttons);
  ApplyTexts();
  resize(rows.isEmpty() ? QSize(480, 140) : QSize(820, 460));
  // The rows take the keys that tick them; Enter still loads (the table
  // passes it on to the default button).
  if (rows.isEmpty()) {
    m_load->setFocus();
  } else {
    m_table->setCurrentCell(0, CaptionColumn);
    m_table->setFocus();
  }
}

void TFormCompare::ApplyTexts() {
  setWindowTitle(m_module.Text(TEXT_CAPTION));
  m_summary->setText(m_module.Text(m_differences ? TEXT_DIFFERENT : TEXT_IDENTICAL));
  m_table->setHorizontalHeaderLabels({m_module.Text(TEXT_COLUMN_FIRST), m_module.Text(TEXT_COLUMN_FIRST + 1),
                                      m_module.Text(TEXT_COLUMN_FIRST + 2),
                                      m_module.Text(TEXT_TOGETHER_COLUMN)});
  m_keys->setText(m_module.Text(TEXT_CHOICE_KEYS));
  m_doNotShow->setText(m_module.Text(TEXT_DO_NOT_SHOW));
  m_load->setText(m_module.Text(TEXT_LOAD));
  m_cancel->setText(m_module.Text(TEXT_CANCEL));
}

bool TFormCompare::DoNotShowAgain() const {
  return m_doNotShow->isChecked();
}

bool TFormCompare::ConfirmLoad(TSerialDataModule &module, const QString &fileName, QWidget *parent,
                               bool &doNotShowAgain, QList<const TNoxNumber *> *chosen) {
  ConfigurationComparison comparison;
  if (!comparison.Compare(module, fileName) || !comparison.HoldsParameters()) {
    UserInterface::Current().ShowMessage(module.Text(TEXT_FILE_UNREADABLE) + QStringLiteral(" (") + fileName +
                                             QLatin1Char(')'),
                                         module.Text(TEXT_FILE_ERROR_CAPTION), MessageIcon::Error);
    return false;
  }
  TFormCompare dialog(module, ComparisonRows::For(module, comparison.Differences()), parent);
  const bool load = dialog.exec() == QDialog::Accepted;
  doNotShowAgain = dialog.DoNotShowAgain();
  if (chosen)
    *chosen = dialog.EveryRowChosen() ? QList<const TNoxNumber *>() : dialog.ChosenItems();
  return load;
}
