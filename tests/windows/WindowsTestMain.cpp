#include "windows/NoxApplication.h"

#include <QSettings>
#include <QTemporaryDir>
#include <gtest/gtest.h>

// Widgets need an application object. Settings and the simulated unit's memory go to
// a folder of this run, so tests never touch the user's own.
int main(int argc, char **argv) {
  QTemporaryDir home;
  qputenv("XDG_CONFIG_HOME", home.filePath(QStringLiteral("config")).toLocal8Bit());
  qputenv("XDG_STATE_HOME", home.filePath(QStringLiteral("state")).toLocal8Bit());
  qputenv("XDG_DATA_HOME", home.filePath(QStringLiteral("data")).toLocal8Bit());
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
    qputenv("QT_QPA_PLATFORM", "offscreen"); // also when ctest lists the tests
  NoxApplication app(argc, argv);            // the program's own, so its exception handling is tested too
  QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, home.filePath(QStringLiteral("config")));
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
