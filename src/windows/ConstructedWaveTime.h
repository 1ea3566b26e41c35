#pragma once
#include <QString>
#include <cstdint>

// The disconnected-probe time of the constructed wave, stored by the unit as
// ticks of 0.02 s grouped in blocks of 256 ticks (5.12 s): the number of
// blocks, a last partial block included, and the ticks in that partial block
// (0: the last block is full). 125 full blocks, 640 s, is the most it holds.
//
// The arithmetic is done on 32-bit floats the way the unit's own tools do it,
// so a typed 7 becomes 1 block and 93 ticks (6.98 s), not 94 ticks: fitters
// compare our figures with the ones they know.
class ConstructedWaveTime {
public:
  static constexpr int MAX_BLOCKS = 125;

  // What Enter in the time field writes, in order: the block count, the tick
  // count and, when there is a partial block, the block count once more.
  struct Split {
    int Blocks = 0;       // first write to NUMERO_RIPETIZIONI_TRI
    int Ticks = 0;        // then NUMERO_VOLTE_TRI
    int FinalBlocks = -1; // then NUMERO_RIPETIZIONI_TRI again; -1: no third write
  };

  // seconds: the typed time. Text that is not a number counts as 0, and so do
  // negative times (a paste can bring in a "-"); anything above 640 s is 640.
  static Split FromSeconds(float seconds);
  // The typed text, with either decimal separator.
  static Split FromText(const QString &text);

  // The time shown for what the unit holds, rounded to two decimals.
  static double ToSeconds(int ticks, int blocks);

  // The writes that leave the unit's bytes as they are.
  static Split FromStored(int ticks, int blocks);
  // What Enter writes for the text when the unit holds ticks and blocks. The
  // time shown for the unit's bytes is rounded, and split again it may lose
  // a tick (5.1 s is 254.99... ticks as a 32-bit float): confirming the shown
  // time keeps the bytes it stands for. Any other text is split as typed.
  static Split ForConfirmedText(const QString &text, int ticks, int blocks);

  // The number-of-waves rule: a wave count of 0 cannot be confirmed while a
  // disconnected-probe time is set, so the text to commit becomes "1".
  static QString WaveCountText(const QString &typed, int ticks, int blocks);
};
