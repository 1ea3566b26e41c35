#include "history/WorkshopHistory.h"

#include "ecuconfig/ConfigurationEnvelope.h"
#include "platform/SafeFileWriter.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStandardPaths>
#include <algorithm>
#include <cmath>

namespace {
const QLatin1String ENTRY_SUFFIX(".json");
const QLatin1String LOG_SUFFIX(".jsonl");
const QLatin1String RESTORE_SUFFIX(".kfg");
// Anything larger is not a log of ours: one connection writes a few hundred lines.
constexpr qint64 MAX_LOG_SIZE = 64 * 1024 * 1024;
constexpr qint64 MAX_ENTRY_SIZE = 64 * 1024;

struct OriginNameEntry {
  ChangeRecord::Origin Origin;
  const char *Name;
};
constexpr OriginNameEntry ORIGIN_NAMES[] = {
    {ChangeRecord::Origin::FieldEdit, "field-edit"},
    {ChangeRecord::Origin::FileLoad, "file-load"},
    {ChangeRecord::Origin::Undo, "undo"},
    {ChangeRecord::Origin::Redo, "redo"},
    {ChangeRecord::Origin::Handler, "handler"},
    {ChangeRecord::Origin::EepromErase, "eeprom-erase"},
    {ChangeRecord::Origin::ConnectCorrection, "connect-correction"},
};
struct OutcomeNameEntry {
  ItemWrite::Result Outcome;
  const char *Name;
};
constexpr OutcomeNameEntry OUTCOME_NAMES[] = {
    {ItemWrite::Result::Written, "written"},
    {ItemWrite::Result::Refused, "refused"},
    {ItemWrite::Result::Failed, "failed"},
};

QString TimeText(const QDateTime &time) {
  return time.toUTC().toString(Qt::ISODateWithMs);
}

QDateTime ParseTime(const QJsonValue &value) {
  QDateTime time = QDateTime::fromString(value.toString(), Qt::ISODateWithMs);
  if (!time.isValid())
    return {};
  return time.toUTC();
}

// JSON has no NaN: a value that does not convert is kept as null.
QJsonValue NumberValue(double value) {
  if (!std::isfinite(value))
    return QJsonValue(QJsonValue::Null);
  return value;
}

double ParseNumber(const QJsonValue &value) {
  return value.isDouble() ? value.toDouble() : std::nan("");
}

bool ParseRaw(const QJsonValue &value, std::int32_t &raw) {
  if (!value.isDouble())
    return false;
  const double number = value.toDouble();
  if (!(number >= -2147483648.0 && number <= 2147483647.0) || number != std::floor(number))
    return false;
  raw = static_cast<std::int32_t>(number);
  return true;
}

QByteArray ReadSmallFile(const QString &fileName, qint64 limit, bool *ok = nullptr) {
  QFile file(fileName);
  if (ok)
    *ok = false;
  if (!file.open(QIODevice::ReadOnly) || file.size() > limit)
    return {};
  QByteArray bytes = file.readAll();
  if (ok)
    *ok = file.error() == QFileDevice::NoError;
  return bytes;
}
} // namespace

WorkshopHistory::WorkshopHistory(QString folder) : m_folder(QDir::cleanPath(std::move(folder))) {}

QString WorkshopHistory::DefaultFolder() {
  const QString overridden = qEnvironmentVariable("NOX_HISTORY_DIR");
  if (!overridden.isEmpty())
    return overridden;
  // The desktop program's folder, for ecuctl too: both keep one history.
  const QString name = QCoreApplication::applicationName();
  QCoreApplication::setApplicationName(QStringLiteral("noxconfig"));
  const QString folder = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
  QCoreApplication::setApplicationName(name);
  return folder + QStringLiteral("/history");
}

QString WorkshopHistory::EntryFile(const QString &id) const {
  return m_folder + QLatin1Char('/') + id + ENTRY_SUFFIX;
}

