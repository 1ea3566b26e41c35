#include "platform/UserInterface.h"

#include <QDebug>

namespace {
class LoggingUserInterface final : public UserInterface {
public:
  void ShowMessage(const QString &text, const QString &title, MessageIcon icon) override {
    if (icon == MessageIcon::Error || icon == MessageIcon::Warning)
      qWarning().noquote() << title << ":" << text;
    else
      qInfo().noquote() << title << ":" << text;
  }
};

UserInterface *g_current = nullptr;
} // namespace

void UserInterface::ShowStatusWarning(const QString &text) {
  qWarning().noquote() << text;
}

UserInterface &UserInterface::Current() {
  static LoggingUserInterface fallback;
  return g_current ? *g_current : fallback;
}

void UserInterface::SetCurrent(UserInterface *ui) {
  g_current = ui;
}
