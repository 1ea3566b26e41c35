#pragma once
#include "cli/CliSession.h"
#include "cli/ItemTable.h"

// Commands on the unit itself: identify it, list, get and set parameters,
// erase its EEPROM.
class UnitCommands {
public:
  explicit UnitCommands(CliSession &session) : m_session(session) {}

  int Identify();
  int Read(ItemTable::Format format);
  int Get(const QStringList &names);
  // NAME=VALUE pairs, written in order; stops at the first refusal.
  int Set(const QStringList &assignments);
  int EraseEeprom(bool confirmed);

private:
  int ReportItemErrors();
  CliSession &m_session;
};