QString WorkshopHistory::FileNameSafe(const QString &text) {
  QString safe;
  for (const QChar c : text) {
    const bool plain = (c >= QLatin1Char('a') && c <= QLatin1Char('z')) ||
                       (c >= QLatin1Char('A') && c <= QLatin1Char('Z')) ||
                       (c >= QLatin1Char('0') && c <= QLatin1Char('9')) || c == QLatin1Char('-') ||
                       c == QLatin1Char('_');
    safe += plain ? c : QLatin1Char('_');
  }
  safe.truncate(48);
  return safe.isEmpty() ? QStringLiteral("unit") : safe;
}

bool WorkshopHistory::EnsureFolder(QString *reason) const {
  if (QDir().mkpath(m_folder))
    return true;
  if (reason)
    *reason = QStringLiteral("cannot create %1").arg(QDir::toNativeSeparators(m_folder));
  return false;
}

HistoryConnection WorkshopHistory::NewConnection(const QDateTime &started, const QString &identification,
                                                 const QString &firmware) const {
  HistoryConnection connection;
  connection.Started = started.toUTC();
  connection.Identification = identification;
  connection.Firmware = firmware;
  const QString base = connection.Started.toString(QStringLiteral("yyyyMMdd-HHmmss")) + QLatin1Char('-') +
                       FileNameSafe(identification);
  QString id = base;
  const QDir folder(m_folder);
  for (int n = 2; folder.exists(id + ENTRY_SUFFIX) || folder.exists(id + LOG_SUFFIX) ||
                  folder.exists(id + RESTORE_SUFFIX);
       ++n)
    id = base + QLatin1Char('-') + QString::number(n);
  connection.Id = id;
  connection.LogFile = m_folder + QLatin1Char('/') + id + LOG_SUFFIX;
  return connection;
}

bool WorkshopHistory::KeepRestorePoint(HistoryConnection &connection, const QByteArray &plainText,
                                       QString *reason) const {
  // The newest earlier restore point of this unit: if the unit still holds
  // exactly that, the file is shared. The deciphered text is compared, since
  // every save enciphers under fresh random header bytes.
  // Asked at every connect: the count of changes is not needed here.
  const QList<HistoryConnection> earlier = Connections(Count::NoChanges);
  for (const HistoryConnection &previous : earlier) {
    if (previous.Id == connection.Id || previous.Identification != connection.Identification ||
        previous.RestorePoint.isEmpty())
      continue;
    bool ok = false;
    const QByteArray file = ReadSmallFile(previous.RestorePoint, ConfigurationEnvelope::MAX_FILE_SIZE, &ok);
    QByteArray plain;
    if (ok && ConfigurationEnvelope::Open(file, plain) && plain == plainText) {
      connection.RestorePoint = previous.RestorePoint;
      return true;
    }
    break;
  }
  if (!EnsureFolder(reason))
    return false;
  const QString fileName = m_folder + QLatin1Char('/') + connection.Id + RESTORE_SUFFIX;
  if (!ConfigurationEnvelope::WriteFile(fileName, ConfigurationEnvelope::Seal(plainText), reason))
    return false;
  connection.RestorePoint = fileName;
  return true;
}

bool WorkshopHistory::WriteEntry(const HistoryConnection &connection, QString *reason) const {
  if (!EnsureFolder(reason))
    return false;
  QJsonObject entry;
  entry[QStringLiteral("started")] = TimeText(connection.Started);
  entry[QStringLiteral("identification")] = connection.Identification;
  entry[QStringLiteral("firmware")] = connection.Firmware;
  // Relative, so that a copied or moved folder keeps its restore points.
  entry[QStringLiteral("restorePoint")] =
      connection.RestorePoint.isEmpty() ? QString() : QFileInfo(connection.RestorePoint).fileName();
  entry[QStringLiteral("note")] = connection.Note;
  return SafeFileWriter::Write(EntryFile(connection.Id), QJsonDocument(entry).toJson(QJsonDocument::Indented),
                               reason);
}

