#pragma once
#include <QEvent>
#include <cstdint>

// A window message in Qt clothes: the event type is the message number, the
// two parameters travel with it. Data items send it synchronously to their
// observers; the protocol library's connection-state message is posted.
class NoxMessageEvent : public QEvent {
public:
  NoxMessageEvent(std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam)
      : QEvent(static_cast<QEvent::Type>(message)), m_wParam(wParam), m_lParam(lParam) {}

  std::uint32_t Message() const { return static_cast<std::uint32_t>(type()); }
  std::uintptr_t WParam() const { return m_wParam; }
  std::intptr_t LParam() const { return m_lParam; }

private:
  std::uintptr_t m_wParam;
  std::intptr_t m_lParam;
};
