#pragma once
#include <QObject>
#include <QPointer>
#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

class ProtocolLine;
class TNoxConnection;
class TRefreshThread;

enum TThreadPriority { tpIdle, tpLowest, tpLower, tpNormal, tpHigher, tpHighest, tpTimeCritical };

// Polls the protocol library for live values. A background thread paces the
// cycles; each cycle finds the due requests, reads each once on the
// connection's line thread and hands the bytes to the GUI thread without
// waiting, where every subscriber that was due gets them.
//
// Subscriptions belong to the GUI thread; the fields the pacing thread reads
// to find what is due are guarded by a mutex.
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

  bool event(QEvent *e) override;

  // One refresh cycle run from the GUI thread, delivered before it returns
  // (the thread's cycles deliver later, through the event queue). Public so
  // that due-ness can be checked cycle by cycle.
  void RunCycle();

  // Cycles run so far (whether or not anything was due), for inspection.
  std::uint64_t CycleCount() const { return m_cycleCount.load(); }
  // Subscriptions, for inspection: elements and clients per element.
  int ElementCount() const;
  int ClientCount(std::uint32_t dataCode, int index) const;

private:
  struct REFRESH_CLIENT;
  struct REFRESH_ELEMENT;
  struct Request;
  class DeliveryEvent;
  REFRESH_ELEMENT *FindElement(std::uint32_t dataCode, int index) const;
  REFRESH_CLIENT *FindClient(QObject *target, std::uint32_t dataCode, int index) const;
  // Any thread: the requests with a due client at now, each with those clients.
  std::vector<Request> DueRequests(std::uint32_t now);
  // Any thread but the line thread: reads the requests there. False when
  // nothing was read.
  bool Fetch(std::vector<Request> &requests);
  // GUI thread.
  void DeliverAll(std::vector<Request> &requests, std::uint32_t now);
  void Deliver(Request &request, QObject *target);
  // The pacing thread's cycle.
  void ThreadCycle();

  mutable std::mutex m_mutex; // guards what ThreadCycle reads, see the structs
  std::vector<std::shared_ptr<REFRESH_ELEMENT>> m_elements;
  QPointer<TNoxConnection> m_connection;
  std::shared_ptr<ProtocolLine> m_line; // guarded by m_mutex
  std::atomic<std::uint64_t> m_cycleCount{0};
  // A delivery is queued to the GUI thread: no new read until it has run, so
  // a busy GUI thread never finds a backlog of old values.
  std::atomic<bool> m_deliveryPending{false};
  int m_sleepTime = 20;
  TThreadPriority m_priority = tpNormal;
  std::unique_ptr<TRefreshThread> m_thread;
};
