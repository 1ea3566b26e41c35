// The disconnected-probe time: the split into blocks and ticks on 32-bit
// floats, what the window shows back, and the wave-count rule.
#include "windows/ConstructedWaveTime.h"

#include <gtest/gtest.h>

namespace {

struct SplitCase {
  const char *Typed;
  int Blocks, Ticks, FinalBlocks; // FinalBlocks -1: no third write
  double ShownAgain;
};

class ProbeTimeSplit : public ::testing::TestWithParam<SplitCase> {};

TEST_P(ProbeTimeSplit, WritesAndShowsBack) {
  const SplitCase &c = GetParam();
  const ConstructedWaveTime::Split split = ConstructedWaveTime::FromText(QString::fromLatin1(c.Typed));
  EXPECT_EQ(split.Blocks, c.Blocks);
  EXPECT_EQ(split.Ticks, c.Ticks);
  EXPECT_EQ(split.FinalBlocks, c.FinalBlocks);
  // The unit ends up holding the last block count written.
  const int blocksHeld = split.FinalBlocks >= 0 ? split.FinalBlocks : split.Blocks;
  EXPECT_DOUBLE_EQ(ConstructedWaveTime::ToSeconds(split.Ticks, blocksHeld), c.ShownAgain);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Typed, ProbeTimeSplit, ::testing::Values(
    SplitCase{"1", 0, 50, 1, 1},
    SplitCase{"2.5", 0, 125, 1, 2.5},
    SplitCase{"2,5", 0, 125, 1, 2.5},
    // 7 - 5.12 held in 32 bits, times 50, lies just below 94.
    SplitCase{"7", 1, 93, 2, 6.98},
    SplitCase{"5.12", 0, 255, 1, 5.1},
    // Likewise two whole blocks fall one tick short.
    SplitCase{"10.24", 1, 255, 2, 10.22},
    // 0.02 in 32 bits is just below one tick.
    SplitCase{"0.02", 0, 0, -1, 0},
    SplitCase{"700", 125, 0, -1, 640},
    SplitCase{"645", 125, 0, -1, 640},
    SplitCase{"640", 125, 0, -1, 640},
    SplitCase{"abc", 0, 0, -1, 0},
    SplitCase{"", 0, 0, -1, 0},
    // What the field itself refuses but a paste brings in: no wrapped byte
    // is ever written.
    SplitCase{"-3", 0, 0, -1, 0},
    SplitCase{"1e300", 125, 0, -1, 640},
    SplitCase{"nan", 0, 0, -1, 0}));
// clang-format on

TEST(WaveCount, ZeroBecomesOneOnlyWhileAProbeTimeIsSet) {
  struct {
    const char *Typed;
    int Ticks, Blocks;
    const char *Committed;
  } const cases[] = {
      {"0", 0, 1, "1"}, {"0", 50, 0, "1"}, {"", 10, 1, "1"}, {"x", 0, 3, "1"},
      {"0", 0, 0, "0"}, {"5", 50, 1, "5"}, {"2", 0, 0, "2"},
  };
  for (const auto &c : cases) {
    SCOPED_TRACE(c.Typed);
    EXPECT_EQ(ConstructedWaveTime::WaveCountText(QString::fromLatin1(c.Typed), c.Ticks, c.Blocks),
              QString::fromLatin1(c.Committed));
  }
}

} // namespace
