#include "StatusPacketModel.h"

#include <algorithm>
#include <cmath>
#include <iterator>
#include <numbers>

namespace {

constexpr double TwoPi = 2.0 * std::numbers::pi;

// Thermistor resistance relative to 25 degrees C, every 5 degrees from -55.
constexpr double RatioTable[] = {97.578,  67.65,   47.538,  33.831,  24.359,  17.753,  13.067,  9.7228,
                                 7.3007,  5.5361,  4.2332,  3.266,   2.5392,  1.9902,  1.5709,  1.2492,
                                 1.0,     0.805,   0.65326, 0.5329,  0.4371,  0.36,    0.299,   0.2493,
                                 0.2088,  0.1757,  0.148,   0.1262,  0.1076,  0.09215, 0.07922, 0.0683,
                                 0.05924, 0.05153, 0.04492, 0.0392,  0.0343,  0.03018, 0.02665, 0.023594,
                                 0.0209,  0.0186,  0.0166,  0.01486, 0.01332, 0.01198, 0.01079, 0.00974};
constexpr double TableFirstCelsius = -55.0;
constexpr double TableStepCelsius = 5.0;

// Seconds for the coolant to cover 63 % of the way from cold to warm.
constexpr double WarmUpTimeConstant = 300.0;
// Periods of the idle wobble, the lambda oscillation and the throttle tremble.
constexpr double RpmPeriod = 3.1;
constexpr double RpmWobble = 20.0;
constexpr double LambdaPeriod = 1.7;
constexpr double TremblePeriod = 0.9;
// A closed throttle reads about 0.6 V on a rising sensor.
constexpr double IdleThrottleVolts = 0.6;
// How far the actuator moves around the default position to chase lambda.
constexpr double ActuatorSwing = 4.0;

// Configuration bytes the engine's behaviour depends on.
constexpr int IgnitionAddress = 163;     // TIPO_ACCENSIONE, bits 0-2
constexpr int ThrottleTypeAddress = 164; // TIPO_TPS, bits 5-7
constexpr int Flags3Address = 165;       // TIPO_SONDA_LAMBDA bits 5-7; bit 1: fixed idle TPS
constexpr int DefaultPosAddress = 168;   // POSIZIONE_DEFAULT
constexpr int HysteresisAddress = 194;   // ISTERESI_MINIMO_TPS
constexpr int FixedIdleTpsAddress = 195; // ValoreMinimoTPS
constexpr int LearningBandAddress = 196; // TPSFasciaApprendimento
constexpr int MaxOpeningAddress = 207;   // MASSIMA_APERTURA_ATTUATORE
constexpr int MinOpeningAddress = 208;   // MINIMA_APERTURA_ATTUATORE
constexpr int PowerTpsAddress = 215;     // TPSSbananata
constexpr std::uint8_t FixedIdleTpsBit = 2;

std::uint8_t toByte(double value) {
  return static_cast<std::uint8_t>(std::clamp(std::lround(value), 0L, 255L));
}

std::uint8_t voltsToByte(double volts) {
  return toByte(volts * 255.0 / 5.0);
}

bool fallingSensor(int throttleType) {
  return throttleType == 1 || throttleType == 3;
}

// Throttle opening on a common rising scale, whatever the sensor's direction.
int opening(int byte, bool falling) {
  return falling ? 255 - byte : byte;
}

std::uint8_t throttleBand(int throttle, int idle, const SimEcuMemory::Image &memory, bool falling) {
  const int open = opening(throttle, falling);
  if (open - opening(idle, falling) <= memory[HysteresisAddress])
    return 0;
  if (open < opening(memory[LearningBandAddress], falling))
    return 1;
  if (open < opening(memory[PowerTpsAddress], falling))
    return 2;
  return 3;
}

} // namespace

std::uint32_t StatusPacketModel::speedCoefficient(int ignitionType) {
  switch (ignitionType) {
  case 1:
    return 96000;
  case 2:
  case 6:
    return 80000;
  case 3:
    return 60000;
  default:
    return 120000;
  }
}

double StatusPacketModel::temperatureAt(double seconds) {
  return WarmCelsius - (WarmCelsius - ColdCelsius) * std::exp(-std::max(seconds, 0.0) / WarmUpTimeConstant);
}

