#include "ecuconfig/ParameterCatalogue.h"

#include "ecuconfig/TSerialDataModule.h"

#include <array>

namespace ParameterCatalogue {
namespace {

using M = TSerialDataModule;

// Coefficients (A; B; C; D) of (A*e + B) / (C*e + D), e the masked byte.
constexpr Coeffs kPlain{1, 0, 0, 1};
constexpr Coeffs kVolt{5, 0, 0, 255};          // 0..5 V over the byte
constexpr Coeffs kSpeed{0, 117000, 1, 0};      // period count; B follows the ignition type
constexpr Coeffs kTemperature{5, 0, -5, 1275}; // ratio e / (255 - e), then table T1
constexpr Coeffs kWave{20, 0, 0, 1000};        // 20 ms steps in seconds

constexpr const char *kConfig = "CONFIGURAZIONE";
constexpr const char *kCommands = "COMANDI";

// The handler sets wired to the items.
constexpr Events kNone{};
constexpr Events kIgnition{.OnGetData = &M::TIPO_ACCENSIONEGetData, .OnSetData = &M::TIPO_ACCENSIONESetData};
constexpr Events kTpsType{.OnGetData = &M::TIPO_TPSSetData, .OnSetData = &M::TIPO_TPSSetData};
constexpr Events kActuator{.OnGetData = &M::MASSIMA_APERTURA_ATTUATORESetData,
                           .OnSetData = &M::MASSIMA_APERTURA_ATTUATORESetData};
constexpr Events kSignMagnitude{.OnConvertToUser = &M::PosizioneASondaFreddaConvertToUser,
                                .OnConvertToEcu = &M::PosizioneASondaFreddaConvertToEcu};
constexpr Events kActuatorSignMagnitude{.OnGetData = &M::MASSIMA_APERTURA_ATTUATORESetData,
                                        .OnSetData = &M::MASSIMA_APERTURA_ATTUATORESetData,
                                        .OnConvertToUser = &M::PosizioneASondaFreddaConvertToUser,
                                        .OnConvertToEcu = &M::PosizioneASondaFreddaConvertToEcu};
constexpr Events kProbeType{.OnSetData = &M::TIPO_SONDA_LAMBDASetData};
constexpr Events kFlags1{.OnSetData = &M::FLAG_GONFIGURAZIONESetData};
constexpr Events kFlags3{.OnConvertToUser = &M::FLAG_CONFIGURAZIONE_3ConvertToUser,
                         .OnConvertToEcu = &M::FLAG_CONFIGURAZIONE_3ConvertToEcu};
constexpr Events kSwitchType{.OnGetData = &M::TIPO_COMMUTATOREGetData};
constexpr Events kYellowCutOff{.OnSetData = &M::GiriCutOffFiliGialliSetData};
constexpr Events kDefaultAcquired{.OnGetData = &M::FlagAcquisitodefaultGetData};
constexpr Events kEngineSpeed{.OnGetData = &M::VAL_GIRIGetData};
constexpr Events kTpsBand{.OnGetData = &M::FASCIA_TPSGetData};
constexpr Events kLambdaBand{.OnGetData = &M::FASCIA_LAMBDAGetData};

#define NOX_ITEM(name) #name, &TSerialDataModule::name

// clang-format off
constexpr std::array<ParameterRow, 69> kParameters{{
// #   Component                                   Addr      Mask Conversion         Coeffs             Table                 Unit    Prec.  Min   Max    Default Flags    File key                                         Section    Events
{  1, NOX_ITEM(TIPO_ACCENSIONE),                   163,         7, ttNone,            kPlain,            Table::None,          "",     0,     0,    0,     4,      DL,      "TIPO ACCENSIONE",                               kConfig,   kIgnition},
{  2, NOX_ITEM(TIPO_SEGNALE_GIRI),                 164,        16, ttFormula,         {1, 0, 0, 16},     Table::None,          "",     0,     0,    0,     0,      DL,      "TIPO SEGNALE GIRI",                             kConfig,   kNone},
{  3, NOX_ITEM(TIPO_CAMBIO),                       163,        24, ttFormula,         {1, 0, 0, 8},      Table::None,          "",     0,     0,    0,     0,      DL,      "TIPO CAMBIO",                                   kConfig,   kNone},
{  4, NOX_ITEM(TEMPO_SOVRAPPOSIZIONE),             216,       255, ttFormula,         {4, -4, 0, 1000},  Table::None,          "s",    0.1,   0,    1,     0.4,    NoFlags, "TEMPO DI SOVRAPPOSIZIONE",                      kConfig,   kNone},
{  5, NOX_ITEM(TIPO_TPS),                          164,       224, ttFormula,         {1, 0, 0, 32},     Table::None,          "",     0,     0,    0,     0,      DL,      "TIPO DI TPS",                                   kConfig,   kTpsType},
{  6, NOX_ITEM(TIPO_SONDA_LAMBDA),                 165,       224, ttFormula,         {1, 0, 0, 32},     Table::None,          "",     0,     0,    0,     0,      DL,      "TIPO SONDA LAMBDA",                             kConfig,   kProbeType},
{  7, NOX_ITEM(RITARDO_LETTURA_SONDA),             205,       255, ttFormula,         {5, 0, 0, 1},      Table::None,          "s",    5,     5,    1275,  5,      NoFlags, "RITARDO LETTURA SONDA",                         kConfig,   kNone},
{  8, NOX_ITEM(MASSIMA_APERTURA_ATTUATORE),        207,       255, ttNone,            kPlain,            Table::None,          "",     1,     20,   240,   240,    NoFlags, "MASSIMA APERTURA ATTUATORE",                    kConfig,   kActuator},
{  9, NOX_ITEM(MINIMA_APERTURA_ATTUATORE),         208,       255, ttNone,            kPlain,            Table::None,          "",     1,     20,   240,   20,     NoFlags, "MINIMA APERTURA ATTUATORE",                     kConfig,   kActuator},
{ 10, NOX_ITEM(FLAG_GONFIGURAZIONE),               162,       255, ttNone,            kPlain,            Table::None,          "",     0,     0,    0,     32,     DL,      "FLAG DI CONFIGURAZIONE",                        kConfig,   kFlags1},
{ 11, NOX_ITEM(POSIZIONE_IN_AFFONDATA),            167,       255, ttNone,            kPlain,            Table::None,          "",     1,     20,   240,   100,    NoFlags, "POSIZIONE IN AFFONDATA",                        kConfig,   kNone},
{ 12, NOX_ITEM(TPS_PER_AFFONDATA),                 166,       255, ttFormula,         kVolt,             Table::None,          "V",    0.1,   0,    5,     2.8,    NoFlags, "TPS PER AFFONDATA",                             kConfig,   kNone},
{ 13, NOX_ITEM(POSIZIONE_IN_CUTOFF),               206,       255, ttNone,            kPlain,            Table::None,          "",     1,     20,   240,   80,     NoFlags, "POSIZIONE IN CUTOFF",                           kConfig,   kNone},
{ 14, NOX_ITEM(POSIZIONE_DEFAULT),                 168,       255, ttNone,            kPlain,            Table::None,          "",     1,     20,   240,   100,    NoFlags, "POSIZIONE DEFAULT FISSO",                       kConfig,   kNone},
{ 15, NOX_ITEM(FLAG_CONFIGURAZIONE_2),             164,         8, ttNone,            kPlain,            Table::None,          "",     0,     0,    0,     0,      DL,      "FLAG CONFIGURAZIONE 2",                         kConfig,   kNone},
{ 16, NOX_ITEM(ISTERESI_MINIMO_TPS),               194,       255, ttFormula,         kVolt,             Table::None,          "V",    0.01,  0,    0.5,   0.14,   NoFlags, "ISTERESI MINIMO TPS",                           kConfig,   kNone},
{ 17, NOX_ITEM(CHECKUP),                           161,       255, ttNone,            kPlain,            Table::None,          "",     1,     0,    0,     172,    DL,      "CHECKUP",                                       kConfig,   kNone},
{ 19, NOX_ITEM(TEMPERATURA_PER_CAMBIO),            224,       255, ttNonLinearTabled, kTemperature,      Table::T1,            "°C",   1,     0,    40,    25,     NoFlags, "TEMPERATURA PER CAMBIO",                        kConfig,   kNone},
{ 26, NOX_ITEM(TIPO_COMMUTATORE),                  226,       255, ttNone,            kPlain,            Table::SwitchType,    "",     0,     0,    0,     0,      DL,      "TIPO COMMUTATORE",                              kConfig,   kSwitchType},
{ 27, NOX_ITEM(RIPROGRAMMAZIONE),                  NoAddress, 255, ttNone,            kPlain,            Table::None,          "",     0,     0,    0,     240,    DL,      "RIPROGRAMMAZIONE",                              kCommands, kNone},
{ 30, NOX_ITEM(GiriPerCambio),                     223,       255, ttFormula,         kSpeed,            Table::None,          "RPM",  100,   1000, 6000,  2000,   G1,      "RIFERIMENTO GIRI CAMBIO",                       kConfig,   kNone},
{ 31, NOX_ITEM(GiriSbananata),                     213,       255, ttFormula,         kSpeed,            Table::None,          "RPM",  100,   1000, 8000,  3600,   G1,      "GIRI_SBANANATA",                                kConfig,   kNone},
{ 32, NOX_ITEM(GiriCutOff),                        204,       255, ttFormula,         kSpeed,            Table::None,          "RPM",  100,   1000, 8000,  1500,   G1,      "GIRI CUTOFF",                                   kConfig,   kNone},
{ 33, NOX_ITEM(GiriFuoriGiri),                     225,       255, ttFormula,         kSpeed,            Table::None,          "RPM",  100,   4000, 8000,  12000,  G1,      "GIRI FUORI GIRI",                               kConfig,   kNone},
{ 34, NOX_ITEM(TipoSensore),                       164,         7, ttTabled,          kPlain,            Table::T2,            "",     0,     0,    0,     0,      DL,      "TIPO DI SENSORE",                               kConfig,   kNone},
{ 35, NOX_ITEM(NUMERO_VOLTE_ALTO),                 169,       255, ttFormula,         kWave,             Table::None,          "s",    0.01,  0,    5.1,   0.36,   NoFlags, "NUMERO DI VOLTE ALTO",                          kConfig,   kNone},
{ 36, NOX_ITEM(NUVERO_VOLTE_BASSO),                170,       255, ttFormula,         kWave,             Table::None,          "s",    0.01,  0,    5.1,   0.36,   NoFlags, "NUMERO DI VOLTE BASSO",                         kConfig,   kNone},
{ 37, NOX_ITEM(NUMERO_VOLTE_TRI),                  171,       255, ttNone,            kPlain,            Table::None,          "s",    1,     0,    255,   0,      NoFlags, "NUMERO DI VOLTE TRI",                           kConfig,   kNone},
{ 38, NOX_ITEM(NUMERO_RIPETIZIONI_ONDA),           172,       255, ttNone,            kPlain,            Table::None,          "s",    1,     0,    255,   1,      NoFlags, "NUMERO RIPETIZIONI ONDA",                       kConfig,   kNone},
{ 39, NOX_ITEM(NUMERO_RIPETIZIONI_TRI),            173,       255, ttNone,            kPlain,            Table::None,          "s",    0.01,  0,    255,   0,      NoFlags, "NUMERO RIPETIZIONI TRI",                        kConfig,   kNone},
{ 40, NOX_ITEM(RifLambdaAlMinimo),                 199,       255, ttFormula,         kVolt,             Table::None,          "V",    0.01,  0.5,  5,     0.55,   NoFlags, "RIF LAMBDA MINIMO",                             kConfig,   kNone},
{ 41, NOX_ITEM(RifLambdaFuoriMinimo),              200,       255, ttFormula,         kVolt,             Table::None,          "V",    0.01,  0.5,  5,     0.55,   NoFlags, "RIF LAMBDA FUORI MINIMO",                       kConfig,   kNone},
{ 42, NOX_ITEM(RifLambdaRiccoFreddo),              198,       255, ttFormula,         kVolt,             Table::None,          "V",    0.01,  0,    5,     0.55,   NoFlags, "RICCO FREDDO",                                  kConfig,   kNone},
{ 43, NOX_ITEM(TIPO_EMULAZIONE),                   163,        96, ttTabled,          {1, 0, 0, 32},     Table::T3,            "",     0,     0,    0,     2,      DL,      "TIPO DI EMULAZIONE",                            kConfig,   kNone},
{ 44, NOX_ITEM(AperturaSfigFuoriMin),              185,       255, ttNone,            kPlain,            Table::None,          "",     1,     0,    255,   25,     NoFlags, "FRAZ DEF SOPRA DEF SFIG",                       kConfig,   kNone},
{ 45, NOX_ITEM(FLAG_CONFIGURAZIONE_3),             165,       255, ttCustom,          kPlain,            Table::None,          "",     0,     0,    0,     16,     DL,      "FLAG CONFIGURAZIONE 3",                         kConfig,   kFlags3},
{ 46, NOX_ITEM(AperturaSfigFuoriMinEco),           186,       255, ttNone,            kPlain,            Table::None,          "",     1,     0,    250,   8,      NoFlags, "FRAZ DEF SOTTO DEF SFIG ECO",                   kConfig,   kNone},
{ 47, NOX_ITEM(TPSFasciaApprendimento),            196,       255, ttFormula,         kVolt,             Table::None,          "V",    0.1,   1.4,  3.4,   2,      NoFlags, "TPS FASCIA APPRENDIMENTO",                      kConfig,   kNone},
{ 48, NOX_ITEM(PosizioneASondaFredda),             219,       255, ttCustom,          kPlain,            Table::SignMagnitude, "",     1,     -127, 127,   0,      NoFlags, "POSIZIONE DOPO CAMBIO",                         kConfig,   kSignMagnitude},
{ 49, NOX_ITEM(RifLambdaInPotenza),                202,       255, ttFormula,         kVolt,             Table::None,          "V",    0.01,  0.5,  5,     0.55,   NoFlags, "RIF LAMBDA IN POTENZA",                         kConfig,   kNone},
{ 50, NOX_ITEM(TempoTraTestMagroPower),            212,       255, ttFormula,         kWave,             Table::None,          "s",    0.01,  0,    5,     0.2,    NoFlags, "NUMERO DI PASSI AL PRIMO GRASSO IN SBANANATA",  kConfig,   kNone},
{ 51, NOX_ITEM(NPassiPrimoMagroPower),             214,       255, ttNone,            kPlain,            Table::None,          "",     1,     1,    20,    4,      NoFlags, "NUMERO DI PASSI AL PRIMO MAGRO IN SBANANATA",   kConfig,   kNone},
{ 52, NOX_ITEM(NPassiTestMagroPower),              211,       255, ttNone,            kPlain,            Table::None,          "",     1,     1,    20,    4,      NoFlags, "NUMERO DI PASSI TEST MAGRO IN SBANANATA",       kConfig,   kNone},
{ 53, NOX_ITEM(TPSSbananata),                      215,       255, ttFormula,         kVolt,             Table::None,          "V",    0.1,   0,    5,     3.5,    NoFlags, "TPS INIZIO FASCIA SBANANATA",                   kConfig,   kNone},
{ 54, NOX_ITEM(NoxNumberTPSRif2),                  197,       255, ttFormula,         kVolt,             Table::None,          "V",    0.1,   0,    5,     3.5,    NoFlags, "TPS SBANANATA",                                 kConfig,   kNone},
{ 55, NOX_ITEM(PosizioneInOpenLoop),               218,       255, ttNone,            kPlain,            Table::None,          "",     1,     20,   240,   100,    NoFlags, "POSIZIONE IN OPEN LOOP",                        kConfig,   kNone},
{ 56, NOX_ITEM(VelIngrMinimo),                     174,       255, ttNone,            kPlain,            Table::None,          "ms",   1,     2,    255,   60,     NoFlags, "TEMPO TRA PASSI AD INGRASSARE AL MINIMO",       kConfig,   kNone},
{ 57, NOX_ITEM(VelSmagrMinimo),                    175,       255, ttNone,            kPlain,            Table::None,          "ms",   1,     2,    255,   80,     NoFlags, "TEMPO TRA PASSI A SMAGRIRE AL MINIMO",          kConfig,   kNone},
{ 58, NOX_ITEM(VelIngrCrociera),                   177,       255, ttNone,            kPlain,            Table::None,          "ms",   1,     2,    255,   35,     NoFlags, "TEMPO TRA PASSI AD INGRASSARE IN CROCIERA",     kConfig,   kNone},
{ 59, NOX_ITEM(VelSmagrCrociera),                  178,       255, ttNone,            kPlain,            Table::None,          "ms",   1,     2,    255,   60,     NoFlags, "TEMPO TRA PASSI A SMAGRIRE IN CROCIERA",        kConfig,   kNone},
{ 60, NOX_ITEM(MinimaAperturaAlMinimo),            187,       255, ttNone,            kPlain,            Table::None,          "",     1,     0,    255,   25,     NoFlags, "MINIMA APERTURA ATTUATORE AL MINIMO",           kConfig,   kActuator},
{ 61, NOX_ITEM(MassimaAperturaAlMinimo),           184,       255, ttNone,            kPlain,            Table::None,          "",     1,     0,    255,   25,     NoFlags, "MASSIMA APERTURA ATTUATORE AL MINIMO",          kConfig,   kNone},
{ 62, NOX_ITEM(MinimaAperturaInCrociera),          189,       255, ttNone,            kPlain,            Table::None,          "",     1,     0,    255,   255,    NoFlags, "MINIMA APERTURA ATTUATORE IN CROCIERA",         kConfig,   kNone},
{ 63, NOX_ITEM(MassimaAperturaInCrociera),         188,       255, ttNone,            kPlain,            Table::None,          "",     1,     0,    255,   255,    NoFlags, "MASSIMA APERTURA ATTUATORE IN CROCIERA",        kConfig,   kNone},
{ 64, NOX_ITEM(FrazDefEntroMinimo),                182,       255, ttCustom,          kPlain,            Table::None,          "",     1,     -100, 127,   0,      NoFlags, "POSIZIONE IN ENTRATA AL MINIMO",                kConfig,   kActuatorSignMagnitude},
{ 65, NOX_ITEM(FrazDefEscoMinimo),                 183,       255, ttCustom,          kPlain,            Table::None,          "",     1,     -100, 127,   5,      NoFlags, "POSIZIONE IN USCITA DAL MINIMO",                kConfig,   kActuatorSignMagnitude},
{ 66, NOX_ITEM(ValoreMinimoTPS),                   195,       255, ttFormula,         kVolt,             Table::None,          "V",    0.1,   0,    5,     1.4,    NoFlags, "MINIMO TPS",                                    kConfig,   kNone},
{ 67, NOX_ITEM(RitardoSmagrPrimoGrasso),           209,       255, ttNone,            kPlain,            Table::None,          "ms",   1,     0,    255,   120,    NoFlags, "NUMERO DI PASSI AL PRIMO GRASSO IN CROCIERA",   kConfig,   kNone},
{ 68, NOX_ITEM(NPassiPrimoMagroCrociera),          210,       255, ttNone,            kPlain,            Table::None,          "",     1,     1,    20,    1,      NoFlags, "NUMERO DI PASSI AL PRIMO MAGRO IN CROCIERA",    kConfig,   kNone},
{ 69, NOX_ITEM(NoxNumberVelSmagrSbana),            180,       255, ttNone,            kPlain,            Table::None,          "ms",   1,     2,    255,   80,     NoFlags, "TEMPO TRA PASSI A SMAGRIRE SBANA",              kConfig,   kNone},
{ 70, NOX_ITEM(NoxNumberVelIngrSbana),             179,       255, ttNone,            kPlain,            Table::None,          "ms",   1,     2,    255,   20,     NoFlags, "TEMPO TRA PASSI AD INGRASSARE SBANA",           kConfig,   kNone},
{ 71, NOX_ITEM(VelocitaFuga),                      176,       255, ttNone,            kPlain,            Table::None,          "ms",   1,     2,    255,   20,     NoFlags, "TEMPO TRA PASSI IN FUGA",                       kConfig,   kNone},
{ 72, NOX_ITEM(MinAperturaInFuga),                 190,       255, ttNone,            kPlain,            Table::None,          "",     1,     0,    50,    10,     NoFlags, "FRAZ DEF FUGA MAGRA",                           kConfig,   kNone},
{ 73, NOX_ITEM(MaxAperturaInFuga),                 191,       255, ttNone,            kPlain,            Table::None,          "",     1,     0,    50,    10,     NoFlags, "FRAZ DEF FUGA GRASSA",                          kConfig,   kNone},
{ 74, NOX_ITEM(GiriSgancioCutOffFiliGialli),       193,       255, ttFormula,         kSpeed,            Table::None,          "RPM",  100,   1000, 8000,  12000,  G1,      "GIRI SGANCIO CUTOFF FILI GIALLI",               kConfig,   kNone},
{ 75, NOX_ITEM(GiriCutOffFiliGialli),              192,       255, ttFormula,         kSpeed,            Table::None,          "RPM",  100,   1000, 8000,  12000,  G1,      "GIRI CUTTOFF FILI GIALLI",                      kConfig,   kYellowCutOff},
{ 76, NOX_ITEM(MaxRicco),                          201,       255, ttFormula,         kVolt,             Table::None,          "V",    0.01,  0.55, 5,     0.55,   NoFlags, "MAX RICCO",                                     kConfig,   kNone},
{ 77, NOX_ITEM(TempoDiCicchetto),                  223,       255, ttFormula,         kWave,             Table::None,          "s",    0.01,  0,    5,     1,      NoFlags, "TEMPO DI CICCHETTO",                            kConfig,   kNone},
{ 78, NOX_ITEM(FlagAcquisitodefault),              122,       255, ttNone,            kPlain,            Table::None,          "",     0,     0,    0,     0,      DL | RO, "FLAG DEFAULT",                                  kConfig,   kDefaultAcquired},
}};

// Live values: the packet offset is the byte's index in the status packet.
constexpr std::array<LiveValueRow, 9> kLiveValues{{
// #   Component                                   Offset Mask Conversion         Coeffs        Table      Prec.  Events
{ 18, NOX_ITEM(VALORE_LAMBDA),                     1,     255, ttFormula,         kVolt,        Table::None, 0.01, kNone},
{ 20, NOX_ITEM(VALOR_TPS),                         2,     255, ttFormula,         kVolt,        Table::None, 0.01, kNone},
{ 21, NOX_ITEM(VALORE_MINIMO_TPS),                 3,     255, ttFormula,         kVolt,        Table::None, 0.01, kNone},
{ 22, NOX_ITEM(POSIZIONE_ATTUATORE),               4,     255, ttNone,            kPlain,       Table::None, 1,    kNone},
{ 23, NOX_ITEM(VALORE_POSIZIONE_DEFAULT),          5,     255, ttNone,            kPlain,       Table::None, 1,    kNone},
{ 24, NOX_ITEM(FASCIA_TPS),                        7,     255, ttNone,            kPlain,       Table::None, 0,    kTpsBand},
{ 25, NOX_ITEM(FASCIA_LAMBDA),                     6,     255, ttNone,            kPlain,       Table::None, 0,    kLambdaBand},
{ 28, NOX_ITEM(VAL_TEMPERATURA),                   8,     255, ttNonLinearTabled, kTemperature, Table::T1,   1,    kNone},
{ 29, NOX_ITEM(VAL_GIRI),                          0,     255, ttFormula,         kSpeed,       Table::None, 10,   kEngineSpeed},
}};
// clang-format on

#undef NOX_ITEM

// T1: the thermistor's resistance relative to 25 °C, descending, against
// -55..180 °C in steps of 5.
constexpr std::array<double, 48> kT1Ratios{
    97.578,  67.65,  47.538,  33.831,  24.359,  17.753,  13.067,  9.7228,  7.3007,  5.5361,
    4.2332,  3.266,  2.5392,  1.9902,  1.5709,  1.2492,  1,       0.805,   0.65326, 0.5329,
    0.4371,  0.36,   0.299,   0.2493,  0.2088,  0.1757,  0.148,   0.1262,  0.1076,  0.09215,
    0.07922, 0.0683, 0.05924, 0.05153, 0.04492, 0.0392,  0.0343,  0.03018, 0.02665, 0.023594,
    0.0209,  0.0186, 0.0166,  0.01486, 0.01332, 0.01198, 0.01079, 0.00974};

} // namespace

std::span<const ParameterRow> ParameterRows() {
  return kParameters;
}

std::span<const LiveValueRow> LiveValueRows() {
  return kLiveValues;
}

void TableColumns(Table table, std::vector<double> &ecuColumn, std::vector<double> &userColumn) {
  ecuColumn.clear();
  userColumn.clear();
  switch (table) {
  case Table::None:
    break;
  case Table::T1:
    ecuColumn.assign(kT1Ratios.begin(), kT1Ratios.end());
    for (int degrees = -55; degrees <= 180; degrees += 5)
      userColumn.push_back(degrees);
    break;
  case Table::T2: // masked byte 3 has no entry: the fourth sensor type is 4
    ecuColumn = {0, 1, 2, 4};
    userColumn = {0, 1, 2, 3};
    break;
  case Table::T3:
    ecuColumn = {0, 32, 64};
    userColumn = {0, 1, 2};
    break;
  case Table::SwitchType:
    ecuColumn = {5, 132};
    userColumn = {0, 1};
    break;
  case Table::SignMagnitude:
    for (int e = 0; e < 256; ++e) {
      ecuColumn.push_back(e);
      userColumn.push_back(e < 128 ? e : 128 - e);
    }
    break;
  }
}

} // namespace ParameterCatalogue
