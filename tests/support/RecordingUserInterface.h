#pragma once
#include "platform/UserInterface.h"

#include <QList>

// Installs itself as the user interface for its lifetime and records every
// message instead of showing it.
class RecordingUserInterface : public UserInterface {
public:
  struct Message {
    QString Text;
    QString Title;
    MessageIcon Icon;
  };

  RecordingUserInterface() { UserInterface::SetCurrent(this); }
  ~RecordingUserInterface() override { UserInterface::SetCurrent(nullptr); }

  void ShowMessage(const QString &text, const QString &title, MessageIcon icon) override {
    Messages.append({text, title, icon});
  }

  QList<Message> Messages;
};
