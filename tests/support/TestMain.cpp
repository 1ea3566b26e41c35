#include <QCoreApplication>
#include <QTemporaryDir>
#include <gtest/gtest.h>

// Data items send Qt events and the connection posts them, so every test
// binary runs with an application object, like the program.
// A simulated unit without a configuration keeps its memory in the state
// folder; a run of the tests (and the programs it starts) gets its own, and
// its own data folder (the workshop history).
int main(int argc, char **argv) {
  QTemporaryDir state;
  qputenv("XDG_STATE_HOME", state.path().toLocal8Bit());
  qputenv("XDG_DATA_HOME", state.filePath(QStringLiteral("data")).toLocal8Bit());
  QCoreApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
