// The two custom one-byte encodings: sign and magnitude, and the third flag
// byte with bit 4 stored inverted. Values that cannot be encoded are refused.
#include "ModuleFixture.h"

#include "dataitems/NumberConversion.h"

#include <limits>

namespace {

using namespace catalogue_test;

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

class CustomConversions : public ModuleFixture {};

TEST_F(CustomConversions, SignAndMagnitude) {
  for (TNoxNumber *item :
       {Module.PosizioneASondaFredda, Module.FrazDefEntroMinimo, Module.FrazDefEscoMinimo}) {
    SCOPED_TRACE(item->objectName().toStdString());
    item->SetDisableLimits(true);
    for (const auto &[ecu, user] : std::vector<std::pair<int, double>>{
             {0, 0}, {1, 1}, {127, 127}, {128, 0}, {129, -1}, {133, -5}, {255, -127}})
      EXPECT_EQ(item->ConvertToUser(ecu), user) << ecu;
    for (const auto &[user, ecu] : std::vector<std::pair<double, int>>{
             {-5.9, 133}, {5.9, 5}, {-127, 255}, {127, 127}, {0, 0}, {-0.5, 128}, {-127.9, 255}})
      EXPECT_EQ(item->ConvertToEcu(user), ecu) << user;
    // No encoding for a magnitude beyond 127, nor for what is no number.
    for (double user : {128.0, -128.0, 300.0, -1e12, kNaN, kInf, -kInf})
      EXPECT_EQ(item->ConvertToEcu(user), CONVERSION_OUT_OF_RANGE) << user;
  }
  // With its limits on, an offset on entering idle stops at -100.
  Module.FrazDefEntroMinimo->SetDisableLimits(false);
  EXPECT_EQ(Module.FrazDefEntroMinimo->ConvertToEcu(-127), 228);
}

TEST_F(CustomConversions, ThirdFlagByteStoresBitFourInverted) {
  TNoxNumber *flags = Module.FLAG_CONFIGURAZIONE_3;
  for (const auto &[ecu, user] :
       std::vector<std::pair<int, double>>{{0x00, 16}, {0x10, 0}, {0xE0, 240}, {0xFF, 0xEF}, {0x0A, 0x1A}})
    EXPECT_EQ(flags->ConvertToUser(ecu), user) << ecu;
  for (const auto &[user, ecu] :
       std::vector<std::pair<double, int>>{{16, 0x00}, {0, 0x10}, {240, 0xE0}, {26.7, 0x0A}, {255, 0xEF}})
    EXPECT_EQ(flags->ConvertToEcu(user), ecu) << user;
  for (double user : {256.0, -1.0, kNaN, kInf})
    EXPECT_EQ(flags->ConvertToEcu(user), CONVERSION_OUT_OF_RANGE) << user;
}

TEST_F(CustomConversions, UnencodableValueIsNeverSent) {
  Byte(165) = 0x00;
  Byte(219) = 5;
  EXPECT_FALSE(Module.FLAG_CONFIGURAZIONE_3->SetValue(kNaN));
  Module.PosizioneASondaFredda->SetDisableLimits(true);
  EXPECT_FALSE(Module.PosizioneASondaFredda->SetValue(200));
  EXPECT_EQ(WritesTo(165), 0);
  EXPECT_EQ(WritesTo(219), 0);
  EXPECT_EQ(Byte(219), 5);

  ASSERT_TRUE(Module.FLAG_CONFIGURAZIONE_3->SetValue(16));
  EXPECT_EQ(Byte(165), 0x00);
  ASSERT_TRUE(Module.PosizioneASondaFredda->SetValue(-5));
  EXPECT_EQ(Byte(219), 133);
}

} // namespace
