// ecuctl: drives a gas-conversion control unit from a terminal or a script,
// with the same core as the desktop program.
#include "cli/CliSession.h"
#include "cli/FileCommands.h"
#include "cli/HistoryCommands.h"
#include "cli/RecoverCommand.h"
#include "cli/LiveCommand.h"
#include "cli/ReportCommand.h"
#include "cli/TerminalUserInterface.h"
#include "cli/UnitCommands.h"
#include "dataitems/TNoxConnection.h"
#include "ecuconfig/TSerialDataModule.h"
#include "platform/DynamicLibrary.h"
#include "platform/Terminal.h"
#include "platform/UserAction.h"
#include "translator/TTranslator.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QTextStream>
#include <algorithm>
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
  load [--write-all] [--yes] [--only KEY[,KEY...]] FILE
                                write a configuration file to the unit: only the
                                bytes it changes, or with --write-all every
                                value in two passes; a restore point of the
                                history read from another unit needs --yes.
                                --only loads just the named parameters (the
                                file key as read and diff print it, or the
                                item name; any case) and those that go with
                                them: the speeds with the ignition type, the
                                TPS voltages with the TPS type, items sharing
                                a byte; the unit keeps all the rest
  diff FILE                     list the keys whose values differ between a
                                file and the unit
  decrypt FILE                  print the INI text of a configuration file
  encrypt INI FILE              encipher an INI text into a configuration file
  live [--interval MS] [--count N] [--format table|csv]
                                log the live values (default every 500 ms,
                                until stopped)
  erase-eeprom --yes            erase the unit's EEPROM (factory configuration)
  report FILE                   write the report for the customer: the unit,
                                every field of the configuration window page by
                                page, and this connection's changes (HTML for
                                .html or .htm, plain text otherwise)
  history [--format F]          the connections of the workshop history, newest
                                first (1): date, identification, changes, note
  history show N [--format F]   the changes made during connection N
  recover finish|undo|leave     a load into this unit that was cut short (the
                                program killed, the line lost): finish it,
                                put back the unit as it was before it, or
                                leave the unit as it is

Every command that connects is a connection of the workshop history: the unit
as found is kept as a restore point (.kfg) and every write goes into the
connection's change log. The history folder is the user's application data
folder + /history; NOX_HISTORY_DIR overrides it.

Options:
  --library NAME                protocol library (default ProtoNOX.dll: the
                                file @FILE@ beside this program)
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
  11 report: written, but values could not be read from the unit (shown
     as "not read")
  12 load: the file is the restore point of another unit; give --yes to
     load it all the same
)";

int Usage(const QString &problem) {
  std::fprintf(stderr, "ecuctl: %s\nTry 'ecuctl --help'.\n", problem.toLocal8Bit().constData());
  return EXIT_USAGE;
}

bool ToInt(const QString &text, int minimum, int &value) {
  bool ok = false;
  const int parsed = text.toInt(&ok);
  if (!ok || parsed < minimum)
    return false;
  value = parsed;
  return true;
}

const QCommandLineOption LibraryOption(QStringLiteral("library"), {}, QStringLiteral("NAME"),
                                       QStringLiteral("ProtoNOX.dll"));
const QCommandLineOption LanguageOption(QStringLiteral("language"), {}, QStringLiteral("N"),
                                        QStringLiteral("1"));
const QCommandLineOption HelpOption(QStringList{QStringLiteral("h"), QStringLiteral("help")});
const QCommandLineOption FormatOption(QStringLiteral("format"), {}, QStringLiteral("F"),
                                      QStringLiteral("table"));
const QCommandLineOption IntervalOption(QStringLiteral("interval"), {}, QStringLiteral("MS"),
                                        QStringLiteral("500"));
const QCommandLineOption CountOption(QStringLiteral("count"), {}, QStringLiteral("N"), QStringLiteral("0"));
const QCommandLineOption YesOption(QStringLiteral("yes"));
const QCommandLineOption WriteAllOption(QStringLiteral("write-all"));
const QCommandLineOption OnlyOption(QStringLiteral("only"), {}, QStringLiteral("KEYS"));

// The options a command takes after its name; the global ones are also
// accepted there.
QList<QCommandLineOption> CommandOptions(const QString &command) {
  if (command == QLatin1String("read") || command == QLatin1String("history"))
    return {FormatOption};
  if (command == QLatin1String("live"))
    return {IntervalOption, CountOption, FormatOption};
  if (command == QLatin1String("erase-eeprom"))
    return {YesOption};
  if (command == QLatin1String("load"))
    return {WriteAllOption, YesOption, OnlyOption};
  return {};
}

// The help names the default library's file as this system calls it.
void PrintHelp(std::FILE *stream) {
  const QString file = DynamicLibrary::PlatformFileName(QStringLiteral("ProtoNOX.dll"));
  QString help = QString::fromUtf8(HELP);
  help.replace(QStringLiteral("@FILE@"), file);
  std::fputs(help.toLocal8Bit().constData(), stream);
}

