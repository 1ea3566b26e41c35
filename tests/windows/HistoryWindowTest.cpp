// The history window as the fitter uses it from the main window: real keys on
// the simulated unit, with the journal recording the connections.
#include "SimulatedUnitWindowFixture.h"
#include "dataitems/TNoxNumber.h"
#include "ecuconfig/ConfigurationFile.h"
#include "history/ConnectionJournal.h"
#include "history/InterruptedLoads.h"
#include "support/SimulatedUnit.h"
#include "windows/TFormCompare.h"
#include "windows/TFormHistory.h"
#include "windows/TFormMain.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QRegularExpression>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <functional>
#include <utility>

using namespace window_test;

namespace {

// What the fitter does in a modal window that a command opens, run once that
// window is the active modal one; the command returns when it closes.
class WhenModal {
public:
  template <typename Window> static void Run(std::function<void(Window &)> steps) {
    auto *timer = new QTimer;
    QObject::connect(timer, &QTimer::timeout, [timer, steps] {
      auto *window = qobject_cast<Window *>(QApplication::activeModalWidget());
      if (!window || !window->isActiveWindow())
        return; // keys reach the window once it is active
      timer->stop();
      timer->deleteLater(); // perhaps during the steps' own events: they run from a copy
      const std::function<void(Window &)> run = steps;
      run(*window);
    });
    timer->start(10);
  }
};

// A key to wherever the keyboard focus is, as the fitter's key goes.
void Press(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
  QWidget *focus = QApplication::focusWidget();
  ASSERT_NE(focus, nullptr);
  QTest::keyClick(focus, static_cast<Qt::Key>(key), modifiers);
  QCoreApplication::processEvents(); // what the key started, before the next one
}

struct ShownHistory {
  QStringList Counts, Notes;
  QList<QStringList> Changes; // of the current connection
  QString Notice;
};

ShownHistory Read(const TFormHistory &window) {
  ShownHistory shown;
  const QTableWidget *list = window.ConnectionList();
  for (int row = 0; row < list->rowCount(); ++row) {
    shown.Counts << list->item(row, TFormHistory::ChangeCountColumn)->text();
    shown.Notes << list->item(row, TFormHistory::NoteColumn)->text();
  }
  const QTableWidget *changes = window.ChangeTable();
  for (int row = 0; row < changes->rowCount(); ++row) {
    QStringList cells;
    for (int column = 0; column < changes->columnCount(); ++column)
      cells << changes->item(row, column)->text();
    shown.Changes << cells;
  }
  shown.Notice = window.Notice()->isVisible() ? window.Notice()->text() : QString();
  return shown;
}

class HistoryWindow : public SimulatedUnitWindowFixture {
protected:
  void SetUp() override {
    SimulatedUnitWindowFixture::SetUp();
    UseUnit("latency_ms = 0\ndefault_acquired_after_ms = 0\n");
    ASSERT_TRUE(Folder.isValid());
    qputenv("NOX_HISTORY_DIR", Folder.path().toLocal8Bit());
    TFormMainOptions options;
    options.ShowSplash = false;
    Main = std::make_unique<TFormMain>(Module, options);
    // One second apart, so that the order is the connections' own.
    Main->Journal()->SetClock(
        [this] { return QDateTime(QDate(2026, 12, 9), QTime(6, 0), Qt::UTC).addSecs(++Tick); });
    ShowActive(Main.get());
    Main->SelectLanguage(1); // English: the keys below are its mnemonics
  }
  void TearDown() override {
    Main.reset();
    qunsetenv("NOX_HISTORY_DIR");
    SimulatedUnitWindowFixture::TearDown();
  }
  void Disconnect() { Module.NoxConnection->ProtocolObject()->Disconnect(); }
  // Every readable byte of the unit (-1 where it has no memory).
  QList<int> Memory() { return SimulatedUnitSettings::Memory(Module.NoxConnection->LibraryObject()); }
  // F7 (or the File menu's item: offscreen, a closed dialog does not hand
  // the activation back for a second key) opens the window over the main
  // window; the steps run in it.
  void OpenHistory(std::function<void(TFormHistory &)> steps, bool byKey = false) {
    bool ran = false;
    WhenModal::Run<TFormHistory>([&](TFormHistory &window) {
      steps(window);
      ran = true;
      // To the window itself: offscreen, a closed comparison does not give
      // the activation back.
      QTest::keyClick(&window, Qt::Key_Escape);
    });
    if (byKey)
      QTest::keyClick(Main.get(), Qt::Key_F7);
    else
      Main->findChild<QAction *>(QStringLiteral("ActionHistory"))->trigger();
    EXPECT_TRUE(ran);
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr) << "Esc closes the window";
  }
  QString Origin(int index) const { return Module.Text(296).split(QLatin1Char('|')).at(index); }