bool WorkshopHistory::ReadEntry(const QString &entryFile, HistoryConnection &connection, Count count) const {
  bool ok = false;
  const QByteArray bytes = ReadSmallFile(entryFile, MAX_ENTRY_SIZE, &ok);
  if (!ok)
    return false;
  QJsonParseError error{};
  const QJsonDocument document = QJsonDocument::fromJson(bytes, &error);
  if (error.error != QJsonParseError::NoError || !document.isObject())
    return false;
  const QJsonObject entry = document.object();
  connection = {};
  connection.Id = QFileInfo(entryFile).completeBaseName();
  connection.Started = ParseTime(entry.value(QStringLiteral("started")));
  if (!connection.Started.isValid())
    return false;
  connection.Identification = entry.value(QStringLiteral("identification")).toString();
  connection.Firmware = entry.value(QStringLiteral("firmware")).toString();
  connection.Note = entry.value(QStringLiteral("note")).toString();
  const QString restore = entry.value(QStringLiteral("restorePoint")).toString();
  // Only a file of this folder: a hand-edited path must not point elsewhere.
  if (!restore.isEmpty() && restore == QFileInfo(restore).fileName())
    connection.RestorePoint = m_folder + QLatin1Char('/') + restore;
  connection.LogFile = m_folder + QLatin1Char('/') + connection.Id + LOG_SUFFIX;
  if (count == Count::Changes)
    connection.ChangeCount = static_cast<int>(Changes(connection.Id).size());
  return true;
}

QList<HistoryConnection> WorkshopHistory::Connections(Count count) const {
  QList<HistoryConnection> connections;
  const QDir folder(m_folder);
  const QStringList entries =
      folder.entryList({QStringLiteral("*") + ENTRY_SUFFIX}, QDir::Files | QDir::Readable, QDir::Name);
  for (const QString &name : entries) {
    HistoryConnection connection;
    if (ReadEntry(folder.filePath(name), connection, count))
      connections.append(connection);
  }
  std::stable_sort(connections.begin(), connections.end(),
                   [](const HistoryConnection &a, const HistoryConnection &b) {
                     if (a.Started != b.Started)
                       return a.Started > b.Started;
                     return a.Id > b.Id;
                   });
  return connections;
}

HistoryConnection WorkshopHistory::Connection(const QString &id) const {
  HistoryConnection connection;
  if (id.isEmpty() || id != FileNameSafe(id) || !ReadEntry(EntryFile(id), connection))
    return {};
  return connection;
}

bool WorkshopHistory::SetNote(const QString &id, const QString &note) {
  HistoryConnection connection = Connection(id);
  if (connection.Id.isEmpty())
    return false;
  connection.Note = note;
  return WriteEntry(connection);
}

QList<ChangeRecord> WorkshopHistory::Changes(const QString &id, QStringList *skipped) const {
  QList<ChangeRecord> records;
  if (id.isEmpty() || id != FileNameSafe(id))
    return records;
  const QString fileName = m_folder + QLatin1Char('/') + id + LOG_SUFFIX;
  if (!QFileInfo::exists(fileName))
    return records;
  bool ok = false;
  const QByteArray bytes = ReadSmallFile(fileName, MAX_LOG_SIZE, &ok);
  if (!ok) {
    if (skipped)
      skipped->append(QStringLiteral("%1: unreadable").arg(QDir::toNativeSeparators(fileName)));
    return records;
  }
  const QList<QByteArray> lines = bytes.split('\n');
  for (int i = 0; i < lines.size(); ++i) {
    const QByteArray line = lines[i].trimmed();
    if (line.isEmpty())
      continue;
    ChangeRecord record;
    if (ParseRecordLine(line, record))
      records.append(record);
    else if (skipped)
      skipped->append(QStringLiteral("%1, line %2: not a change record, skipped")
                          .arg(QDir::toNativeSeparators(fileName))
                          .arg(i + 1));
  }
  return records;
}

