#include "windows/ConfigWindowRules.h"

#include "controls/FloatText.h"
#include "dataitems/TNoxConnection.h"
#include "dataitems/TNoxNumber.h"
#include "ecuconfig/ParameterNames.h"
#include "ecuconfig/TSerialDataModule.h"

bool ConfigWindowRules::UnitConnected(const TSerialDataModule &module) {
  const TNoxConnection *connection = module.NoxConnection;
  return connection && connection->Loaded() && connection->ProtocolObject()->IsConnected();
}

bool ConfigWindowRules::EmulationTypeChanged(TSerialDataModule &module, int itemIndex) {
  if (itemIndex != 2 || !UnitConnected(module))
    return false;
  for (TNoxNumber *wave :
       {module.NUMERO_VOLTE_ALTO, module.NUVERO_VOLTE_BASSO, module.NUMERO_RIPETIZIONI_ONDA,
        module.NUMERO_VOLTE_TRI, module.NUMERO_RIPETIZIONI_TRI})
    wave->LoadDefault(true);
  return true;
}

int ConfigWindowRules::SwitchTypeIndex(int v, int currentIndex, bool loaded, bool connected) {
  int index = currentIndex;
  if (loaded && !connected)
    index = 1;
  // Bit 7 marks the indicator, but a push-button-only switch (5) with bit 7
  // set is still a push button: rewriting it would change the fitter's
  // choice behind their back.
  if ((v & 0x87) == 5 || (v & 0x87) == 0x85)
    index = 0;
  if ((v & 0x87) == 0x84)
    index = 1;
  return index;
}

int ConfigWindowRules::SwitchTypeValue(int itemIndex) {
  switch (itemIndex) {
  case 0:
    return 5;
  case 1:
    return SWITCH_TYPE_DEFAULT;
  default:
    return 0;
  }
}

QString ConfigWindowRules::LimitsHint(const TNoxSerialData &item) {
  return LimitsHint(item.ValueMin(), item.ValueMax(), ParameterNames::UnitOf(&item));
}

QString ConfigWindowRules::LimitsHint(double low, double high, const QString &unit) {
  // A count has no unit, and no blank before the bracket either.
  const QString after = unit.isEmpty() ? QString() : QLatin1Char(' ') + unit;
  return QStringLiteral("(") + FloatToText(low) + QStringLiteral(";") + FloatToText(high) + after +
         QStringLiteral(")");
}
