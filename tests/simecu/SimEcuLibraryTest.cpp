// The built libraries, loaded by path and driven through the protocol object
// exactly as the program drives them.

#include "SimEcuConfig.h"
#include "SimEcuMemory.h"
#include "SimLibrary.h"

#include "support/FileSizeLimit.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace {

constexpr std::uint32_t PacketCode = DATACODE_PACKET;

class SimEcuLibrary : public ::testing::Test {
protected:
  // Without a configuration the unit keeps its memory in the state folder:
  // the scratch folder's, never the user's.
  SimEcuLibrary() : scratch(::testing::UnitTest::GetInstance()->current_test_info()->name()) {
    unsetenv("NOX_SIMECU_CONFIG");
    setenv("XDG_STATE_HOME", scratch.file("state").string().c_str(), 1);
  }
  ~SimEcuLibrary() override {
    unsetenv("NOX_SIMECU_CONFIG");
    unsetenv("XDG_STATE_HOME");
  }

  // Objects created afterwards follow this configuration.
  void configure(const std::string &text) {
    setenv("NOX_SIMECU_CONFIG", scratch.write("unit.ini", text).c_str(), 1);
  }

  SimLibrary::Object connected() {
    auto unit = library.create();
    const NoxNotifyHandle handle = recorder.handle();
    unit->SetNotifyWindow(&handle);
    EXPECT_TRUE(unit->Connect());
    return unit;
  }

  static std::int32_t read(SimLibrary::Object &unit, int address) {
    std::int32_t value = -1;
    EXPECT_TRUE(unit->ReadAtAddress(0, address, &value)) << "address " << address;
    return value;
  }

  ScratchDir scratch;
  SimLibrary library{SIMECU_LIBRARY_PATH};
  PostRecorder recorder;
};

void writeImage(const std::filesystem::path &path, const SimEcuMemory::Image &image) {
  std::ofstream(path, std::ios::binary)
      .write(reinterpret_cast<const char *>(image.data()), static_cast<std::streamsize>(image.size()));
}

SimEcuMemory::Image readImage(const std::filesystem::path &path) {
  SimEcuMemory::Image image{};
  std::ifstream(path, std::ios::binary)
      .read(reinterpret_cast<char *>(image.data()), static_cast<std::streamsize>(image.size()));
  return image;
}

} // namespace

TEST_F(SimEcuLibrary, VariantsExportTheirEntryPointsAndVersions) {
  struct Variant {
    const char *path;
    bool hasVersion;
    std::uint32_t major;
  };
  const Variant variants[] = {
      {SIMECU_LIBRARY_PATH, true, 1},   {SIMECU_NOENTRY_PATH, false, 0},  {SIMECU_OLDVERSION_PATH, true, 0},
      {SIMECU_SERNOX_V4_PATH, true, 4}, {SIMECU_SERNOX_V5_PATH, true, 5},
  };
  configure("dll_major_version = 9\n"); // the fixed variants must not follow it
  for (const auto &variant : variants) {
    SCOPED_TRACE(variant.path);
    SimLibrary lib(variant.path);
    ASSERT_TRUE(lib.loaded()) << dlerror();
    EXPECT_TRUE(lib.has(NOX_ENTRY_CREATE));
    EXPECT_TRUE(lib.has(NOX_ENTRY_DESTROY));
    ASSERT_EQ(lib.has(NOX_ENTRY_VERSION), variant.hasVersion);
    if (!variant.hasVersion)
      continue;
    NoxDllVersion version{99, 99, 99, 99};
    ASSERT_TRUE(lib.entry<NoxGetDllVersionFn>(NOX_ENTRY_VERSION)(&version));
    EXPECT_EQ(version.Major, variant.path == std::string(SIMECU_LIBRARY_PATH) ? 9u : variant.major);
    EXPECT_EQ(version.Minor, 0u);
  }
  unsetenv("NOX_SIMECU_CONFIG");
  NoxDllVersion version{};
  ASSERT_TRUE(library.entry<NoxGetDllVersionFn>(NOX_ENTRY_VERSION)(&version));
  EXPECT_EQ(version.Major, 1u);
  EXPECT_FALSE(library.entry<NoxGetDllVersionFn>(NOX_ENTRY_VERSION)(nullptr));
}

