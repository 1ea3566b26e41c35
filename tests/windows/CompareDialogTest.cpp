// The comparison before loading, on the simulated unit: what it lists, what
// Enter and Esc do, and a file that cannot be read.
#include "WindowsFixture.h"
#include "dataitems/TNoxConnection.h"
#include "dataitems/TNoxNumber.h"
#include "ecuconfig/ComparisonRows.h"
#include "ecuconfig/TSerialDataModule.h"
#include "platform/DynamicLibrary.h"
#include "support/RecordingUserInterface.h"
#include "support/SimulatedUnit.h"
#include "translator/TTranslator.h"
#include "windows/DesktopInbox.h"
#include "windows/TFormCompare.h"
#include "windows/TFormMain.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QFile>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QTableWidget>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>
#include <optional>

namespace {

std::string Listed(const QList<QStringList> &rows, const QStringList &wanted) {
  QStringList all;
  for (const QStringList &row : rows)
    all << row.join(QLatin1Char('|'));
  return (wanted.join(QLatin1Char('|')) + QStringLiteral(" not in ") + all.join(QStringLiteral("; "))).toStdString();
}

struct ShownDialog {
  QString Summary;
  QList<QStringList> Rows;
  bool TableVisible;
};

// Answers the next comparison dialog with a key, noting what it showed.
class DialogAnswer {
public:
  DialogAnswer(Qt::Key answer, bool tickDoNotShow) {
    QObject::connect(&m_timer, &QTimer::timeout, [this, answer, tickDoNotShow] {
      auto *dialog = qobject_cast<TFormCompare *>(QApplication::activeModalWidget());
      if (!dialog)
        return;
      m_timer.stop();
      Shown.emplace(ShownDialog{dialog->Summary()->text(), {}, dialog->Table()->isVisible()});
      for (int row = 0; row < dialog->Table()->rowCount(); ++row)
        Shown->Rows << QStringList{dialog->Table()->item(row, 0)->text(),
                                   dialog->Table()->item(row, 1)->text(),
                                   dialog->Table()->item(row, 2)->text()};
      if (tickDoNotShow)
        dialog->DoNotShowAgainBox()->setChecked(true);
      QTest::keyClick(dialog, answer);
    });
    m_timer.start(10);
  }
  std::optional<ShownDialog> Shown;

private:
  QTimer m_timer;
};

class CompareDialog : public ::testing::Test {
protected:
  void SetUp() override {
    ASSERT_TRUE(Dir.isValid());
    ASSERT_TRUE(Unit.IsValid());
    Module.Translator->SetDllName(DynamicLibrary::ExecutableFolder() + QStringLiteral("/Languages.dll"));
    ASSERT_TRUE(Module.Translator->LoadLanguageLibrary());
    Module.Translator->SetLanguage(1);
    ASSERT_EQ(Module.ConnectAndReadAll(4, 0), 0);
    ASSERT_TRUE(Module.SaveConfiguration(File()));
  }

  QString File() const { return Dir.filePath(QStringLiteral("car.kfg")); }

  QList<int> Memory() { return SimulatedUnitSettings::Memory(Module.NoxConnection->LibraryObject()); }

  // Runs the comparison and answers the dialog with a key, if one shows.
  bool Confirm(Qt::Key answer, bool tickDoNotShow = false) {
    DialogAnswer answerer(answer, tickDoNotShow);
    bool doNotShowAgain = false;
    const bool load = TFormCompare::ConfirmLoad(Module, File(), nullptr, doNotShowAgain);
    Shown = answerer.Shown;
    DoNotShowAgain = doNotShowAgain;
    return load;
  }

