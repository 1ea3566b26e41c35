#include "cli/UnitCommands.h"

#include "dataitems/NumberConversion.h"
#include "dataitems/TDataRefresher.h"
#include "dataitems/TNoxNumber.h"
#include "ecuconfig/TSerialDataModule.h"
#include "platform/Clock.h"
#include "platform/UserInterface.h"

namespace {
void Error(const QString &text) {
  UserInterface::Current().ShowMessage(text, QString(), MessageIcon::Error);
}
} // namespace

int UnitCommands::ReportItemErrors() {
  const QStringList errors = m_session.TakeItemErrors();
  for (const QString &error : errors)
    UserInterface::Current().ShowMessage(error, QStringLiteral("Unit"), MessageIcon::Warning);
  return EXIT_OK;
}

int UnitCommands::Identify() {
  if (const int code = m_session.Connect())
    return code;
  TSerialDataModule &module = m_session.Module();
  const auto &bytes = module.Identification.Bytes;
  QStringList hex;
  for (std::uint8_t byte : bytes)
    hex << QString::number(byte);
  const bool bootloader = bytes[1] == 3;
  QTextStream &out = m_session.Out();
  out << "identification: " << hex.join(QLatin1Char(' ')) << '\n'
      << "unit kind: " << bytes[0] << '\n'
      << "mode: " << (bootloader ? "boot loader" : "normal") << '\n'
      << "family: " << (bootloader ? bytes[4] : bytes[1]) << '\n'
      << "variant: " << (bootloader ? bytes[5] : bytes[2]) << '\n'
      << "yellow-wire cut-off: " << (module.YellowWireSupported() ? "supported" : "not supported") << '\n';
  if (!module.FirmwareStatusText().isEmpty())
    out << module.FirmwareStatusText() << '\n';
  out.flush();
  return EXIT_OK;
}

int UnitCommands::Read(ItemTable::Format format) {
  if (const int code = m_session.Connect())
    return code;
  ItemTable table(ItemTable::ItemColumns());
  for (TNoxSerialData *item : m_session.Module().DataItems())
    table.AddRow(ItemTable::ItemRow(*item));
  table.Print(m_session.Out(), format);
  ReportItemErrors();
  return m_session.CheckStillConnected();
}

int UnitCommands::Get(const QStringList &names) {
  for (const QString &name : names) {
    if (!m_session.FindItem(name)) {
      Error(QStringLiteral("no parameter or live value is called \"%1\"").arg(name));
      return EXIT_USAGE;
    }
  }
  if (const int code = m_session.Connect())
    return code;
  for (const QString &name : names) {
    TNoxSerialData *item = m_session.FindItem(name);
    m_session.Out() << item->objectName() << '=' << ItemTable::Number(item->GetValue()) << '\n';
  }
  m_session.Out().flush();
  ReportItemErrors();
  return m_session.CheckStillConnected();
}

int UnitCommands::Set(const QStringList &assignments) {
  struct Assignment {
    TNoxNumber *item;
    double value;
  };
  QList<Assignment> parsed;
  for (const QString &assignment : assignments) {
    const qsizetype equals = assignment.indexOf(QLatin1Char('='));
    const QString name = assignment.left(equals).trimmed();
    auto *item = qobject_cast<TNoxNumber *>(m_session.FindItem(name));
    double value = 0;
    if (equals <= 0 || !item) {
      Error(QStringLiteral("\"%1\" is not NAME=VALUE with the name of a parameter").arg(assignment));
      return EXIT_USAGE;
    }
    if (!NumberConversion::TryParseFloat(assignment.mid(equals + 1), value)) {
      Error(QStringLiteral("\"%1\" is not a number").arg(assignment.mid(equals + 1)));
      return EXIT_USAGE;
    }
    parsed.append({item, value});
  }
  if (const int code = m_session.Connect())
    return code;
  for (const Assignment &assignment : parsed) {
    const bool written = assignment.item->SetValue(assignment.value);
    assignment.item->Reload();
    m_session.Out() << assignment.item->objectName() << '=' << ItemTable::Number(assignment.item->GetValue())
                    << '\n';
    m_session.Out().flush();
    ReportItemErrors();
    if (!written) {
      Error(QStringLiteral("%1: the value %2 was refused")
                .arg(assignment.item->objectName(), ItemTable::Number(assignment.value)));
      return EXIT_VALUE_REFUSED;
    }
  }
  return m_session.CheckStillConnected();
}

int UnitCommands::EraseEeprom(bool confirmed) {
  if (!confirmed) {
    Error(QStringLiteral("erasing the EEPROM restores the factory configuration; add --yes to do it"));
    return EXIT_USAGE;
  }
  if (const int code = m_session.Connect())
    return code;
  TSerialDataModule &module = m_session.Module();
  if (!module.SuspendRefresher())
    return EXIT_BUSY;
  UserInterface &ui = UserInterface::Current();
  ui.SetBusyCursor(true);
  const bool written = module.SendEraseCommand();
  Clock::Current().Sleep(1000);
  ui.BeginWait(module.WaitRequestFor(19, 20));
  module.ReloadAllItems();
  ui.EndWait();
  ui.SetBusyCursor(false);
  ReportItemErrors();
  if (!written)
    return EXIT_VALUE_REFUSED;
  m_session.Out() << "EEPROM erased; the unit holds its factory configuration\n";
  m_session.Out().flush();
  return m_session.CheckStillConnected();
}
