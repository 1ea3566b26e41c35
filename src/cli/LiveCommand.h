#pragma once
#include "cli/CliSession.h"
#include "cli/ItemTable.h"

// Logs the live values: one line per interval with a timestamp, while the
// refresh thread polls the unit in the background.
class LiveCommand {
public:
  explicit LiveCommand(CliSession &session) : m_session(session) {}

  // count 0 runs until the line is lost or the process is stopped.
  int Run(int intervalMs, int count, ItemTable::Format format);

private:
  int OutputFailed();
  CliSession &m_session;
};
