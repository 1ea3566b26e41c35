#pragma once
#include <QObject>
#include <QPointer>
#include <cstdint>
#include <memory>
#include <vector>

class TNoxConnection;
class TRefreshThread;

enum TThreadPriority { tpIdle, tpLowest, tpLower, tpNormal, tpHigher, tpHighest, tpTimeCritical };

// Polls the protocol library for live values. A background thread paces the
// cycles; every cycle runs on the GUI thread, fetches each due request once
// and hands the result to every subscriber that is due.
class TDataRefresher : public QObject {
  Q_OBJECT
public:
  explicit TDataRefresher(QObject *owner = nullptr);
  ~TDataRefresher() override;

  // Subscribes target (a data item gets ReceiveData, any other object the
  // MSG_PACKET_DATA message) or updates its interval; false for an interval below 1.
  bool RegisterItem(QObject *target, int interval, std::uint32_t dataCode, int index);
  void UnregisterItem(QObject *target, std::uint32_t dataCode, int index);
  void EnableItem(QObject *target, std::uint32_t dataCode, int index);
  void DisableItem(QObject *target, std::uint32_t dataCode, int index);

  void SetRunning(bool value);
  // Lets pending GUI events run first, so that a cycle the thread is waiting
  // for can finish, then tells whether the thread is not suspended.
  bool IsRunning();

  TNoxConnection *Connection() const;
  void SetConnection(TNoxConnection *connection);
  int SleepTime() const { return m_sleepTime; }
  void SetSleepTime(int value);
  TThreadPriority Priority() const { return m_priority; }
  void SetPriority(TThreadPriority value);

  // One refresh cycle; the thread asks for it on the GUI thread. Public so
  // that due-ness can be checked cycle by cycle.
  void RunCycle();

  // Cycles run so far (whether or not anything was due), for inspection.
  std::uint64_t CycleCount() const { return m_cycleCount; }
  // Subscriptions, for inspection: elements and clients per element.
  int ElementCount() const;
  int ClientCount(std::uint32_t dataCode, int index) const;

private:
  struct REFRESH_CLIENT;
  struct REFRESH_ELEMENT;
  REFRESH_ELEMENT *FindElement(std::uint32_t dataCode, int index) const;
  REFRESH_CLIENT *FindClient(QObject *target, std::uint32_t dataCode, int index) const;
  bool Fetch(REFRESH_ELEMENT &element);
  void Deliver(REFRESH_ELEMENT &element, QObject *target);

  std::vector<std::shared_ptr<REFRESH_ELEMENT>> m_elements;
  QPointer<TNoxConnection> m_connection;
  std::uint64_t m_cycleCount = 0;
  int m_sleepTime = 20;
  TThreadPriority m_priority = tpNormal;
  std::unique_ptr<TRefreshThread> m_thread;
};