  RecordingUserInterface Ui;
  QTemporaryDir Dir;
  SimulatedUnitSettings Unit;
  TSerialDataModule Module;
  std::optional<ShownDialog> Shown;
  bool DoNotShowAgain = false;
};

TEST_F(CompareDialog, IdenticalFileSaysSoAndEnterStillLoads) {
  EXPECT_TRUE(Confirm(Qt::Key_Return, true));
  ASSERT_TRUE(Shown);
  EXPECT_EQ(Shown->Summary, QStringLiteral("The file holds the same values as the ECU. Load it anyway?"));
  EXPECT_TRUE(Shown->Rows.isEmpty());
  EXPECT_FALSE(Shown->TableVisible);
  EXPECT_TRUE(DoNotShowAgain);
}

TEST_F(CompareDialog, OneDifferenceShowsCaptionUnitAndFileValues) {
  ASSERT_TRUE(Module.GiriCutOff->SetValue(2500));
  const QList<int> before = Memory();
  EXPECT_FALSE(Confirm(Qt::Key_Escape));
  ASSERT_TRUE(Shown);
  EXPECT_EQ(Shown->Summary, QStringLiteral("Loading this file will change these values in the ECU:"));
  ASSERT_EQ(Shown->Rows.size(), 1);
  EXPECT_EQ(Shown->Rows[0], (QStringList{"Cut-off RPM", "2500 RPM", "1500 RPM"}));
  EXPECT_FALSE(DoNotShowAgain);
  EXPECT_EQ(Memory(), before) << "Esc must write nothing";
}

TEST_F(CompareDialog, ManyDifferencesAreListedByCaptionAlsoWhereNoFieldShowsThem) {
  const QList<int> saved = Memory();
  ASSERT_TRUE(Module.GiriCutOff->SetValue(2500));
  ASSERT_TRUE(Module.VelIngrMinimo->SetValue(70));
  ASSERT_TRUE(Module.POSIZIONE_DEFAULT->SetValue(120));
  EXPECT_TRUE(Confirm(Qt::Key_Enter));
  ASSERT_TRUE(Shown);
  ASSERT_EQ(Shown->Rows.size(), 3);
  QStringList captions;
  for (const QStringList &row : Shown->Rows)
    captions << row[0];
  EXPECT_TRUE(captions.contains(QStringLiteral("Cut-off RPM")));
  EXPECT_TRUE(captions.contains(Module.Text(460))) << "time between enrich steps at idle";
  EXPECT_TRUE(captions.contains(Module.Text(87))) << "Fixed Default Position";

  // Enter means load: the caller loads, and the unit holds the file's values
  // again, so a second comparison finds nothing.
  ASSERT_TRUE(Module.LoadConfiguration(File()));
  const QList<int> loaded = Memory();
  for (int address : {168, 174})
    EXPECT_EQ(loaded[address], saved[address]) << address;
  EXPECT_EQ(Module.GiriCutOff->GetValue(), 1500);
  ConfigurationComparison again;
  ASSERT_TRUE(again.Compare(Module, File()));
  EXPECT_TRUE(again.Differences().isEmpty());
}

// The rows speak as the configuration window's fields do: a combo box's
// text, and for a byte of switches one row per check box whose bit changes.
TEST_F(CompareDialog, RowsShowTheFieldsCaptionsAndTexts) {
  struct Case {
    const char *Name;
    TNoxNumber *TSerialDataModule::*Item;
    double UnitValue;
    QList<QStringList> Rows; // the file holds the defaults saved in SetUp
  };
  const QString yes = Module.Text(272), no = Module.Text(273);
  const QList<Case> cases{
      {"ignition type", &TSerialDataModule::TIPO_ACCENSIONE, 1,
       {{Module.Text(27), Module.Text(29), Module.Text(32)}}},
      {"level sensor type", &TSerialDataModule::TipoSensore, 2,
       {{Module.Text(49), Module.Text(53), Module.Text(52)}}},
      // 37 = full throttle (1), cut-off (4) and a bit no box shows (32); the
      // file's 32 clears the two switches.
      {"flags byte", &TSerialDataModule::FLAG_GONFIGURAZIONE, 37,
       {{Module.Text(80), yes, no}, {Module.Text(83), yes, no}}},
      // No box shows this byte: each bit with a name of its own is a row.
      {"flags byte without boxes", &TSerialDataModule::FLAG_CONFIGURAZIONE_3, 16 | 8 | 2,
       {{Module.Text(437), yes, no}, {Module.Text(436), yes, no}}},
  };
  for (const Case &each : cases) {
    SCOPED_TRACE(each.Name);
    ASSERT_TRUE(Module.LoadConfiguration(File()));
    TNoxNumber *item = Module.*each.Item;
    ASSERT_TRUE(item->SetValue(each.UnitValue));
    EXPECT_FALSE(Confirm(Qt::Key_Escape));
    ASSERT_TRUE(Shown);
    for (const QStringList &row : each.Rows)
      EXPECT_TRUE(Shown->Rows.contains(row)) << Listed(Shown->Rows, row);
    for (const QStringList &row : Shown->Rows)
      EXPECT_NE(row[0], item->FileKey()) << "no internal name where a field shows the value";
  }
}

TEST_F(CompareDialog, GarbageFileIsReportedAndNothingIsWritten) {
  ASSERT_TRUE(Module.GiriCutOff->SetValue(2500));
  const QList<int> before = Memory();
  // Too short to decipher, and long enough but deciphering to no parameter.
  for (const QByteArray &content : {QByteArray(100, '\x5a'), QByteArray(300, '\x5a')}) {
    SCOPED_TRACE(content.size());
    Ui.Messages.clear();
    QFile garbage(File());
    ASSERT_TRUE(garbage.open(QIODevice::WriteOnly | QIODevice::Truncate));
    garbage.write(content);
    garbage.close();
    EXPECT_FALSE(Confirm(Qt::Key_Return));
    EXPECT_FALSE(Shown) << "no comparison to show";
    ASSERT_EQ(Ui.Messages.size(), 1);
    EXPECT_TRUE(Ui.Messages[0].Text.contains(File()));
    EXPECT_EQ(Ui.Messages[0].Title, Module.Text(99));
    EXPECT_EQ(Memory(), before);
  }
}

} // namespace

