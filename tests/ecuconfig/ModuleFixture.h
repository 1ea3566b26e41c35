#pragma once
#include "dataitems/TNoxConnection.h"
#include "dataitems/TNoxNumber.h"
#include "dataitems/TNoxPacketData.h"
#include "ecuconfig/TSerialDataModule.h"
#include "platform/Clock.h"
#include "support/FakeProtocolObject.h"
#include "support/RecordingUserInterface.h"

#include <QList>
#include <array>
#include <cstring>
#include <functional>
#include <gtest/gtest.h>
#include <memory>

// Helpers of the data-module tests; the namespace keeps them apart from
// other test files linked into the same binary.
namespace catalogue_test {

// A clock that never blocks: sleeps only advance the tick and are recorded.
class FakeClock final : public Clock {
public:
  FakeClock() { Clock::SetCurrent(this); }
  ~FakeClock() override { Clock::SetCurrent(nullptr); }
  FakeClock(const FakeClock &) = delete;
  FakeClock &operator=(const FakeClock &) = delete;

  std::uint32_t TickCount() override { return m_tick; }
  void Sleep(std::uint32_t milliseconds) override {
    Sleeps << milliseconds;
    m_tick += milliseconds;
    if (OnSleep)
      OnSleep(milliseconds);
  }

  QList<std::uint32_t> Sleeps;
  std::function<void(std::uint32_t)> OnSleep;

private:
  std::uint32_t m_tick = 1000;
};

// The data module on a scripted fake unit: connected, memory all zero until a
// test fills it. Sleeps of the handlers cost nothing.
class ModuleFixture : public ::testing::Test {
protected:
  void SetUp() override {
    Module.NoxConnection->SetLibraryLoader(std::make_unique<FakeProtocolLibrary>(Library));
    ASSERT_TRUE(Module.NoxConnection->LoadProtocolLibrary());
    Unit = Library->Object;
    ASSERT_NE(Unit, nullptr);
    Unit->WatchedLock = &Module.NoxConnection->Lock();
  }

  // Byte at an address of the fake unit.
  std::int32_t &Byte(int address) { return Unit->Memory[static_cast<std::size_t>(address)]; }
  int WritesTo(int address) const {
    return Unit->CountOf(QStringLiteral("WriteAtAddress(0,%1,").arg(address));
  }

  // Hands a live value one status packet whose every byte is `value`.
  static void Deliver(TNoxPacketData *item, std::uint8_t value) {
    std::array<std::uint8_t, 4 + 9> buffer{};
    const std::int32_t length = 9;
    std::memcpy(buffer.data(), &length, sizeof length);
    for (std::size_t i = 4; i < buffer.size(); ++i)
      buffer[i] = value;
    item->ReceiveData(buffer.data());
  }

  RecordingUserInterface Ui;
  FakeClock FakeTime;
  std::shared_ptr<FakeProtocolLibrary::State> Library = std::make_shared<FakeProtocolLibrary::State>();
  TSerialDataModule Module;
  FakeProtocolObject *Unit = nullptr;
};

} // namespace catalogue_test