QString WorkshopHistory::OriginName(ChangeRecord::Origin origin) {
  for (const auto &entry : ORIGIN_NAMES)
    if (entry.Origin == origin)
      return QString::fromLatin1(entry.Name);
  return {};
}

QString WorkshopHistory::OutcomeName(ItemWrite::Result outcome) {
  for (const auto &entry : OUTCOME_NAMES)
    if (entry.Outcome == outcome)
      return QString::fromLatin1(entry.Name);
  return {};
}

QByteArray WorkshopHistory::RecordLine(const ChangeRecord &record) {
  QJsonObject line;
  line[QStringLiteral("time")] = TimeText(record.Time);
  line[QStringLiteral("item")] = record.Item;
  line[QStringLiteral("caption")] = record.Caption;
  line[QStringLiteral("old")] = NumberValue(record.OldValue);
  line[QStringLiteral("new")] = NumberValue(record.NewValue);
  line[QStringLiteral("oldRaw")] = record.OldRaw;
  line[QStringLiteral("newRaw")] = record.NewRaw;
  line[QStringLiteral("origin")] = OriginName(record.Source);
  line[QStringLiteral("detail")] = record.OriginDetail;
  line[QStringLiteral("outcome")] = OutcomeName(record.Outcome);
  line[QStringLiteral("status")] = record.Status;
  // As text: a 64-bit number does not survive a JSON double.
  line[QStringLiteral("action")] = QString::number(record.Action);
  return QJsonDocument(line).toJson(QJsonDocument::Compact) + '\n';
}

bool WorkshopHistory::ParseRecordLine(const QByteArray &line, ChangeRecord &record) {
  QJsonParseError error{};
  const QJsonDocument document = QJsonDocument::fromJson(line, &error);
  if (error.error != QJsonParseError::NoError || !document.isObject())
    return false;
  const QJsonObject object = document.object();
  ChangeRecord parsed;
  parsed.Time = ParseTime(object.value(QStringLiteral("time")));
  parsed.Item = object.value(QStringLiteral("item")).toString();
  if (!parsed.Time.isValid() || parsed.Item.isEmpty())
    return false;
  parsed.Caption = object.value(QStringLiteral("caption")).toString();
  parsed.OldValue = ParseNumber(object.value(QStringLiteral("old")));
  parsed.NewValue = ParseNumber(object.value(QStringLiteral("new")));
  if (!ParseRaw(object.value(QStringLiteral("oldRaw")), parsed.OldRaw) ||
      !ParseRaw(object.value(QStringLiteral("newRaw")), parsed.NewRaw))
    return false;
  const QString origin = object.value(QStringLiteral("origin")).toString();
  const auto *originEntry = std::find_if(std::begin(ORIGIN_NAMES), std::end(ORIGIN_NAMES),
                                         [&](const auto &e) { return origin == QLatin1String(e.Name); });
  const QString outcome = object.value(QStringLiteral("outcome")).toString();
  const auto *outcomeEntry = std::find_if(std::begin(OUTCOME_NAMES), std::end(OUTCOME_NAMES),
                                          [&](const auto &e) { return outcome == QLatin1String(e.Name); });
  if (originEntry == std::end(ORIGIN_NAMES) || outcomeEntry == std::end(OUTCOME_NAMES))
    return false;
  parsed.Source = originEntry->Origin;
  parsed.Outcome = outcomeEntry->Outcome;
  parsed.OriginDetail = object.value(QStringLiteral("detail")).toString();
  parsed.Status = object.value(QStringLiteral("status")).toInt();
  bool actionOk = false;
  parsed.Action = object.value(QStringLiteral("action")).toString().toULongLong(&actionOk);
  if (!actionOk)
    return false;
  record = parsed;
  return true;
}