TEST_F(SimEcuLibrary, IdentifiesItselfBeforeConnecting) {
  auto unit = library.create();
  ASSERT_TRUE(unit);
  EXPECT_EQ(unit->SetOptionA(0), 1);
  EXPECT_EQ(unit->SetOptionB(4), 1);
  EXPECT_EQ(unit->SelectModeA(), 1);
  EXPECT_EQ(unit->SetOptionC(0), 1);
  EXPECT_EQ(unit->SetOptionD(1000), 1);
  NoxIdentification id{};
  ASSERT_TRUE(unit->ReadIdentification(&id));
  EXPECT_FALSE(unit->IsConnected());
  // Kind 1; in normal mode the program takes family and variant from bytes 1 and 2.
  EXPECT_EQ(id.Bytes[0], 1);
  EXPECT_NE(id.Bytes[1], 3);
  EXPECT_EQ(id.Bytes[1], 36);
  EXPECT_EQ(id.Bytes[2], 26);
}

TEST_F(SimEcuLibrary, IdentificationFollowsTheConfiguration) {
  configure("identification = 254 3 0 0 36 126 0 0\n");
  auto unit = library.create();
  NoxIdentification id{};
  ASSERT_TRUE(unit->ReadIdentification(&id));
  EXPECT_EQ(std::vector<int>(std::begin(id.Bytes), std::end(id.Bytes)),
            (std::vector<int>{254, 3, 0, 0, 36, 126, 0, 0}));

  configure("no_identification = true\n");
  auto silent = library.create();
  EXPECT_FALSE(silent->ReadIdentification(&id));
  EXPECT_TRUE(silent->Connect()) << "only the identification is switched off";
}

TEST_F(SimEcuLibrary, ConnectAndDisconnectPostTheConnectionState) {
  auto unit = library.create();
  const NoxNotifyHandle handle = recorder.handle();
  unit->SetNotifyWindow(&handle);
  ASSERT_TRUE(unit->Connect());
  EXPECT_TRUE(unit->IsConnected());
  EXPECT_TRUE(unit->Connect()) << "connecting an open line is no change";
  unit->Disconnect();
  EXPECT_FALSE(unit->IsConnected());
  unit->Disconnect();
  EXPECT_EQ(recorder.connectionStates, (std::vector<std::intptr_t>{1, 0}));
  EXPECT_EQ(recorder.otherMessages, 0);

  // Without a handle nothing is posted, and the state still switches.
  unit->SetNotifyWindow(nullptr);
  ASSERT_TRUE(unit->Connect());
  EXPECT_TRUE(unit->IsConnected());
  unit->Disconnect();
  unit->Release();
  EXPECT_EQ(recorder.connectionStates.size(), 2u);
}

TEST_F(SimEcuLibrary, RefusedConnectLeavesTheLineClosed) {
  configure("refuse_connect = true\n");
  auto unit = library.create();
  const NoxNotifyHandle handle = recorder.handle();
  unit->SetNotifyWindow(&handle);
  EXPECT_FALSE(unit->Connect());
  EXPECT_FALSE(unit->IsConnected());
  EXPECT_TRUE(recorder.connectionStates.empty());
}

TEST_F(SimEcuLibrary, NothingButIdentificationAnswersOnAClosedLine) {
  auto unit = library.create();
  std::int32_t value = -7;
  std::uint8_t bytes[16] = {};
  std::int32_t length = 16;
  EXPECT_FALSE(unit->ReadAtAddress(0, 163, &value));
  EXPECT_EQ(value, -7);
  EXPECT_NE(unit->LastStatus(), 0);
  EXPECT_NE(unit->LastStatus(), STATUS_NOT_DEFINED);
  EXPECT_FALSE(unit->WriteAtAddress(0, 163, 0x45));
  EXPECT_FALSE(unit->ReadPacket(PacketCode, bytes, &length));
  unit->Connect();
  EXPECT_EQ(read(unit, 163), 0x44) << "the refused write changed nothing";
}

