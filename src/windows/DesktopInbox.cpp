#include "windows/DesktopInbox.h"

#include "platform/SafeFileWriter.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QStandardPaths>

namespace {
const QString kSuffix = QStringLiteral(".open");
constexpr qint64 MAX_REQUEST_SIZE = 64 * 1024;
} // namespace

DesktopInbox::DesktopInbox(const QString &folder, QObject *parent) : QObject(parent), m_folder(folder) {
  connect(&m_watcher, &QFileSystemWatcher::directoryChanged, this, &DesktopInbox::Collect);
}

DesktopInbox::~DesktopInbox() = default;

QString DesktopInbox::DefaultFolder() {
  return QStandardPaths::writableLocation(QStandardPaths::AppLocalDataLocation) + QStringLiteral("/desktop-inbox");
}

bool DesktopInbox::Claim() {
  if (!QDir().mkpath(m_folder))
    return false;
  auto lock = std::make_unique<QLockFile>(m_folder + QStringLiteral("/owner.lock"));
  // Held for the whole run: never stale by age; a program that died leaves a
  // lock that the next one takes over.
  lock->setStaleLockTime(0);
  if (!lock->tryLock(200))
    return false;
  m_lock = std::move(lock);
  m_watcher.addPath(m_folder);
  // What was handed over while nobody held the inbox.
  Collect();
  return true;
}

bool DesktopInbox::HandOver(const QString &file) const {
  const QString name = QStringLiteral("%1-%2")
                           .arg(QCoreApplication::applicationPid())
                           .arg(QDateTime::currentMSecsSinceEpoch());
  // Written whole under another name first: the holder never reads half a name.
  return SafeFileWriter::Write(m_folder + QLatin1Char('/') + name + kSuffix,
                               QFileInfo(file).absoluteFilePath().toUtf8(), nullptr);
}

void DesktopInbox::Collect() {
  const QDir folder(m_folder);
  for (const QString &entry : folder.entryList({QLatin1Char('*') + kSuffix}, QDir::Files, QDir::Time | QDir::Reversed)) {
    QFile request(folder.filePath(entry));
    if (!request.open(QIODevice::ReadOnly))
      continue;
    const QString file = QString::fromUtf8(request.read(MAX_REQUEST_SIZE)).trimmed();
    request.close();
    request.remove();
    if (!file.isEmpty())
      Q_EMIT FileArrived(file);
  }
}
