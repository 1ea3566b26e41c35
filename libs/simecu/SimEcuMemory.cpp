#include "SimEcuMemory.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <system_error>

#include <unistd.h>

namespace {

// Factory image: what a new (or erased) unit holds. Each value is the raw form
// of the parameters' default user values, exactly as the program computes it
// when it loads its defaults with limits switched off:
//   formula (A; B; C; D): raw = (B - D*user) / (C*user - A), rounded half away
//   from zero; engine speeds use the stored B = 117000, so raw = 117000 / rpm;
//   plain items store the user value; tabled items store the table's ECU side.
// Where several items share a byte their bits are merged.
constexpr SimEcuMemory::FactoryByte Factory[] = {
    {122, 0, "FlagAcquisitodefault 0 (bit value 8 is set by the unit once it learns its default)"},
    {161, 172, "CHECKUP 172"},
    {162, 32, "FLAG_GONFIGURAZIONE 32 (maximum-power option)"},
    {163, 0x44,
     "TIPO_ACCENSIONE 4 (bits 0-2) | TIPO_CAMBIO 0 (bits 3-4) | TIPO_EMULAZIONE 2 -> 64 (bits 5-6)"},
    {164, 0x01,
     "TipoSensore 1 -> 1 (default raised to 1 by the configuration window) | "
     "FLAG_CONFIGURAZIONE_2 0 | TIPO_SEGNALE_GIRI 0 | TIPO_TPS 0"},
    {165, 0x00, "FLAG_CONFIGURAZIONE_3 16 stored with bit 4 inverted -> 0 | TIPO_SONDA_LAMBDA 0 (bits 5-7)"},
    {166, 143, "TPS_PER_AFFONDATA 2.8 V: 255*2.8/5 = 142.8"},
    {167, 100, "POSIZIONE_IN_AFFONDATA 100"},
    {168, 100, "POSIZIONE_DEFAULT 100"},
    {169, 18, "NUMERO_VOLTE_ALTO 0.36 s: 1000*0.36/20"},
    {170, 18, "NUVERO_VOLTE_BASSO 0.36 s: 1000*0.36/20"},
    {171, 0, "NUMERO_VOLTE_TRI 0"},
    {172, 1, "NUMERO_RIPETIZIONI_ONDA 1"},
    {173, 0, "NUMERO_RIPETIZIONI_TRI 0"},
    {174, 60, "VelIngrMinimo 60 ms"},
    {175, 80, "VelSmagrMinimo 80 ms"},
    {176, 20, "VelocitaFuga 20 ms"},
    {177, 35, "VelIngrCrociera 35 ms"},
    {178, 60, "VelSmagrCrociera 60 ms"},
    {179, 20, "NoxNumberVelIngrSbana 20 ms"},
    {180, 80, "NoxNumberVelSmagrSbana 80 ms"},
    {182, 0, "FrazDefEntroMinimo 0 (sign and magnitude)"},
    {183, 5, "FrazDefEscoMinimo 5 (sign and magnitude)"},
    {184, 25, "MassimaAperturaAlMinimo 25"},
    {185, 25, "AperturaSfigFuoriMin 25"},
    {186, 8, "AperturaSfigFuoriMinEco 8"},
    {187, 25, "MinimaAperturaAlMinimo 25"},
    {188, 255, "MassimaAperturaInCrociera 255"},
    {189, 255, "MinimaAperturaInCrociera 255"},
    {190, 10, "MinAperturaInFuga 10"},
    {191, 10, "MaxAperturaInFuga 10"},
    {192, 10, "GiriCutOffFiliGialli 12000 rpm: 117000/12000 = 9.75 (above its maximum; limits off)"},
    {193, 10, "GiriSgancioCutOffFiliGialli 12000 rpm: 9.75 (limits off)"},
    {194, 7, "ISTERESI_MINIMO_TPS 0.14 V: 255*0.14/5 = 7.14"},
    {195, 71, "ValoreMinimoTPS 1.4 V: 71.4"},
    {196, 102, "TPSFasciaApprendimento 2 V: 102"},
    {197, 179, "NoxNumberTPSRif2 3.5 V: 178.5"},
    {198, 28, "RifLambdaRiccoFreddo 0.55 V: 28.05"},
    {199, 28, "RifLambdaAlMinimo 0.55 V"},
    {200, 28, "RifLambdaFuoriMinimo 0.55 V"},
    {201, 28, "MaxRicco 0.55 V"},
    {202, 28, "RifLambdaInPotenza 0.55 V"},
    {204, 78, "GiriCutOff 1500 rpm: 117000/1500"},
    {205, 1, "RITARDO_LETTURA_SONDA 5 s: 5/5"},
    {206, 80, "POSIZIONE_IN_CUTOFF 80"},
    {207, 240, "MASSIMA_APERTURA_ATTUATORE 240"},
    {208, 20, "MINIMA_APERTURA_ATTUATORE 20"},
    {209, 120, "RitardoSmagrPrimoGrasso 120 ms"},
    {210, 1, "NPassiPrimoMagroCrociera 1"},
    {211, 4, "NPassiTestMagroPower 4"},
    {212, 10, "TempoTraTestMagroPower 0.2 s: 1000*0.2/20"},
    {213, 33, "GiriSbananata 3600 rpm: 117000/3600 = 32.5"},
    {214, 4, "NPassiPrimoMagroPower 4"},
    {215, 179, "TPSSbananata 3.5 V: 178.5"},
    {216, 101, "TEMPO_SOVRAPPOSIZIONE 0.4 s: (1000*0.4 + 4)/4"},
    {218, 100, "PosizioneInOpenLoop 100"},
    {219, 0, "PosizioneASondaFredda 0 (sign and magnitude)"},
    {223, 59,
     "GiriPerCambio 2000 rpm: 58.5 (change-over type 0 reads this byte as a speed; "
     "TempoDiCicchetto's default 1 s would be 50)"},
    {224, 128, "TEMPERATURA_PER_CAMBIO 25 C: ratio 1 in the temperature table, 1275/10 = 127.5"},
    {225, 10, "GiriFuoriGiri 12000 rpm: 9.75 (above its maximum; limits off)"},
    {226, 132, "TIPO_COMMUTATORE 132 (default raised to 132 by the configuration window)"},
};

SimEcuMemory::Image buildFactoryImage() {
  SimEcuMemory::Image image{};
  for (const auto &entry : Factory)
    image[entry.address] = entry.value;
  return image;
}

} // namespace

