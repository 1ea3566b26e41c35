#include "dataitems/ConnectionStateRelay.h"

#include "dataitems/NoxMessageEvent.h"

#include <QCoreApplication>

ConnectionStateRelay::ConnectionStateRelay(QObject *owner) : QObject(owner), m_handle{&Post, this} {}

void ConnectionStateRelay::Post(void *context, std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam) {
  // The number becomes a Qt event type: any other one could pose as one of
  // Qt's own events (43 a meta-call, 52 a deferred delete) or lie outside
  // the enumeration. The line state is the only message we take.
  if (message != MSG_CONNECTION_STATE)
    return;
  // postEvent is safe from any thread; the event is delivered on ours.
  QCoreApplication::postEvent(static_cast<ConnectionStateRelay *>(context),
                              new NoxMessageEvent(message, wParam, lParam));
}

bool ConnectionStateRelay::event(QEvent *e) {
  if (static_cast<std::uint32_t>(e->type()) != MSG_CONNECTION_STATE)
    return QObject::event(e);
  const auto &message = static_cast<const NoxMessageEvent &>(*e);
  if (m_target) {
    NoxMessageEvent copy(message.Message(), message.WParam(), message.LParam());
    QCoreApplication::sendEvent(m_target.data(), &copy);
  }
  Q_EMIT ConnectionStateChanged(message.LParam() != 0);
  return true;
}
