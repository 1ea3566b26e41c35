#pragma once
#include <QString>

class CliSession;

// ecuctl recover finish|undo|leave: what to do about a load into the unit
// that was cut short (the program killed, the line lost): finish it, put the
// unit back as it was before it, or leave the unit as it is.
class RecoverCommand {
public:
  explicit RecoverCommand(CliSession &session) : m_session(session) {}
  int Run(const QString &choice);

private:
  CliSession &m_session;
};
