#include "StatusPacketModel.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <set>

using std::chrono::milliseconds;
using P = StatusPacketModel;

namespace {

// Moments spread over the lambda and wobble periods and the warm-up.
std::vector<milliseconds> samples() {
  std::vector<milliseconds> times;
  for (int ms = 0; ms <= 6000; ms += 85)
    times.emplace_back(ms);
  for (int s : {60, 300, 1200, 7200})
    times.emplace_back(s * 1000);
  return times;
}

SimEcuMemory::Image memoryWith(int address, std::uint8_t value) {
  SimEcuMemory::Image memory = SimEcuMemory::factoryImage();
  memory[static_cast<std::size_t>(address)] = value;
  return memory;
}

} // namespace

TEST(StatusPacketModel, EngineIdlesNear850RpmForEveryIgnitionType) {
  const double coefficients[] = {120000, 96000, 80000, 60000, 120000, 120000, 80000, 120000};
  for (int type = 0; type < 8; ++type) {
    SCOPED_TRACE(type);
    EXPECT_EQ(P::speedCoefficient(type), coefficients[type]);
    const auto memory = memoryWith(163, static_cast<std::uint8_t>(0x40 | type)); // emulation bits kept
    for (const auto t : samples()) {
      const int byte = P::compute(memory, t)[P::EngineSpeed];
      ASSERT_GT(byte, 0);
      ASSERT_LT(byte, 255);
      EXPECT_NEAR(coefficients[type] / byte, 850.0, 45.0) << "at " << t.count() << " ms";
    }
  }
}

TEST(StatusPacketModel, LambdaBandFollowsTheProbeVoltage) {
  for (int probe = 0; probe < 6; ++probe) {
    SCOPED_TRACE(probe);
    const auto range = P::probeRange(probe);
    const auto memory = memoryWith(165, static_cast<std::uint8_t>(probe << 5));
    std::set<int> bandsSeen;
    for (const auto t : samples()) {
      const auto packet = P::compute(memory, t);
      const double volts = packet[P::Lambda] * 5.0 / 255.0;
      const double towardsRich = (volts - range.leanVolts) / (range.richVolts - range.leanVolts);
      EXPECT_GE(towardsRich, -0.05);
      EXPECT_LE(towardsRich, 1.05);
      const int band = packet[P::LambdaBand];
      bandsSeen.insert(band);
      if (band == P::BandRich) {
        EXPECT_GT(towardsRich, 0.6) << "at " << t.count() << " ms";
      } else if (band == P::BandLean) {
        EXPECT_LT(towardsRich, 0.4) << "at " << t.count() << " ms";
      } else {
        EXPECT_NEAR(towardsRich, 0.5, 0.2) << "at " << t.count() << " ms";
      }
    }
    EXPECT_EQ(bandsSeen, (std::set<int>{0, 1, 2})) << "the mixture swings through all bands";
  }
}

TEST(StatusPacketModel, ActuatorChasesTheMixtureAroundTheDefaultPosition) {
  const auto memory = SimEcuMemory::factoryImage();
  for (const auto t : samples()) {
    const auto packet = P::compute(memory, t);
    EXPECT_EQ(packet[P::DefaultPosition], memory[168]);
    const int offset = packet[P::ActuatorPosition] - packet[P::DefaultPosition];
    EXPECT_LE(std::abs(offset), 5);
    if (packet[P::LambdaBand] == P::BandLean) {
      EXPECT_GT(offset, 0) << "a lean mixture opens the actuator";
    }
    if (packet[P::LambdaBand] == P::BandRich) {
      EXPECT_LT(offset, 0) << "a rich mixture closes it";
    }
  }
  // A default above the maximum opening is held at the maximum.
  const auto clamped = P::compute(memoryWith(168, 250), milliseconds(500));
  EXPECT_EQ(clamped[P::DefaultPosition], 240);
  EXPECT_LE(clamped[P::ActuatorPosition], 240);
}

TEST(StatusPacketModel, ThrottleRestsAtIdleForEachSensorDirection) {
  struct Case {
    int tpsType;
    int idleByte; // 0.6 V rising, 4.4 V falling, nothing without a sensor
  };
  for (const Case c : {Case{0, 31}, Case{1, 224}, Case{2, 31}, Case{3, 224}, Case{4, 31}, Case{5, 0}}) {
    SCOPED_TRACE(c.tpsType);
    const auto memory = memoryWith(164, static_cast<std::uint8_t>(c.tpsType << 5 | 1));
    for (const auto t : samples()) {
      const auto packet = P::compute(memory, t);
      EXPECT_EQ(packet[P::IdleThrottle], c.idleByte);
      EXPECT_LE(std::abs(packet[P::Throttle] - c.idleByte), 1);
      EXPECT_EQ(packet[P::ThrottleBand], 0);
    }
  }
}

TEST(StatusPacketModel, FixedIdleThrottleIsReportedAndOpensTheBandsAboveIt) {
  auto memory = memoryWith(165, 0x02); // fixed idle TPS flag
  memory[195] = 10;                    // far below the real idle at 31
  const auto packet = P::compute(memory, milliseconds(0));
  EXPECT_EQ(packet[P::IdleThrottle], 10);
  EXPECT_EQ(packet[P::ThrottleBand], 1) << "21 bytes above idle, below the learning band";
}

TEST(StatusPacketModel, CoolantWarmsUpFromCold) {
  EXPECT_EQ(P::temperatureByte(25), 128) << "ratio 1 at 25 degrees";
  EXPECT_EQ(P::temperatureByte(P::temperatureAt(0)), P::temperatureByte(P::ColdCelsius));
  int previous = 256;
  for (const auto t : samples()) {
    const int byte = P::compute(SimEcuMemory::factoryImage(), t)[P::Temperature];
    EXPECT_LE(byte, previous) << "the sensor byte falls as the engine warms";
    previous = byte;
  }
  EXPECT_GT(P::compute(SimEcuMemory::factoryImage(), milliseconds(0))[P::Temperature], 128);
  EXPECT_EQ(P::compute(SimEcuMemory::factoryImage(), milliseconds(7'200'000))[P::Temperature],
            P::temperatureByte(P::WarmCelsius));
}

TEST(StatusPacketModel, SameMomentSamePacketAndTheValuesMove) {
  const auto memory = SimEcuMemory::factoryImage();
  std::set<P::Packet> distinct;
  for (const auto t : samples()) {
    EXPECT_EQ(P::compute(memory, t), P::compute(memory, t));
    distinct.insert(P::compute(memory, t));
  }
  EXPECT_GT(distinct.size(), 10u);
}
