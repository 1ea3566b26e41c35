#pragma once
#include "cli/CliSession.h"
#include "history/ChangeRecord.h"

#include <QList>

// Writes the report for the customer: the unit as read now and the changes
// of this connection.
class ReportCommand {
public:
  explicit ReportCommand(CliSession &session) : m_session(session) {}

  // HTML for .html and .htm, plain text otherwise.
  int Run(const QString &fileName, const QList<ChangeRecord> &changes);

private:
  CliSession &m_session;
};
