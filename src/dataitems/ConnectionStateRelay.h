#pragma once
#include "NoxProtocolObject.h"

#include <QObject>
#include <QPointer>

// "The window handle" given to the protocol library. The library may report
// a change of the line from any thread and at any time; the relay queues the
// message to its own (GUI) thread, then hands it to the current target and
// announces it as a signal.
class ConnectionStateRelay : public QObject {
  Q_OBJECT
public:
  explicit ConnectionStateRelay(QObject *owner = nullptr);

  // The handle to pass to SetNotifyWindow; valid while the relay lives.
  const NoxNotifyHandle *Handle() const { return &m_handle; }
  // Also receives the MSG_CONNECTION_STATE event (the main window).
  void SetTarget(QObject *target) { m_target = target; }

  bool event(QEvent *e) override;

Q_SIGNALS:
  void ConnectionStateChanged(bool connected);

private:
  static void Post(void *context, std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam);

  NoxNotifyHandle m_handle;
  QPointer<QObject> m_target;
};
