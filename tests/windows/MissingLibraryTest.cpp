// A protocol library that is missing or too old, met the way the fitter meets
// it: start-up and each command (real keys) say so once, every command tries
// to load it again, and a library copied in meanwhile is found.
#include "WindowsFixture.h"
#include "dataitems/TNoxConnection.h"
#include "ecuconfig/TSerialDataModule.h"
#include "support/CaseName.h"
#include "windows/TFormConfig.h"
#include "windows/TFormMain.h"

#include <QApplication>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <algorithm>
#include <QTimer>

namespace {

struct LibraryCase {
  const char *name;
  const char *installed; // copied in as the protocol library before start-up; null: none there
};

class MissingLibraryTest : public WindowsFixture, public ::testing::WithParamInterface<LibraryCase> {
protected:
  QString Beside(const char *file) const {
    return QCoreApplication::applicationDirPath() + QLatin1Char('/') + QLatin1String(file);
  }
  int LoadFailures() const {
    int count = 0;
    for (const auto &message : m_ui.Messages)
      count += message.Text == TNoxConnection::LoadFailedText() ? 1 : 0;
    return count;
  }
  // The data module and both windows as the program builds them at start-up,
  // with the library named by the case in a folder of the test's own.
  void Start() {
    if (GetParam().installed) {
      ASSERT_TRUE(
          QFile::copy(Beside(GetParam().installed), m_folder.filePath(QStringLiteral("libProtoNOX.so"))));
    }
    module.NoxConnection->SetDllName(m_folder.filePath(QStringLiteral("ProtoNOX.dll")));
    TFormMainOptions options;
    options.ShowSplash = false;
    options.CompareBeforeLoad = false;
    main = std::make_unique<TFormMain>(module, options);
    config = std::make_unique<TFormConfig>(module, main.get());
    config->AttachTo(*main);
    main->show();
    QApplication::setActiveWindow(main.get());
    ASSERT_TRUE(QTest::qWaitForWindowActive(main.get()));
  }

  QTemporaryDir m_folder;
  TSerialDataModule module;
  std::unique_ptr<TFormMain> main;
  std::unique_ptr<TFormConfig> config;
};

TEST_P(MissingLibraryTest, SaysSoOncePerCommand) {
  const QString file = m_folder.filePath(QStringLiteral("car.kfg"));
  Start();
  main->ChooseFile = [&](TFormMain::FileDialog, const QString &, const QString &) { return file; };
  EXPECT_EQ(LoadFailures(), 1) << "start-up";

  struct Command {
    const char *what;
    Qt::Key key;
    Qt::KeyboardModifiers modifiers;
    int says; // how many times the failure is said
  };
  // F1 comes last: its window leaves no window active behind it offscreen.
  const Command commands[] = {{"Ctrl+C", Qt::Key_C, Qt::ControlModifier, 1},
                              {"Ctrl+C again", Qt::Key_C, Qt::ControlModifier, 1},
                              // The save writes what the program holds and asks no item of the unit.
                              {"F2", Qt::Key_F2, Qt::NoModifier, 0},
                              // Not connected: F3 asks for Ctrl+C before it needs the library.
                              {"F3", Qt::Key_F3, Qt::NoModifier, 0},
                              {"F1", Qt::Key_F1, Qt::NoModifier, 1}};
  int expected = LoadFailures();
  for (const Command &command : commands) {
    if (command.key == Qt::Key_F1) {
      // The fitter closes the window with Alt+Q once it shows.
      QTimer::singleShot(300, config.get(),
                         [] { QTest::keyClick(QApplication::focusWidget(), Qt::Key_Q, Qt::AltModifier); });
    }
    QTest::keyClick(main.get(), command.key, command.modifiers);
    EXPECT_FALSE(config->isVisible()) << command.what;
    expected += command.says;
    EXPECT_EQ(LoadFailures(), expected) << command.what;
    EXPECT_FALSE(module.NoxConnection->Loaded()) << command.what;
  }
  EXPECT_TRUE(QFile::exists(file)) << "F2 went as far as saving";
  EXPECT_EQ(m_ui.Messages.size(), LoadFailures() + 1) << "nothing else is said";
  EXPECT_EQ(std::count_if(m_ui.Messages.begin(), m_ui.Messages.end(),
                          [&](const auto &message) { return message.Text == module.Text(333); }),
            1)
      << "F3 asks to connect first";
}

TEST_P(MissingLibraryTest, FindsALibraryCopiedInWhileTheProgramRuns) {
  Start();
  ASSERT_EQ(LoadFailures(), 1);
  QFile::remove(m_folder.filePath(QStringLiteral("libProtoNOX.so")));
  ASSERT_TRUE(QFile::copy(Beside("libProtoNOX.so"), m_folder.filePath(QStringLiteral("libProtoNOX.so"))));
  QTest::keyClick(main.get(), Qt::Key_C, Qt::ControlModifier);
  ASSERT_TRUE(module.NoxConnection->Loaded());
  EXPECT_TRUE(module.NoxConnection->ProtocolObject()->IsConnected());
  EXPECT_EQ(m_ui.Messages.size(), 1);
}

INSTANTIATE_TEST_SUITE_P(Libraries, MissingLibraryTest,
                         ::testing::Values(LibraryCase{"mistyped", nullptr},
                                           LibraryCase{"too_old", "variants/libProtoOldVersion.so"}),
                         CaseName<LibraryCase>);

} // namespace