  QTemporaryDir Folder;
  int Tick = 0;
  std::unique_ptr<TFormMain> Main;
};

TEST_F(HistoryWindow, ListsNewestFirstKeepsTheNoteAndLoadsTheUnitAsFound) {
  Connect();
  // The over-rev speed as found is out of range: the connect corrected it,
  // and a load of the unit as found corrects it again.
  const QList<int> asFound = Memory();
  ASSERT_TRUE(Module.GiriCutOff->SetValue(2500));
  Disconnect();
  Connect();
  ASSERT_TRUE(Module.GiriCutOff->SetValue(3000));
  ASSERT_TRUE(Module.GiriCutOff->SetValue(3500));
  // The default-position box, one bit of a byte that three boxes share.
  ASSERT_FALSE(Module.FLAG_GONFIGURAZIONE->RawValue() & 8);
  ASSERT_TRUE(Module.FLAG_GONFIGURAZIONE->SetIntValue(Module.FLAG_GONFIGURAZIONE->RawValue() | 8));

  OpenHistory(
      [&](TFormHistory &window) {
        EXPECT_EQ(QApplication::focusWidget(), window.ConnectionList());
        const ShownHistory newest = Read(window);
        // The first connect also corrected the unit's over-rev speed.
        EXPECT_EQ(newest.Counts, (QStringList{"3", "2"}));
        ASSERT_EQ(newest.Changes.size(), 3);
        EXPECT_EQ(newest.Changes[2].mid(1, 2),
                  (QStringList{Module.Text(86), Module.Text(273) + " \u2192 " + Module.Text(272)}))
            << "a check box as the window shows it";
        Press(Qt::Key_Down); // the first connection
        const ShownHistory first = Read(window);
        ASSERT_EQ(first.Changes.size(), 2);
        EXPECT_EQ(first.Changes[1].mid(2),
                  (QStringList{"1500 RPM \u2192 2500 RPM", Origin(0), Module.Text(295)}));
        EXPECT_TRUE(first.Notice.isEmpty());
        Press(Qt::Key_F2);
        QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("AB 123 CD"));
        Press(Qt::Key_Return);
      },
      true);
  EXPECT_EQ(Main->History().Connections().value(1).Note, QStringLiteral("AB 123 CD")) << "kept once confirmed";

  // Reopened, the note is there; the first connection's unit as found goes
  // back through the comparison, answered with Enter.
  OpenHistory([&](TFormHistory &window) {
    EXPECT_EQ(Read(window).Notes, (QStringList{"", "AB 123 CD"}));
    Press(Qt::Key_Down);
    bool compared = false;
    WhenModal::Run<TFormCompare>([&](TFormCompare &compare) {
      // The speed, the box, and the over-rev speed as found, out of range.
      compared = compare.Table()->rowCount() == 3;
      QTest::keyClick(&compare, Qt::Key_Return);
    });
    Press(Qt::Key_Tab); // the changes, then the load button
    Press(Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), window.LoadButton());
    Press(Qt::Key_Space);
    EXPECT_TRUE(compared);
    EXPECT_EQ(Memory(), asFound);
    // The load is the open connection's change now.
    EXPECT_EQ(Read(window).Counts.value(0), QStringLiteral("5")) << "the speed and the box";
  });
  EXPECT_TRUE(Ui.Messages.isEmpty());
}

// The dates follow the language chosen in the program, not the system's.
TEST_F(HistoryWindow, DatesFollowTheChosenLanguage) {
  Connect();
  const QDateTime started = Main->History().Connections().value(0).Started.toLocalTime();
  QStringList shown;
  for (const auto &choice : {std::pair{0, "it"}, std::pair{1, "en"}}) {
    // Named apart: a lambda may not capture a structured binding in C++20.
    const char *const locale = choice.second;
    Main->SelectLanguage(choice.first);
    OpenHistory([&](TFormHistory &window) {
      shown << window.ConnectionList()->item(0, TFormHistory::DateColumn)->text();
      EXPECT_EQ(shown.last(), QLocale(QLatin1String(locale)).toString(started, QLocale::ShortFormat));
    });
  }
  ASSERT_EQ(shown.size(), 2);
  EXPECT_NE(shown[0], shown[1]);
}

