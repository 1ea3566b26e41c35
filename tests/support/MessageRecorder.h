#pragma once
#include "dataitems/NoxMessageEvent.h"

#include <QObject>
#include <QStringList>
#include <functional>

// An observer that records the messages it receives, in order, as
// "DATA_CHANGED", "DATA_STATE 4", "PACKET_DATA" or the message number.
class MessageRecorder : public QObject {
  Q_OBJECT
public:
  using QObject::QObject;

  QStringList Received;
  QList<std::uintptr_t> WParams;
  std::function<void(const NoxMessageEvent &)> OnMessage;

  bool event(QEvent *e) override;
};
