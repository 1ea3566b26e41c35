#include "WindowsFixture.h"
#include "dataitems/TNoxConnection.h"
#include "ecuconfig/TSerialDataModule.h"
#include "support/WaitFor.h"
#include "windows/ConfigurationFolder.h"
#include "windows/TAboutBox.h"
#include "windows/TFormMain.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QLabel>
#include <QMessageBox>
#include <QRegularExpression>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <fcntl.h>
#include <sys/resource.h>
#include <unistd.h>
#include <vector>

namespace {

QByteArray Contents(const QString &fileName) {
  QFile file(fileName);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

void Write(const QString &fileName, const QByteArray &bytes) {
  QFile file(fileName);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  file.write(bytes);
}

// Takes every free file descriptor, so that the next open fails for real.
class NoFreeDescriptors {
public:
  NoFreeDescriptors() {
    getrlimit(RLIMIT_NOFILE, &m_saved);
    rlimit low = m_saved;
    low.rlim_cur = 256;
    setrlimit(RLIMIT_NOFILE, &low);
    for (int fd; (fd = open("/dev/null", O_RDONLY)) >= 0;)
      m_taken.push_back(fd);
  }
  ~NoFreeDescriptors() {
    for (int fd : m_taken)
      close(fd);
    setrlimit(RLIMIT_NOFILE, &m_saved);
  }

private:
  rlimit m_saved{};
  std::vector<int> m_taken;
};

class SaveTest : public WindowsFixture {
protected:
  void SetUp() override {
    WindowsFixture::SetUp();
    TFormMainOptions options;
    options.ShowSplash = false;
    options.CompareBeforeLoad = false; // its own tests answer the comparison
    m_window = std::make_unique<TFormMain>(m_module, options);
    m_window->show();
    m_window->findChild<QAction *>(QStringLiteral("ActionConnect"))->trigger();
    ASSERT_TRUE(m_module.NoxConnection->ProtocolObject()->IsConnected());
    m_file = m_folder.filePath(QStringLiteral("car.kfg"));
    m_backup = m_folder.filePath(QStringLiteral("car.OLD"));
    m_window->ChooseFile = [this](TFormMain::FileDialog, const QString &, const QString &) { return m_file; };
  }
  bool IsConfiguration(const QString &fileName) {
    QByteArray block;
    return m_module.DecryptFile(fileName, block) && block.contains("[CONFIGURAZIONE]");
  }
  void Save() { m_window->findChild<QAction *>(QStringLiteral("ActionSalvaFile"))->trigger(); }

  TSerialDataModule m_module;
  std::unique_ptr<TFormMain> m_window;
  QTemporaryDir m_folder;
  QString m_file;
  QString m_backup;
};

TEST_F(SaveTest, ExistingFileBecomesTheBackup) {
  Write(m_file, "previous");
  Save();
  EXPECT_EQ(Contents(m_backup), QByteArray("previous"));
  EXPECT_TRUE(IsConfiguration(m_file));
  EXPECT_TRUE(m_ui.Messages.isEmpty());
}

TEST_F(SaveTest, OlderBackupIsKeptAndTheFileOverwritten) {
  Write(m_file, "previous");
  Write(m_backup, "older");
  Save();
  EXPECT_EQ(Contents(m_backup), QByteArray("older"));
  EXPECT_TRUE(IsConfiguration(m_file));
}

TEST_F(SaveTest, FailedSavePutsTheBackupBack) {
  Save(); // once first, so that nothing the save needs is still to be created
  ASSERT_TRUE(QFile::remove(m_file));
  Write(m_file, "previous");
  m_ui.Messages.clear();
  {
    NoFreeDescriptors exhausted;
    Save();
  }
  EXPECT_EQ(Contents(m_file), QByteArray("previous"));
  EXPECT_FALSE(QFile::exists(m_backup));
  ASSERT_FALSE(m_ui.Messages.isEmpty());
  // The file is there and could be replaced: the message says what failed.
  // The system's reason comes in the fitter's language too, from Qt's own
  // translation.
  EXPECT_EQ(m_ui.Messages.last().Text, m_module.Text(202).arg(m_file, QStringLiteral("Troppi file aperti")))
      << m_ui.Messages.last().Text.toStdString();
}

// F2 says where the file went, and the next start's dialogs for
// configurations open in that folder; the other kinds keep their own.
TEST_F(SaveTest, SavingSaysWhereTheFileWentAndTheFolderIsRememberedForItsKind) {
  QStringList folders;
  const auto answer = [this, &folders](TFormMain::FileDialog, const QString &folder, const QString &) {
    folders << folder;
    return m_file;
  };
  m_window->ChooseFile = answer;
  const QString programFolder = m_window->InitialFileFolder();
  Save();
  ASSERT_TRUE(IsConfiguration(m_file));
  EXPECT_EQ(m_window->findChild<QLabel *>(QStringLiteral("StatusPanel1"))->toolTip(),
            m_module.Text(344).arg(QDir::toNativeSeparators(m_file)));

  TFormMainOptions options;
  options.ShowSplash = false;
  m_window.reset(); // the settings are written when the window goes
  m_window = std::make_unique<TFormMain>(m_module, options);
  m_window->ChooseFile = answer;
  Save();
  ASSERT_EQ(folders.size(), 2);
  EXPECT_EQ(folders[0], programFolder);
  EXPECT_EQ(QDir(folders[1]).canonicalPath(), QDir(m_folder.path()).canonicalPath());
  EXPECT_EQ(m_window->Folders().For(LastFolders::Kind::Reports), programFolder);
}

TEST_F(SaveTest, LoadWritesTheFileToTheUnit) {
  Save();
  ASSERT_TRUE(IsConfiguration(m_file));
  m_ui.Events.clear();
  m_window->findChild<QAction *>(QStringLiteral("ActionCaricaFile"))->trigger();
  EXPECT_TRUE(m_ui.Events.contains(QStringLiteral("BeginWait(96,94)")));
  EXPECT_TRUE(m_ui.Messages.isEmpty());
}

// F2 and Enter, twice, through Qt's own save dialog, as the fitter saves the
// second car: no question about replacing the file, the first file becomes
// the ".OLD" copy.
class SaveDialogTest : public WindowsFixture {};

TEST_F(SaveDialogTest, SavingTwiceUnderTheProposedNameKeepsTheFirstAsOld) {
  QTemporaryDir program;
  TSerialDataModule module;
  TFormMainOptions options;
  options.ExecutableFolder = program.path();
  options.ShowSplash = false;
  TFormMain window(module, options);
  window.show();
  QApplication::setActiveWindow(&window);
  ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
  int accepted = 0;
  bool pressing = false;
  QStringList questions;
  QTimer answer;
  QObject::connect(&answer, &QTimer::timeout, [&] {
    QWidget *modal = QApplication::activeModalWidget();
    if (auto *box = qobject_cast<QMessageBox *>(modal)) {
      questions << box->text();
      box->done(QMessageBox::No);
    } else if (auto *dialog = qobject_cast<QFileDialog *>(modal); dialog && !pressing) {
      if (!questions.isEmpty()) {
        dialog->reject();
        return;
      }
      ++accepted;
      pressing = true;
      QWidget *focus = QApplication::focusWidget();
      QWidget *target = focus && dialog->isAncestorOf(focus) ? focus : dialog;
      // Pressed outside this timer's own call, so that a question the key
      // brings up finds the timer running.
      QTimer::singleShot(0, target, [target, &pressing] {
        QTest::keyClick(target, Qt::Key_Return);
        pressing = false;
      });
    }
  });
  answer.start(20);
  const QString file = program.filePath(QStringLiteral("Configuration/0.kfg"));
  QTest::keyClick(&window, Qt::Key_F2);
  const QByteArray first = Contents(file);
  ASSERT_NE(first, QByteArray("<missing>"));
  // The second time with the F2 button: which window the closing wait window
  // leaves active is the window manager's business, not this test's.
  QTest::mouseClick(window.findChild<QWidget *>(QStringLiteral("BitBtnSalvaFile")), Qt::LeftButton);
  answer.stop();
  EXPECT_TRUE(questions.isEmpty()) << questions.join(QLatin1Char('\n')).toStdString();
  EXPECT_EQ(accepted, 2);
  EXPECT_EQ(Contents(program.filePath(QStringLiteral("Configuration/0.OLD"))), first);
  const QByteArray second = Contents(file);
  EXPECT_TRUE(second.startsWith("ENCRYPTED_FILE_V_01.00"));
  EXPECT_NE(second, first) << "a new envelope under the proposed name";
}

TEST(ConfigurationFolderTest, FallsBackToDocumentsWhenTheProgramFolderIsClosed) {
  QTemporaryDir root;
  const QString program = root.filePath(QStringLiteral("program"));
  ASSERT_TRUE(QDir().mkpath(program));
  EXPECT_EQ(ConfigurationFolder::Initial(program), program + QStringLiteral("/Configuration"));
  EXPECT_TRUE(QFileInfo(program + QStringLiteral("/Configuration")).isDir());

  // A folder below a plain file can never be created.
  const QString blocked = root.filePath(QStringLiteral("file"));
  Write(blocked, "x");
  const QString documents = root.filePath(QStringLiteral("documents"));
  EXPECT_EQ(ConfigurationFolder::Initial(blocked, documents), documents + QStringLiteral("/Configuration"));
  EXPECT_TRUE(QFileInfo(documents + QStringLiteral("/Configuration")).isDir());
}

// Runs the about box of a window and hands it to check before closing it.
void WithAboutBox(TFormMain &window, const std::function<void(TAboutBox &)> &check) {
  bool seen = false;
  QTimer::singleShot(0, [&] {
    ASSERT_TRUE(WaitFor([] { return QApplication::activeModalWidget() != nullptr; }));
    auto *about = qobject_cast<TAboutBox *>(QApplication::activeModalWidget());
    ASSERT_NE(about, nullptr);
    seen = true;
    check(*about);
    about->accept();
  });
  window.findChild<QAction *>(QStringLiteral("ActionAbout"))->trigger();
  EXPECT_TRUE(seen);
}

class ResourcesTest : public WindowsFixture {
protected:
  TSerialDataModule m_module;
};

TEST_F(ResourcesTest, AboutBoxShowsCaptionVersionAndPicture) {
  TFormMainOptions options;
  options.ShowSplash = false;
  options.Version = QStringLiteral("1.2.3");
  TFormMain window(m_module, options);
  window.show();
  WithAboutBox(window, [&](TAboutBox &about) {
    EXPECT_EQ(about.windowTitle(), window.windowTitle());
    EXPECT_EQ(about.ProductName->text(), window.windowTitle());
    EXPECT_EQ(about.Version->text(), m_module.Text(147) + QStringLiteral(" 1.2.3 "));
    EXPECT_FALSE(about.AboutImage->pixmap().isNull());
    EXPECT_EQ(about.Comments->text(), m_module.Text(201));
  });
  TAboutBox unversioned(nullptr, QStringLiteral("X"), QStringLiteral("Version"), QString(), QPixmap());
  EXPECT_EQ(unversioned.Version->text(), QStringLiteral("Version not available "));
}

TEST_F(ResourcesTest, WithoutTheResourceLibraryThereAreNoPicturesAndNoMessage) {
  QApplication::setWindowIcon(QIcon());
  QTemporaryDir bare; // neither the resource nor the language library
  TFormMainOptions options;
  options.ExecutableFolder = bare.path();
  options.ShowSplash = false;
  TFormMain window(m_module, options);
  window.show();
  EXPECT_FALSE(window.ResourceLibrary().Loaded());
  EXPECT_TRUE(QApplication::windowIcon().isNull());
  const auto buttons =
      window.findChildren<QToolButton *>(QRegularExpression(QStringLiteral("^ButtonLingua")));
  ASSERT_EQ(buttons.size(), 1); // one language without the language library
  EXPECT_TRUE(buttons[0]->icon().isNull());
  WithAboutBox(window, [](TAboutBox &about) { EXPECT_TRUE(about.AboutImage->pixmap().isNull()); });
  EXPECT_TRUE(m_ui.Messages.isEmpty());
}

} // namespace
