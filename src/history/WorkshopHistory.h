#pragma once
#include "history/ChangeRecord.h"

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>

// One connection to a unit as the workshop history keeps it: who it was, the
// unit as found and what was changed.
struct HistoryConnection {
  QString Id;             // stable key: the log file's base name, "20261209-054212-1-36-26"
  QDateTime Started;      // UTC
  QString Identification; // the unit's identification (IdentificationText)
  QString Firmware;       // the firmware status text
  // Absolute path of the .kfg of the unit as found (may be shared with an
  // earlier one). Read it through WorkshopHistory::ReadRestorePoint or
  // CheckedRestorePoint: they check it against its digest.
  QString RestorePoint;
  QByteArray RestorePointSha256; // hex, of the file as written; empty for entries written before (unchecked)
  QString LogFile;               // absolute path of the JSON Lines change log
  int ChangeCount = 0;           // records in the log that changed or tried to change the unit
  // The log's size when ChangeCount was last written into the description:
  // while the log still has that size, the listing need not read it. -1:
  // no count kept (a connection still open, or killed).
  qint64 CountedLogSize = -1;
  QString Note;                  // typed by the fitter (number plate ...)
  // The file keys the connect could not read: the restore point leaves them
  // out, and an entry with any is incomplete and never loaded or exported.
  QStringList Unread;
  // Why the description file could not be read; empty when it could. Such a
  // connection is still listed: its Id and time come from the file name, its
  // log and restore point (unchecked) from the files named after it.
  QString Damage;
};

// The per-user folder of connections: for each one a small JSON file of what
// it was (identification, firmware, restore point, note), a JSON Lines change
// log beside it, and the restore point, an ordinary enciphered .kfg.
//
// Everything read from the folder may be damaged (a crash mid-line, a full
// disk, a hand-edited file, a flipped bit): reading skips what it cannot
// understand, says so, and never fails as a whole; a restore point is checked
// against its digest before anything is loaded from it or compared with it.
//
// Several processes may write one folder at once (two ecuctl, the desktop
// program): every connection claims its own entry by an exclusive create.
// The folder and its files are for their owner alone: they hold customers'
// configurations and number plates.
class WorkshopHistory {
public:
  // A folder that does not exist yet is created at the first write.
  explicit WorkshopHistory(QString folder = DefaultFolder());
  // The desktop program's QStandardPaths::AppDataLocation + "/history",
  // for ecuctl as well; NOX_HISTORY_DIR overrides.
  static QString DefaultFolder();
  QString Folder() const { return m_folder; }

  // Newest first; an entry whose description is damaged says so in Damage.
  // Counting the changes reads every change log, so what needs no count
  // says so.
  enum class Count { Changes, NoChanges };
  QList<HistoryConnection> Connections(Count count = Count::Changes) const;
  // Replaces a connection's note (the file is rewritten atomically). A
  // damaged description is left for a person to look at: false.
  bool SetNote(const QString &id, const QString &note);
  // The changes of one connection in log order; every skipped (torn or
  // garbled) line adds a note to *skipped.
  QList<ChangeRecord> Changes(const QString &id, QStringList *skipped = nullptr) const;
  // The entry of one connection; Id empty when there is none.
  HistoryConnection Connection(const QString &id) const;
  // The bytes of a connection's restore point, checked against the digest
  // its entry keeps. False, with the reason, for a missing, unreadable or
  // damaged file, or an incomplete one (Unread): nothing may be loaded from it.
  bool ReadRestorePoint(const HistoryConnection &connection, QByteArray &file,
                        QString *reason = nullptr) const;
  // The restore point's path once its file passed that check (for a load
  // that reads the file itself); empty, with the reason, otherwise.
  QString CheckedRestorePoint(const HistoryConnection &connection, QString *reason = nullptr) const;

  // ---- Writing (the journal of the open connection)
  // Starts the entry of a connection whose Started, Identification and
  // Firmware are filled in, whole or not at all: claims a free Id from the
  // time and the identification by creating its empty change log exclusively
  // (two connections in one second, of one process or of two, get two
  // entries), keeps the unit as found and writes the description. The unit
  // as found shares the previous restore point of the same identification
  // when its text is the same. False, with the system's reason, when any of
  // it fails; what it had made is removed again and the paths stay empty.
  bool NewConnection(HistoryConnection &connection, const QByteArray &plainText,
                     QString *reason = nullptr) const;
  // Writes the entry's description file atomically.
  bool WriteEntry(const HistoryConnection &connection, QString *reason = nullptr) const;

  // ---- The log line format
  static QByteArray RecordLine(const ChangeRecord &record);
  // False for a line that is no record (torn, garbled).
  static bool ParseRecordLine(const QByteArray &line, ChangeRecord &record);
  static QString OriginName(ChangeRecord::Origin origin);
  static QString OutcomeName(ItemWrite::Result outcome);

  // Makes text usable in a file name on every system.
  static QString FileNameSafe(const QString &text);

private:
  QString FilePath(const QString &id, QLatin1String suffix) const;
  // False when there is no such file; a damaged one is read as far as its name goes.
  bool ReadEntry(const QString &entryFile, HistoryConnection &connection, Count count = Count::Changes) const;
  bool EnsureFolder(QString *reason) const;
  bool ClaimId(HistoryConnection &connection, QString *reason) const;
  bool KeepRestorePoint(HistoryConnection &connection, const QByteArray &plainText, QString *reason) const;

  QString m_folder;
};
