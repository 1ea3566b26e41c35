// The factory image is checked against the parameter catalogue: each default
// user value is converted to its raw byte here, independently of the
// hand-written table, and shared bytes are merged through their masks.

#include "SimEcuMemory.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <set>
#include <string>

namespace {

enum class Kind { Plain, Formula, SignMagnitude, Bit4Inverted };

struct CatalogueItem {
  const char *name;
  int address;
  int mask;
  Kind kind;
  double a, b, c, d;
  double defaultValue;
};

constexpr double Speed = 117000; // engine-speed items: B as stored

// (name, address, mask, kind, A, B, C, D, default). Tabled items are entered
// with their table's ECU-side value: TIPO_EMULAZIONE 2 -> 64, TipoSensore 1 -> 1
// (default as raised by the configuration window); TEMPERATURA_PER_CAMBIO's
// 25 degrees is ratio 1 in the temperature table, fed to its formula.
const CatalogueItem Catalogue[] = {
    {"TIPO_ACCENSIONE", 163, 7, Kind::Plain, 1, 0, 0, 1, 4},
    {"TIPO_SEGNALE_GIRI", 164, 16, Kind::Formula, 1, 0, 0, 16, 0},
    {"TIPO_CAMBIO", 163, 24, Kind::Formula, 1, 0, 0, 8, 0},
    {"TEMPO_SOVRAPPOSIZIONE", 216, 255, Kind::Formula, 4, -4, 0, 1000, 0.4},
    {"TIPO_TPS", 164, 224, Kind::Formula, 1, 0, 0, 32, 0},
    {"TIPO_SONDA_LAMBDA", 165, 224, Kind::Formula, 1, 0, 0, 32, 0},
    {"RITARDO_LETTURA_SONDA", 205, 255, Kind::Formula, 5, 0, 0, 1, 5},
    {"MASSIMA_APERTURA_ATTUATORE", 207, 255, Kind::Plain, 1, 0, 0, 1, 240},
    {"MINIMA_APERTURA_ATTUATORE", 208, 255, Kind::Plain, 1, 0, 0, 1, 20},
    {"FLAG_GONFIGURAZIONE", 162, 255, Kind::Plain, 1, 0, 0, 1, 32},
    {"POSIZIONE_IN_AFFONDATA", 167, 255, Kind::Plain, 1, 0, 0, 1, 100},
    {"TPS_PER_AFFONDATA", 166, 255, Kind::Formula, 5, 0, 0, 255, 2.8},
    {"POSIZIONE_IN_CUTOFF", 206, 255, Kind::Plain, 1, 0, 0, 1, 80},
    {"POSIZIONE_DEFAULT", 168, 255, Kind::Plain, 1, 0, 0, 1, 100},
    {"FLAG_CONFIGURAZIONE_2", 164, 8, Kind::Plain, 1, 0, 0, 1, 0},
    {"ISTERESI_MINIMO_TPS", 194, 255, Kind::Formula, 5, 0, 0, 255, 0.14},
    {"CHECKUP", 161, 255, Kind::Plain, 1, 0, 0, 1, 172},
    {"TEMPERATURA_PER_CAMBIO", 224, 255, Kind::Formula, 5, 0, -5, 1275, 1.0},
    {"TIPO_COMMUTATORE", 226, 255, Kind::Plain, 1, 0, 0, 1, 132},
    {"GiriPerCambio", 223, 255, Kind::Formula, 0, Speed, 1, 0, 2000},
    {"GiriSbananata", 213, 255, Kind::Formula, 0, Speed, 1, 0, 3600},
    {"GiriCutOff", 204, 255, Kind::Formula, 0, Speed, 1, 0, 1500},
    {"GiriFuoriGiri", 225, 255, Kind::Formula, 0, Speed, 1, 0, 12000},
    {"TipoSensore", 164, 7, Kind::Plain, 1, 0, 0, 1, 1},
    {"NUMERO_VOLTE_ALTO", 169, 255, Kind::Formula, 20, 0, 0, 1000, 0.36},
    {"NUVERO_VOLTE_BASSO", 170, 255, Kind::Formula, 20, 0, 0, 1000, 0.36},
    {"NUMERO_VOLTE_TRI", 171, 255, Kind::Plain, 1, 0, 0, 1, 0},
    {"NUMERO_RIPETIZIONI_ONDA", 172, 255, Kind::Plain, 1, 0, 0, 1, 1},
    {"NUMERO_RIPETIZIONI_TRI", 173, 255, Kind::Plain, 1, 0, 0, 1, 0},
    {"RifLambdaAlMinimo", 199, 255, Kind::Formula, 5, 0, 0, 255, 0.55},
    {"RifLambdaFuoriMinimo", 200, 255, Kind::Formula, 5, 0, 0, 255, 0.55},
    {"RifLambdaRiccoFreddo", 198, 255, Kind::Formula, 5, 0, 0, 255, 0.55},
    {"TIPO_EMULAZIONE", 163, 96, Kind::Plain, 1, 0, 0, 1, 64},
    {"AperturaSfigFuoriMin", 185, 255, Kind::Plain, 1, 0, 0, 1, 25},
    {"FLAG_CONFIGURAZIONE_3", 165, 255, Kind::Bit4Inverted, 1, 0, 0, 1, 16},
    {"AperturaSfigFuoriMinEco", 186, 255, Kind::Plain, 1, 0, 0, 1, 8},
    {"TPSFasciaApprendimento", 196, 255, Kind::Formula, 5, 0, 0, 255, 2},
    {"PosizioneASondaFredda", 219, 255, Kind::SignMagnitude, 1, 0, 0, 1, 0},
    {"RifLambdaInPotenza", 202, 255, Kind::Formula, 5, 0, 0, 255, 0.55},
    {"TempoTraTestMagroPower", 212, 255, Kind::Formula, 20, 0, 0, 1000, 0.2},
    {"NPassiPrimoMagroPower", 214, 255, Kind::Plain, 1, 0, 0, 1, 4},
    {"NPassiTestMagroPower", 211, 255, Kind::Plain, 1, 0, 0, 1, 4},
    {"TPSSbananata", 215, 255, Kind::Formula, 5, 0, 0, 255, 3.5},
    {"NoxNumberTPSRif2", 197, 255, Kind::Formula, 5, 0, 0, 255, 3.5},
    {"PosizioneInOpenLoop", 218, 255, Kind::Plain, 1, 0, 0, 1, 100},
    {"VelIngrMinimo", 174, 255, Kind::Plain, 1, 0, 0, 1, 60},
    {"VelSmagrMinimo", 175, 255, Kind::Plain, 1, 0, 0, 1, 80},
    {"VelIngrCrociera", 177, 255, Kind::Plain, 1, 0, 0, 1, 35},
    {"VelSmagrCrociera", 178, 255, Kind::Plain, 1, 0, 0, 1, 60},
    {"MinimaAperturaAlMinimo", 187, 255, Kind::Plain, 1, 0, 0, 1, 25},
    {"MassimaAperturaAlMinimo", 184, 255, Kind::Plain, 1, 0, 0, 1, 25},
    {"MinimaAperturaInCrociera", 189, 255, Kind::Plain, 1, 0, 0, 1, 255},
    {"MassimaAperturaInCrociera", 188, 255, Kind::Plain, 1, 0, 0, 1, 255},
    {"FrazDefEntroMinimo", 182, 255, Kind::SignMagnitude, 1, 0, 0, 1, 0},
    {"FrazDefEscoMinimo", 183, 255, Kind::SignMagnitude, 1, 0, 0, 1, 5},
    {"ValoreMinimoTPS", 195, 255, Kind::Formula, 5, 0, 0, 255, 1.4},
    {"RitardoSmagrPrimoGrasso", 209, 255, Kind::Plain, 1, 0, 0, 1, 120},
    {"NPassiPrimoMagroCrociera", 210, 255, Kind::Plain, 1, 0, 0, 1, 1},
    {"NoxNumberVelSmagrSbana", 180, 255, Kind::Plain, 1, 0, 0, 1, 80},
    {"NoxNumberVelIngrSbana", 179, 255, Kind::Plain, 1, 0, 0, 1, 20},
    {"VelocitaFuga", 176, 255, Kind::Plain, 1, 0, 0, 1, 20},
    {"MinAperturaInFuga", 190, 255, Kind::Plain, 1, 0, 0, 1, 10},
    {"MaxAperturaInFuga", 191, 255, Kind::Plain, 1, 0, 0, 1, 10},
    {"GiriSgancioCutOffFiliGialli", 193, 255, Kind::Formula, 0, Speed, 1, 0, 12000},
    {"GiriCutOffFiliGialli", 192, 255, Kind::Formula, 0, Speed, 1, 0, 12000},
    {"MaxRicco", 201, 255, Kind::Formula, 5, 0, 0, 255, 0.55},
    // TempoDiCicchetto shares 223 with GiriPerCambio; with change-over type 0
    // the byte is a speed, so the speed default is the one stored.
    {"FlagAcquisitodefault", 122, 255, Kind::Plain, 1, 0, 0, 1, 0},
};

long roundHalfAway(double v) {
  return static_cast<long>(v >= 0 ? v + 0.5 : v - 0.5);
}

long rawDefault(const CatalogueItem &item) {
  const double user = item.defaultValue;
  switch (item.kind) {
  case Kind::Plain:
    return static_cast<long>(user);
  case Kind::Formula:
    return roundHalfAway((item.b - item.d * user) / (item.c * user - item.a));
  case Kind::SignMagnitude:
    return user < 0 ? static_cast<long>(128 - user) : static_cast<long>(user);
  case Kind::Bit4Inverted:
    return static_cast<long>(user) ^ 16;
  }
  return -1;
}

} // namespace

