#include "dataitems/ConnectionStateRelay.h"
#include "support/MessageRecorder.h"

#include <QCoreApplication>
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

} // namespace
