#include "cli/TerminalUserInterface.h"

#include "platform/Terminal.h"

TerminalUserInterface::TerminalUserInterface(std::FILE *stream)
    : m_stream(stream), m_drawBar(Terminal::IsTerminal(stream)) {
  UserInterface::SetCurrent(this);
}

TerminalUserInterface::~TerminalUserInterface() {
  ClearBar();
  UserInterface::SetCurrent(nullptr);
}

void TerminalUserInterface::ShowMessage(const QString &text, const QString &title, MessageIcon icon) {
  ClearBar();
  const QString prefix = icon == MessageIcon::Error     ? QStringLiteral("error")
                         : icon == MessageIcon::Warning ? QStringLiteral("warning")
                                                        : QStringLiteral("note");
  // Multi-line texts (lists of keys) stay readable as indented lines.
  QString body = text.trimmed();
  body.replace(QLatin1Char('\n'), QStringLiteral("\n  "));
  const QString line = title.isEmpty() ? body : title + QStringLiteral(": ") + body;
  m_messages << line;
  std::fprintf(m_stream, "%s: %s\n", qPrintable(prefix), line.toLocal8Bit().constData());
  std::fflush(m_stream);
  if (m_waiting)
    DrawBar();
}

void TerminalUserInterface::BeginWait(const WaitRequest &request) {
  m_request = request;
  m_progress.Apply(0, true);
  m_waiting = true;
  DrawBar();
}

void TerminalUserInterface::SetProgress(std::uint8_t amount, bool absolute) {
  m_progress.Apply(amount, absolute);
  if (m_waiting)
    DrawBar();
}

void TerminalUserInterface::EndWait() {
  ClearBar();
  m_waiting = false;
}

void TerminalUserInterface::DrawBar() {
  if (!m_drawBar)
    return;
  constexpr int width = 30;
  const int filled = std::min<int>(m_progress.Position(), 100) * width / 100;
  const QString bar = QString(filled, QLatin1Char('#')) + QString(width - filled, QLatin1Char('.'));
  const QString label = m_request.Label.isEmpty() ? m_request.Caption : m_request.Label;
  std::fprintf(m_stream, "\r\033[K%s [%s] %s", label.toLocal8Bit().constData(), qPrintable(bar),
               m_progress.Line(m_request.CompletedText).toLocal8Bit().constData());
  std::fflush(m_stream);
  m_barDrawn = true;
}

void TerminalUserInterface::ClearBar() {
  if (!m_barDrawn)
    return;
  std::fprintf(m_stream, "\r\033[K");
  std::fflush(m_stream);
  m_barDrawn = false;
}

void TerminalUserInterface::ShowStatusWarning(const QString &text) {
  ClearBar();
  m_messages << text;
  std::fprintf(m_stream, "warning: %s\n", text.toLocal8Bit().constData());
  std::fflush(m_stream);
  if (m_waiting)
    DrawBar();
}
