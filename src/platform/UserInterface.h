#pragma once
#include <QString>

enum class MessageIcon { Error, Warning, Information, Question };

// The only way the core shows something to the user. The desktop program
// installs an implementation with message boxes and the wait window, the
// command-line tool one that writes to the terminal, tests a recorder.
// Without one installed, messages go to the Qt log.
class UserInterface {
public:
  virtual ~UserInterface() = default;

  // A message box with no owner window.
  virtual void ShowMessage(const QString &text, const QString &title, MessageIcon icon) = 0;

  static UserInterface &Current();
  // nullptr puts the logging fallback back. The caller keeps ownership.
  static void SetCurrent(UserInterface *ui);
};
