#include "windows/ConstructedWaveTime.h"

#include "dataitems/NumberConversion.h"

#include <cmath>

namespace {
constexpr double BLOCK_SECONDS = 5.12;
constexpr double BLOCKS_PER_SECOND = 0.1953125; // 1 / 5.12, exact in binary
constexpr double TICKS_PER_SECOND = 50;
constexpr double TICK_SECONDS = 0.02;
} // namespace

ConstructedWaveTime::Split ConstructedWaveTime::FromSeconds(float seconds) {
  // A NaN or a negative time would turn into a wrapped byte; nothing the
  // field accepts on its own gets here, but a pasted text can.
  if (!(seconds > 0))
    seconds = 0;
  Split split;
  // The products are taken at double precision from the 32-bit value: at
  // single precision 5.12 would already count as one block.
  const double blocks = std::trunc(static_cast<double>(seconds) * BLOCKS_PER_SECOND);
  if (blocks > MAX_BLOCKS) {
    split.Blocks = MAX_BLOCKS;
    return split;
  }
  const int k = static_cast<int>(blocks);
  // The rest beyond the full blocks is held as a 32-bit float again before it
  // becomes ticks; that is where 7 s loses its 94th tick.
  const float rest = static_cast<float>(static_cast<double>(seconds) - k * BLOCK_SECONDS);
  const int b = static_cast<int>(std::trunc(static_cast<double>(rest) * TICKS_PER_SECOND));
  if (k == MAX_BLOCKS && b != 0) {
    split.Blocks = MAX_BLOCKS;
    return split;
  }
  split.Blocks = k;
  split.Ticks = b;
  if (b != 0)
    split.FinalBlocks = k + 1;
  return split;
}

ConstructedWaveTime::Split ConstructedWaveTime::FromText(const QString &text) {
  double value = 0;
  if (!NumberConversion::TryParseFloat(text.trimmed(), value) || !std::isfinite(value))
    value = 0;
  // Beyond the float range the time is simply too long.
  if (value > 1e30)
    value = 1e30;
  return FromSeconds(static_cast<float>(value));
}

double ConstructedWaveTime::ToSeconds(int ticks, int blocks) {
  const int fullBlocks = blocks - 1;
  const float seconds = ticks != 0 ? static_cast<float>(fullBlocks * BLOCK_SECONDS + ticks * TICK_SECONDS)
                                   : static_cast<float>(fullBlocks * BLOCK_SECONDS + BLOCK_SECONDS);
  return std::round(static_cast<double>(seconds) * 100) / 100;
}

ConstructedWaveTime::Split ConstructedWaveTime::FromStored(int ticks, int blocks) {
  Split split;
  if (ticks == 0) {
    split.Blocks = blocks;
    return split;
  }
  split.Blocks = blocks - 1;
  split.Ticks = ticks;
  split.FinalBlocks = blocks;
  return split;
}

ConstructedWaveTime::Split ConstructedWaveTime::ForConfirmedText(const QString &text, int ticks, int blocks) {
  double typed = 0;
  if (NumberConversion::TryParseFloat(text.trimmed(), typed) && std::isfinite(typed) &&
      std::round(typed * 100) == std::round(ToSeconds(ticks, blocks) * 100))
    return FromStored(ticks, blocks);
  return FromText(text);
}

QString ConstructedWaveTime::WaveCountText(const QString &typed, int ticks, int blocks) {
  int count = 0;
  if (!NumberConversion::TryParseInteger(typed, count))
    count = 0;
  if (count == 0 && (ticks != 0 || blocks != 0))
    return QString::asprintf("%i", 1);
  return typed;
}
