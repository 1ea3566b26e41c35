#include "history/ConnectionJournal.h"

#include "dataitems/ItemWriteTap.h"
#include "dataitems/TNoxNumber.h"
#include "dataitems/WriteOrigin.h"
#include "ecuconfig/ConfigurationFile.h"
#include "ecuconfig/ConfigurationPages.h"
#include "ecuconfig/TSerialDataModule.h"
#include "history/LoadGuard.h"
#include "platform/UserAction.h"
#include "platform/UserInterface.h"
#include "storage/TMemIniData.h"

#include <QDir>
#include <cmath>

namespace {
// "The workshop history cannot be written ...": folder, then the reason.
constexpr int TEXT_HISTORY_NOT_WRITTEN = 230;
// The check byte's one good value; anything else erases the EEPROM.
constexpr std::int32_t CHECK_VALUE = 172;

// The whole line or, with the system's reason, none of it: a write that
// stops short (a full disk, a file-size limit) says nothing of why, so the
// rest is written again until the system refuses, and the torn part is cut
// off again.
bool AppendLine(QFile &log, const QByteArray &line, QString &reason) {
  const qint64 start = log.size();
  for (qint64 done = 0; done < line.size();) {
    const qint64 written = log.write(line.constData() + done, line.size() - done);
    if (written <= 0) {
      reason = log.errorString();
      log.resize(start);
      return false;
    }
    done += written;
  }
  return true;
}

} // namespace

QByteArray ConnectionJournal::WithoutUnread(TSerialDataModule &module, const QByteArray &text, QStringList &unread) {
  QByteArray block = TMemIniData::MakeBlock(text);
  TMemIniData ini(&block);
  ini.LoadBuffer();
  for (TNoxSerialData *data : module.DataItems()) {
    auto *item = qobject_cast<TNoxNumber *>(data);
    if (!item || !module.ValueNotRead(item) || !ini.ValueExists(item->FileSection(), item->FileKey()))
      continue;
    ini.DeleteKey(item->FileSection(), item->FileKey());
    unread << item->FileKey();
  }
  return unread.isEmpty() ? text : ini.TextBytes();
}

ConnectionJournal::ConnectionJournal(TSerialDataModule &module, WorkshopHistory &history, QObject *parent)
    : QObject(parent), m_module(module), m_history(history),
      m_clock([] { return QDateTime::currentDateTimeUtc(); }) {
  connect(&m_module, &TSerialDataModule::ConfigurationFound, this, &ConnectionJournal::Open);
  connect(&m_module, &TSerialDataModule::ConnectionClosed, this, &ConnectionJournal::Close);
  // Every load of the connection notes its beginning and end beside its log.
  new LoadGuard(m_module, *this, this);
}

ConnectionJournal::~ConnectionJournal() {
  if (m_tapKey >= 0)
    ItemWriteTap::Remove(m_tapKey);
}

QString ConnectionJournal::IdentificationText(const NoxIdentification &record) {
  const bool bootloader = record.Bytes[1] == 3;
  const int family = bootloader ? record.Bytes[4] : record.Bytes[1];
  const int variant = bootloader ? record.Bytes[5] : record.Bytes[2];
  return QStringLiteral("%1-%2-%3").arg(record.Bytes[0]).arg(family).arg(variant);
}

void ConnectionJournal::Open() {
  // A connect while one is open (a second read-all) starts a new connection.
  if (m_open)
    Close();
  m_warned = false;
  m_changes.clear();
  m_loggedChanges = 0;
  m_actionSeen = false;
  m_writtenUnder.clear();
  m_current = {};
  m_current.Started = m_clock();
  m_current.Identification = IdentificationText(m_module.Identification);
  if (m_current.Identification != m_visitUnit) {
    m_visitUnit = m_current.Identification;
    m_visitChanges.clear();
    m_visitNotes.clear();
  }
  m_visitNotes.append(QString());
  m_current.Firmware = m_module.FirmwareStatusText();
  // The unit as found, in the very text a save would write; quietly: the
  // fitter asked for a connect, not for a save.
  const QByteArray plain = WithoutUnread(
      m_module, ConfigurationFile(m_module).IniText(nullptr, ConfigurationFile::Progress::Quiet),
      m_current.Unread);
  QString reason;
  if (!m_history.NewConnection(m_current, plain, &reason)) {
    Warn(reason);
  } else {
    // The entry's own log, created empty for it alone: never another's.
    m_log.setFileName(m_current.LogFile);
    if (!m_log.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::ExistingOnly |
                    QIODevice::Unbuffered))
      Warn(QDir::toNativeSeparators(m_current.LogFile) + QStringLiteral(": ") + m_log.errorString());
  }
  m_tapKey = ItemWriteTap::Add([this](const ItemWrite &write) { Record(write); });
  m_open = true;
  Q_EMIT Opened();
}

void ConnectionJournal::Close() {
  if (!m_open)
    return;
  if (m_tapKey >= 0)
    ItemWriteTap::Remove(m_tapKey);
  m_tapKey = -1;
  // The count goes into the description, so that listing thousands of
  // connections reads no log that did not grow since.
  if (m_log.isOpen()) {
    m_current.ChangeCount = m_loggedChanges;
    m_current.CountedLogSize = m_log.size();
    m_history.WriteEntry(m_current);
  }
  m_log.close();
  m_open = false;
  Q_EMIT Closed();
}