TEST_F(HistoryWindow, DamagedLogSaysSoOnceAndExportReportsTheFileAndReason) {
  Connect();
  ASSERT_TRUE(Module.GiriCutOff->SetValue(2500));
  const HistoryConnection connection = Main->Journal()->Current();
  Disconnect();
  QFile log(connection.LogFile);
  ASSERT_TRUE(log.open(QIODevice::Append));
  log.write("garbage that is no record\n{\"time\":\"2026-12-09T06:00:0");
  log.close();

  const QString exported = Folder.filePath(QStringLiteral("customer.kfg"));
  const QString unwritable = Folder.filePath(QStringLiteral("no such folder/customer.kfg"));
  OpenHistory([&](TFormHistory &window) {
    const ShownHistory shown = Read(window);
    EXPECT_EQ(shown.Changes.size(), 2) << "the connect's correction and the edit";
    EXPECT_TRUE(shown.Notice.contains(QLatin1Char('2'))) << shown.Notice.toStdString();
    for (const QString &target : {unwritable, exported}) {
      window.ChooseExportFile = [target](const QString &) { return target; };
      window.SaveAsButton()->click();
    }
  });
  EXPECT_TRUE(Ui.Messages.size() == 1 && Ui.Messages[0].Text.contains(unwritable));
  QFile restorePoint(connection.RestorePoint), copy(exported);
  ASSERT_TRUE(restorePoint.open(QIODevice::ReadOnly) && copy.open(QIODevice::ReadOnly));
  EXPECT_EQ(copy.readAll(), restorePoint.readAll());
}

// A restore point that no longer matches its digest is neither loaded into
// the unit nor exported; the fitter is told which file. Intact, it is both.
TEST_F(HistoryWindow, ADamagedRestorePointIsNeitherLoadedNorExported) {
  Connect();
  const QString restorePoint = Main->Journal()->Current().RestorePoint;
  Disconnect();
  QStringList loaded;
  TFormHistory window(Module, Main->History(), [&](const QString &file, QWidget *) {
    loaded << file;
    return true;
  });
  for (const bool damaged : {false, true}) {
    SCOPED_TRACE(damaged ? "damaged" : "intact");
    if (damaged) {
      QFile file(restorePoint);
      ASSERT_TRUE(file.open(QIODevice::ReadWrite));
      QByteArray bytes = file.readAll();
      bytes[bytes.size() - 2] ^= 1; // a value's digit, one bit off
      ASSERT_TRUE(file.seek(0) && file.write(bytes) == bytes.size());
    }
    loaded.clear();
    Ui.Messages.clear();
    const QString exported = Folder.filePath(damaged ? "damaged.kfg" : "intact.kfg");
    window.ChooseExportFile = [&](const QString &) { return exported; };
    window.LoadButton()->click();
    window.SaveAsButton()->click();
    EXPECT_EQ(loaded.size(), damaged ? 0 : 1);
    EXPECT_EQ(QFile::exists(exported), !damaged);
    ASSERT_EQ(Ui.Messages.size(), damaged ? 2 : 0);
    for (const auto &message : Ui.Messages)
      EXPECT_TRUE(message.Text.contains(QDir::toNativeSeparators(restorePoint)))
          << message.Text.toStdString();
  }
}

// A restore point read from another unit goes into the connected one only
// when the fitter says so; an incomplete one never.
TEST_F(HistoryWindow, AnotherUnitsRestorePointIsAskedForAndAnIncompleteOneRefused) {
  const QByteArray fast("latency_ms = 0\ndefault_acquired_after_ms = 0\n");
  HistoryConnection incomplete, other;
  for (auto [lines, entry] : {std::pair{fast + "read_fail = 163\n", &incomplete},
                              std::pair{fast + "identification = 1 36 126 0 0 0 0 0\n", &other}}) {
    UseUnit(lines);
    Connect();
    *entry = Main->Journal()->Current();
    Module.CloseConnection(false); // the next connect takes the unit's new settings
  }
  UseUnit(fast);
  Connect(); // 1-36-26
  QStringList loaded;
  TFormHistory window(Module, Main->History(), [&](const QString &file, QWidget *) {
    loaded << file;
    return true;
  });
  const struct {
    const char *name;
    const HistoryConnection &entry;
    bool answer;
    bool asked, loads;
  } cases[] = {{"another unit, refused", other, false, true, false},
               {"another unit, allowed", other, true, true, true},
               {"incomplete", incomplete, true, false, false}};
  for (const auto &c : cases) {
    SCOPED_TRACE(c.name);
    const QList<HistoryConnection> listed = Main->History().Connections();
    const auto row = std::find_if(listed.begin(), listed.end(),
                                  [&](const HistoryConnection &entry) { return entry.Id == c.entry.Id; });
    ASSERT_NE(row, listed.end());
    window.ConnectionList()->setCurrentCell(static_cast<int>(row - listed.begin()), 0);
    Ui.Answer = c.answer;
    Ui.Questions.clear();
    Ui.Messages.clear();
    loaded.clear();
    window.LoadButton()->click();
    ASSERT_EQ(Ui.Questions.size(), c.asked ? 1 : 0);
    if (c.asked) {
      EXPECT_TRUE(Ui.Questions[0].contains("(1-36-126)") && Ui.Questions[0].contains("1-36-26"))
          << Ui.Questions[0].toStdString();
    }
    EXPECT_EQ(loaded.size(), c.loads ? 1 : 0);
    EXPECT_EQ(Ui.Messages.size(), c.asked ? 0 : 1);
  }
  EXPECT_TRUE(Ui.Messages.value(0).Text.contains(Module.TIPO_ACCENSIONE->FileKey()));
}

