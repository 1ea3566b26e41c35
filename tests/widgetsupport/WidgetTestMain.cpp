#include <QApplication>
#include <QTemporaryDir>
#include <gtest/gtest.h>

// Widget tests need a QApplication where the other tests have a
// QCoreApplication; this main() stands in for the one in test_support.
// A simulated unit without a configuration keeps its memory in the state
// folder: this run gets its own.
int main(int argc, char **argv) {
  QTemporaryDir state;
  qputenv("XDG_STATE_HOME", state.path().toLocal8Bit());
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
    qputenv("QT_QPA_PLATFORM", "offscreen"); // also when ctest lists the tests
  QApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