TEST_F(SimEcuLibrary, ReadsTheFactoryImageOverTheAddressMap) {
  auto unit = connected();
  const auto &factory = SimEcuMemory::factoryImage();
  for (const auto &entry : SimEcuMemory::factoryTable()) {
    if (entry.address == SimEcuMemory::StatusFlagsAddress)
      continue; // carries the learnt-default bit, tested below
    EXPECT_EQ(read(unit, entry.address), factory[entry.address]) << entry.items;
    EXPECT_EQ(unit->LastStatus(), 0);
  }
  EXPECT_EQ(read(unit, 163), 0x44);
  EXPECT_EQ(read(unit, 161), 172);
}

TEST_F(SimEcuLibrary, AddressesOutsideTheMapAreNotDefined) {
  auto unit = connected();
  for (const int address : {-1, 0, 121, 123, 160, 181, 203, 217, 220, 221, 222, 227, 255, 256, 100000}) {
    SCOPED_TRACE(address);
    std::int32_t value = -7;
    EXPECT_FALSE(unit->ReadAtAddress(0, address, &value));
    EXPECT_EQ(unit->LastStatus(), STATUS_NOT_DEFINED);
    EXPECT_EQ(value, -7);
    EXPECT_FALSE(unit->WriteAtAddress(0, address, 1));
    read(unit, 162);
    EXPECT_EQ(unit->LastStatus(), 0) << "a good read clears the status";
  }
}

TEST_F(SimEcuLibrary, AccessByCodeIsNotDefinedInThisUnit) {
  auto unit = connected();
  std::int32_t value = 0;
  EXPECT_FALSE(unit->ReadValue(1, &value));
  EXPECT_EQ(unit->LastStatus(), STATUS_NOT_DEFINED);
  EXPECT_FALSE(unit->ReadRowValue(1, &value, 0));
  EXPECT_EQ(unit->LastStatus(), STATUS_NOT_DEFINED);
  EXPECT_FALSE(unit->ReadTableValue(1, &value, 0, 0));
  EXPECT_EQ(unit->LastStatus(), STATUS_NOT_DEFINED);
  EXPECT_FALSE(unit->WriteValue(1, 0));
  EXPECT_FALSE(unit->WriteRowValue(1, 0, 0));
  EXPECT_FALSE(unit->WriteTableValue(1, 0, 0, 0));
  EXPECT_FALSE(unit->ReadAtAddress(DATACODE_TWO_BYTES, 163, &value));
  EXPECT_EQ(unit->LastStatus(), STATUS_NOT_DEFINED);
}

TEST_F(SimEcuLibrary, WritesStoreWholeBytes) {
  auto unit = connected();
  // Merging an item's bits into the byte is the caller's job: the unit stores what it gets.
  EXPECT_TRUE(unit->WriteAtAddress(0, 163, 0x4C));
  EXPECT_EQ(read(unit, 163), 0x4C);
  EXPECT_TRUE(unit->WriteAtAddress(0, 163, 0x08));
  EXPECT_EQ(read(unit, 163), 0x08);
  EXPECT_TRUE(unit->WriteAtAddress(0, 226, 255));
  EXPECT_TRUE(unit->WriteAtAddress(0, 226, 0));
  EXPECT_EQ(read(unit, 226), 0);
  for (const int bad : {-1, 256, 0x1FF}) {
    EXPECT_FALSE(unit->WriteAtAddress(0, 226, bad)) << bad;
    EXPECT_EQ(read(unit, 226), 0);
  }
}

TEST_F(SimEcuLibrary, BrokenCheckByteErasesTheUnit) {
  auto unit = connected();
  ASSERT_TRUE(unit->WriteAtAddress(0, 168, 150));
  ASSERT_TRUE(unit->WriteAtAddress(0, 161, 172)); // intact check byte: nothing happens
  EXPECT_EQ(read(unit, 168), 150);
  ASSERT_TRUE(unit->WriteAtAddress(0, 163, 0x01));
  ASSERT_TRUE(unit->WriteAtAddress(0, 161, 0));
  EXPECT_EQ(read(unit, 161), 172);
  EXPECT_EQ(read(unit, 168), 100);
  EXPECT_EQ(read(unit, 163), 0x44);
}

