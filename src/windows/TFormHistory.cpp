#include "windows/TFormHistory.h"

#include "dataitems/TNoxNumber.h"
#include "dataitems/TNoxSerialData.h"
#include "ecuconfig/ConfigurationPages.h"
#include "ecuconfig/TSerialDataModule.h"
#include "history/ConfigurationReport.h"
#include "platform/SafeFileWriter.h"
#include "platform/UserInterface.h"
#include "windows/QtTranslation.h"

#include <QApplication>
#include <QEvent>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace {
enum : int {
  TEXT_CAPTION = 280,
  TEXT_CONNECTIONS = 282,
  TEXT_CONNECTION_COLUMN_FIRST = 283, // date, identification, changes, note
  TEXT_CHANGES = 287,
  TEXT_CHANGE_COLUMN_FIRST = 288, // time, old -> new, origin, result
  TEXT_LOAD = 292,
  TEXT_SAVE_AS = 293,
  TEXT_CLOSE = 294,
  TEXT_WRITTEN = 295,
  TEXT_ORIGINS = 296, // one name per origin, separated by "|"
  TEXT_CHOSEN_ONLY = 487,
  TEXT_SKIPPED_LINES = 297,
  TEXT_NOTE_NOT_KEPT = 298,
  TEXT_OTHER_UNIT_QUESTION = 304, // "... another unit (%1); the unit connected is %2. Load ...?"
  TEXT_RESTORE_POINT_INCOMPLETE = 306,
  TEXT_PARAMETER = 187,
  TEXT_UNIT_REFUSED = 212, // "the ECU did not accept it (status %1)"
  TEXT_NO_VALUE_OF_ITEM = 213,
  TEXT_SHARED_BYTE_UNREAD = 214,
  TEXT_FILE_NOT_SAVED = 202, // "The file %1 could not be saved:\n%2"
  TEXT_FILE_ERROR_CAPTION = 99,
};
enum ChangeColumn { TimeColumn, ParameterColumn, ValuesColumn, OriginColumn, ResultColumn };

QTableWidget *NewTable(int columns, QWidget *parent) {
  auto *table = new QTableWidget(0, columns, parent);
  table->setSelectionBehavior(QAbstractItemView::SelectRows);
  table->setSelectionMode(QAbstractItemView::SingleSelection);
  table->verticalHeader()->hide();
  table->setTabKeyNavigation(false); // Tab goes on to the next control
  table->setWordWrap(false);
  return table;
}

QTableWidgetItem *ReadOnlyItem(const QString &text) {
  auto *item = new QTableWidgetItem(text);
  item->setFlags(item->flags() & ~Qt::ItemIsEditable);
  return item;
}

// Local time in the locale's short form, with the seconds: a fitter's changes
// come a few seconds apart.
QString TimeOfDay(const QDateTime &utc) {
  const QLocale locale = QtTranslation::LanguageLocale();
  QString format = locale.timeFormat(QLocale::ShortFormat);
  if (!format.contains(QLatin1String("ss")))
    format.replace(QLatin1String("mm"), QLatin1String("mm:ss"));
  return locale.toString(utc.toLocalTime().time(), format);
}

// The origins' names, in ChangeRecord::Origin's order.
QString OriginName(const QString &names, ChangeRecord::Origin origin) {
  const QStringList list = names.split(QLatin1Char('|'));
  const auto index = static_cast<qsizetype>(origin);
  return index < list.size() ? list.at(index).trimmed() : QString();
}
} // namespace

