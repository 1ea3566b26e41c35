// The two custom one-byte encodings of the data module.
#include "ecuconfig/TSerialDataModule.h"

#include "dataitems/NumberConversion.h"

namespace {
constexpr int kInvertedBit = 16;
}

// Sign and magnitude: bit 7 is the sign, bits 0-6 the magnitude, so 128 is
// a negative zero.
void TSerialDataModule::PosizioneASondaFreddaConvertToUser(TNoxSerialData * /*Sender*/, int EcuValue,
                                                           double &ConvertedValue) {
  ConvertedValue = EcuValue < 128 ? EcuValue : 128 - EcuValue;
}

// A magnitude beyond 127 has no encoding; it is refused rather than wrapped
// into a value of the other sign.
void TSerialDataModule::PosizioneASondaFreddaConvertToEcu(TNoxSerialData * /*Sender*/, double UserValue,
                                                          int &ConvertedValue) {
  const bool negative = UserValue < 0;
  std::int32_t ecu = 0;
  if (!NumberConversion::TruncateToInt32(negative ? 128 - UserValue : UserValue, ecu) ||
      ecu < (negative ? 128 : 0) || ecu > (negative ? 255 : 127)) {
    ConvertedValue = CONVERSION_OUT_OF_RANGE;
    return;
  }
  ConvertedValue = ecu;
}

// The unit keeps bit 4 of its third flag byte inverted; the user value holds
// it plain. All other bits, the probe type's included, pass unchanged.
void TSerialDataModule::FLAG_CONFIGURAZIONE_3ConvertToUser(TNoxSerialData * /*Sender*/, int EcuValue,
                                                           double &ConvertedValue) {
  ConvertedValue = EcuValue ^ kInvertedBit;
}

// Only a byte can be stored; anything else is refused before the bit is flipped.
void TSerialDataModule::FLAG_CONFIGURAZIONE_3ConvertToEcu(TNoxSerialData * /*Sender*/, double UserValue,
                                                          int &ConvertedValue) {
  std::int32_t ecu = 0;
  if (!NumberConversion::TruncateToInt32(UserValue, ecu) || ecu < 0 || ecu > 255) {
    ConvertedValue = CONVERSION_OUT_OF_RANGE;
    return;
  }
  ConvertedValue = ecu ^ kInvertedBit;
}
