#pragma once
#include "platform/UserInterface.h"
#include "platform/WaitProgress.h"

#include <QStringList>
#include <cstdio>

// The user interface of the command-line tool: messages go to standard error
// with their title, the wait window becomes a progress bar on standard error
// when that is a terminal (scripts and logs get no bar).
class TerminalUserInterface : public UserInterface {
public:
  explicit TerminalUserInterface(std::FILE *stream = stderr);
  ~TerminalUserInterface() override;

  void ShowMessage(const QString &text, const QString &title, MessageIcon icon) override;
  void BeginWait(const WaitRequest &request) override;
  void SetProgress(std::uint8_t amount, bool absolute) override;
  bool WaitVisible() const override { return m_waiting; }
  void EndWait() override;
  // One line on the stream, "warning: TEXT".
  void ShowStatusWarning(const QString &text) override;

  bool ShowsProgressBar() const { return m_drawBar; }
  // Every message shown so far, "title: text".
  const QStringList &Messages() const { return m_messages; }

private:
  void DrawBar();
  void ClearBar();

  std::FILE *m_stream;
  bool m_drawBar;
  bool m_waiting = false;
  bool m_barDrawn = false;
  WaitRequest m_request;
  WaitProgress m_progress;
  QStringList m_messages;
};