bool ConnectionJournal::SetNote(const QString &note) {
  if (m_current.Id.isEmpty())
    return false;
  m_current.Note = note;
  if (!m_visitNotes.isEmpty())
    m_visitNotes.last() = note;
  return m_history.WriteEntry(m_current);
}

QString ConnectionJournal::VisitNote() const {
  QStringList notes;
  for (const QString &note : m_visitNotes)
    if (!note.isEmpty() && !notes.contains(note))
      notes.append(note);
  return notes.join(QStringLiteral("; "));
}

ChangeRecord::Origin ConnectionJournal::OriginOf(const ItemWrite &write, QString &detail) const {
  if (write.ByHandlerOf) {
    detail = write.ByHandlerOf->objectName();
    return ChangeRecord::Origin::Handler;
  }
  if (write.Item == m_module.CHECKUP && write.NewRaw != CHECK_VALUE)
    return ChangeRecord::Origin::EepromErase;
  switch (WriteOrigin::Current()) {
  case WriteOrigin::Kind::FileLoad:
    detail = QDir::toNativeSeparators(WriteOrigin::CurrentFile());
    return ChangeRecord::Origin::FileLoad;
  case WriteOrigin::Kind::Undo:
    return ChangeRecord::Origin::Undo;
  case WriteOrigin::Kind::Redo:
    return ChangeRecord::Origin::Redo;
  case WriteOrigin::Kind::EepromErase:
    return ChangeRecord::Origin::EepromErase;
  case WriteOrigin::Kind::ConnectCorrection:
    return ChangeRecord::Origin::ConnectCorrection;
  case WriteOrigin::Kind::FieldEdit:
    break;
  }
  return ChangeRecord::Origin::FieldEdit;
}

double ConnectionJournal::OldValueOf(const ItemWrite &write) {
  TNoxSerialData *ignition = m_module.TIPO_ACCENSIONE;
  const std::uint64_t action = UserAction::Current();
  if (!m_actionSeen || action != m_action) {
    // Before anything of this action reached the unit: the ignition type's
    // own write, when it comes first, is the only one already made.
    m_actionSeen = true;
    m_action = action;
    m_writtenUnder.clear();
    const std::int32_t before = write.Item == ignition ? write.OldRaw : ignition->RawValue();
    m_actionCoefficient =
        TSerialDataModule::SpeedCoefficient(static_cast<int>(ignition->ConvertToUser(before)));
  }
  if (!m_module.SpeedItems().contains(write.Item))
    return write.Item->ConvertToUser(write.OldRaw);
  // The new value is the item's own: whoever switched the coefficient (the
  // ignition type's handler, an undo) did so before writing the byte.
  const double now = write.Item->CoeffB();
  write.Item->SetCoeffB(m_writtenUnder.value(write.Item, m_actionCoefficient));
  const double old = write.Item->ConvertToUser(write.OldRaw);
  write.Item->SetCoeffB(now);
  if (write.Outcome == ItemWrite::Result::Written)
    m_writtenUnder.insert(write.Item, now);
  return old;
}

void ConnectionJournal::Record(const ItemWrite &write) {
  if (!write.Item)
    return;
  ChangeRecord record;
  record.Time = m_clock();
  record.Item = write.Item->objectName();
  // The page table knows every field, whether or not a window shows it; the
  // changed bits tell apart the check boxes that share one byte.
  record.Caption = ConfigurationPages::CaptionOf(m_module, write.Item, write.OldRaw ^ write.NewRaw);
  record.OldValue = OldValueOf(write);
  record.NewValue = write.Item->ConvertToUser(write.NewRaw);
  // A refusal sent nothing: its raw values are the old ones again, the
  // value tried is the fitter's.
  if (write.Outcome == ItemWrite::Result::Refused && !std::isnan(write.TriedValue))
    record.NewValue = write.TriedValue;
  record.OldRaw = write.OldRaw;
  record.NewRaw = write.NewRaw;
  record.Source = OriginOf(write, record.OriginDetail);
  if (record.Source == ChangeRecord::Origin::FileLoad)
    record.Chosen = WriteOrigin::CurrentChoice();
  record.Outcome = write.Outcome;
  record.Status = write.Status;
  record.Action = UserAction::Current();
  m_changes.append(record);
  m_visitChanges.append(record);
  if (m_log.isOpen()) {
    // Unbuffered: the line is on disk (as far as the system goes) before the
    // next write, so a crash loses at most the line being written.
    QString reason;
    if (!AppendLine(m_log, WorkshopHistory::RecordLine(record), reason)) {
      Warn(QDir::toNativeSeparators(m_current.LogFile) + QStringLiteral(": ") + reason);
      m_log.close();
    } else if (!record.ChangedNothing()) {
      ++m_loggedChanges;
    }
  }
  Q_EMIT RecordAdded(record);
}

void ConnectionJournal::Warn(const QString &reason) {
  if (m_warned)
    return;
  m_warned = true;
  const QString folder = QDir::toNativeSeparators(m_history.Folder());
  const TSerialDataModule &module = m_module;
  UserInterface::Current().ShowTranslatedStatusWarning([&module, folder, reason] {
    const QString text = module.Text(TEXT_HISTORY_NOT_WRITTEN);
    // Without the language library the warning still names the folder.
    return text.isEmpty() ? folder + QStringLiteral(": ") + reason : text.arg(folder, reason);
  });
}