// F3 in the main window: the comparison comes between the file dialog and
// the load, and "Do not show again" sticks.
class LoadCommand : public WindowsFixture {
protected:
  std::unique_ptr<TFormMain> Open(bool compare) {
    TFormMainOptions options;
    options.ShowSplash = false;
    options.CompareBeforeLoad = compare;
    auto window = std::make_unique<TFormMain>(m_module, options);
    window->show();
    window->findChild<QAction *>(QStringLiteral("ActionConnect"))->trigger();
    window->ChooseFile = [this](TFormMain::FileDialog, const QString &, const QString &) { return File(); };
    return window;
  }
  QString File() const { return m_folder.filePath(QStringLiteral("car.kfg")); }
  std::optional<ShownDialog> PressF3(TFormMain &window, Qt::Key answer, bool tickDoNotShow = false) {
    DialogAnswer answerer(answer, tickDoNotShow);
    window.findChild<QAction *>(QStringLiteral("ActionCaricaFile"))->trigger();
    return answerer.Shown;
  }
  int CutOffByte() {
    std::int32_t value = -1;
    m_module.NoxConnection->ProtocolObject()->ReadAtAddress(0, 204, &value);
    return value;
  }

  TSerialDataModule m_module;
  QTemporaryDir m_folder;
};

TEST_F(LoadCommand, EscKeepsTheUnitEnterLoadsAndDoNotShowAgainSticks) {
  {
    auto window = Open(true);
    ASSERT_TRUE(m_module.SaveConfiguration(File()));
    ASSERT_TRUE(m_module.GiriCutOff->SetValue(2500));
    const int changed = CutOffByte();

    const auto escaped = PressF3(*window, Qt::Key_Escape);
    ASSERT_TRUE(escaped);
    EXPECT_EQ(escaped->Rows.size(), 1);
    EXPECT_EQ(CutOffByte(), changed);
    EXPECT_FALSE(m_ui.Events.contains(QStringLiteral("BeginWait(96,94)")));

    ASSERT_TRUE(PressF3(*window, Qt::Key_Return, true));
    EXPECT_TRUE(m_ui.Events.contains(QStringLiteral("BeginWait(96,94)")));
    EXPECT_EQ(m_module.GiriCutOff->GetValue(), 1500);
    EXPECT_NE(CutOffByte(), changed);
  }
  // The next start remembers the tick: F3 loads at once.
  auto window = Open(true);
  ASSERT_TRUE(m_module.GiriCutOff->SetValue(2500));
  EXPECT_FALSE(PressF3(*window, Qt::Key_Escape));
  EXPECT_EQ(m_module.GiriCutOff->GetValue(), 1500);
}

