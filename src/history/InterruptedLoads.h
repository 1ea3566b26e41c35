#pragma once
#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QString>

class WorkshopHistory;

// Loads into a unit that began and may not have ended: a crash, a killed
// program, a pulled cable or a lost line in the middle leaves the unit half
// loaded. Before its first write, a load keeps in the history a copy of the
// file it loads and the unit just before it, and notes that it began; once
// it has gone through, it notes its end. A load begun without an end is
// offered at the next connect of a unit with the same identification, to be
// finished or put back, or left as it is.
//
// Each connection's loads are noted in "<id>.loads" beside its change log,
// one JSON line a note; the copies are enciphered .kfg files, checked
// against their digests before anything is loaded from them. When every
// load of a connection has ended (or was left), its notes and copies go:
// the change log keeps what each load changed.
class InterruptedLoads {
public:
  // What wrote the unit: a load of a file, or an undo or redo of the
  // fitter's last action (no file: its copy is the unit the replay leaves).
  enum class Kind { Load, Undo, Redo };
  struct Load {
    Kind What = Kind::Load;
    QString ConnectionId;
    int Number = 0; // the connection's loads count from 1
    QString Identification;
    QDateTime Started; // UTC
    QString File;      // the file as the fitter chose it
    QByteArray FileSha256;
    QString Target; // the history's copy of the file
    QByteArray TargetSha256;
    QString Before; // the unit just before the load
    QByteArray BeforeSha256;
  };

  explicit InterruptedLoads(const WorkshopHistory &history) : m_history(history) {}

  // Notes that a load of `file` (its bytes as read) begins in a connection,
  // with the unit before it as plain configuration text. False, with the
  // reason, when the history cannot keep it.
  bool Begin(const QString &connectionId, const QString &identification, const QString &file,
             const QByteArray &fileBytes, const QByteArray &beforePlain, Load &load,
             QString *reason = nullptr, Kind kind = Kind::Load) const;
  // The load went through.
  bool End(const Load &load, QString *reason = nullptr) const;
  // The fitter chose to leave the unit as the load left it.
  bool Leave(const Load &load, QString *reason = nullptr) const { return Note(load, "left", reason); }

  // The newest load into a unit of this identification that began and
  // neither ended nor was left; Number 0 when there is none.
  Load Unfinished(const QString &identification) const;
  // One of the load's copies, once it matched its digest; false, with the
  // reason, for a missing or damaged copy.
  static bool ReadCopy(const QString &path, const QByteArray &sha256, QByteArray &bytes, QString *reason);

private:
  bool Note(const Load &load, const char *event, QString *reason) const;
  QString NotesFile(const QString &connectionId) const;
  QList<Load> UnfinishedOf(const QString &notesFile) const;

  const WorkshopHistory &m_history;
};
