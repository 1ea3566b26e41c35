#pragma once
#include "platform/UserInterface.h"

#include <QPointer>
#include <QWidget>
#include <memory>
#include <vector>

class TFormAttesa;

// The desktop program's way of showing what the core asks for: message boxes
// with their icon and title, the wait window TFormAttesa, the busy cursor and
// the yes/no question. Installs itself as the current user interface for its
// lifetime.
//
// While a wait window shows or the program is busy, the windows that were
// open when it began take no input: keys, clicks, the wheel, shortcuts and
// the window manager's close are dropped, not kept for later. Posted
// messages, timers and the refresh hand-over still run. Afterwards the window
// that had the focus, and its field, get it back.
class DesktopUserInterface : public UserInterface {
public:
  DesktopUserInterface();
  ~DesktopUserInterface() override;
  DesktopUserInterface(const DesktopUserInterface &) = delete;
  DesktopUserInterface &operator=(const DesktopUserInterface &) = delete;

  // The window that owns the wait windows of operations that name no owner
  // (the main window).
  void SetOwner(QWidget *owner) { m_owner = owner; }

  void ShowMessage(const QString &text, const QString &title, MessageIcon icon) override;
  void BeginWait(const WaitRequest &request) override;
  void SetProgress(std::uint8_t amount, bool absolute) override;
  bool WaitVisible() const override;
  void EndWait() override;
  void SetBusyCursor(bool busy) override;
  bool AskYesNo(const QString &text, const QString &title) override;
  int AskChoice(const QString &text, const QString &title, const QStringList &choices) override;
  // In the owner's status bar, when the owner has one (its invokable
  // ShowStatusWarning); in the Qt log otherwise.
  void ShowStatusWarning(const QString &text) override;
  void ShowTranslatedStatusWarning(const std::function<QString()> &words) override;

  // Whether the other windows ignore input now.
  bool InputBlocked() const { return m_block != nullptr; }

private:
  class InputBlock;
  // An operation begun inside another one: its texts, and the outer
  // operation's progress to put back when it ends.
  struct Level {
    WaitRequest Request;
    std::uint8_t OuterPosition = 0;
  };

  void ShowTexts(const WaitRequest &request);
  void UpdateInputBlock();
  void ReturnFocus();

  QPointer<QWidget> m_owner;
  QPointer<TFormAttesa> m_window;
  std::vector<Level> m_levels;
  int m_busyDepth = 0;
  std::unique_ptr<InputBlock> m_block;
  QPointer<QWidget> m_returnWindow;
  QPointer<QWidget> m_returnFocus;
};
