#include "ecuconfig/ConfigurationComparison.h"

#include "dataitems/NumberConversion.h"
#include "dataitems/TNoxNumber.h"
#include "ecuconfig/TSerialDataModule.h"
#include "storage/TMemIniData.h"

bool ConfigurationComparison::Compare(TSerialDataModule &module, const QString &fileName) {
  m_differences.clear();
  m_keysFound = 0;
  QByteArray block;
  if (!module.DecryptFile(fileName, block))
    return false;
  CompareBlock(module, block);
  return true;
}

void ConfigurationComparison::CompareBlock(TSerialDataModule &module, QByteArray &block) {
  m_differences.clear();
  m_keysFound = 0;
  TMemIniData ini(&block);
  // Byte 223 is the change-over speed or, with change-over type 2, the
  // priming-shot time; only the meaning in force is compared.
  const bool primingShot = module.TIPO_CAMBIO->GetIntValue() == 2;
  const TNoxNumber *inactive = primingShot ? module.GiriPerCambio : module.TempoDiCicchetto;
  for (TNoxSerialData *item : module.DataItems()) {
    auto *number = qobject_cast<TNoxNumber *>(item);
    if (!number || number == inactive || number->FileKeyName().isEmpty())
      continue;
    const QString key = number->FileKey();
    const QString unitText = NumberConversion::FormatG(number->GetValue());
    QString fileText = QStringLiteral("(missing)");
    if (ini.ValueExists(number->FileSection(), key)) {
      ++m_keysFound;
      double value = 0;
      const QString raw = ini.ReadString(number->FileSection(), key, QString());
      // Files carry exact values where the rounded one would not load back
      // as the same byte (1538.46 RPM, shown as 1500): compare what is shown.
      fileText = NumberConversion::TryParseFloat(raw, value)
                     ? NumberConversion::FormatG(NumberConversion::RoundToPrecision(value, number->Precision()))
                     : raw;
    }
    if (fileText != unitText)
      m_differences.append({number, key, unitText, fileText});
  }
}
