#pragma once
#include "history/WorkshopHistory.h"

#include <QFile>
#include <QHash>
#include <QObject>
#include <functional>

class TNoxSerialData;
class TSerialDataModule;
struct ItemWrite;
struct NoxIdentification;

// The workshop history of the connection that is open: when the module has
// read a unit, the unit as found becomes a restore point and every write the
// items make goes into the connection's change log, line by line.
//
// The history never stands in the fitter's way: a folder that cannot be
// written loses the record, not the edit, and the fitter is warned once per
// connection (UserInterface::ShowStatusWarning). The records of the
// connection stay in memory all the same, for the report.
class ConnectionJournal : public QObject {
  Q_OBJECT
public:
  ConnectionJournal(TSerialDataModule &module, WorkshopHistory &history, QObject *parent = nullptr);
  ~ConnectionJournal() override;

  WorkshopHistory &History() { return m_history; }
  bool IsOpen() const { return m_open; }
  // The open connection's entry; after it closed, the last one's, until the
  // next connection opens.
  HistoryConnection Current() const { return m_current; }
  // This connection's records so far.
  QList<ChangeRecord> Changes() const { return m_changes; }
  // The fitter's visit, what the report prints: the records of every
  // connection to this unit (the same identification) since the program
  // started, so that a lost line and a new connect lose none of them.
  QList<ChangeRecord> VisitChanges() const { return m_visitChanges; }
  // The notes typed for the visit's connections, each once, oldest first.
  QString VisitNote() const;
  // Rewrites the open connection's note.
  bool SetNote(const QString &note);

  // A configuration text without the values the connect could not read: a
  // default in their place would pass for the unit's own. Their keys are
  // added to unread.
  static QByteArray WithoutUnread(TSerialDataModule &module, const QByteArray &text, QStringList &unread);
  // The identification as the history names it: "kind-family-variant".
  static QString IdentificationText(const NoxIdentification &record);
  // The clock of the records and of new entries (tests).
  void SetClock(std::function<QDateTime()> clock) { m_clock = std::move(clock); }

Q_SIGNALS:
  void Opened();
  void RecordAdded(const ChangeRecord &record);
  void Closed();

private:
  void Open();
  void Close();
  void Record(const ItemWrite &write);
  ChangeRecord::Origin OriginOf(const ItemWrite &write, QString &detail) const;
  // The old raw value as it meant in the unit before the write: a speed byte
  // through the coefficient it was written or found under, not the one an
  // ignition-type change of this action has switched to meanwhile.
  double OldValueOf(const ItemWrite &write);
  // Says once per connection that the history cannot be written.
  void Warn(const QString &reason);

  TSerialDataModule &m_module;
  WorkshopHistory &m_history;
  std::function<QDateTime()> m_clock;
  HistoryConnection m_current;
  QList<ChangeRecord> m_changes;
  QString m_visitUnit;
  QList<ChangeRecord> m_visitChanges;
  QStringList m_visitNotes; // one per connection of the visit, the open one last
  QFile m_log;
  int m_loggedChanges = 0; // lines of the log that changed or tried to change the unit
  bool m_open = false;
  bool m_warned = false;
  int m_tapKey = -1;
  // The user action of the last record, the speed coefficient in force when
  // it began, and the coefficient of each speed byte it wrote.
  std::uint64_t m_action = 0;
  bool m_actionSeen = false;
  double m_actionCoefficient = 0;
  QHash<const TNoxSerialData *, double> m_writtenUnder;
};
