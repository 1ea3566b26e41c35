#pragma once
// Real windows on the simulated unit: the data module as the program builds
// it, with the language library beside the test binary, and the unit's own
// memory to check what reached it.
#include "WindowsFixture.h"
#include "dataitems/TNoxConnection.h"
#include "ecuconfig/TSerialDataModule.h"
#include "support/RecordingUserInterface.h"
#include "translator/TTranslator.h"

#include <QCoreApplication>
#include <QTest>
#include <QWidget>

namespace window_test {

// Records like its base and answers the yes/no question as told.
class AnsweringUserInterface : public RecordingUserInterface {
public:
  bool AskYesNo(const QString &text, const QString &title) override {
    Questions << text + QStringLiteral(" | ") + title;
    return Answer;
  }
  bool Answer = false;
  QStringList Questions;
};

// Shows a window and waits until it is the active one, so keys reach it.
inline void ShowActive(QWidget *window) {
  window->show();
  window->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(window));
}

// A named element of a window; a missing one fails the test.
template <typename T> T *ChildOf(const QWidget *window, const char *name) {
  T *child = window->findChild<T *>(QLatin1String(name));
  EXPECT_NE(child, nullptr) << name;
  return child;
}

class SimulatedUnitWindowFixture : public WindowsFixture {
protected:
  void SetUp() override {
    WindowsFixture::SetUp();
    Module.Translator->SetDllName(QCoreApplication::applicationDirPath() + QStringLiteral("/Languages.dll"));
    Module.Translator->LoadLanguageLibrary();
  }

  void Connect() {
    ASSERT_EQ(Module.ConnectAndReadAll(4, 0), 0);
    ASSERT_TRUE(Module.NoxConnection->ProtocolObject()->IsConnected());
  }
  // What the unit holds, read past every cache.
  int UnitByte(int address) {
    std::int32_t value = -1;
    NoxProtocolObject *unit = Module.NoxConnection->ProtocolObject();
    EXPECT_TRUE(unit && unit->ReadAtAddress(0, address, &value)) << "address " << address;
    return value;
  }
  void SetUnitByte(int address, int value) {
    ASSERT_TRUE(Module.NoxConnection->ProtocolObject()->WriteAtAddress(0, address, value));
  }

  AnsweringUserInterface Ui; // answers in place of the fixture's recorder
  TSerialDataModule Module;
};

} // namespace window_test