TEST_F(SimEcuLibrary, DefaultPositionIsLearntAfterTheConfiguredDelay) {
  auto waiting = connected();
  EXPECT_EQ(read(waiting, 122) & 8, 0) << "three seconds by default";

  configure("default_acquired_after_ms = 0\n");
  auto unit = connected();
  EXPECT_EQ(read(unit, 122), 8);
  // Writes to the flag byte keep the unit's own bit.
  ASSERT_TRUE(unit->WriteAtAddress(0, 122, 1));
  EXPECT_EQ(read(unit, 122), 9);
}

TEST_F(SimEcuLibrary, PacketRespectsTheCallersCapacity) {
  auto unit = connected();
  std::uint8_t buffer[64];
  std::fill(std::begin(buffer), std::end(buffer), 0xEE);
  std::int32_t length = 64;
  ASSERT_TRUE(unit->ReadPacket(PacketCode, buffer, &length));
  EXPECT_EQ(length, 9);
  EXPECT_EQ(buffer[9], 0xEE);
  EXPECT_NEAR(120000.0 / buffer[0], 850, 45) << "ignition type 4";
  EXPECT_NEAR(buffer[4], 100, 5) << "actuator near the default position";
  EXPECT_EQ(buffer[5], 100);

  std::fill(std::begin(buffer), std::end(buffer), 0xEE);
  length = 4;
  ASSERT_TRUE(unit->ReadPacket(PacketCode, buffer, &length));
  EXPECT_EQ(length, 4);
  EXPECT_EQ(buffer[4], 0xEE);

  length = 0;
  EXPECT_FALSE(unit->ReadPacket(PacketCode, buffer, &length));
  EXPECT_FALSE(unit->ReadPacket(PacketCode, buffer, nullptr));
}

TEST_F(SimEcuLibrary, PacketFollowsTheConfiguredIgnitionType) {
  auto unit = connected();
  ASSERT_TRUE(unit->WriteAtAddress(0, 163, 0x43)); // eight cylinders
  std::uint8_t buffer[9];
  std::int32_t length = 9;
  ASSERT_TRUE(unit->ReadPacket(PacketCode, buffer, &length));
  EXPECT_NEAR(60000.0 / buffer[0], 850, 45);
}

TEST_F(SimEcuLibrary, ConfiguredFailuresHitOnlyTheirAddresses) {
  configure("read_fail = 168\nwrite_fail = 167\nundefined = 0xA9 170\n");
  auto unit = connected();
  std::int32_t value = -7;
  EXPECT_FALSE(unit->ReadAtAddress(0, 168, &value));
  EXPECT_NE(unit->LastStatus(), 0);
  EXPECT_NE(unit->LastStatus(), STATUS_NOT_DEFINED);
  EXPECT_TRUE(unit->WriteAtAddress(0, 168, 120)) << "only its reads fail";

  EXPECT_EQ(read(unit, 167), 100);
  EXPECT_FALSE(unit->WriteAtAddress(0, 167, 120));
  EXPECT_EQ(read(unit, 167), 100);

  for (const int address : {169, 170}) {
    EXPECT_FALSE(unit->ReadAtAddress(0, address, &value));
    EXPECT_EQ(unit->LastStatus(), STATUS_NOT_DEFINED);
    EXPECT_FALSE(unit->WriteAtAddress(0, address, 1));
  }
  EXPECT_EQ(read(unit, 171), 0);
}