// The File menu's "Compare before loading" shows the setting that "Do not
// show again" clears, and turns the comparison back on from the keyboard.
TEST_F(LoadCommand, CompareBeforeLoadingItemTurnsTheComparisonBackOn) {
  const auto item = [](TFormMain &window) {
    return window.findChild<QAction *>(QStringLiteral("ActionCompareBeforeLoad"));
  };
  {
    auto window = Open(true);
    ASSERT_TRUE(m_module.SaveConfiguration(File()));
    EXPECT_TRUE(item(*window)->isChecked());
    ASSERT_TRUE(PressF3(*window, Qt::Key_Return, true));
    EXPECT_FALSE(item(*window)->isChecked());
  }
  auto window = Open(true);
  EXPECT_FALSE(item(*window)->isChecked());
  QApplication::setActiveWindow(window.get());
  ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
  QTest::keyClick(window.get(), Qt::Key_F, Qt::AltModifier); // "&File"
  auto *menu = window->findChild<QMenu *>(QStringLiteral("MenuFile"));
  ASSERT_TRUE(QTest::qWaitFor([&] { return menu->isVisible(); }));
  QTest::keyClick(menu, Qt::Key_C); // "&Confronta prima di caricare"
  EXPECT_TRUE(item(*window)->isChecked());
  ASSERT_TRUE(m_module.GiriCutOff->SetValue(2500));
  const auto shown = PressF3(*window, Qt::Key_Escape);
  ASSERT_TRUE(shown);
  EXPECT_EQ(shown->Rows.size(), 1);
  EXPECT_EQ(m_module.GiriCutOff->GetValue(), 2500);
}

TEST_F(LoadCommand, NoCompareOptionLoadsWithoutAsking) {
  auto window = Open(false);
  ASSERT_TRUE(m_module.SaveConfiguration(File()));
  ASSERT_TRUE(m_module.GiriCutOff->SetValue(2500));
  EXPECT_FALSE(PressF3(*window, Qt::Key_Escape));
  EXPECT_EQ(m_module.GiriCutOff->GetValue(), 1500);
}

// F3 sends only what the file changes and the status bar says how much; the
// File menu's "Write every value when loading", ticked from the keyboard,
// sends every value and is still ticked at the next start.
TEST_F(LoadCommand, WriteEveryValueItemSticksAndTheStatusBarCountsTheWrites) {
  // The whole text: the panel cuts it to the room the window has.
  const auto status = [](TFormMain &window) {
    return window.findChild<QLabel *>(QStringLiteral("StatusPanel1"))->toolTip();
  };
  {
    auto window = Open(false);
    ASSERT_TRUE(m_module.SaveConfiguration(File()));
    const int saved = CutOffByte();
    ASSERT_TRUE(m_module.GiriCutOff->SetValue(2500));
    PressF3(*window, Qt::Key_Escape);
    EXPECT_EQ(CutOffByte(), saved);
    EXPECT_EQ(status(*window), m_module.Text(342).arg(1).arg(0).arg(66));
    EXPECT_TRUE(status(*window).contains(QLatin1String("66"))) << status(*window).toStdString();

    auto *item = window->findChild<QAction *>(QStringLiteral("ActionWriteEveryValue"));
    EXPECT_FALSE(item->isChecked());
    QApplication::setActiveWindow(window.get());
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    QTest::keyClick(window.get(), Qt::Key_F, Qt::AltModifier);
    auto *menu = window->findChild<QMenu *>(QStringLiteral("MenuFile"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return menu->isVisible(); }));
    QTest::keySequence(menu, QKeySequence::mnemonic(item->text()));
    EXPECT_TRUE(item->isChecked());
    ASSERT_TRUE(m_module.GiriCutOff->SetValue(2500));
    PressF3(*window, Qt::Key_Escape);
    EXPECT_EQ(CutOffByte(), saved);
    EXPECT_EQ(status(*window), m_module.Text(221).arg(67).arg(0));
  }
  auto window = Open(false);
  EXPECT_TRUE(window->findChild<QAction *>(QStringLiteral("ActionWriteEveryValue"))->isChecked());
}