TFormHistory::TFormHistory(TSerialDataModule &module, WorkshopHistory &history, LoadCommand load,
                           QWidget *parent)
    : QDialog(parent), m_module(module), m_history(history), m_loadCommand(std::move(load)) {
  setObjectName(QStringLiteral("FormHistory"));
  m_connectionsLabel = new QLabel(this);
  m_connections = NewTable(4, this);
  m_connections->setObjectName(QStringLiteral("ConnectionList"));
  // Only the note is typed; F2 and Enter start it (the event filter), a
  // double click too.
  m_connections->setEditTriggers(QAbstractItemView::DoubleClicked);
  m_connections->installEventFilter(this);
  QHeaderView *header = m_connections->horizontalHeader();
  header->setSectionResizeMode(QHeaderView::ResizeToContents);
  header->setSectionResizeMode(NoteColumn, QHeaderView::Stretch);
  m_connectionsLabel->setBuddy(m_connections);

  m_changesLabel = new QLabel(this);
  m_changes = NewTable(5, this);
  m_changes->setObjectName(QStringLiteral("ChangeTable"));
  m_changes->setEditTriggers(QAbstractItemView::NoEditTriggers);
  m_changes->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
  m_changes->horizontalHeader()->setSectionResizeMode(ParameterColumn, QHeaderView::Stretch);
  m_changesLabel->setBuddy(m_changes);
  m_notice = new QLabel(this);
  m_notice->setObjectName(QStringLiteral("Notice"));
  m_notice->setWordWrap(true);
  m_notice->hide();

  m_load = new QPushButton(this);
  m_load->setObjectName(QStringLiteral("ButtonLoad"));
  m_saveAs = new QPushButton(this);
  m_saveAs->setObjectName(QStringLiteral("ButtonSaveAs"));
  m_close = new QPushButton(this);
  m_close->setObjectName(QStringLiteral("ButtonClose"));
  // Enter belongs to the note: no button takes it unless it has the focus.
  for (QPushButton *button : {m_load, m_saveAs, m_close})
    button->setAutoDefault(false);
  connect(m_load, &QPushButton::clicked, this, &TFormHistory::LoadSelected);
  connect(m_saveAs, &QPushButton::clicked, this, &TFormHistory::SaveSelectedAs);
  connect(m_close, &QPushButton::clicked, this, &QDialog::reject);
  connect(m_connections, &QTableWidget::currentCellChanged, this, &TFormHistory::ShowChanges);
  connect(m_connections, &QTableWidget::itemChanged, this, &TFormHistory::NoteEdited);

  auto *buttons = new QHBoxLayout;
  buttons->addWidget(m_load);
  buttons->addWidget(m_saveAs);
  buttons->addStretch(1);
  buttons->addWidget(m_close);
  auto *layout = new QVBoxLayout(this);
  layout->addWidget(m_connectionsLabel);
  layout->addWidget(m_connections, 2);
  layout->addWidget(m_changesLabel);
  layout->addWidget(m_changes, 3);
  layout->addWidget(m_notice);
  layout->addLayout(buttons);
  resize(860, 600);
  ApplyTexts();
  Reload();
}

void TFormHistory::ApplyTexts() {
  auto text = [this](int id) { return m_module.Text(id); };
  setWindowTitle(text(TEXT_CAPTION));
  m_connectionsLabel->setText(text(TEXT_CONNECTIONS));
  m_changesLabel->setText(text(TEXT_CHANGES));
  QStringList columns;
  for (int column = 0; column < 4; ++column)
    columns << text(TEXT_CONNECTION_COLUMN_FIRST + column);
  m_connections->setHorizontalHeaderLabels(columns);
  m_changes->setHorizontalHeaderLabels(
      {text(TEXT_CHANGE_COLUMN_FIRST), text(TEXT_PARAMETER), text(TEXT_CHANGE_COLUMN_FIRST + 1),
       text(TEXT_CHANGE_COLUMN_FIRST + 2), text(TEXT_CHANGE_COLUMN_FIRST + 3)});
  m_load->setText(text(TEXT_LOAD));
  m_saveAs->setText(text(TEXT_SAVE_AS));
  m_close->setText(text(TEXT_CLOSE));
}

void TFormHistory::Reload() {
  const HistoryConnection *selected = Selected();
  const QString keep = selected ? selected->Id : QString();
  m_list = m_history.Connections();
  const QLocale locale = QtTranslation::LanguageLocale();
  m_filling = true;
  m_connections->setRowCount(static_cast<int>(m_list.size()));
  int current = m_list.isEmpty() ? -1 : 0;
  for (int row = 0; row < m_list.size(); ++row) {
    const HistoryConnection &connection = m_list.at(row);
    auto *date = ReadOnlyItem(locale.toString(connection.Started.toLocalTime(), QLocale::ShortFormat));
    // A damaged description has no identification to show, but says why.
    auto *identification =
        ReadOnlyItem(connection.Damage.isEmpty() ? connection.Identification : connection.Damage);
    identification->setToolTip(connection.Firmware);
    auto *count = ReadOnlyItem(locale.toString(connection.ChangeCount));
    count->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
    m_connections->setItem(row, DateColumn, date);
    m_connections->setItem(row, IdentificationColumn, identification);
    m_connections->setItem(row, ChangeCountColumn, count);
    m_connections->setItem(row, NoteColumn, new QTableWidgetItem(connection.Note));
    if (connection.Id == keep)
      current = row;
  }
  m_filling = false;
  if (current >= 0)
    m_connections->setCurrentCell(current, DateColumn);
  ShowChanges();
}

