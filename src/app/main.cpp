// noxconfig: the fitter's desktop program for LPG/CNG gas-conversion control units.
#include "dataitems/TNoxConnection.h"
#include "ecuconfig/TSerialDataModule.h"
#include "windows/DesktopInbox.h"
#include "windows/DesktopUserInterface.h"
#include "windows/NoxApplication.h"
#include "windows/PaintingClock.h"
#include "windows/RecordingActions.h"
#include "windows/StartupReport.h"
#include "windows/TFormConfig.h"
#include "windows/TFormMain.h"

#include <QCommandLineParser>
#include <QFileInfo>
#include <QTimer>
#include <cstdio>
#include <memory>

int main(int argc, char **argv) {
  QApplication::setApplicationName(QStringLiteral("noxconfig"));
  QApplication::setApplicationVersion(QStringLiteral(NOX_VERSION_STRING));

  QCommandLineParser parser;
  parser.setApplicationDescription(
      QStringLiteral("Configuration and diagnosis of LPG/CNG gas-conversion control units.\n"
                     "Without --library the simulated unit beside this program is used."));
  const QCommandLineOption help(QStringList{QStringLiteral("h"), QStringLiteral("help")},
                                QStringLiteral("This text."));
  parser.addOption(help);
  const QCommandLineOption version = parser.addVersionOption();
  const QCommandLineOption noSplash(QStringLiteral("no-splash"),
                                    QStringLiteral("Start without the splash picture."));
  const QCommandLineOption library(QStringLiteral("library"),
                                   QStringLiteral("Protocol library (default ProtoNOX.dll, which is "
                                                  "libProtoNOX.so beside this program)."),
                                   QStringLiteral("NAME"), QStringLiteral("ProtoNOX.dll"));
  const QCommandLineOption noCompare(
      QStringLiteral("no-compare"), QStringLiteral("Load configuration files without first showing what they "
                                                   "change in the unit."));
  parser.addOption(noSplash);
  parser.addOption(noCompare);
  parser.addOption(library);
  const QCommandLineOption recording(QStringLiteral("recording"),
                                     QStringLiteral("Open a recording of live values (CSV, as the chart window "
                                                    "and 'ecuctl live --format csv' write it) for review."),
                                     QStringLiteral("FILE"));
  parser.addOption(recording);
  parser.addPositionalArgument(QStringLiteral("FILE"),
                               QStringLiteral("A configuration file (.kfg) to load into the unit: the program "
                                              "connects and shows what it changes first. While the program runs, "
                                              "a second start with a file hands the file to it."),
                               QStringLiteral("[FILE]"));
  // --help and --version are answered before the application object exists,
  // so that they work without a display. Qt's own options (-platform...) are
  // known only once it has taken them out.
  QStringList arguments;
  for (int i = 0; i < argc; ++i)
    arguments << QString::fromLocal8Bit(argv[i]);
  parser.parse(arguments);
  if (parser.isSet(help)) {
    std::fputs(qPrintable(parser.helpText().replace(QStringLiteral("<executable_name>"),
                                                    QStringLiteral("noxconfig"))),
               stdout);
    return 0;
  }
  if (parser.isSet(version)) {
    std::printf("noxconfig %s\n", NOX_VERSION_STRING);
    return 0;
  }
  NoxApplication app(argc, argv);
  if (!parser.parse(QCoreApplication::arguments())) {
    std::fprintf(stderr, "noxconfig: %s\nTry 'noxconfig --help'.\n", qPrintable(parser.errorText()));
    return 1;
  }

  const QString file = parser.positionalArguments().value(0);
  // One program takes the files opened from the desktop; a second start
  // with a file gives it to the running one instead of fighting for the line.
  DesktopInbox inbox(DesktopInbox::DefaultFolder());
  if (!inbox.Claim() && !file.isEmpty()) {
    if (inbox.HandOver(file))
      return 0;
    std::fprintf(stderr, "noxconfig: the running program could not be given %s\n", qPrintable(file));
    return 1;
  }

  try {
    DesktopUserInterface ui;
    // The unit's mandated waits keep the windows painted (input held).
    PaintingClock clock;
    Clock::SetCurrent(&clock);
    struct ClockBack {
      ~ClockBack() { Clock::SetCurrent(nullptr); }
    } clockBack;
    // Created in this order, destroyed in the reverse one: the configuration
    // window leaves the core, the main window writes the settings back, then
    // the data module closes the connection.
    auto module = std::make_unique<TSerialDataModule>();
    module->NoxConnection->SetDllName(parser.value(library));
    TFormMainOptions options;
    options.ShowSplash = !parser.isSet(noSplash);
    options.CompareBeforeLoad = !parser.isSet(noCompare);
    options.Version = QStringLiteral(NOX_VERSION_STRING);
    auto mainWindow = std::make_unique<TFormMain>(*module, options);
    ui.SetOwner(mainWindow.get());
    auto configWindow = std::make_unique<TFormConfig>(*module, mainWindow.get());
    configWindow->AttachTo(*mainWindow);
    new StartupReport(*mainWindow, *module);
    QObject::connect(&inbox, &DesktopInbox::FileArrived, mainWindow.get(), &TFormMain::OpenFromDesktop);
    mainWindow->show();
    if (parser.isSet(recording))
      QTimer::singleShot(0, mainWindow.get(), [window = mainWindow.get(), path = parser.value(recording)] {
        window->Recordings()->Open(path);
      });
    if (!file.isEmpty())
      QTimer::singleShot(0, mainWindow.get(),
                         [window = mainWindow.get(), path = QFileInfo(file).absoluteFilePath()] {
                           window->OpenFromDesktop(path);
                         });
    QApplication::exec();
    configWindow.reset();
    mainWindow.reset();
    module.reset();
  } catch (...) {
    NoxApplication::ShowCurrentException();
  }
  return 0;
}