// The status line after F3 counts the file's values as the comparison listed
// them, and what the load wrote besides as following from them.
TEST_F(LoadCommand, StatusBarCountsTheFileValuesAsTheComparisonListedThem) {
  auto window = Open(true);
  ASSERT_TRUE(m_module.SaveConfiguration(File()));
  const std::int32_t savedFlags = m_module.FLAG_GONFIGURAZIONE->GetIntValue();
  ASSERT_TRUE(m_module.FLAG_GONFIGURAZIONE->SetValue(savedFlags | 5)); // full throttle and cut-off on
  ASSERT_TRUE(m_module.TIPO_ACCENSIONE->SetValue(2));
  const auto shown = PressF3(*window, Qt::Key_Return);
  ASSERT_TRUE(shown);
  const int rows = static_cast<int>(shown->Rows.size());
  EXPECT_GE(rows, 3) << "two switches and the ignition type";
  std::int32_t flags = -1;
  ASSERT_TRUE(m_module.NoxConnection->ProtocolObject()->ReadAtAddress(0, 162, &flags));
  EXPECT_EQ(flags, savedFlags) << "the switches reached the unit";
  const QString status = window->findChild<QLabel *>(QStringLiteral("StatusPanel1"))->toolTip();
  QList<int> counts;
  for (const QRegularExpressionMatch &number : QRegularExpression(QStringLiteral("\\d+")).globalMatch(status))
    counts << number.captured().toInt();
  ASSERT_EQ(counts.size(), 3) << status.toStdString();
  EXPECT_EQ(status, m_module.Text(342).arg(rows).arg(counts[1]).arg(counts[2]));
  EXPECT_EQ(counts[0], rows) << Listed(shown->Rows, {});
  // Each of the file's 67 values is counted once: the two switches are one
  // value of the file.
  EXPECT_EQ(rows - 1 + counts[1] + counts[2], 67) << status.toStdString();
}

namespace {

// A file opened from the desktop: a second start hands it to the running
// program through the inbox; the program connects and always shows the
// comparison (even with it turned off), so nothing is written without
// Enter; a file that is none of ours is said before any connect.
TEST_F(LoadCommand, AFileFromTheDesktopIsHandedOverConnectsAndIsAlwaysCompared) {
  auto window = Open(false);
  ASSERT_TRUE(m_module.SaveConfiguration(File()));
  ASSERT_TRUE(m_module.GiriCutOff->SetValue(2500));
  const int changed = CutOffByte();
  m_module.NoxConnection->ProtocolObject()->Disconnect();
  QCoreApplication::processEvents(); // the main window hears the line go down

  const QString folder = m_folder.filePath(QStringLiteral("inbox"));
  DesktopInbox running(folder), second(folder);
  ASSERT_TRUE(running.Claim());
  EXPECT_FALSE(second.Claim()) << "one program takes the files";
  QObject::connect(&running, &DesktopInbox::FileArrived, window.get(), &TFormMain::OpenFromDesktop);

  struct Case {
    const char *Name;
    QByteArray Garbage; // empty: the saved configuration
    Qt::Key Answer;
    bool Loaded;
  };
  for (const Case &c : {Case{"garbage", QByteArray(300, 'Z'), Qt::Key_Return, false},
                        Case{"escaped", {}, Qt::Key_Escape, false}, Case{"entered", {}, Qt::Key_Return, true}}) {
    SCOPED_TRACE(c.Name);
    QString file = File();
    if (!c.Garbage.isEmpty()) {
      file = m_folder.filePath(QStringLiteral("mail attachment.kfg"));
      QFile garbage(file);
      ASSERT_TRUE(garbage.open(QIODevice::WriteOnly));
      garbage.write(c.Garbage);
    }
    m_ui.Messages.clear();
    DialogAnswer answerer(c.Answer, false);
    ASSERT_TRUE(second.HandOver(file));
    ASSERT_TRUE(QTest::qWaitFor([&] { return answerer.Shown.has_value() || !m_ui.Messages.isEmpty(); }, 10000));
    EXPECT_EQ(answerer.Shown.has_value(), c.Garbage.isEmpty()) << "compared although turned off";
    EXPECT_EQ(m_ui.Messages.size(), c.Garbage.isEmpty() ? 0 : 1);
    if (!c.Garbage.isEmpty()) {
      EXPECT_TRUE(m_ui.Messages.front().Text.contains(QDir::toNativeSeparators(file)));
      EXPECT_FALSE(m_module.NoxConnection->ProtocolObject()->IsConnected()) << "no connect for a file none of ours";
      continue;
    }
    EXPECT_TRUE(m_module.NoxConnection->ProtocolObject()->IsConnected());
    EXPECT_EQ(CutOffByte() != changed, c.Loaded);
  }
}

} // namespace

