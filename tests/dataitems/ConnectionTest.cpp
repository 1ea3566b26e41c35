#include "support/FakeConnection.h"
#include "support/RecordingUserInterface.h"

#include "platform/UserAction.h"

#include <gtest/gtest.h>
#include <memory>
#include <vector>

namespace {

struct VersionCase {
  const char *dllName;
  std::uint32_t major;
  bool accepted;
};

class LibraryVersionTest : public ::testing::TestWithParam<VersionCase> {};

TEST_P(LibraryVersionTest, RequiredMajorVersionDependsOnTheExactName) {
  const auto c = GetParam();
  RecordingUserInterface ui;
  FakeConnection fake;
  fake.Connection.SetDllName(QString::fromLatin1(c.dllName));
  fake.State->Major = c.major;
  EXPECT_EQ(fake.Connection.LoadProtocolLibrary(), c.accepted);
  EXPECT_EQ(fake.Connection.Loaded(), c.accepted);
  EXPECT_EQ(ui.Messages.size(), c.accepted ? 0 : 1);
}

INSTANTIATE_TEST_SUITE_P(
    Names, LibraryVersionTest,
    ::testing::Values(VersionCase{"SerNoxDL.dll", 4, false}, VersionCase{"SerNoxDL.dll", 5, true},
                      VersionCase{"SerNoxDL.dll", 0xFFFFFFFFu, true}, VersionCase{"sernoxdl.dll", 1, true},
                      VersionCase{"ProtoNOX.dll", 1, true}, VersionCase{"ProtoNOX.dll", 0, false}));

enum class Missing { File, Create, Destroy, Version, VersionFails, NoObject };

class LibraryRefusalTest : public ::testing::TestWithParam<Missing> {};

TEST_P(LibraryRefusalTest, IsRefusedWithTheSameMessageAndNotKept) {
  RecordingUserInterface ui;
  FakeConnection fake;
  auto &state = *fake.State;
  switch (GetParam()) {
  case Missing::File:
    state.FileExists = false;
    break;
  case Missing::Create:
    state.HasCreate = false;
    break;
  case Missing::Destroy:
    state.HasDestroy = false;
    break;
  case Missing::Version:
    state.HasVersion = false;
    break;
  case Missing::VersionFails:
    state.VersionOk = false;
    break;
  case Missing::NoObject:
    state.Prepare = nullptr;
    break;
  }
  if (GetParam() == Missing::NoObject) {
    // A library whose create entry hands back nothing.
    class NullLoader final : public ProtocolLibraryLoader {
    public:
      bool Load(const QString &, ProtocolEntryPoints &entries) override {
        entries.CreateClassInstance = [] { return static_cast<NoxProtocolObject *>(nullptr); };
        entries.DestroyClassInstance = [](NoxProtocolObject *) {};
        entries.GetDLLVersion = [](NoxDllVersion *v) {
          *v = {1, 0, 0, 0};
          return true;
        };
        return true;
      }
      void Unload() override { ++Unloads; }
      int Unloads = 0;
    };
    fake.Connection.SetLibraryLoader(std::make_unique<NullLoader>());
  }
  EXPECT_FALSE(fake.Connection.LoadProtocolLibrary());
  EXPECT_FALSE(fake.Connection.Loaded());
  EXPECT_EQ(fake.Connection.ProtocolObject(), nullptr);
  ASSERT_EQ(ui.Messages.size(), 1);
  EXPECT_EQ(ui.Messages[0].Text, QStringLiteral("SER dll not found or out of date!"));
  EXPECT_EQ(ui.Messages[0].Title, QStringLiteral("Connection"));
  EXPECT_EQ(ui.Messages[0].Icon, MessageIcon::Error);
  if (GetParam() != Missing::File && GetParam() != Missing::NoObject) {
    EXPECT_EQ(state.Unloads, 1) << "a refused library is unloaded again";
    EXPECT_EQ(state.Creates, 0);
  }
  {
    const UserAction next; // the fitter's next command tries again and says so again
    EXPECT_FALSE(fake.Connection.LoadProtocolLibrary());
  }
  EXPECT_EQ(ui.Messages.size(), 2) << "nothing remembers the earlier failure";
}

INSTANTIATE_TEST_SUITE_P(Causes, LibraryRefusalTest,
                         ::testing::Values(Missing::File, Missing::Create, Missing::Destroy, Missing::Version,
                                           Missing::VersionFails, Missing::NoObject));

// One command touches every item, and every item asks for the library: each
// attempt loads again (a library copied in meanwhile is found), but the
// failure is said once per user action. The steps run in one connection's life.
enum class Scope { Stay, Begin, End, Next };

struct ActionStep {
  const char *what;
  Scope scope; // what happens to the user actions before the attempt
  bool fileExists;
  int messagesAfter;
};

TEST(Connection, LoadFailureIsSaidOncePerUserAction) {
  const ActionStep steps[] = {
      {"start-up, first item", Scope::Stay, false, 1},
      {"start-up, every further item", Scope::Stay, false, 1},
      {"a command", Scope::Begin, false, 2},
      {"the command's next item", Scope::Stay, false, 2},
      {"a key in the command's message box", Scope::Begin, false, 3},
      {"the command goes on after the box", Scope::End, false, 3},
      {"after the command, outside every action", Scope::End, false, 3},
      {"the next command", Scope::Begin, false, 4},
      {"the library was copied in before this command", Scope::Next, true, 4},
  };
  RecordingUserInterface ui;
  FakeConnection fake;
  std::vector<std::unique_ptr<UserAction>> open; // innermost last
  int attempts = 0;
  for (const ActionStep &step : steps) {
    if (step.scope == Scope::End || step.scope == Scope::Next)
      open.pop_back();
    if (step.scope == Scope::Begin || step.scope == Scope::Next)
      open.push_back(std::make_unique<UserAction>());
    fake.State->FileExists = step.fileExists;
    EXPECT_EQ(fake.Connection.LoadProtocolLibrary(), step.fileExists) << step.what;
    EXPECT_EQ(fake.State->Loads, ++attempts) << step.what << ": every attempt loads again";
    EXPECT_EQ(ui.Messages.size(), step.messagesAfter) << step.what;
  }
  for (const auto &message : ui.Messages)
    EXPECT_EQ(message.Text, TNoxConnection::LoadFailedText());
}

TEST(Connection, LoadsOnceAndChecksTheVersionOnce) {
  FakeConnection fake;
  EXPECT_TRUE(fake.Connection.LoadProtocolLibrary());
  EXPECT_TRUE(fake.Connection.LoadProtocolLibrary());
  EXPECT_EQ(fake.State->Loads, 1);
  EXPECT_EQ(fake.State->VersionChecks, 1);
  EXPECT_EQ(fake.State->Creates, 1);
  EXPECT_NE(fake.Connection.ProtocolObject(), nullptr);
}

TEST(Connection, DllNameIsFrozenWhileLoaded) {
  FakeConnection fake;
  EXPECT_EQ(fake.Connection.DllName(), QStringLiteral("ProtoNox.dll"));
  fake.Connection.SetDllName(QStringLiteral("ProtoNOX.dll"));
  fake.Connection.LoadProtocolLibrary();
  fake.Connection.SetDllName(QStringLiteral("Other.dll"));
  fake.Connection.FreeProtocolLibrary();
  EXPECT_EQ(fake.Connection.DllName(), QStringLiteral("ProtoNOX.dll"));
}

struct UnloadCase {
  bool connected;
  const char *expectedCall;
  const char *unexpectedCall;
};

class UnloadTest : public ::testing::TestWithParam<UnloadCase> {};

TEST_P(UnloadTest, EndsTheLineUnderTheLockThenDestroys) {
  const auto c = GetParam();
  FakeConnection fake;
  auto &object = fake.Object();
  object.Connected = c.connected;
  QStringList calls;
  object.OnCall = [&](const QString &) { calls = object.Calls; };
  fake.Connection.FreeProtocolLibrary();
  EXPECT_TRUE(calls.contains(QStringLiteral("IsConnected() lock=1")));
  EXPECT_TRUE(calls.contains(QString::fromLatin1(c.expectedCall) + QStringLiteral(" lock=1")));
  for (const QString &call : calls)
    EXPECT_FALSE(call.startsWith(QString::fromLatin1(c.unexpectedCall)));
  EXPECT_EQ(fake.State->Destroys, 1);
  EXPECT_EQ(fake.State->Unloads, 1);
  EXPECT_FALSE(fake.Connection.Loaded());
  EXPECT_EQ(fake.Connection.ProtocolObject(), nullptr);
  EXPECT_EQ(fake.Connection.Lock().Depth(), 0);
}

INSTANTIATE_TEST_SUITE_P(States, UnloadTest,
                         ::testing::Values(UnloadCase{true, "Disconnect()", "Release"},
                                           UnloadCase{false, "Release()", "Disconnect"}));

TEST(Connection, UnloadWhileUnloadedDoesNothing) {
  FakeConnection fake;
  fake.Connection.FreeProtocolLibrary();
  EXPECT_EQ(fake.State->Loads, 0);
  EXPECT_EQ(fake.State->Unloads, 0);
  EXPECT_EQ(fake.State->Destroys, 0);
}

TEST(Connection, DestructionUnloads) {
  auto state = std::make_shared<FakeProtocolLibrary::State>();
  {
    TNoxConnection connection;
    connection.SetLibraryLoader(std::make_unique<FakeProtocolLibrary>(state));
    connection.LoadProtocolLibrary();
  }
  EXPECT_EQ(state->Destroys, 1);
  EXPECT_EQ(state->Unloads, 1);
}

TEST(Lock, IsReentrant) {
  ReentrantLock lock;
  lock.lock();
  EXPECT_TRUE(lock.try_lock());
  EXPECT_EQ(lock.Depth(), 2);
  lock.unlock();
  lock.unlock();
  EXPECT_EQ(lock.Depth(), 0);
}

} // namespace