std::span<const SimEcuMemory::FactoryByte> SimEcuMemory::factoryTable() {
  return Factory;
}

const SimEcuMemory::Image &SimEcuMemory::factoryImage() {
  static const Image image = buildFactoryImage();
  return image;
}

bool SimEcuMemory::isMapped(int address) {
  return std::any_of(std::begin(Factory), std::end(Factory),
                     [address](const FactoryByte &entry) { return entry.address == address; });
}

SimEcuMemory::SimEcuMemory() : m_bytes(factoryImage()) {}

bool SimEcuMemory::loadFile(const std::string &path, std::string &error) {
  std::ifstream file(path, std::ios::binary);
  if (!file) {
    error = "cannot open '" + path + "'";
    return false;
  }
  Image image{};
  file.read(reinterpret_cast<char *>(image.data()), static_cast<std::streamsize>(image.size()));
  const bool complete = file.gcount() == static_cast<std::streamsize>(image.size());
  const bool atEnd = file.peek() == std::ifstream::traits_type::eof();
  if (!complete || !atEnd) {
    error = "'" + path + "' is not a " + std::to_string(Size) + "-byte memory image";
    return false;
  }
  m_bytes = image;
  return true;
}

bool SimEcuMemory::saveFile(const std::string &path, std::string &error) const {
  const std::string temporary = path + ".tmp." + std::to_string(::getpid());
  {
    std::ofstream file(temporary, std::ios::binary | std::ios::trunc);
    file.write(reinterpret_cast<const char *>(m_bytes.data()), static_cast<std::streamsize>(m_bytes.size()));
    // Closing flushes the buffer: a full disk shows up here at the latest.
    file.close();
    if (!file) {
      error = "cannot write '" + temporary + "'";
      std::error_code ignored;
      std::filesystem::remove(temporary, ignored);
      return false;
    }
  }
  std::error_code renameError;
  std::filesystem::rename(temporary, path, renameError);
  if (renameError) {
    error = "cannot replace '" + path + "': " + renameError.message();
    std::error_code ignored;
    std::filesystem::remove(temporary, ignored);
    return false;
  }
  return true;
}
