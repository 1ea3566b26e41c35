// libFuzzer target for the in-memory INI parser. The input is a whole block
// (length word included), exactly what a deciphered configuration file from
// an unknown fitter hands to the store. Besides memory errors, it checks that
// writing the parsed data back and parsing it again changes nothing.

#include "storage/TMemIniData.h"

#include <QByteArray>
#include <QStringList>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
  QByteArray block(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
  TMemIniData ini(&block);

  QStringList sections;
  ini.ReadSections(sections);
  for (const QString &section : sections) {
    QStringList keys;
    ini.ReadSection(section, keys);
    for (const QString &key : keys) {
      if (!ini.ValueExists(section, key))
        std::abort();
      ini.ReadInteger(section, key, 0);
    }
  }

  QStringList before;
  ini.GetLines(before);
  ini.UpdateFile();
  TMemIniData reparsed(&block);
  QStringList after;
  reparsed.GetLines(after);
  if (before != after)
    std::abort();
  return 0;
}