// The value of an option given after the command, else before it.
QString Value(const QCommandLineParser &global, const QCommandLineParser &local,
              const QCommandLineOption &option) {
  return local.isSet(option) || !global.isSet(option) ? local.value(option) : global.value(option);
}

int Run(const QStringList &arguments) {
  if (arguments.size() <= 1) {
    PrintHelp(stderr);
    return EXIT_USAGE;
  }
  // Global options, then the command and its own options.
  QCommandLineParser global;
  global.setOptionsAfterPositionalArgumentsMode(QCommandLineParser::ParseAsPositionalArguments);
  global.addOptions({LibraryOption, LanguageOption, HelpOption});
  if (!global.parse(arguments))
    return Usage(global.errorText());
  if (global.isSet(HelpOption)) {
    PrintHelp(stdout);
    return EXIT_OK;
  }
  QStringList args = global.positionalArguments();
  if (args.isEmpty())
    return Usage(QStringLiteral("a command is needed"));
  const QString command = args.constFirst();
  const QList<QCommandLineOption> own = CommandOptions(command);
  QCommandLineParser local;
  local.addOptions({LibraryOption, LanguageOption, HelpOption});
  local.addOptions(own);
  // The parser takes the first argument as the program's name: here the command.
  if (!local.parse(args))
    return Usage(local.errorText());
  if (local.isSet(HelpOption)) {
    PrintHelp(stdout);
    return EXIT_OK;
  }
  args = local.positionalArguments();
  const QString library = Value(global, local, LibraryOption);
  const QString language = Value(global, local, LanguageOption);
  auto ownValue = [&](const QCommandLineOption &option) {
    const bool takes = std::any_of(own.begin(), own.end(), [&](const QCommandLineOption &candidate) {
      return candidate.names() == option.names();
    });
    return takes ? local.value(option) : option.defaultValues().value(0);
  };
  const QString format = ownValue(FormatOption);
  const bool yes = (command == QLatin1String("erase-eeprom") || command == QLatin1String("load")) &&
                   local.isSet(YesOption);
  const bool writeAll = command == QLatin1String("load") && local.isSet(WriteAllOption);
  // Keys hold spaces ("GIRI CUTOFF"), never commas.
  QStringList only;
  if (command == QLatin1String("load"))
    for (const QString &value : local.values(OnlyOption))
      for (const QString &key : value.split(QLatin1Char(',')))
        only << key.trimmed();
  if (only.contains(QString()))
    return Usage(QStringLiteral("--only takes KEY[,KEY...]"));
  ItemTable::Format tableFormat = ItemTable::Format::Table;
  int languageIndex = 1, intervalMs = 500, rows = 0;
  if (!ItemTable::ParseFormat(format, tableFormat))
    return Usage(QStringLiteral("unknown format \"%1\"").arg(format));
  if (!ToInt(language, 0, languageIndex) || !ToInt(ownValue(IntervalOption), 20, intervalMs) ||
      !ToInt(ownValue(CountOption), 0, rows))
    return Usage(QStringLiteral("--language, --interval (at least 20) and --count take whole numbers"));

  TerminalUserInterface ui;
  TSerialDataModule module;
  module.NoxConnection->SetDllName(library);
  if (!module.LoadLanguageLibrary())
    std::fprintf(stderr, "ecuctl: the language library is missing; messages will be empty\n");
  module.Translator->SetLanguage(languageIndex);
  module.ApplyProcessTexts();
  QTextStream out(stdout);
  CliSession session(module, out);
  UnitCommands unit(session);
  FileCommands files(session);

  // The whole command is one thing the fitter asked for: a missing protocol
  // library is said once, however many items the command touches.
  const UserAction userAction;
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
    return needs(1, [&] { return files.Load(args[0], writeAll, yes, only); });
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
  if (command == QLatin1String("report"))
    return needs(1, [&] { return ReportCommand(session).Run(args[0]); });
  if (command == QLatin1String("recover")) {
    const QStringList choices{QStringLiteral("finish"), QStringLiteral("undo"), QStringLiteral("leave")};
    if (args.size() != 1 || !choices.contains(args[0]))
      return Usage(QStringLiteral("recover takes finish, undo or leave"));
    session.SetOfferRecovery(false);
    return RecoverCommand(session).Run(args[0]);
  }
  if (command == QLatin1String("history")) {
    HistoryCommands history(session);
    if (args.isEmpty())
      return history.List(tableFormat);
    if (args.size() == 2 && args[0] == QLatin1String("show"))
      return history.Show(args[1], tableFormat);
    return Usage(QStringLiteral("history takes no argument, or show N"));
  }
  return Usage(QStringLiteral("unknown command \"%1\"").arg(command));
}

} // namespace

int main(int argc, char **argv) {
  Terminal::PrepareStandardStreams();
  QCoreApplication app(argc, argv);
  return Run(QCoreApplication::arguments());
}
