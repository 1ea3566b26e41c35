#include "dataitems/TNoxConnection.h"
#include "dataitems/TNoxNumber.h"
#include "platform/DynamicLibrary.h"
#include "support/RecordingUserInterface.h"

#include <QTemporaryFile>
#include <gtest/gtest.h>

namespace {

// The simulated unit as the program loads it: by logical name, beside the
// executable, through the platform loader.
class SimulatedUnitTest : public ::testing::Test {
protected:
  void SetUp() override {
    ASSERT_TRUE(config.open());
    config.write("latency_ms = 0\n");
    config.flush();
    qputenv("NOX_SIMECU_CONFIG", config.fileName().toLocal8Bit());
    connection.SetDllName(QStringLiteral("ProtoNOX.dll"));
  }
  void TearDown() override { qunsetenv("NOX_SIMECU_CONFIG"); }

  TNoxNumber &Parameter(int address, int mask) {
    auto *item = new TNoxNumber(&connection);
    item->SetByAddress(true);
    item->SetAddress(address);
    item->SetDataMask(mask);
    item->Loaded();
    item->SetConnection(&connection);
    return *item;
  }

  QTemporaryFile config;
  RecordingUserInterface ui;
  TNoxConnection connection;
};

TEST_F(SimulatedUnitTest, ReadsAndWritesAMaskedParameterKeepingTheOtherBits) {
  ASSERT_TRUE(connection.LoadProtocolLibrary()) << "libProtoNOX.so beside the test";
  ASSERT_TRUE(connection.ProtocolObject()->Connect());
  auto &ignition = Parameter(163, 0x07);
  auto &changeOver = Parameter(163, 0x18);
  auto &wholeByte = Parameter(163, 0xFF);
  EXPECT_EQ(ignition.GetValue(), 4);
  EXPECT_EQ(wholeByte.GetValue(), 0x44);
  EXPECT_TRUE(ignition.SetValue(5));
  EXPECT_TRUE(changeOver.SetValue(8)); // bits 3-4 = 1
  EXPECT_TRUE(wholeByte.Reload());
  EXPECT_EQ(wholeByte.RawValue(), 0x4D);
  EXPECT_TRUE(ui.Messages.isEmpty());
}

TEST_F(SimulatedUnitTest, UndefinedAddressIsReportedAsNotDefined) {
  ASSERT_TRUE(connection.LoadProtocolLibrary());
  connection.ProtocolObject()->Connect();
  auto &unused = Parameter(181, 0xFF);
  int code = 0;
  unused.OnError = [&](TNoxSerialData *, int errorCode, bool) { code = errorCode; };
  EXPECT_TRUE(unused.Reload()) << "not defined counts as valid";
  EXPECT_EQ(code, STATUS_NOT_DEFINED);
}

struct VariantCase {
  const char *relativeName;
  bool accepted;
};

class LibraryVariantTest : public ::testing::TestWithParam<VariantCase> {};

TEST_P(LibraryVariantTest, LoaderAcceptsOnlyCompleteCurrentLibraries) {
  RecordingUserInterface ui;
  TNoxConnection connection;
  connection.SetDllName(DynamicLibrary::ExecutableFolder() + QLatin1Char('/') +
                        QString::fromLatin1(GetParam().relativeName));
  EXPECT_EQ(connection.LoadProtocolLibrary(), GetParam().accepted);
  EXPECT_EQ(ui.Messages.size(), GetParam().accepted ? 0 : 1);
  if (!GetParam().accepted) {
    EXPECT_EQ(ui.Messages.value(0).Text, TNoxConnection::LoadFailedText());
  }
}

INSTANTIATE_TEST_SUITE_P(Files, LibraryVariantTest,
                         ::testing::Values(VariantCase{"ProtoNOX.dll", true},
                                           VariantCase{"variants/ProtoNoEntry.dll", false},
                                           VariantCase{"variants/ProtoOldVersion.dll", false},
                                           VariantCase{"NoSuchLibrary.dll", false}));

TEST(DynamicLibraryNames, MapWindowsNamesToSharedObjects) {
#if defined(Q_OS_WIN)
  // Windows takes the names as they are written.
  EXPECT_EQ(DynamicLibrary::PlatformFileName(QStringLiteral("ProtoNOX.dll")), QStringLiteral("ProtoNOX.dll"));
  EXPECT_EQ(DynamicLibrary::PlatformFileName(QStringLiteral("C:/x/y/Languages.DLL")),
            QStringLiteral("C:/x/y/Languages.DLL"));
  EXPECT_EQ(DynamicLibrary::PlatformFileName(QStringLiteral("SerNoxDL.dll")), QStringLiteral("SerNoxDL.dll"));
#else
  EXPECT_EQ(DynamicLibrary::PlatformFileName(QStringLiteral("ProtoNOX.dll")), QStringLiteral("libProtoNOX.so"));
  EXPECT_EQ(DynamicLibrary::PlatformFileName(QStringLiteral("/x/y/Languages.DLL")),
            QStringLiteral("/x/y/libLanguages.so"));
  EXPECT_EQ(DynamicLibrary::PlatformFileName(QStringLiteral("libfoo.so")), QStringLiteral("libfoo.so"));
#endif
  DynamicLibrary library;
  EXPECT_FALSE(library.Load(QString()));
  EXPECT_FALSE(library.IsLoaded());
}

} // namespace