// Alt+letter reaches one control only, in every language.
TEST_F(HistoryWindow, MnemonicsAreUniqueInEveryLanguage) {
  TFormHistory window(Module, Main->History(), {});
  for (int language = 0; language < Module.Translator->LanguageCount(); ++language) {
    Module.Translator->SetLanguage(language);
    window.ApplyTexts();
    QStringList texts;
    for (const QLabel *label : window.findChildren<QLabel *>())
      if (label->buddy())
        texts << label->text();
    for (const QPushButton *button : window.findChildren<QPushButton *>())
      texts << button->text();
    QSet<QChar> letters;
    for (const QString &text : texts) {
      const auto match = QRegularExpression(QStringLiteral("&(\\w)")).match(text);
      ASSERT_TRUE(match.hasMatch()) << language << ": " << text.toStdString();
      const QChar letter = match.captured(1).at(0).toLower();
      EXPECT_FALSE(letters.contains(letter)) << language << ": " << text.toStdString();
      letters.insert(letter);
    }
  }
}

} // namespace

namespace {

// A load noted as begun and never ended (the program was killed, the line
// lost) is offered at the next connect: Esc leaves it for later, Finish
// loads the file, Put back the unit as it was before; either way it is not
// offered again.
TEST_F(HistoryWindow, ALoadCutShortIsOfferedAtTheNextConnect) {
  QAction *connect = Main->findChild<QAction *>(QStringLiteral("ActionConnect"));
  ASSERT_NE(connect, nullptr);
  struct Case {
    int answer;
    bool loaded; // the file's value is in the unit afterwards
    bool askedAgain;
  };
  for (const Case c : {Case{-1, false, true}, Case{0, true, false}, Case{1, false, false}}) {
    SCOPED_TRACE(c.answer);
    connect->trigger();
    ASSERT_TRUE(Module.NoxConnection->ProtocolObject()->IsConnected());
    const std::int32_t before = Module.GiriCutOff->RawValue();
    const QString file = Folder.filePath(QStringLiteral("car%1.kfg").arg(c.answer + 1));
    ASSERT_TRUE(Module.GiriCutOff->SetValue(before == Module.GiriCutOff->ConvertToEcu(1800) ? 1500 : 1800));
    const std::int32_t inFile = Module.GiriCutOff->RawValue();
    ASSERT_TRUE(Module.SaveConfiguration(file));
    ASSERT_TRUE(Module.GiriCutOff->WriteRawValue(before));
    QFile bytes(file);
    ASSERT_TRUE(bytes.open(QIODevice::ReadOnly));
    InterruptedLoads::Load load;
    ASSERT_TRUE(InterruptedLoads(Main->History())
                    .Begin(Main->Journal()->Current().Id, Main->Journal()->Current().Identification, file,
                           bytes.readAll(), ConfigurationFile(Module).IniText(), load));
    Disconnect();
    QCoreApplication::processEvents(); // the main window hears the line go down
    Ui.ChoiceAnswers = {c.answer};
    Ui.Choices.clear();
    connect->trigger();
    ASSERT_EQ(Ui.Choices.size(), 1);
    EXPECT_TRUE(Ui.Choices.constFirst().contains(QDir::toNativeSeparators(file))) << Ui.Choices.constFirst().toStdString();
    EXPECT_EQ(UnitByte(Module.GiriCutOff->Address()), c.loaded ? inFile : before);
    Disconnect();
    QCoreApplication::processEvents(); // the main window hears the line go down
    Ui.Choices.clear();
    Ui.ChoiceAnswers = {2}; // left as it is, if asked
    connect->trigger();
    EXPECT_EQ(Ui.Choices.size(), c.askedAgain ? 1 : 0);
    Disconnect();
    QCoreApplication::processEvents(); // the main window hears the line go down
  }
}

} // namespace
