#pragma once
#include "cli/CliSession.h"

#include <QString>

// Writes the report for the customer: the unit as read now and the changes
// of this connection, the connect's own corrections included.
class ReportCommand {
public:
  explicit ReportCommand(CliSession &session) : m_session(session) {}

  // HTML for .html and .htm, plain text otherwise. EXIT_NOT_READ, with the
  // fields named, when the report had to mark values "not read".
  int Run(const QString &fileName);

private:
  CliSession &m_session;
};
