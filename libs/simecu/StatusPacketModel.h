#pragma once
// The live status packet of an engine idling while it warms up. A pure
// function of the configuration memory and the time since the connection was
// opened, so the same moment always gives the same packet.

#include "SimEcuMemory.h"

#include <array>
#include <chrono>
#include <cstddef>
#include <cstdint>

class StatusPacketModel {
public:
  static constexpr std::size_t PacketSize = 9;
  using Packet = std::array<std::uint8_t, PacketSize>;

  enum Offset : std::size_t {
    EngineSpeed = 0,
    Lambda = 1,
    Throttle = 2,
    IdleThrottle = 3,
    ActuatorPosition = 4,
    DefaultPosition = 5,
    LambdaBand = 6,
    ThrottleBand = 7,
    Temperature = 8,
  };

  // Lambda bands as the unit reports them.
  static constexpr std::uint8_t BandLean = 0;
  static constexpr std::uint8_t BandStoichiometric = 1;
  static constexpr std::uint8_t BandRich = 2;

  static constexpr double IdleRpm = 850.0;
  static constexpr double ColdCelsius = 15.0;
  static constexpr double WarmCelsius = 85.0;

  static Packet compute(const SimEcuMemory::Image &memory, std::chrono::milliseconds sinceConnect);

  // Engine speed = coefficient / speed byte; the coefficient follows the ignition type.
  static std::uint32_t speedCoefficient(int ignitionType);
  // Coolant temperature after `seconds` of running.
  static double temperatureAt(double seconds);
  // The sensor byte for a temperature: the byte e whose ratio e / (255 - e)
  // matches the thermistor's resistance relative to 25 degrees C.
  static std::uint8_t temperatureByte(double celsius);
  // The probe's output range, lean and rich end, for a probe type.
  struct ProbeRange {
    double leanVolts;
    double richVolts;
  };
  static ProbeRange probeRange(int probeType);
};
