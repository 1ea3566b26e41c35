#include "history/InterruptedLoads.h"

#include "ecuconfig/ConfigurationEnvelope.h"
#include "history/FolderFiles.h"
#include "history/WorkshopHistory.h"
#include "platform/SafeFileWriter.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <algorithm>
#include <map>

namespace {
const QLatin1String NOTES_SUFFIX(".loads");
// A notes file is a few lines a load; anything larger is none of ours.
constexpr qint64 MAX_NOTES_SIZE = 4 * 1024 * 1024;

QByteArray Sha256(const QByteArray &bytes) {
  return QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex();
}

QFileDevice::Permissions OwnerOnly() {
#ifdef Q_OS_WIN
  return {}; // the user's own profile folder is private already
#else
  return QFileDevice::ReadOwner | QFileDevice::WriteOwner;
#endif
}

// The whole line or nothing of it, on disk before the load's first write.
bool AppendLine(const QString &fileName, const QJsonObject &object, QString *reason) {
  QFile file(fileName);
  const bool existed = file.exists();
  if (!file.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Unbuffered)) {
    if (reason)
      *reason = QDir::toNativeSeparators(fileName) + QStringLiteral(": ") + file.errorString();
    return false;
  }
  if (!existed)
    file.setPermissions(OwnerOnly());
  const QByteArray line = QJsonDocument(object).toJson(QJsonDocument::Compact) + '\n';
  const qint64 start = file.size();
  if (file.write(line) != line.size()) {
    if (reason)
      *reason = QDir::toNativeSeparators(fileName) + QStringLiteral(": ") + file.errorString();
    file.resize(start);
    return false;
  }
  return true;
}
} // namespace

QString InterruptedLoads::NotesFile(const QString &connectionId) const {
  return m_history.Folder() + QLatin1Char('/') + connectionId + NOTES_SUFFIX;
}

bool InterruptedLoads::Begin(const QString &connectionId, const QString &identification, const QString &file,
                             const QByteArray &fileBytes, const QByteArray &beforePlain, Load &load,
                             QString *reason, Kind kind) const {
  if (connectionId.isEmpty() || connectionId != WorkshopHistory::FileNameSafe(connectionId)) {
    if (reason)
      *reason = QStringLiteral("no connection of the history is open");
    return false;
  }
  load = {};
  load.What = kind;
  load.ConnectionId = connectionId;
  load.Identification = identification;
  load.Started = QDateTime::currentDateTimeUtc();
  load.File = file.isEmpty() ? QString() : QFileInfo(file).absoluteFilePath();
  load.FileSha256 = Sha256(fileBytes);
  // Numbered after every load the connection noted, finished or not.
  int last = 0;
  QFile notes(NotesFile(connectionId));
  if (notes.open(QIODevice::ReadOnly))
    for (const QByteArray &line : notes.read(MAX_NOTES_SIZE).split('\n'))
      last = std::max(last, QJsonDocument::fromJson(line).object().value(QStringLiteral("load")).toInt());
  load.Number = last + 1;
  const QString base = m_history.Folder() + QLatin1Char('/') + connectionId +
                       QStringLiteral("-load%1").arg(load.Number);
  load.Target = base + QStringLiteral(".kfg");
  load.Before = base + QStringLiteral("-before.kfg");
  load.TargetSha256 = Sha256(fileBytes);
  if (!SafeFileWriter::Write(load.Target, fileBytes, reason, OwnerOnly()))
    return false;
  const QByteArray sealed = ConfigurationEnvelope::Seal(beforePlain);
  load.BeforeSha256 = Sha256(sealed);
  if (!SafeFileWriter::Write(load.Before, sealed, reason, OwnerOnly()))
    return false;
  QJsonObject line;
  line[QStringLiteral("event")] = QStringLiteral("begin");
  line[QStringLiteral("load")] = load.Number;
  line[QStringLiteral("time")] = load.Started.toString(Qt::ISODateWithMs);
  line[QStringLiteral("identification")] = identification;
  if (kind != Kind::Load)
    line[QStringLiteral("kind")] = QLatin1String(kind == Kind::Undo ? "undo" : "redo");
  line[QStringLiteral("file")] = load.File;
  line[QStringLiteral("fileSha256")] = QString::fromLatin1(load.FileSha256);
  line[QStringLiteral("target")] = QFileInfo(load.Target).fileName();
  line[QStringLiteral("targetSha256")] = QString::fromLatin1(load.TargetSha256);
  line[QStringLiteral("before")] = QFileInfo(load.Before).fileName();
  line[QStringLiteral("beforeSha256")] = QString::fromLatin1(load.BeforeSha256);
  return AppendLine(NotesFile(connectionId), line, reason);
}

