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
  QString RestorePoint; // absolute path of the .kfg of the unit as found (may be shared with an earlier one)
  QString LogFile;      // absolute path of the JSON Lines change log
  int ChangeCount = 0;  // records in the log
  QString Note;         // typed by the fitter (number plate ...)
};

// The per-user folder of connections: for each one a small JSON file of what
// it was (identification, firmware, restore point, note), a JSON Lines change
// log beside it, and the restore point, an ordinary enciphered .kfg.
//
// Everything read from the folder may be damaged (a crash mid-line, a full
// disk, a hand-edited file): reading skips what it cannot understand and
// never fails as a whole.
class WorkshopHistory {
public:
  // A folder that does not exist yet is created at the first write.
  explicit WorkshopHistory(QString folder = DefaultFolder());
  // The desktop program's QStandardPaths::AppDataLocation + "/history",
  // for ecuctl as well; NOX_HISTORY_DIR overrides.
  static QString DefaultFolder();
  QString Folder() const { return m_folder; }

  // Newest first; damaged entries are skipped. Counting the changes reads
  // every change log, so what needs no count says so.
  enum class Count { Changes, NoChanges };
  QList<HistoryConnection> Connections(Count count = Count::Changes) const;
  // Replaces a connection's note (the file is rewritten atomically).
  bool SetNote(const QString &id, const QString &note);
  // The changes of one connection in log order; every skipped (torn or
  // garbled) line adds a note to *skipped.
  QList<ChangeRecord> Changes(const QString &id, QStringList *skipped = nullptr) const;
  // The entry of one connection; Id empty when there is none.
  HistoryConnection Connection(const QString &id) const;

  // ---- Writing (the journal of the open connection)
  // A new entry: picks a free Id from the time and the identification and
  // fills in the paths. Nothing is written yet.
  HistoryConnection NewConnection(const QDateTime &started, const QString &identification,
                                  const QString &firmware) const;
  // Keeps the unit as found for a connection: shares the previous restore
  // point of the same identification when its text is the same, writes a new
  // file otherwise. Sets connection.RestorePoint; false (with reason) when
  // the file could not be written.
  bool KeepRestorePoint(HistoryConnection &connection, const QByteArray &plainText,
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
  QString EntryFile(const QString &id) const;
  bool ReadEntry(const QString &entryFile, HistoryConnection &connection, Count count = Count::Changes) const;
  bool EnsureFolder(QString *reason) const;

  QString m_folder;
};