// The check boxes from the keyboard: Ctrl+Shift+A unticks every row (and
// nothing is left to load), Ctrl+A ticks them all, Space turns the current
// row and the rows that go with it, Enter loads only the ticked values.
TEST_F(LoadCommand, KeysTickTheRowsAndEnterLoadsOnlyTheTickedValues) {
  auto window = Open(true);
  ASSERT_TRUE(m_module.SaveConfiguration(File()));
  auto byte = [this](int address) {
    std::int32_t value = -1;
    m_module.NoxConnection->ProtocolObject()->ReadAtAddress(0, address, &value);
    return value;
  };
  const int fileCutOff = byte(204), fileOverlap = byte(216);
  ASSERT_TRUE(m_module.GiriCutOff->SetValue(2500));
  ASSERT_TRUE(m_module.TEMPO_SOVRAPPOSIZIONE->SetValue(0.6));
  ASSERT_TRUE(m_module.RITARDO_LETTURA_SONDA->SetValue(10));
  const int unitOverlap = byte(216), unitDelay = byte(205);
  ASSERT_NE(unitOverlap, fileOverlap);

  bool shown = false;
  QTimer poll;
  QObject::connect(&poll, &QTimer::timeout, [&] {
    auto *dialog = qobject_cast<TFormCompare *>(QApplication::activeModalWidget());
    if (!dialog)
      return;
    poll.stop();
    shown = true;
    // The dialog's keys are shortcuts: they work once its window is active,
    // which a slow machine (the sanitizers) may take a moment to make it.
    ASSERT_TRUE(QTest::qWaitForWindowActive(dialog));
    QTableWidget *table = dialog->Table();
    ASSERT_EQ(table->rowCount(), 3);
    auto ticked = [&] {
      QList<bool> rows;
      for (int row = 0; row < table->rowCount(); ++row)
        rows << dialog->RowChosen(row);
      return rows;
    };
    int cutOffRow = -1;
    for (int row = 0; row < table->rowCount(); ++row)
      if (table->item(row, 0)->text() == ComparisonRows::CaptionOf(m_module, *m_module.GiriCutOff))
        cutOffRow = row;
    ASSERT_GE(cutOffRow, 0);
    EXPECT_TRUE(table->item(cutOffRow, 3)->text().contains(ComparisonRows::CaptionOf(m_module, *m_module.TIPO_ACCENSIONE)))
        << "the row says why the ignition type loads with it";
    EXPECT_EQ(ticked(), (QList<bool>{true, true, true}));
    QTest::keyClick(table, Qt::Key_A, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(ticked(), (QList<bool>{false, false, false}));
    EXPECT_FALSE(dialog->LoadButton()->isEnabled());
    QTest::keyClick(table, Qt::Key_A, Qt::ControlModifier);
    EXPECT_EQ(ticked(), (QList<bool>{true, true, true}));
    QTest::keyClick(table, Qt::Key_A, Qt::ControlModifier | Qt::ShiftModifier);
    // Down to the cut-off row, Space twice turns it on and off, once more on.
    for (int row = 0; row < cutOffRow; ++row)
      QTest::keyClick(table, Qt::Key_Down);
    QTest::keyClick(table, Qt::Key_Space);
    EXPECT_TRUE(dialog->RowChosen(cutOffRow));
    QTest::keyClick(table, Qt::Key_Space);
    EXPECT_FALSE(dialog->RowChosen(cutOffRow));
    QTest::keyClick(table, Qt::Key_Space);
    QList<bool> onlyCutOff{false, false, false};
    onlyCutOff[cutOffRow] = true;
    EXPECT_EQ(ticked(), onlyCutOff);
    EXPECT_TRUE(dialog->LoadButton()->isEnabled());
    QTest::keyClick(table, Qt::Key_Return);
  });
  poll.start(10);
  window->findChild<QAction *>(QStringLiteral("ActionCaricaFile"))->trigger();
  ASSERT_TRUE(shown);
  EXPECT_EQ(byte(204), fileCutOff) << "the ticked value came from the file";
  EXPECT_EQ(byte(216), unitOverlap) << "an unticked value stays as the unit had it";
  EXPECT_EQ(byte(205), unitDelay);
  EXPECT_EQ(m_module.GiriCutOff->GetValue(), 1500);
}
