#pragma once
#include <QString>
#include <QStringList>
#include <cstdint>
#include <functional>

class QObject;

enum class MessageIcon { Error, Warning, Information, Question };

// What a long operation shows in its wait window. The core fills in the
// translated texts so that no implementation needs the translator.
struct WaitRequest {
  int CaptionTextId = 0;
  int LabelTextId = 0;
  QString Caption;
  QString Label;
  QString CompletedText; // the word after the percentage, "completed"
  // The window that started the operation, which owns the wait window and
  // gets the focus back afterwards; null for the program's main window.
  QObject *Owner = nullptr;
};

// The only way the core shows something to the user. The desktop program
// installs an implementation with message boxes and the wait window, the
// command-line tool one that writes to the terminal, tests a recorder.
// Without one installed, messages go to the Qt log and nothing else shows.
class UserInterface {
public:
  virtual ~UserInterface() = default;

  // A message box with no owner window.
  virtual void ShowMessage(const QString &text, const QString &title, MessageIcon icon) = 0;

  // The wait window of a long operation: begin shows it with progress 0,
  // progress moves it (absolute, or relative modulo 256) and lets pending
  // events run, end removes it on every path. An operation may begin inside
  // another one (from an event that a progress step let run): the desktop
  // program then keeps the outer window, and only the outermost end removes
  // it; while it shows, the program's other windows take no input.
  virtual void BeginWait(const WaitRequest &request) { (void)request; }
  virtual void SetProgress(std::uint8_t amount, bool absolute) {
    (void)amount;
    (void)absolute;
  }
  virtual bool WaitVisible() const { return false; }
  virtual void EndWait() {}

  // The application-start cursor (arrow with hourglass) while busy; calls
  // nest. The busy desktop program takes no input either, except in the
  // windows (message boxes) it opens meanwhile.
  virtual void SetBusyCursor(bool busy) { (void)busy; }

  // A yes/no question with No as the default answer. Without a way to ask,
  // the answer is No, so nothing irreversible happens unasked.
  virtual bool AskYesNo(const QString &text, const QString &title) {
    (void)text;
    (void)title;
    return false;
  }

  // A question with a few answers (`choices`, "&" before the accelerator
  // letter); the index of the one chosen, or -1 when the question was put
  // away (Esc) or cannot be asked: then nothing is done.
  virtual int AskChoice(const QString &text, const QString &title, const QStringList &choices) {
    (void)text;
    (void)title;
    (void)choices;
    return -1;
  }

  // A warning that must not interrupt the fitter's work (no box to
  // dismiss): the desktop program's status bar, a line on the terminal.
  virtual void ShowStatusWarning(const QString &text);
  // The same for a warning that may still show after a language switch:
  // `words` gives it in the language of the moment, each time it is asked.
  virtual void ShowTranslatedStatusWarning(const std::function<QString()> &words) {
    ShowStatusWarning(words());
  }

  static UserInterface &Current();
  // nullptr puts the logging fallback back. The caller keeps ownership.
  static void SetCurrent(UserInterface *ui);
};