bool InterruptedLoads::End(const Load &load, QString *reason) const { return Note(load, "end", reason); }

bool InterruptedLoads::Note(const Load &load, const char *event, QString *reason) const {
  QJsonObject line;
  line[QStringLiteral("event")] = QLatin1String(event);
  line[QStringLiteral("load")] = load.Number;
  line[QStringLiteral("time")] = QDateTime::currentDateTimeUtc().toString(Qt::ISODateWithMs);
  const QString notes = NotesFile(load.ConnectionId);
  if (!AppendLine(notes, line, reason))
    return false;
  // Once every load of the connection has ended, its notes and copies have
  // served: the change log keeps what each load changed. Only open loads
  // stay, so the look-up at every connect reads next to nothing.
  if (UnfinishedOf(notes).isEmpty()) {
    const QDir folder(m_history.Folder());
    for (const QString &copy :
         FolderFiles::Named(m_history.Folder(), load.ConnectionId + QStringLiteral("-load"), QStringLiteral(".kfg")))
      QFile::remove(folder.absoluteFilePath(copy));
    QFile::remove(notes);
  }
  return true;
}

QList<InterruptedLoads::Load> InterruptedLoads::UnfinishedOf(const QString &notesFile) const {
  QFile notes(notesFile);
  if (!notes.open(QIODevice::ReadOnly))
    return {};
  const QString connectionId = QFileInfo(notesFile).completeBaseName();
  std::map<int, Load> begun;
  // A torn last line (a crash while it was written) is no note.
  for (const QByteArray &text : notes.read(MAX_NOTES_SIZE).split('\n')) {
    const QJsonObject line = QJsonDocument::fromJson(text).object();
    const QString event = line.value(QStringLiteral("event")).toString();
    const int number = line.value(QStringLiteral("load")).toInt();
    if (number <= 0)
      continue;
    if (event != QLatin1String("begin")) {
      begun.erase(number);
      continue;
    }
    Load load;
    load.ConnectionId = connectionId;
    load.Number = number;
    load.Started = QDateTime::fromString(line.value(QStringLiteral("time")).toString(), Qt::ISODateWithMs);
    load.Identification = line.value(QStringLiteral("identification")).toString();
    load.File = line.value(QStringLiteral("file")).toString();
    const QString kind = line.value(QStringLiteral("kind")).toString();
    load.What = kind == QLatin1String("undo")   ? Kind::Undo
                : kind == QLatin1String("redo") ? Kind::Redo
                                                : Kind::Load;
    load.FileSha256 = line.value(QStringLiteral("fileSha256")).toString().toLatin1();
    const QString folder = QFileInfo(notesFile).absolutePath() + QLatin1Char('/');
    // Only a plain file name: a note never points out of the history.
    load.Target = folder + QFileInfo(line.value(QStringLiteral("target")).toString()).fileName();
    load.TargetSha256 = line.value(QStringLiteral("targetSha256")).toString().toLatin1();
    load.Before = folder + QFileInfo(line.value(QStringLiteral("before")).toString()).fileName();
    load.BeforeSha256 = line.value(QStringLiteral("beforeSha256")).toString().toLatin1();
    begun[number] = load;
  }
  QList<Load> loads;
  for (const auto &entry : begun)
    loads.append(entry.second);
  return loads;
}

InterruptedLoads::Load InterruptedLoads::Unfinished(const QString &identification) const {
  const QDir folder(m_history.Folder());
  Load newest;
  for (const QString &name : FolderFiles::Named(m_history.Folder(), QString(), NOTES_SUFFIX)) {
    for (const Load &load : UnfinishedOf(folder.absoluteFilePath(name)))
      if (load.Identification == identification &&
          (newest.Number == 0 || load.Started > newest.Started))
        newest = load;
  }
  return newest;
}

bool InterruptedLoads::ReadCopy(const QString &path, const QByteArray &sha256, QByteArray &bytes, QString *reason) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) {
    if (reason)
      *reason = QDir::toNativeSeparators(path) + QStringLiteral(": ") + file.errorString();
    return false;
  }
  bytes = file.readAll();
  if (Sha256(bytes) != sha256) {
    if (reason)
      *reason = QDir::toNativeSeparators(path) + QStringLiteral(": damaged (its digest does not match)");
    return false;
  }
  return true;
}