std::uint8_t StatusPacketModel::temperatureByte(double celsius) {
  constexpr std::size_t count = std::size(RatioTable);
  const double position = (celsius - TableFirstCelsius) / TableStepCelsius;
  const auto lowIndex =
      static_cast<std::size_t>(std::clamp(std::floor(position), 0.0, static_cast<double>(count - 2)));
  const double fraction = std::clamp(position - static_cast<double>(lowIndex), 0.0, 1.0);
  const double ratio = RatioTable[lowIndex] + (RatioTable[lowIndex + 1] - RatioTable[lowIndex]) * fraction;
  return toByte(255.0 * ratio / (1.0 + ratio));
}

StatusPacketModel::ProbeRange StatusPacketModel::probeRange(int probeType) {
  switch (probeType) {
  case 1:
  case 2:
    return {0.5, 4.5}; // 0-5 V
  case 3:
  case 4:
    return {4.5, 0.5}; // 5-0 V: rich pulls the output down
  case 5:
    return {0.85, 1.55}; // 0.8-1.6 V
  default:
    return {0.1, 0.9}; // 0-1 V
  }
}

StatusPacketModel::Packet StatusPacketModel::compute(const SimEcuMemory::Image &memory,
                                                     std::chrono::milliseconds sinceConnect) {
  const double t = std::chrono::duration<double>(sinceConnect).count();
  Packet packet{};

  const double rpm = IdleRpm + RpmWobble * std::sin(TwoPi * t / RpmPeriod);
  const double coefficient = speedCoefficient(memory[IgnitionAddress] & 7);
  // 255 is the unit's "no signal" mark, so a running engine stays below it.
  packet[EngineSpeed] = std::clamp<std::uint8_t>(toByte(coefficient / rpm), 1, 254);

  // 0 = leanest, 1 = richest: the closed loop keeps the mixture swinging.
  const double richness = 0.5 + 0.5 * std::sin(TwoPi * t / LambdaPeriod);
  const ProbeRange probe = probeRange((memory[Flags3Address] >> 5) & 7);
  packet[Lambda] = voltsToByte(probe.leanVolts + (probe.richVolts - probe.leanVolts) * richness);
  packet[LambdaBand] = richness < 1.0 / 3.0 ? BandLean : richness > 2.0 / 3.0 ? BandRich : BandStoichiometric;

  const int throttleType = (memory[ThrottleTypeAddress] >> 5) & 7;
  const bool falling = fallingSensor(throttleType);
  int idleByte = 0;
  int throttleByte = 0;
  if (throttleType != 5) { // 5: no throttle sensor fitted
    idleByte = voltsToByte(falling ? 5.0 - IdleThrottleVolts : IdleThrottleVolts);
    const long tremble = std::lround(std::sin(TwoPi * t / TremblePeriod));
    throttleByte = std::clamp(idleByte + static_cast<int>(tremble), 0, 255);
  }
  const int reportedIdle =
      (memory[Flags3Address] & FixedIdleTpsBit) != 0 ? memory[FixedIdleTpsAddress] : idleByte;
  packet[Throttle] = static_cast<std::uint8_t>(throttleByte);
  packet[IdleThrottle] = static_cast<std::uint8_t>(reportedIdle);
  packet[ThrottleBand] = throttleBand(throttleByte, reportedIdle, memory, falling);

  int low = memory[MinOpeningAddress];
  int high = memory[MaxOpeningAddress];
  if (low > high)
    std::swap(low, high);
  const int defaultPosition = std::clamp(static_cast<int>(memory[DefaultPosAddress]), low, high);
  // A lean mixture opens the actuator beyond the default, a rich one closes it.
  const double offset = ActuatorSwing * (1.0 - 2.0 * richness);
  packet[DefaultPosition] = static_cast<std::uint8_t>(defaultPosition);
  packet[ActuatorPosition] = static_cast<std::uint8_t>(
      std::clamp(static_cast<int>(std::lround(defaultPosition + offset)), low, high));

  packet[Temperature] = temperatureByte(temperatureAt(t));
  return packet;
}
