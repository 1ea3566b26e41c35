#include "history/WorkshopHistory.h"

#include "ecuconfig/ConfigurationEnvelope.h"
#include "history/FolderFiles.h"
#include "platform/SafeFileWriter.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
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
// Suffixes tried for one second's entries of one unit: far more than can connect.
constexpr int MAX_SUFFIX = 1000;

// What the history holds (customers' configurations, number plates) is for
// its owner alone. A Windows profile is private already, and Qt's emulation
// of these bits there (ACLs) would only cut the inherited rights: there the
// system's defaults stay.
#if defined(Q_OS_WIN)
constexpr QFileDevice::Permissions OWNER_FILE{};
constexpr QFileDevice::Permissions OWNER_FOLDER{};
#else
constexpr QFileDevice::Permissions OWNER_FILE = QFileDevice::ReadOwner | QFileDevice::WriteOwner;
constexpr QFileDevice::Permissions OWNER_FOLDER = OWNER_FILE | QFileDevice::ExeOwner;
#endif

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

bool Fail(QString *reason, const QString &text) {
  if (reason)
    *reason = text;
  return false;
}

QByteArray Sha256(const QByteArray &bytes) {
  return QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex();
}

// Fails when the file exists: the name is a claim no one else can make.
bool CreateExclusive(QFile &file) {
  const auto mode = QIODevice::WriteOnly | QIODevice::NewOnly;
  return OWNER_FILE ? file.open(mode, OWNER_FILE) : file.open(mode);
}

