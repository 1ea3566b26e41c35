#include "dataitems/ConnectionStateRelay.h"
#include "support/MessageRecorder.h"

#include <QCoreApplication>
#include <QPointer>
#include <QSignalSpy>
#include <QThread>
#include <gtest/gtest.h>

namespace {

// The library may report the line from a thread of its own: the message must
// arrive on the relay's thread, at the target and as a signal, in order.
TEST(ConnectionStateRelay, BringsMessagesFromAnyThreadToItsOwn) {
  ConnectionStateRelay relay;
  MessageRecorder window;
  relay.SetTarget(&window);
  QSignalSpy spy(&relay, &ConnectionStateRelay::ConnectionStateChanged);
  const NoxNotifyHandle handle = *relay.Handle();

  std::unique_ptr<QThread> library(QThread::create([handle] {
    handle.post(handle.context, MSG_CONNECTION_STATE, 0, 1);
    handle.post(handle.context, MSG_CONNECTION_STATE, 0, 0);
  }));
  library->start();
  library->wait();
  EXPECT_TRUE(spy.isEmpty()) << "nothing runs before the event loop does";
  QCoreApplication::processEvents();
  ASSERT_EQ(spy.size(), 2);
  EXPECT_TRUE(spy.at(0).at(0).toBool());
  EXPECT_FALSE(spy.at(1).at(0).toBool());
  EXPECT_EQ(window.Received, QStringList({"8190", "8190"}));
}

TEST(ConnectionStateRelay, AFreedTargetIsSkipped) {
  ConnectionStateRelay relay;
  auto window = std::make_unique<MessageRecorder>();
  relay.SetTarget(window.get());
  window.reset();
  QSignalSpy spy(&relay, &ConnectionStateRelay::ConnectionStateChanged);
  relay.Handle()->post(relay.Handle()->context, MSG_CONNECTION_STATE, 0, 1);
  QCoreApplication::processEvents();
  EXPECT_EQ(spy.size(), 1);
}

// Only the line state becomes an event: other numbers would pose as Qt's own
// events (43 a meta-call, 52 a deferred delete of the relay) or lie outside
// the event type's range.
TEST(ConnectionStateRelay, DropsEveryOtherMessageNumber) {
  auto relay = std::make_unique<ConnectionStateRelay>();
  QPointer<ConnectionStateRelay> alive = relay.get();
  MessageRecorder window;
  relay->SetTarget(&window);
  QSignalSpy spy(relay.get(), &ConnectionStateRelay::ConnectionStateChanged);
  const NoxNotifyHandle handle = *relay->Handle();
  for (std::uint32_t message : {43u, 52u, 0x10000u, 0xFFFFFFFFu, MSG_DATA_CHANGED, MSG_CONNECTION_STATE})
    handle.post(handle.context, message, 0, 1);
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  QCoreApplication::processEvents();
  ASSERT_TRUE(alive) << "a posted 52 deleted the relay";
  EXPECT_EQ(spy.size(), 1);
  EXPECT_EQ(window.Received, QStringList({"8190"}));
}

} // namespace
