// ecuctl: drives a gas-conversion control unit from a terminal or a script,
// with the same core as the desktop program.
#include "cli/CliSession.h"
#include "cli/FileCommands.h"
#include "cli/LiveCommand.h"
#include "cli/TerminalUserInterface.h"
#include "cli/UnitCommands.h"
#include "dataitems/TNoxConnection.h"
#include "ecuconfig/TSerialDataModule.h"
#include "translator/TTranslator.h"

#include <QCoreApplication>
#include <QTextStream>
#include <cstdio>

namespace {

const char *const HELP = R"(Usage: ecuctl [--library NAME] [--language N] COMMAND [ARGUMENTS]

Drives an LPG/CNG gas-conversion control unit through its protocol library.
Without --library the simulated unit beside this program is used.

Commands:
  identify                      connect and show the unit's identification
  read [--format F]             every parameter and live value: name, address
                                or packet offset, mask, raw value, value, unit,
                                file key, limits (F: table, csv or json)
  get NAME...                   values of the named items
  set NAME=VALUE...             write parameters (each written at once) and
                                print the value the unit stored
  save FILE                     save the unit's configuration to an enciphered
                                .kfg file
  load FILE                     write a configuration file to the unit
  diff FILE                     list the keys whose values differ between a
                                file and the unit
  decrypt FILE                  print the INI text of a configuration file
  encrypt INI FILE              encipher an INI text into a configuration file
  live [--interval MS] [--count N] [--format table|csv]
                                log the live values (default every 500 ms,
                                until stopped)
  erase-eeprom --yes            erase the unit's EEPROM (factory configuration)

Options:
  --library NAME                protocol library (default ProtoNOX.dll, which is
                                libProtoNOX.so beside this program)
  --language N                  language of the messages: 0 Italian, 1 English
                                (default), 2 German, 3 French, 4 Polish
  --help                        this text

Exit codes:
  0  success
  1  usage error: unknown command, option or item name
  2  protocol library missing or out of date
  3  the unit does not answer
  4  the unit is not supported
  5  the unit refused the connection, or the connection was lost
  6  a value was refused
  7  a file could not be read, deciphered or written
  8  a configuration loaded, but some entries failed
  9  the live-value refresh could not be stopped
  10 diff: the file and the unit differ
)";

int Usage(const QString &problem) {
  std::fprintf(stderr, "ecuctl: %s\nTry 'ecuctl --help'.\n", problem.toLocal8Bit().constData());
  return EXIT_USAGE;
}

// Takes "--name VALUE" out of args; false when the value is missing.
bool TakeOption(QStringList &args, const QString &name, QString &value) {
  const qsizetype at = args.indexOf(name);
  if (at < 0)
    return true;
  if (at + 1 >= args.size())
    return false;
  value = args.at(at + 1);
  args.remove(at, 2);
  return true;
}

bool TakeFlag(QStringList &args, const QString &name) { return args.removeAll(name) > 0; }

bool ToInt(const QString &text, int minimum, int &value) {
  bool ok = false;
  const int parsed = text.toInt(&ok);
  if (!ok || parsed < minimum)
    return false;
  value = parsed;
  return true;
}

int Run(QStringList args) {
  if (args.isEmpty()) {
    std::fputs(HELP, stderr);
    return EXIT_USAGE;
  }
  if (TakeFlag(args, QStringLiteral("--help")) || TakeFlag(args, QStringLiteral("-h"))) {
    std::fputs(HELP, stdout);
    return EXIT_OK;
  }
  QString library = QStringLiteral("ProtoNOX.dll");
  QString language = QStringLiteral("1");
  QString format = QStringLiteral("table");
  QString interval = QStringLiteral("500");
  QString count = QStringLiteral("0");
  for (const auto &[name, value] : {std::pair{QStringLiteral("--library"), &library},
                                    std::pair{QStringLiteral("--language"), &language},
                                    std::pair{QStringLiteral("--format"), &format},
                                    std::pair{QStringLiteral("--interval"), &interval},
                                    std::pair{QStringLiteral("--count"), &count}})
    if (!TakeOption(args, name, *value))
      return Usage(QStringLiteral("%1 needs a value").arg(name));
  const bool yes = TakeFlag(args, QStringLiteral("--yes"));
  ItemTable::Format tableFormat = ItemTable::Format::Table;
  int languageIndex = 1, intervalMs = 500, rows = 0;
  if (!ItemTable::ParseFormat(format, tableFormat))
    return Usage(QStringLiteral("unknown format \"%1\"").arg(format));
  if (!ToInt(language, 0, languageIndex) || !ToInt(interval, 20, intervalMs) || !ToInt(count, 0, rows))
    return Usage(QStringLiteral("--language, --interval (at least 20) and --count take whole numbers"));
  for (const QString &arg : args)
    if (arg.startsWith(QLatin1String("--")))
      return Usage(QStringLiteral("unknown option %1").arg(arg));

  const QString command = args.takeFirst();
  TerminalUserInterface ui;
  TSerialDataModule module;
  module.NoxConnection->SetDllName(library);
  module.Translator->LoadLanguageLibrary();
  module.Translator->SetLanguage(languageIndex);
  QTextStream out(stdout);
  CliSession session(module, out);
  UnitCommands unit(session);
  FileCommands files(session);

  auto needs = [&](qsizetype n, auto &&action) -> int {
    if (args.size() != n)
      return Usage(QStringLiteral("%1 takes %2 argument(s)").arg(command).arg(n));
    return action();
  };
  if (command == QLatin1String("identify"))
    return needs(0, [&] { return unit.Identify(); });
  if (command == QLatin1String("read"))
    return needs(0, [&] { return unit.Read(tableFormat); });
  if (command == QLatin1String("get"))
    return args.isEmpty() ? Usage(QStringLiteral("get needs item names")) : unit.Get(args);
  if (command == QLatin1String("set"))
    return args.isEmpty() ? Usage(QStringLiteral("set needs NAME=VALUE pairs")) : unit.Set(args);
  if (command == QLatin1String("save"))
    return needs(1, [&] { return files.Save(args[0]); });
  if (command == QLatin1String("load"))
    return needs(1, [&] { return files.Load(args[0]); });
  if (command == QLatin1String("diff"))
    return needs(1, [&] { return files.Diff(args[0]); });
  if (command == QLatin1String("decrypt"))
    return needs(1, [&] { return files.Decrypt(args[0]); });
  if (command == QLatin1String("encrypt"))
    return needs(2, [&] { return files.Encrypt(args[0], args[1]); });
  if (command == QLatin1String("live")) {
    if (tableFormat == ItemTable::Format::Json)
      return Usage(QStringLiteral("live logs as table or csv"));
    return needs(0, [&] { return LiveCommand(session).Run(intervalMs, rows, tableFormat); });
  }
  if (command == QLatin1String("erase-eeprom"))
    return needs(0, [&] { return unit.EraseEeprom(yes); });
  return Usage(QStringLiteral("unknown command \"%1\"").arg(command));
}

} // namespace

int main(int argc, char **argv) {
  QCoreApplication app(argc, argv);
  QStringList args = QCoreApplication::arguments();
  args.removeFirst();
  return Run(args);
}
