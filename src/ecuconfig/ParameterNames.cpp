#include "ecuconfig/ParameterNames.h"

#include "dataitems/TNoxNumber.h"

#include <array>

namespace {

using M = TSerialDataModule;

struct Name {
  TNoxNumber *M::*Item;
  std::int32_t Bit; // 0: the item as a whole
  int CaptionId;
};

// The wave window's own fields keep the captions it shows (101 to 103).
constexpr std::array kNames{
    Name{&M::FLAG_GONFIGURAZIONE, 0, 430},
    Name{&M::FLAG_GONFIGURAZIONE, 16, 431},
    Name{&M::FLAG_GONFIGURAZIONE, 32, 432},
    Name{&M::FLAG_GONFIGURAZIONE, 128, 433},
    Name{&M::FLAG_CONFIGURAZIONE_2, 0, 434},
    Name{&M::FLAG_CONFIGURAZIONE_3, 0, 435},
    Name{&M::FLAG_CONFIGURAZIONE_3, 2, 436},
    Name{&M::FLAG_CONFIGURAZIONE_3, 8, 437},
    Name{&M::FLAG_CONFIGURAZIONE_3, 16, 438},
    Name{&M::FlagAcquisitodefault, 0, 439},
    Name{&M::FlagAcquisitodefault, 8, 440},
    Name{&M::CHECKUP, 0, 441},
    Name{&M::RIPROGRAMMAZIONE, 0, 442},
    Name{&M::GiriSbananata, 0, 443},
    Name{&M::NUMERO_VOLTE_ALTO, 0, 101},
    Name{&M::NUVERO_VOLTE_BASSO, 0, 102},
    Name{&M::NUMERO_RIPETIZIONI_ONDA, 0, 103},
    Name{&M::NUMERO_RIPETIZIONI_TRI, 0, 444},
    Name{&M::NUMERO_VOLTE_TRI, 0, 445},
    Name{&M::RifLambdaAlMinimo, 0, 446},
    Name{&M::RifLambdaFuoriMinimo, 0, 447},
    Name{&M::RifLambdaRiccoFreddo, 0, 448},
    Name{&M::AperturaSfigFuoriMin, 0, 449},
    Name{&M::AperturaSfigFuoriMinEco, 0, 450},
    Name{&M::TPSFasciaApprendimento, 0, 451},
    Name{&M::PosizioneASondaFredda, 0, 452},
    Name{&M::RifLambdaInPotenza, 0, 453},
    Name{&M::TempoTraTestMagroPower, 0, 454},
    Name{&M::NPassiPrimoMagroPower, 0, 455},
    Name{&M::NPassiTestMagroPower, 0, 456},
    Name{&M::TPSSbananata, 0, 457},
    Name{&M::NoxNumberTPSRif2, 0, 458},
    Name{&M::PosizioneInOpenLoop, 0, 459},
    Name{&M::VelIngrMinimo, 0, 460},
    Name{&M::VelSmagrMinimo, 0, 461},
    Name{&M::VelIngrCrociera, 0, 462},
    Name{&M::VelSmagrCrociera, 0, 463},
    Name{&M::MinimaAperturaAlMinimo, 0, 464},
    Name{&M::MassimaAperturaAlMinimo, 0, 465},
    Name{&M::MinimaAperturaInCrociera, 0, 466},
    Name{&M::MassimaAperturaInCrociera, 0, 467},
    Name{&M::FrazDefEntroMinimo, 0, 468},
    Name{&M::FrazDefEscoMinimo, 0, 469},
    Name{&M::ValoreMinimoTPS, 0, 470},
    Name{&M::RitardoSmagrPrimoGrasso, 0, 471},
    Name{&M::NPassiPrimoMagroCrociera, 0, 472},
    Name{&M::NoxNumberVelSmagrSbana, 0, 473},
    Name{&M::NoxNumberVelIngrSbana, 0, 474},
    Name{&M::VelocitaFuga, 0, 475},
    Name{&M::MinAperturaInFuga, 0, 476},
    Name{&M::MaxAperturaInFuga, 0, 477},
    Name{&M::GiriSgancioCutOffFiliGialli, 0, 478},
    Name{&M::GiriCutOffFiliGialli, 0, 479},
    Name{&M::MaxRicco, 0, 480},
};

// Counts of waves, blocks and ticks: the address map gives them seconds.
const char *const kCounts[] = {"NUMERO_VOLTE_TRI", "NUMERO_RIPETIZIONI_ONDA", "NUMERO_RIPETIZIONI_TRI"};

// The entry naming the item: its one changed bit's when there is one,
// otherwise the item's own.
const Name *Find(const TSerialDataModule &module, const TNoxSerialData *item, std::int32_t changedBits) {
  if (!item)
    return nullptr;
  const bool oneBit = changedBits > 0 && (changedBits & (changedBits - 1)) == 0;
  const Name *whole = nullptr;
  for (const Name &name : kNames) {
    if (module.*name.Item != item)
      continue;
    if (name.Bit == 0)
      whole = &name;
    else if (oneBit && name.Bit == changedBits)
      return &name;
  }
  return whole;
}

} // namespace

QString ParameterNames::CaptionOf(const TSerialDataModule &module, const TNoxSerialData *item,
                                  std::int32_t changedBits) {
  const Name *name = Find(module, item, changedBits);
  return name ? module.Text(name->CaptionId) : QString();
}

std::int32_t ParameterNames::NamedBit(const TSerialDataModule &module, const TNoxSerialData *item,
                                      std::int32_t changedBits) {
  const Name *name = Find(module, item, changedBits);
  return name ? name->Bit : 0;
}

QString ParameterNames::UnitOf(const TNoxSerialData *item) {
  if (!item)
    return QString();
  for (const char *count : kCounts)
    if (item->objectName() == QLatin1String(count))
      return QString();
  return item->MeasureUnit();
}
