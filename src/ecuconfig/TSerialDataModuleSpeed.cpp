// Engine-speed handlers of the data module. Every speed is stored as a period
// count e and shown as B / e, where B depends on how many ignition pulses the
// unit sees per revolution, i.e. on the ignition type.
#include "ecuconfig/TSerialDataModule.h"

#include "dataitems/NumberConversion.h"
#include "dataitems/TNoxNumber.h"
#include "dataitems/TNoxPacketData.h"
#include "platform/Clock.h"

#include <vector>

namespace {

// Lifts an item's limits for one write and puts the previous setting back.
class LimitsOff {
public:
  explicit LimitsOff(TNoxSerialData *item) : m_item(item), m_previous(item->DisableLimits()) {
    m_item->SetDisableLimits(true);
  }
  ~LimitsOff() { m_item->SetDisableLimits(m_previous); }
  LimitsOff(const LimitsOff &) = delete;
  LimitsOff &operator=(const LimitsOff &) = delete;

private:
  TNoxSerialData *m_item;
  bool m_previous;
};

// A speed threshold remembered in RPM across an ignition-type change. A byte
// of 0 has no speed (the conversion reports a failure value); writing that
// value back would put the clamped limit in its place, so it is left alone.
struct KeptSpeed {
  TNoxNumber *Item;
  std::int32_t Rpm;

  void Restore(bool limitsOff) const {
    if (NumberConversion::IsFailureValue(Rpm))
      return;
    if (!limitsOff) {
      Item->SetIntValue(Rpm);
      return;
    }
    LimitsOff guard(Item);
    Item->SetIntValue(Rpm);
  }
};

} // namespace

double TSerialDataModule::SpeedCoefficient(int ignitionType) {
  switch (ignitionType) {
  case 1: // five cylinders
    return 96000;
  case 2: // six cylinders
  case 6: // three cylinders
    return 80000;
  case 3: // eight cylinders
    return 60000;
  default: // four cylinders, twin coil, single coil, and types without a meaning
    return 120000;
  }
}

bool TSerialDataModule::ValueNotRead(const TNoxSerialData *item) const {
  if (!item)
    return false;
  if (item->ReadFailed())
    return true;
  // A speed byte read whole still says nothing in RPM without its coefficient.
  return TIPO_ACCENSIONE->ReadFailed() && SpeedItems().contains(const_cast<TNoxSerialData *>(item));
}

QList<TNoxSerialData *> TSerialDataModule::SpeedItems() const {
  QList<TNoxSerialData *> items{VAL_GIRI, GiriPerCambio, GiriSbananata, GiriCutOff, GiriFuoriGiri};
  if (m_yellowWireSupported)
    items << GiriCutOffFiliGialli << GiriSgancioCutOffFiliGialli;
  return items;
}

void TSerialDataModule::SetSpeedCoefficient(int ignitionType) {
  const double b = SpeedCoefficient(ignitionType);
  for (TNoxSerialData *item : SpeedItems())
    item->SetCoeffB(b);
}

// TIPO_ACCENSIONE is the first item, so reading all sets the coefficient
// before any speed is read.
void TSerialDataModule::TIPO_ACCENSIONEGetData(TNoxSerialData * /*Sender*/) {
  SetSpeedCoefficient(TIPO_ACCENSIONE->GetIntValue());
}

// Every speed threshold keeps its value in RPM while its byte is recomputed
// for the new ignition type.
void TSerialDataModule::TIPO_ACCENSIONESetData(TNoxSerialData * /*Sender*/) {
  const bool yellowWire = m_yellowWireSupported;
  // Still computed with the old coefficient.
  const KeptSpeed changeOver{GiriPerCambio, GiriPerCambio->GetIntValue()};
  const KeptSpeed powerPhase{GiriSbananata, GiriSbananata->GetIntValue()};
  const KeptSpeed cutOff{GiriCutOff, GiriCutOff->GetIntValue()};
  const KeptSpeed overRev{GiriFuoriGiri, GiriFuoriGiri->GetIntValue()};
  std::vector<KeptSpeed> yellowWireSpeeds;
  if (yellowWire)
    yellowWireSpeeds = {{GiriCutOffFiliGialli, GiriCutOffFiliGialli->GetIntValue()},
                        {GiriSgancioCutOffFiliGialli, GiriSgancioCutOffFiliGialli->GetIntValue()}};

  SetSpeedCoefficient(TIPO_ACCENSIONE->GetIntValue());
  // The unit needs a moment after an ignition-type change before it takes
  // further writes.
  Clock::Current().Sleep(1000);

  powerPhase.Restore(false);
  cutOff.Restore(false);
  // The over-rev threshold may lie above its limit (12000 = off).
  overRev.Restore(true);
  // With change-over type 2 the byte holds the priming-shot time instead.
  if (TIPO_CAMBIO->GetIntValue() != 2)
    changeOver.Restore(false);
  // Both yellow-wire speeds lose their limits together: writing the cut-off
  // speed rewrites the release speed through its own handler meanwhile.
  if (yellowWire) {
    LimitsOff cutOffLimits(GiriCutOffFiliGialli);
    LimitsOff releaseLimits(GiriSgancioCutOffFiliGialli);
    for (const KeptSpeed &speed : yellowWireSpeeds)
      speed.Restore(false);
  }
}

// The release speed of the yellow-wire cut-off must stay below the cut-off
// speed.
void TSerialDataModule::GiriCutOffFiliGialliSetData(TNoxSerialData * /*Sender*/) {
  const std::int32_t cutOffSpeed = GiriCutOffFiliGialli->GetIntValue();
  if (NumberConversion::IsFailureValue(cutOffSpeed))
    return; // a byte of 0 has no speed to compare with
  GiriSgancioCutOffFiliGialli->SetValueMax(cutOffSpeed);
  if (cutOffSpeed < GiriSgancioCutOffFiliGialli->GetIntValue())
    GiriSgancioCutOffFiliGialli->SetIntValue(cutOffSpeed - 100);
}

// A byte of 255 means the engine stands (no period measured): show 0 RPM
// rather than B / 255.
void TSerialDataModule::VAL_GIRIGetData(TNoxSerialData * /*Sender*/) {
  const std::int32_t raw = VAL_GIRI->RawValue();
  if (raw <= 254) {
    VAL_GIRI->SetTransformation(ttFormula);
  } else if (raw == 255) {
    VAL_GIRI->SetTransformation(ttNone);
    VAL_GIRI->SetLocalValue(0);
  }
}