// An entry listed from its file name alone: "20261209-054212-..." is the
// time it started; failing that, the file's own time.
QDateTime StartedFromName(const QFileInfo &entry) {
  const QDateTime named =
      QDateTime::fromString(entry.completeBaseName().left(15), QStringLiteral("yyyyMMdd-HHmmss"));
  if (!named.isValid())
    return entry.lastModified().toUTC();
  return QDateTime(named.date(), named.time(), Qt::UTC);
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

QString WorkshopHistory::FilePath(const QString &id, QLatin1String suffix) const {
  return m_folder + QLatin1Char('/') + id + suffix;
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
  if (QFileInfo(m_folder).isDir())
    return true;
  // The parents are the user's own data folders; the history is made private.
  const QFileInfo folder(m_folder);
  const QDir parent = folder.absoluteDir();
  const QString path = folder.absoluteFilePath();
  const bool made = parent.mkpath(QStringLiteral(".")) &&
                    (OWNER_FOLDER ? parent.mkdir(path, OWNER_FOLDER) : parent.mkdir(path));
  // Another process may have made it meanwhile.
  if (made || QFileInfo(m_folder).isDir())
    return true;
  return Fail(reason, QStringLiteral("cannot create %1").arg(QDir::toNativeSeparators(m_folder)));
}

bool WorkshopHistory::ClaimId(HistoryConnection &connection, QString *reason) const {
  const QString base = connection.Started.toString(QStringLiteral("yyyyMMdd-HHmmss")) + QLatin1Char('-') +
                       FileNameSafe(connection.Identification);
  bool retried = false;
  for (int n = 1; n <= MAX_SUFFIX;) {
    const QString id = n == 1 ? base : base + QLatin1Char('-') + QString::number(n);
    QFile log(FilePath(id, LOG_SUFFIX));
    if (CreateExclusive(log)) {
      log.close();
      // An entry written before ids were claimed may have no log: not ours.
      if (!QFileInfo::exists(FilePath(id, ENTRY_SUFFIX)) &&
          !QFileInfo::exists(FilePath(id, RESTORE_SUFFIX))) {
        connection.Id = id;
        connection.LogFile = log.fileName();
        return true;
      }
      log.remove();
    } else if (!log.exists()) {
      // Not taken, or taken and given up again by a start that failed: one
      // more try before the system's reason stands.
      if (retried)
        return Fail(reason,
                    QDir::toNativeSeparators(log.fileName()) + QStringLiteral(": ") + log.errorString());
      retried = true;
      continue;
    }
    retried = false;
    ++n;
  }
  return Fail(reason,
              QStringLiteral("%1: no free name for %2").arg(QDir::toNativeSeparators(m_folder), base));
}

bool WorkshopHistory::NewConnection(HistoryConnection &connection, const QByteArray &plainText,
                                    QString *reason) const {
  connection.Started = connection.Started.toUTC();
  connection.Id.clear();
  connection.LogFile.clear();
  connection.RestorePoint.clear();
  connection.RestorePointSha256.clear();
  if (!EnsureFolder(reason) || !ClaimId(connection, reason))
    return false;
  if (KeepRestorePoint(connection, plainText, reason) && WriteEntry(connection, reason))
    return true;
  // Nothing half made stays behind: the empty log, a restore point of its own.
  QFile::remove(connection.LogFile);
  if (connection.RestorePoint == FilePath(connection.Id, RESTORE_SUFFIX))
    QFile::remove(connection.RestorePoint);
  connection.Id.clear();
  connection.LogFile.clear();
  connection.RestorePoint.clear();
  connection.RestorePointSha256.clear();
  return false;
}

bool WorkshopHistory::KeepRestorePoint(HistoryConnection &connection, const QByteArray &plainText,
                                       QString *reason) const {
  // The newest earlier restore point of this unit: if the unit still holds
  // exactly that, the file is shared. The deciphered text is compared, since
  // every save enciphers under fresh random header bytes; a file that fails
  // its check is not compared, and this connection gets one of its own.
  // Asked at every connect, so only the names are listed (they sort by
  // time) and only the newest entry of this unit is read: a workshop's
  // history of thousands of connections must not slow every connect down.
  const QString unit = QLatin1Char('-') + FileNameSafe(connection.Identification);
  QStringList names = FolderFiles::Named(m_folder, QString(), ENTRY_SUFFIX);
  for (auto name = names.crbegin(); name != names.crend(); ++name) {
    const QString id = QFileInfo(*name).completeBaseName();
    if (id == connection.Id || !id.contains(unit))
      continue;
    HistoryConnection previous;
    if (!ReadEntry(FilePath(id, ENTRY_SUFFIX), previous, Count::NoChanges) ||
        previous.Identification != connection.Identification)
      continue;
    if (previous.RestorePoint.isEmpty() || !previous.Damage.isEmpty())
      continue;
    QByteArray file;
    QByteArray plain;
    if (ReadRestorePoint(previous, file) && ConfigurationEnvelope::Open(file, plain) && plain == plainText) {
      connection.RestorePoint = previous.RestorePoint;
      // The text is the unit's own: the digest of what was read is sound
      // even for an earlier entry that kept none.
      connection.RestorePointSha256 = Sha256(file);
      return true;
    }
    break;
  }
  const QString fileName = FilePath(connection.Id, RESTORE_SUFFIX);
  const QByteArray file = ConfigurationEnvelope::Seal(plainText);
  if (!SafeFileWriter::Write(fileName, file, reason, OWNER_FILE))
    return false;
  connection.RestorePoint = fileName;
  connection.RestorePointSha256 = Sha256(file);
  return true;
}

bool WorkshopHistory::ReadRestorePoint(const HistoryConnection &connection, QByteArray &file,
                                       QString *reason) const {
  const QString name = QDir::toNativeSeparators(connection.RestorePoint);
  if (connection.RestorePoint.isEmpty())
    return Fail(reason, QStringLiteral("connection %1 kept no restore point").arg(connection.Id));
  // Loaded, a file without some values would leave in the unit whatever the
  // unit holds for them, and would pass for the unit as found.
  if (!connection.Unread.isEmpty())
    return Fail(reason, name + QStringLiteral(": incomplete, the connect could not read %1; not used")
                                   .arg(connection.Unread.join(QStringLiteral(", "))));
  QFile source(connection.RestorePoint);
  if (!source.open(QIODevice::ReadOnly))
    return Fail(reason, name + QStringLiteral(": ") + source.errorString());
  if (source.size() > ConfigurationEnvelope::MAX_FILE_SIZE)
    return Fail(reason, name + QStringLiteral(": too large for a configuration file"));
  const QByteArray bytes = source.readAll();
  if (source.error() != QFileDevice::NoError)
    return Fail(reason, name + QStringLiteral(": ") + source.errorString());
  // One flipped bit of the enciphered text is one flipped bit of a value
  // (TIPO ACCENSIONE=3 becomes =2) and the file still loads: only the digest
  // tells. A shared file is checked for every connection that uses it.
  if (!connection.RestorePointSha256.isEmpty() && Sha256(bytes) != connection.RestorePointSha256)
    return Fail(reason, name + QStringLiteral(": damaged, its contents are not those written at the "
                                              "connection (SHA-256 differs); not used"));
  file = bytes;
  return true;
}

QString WorkshopHistory::CheckedRestorePoint(const HistoryConnection &connection, QString *reason) const {
  QByteArray file;
  return ReadRestorePoint(connection, file, reason) ? connection.RestorePoint : QString();
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
  if (!connection.RestorePointSha256.isEmpty())
    entry[QStringLiteral("restorePointSha256")] = QString::fromLatin1(connection.RestorePointSha256);
  entry[QStringLiteral("note")] = connection.Note;
  if (!connection.Unread.isEmpty())
    entry[QStringLiteral("unread")] = QJsonArray::fromStringList(connection.Unread);
  if (connection.CountedLogSize >= 0) {
    entry[QStringLiteral("changes")] = connection.ChangeCount;
    entry[QStringLiteral("countedLogSize")] = connection.CountedLogSize;
  }
  return SafeFileWriter::Write(FilePath(connection.Id, ENTRY_SUFFIX),
                               QJsonDocument(entry).toJson(QJsonDocument::Indented), reason, OWNER_FILE);
}

bool WorkshopHistory::ReadEntry(const QString &entryFile, HistoryConnection &connection, Count count) const {
  const QFileInfo info(entryFile);
  if (!info.isFile())
    return false;
  connection = {};
  connection.Id = info.completeBaseName();
  connection.LogFile = FilePath(connection.Id, LOG_SUFFIX);
  auto countChanges = [&] {
    if (count == Count::NoChanges)
      return;
    const QList<ChangeRecord> changes = Changes(connection.Id);
    connection.ChangeCount = static_cast<int>(std::count_if(
        changes.begin(), changes.end(), [](const ChangeRecord &c) { return !c.ChangedNothing(); }));
  };
  bool ok = false;
  const QByteArray bytes = ReadSmallFile(entryFile, MAX_ENTRY_SIZE, &ok);
  QJsonParseError error{};
  const QJsonDocument document = QJsonDocument::fromJson(bytes, &error);
  const QJsonObject entry = document.object();
  connection.Started = ParseTime(entry.value(QStringLiteral("started")));
  QString damage;
  if (!ok)
    damage = QStringLiteral("unreadable or too large");
  else if (error.error != QJsonParseError::NoError)
    damage = error.errorString();
  else if (!connection.Started.isValid())
    damage = QStringLiteral("no start time");
  if (!damage.isEmpty()) {
    // What the name tells is kept: the time, the log, a restore point of its own.
    connection.Damage = QStringLiteral("description damaged (%1)").arg(damage);
    connection.Started = StartedFromName(info);
    if (QFileInfo::exists(FilePath(connection.Id, RESTORE_SUFFIX)))
      connection.RestorePoint = FilePath(connection.Id, RESTORE_SUFFIX);
    countChanges();
    return true;
  }
  // A count kept at the close is good while the log has not grown since:
  // with thousands of connections, reading every log is most of a listing.
  const QJsonValue counted = entry.value(QStringLiteral("countedLogSize"));
  const QJsonValue changes = entry.value(QStringLiteral("changes"));
  if (counted.isDouble() && changes.isDouble() && changes.toInt(-1) >= 0 &&
      static_cast<qint64>(counted.toDouble()) == QFileInfo(connection.LogFile).size()) {
    connection.ChangeCount = changes.toInt();
    connection.CountedLogSize = static_cast<qint64>(counted.toDouble());
  } else {
    countChanges();
  }
  connection.Identification = entry.value(QStringLiteral("identification")).toString();
  connection.Firmware = entry.value(QStringLiteral("firmware")).toString();
  connection.Note = entry.value(QStringLiteral("note")).toString();
  // Anything but a list of names still marks the restore point incomplete.
  const QJsonValue unread = entry.value(QStringLiteral("unread"));
  if (!unread.isUndefined()) {
    for (const QJsonValue &key : unread.toArray())
      connection.Unread << key.toString();
    if (connection.Unread.isEmpty())
      connection.Unread << QStringLiteral("?");
  }
  const QString restore = entry.value(QStringLiteral("restorePoint")).toString();
  // Only a file of this folder: a hand-edited path must not point elsewhere.
  if (!restore.isEmpty() && restore == QFileInfo(restore).fileName()) {
    connection.RestorePoint = m_folder + QLatin1Char('/') + restore;
    connection.RestorePointSha256 = entry.value(QStringLiteral("restorePointSha256")).toString().toLatin1();
  }
  return true;
}

QList<HistoryConnection> WorkshopHistory::Connections(Count count) const {
  QList<HistoryConnection> connections;
  const QDir folder(m_folder);
  const QStringList entries = FolderFiles::Named(m_folder, QString(), ENTRY_SUFFIX);
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
  if (id.isEmpty() || id != FileNameSafe(id) || !ReadEntry(FilePath(id, ENTRY_SUFFIX), connection))
    return {};
  return connection;
}

bool WorkshopHistory::SetNote(const QString &id, const QString &note) {
  HistoryConnection connection = Connection(id);
  if (connection.Id.isEmpty() || !connection.Damage.isEmpty())
    return false;
  connection.Note = note;
  return WriteEntry(connection);
}

QList<ChangeRecord> WorkshopHistory::Changes(const QString &id, QStringList *skipped) const {
  QList<ChangeRecord> records;
  if (id.isEmpty() || id != FileNameSafe(id))
    return records;
  const QString fileName = FilePath(id, LOG_SUFFIX);
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
  if (!record.Chosen.isEmpty())
    line[QStringLiteral("chosen")] = QJsonArray::fromStringList(record.Chosen);
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
  for (const QJsonValue &key : object.value(QStringLiteral("chosen")).toArray())
    parsed.Chosen << key.toString();
  parsed.Status = object.value(QStringLiteral("status")).toInt();
  bool actionOk = false;
  parsed.Action = object.value(QStringLiteral("action")).toString().toULongLong(&actionOk);
  if (!actionOk)
    return false;
  record = parsed;
  return true;
}