TEST_F(SimEcuLibrary, LineDropsAfterTheConfiguredExchanges) {
  configure("lose_connection_after = 3\n");
  auto unit = connected();
  std::uint8_t packet[9];
  std::int32_t length = 9;
  EXPECT_EQ(read(unit, 163), 0x44);
  EXPECT_TRUE(unit->WriteAtAddress(0, 167, 90));
  EXPECT_TRUE(unit->ReadPacket(PacketCode, packet, &length)) << "the third exchange still answers";
  EXPECT_FALSE(unit->IsConnected());
  EXPECT_EQ(recorder.connectionStates, (std::vector<std::intptr_t>{1, 0}));
  std::int32_t value = 0;
  EXPECT_FALSE(unit->ReadAtAddress(0, 163, &value));

  // A new connection counts afresh.
  ASSERT_TRUE(unit->Connect());
  read(unit, 163);
  read(unit, 163);
  EXPECT_TRUE(unit->IsConnected());
  read(unit, 163);
  EXPECT_FALSE(unit->IsConnected());
  EXPECT_EQ(recorder.connectionStates, (std::vector<std::intptr_t>{1, 0, 1, 0}));
}

TEST_F(SimEcuLibrary, StartsFromAMemoryImage) {
  SimEcuMemory::Image image{};
  for (std::size_t i = 0; i < image.size(); ++i)
    image[i] = static_cast<std::uint8_t>(255 - i);
  writeImage(scratch.file("unit.bin"), image);
  configure("memory_image = " + scratch.file("unit.bin").string() + "\n");
  auto unit = connected();
  EXPECT_EQ(read(unit, 163), 255 - 163);
  EXPECT_EQ(read(unit, 226), 255 - 226);
  ASSERT_TRUE(unit->WriteAtAddress(0, 163, 7));
  EXPECT_EQ(readImage(scratch.file("unit.bin")), image) << "without persist the file stays as it was";
}

TEST_F(SimEcuLibrary, BrokenMemoryImageFallsBackToTheFactoryImage) {
  std::ofstream(scratch.file("short.bin"), std::ios::binary) << "too short";
  configure("memory_image = " + scratch.file("short.bin").string() + "\n");
  ::testing::internal::CaptureStderr();
  auto unit = connected();
  const std::string messages = ::testing::internal::GetCapturedStderr();
  EXPECT_NE(messages.find("short.bin"), std::string::npos) << messages;
  EXPECT_EQ(read(unit, 163), 0x44);
}

TEST_F(SimEcuLibrary, PersistedUnitKeepsItsConfigurationBetweenRuns) {
  const auto imagePath = scratch.file("kept.bin");
  configure("persist = true\nmemory_image = " + imagePath.string() + "\n");
  {
    auto unit = connected();
    EXPECT_EQ(read(unit, 168), 100) << "a new file starts from the factory image";
    ASSERT_TRUE(unit->WriteAtAddress(0, 168, 123));
    ASSERT_TRUE(unit->WriteAtAddress(0, 163, 0x41));
  }
  ASSERT_TRUE(std::filesystem::exists(imagePath));
  EXPECT_EQ(std::filesystem::file_size(imagePath), 256u);
  {
    auto unit = connected();
    EXPECT_EQ(read(unit, 168), 123);
    EXPECT_EQ(read(unit, 163), 0x41);
    ASSERT_TRUE(unit->WriteAtAddress(0, 161, 1)); // erase is persisted too
  }
  EXPECT_EQ(readImage(imagePath), SimEcuMemory::factoryImage());
  int files = 0;
  for ([[maybe_unused]] const auto &entry : std::filesystem::directory_iterator(scratch.path()))
    ++files;
  EXPECT_EQ(files, 2) << "the configuration and the image; no temporary files left";
}

// A unit whose memory file cannot be written has not stored the value: the
// write fails, and memory and file keep what they had.
TEST_F(SimEcuLibrary, AWriteThatCannotBePersistedFails) {
  if (!FileSizeLimit::Supported)
    GTEST_SKIP() << "no file-size limit on this system";
  const auto imagePath = scratch.file("kept.bin");
  configure("persist = true\nmemory_image = " + imagePath.string() + "\n");
  auto unit = connected();
  ASSERT_TRUE(unit->WriteAtAddress(0, 168, 123));
  const SimEcuMemory::Image before = readImage(imagePath);
  {
    FileSizeLimit limit(100); // the image is 256 bytes
    EXPECT_FALSE(unit->WriteAtAddress(0, 168, 124));
    EXPECT_EQ(unit->LastStatus(), 1);
    EXPECT_FALSE(unit->WriteAtAddress(0, 161, 1)) << "nor is an erase";
  }
  EXPECT_EQ(read(unit, 168), 123);
  EXPECT_EQ(read(unit, 161), 172);
  EXPECT_EQ(readImage(imagePath), before);
}