const HistoryConnection *TFormHistory::Selected() const {
  const int row = m_connections->currentRow();
  return row >= 0 && row < m_list.size() ? &m_list.at(row) : nullptr;
}

void TFormHistory::ShowChanges() {
  const HistoryConnection *connection = Selected();
  m_load->setEnabled(connection != nullptr);
  m_saveAs->setEnabled(connection != nullptr);
  QStringList skipped;
  QList<ChangeRecord> records =
      connection ? m_history.Changes(connection->Id, &skipped) : QList<ChangeRecord>();
  // What left the unit as it was is no change, as the count says.
  records.removeIf([](const ChangeRecord &record) { return record.ChangedNothing(); });
  m_changes->setRowCount(static_cast<int>(records.size()));
  for (int row = 0; row < records.size(); ++row) {
    const ChangeRecord &record = records.at(row);
    // As the report shows it: the field's caption and values in the
    // current language, a check box as yes or no.
    const ConfigurationReport::Change shown = ConfigurationReport::ChangeOf(m_module, record);
    auto *values = ReadOnlyItem(shown.OldValue + QStringLiteral(" \u2192 ") + shown.NewValue);
    values->setToolTip(QStringLiteral("0x%1 \u2192 0x%2")
                           .arg(record.OldRaw, 2, 16, QLatin1Char('0'))
                           .arg(record.NewRaw, 2, 16, QLatin1Char('0')));
    auto *origin = ReadOnlyItem(OriginText(record));
    origin->setToolTip(record.OriginDetail);
    m_changes->setItem(row, TimeColumn, ReadOnlyItem(TimeOfDay(record.Time)));
    m_changes->setItem(row, ParameterColumn, ReadOnlyItem(shown.Caption));
    m_changes->setItem(row, ValuesColumn, values);
    m_changes->setItem(row, OriginColumn, origin);
    m_changes->setItem(row, ResultColumn, ReadOnlyItem(ResultText(record)));
  }
  // However many lines a damaged log lost, one sentence says so.
  m_notice->setVisible(!skipped.isEmpty());
  if (!skipped.isEmpty()) {
    m_notice->setText(m_module.Text(TEXT_SKIPPED_LINES).arg(skipped.size()));
    m_notice->setToolTip(skipped.join(QLatin1Char('\n')));
  }
}

QString TFormHistory::OriginText(const ChangeRecord &record) const {
  QString name = OriginName(m_module.Text(TEXT_ORIGINS), record.Source);
  if (record.Source == ChangeRecord::Origin::FileLoad) {
    name = name.arg(QFileInfo(record.OriginDetail).fileName());
    if (!record.Chosen.isEmpty())
      name += QStringLiteral(", ") + m_module.Text(TEXT_CHOSEN_ONLY).arg(record.Chosen.join(QStringLiteral(", ")));
  }
  else if (record.Source == ChangeRecord::Origin::Handler) {
    QString by;
    for (const TNoxSerialData *item : m_module.DataItems())
      if (item->objectName() == record.OriginDetail)
        by = ConfigurationPages::CaptionOf(m_module, item);
    name = name.arg(by.isEmpty() ? record.OriginDetail : by);
  }
  return name;
}

QString TFormHistory::ResultText(const ChangeRecord &record) const {
  switch (record.Outcome) {
  case ItemWrite::Result::Written:
    return m_module.Text(TEXT_WRITTEN);
  case ItemWrite::Result::Refused:
    if (record.Status == TNoxSerialData::ERROR_SHARED_BYTE_UNREAD)
      return m_module.Text(TEXT_SHARED_BYTE_UNREAD);
    return m_module.Text(TEXT_NO_VALUE_OF_ITEM);
  case ItemWrite::Result::Failed:
    break;
  }
  return m_module.Text(TEXT_UNIT_REFUSED).arg(record.Status);
}

