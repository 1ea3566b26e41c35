#include "dataitems/TDataRefresher.h"
#include "dataitems/TNoxPacketData.h"
#include "support/FakeClock.h"
#include "support/FakeConnection.h"
#include "support/MessageRecorder.h"
#include "support/WaitFor.h"

#include <QElapsedTimer>
#include <QTest>
#include <cstring>
#include <gtest/gtest.h>
#include <stdexcept>
#include <vector>

namespace {

// Waits without processing events: the refresh thread reads on its own.
bool WaitForReads(const FakeProtocolObject &object, int reads) {
  QElapsedTimer timer;
  timer.start();
  while (object.CountOf("ReadPacket") < reads) {
    if (timer.elapsed() > 5000)
      return false;
    QThread::msleep(1);
  }
  return true;
}

// Cycles are run by hand against a hand-driven clock; the thread sleeps so
// long that it never asks for one itself.
class RefresherTest : public ::testing::Test {
protected:
  void SetUp() override {
    object = &fake.Object();
    object->Packet = {};
    for (std::uint8_t i = 0; i < 9; ++i)
      object->Packet[i] = static_cast<std::uint8_t>(10 + i);
    refresher.SetConnection(&fake.Connection);
    refresher.SetSleepTime(3600 * 1000);
    refresher.SetRunning(true);
  }

  TNoxPacketData &AddItem(int offset, int interval = 100) {
    auto *item = new TNoxPacketData(&owner);
    item->SetOffset(offset);
    item->SetDataRefresher(&refresher);
    item->SetTimeInterval(interval);
    item->SetActive(true);
    item->OnGetData = [this, item](TNoxSerialData *) { deliveries << item->Offset(); };
    return *item;
  }

  void CycleAt(std::uint32_t tick) {
    clock.Tick = tick;
    refresher.RunCycle();
  }