TEST(FactoryImage, EveryByteIsTheRawFormOfItsItemsDefaults) {
  SimEcuMemory::Image expected{};
  for (const auto &item : Catalogue) {
    const long raw = rawDefault(item);
    ASSERT_GE(raw, 0) << item.name;
    ASSERT_LE(raw, 255) << item.name;
    auto &byte = expected[static_cast<std::size_t>(item.address)];
    byte = static_cast<std::uint8_t>((byte & ~item.mask) | (raw & item.mask));
  }
  const auto &image = SimEcuMemory::factoryImage();
  for (std::size_t address = 0; address < SimEcuMemory::Size; ++address)
    EXPECT_EQ(image[address], expected[address]) << "address " << address;
}

TEST(FactoryImage, SharedBytesMatchTheCataloguesExamples) {
  const auto &image = SimEcuMemory::factoryImage();
  EXPECT_EQ(image[163], 0x44); // ignition 4, emulation 2
  EXPECT_EQ(image[161], 172);
  EXPECT_EQ(image[165], 0x00); // flag 16 stored inverted, probe type 0
  EXPECT_EQ(image[224], 128);  // 25 degrees
  EXPECT_EQ(image[216], 101);  // 0.4 s
}

TEST(FactoryImage, MapHoldsExactlyTheUsedAddresses) {
  const std::set<int> unused = {181, 203, 217, 220, 221, 222};
  std::set<int> fromCatalogue;
  for (const auto &item : Catalogue)
    fromCatalogue.insert(item.address);
  for (int address = 0; address < 256; ++address) {
    const bool used = address == 122 || (address >= 161 && address <= 226 && !unused.contains(address));
    EXPECT_EQ(SimEcuMemory::isMapped(address), used) << "address " << address;
    EXPECT_EQ(fromCatalogue.contains(address), used) << "catalogue, address " << address;
  }
  EXPECT_FALSE(SimEcuMemory::isMapped(-1));
  EXPECT_FALSE(SimEcuMemory::isMapped(256));
}