void TFormHistory::NoteEdited(QTableWidgetItem *item) {
  if (m_filling || item->column() != NoteColumn || item->row() >= m_list.size())
    return;
  HistoryConnection &connection = m_list[item->row()];
  const QString note = item->text().trimmed();
  if (note == connection.Note)
    return;
  if (m_history.SetNote(connection.Id, note)) {
    connection.Note = note;
    return;
  }
  // The note stays in the list as typed, so the fitter can try again.
  UserInterface::Current().ShowMessage(m_module.Text(TEXT_NOTE_NOT_KEPT).arg(m_history.Folder()),
                                       windowTitle(), MessageIcon::Error);
}

void TFormHistory::LoadSelected() {
  const HistoryConnection *connection = Selected();
  if (!connection || !m_loadCommand)
    return;
  if (!connection->Unread.isEmpty()) {
    UserInterface::Current().ShowMessage(
        m_module.Text(TEXT_RESTORE_POINT_INCOMPLETE).arg(connection->Unread.join(QStringLiteral(", "))),
        m_module.Text(TEXT_FILE_ERROR_CAPTION), MessageIcon::Error);
    return;
  }
  // Another unit's configuration may be meant for it (a replaced unit), but
  // never without the fitter's word.
  const QString connected = ConfigurationReport::IdentificationText(m_module);
  if (!connected.isEmpty() && connection->Identification != connected &&
      !UserInterface::Current().AskYesNo(
          m_module.Text(TEXT_OTHER_UNIT_QUESTION).arg(connection->Identification, connected), windowTitle()))
    return;
  // A restore point that fails its check never reaches the unit.
  QString reason;
  const QString file = m_history.CheckedRestorePoint(*connection, &reason);
  if (file.isEmpty()) {
    UserInterface::Current().ShowMessage(reason, m_module.Text(TEXT_FILE_ERROR_CAPTION), MessageIcon::Error);
    return;
  }
  if (m_loadCommand(file, this))
    Reload(); // the load's own changes are in the open connection's log now
}

void TFormHistory::SaveSelectedAs() {
  const HistoryConnection *connection = Selected();
  if (!connection)
    return;
  const QString suggested = QFileInfo(connection->RestorePoint).fileName();
  QString target;
  if (ChooseExportFile) {
    target = ChooseExportFile(suggested);
  } else {
    QFileDialog dialog(this);
    dialog.setObjectName(QStringLiteral("ExportDialogFile"));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setNameFilter(QStringLiteral("File : (*.kfg)"));
    dialog.setDefaultSuffix(QStringLiteral("kfg"));
    if (!ExportFolder.isEmpty())
      dialog.setDirectory(ExportFolder);
    dialog.selectFile(suggested);
    if (dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty())
      target = dialog.selectedFiles().constFirst();
  }
  if (target.isEmpty())
    return;
  // The restore point is already an ordinary enciphered configuration file:
  // the export is its bytes, once they passed their check, written so that a
  // failure leaves no half file.
  QString reason;
  QByteArray bytes;
  if (m_history.ReadRestorePoint(*connection, bytes, &reason) &&
      !SafeFileWriter::Write(target, bytes, &reason) && reason.isEmpty())
    reason = QFile(target).errorString(); // never a failure passed off as a save
  if (!reason.isEmpty())
    UserInterface::Current().ShowMessage(m_module.Text(TEXT_FILE_NOT_SAVED).arg(target, reason),
                                         m_module.Text(TEXT_FILE_ERROR_CAPTION), MessageIcon::Error);
}

bool TFormHistory::eventFilter(QObject *watched, QEvent *event) {
  // While the note is typed its editor has the focus, and the Enter that
  // confirms it comes up to the list afterwards: not a new edit.
  if (watched == m_connections && event->type() == QEvent::KeyPress &&
      QApplication::focusWidget() == m_connections) {
    const auto *key = static_cast<QKeyEvent *>(event);
    const bool editKey =
        key->key() == Qt::Key_F2 || key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter;
    const int row = m_connections->currentRow();
    if (editKey && !(key->modifiers() & ~Qt::KeypadModifier) && row >= 0) {
      m_connections->editItem(m_connections->item(row, NoteColumn));
      return true;
    }
  }
  return QDialog::eventFilter(watched, event);
}

void TFormHistory::showEvent(QShowEvent *event) {
  QDialog::showEvent(event);
  m_connections->setFocus(Qt::OtherFocusReason);
}