  FakeClock clock;
  FakeConnection fake;
  FakeProtocolObject *object = nullptr;
  QObject owner;
  TDataRefresher refresher;
  QList<int> deliveries;
};

TEST_F(RefresherTest, NineLiveValuesShareOnePacketReadPerCycle) {
  for (int offset = 0; offset < 9; ++offset)
    AddItem(offset);
  EXPECT_EQ(refresher.ElementCount(), 1);
  EXPECT_EQ(refresher.ClientCount(DATACODE_PACKET, -1), 9);
  object->Calls.clear();

  CycleAt(100);
  EXPECT_TRUE(deliveries.isEmpty()) << "due only once more than the interval has passed";
  CycleAt(101);
  EXPECT_EQ(deliveries.size(), 9);
  EXPECT_EQ(object->CountOf("ReadPacket(2048,64)"), 1);
  CycleAt(150);
  CycleAt(201);
  EXPECT_EQ(deliveries.size(), 9) << "none twice within 100 ms";
  CycleAt(202);
  EXPECT_EQ(deliveries.size(), 18);
  EXPECT_EQ(object->CountOf("ReadPacket"), 2);
  const auto *values = owner.findChildren<TNoxPacketData *>().constFirst();
  EXPECT_EQ(values->RawValue(), 10 + values->Offset());
}

TEST_F(RefresherTest, IntervalBelowTwentyIsRefused) {
  auto &item = AddItem(0, 19);
  EXPECT_EQ(item.TimeInterval(), 1000);
  item.SetTimeInterval(20);
  EXPECT_EQ(item.TimeInterval(), 20);
}

TEST_F(RefresherTest, ReRegistrationMakesTheClientDueNextCycle) {
  auto &item = AddItem(3);
  CycleAt(1000);
  EXPECT_EQ(deliveries.size(), 1);
  item.SetTimeInterval(500);
  CycleAt(1001);
  EXPECT_EQ(deliveries.size(), 2);
}

TEST_F(RefresherTest, DueNessSurvivesTheTickWrapping) {
  AddItem(0);
  CycleAt(0xFFFFFF00u);
  EXPECT_EQ(deliveries.size(), 1);
  CycleAt(0xFFFFFF00u + 50);
  CycleAt(20); // 0x114 ms later, across the wrap
  EXPECT_EQ(deliveries.size(), 2);
  CycleAt(60);
  EXPECT_EQ(deliveries.size(), 2);
}

TEST_F(RefresherTest, SignedWordAtOffsetEight) {
  auto &item = AddItem(8);
  item.SetDataLength(2);
  item.SetSigned(true);
  object->Packet[8] = 0xFE;
  object->Packet[9] = 0xFF;
  object->PacketLength = 10;
  CycleAt(500);
  EXPECT_EQ(item.RawValue(), -2);
  EXPECT_EQ(item.GetValue(), -2);
}

TEST_F(RefresherTest, ValuesBeyondTheReceivedBytesAreRefused) {
  auto &inside = AddItem(4);
  auto &outside = AddItem(8);
  object->PacketLength = 5;
  CycleAt(500);
  EXPECT_EQ(inside.RawValue(), 14);
  EXPECT_EQ(outside.RawValue(), 0);
  EXPECT_EQ(deliveries, QList<int>({4}));
  EXPECT_EQ(AddItem(300).Offset(), 0) << "an offset outside the packet area is refused";
  auto &last = AddItem(TNoxPacketData::PACKET_CAPACITY - 1);
  last.SetDataLength(2); // would end one byte beyond the packet area
  std::vector<std::uint8_t> buffer(4 + TNoxPacketData::PACKET_CAPACITY, 0xAB);
  const std::int32_t claimed = 100000;
  std::memcpy(buffer.data(), &claimed, sizeof claimed);
  last.ReceiveData(buffer.data());
  EXPECT_EQ(last.RawValue(), 0) << "never outside the packet area of the buffer";
}

TEST_F(RefresherTest, NothingHappensWhileTheUnitIsOffline) {
  AddItem(0);
  object->Connected = false;
  CycleAt(500);
  EXPECT_EQ(object->CountOf("ReadPacket"), 0);
  object->Connected = true;
  CycleAt(501);
  EXPECT_EQ(deliveries.size(), 1) << "last delivery times stayed, so it is due at once";
}

TEST_F(RefresherTest, FailedFetchIsRetriedByTheNextDueClient) {
  AddItem(1);
  AddItem(2);
  int reads = 0;
  object->OnCall = [&](const QString &call) {
    if (call.startsWith(QLatin1String("ReadPacket")))
      object->FailReads = (++reads == 1);
  };
  CycleAt(500);
  EXPECT_EQ(reads, 2);
  EXPECT_EQ(deliveries, QList<int>({2}));
}

TEST_F(RefresherTest, ControlsReceiveThePacketBuffer) {
  MessageRecorder control;
  QByteArray seen;
  control.OnMessage = [&](const NoxMessageEvent &message) {
    const auto *bytes = reinterpret_cast<const std::uint8_t *>(message.WParam());
    std::int32_t length = 0;
    std::memcpy(&length, bytes, 4);
    seen = QByteArray(reinterpret_cast<const char *>(bytes + 4), length);
  };
  refresher.RegisterItem(&control, 50, DATACODE_PACKET, -1);
  CycleAt(100);
  EXPECT_EQ(control.Received, QStringList({"PACKET_DATA"}));
  EXPECT_EQ(seen.size(), 9);
  EXPECT_EQ(seen.at(8), 18);
}

TEST_F(RefresherTest, DisabledAndUnregisteredClientsGetNothing) {
  auto &item = AddItem(0);
  item.SetActive(false);
  CycleAt(500);
  EXPECT_TRUE(deliveries.isEmpty());
  item.SetActive(true);
  CycleAt(501);
  EXPECT_EQ(deliveries.size(), 1);
  item.SetDataRefresher(nullptr);
  EXPECT_EQ(refresher.ElementCount(), 0) << "an element without clients is freed";
}

TEST_F(RefresherTest, ADeliveryMayFreeAnotherSubscriber) {
  auto &first = AddItem(0);
  auto *second = &AddItem(1);
  first.OnGetData = [&](TNoxSerialData *) {
    delete second;
    second = nullptr;
  };
  CycleAt(500);
  EXPECT_EQ(second, nullptr);
  EXPECT_EQ(refresher.ClientCount(DATACODE_PACKET, -1), 1);
}

TEST_F(RefresherTest, DirectReadTakesTheLockAroundReadAndStatus) {
  auto &item = AddItem(2);
  object->Calls.clear();
  EXPECT_TRUE(item.Reload());
  EXPECT_EQ(object->Calls, QStringList({"IsConnected() lock=0", "ReadPacket(2048,251) lock=1",
                                        "LastStatus() lock=1"}));
  EXPECT_EQ(item.RawValue(), 12);
  object->FailReads = true;
  int code = 0;
  item.OnError = [&](TNoxSerialData *, int errorCode, bool) { code = errorCode; };
  EXPECT_FALSE(item.Reload());
  EXPECT_EQ(code, -1) << "a live value has no connection of its own";
  EXPECT_EQ(item.RawValue(), 12);
}

TEST_F(RefresherTest, LocalValueAndIntegerRounding) {
  auto &item = AddItem(0);
  item.SetTransformation(ttFormula);
  item.SetCoeffs(1, 0, 0, 2);
  item.SetSigned(true);
  MessageRecorder control;
  item.AddObserver(&control);
  item.SetLocalValue(-2.5);
  EXPECT_EQ(item.RawValue(), -5);
  EXPECT_EQ(item.GetIntValue(), -3);
  item.SetLocalValue(2.5);
  EXPECT_EQ(item.GetIntValue(), 3);
  EXPECT_EQ(control.Received, QStringList({"DATA_CHANGED", "DATA_CHANGED"}));
}

TEST(RefresherLifecycle, FreedRefresherDeactivatesItsItems) {
  TNoxPacketData item;
  {
    TDataRefresher refresher;
    item.SetDataRefresher(&refresher);
    item.SetActive(true);
    EXPECT_TRUE(item.Registered());
  }
  EXPECT_EQ(item.DataRefresher(), nullptr);
  EXPECT_FALSE(item.Active());
  EXPECT_FALSE(item.Registered());
}

TEST(RefresherThread, StopsAfterItsTurnAndResumes) {
  FakeConnection fake;
  auto &object = fake.Object();
  TDataRefresher refresher;
  refresher.SetConnection(&fake.Connection);
  TNoxPacketData item;
  item.SetDataRefresher(&refresher);
  item.SetTimeInterval(20);
  item.SetActive(true);
  EXPECT_FALSE(refresher.IsRunning()) << "a new refresher is suspended";
  refresher.SetRunning(true);
  EXPECT_TRUE(refresher.IsRunning());
  EXPECT_TRUE(WaitFor([&] { return object.CountOf("ReadPacket") >= 2; })) << "cycles run on this thread";
  refresher.SetRunning(false);
  EXPECT_TRUE(WaitFor([&] { return !refresher.IsRunning(); }));
  const int reads = object.CountOf("ReadPacket");
  QTest::qWait(100);
  EXPECT_EQ(object.CountOf("ReadPacket"), reads) << "no cycle while stopped";
  refresher.SetRunning(true);
  EXPECT_TRUE(WaitFor([&] { return object.CountOf("ReadPacket") > reads; }));
}

// An exception from a handler leaves the cycle (and reaches whoever runs the
// events), yet the thread hears that the cycle is over: it can be stopped.
TEST(RefresherThread, ACycleIsCompleteEvenIfAHandlerThrows) {
  FakeConnection fake;
  fake.Object();
  TDataRefresher refresher;
  refresher.SetConnection(&fake.Connection);
  TNoxPacketData item;
  item.SetDataRefresher(&refresher);
  item.SetTimeInterval(20);
  item.SetActive(true);
  item.OnGetData = [](TNoxSerialData *) { throw std::runtime_error("handler failed"); };
  refresher.SetSleepTime(1);
  refresher.SetRunning(true);
  // Events are processed only here, never inside WaitFor, so the exception
  // always lands in this catch whichever call delivers the cycle.
  bool thrown = false;
  QElapsedTimer waited;
  waited.start();
  while (!thrown && waited.elapsed() < 5000) {
    try {
      QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    } catch (const std::runtime_error &) {
      thrown = true;
    }
    QThread::msleep(1);
  }
  EXPECT_TRUE(thrown);
  item.OnGetData = nullptr;
  refresher.SetRunning(false);
  EXPECT_TRUE(WaitFor([&] { return !refresher.IsRunning(); })) << "the thread still waits for the thrown cycle";
}

TEST(RefresherThread, StoppingBeforeTheThreadWokeLeavesItSuspended) {
  TDataRefresher refresher;
  for (int i = 0; i < 200; ++i) {
    refresher.SetRunning(true);
    refresher.SetRunning(false);
    ASSERT_TRUE(WaitFor([&] { return !refresher.IsRunning(); })) << "round " << i;
  }
}

TEST(RefresherThread, DestroyingWhileACycleIsPendingNeitherHangsNorDelivers) {
  FakeConnection fake;
  auto &object = fake.Object();
  auto item = std::make_unique<TNoxPacketData>();
  int deliveries = 0;
  item->OnGetData = [&](TNoxSerialData *) { ++deliveries; };
  {
    TDataRefresher refresher;
    refresher.SetConnection(&fake.Connection);
    item->SetDataRefresher(&refresher);
    item->SetTimeInterval(20);
    item->SetActive(true);
    refresher.SetRunning(true);
    // The thread reads on the line and queues the bytes; we never let the
    // delivery run.
    ASSERT_TRUE(WaitForReads(object, 1));
  }
  QCoreApplication::processEvents();
  EXPECT_EQ(deliveries, 0);
}

TEST(RefresherThread, ThousandCreateStartStopDestroyCyclesDoNotHang) {
  FakeConnection fake;
  fake.Object();
  QElapsedTimer timer;
  timer.start();
  for (int i = 0; i < 1000; ++i) {
    TDataRefresher refresher;
    refresher.SetConnection(&fake.Connection);
    refresher.SetSleepTime(1);
    refresher.SetRunning(true);
    if (i % 3 == 0)
      QCoreApplication::processEvents();
    if (i % 2 == 0)
      refresher.SetRunning(false);
  }
  SUCCEED() << timer.elapsed() << " ms";
}

} // namespace
