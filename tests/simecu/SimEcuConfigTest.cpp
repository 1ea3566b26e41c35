#include "SimEcuConfig.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>

namespace {

SimEcuConfig parse(const std::string &text, std::string *diagnostics = nullptr) {
  std::istringstream in(text);
  std::ostringstream messages;
  SimEcuConfig config = SimEcuConfig::parse(in, "cfg", messages);
  if (diagnostics != nullptr)
    *diagnostics = messages.str();
  return config;
}

} // namespace

TEST(SimEcuConfig, ReadsEveryKey) {
  std::string messages;
  const SimEcuConfig config = parse(R"(
# a full file
[unit]
latency_ms = 12
identification = 2, 3, 0, 0, 36, 126, 0, 0x07
dll_major_version = 5
read_fail = 163 0xA4
write_fail = 161
undefined = 200, 201,202
refuse_connect = yes
no_identification = TRUE
lose_connection_after = 40
memory_image = /tmp/unit.bin   # trailing comment
persist = on
default_acquired_after_ms = 0
; classic comment
)",
                                    &messages);
  EXPECT_EQ(messages, "");
  EXPECT_EQ(config.latencyMs, 12u);
  EXPECT_EQ(config.identification, (std::array<std::uint8_t, 8>{2, 3, 0, 0, 36, 126, 0, 7}));
  EXPECT_EQ(config.dllMajorVersion, 5u);
  EXPECT_EQ(config.readFail, (std::set<int>{163, 164}));
  EXPECT_EQ(config.writeFail, (std::set<int>{161}));
  EXPECT_EQ(config.undefined, (std::set<int>{200, 201, 202}));
  EXPECT_TRUE(config.refuseConnect);
  EXPECT_TRUE(config.noIdentification);
  EXPECT_EQ(config.loseConnectionAfter, 40u);
  EXPECT_EQ(config.memoryImage, "/tmp/unit.bin");
  EXPECT_TRUE(config.persist);
  EXPECT_EQ(config.defaultAcquiredAfterMs, 0u);
}

TEST(SimEcuConfig, EmptyFileGivesAnOrdinaryUnit) {
  const SimEcuConfig config = parse("");
  EXPECT_EQ(config.identification, (std::array<std::uint8_t, 8>{1, 36, 26, 0, 0, 0, 0, 0}));
  EXPECT_EQ(config.dllMajorVersion, 1u);
  EXPECT_EQ(config.defaultAcquiredAfterMs, 3000u);
  EXPECT_FALSE(config.refuseConnect);
  EXPECT_EQ(config.loseConnectionAfter, 0u);
}

// Each bad line is reported with its number and leaves the setting as it was,
// while the good line after it still counts.
TEST(SimEcuConfig, BadLinesAreReportedAndSkipped) {
  const char *badLines[] = {
      "latency_ms = -3",
      "latency_ms = 12ms",
      "identification = 1 2 3",
      "identification = 1 2 3 4 5 6 7 256",
      "read_fail = 300",
      "undefined = 12,,x",
      "persist = maybe",
      "mystery_key = 1",
      "no equals sign here",
      "memory_image =",
      "lose_connection_after = 99999999999",
  };
  for (const char *bad : badLines) {
    SCOPED_TRACE(bad);
    std::string messages;
    const SimEcuConfig config =
        parse(std::string("dll_major_version = 3\n") + bad + "\nlatency_ms = 7\n", &messages);
    EXPECT_NE(messages.find("cfg:2:"), std::string::npos) << messages;
    EXPECT_EQ(messages.find("cfg:1:"), std::string::npos);
    EXPECT_EQ(messages.find("cfg:3:"), std::string::npos);
    EXPECT_EQ(config.dllMajorVersion, 3u);
    EXPECT_EQ(config.latencyMs, 7u);
    EXPECT_EQ(config.identification, SimEcuConfig{}.identification);
    EXPECT_TRUE(config.readFail.empty());
    EXPECT_FALSE(config.persist);
    EXPECT_EQ(config.memoryImage, "");
  }
}
