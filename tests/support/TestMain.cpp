#include <QCoreApplication>
#include <gtest/gtest.h>

// Data items send Qt events and the connection posts them, so every test
// binary runs with an application object, like the program.
int main(int argc, char **argv) {
  QCoreApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
