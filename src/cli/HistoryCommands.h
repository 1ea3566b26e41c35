#pragma once
#include "cli/ItemTable.h"

class CliSession;

// ecuctl history: the connections of the workshop history, newest first
// (number 1), and the changes of one of them. Neither connects.
class HistoryCommands {
public:
  explicit HistoryCommands(CliSession &session) : m_session(session) {}

  int List(ItemTable::Format format);
  // number: as List shows it, 1 the newest.
  int Show(const QString &number, ItemTable::Format format);

private:
  CliSession &m_session;
};
