#include "dataitems/NumberConversion.h"
#include "dataitems/TNoxNumber.h"
#include "support/CaseName.h"
#include "support/TemperatureTable.h"

#include <gtest/gtest.h>
#include <cctype>
#include <cmath>
#include <limits>

namespace {

struct Layout {
  int mask = 255;
  int length = 1;
  bool isSigned = false;
  TransformationType transformation = ttNone;
  double a = 1, b = 0, c = 0, d = 1;
  double precision = 0;
  double min = 0, max = 0;
  bool disableLimits = false;
};

// An item without connection: conversions only, merge reloads keep the cache.
std::unique_ptr<TNoxNumber> MakeItem(const Layout &layout) {
  auto item = std::make_unique<TNoxNumber>();
  item->SetDataLength(layout.length);
  item->SetDataMask(layout.mask);
  item->SetSigned(layout.isSigned);
  item->SetTransformation(layout.transformation);
  item->SetCoeffs(layout.a, layout.b, layout.c, layout.d);
  item->SetPrecision(layout.precision);
  item->SetValueMin(layout.min);
  item->SetValueMax(layout.max);
  item->SetDisableLimits(layout.disableLimits);
  item->Loaded();
  return item;
}

Layout Temperature() {
  Layout l;
  l.transformation = ttNonLinearTabled;
  l.a = 5, l.b = 0, l.c = -5, l.d = 1275;
  l.precision = 1;
  return l;
}

struct ToUserCase {
  const char *name;
  Layout layout;
  std::int32_t raw;
  double expected;
};

class ConvertToUserTest : public ::testing::TestWithParam<ToUserCase> {};

TEST_P(ConvertToUserTest, GivesTheUserValue) {
  const auto &c = GetParam();
  auto item = MakeItem(c.layout);
  if (c.layout.transformation == ttNonLinearTabled)
    item->SetConversionTable(TemperatureRatios(), TemperatureDegrees());
  const double user = item->ConvertToUser(c.raw);
  EXPECT_DOUBLE_EQ(user, c.expected) << c.name;
  EXPECT_EQ(std::signbit(user), std::signbit(c.expected)) << c.name << ": shown as \"-0\" otherwise";
}

Layout Tps() {
  Layout l;
  l.mask = 0xE0;
  l.transformation = ttFormula;
  l.a = 1, l.b = 0, l.c = 0, l.d = 32;
  return l;
}
Layout Overlap() {
  Layout l;
  l.transformation = ttFormula;
  l.a = 4, l.b = -4, l.c = 0, l.d = 1000;
  l.precision = 0.1;
  l.min = 0, l.max = 1.0;
  return l;
}
Layout Speed(double precision = 10) {
  Layout l;
  l.transformation = ttFormula;
  l.a = 0, l.b = 117000, l.c = 1, l.d = 0;
  l.precision = precision;
  return l;
}
Layout SignedLayout(int length) {
  Layout l;
  l.length = length;
  l.mask = length == 2 ? 0xFFFF : 0xFF;
  l.isSigned = true;
  return l;
}
Layout Rounded(double precision) {
  Layout l;
  l.transformation = ttFormula;
  l.a = 1, l.b = 0, l.c = 0, l.d = 2; // x / 2 gives the halves
  l.isSigned = true;
  l.precision = precision;
  return l;
}

INSTANTIATE_TEST_SUITE_P(
    Rules, ConvertToUserTest,
    ::testing::Values(
        ToUserCase{"masked bits are not shifted", Tps(), 0xA5, 5},
        ToUserCase{"formula with precision", Overlap(), 101, 0.4},
        ToUserCase{"temperature 128 rounds to 25", Temperature(), 128, 25},
        ToUserCase{"temperature 0 extrapolates past 180", Temperature(), 0, 226},
        ToUserCase{"temperature 255 has a zero denominator", Temperature(), 255, CONVERSION_ZERO_DENOMINATOR},
        ToUserCase{"speed byte 0 has a zero denominator", Speed(), 0, CONVERSION_ZERO_DENOMINATOR},
        ToUserCase{"speed byte 254", Speed(), 254, 460}, // 117000/254 = 460.6 -> 460
        ToUserCase{"signed byte 0xFF", SignedLayout(1), 0xFF, -1},
        ToUserCase{"signed word 0xFFFF", SignedLayout(2), 0xFFFF, -1},
        ToUserCase{"signed word 0x00FF", SignedLayout(2), 0x00FF, 255},
        ToUserCase{"positive tie goes up", Rounded(1), 5, 3},    // 2.5 -> 3
        ToUserCase{"negative tie goes up", Rounded(1), 0xFB, -2}, // -5 / 2 = -2.5 -> -2
        ToUserCase{"no rounding without precision", Rounded(0), 5, 2.5},
        ToUserCase{"error values are not rounded", Speed(10), 0, CONVERSION_ZERO_DENOMINATOR},
        ToUserCase{"rounding to -0 gives 0", Overlap(), 0, 0}),
    CaseName<ToUserCase>);

TEST(ConvertToUser, TemperatureBeforeRoundingLiesBetween20And25) {
  Layout l = Temperature();
  l.precision = 0;
  auto item = MakeItem(l);
  item->SetConversionTable(TemperatureRatios(), TemperatureDegrees());
  EXPECT_NEAR(item->ConvertToUser(128), 24.842, 0.001);
}

TEST(ConvertToUser, TabledUsesTheLastEqualEntryAndFailsOffTable) {
  Layout l;
  l.transformation = ttTabled;
  auto item = MakeItem(l);
  EXPECT_EQ(item->ConvertToUser(1), CONVERSION_NOT_IN_TABLE) << "no table";
  item->SetConversionTable({0, 1, 1, 4}, {10, 20, 30, 40});
  EXPECT_EQ(item->ConvertToUser(1), 30);
  EXPECT_EQ(item->ConvertToUser(3), CONVERSION_NOT_IN_TABLE);
  item->SetConversionTable({0, 1, 1, 4}, {10, 20, 20, 40});
  EXPECT_EQ(item->ConvertToEcu(20), 1) << "the first equal user entry";
}

TEST(ConvertToUser, CustomConversionReceivesTheMaskedSignExtendedValue) {
  Layout l;
  l.mask = 0xFF;
  l.isSigned = true;
  l.transformation = ttCustom;
  auto item = MakeItem(l);
  int received = 0;
  item->OnConvertToUser = [&](TNoxSerialData *, int ecu, double &converted) {
    received = ecu;
    converted = 2.26;
  };
  item->SetPrecision(0.5);
  EXPECT_DOUBLE_EQ(item->ConvertToUser(0x1FE), 2.5);
  EXPECT_EQ(received, -2);
}

struct ToEcuCase {
  const char *name;
  Layout layout;
  double user;
  std::int32_t expected;
};

class ConvertToEcuTest : public ::testing::TestWithParam<ToEcuCase> {};

TEST_P(ConvertToEcuTest, GivesTheRawValue) {
  const auto &c = GetParam();
  auto item = MakeItem(c.layout);
  if (c.layout.transformation == ttNonLinearTabled)
    item->SetConversionTable(TemperatureRatios(), TemperatureDegrees());
  EXPECT_EQ(item->ConvertToEcu(c.user), c.expected) << c.name;
}

Layout Plain(double min = 0, double max = 0, bool disable = false) {
  Layout l;
  l.min = min, l.max = max, l.disableLimits = disable;
  return l;
}

INSTANTIATE_TEST_SUITE_P(
    Rules, ConvertToEcuTest,
    ::testing::Values(ToEcuCase{"formula inverse", Overlap(), 0.4, 101},
                      ToEcuCase{"clamped to the maximum", Overlap(), 1.5, 251},
                      ToEcuCase{"clamped to the minimum", Overlap(), -3, 1},
                      ToEcuCase{"temperature 25", Temperature(), 25, 128},
                      ToEcuCase{"speed 0 has a zero denominator", Speed(), 0, CONVERSION_ZERO_DENOMINATOR},
                      ToEcuCase{"speed rounds half away", Speed(), 2000, 59}, // 58.5 -> 59
                      ToEcuCase{"none truncates up", Plain(), 3.7, 3},
                      ToEcuCase{"none truncates down", Plain(), -3.7, -3},
                      ToEcuCase{"full mask is not masked", Plain(0, 255, true), 300, 300},
                      ToEcuCase{"limits only when one is set", Plain(0, 0), 300, 300},
                      ToEcuCase{"limits apply", Plain(10, 20), 300, 20},
                      ToEcuCase{"NaN is refused", Plain(), std::nan(""), CONVERSION_OUT_OF_RANGE},
                      ToEcuCase{"infinity is refused", Plain(), std::numeric_limits<double>::infinity(),
                                CONVERSION_OUT_OF_RANGE},
                      ToEcuCase{"beyond 32 bits is refused", Plain(), 1e12, CONVERSION_OUT_OF_RANGE},
                      ToEcuCase{"formula beyond 32 bits is refused", Speed(), 1e-6, CONVERSION_OUT_OF_RANGE}),
    CaseName<ToEcuCase>);

TEST(ConvertToEcu, PartialMaskWithoutConnectionMergesIntoTheCachedByte) {
  // No connection: the reload succeeds without reading, so the cached byte's
  // other bits are kept.
  auto item = MakeItem(Tps());
  item->SetRawValue(0xA5);
  EXPECT_EQ(item->ConvertToEcu(5), 0xA5);
  EXPECT_EQ(item->ConvertToEcu(2), 0x45);
}

TEST(ConvertToEcu, TabledWithoutTableOrEntryFails) {
  Layout l;
  l.transformation = ttTabled;
  auto item = MakeItem(l);
  EXPECT_EQ(item->ConvertToEcu(1), CONVERSION_NOT_IN_TABLE);
  item->SetConversionTable({0, 1, 2, 4}, {0, 1, 2, 3});
  EXPECT_EQ(item->ConvertToEcu(3), 4);
  EXPECT_EQ(item->ConvertToEcu(2.5), CONVERSION_NOT_IN_TABLE);
}

TEST(ConvertToEcu, CustomConversionGetsTheClampedValue) {
  Layout l = Plain(-10, 10);
  l.transformation = ttCustom;
  auto item = MakeItem(l);
  double received = 0;
  item->OnConvertToEcu = [&](TNoxSerialData *, double user, int &converted) {
    received = user;
    converted = 7;
  };
  EXPECT_EQ(item->ConvertToEcu(50), 7);
  EXPECT_EQ(received, 10);
}

TEST(Interpolation, AscendingAndDescendingColumnsExtrapolateAtBothEnds) {
  Layout l;
  l.transformation = ttNonLinearTabled; // coefficients (1,0,0,1): identity before the table
  l.isSigned = true;
  auto item = MakeItem(l);
  item->SetConversionTable({0, 10, 20}, {100, 200, 400});
  EXPECT_DOUBLE_EQ(item->ConvertToUser(5), 150);
  EXPECT_DOUBLE_EQ(item->ConvertToUser(15), 300);
  EXPECT_DOUBLE_EQ(item->ConvertToUser(30), 600) << "beyond the last entry along the last segment";
  EXPECT_DOUBLE_EQ(item->ConvertToUser(-10), 0) << "before the first entry along the first segment";
  item->SetConversionTable({20, 10, 0}, {400, 200, 100});
  EXPECT_DOUBLE_EQ(item->ConvertToUser(5), 150);
  EXPECT_DOUBLE_EQ(item->ConvertToUser(25), 500);
}

TEST(Interpolation, DegenerateTablesNeverDivideByZero) {
  Layout l;
  l.transformation = ttNonLinearTabled;
  auto item = MakeItem(l);
  item->SetConversionTable({7}, {70});
  EXPECT_DOUBLE_EQ(item->ConvertToUser(3), 70) << "a single point maps everything to its value";
  item->SetConversionTable({0, 10, 10, 20}, {0, 100, 150, 200});
  const double v = item->ConvertToUser(10);
  EXPECT_TRUE(std::isfinite(v));
}

TEST(NumberConversion, SafeRoundingAndTruncation) {
  std::int32_t out = 0;
  EXPECT_TRUE(NumberConversion::RoundHalfAwayToInt32(2.5, out));
  EXPECT_EQ(out, 3);
  EXPECT_TRUE(NumberConversion::RoundHalfAwayToInt32(-2.5, out));
  EXPECT_EQ(out, -3);
  EXPECT_TRUE(NumberConversion::TruncateToInt32(2147483647.9, out));
  EXPECT_EQ(out, 2147483647);
  EXPECT_FALSE(NumberConversion::TruncateToInt32(2147483648.0, out));
  EXPECT_TRUE(NumberConversion::TruncateToInt32(-2147483648.5, out));
  EXPECT_EQ(out, std::numeric_limits<std::int32_t>::min());
  EXPECT_FALSE(NumberConversion::RoundHalfAwayToInt32(2147483647.5, out));
  EXPECT_FALSE(NumberConversion::TruncateToInt32(-std::numeric_limits<double>::infinity(), out));
}

} // namespace
