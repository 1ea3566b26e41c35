#pragma once
#include "platform/UserInterface.h"

#include <QPointer>
#include <QWidget>

// The desktop program's way of showing what the core asks for: message boxes
// with their icon and title, the wait window TFormAttesa, the busy cursor and
// the yes/no question. Installs itself as the current user interface for its
// lifetime.
class DesktopUserInterface : public UserInterface {
public:
  DesktopUserInterface();
  ~DesktopUserInterface() override;
  DesktopUserInterface(const DesktopUserInterface &) = delete;
  DesktopUserInterface &operator=(const DesktopUserInterface &) = delete;

  // The window that owns the wait windows (the main window).
  void SetOwner(QWidget *owner) { m_owner = owner; }

  void ShowMessage(const QString &text, const QString &title, MessageIcon icon) override;
  void BeginWait(const WaitRequest &request) override;
  void SetProgress(std::uint8_t amount, bool absolute) override;
  bool WaitVisible() const override;
  void EndWait() override;
  void SetBusyCursor(bool busy) override;
  bool AskYesNo(const QString &text, const QString &title) override;

private:
  QPointer<QWidget> m_owner;
  int m_busyDepth = 0;
};
