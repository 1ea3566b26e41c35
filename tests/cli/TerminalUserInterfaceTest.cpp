#include "cli/TerminalUserInterface.h"

#include <cstdio>
#include <cstdlib>
#include <gtest/gtest.h>
#if !defined(_WIN32)
#include <fcntl.h>
#include <unistd.h>
#endif

namespace {

// What a stream received, read back from a temporary file.
QString Contents(std::FILE *file) {
  std::fflush(file);
  std::rewind(file);
  QByteArray bytes;
  char buffer[512];
  std::size_t n = 0;
  while ((n = std::fread(buffer, 1, sizeof buffer, file)) > 0)
    bytes.append(buffer, static_cast<qsizetype>(n));
  return QString::fromLocal8Bit(bytes);
}

WaitRequest Reading() {
  WaitRequest request;
  request.Caption = QStringLiteral("Please wait");
  request.Label = QStringLiteral("Connecting");
  request.CompletedText = QStringLiteral("completed");
  return request;
}

TEST(TerminalUserInterface, MessagesCarryTheirTitleAndKindOneListItemPerLine) {
  std::FILE *file = std::tmpfile();
  ASSERT_NE(file, nullptr);
  {
    TerminalUserInterface ui(file);
    EXPECT_EQ(&UserInterface::Current(), &ui);
    ui.ShowMessage(QStringLiteral("SER dll not found or out of date!"), QStringLiteral("Connection"),
                   MessageIcon::Error);
    ui.ShowMessage(QStringLiteral("It was impossible to load the following data::\nA\nB\n"), QStringLiteral("File"),
                   MessageIcon::Warning);
    EXPECT_EQ(ui.Messages().size(), 2);
  }
  EXPECT_NE(&UserInterface::Current(), nullptr);
  EXPECT_EQ(Contents(file), QStringLiteral("error: Connection: SER dll not found or out of date!\n"
                                           "warning: File: It was impossible to load the following data::\n"
                                           "  A\n  B\n"));
  std::fclose(file);
}

TEST(TerminalUserInterface, NoProgressBarWhenTheStreamIsNotATerminal) {
  std::FILE *file = std::tmpfile();
  ASSERT_NE(file, nullptr);
  {
    TerminalUserInterface ui(file);
    EXPECT_FALSE(ui.ShowsProgressBar());
    ui.BeginWait(Reading());
    EXPECT_TRUE(ui.WaitVisible());
    ui.SetProgress(50, true);
    ui.EndWait();
    EXPECT_FALSE(ui.WaitVisible());
  }
  EXPECT_TRUE(Contents(file).isEmpty()) << "logs and pipes get no bar";
  std::fclose(file);
}

// A pseudo-terminal is a POSIX device.
#if !defined(_WIN32)
TEST(TerminalUserInterface, DrawsAndClearsTheBarOnATerminal) {
  const int master = posix_openpt(O_RDWR | O_NOCTTY);
  ASSERT_GE(master, 0);
  ASSERT_EQ(grantpt(master), 0);
  ASSERT_EQ(unlockpt(master), 0);
  std::FILE *terminal = std::fopen(ptsname(master), "w");
  ASSERT_NE(terminal, nullptr);
  {
    TerminalUserInterface ui(terminal);
    EXPECT_TRUE(ui.ShowsProgressBar());
    ui.BeginWait(Reading());
    ui.SetProgress(40, true);
    ui.SetProgress(100, true);
    ui.SetProgress(200, false); // the position is one byte: 300 wraps to 44
    ui.EndWait();
  }
  std::fclose(terminal);
  QByteArray seen;
  char buffer[4096];
  const int flags = fcntl(master, F_GETFL);
  fcntl(master, F_SETFL, flags | O_NONBLOCK);
  ssize_t n = 0;
  while ((n = read(master, buffer, sizeof buffer)) > 0)
    seen.append(buffer, n);
  close(master);
  const QString text = QString::fromLocal8Bit(seen);
  EXPECT_TRUE(text.contains(QStringLiteral("Connecting [############..................] 40% completed"))) << text.toStdString();
  EXPECT_TRUE(text.contains(QStringLiteral("[##############################] 100% completed")));
  EXPECT_TRUE(text.contains(QStringLiteral("[#############.................] 44% completed")));
  EXPECT_TRUE(text.endsWith(QStringLiteral("\r\033[K"))) << "the bar is cleared at the end";
}
#endif

} // namespace