TEST_F(SimEcuLibrary, LatencyDelaysEachExchange) {
  configure("latency_ms = 15\n");
  auto unit = connected();
  const auto start = std::chrono::steady_clock::now();
  read(unit, 163);
  read(unit, 164);
  // Only a lower bound: a busy machine may take longer, never shorter.
  EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(30));
}

TEST_F(SimEcuLibrary, WithoutConfigurationTheUnitRemembersInTheStateFolder) {
  const auto imagePath = scratch.file("state") / "noxconfig" / "simecu-memory.bin";
  {
    auto unit = connected();
    ASSERT_TRUE(unit->WriteAtAddress(0, 204, 99));
  }
  ASSERT_TRUE(std::filesystem::exists(imagePath)) << "the state folder is created on the first write";
  {
    auto unit = connected();
    EXPECT_EQ(read(unit, 204), 99);
    ASSERT_TRUE(unit->WriteAtAddress(0, 161, 8)); // an erase brings the factory image back
  }
  EXPECT_EQ(readImage(imagePath), SimEcuMemory::factoryImage());

  // A configuration file chooses for itself: here, no memory file at all.
  configure("latency_ms = 0\n");
  {
    auto unit = connected();
    EXPECT_EQ(read(unit, 204), SimEcuMemory::factoryImage()[204]);
    ASSERT_TRUE(unit->WriteAtAddress(0, 204, 42));
  }
  EXPECT_EQ(readImage(imagePath), SimEcuMemory::factoryImage());
}

TEST(SimEcuConfig, DefaultMemoryFileFollowsTheStateFolder) {
#if defined(_WIN32)
  // Without a state folder a Windows unit keeps its memory with the user's
  // local application data.
  const char *local = std::getenv("LOCALAPPDATA");
  const std::string savedLocal = local ? local : "";
  setenv("XDG_STATE_HOME", "C:/x/state", 1);
  EXPECT_EQ(SimEcuConfig::defaultMemoryFile(), "C:/x/state/noxconfig/simecu-memory.bin");
  setenv("XDG_STATE_HOME", "/x/state", 1); // no drive: not absolute here
  setenv("LOCALAPPDATA", "C:\\Users\\fitter\\AppData\\Local", 1);
  EXPECT_EQ(SimEcuConfig::defaultMemoryFile(),
            "C:\\Users\\fitter\\AppData\\Local/noxconfig/simecu-memory.bin");
  unsetenv("LOCALAPPDATA");
  EXPECT_EQ(SimEcuConfig::defaultMemoryFile(), "");
  unsetenv("XDG_STATE_HOME");
  if (local)
    setenv("LOCALAPPDATA", savedLocal.c_str(), 1);
  return;
#endif
  const char *home = std::getenv("HOME");
  const std::string savedHome = home ? home : "";
  setenv("XDG_STATE_HOME", "/x/state", 1);
  EXPECT_EQ(SimEcuConfig::defaultMemoryFile(), "/x/state/noxconfig/simecu-memory.bin");
  setenv("XDG_STATE_HOME", "relative", 1); // not absolute: ignored
  setenv("HOME", "/home/fitter", 1);
  EXPECT_EQ(SimEcuConfig::defaultMemoryFile(), "/home/fitter/.local/state/noxconfig/simecu-memory.bin");
  unsetenv("HOME");
  EXPECT_EQ(SimEcuConfig::defaultMemoryFile(), "");
  unsetenv("XDG_STATE_HOME");
  if (home)
    setenv("HOME", savedHome.c_str(), 1);
}
