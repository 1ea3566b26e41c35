#pragma once
#include <QFileSystemWatcher>
#include <QObject>
#include <QString>
#include <memory>

class QLockFile;

// One program per user takes the files opened from the desktop: the first
// to claim the inbox holds its lock for as long as it runs; a later start
// with a file drops the file's name into the inbox and leaves, so that two
// programs never fight for the line. Files and a lock in a folder, no
// sockets, so that it works the same wherever Qt Core does.
class DesktopInbox : public QObject {
  Q_OBJECT
public:
  explicit DesktopInbox(const QString &folder, QObject *parent = nullptr);
  ~DesktopInbox() override;

  // The per-user inbox folder.
  static QString DefaultFolder();

  // True when this program now takes the inbox's files; false when another
  // running program does (hand the file over to it).
  bool Claim();
  // Leaves the file's absolute name for the program that holds the inbox.
  bool HandOver(const QString &file) const;

Q_SIGNALS:
  void FileArrived(const QString &file);

private:
  void Collect();

  QString m_folder;
  std::unique_ptr<QLockFile> m_lock;
  QFileSystemWatcher m_watcher;
};
