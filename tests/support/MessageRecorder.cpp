#include "support/MessageRecorder.h"

#include "NoxProtocolObject.h"

bool MessageRecorder::event(QEvent *e) {
  const auto type = static_cast<std::uint32_t>(e->type());
  if (type < 0x8000 || type > 0x8FFF)
    return QObject::event(e);
  const auto &message = static_cast<const NoxMessageEvent &>(*e);
  switch (type) {
  case MSG_DATA_CHANGED:
    Received << QStringLiteral("DATA_CHANGED");
    break;
  case MSG_DATA_STATE:
    Received << QStringLiteral("DATA_STATE %1").arg(message.LParam());
    break;
  case MSG_PACKET_DATA:
    Received << QStringLiteral("PACKET_DATA");
    break;
  default:
    Received << QString::number(type, 16);
  }
  WParams << message.WParam();
  if (OnMessage)
    OnMessage(message);
  return true;
}
