// Handlers of the data module for parameters that depend on one another and
// for the lamps of the vehicle configuration window.
#include "ecuconfig/TSerialDataModule.h"

#include "dataitems/ItemWriteTap.h"
#include "dataitems/TNoxNumber.h"
#include "dataitems/TNoxPacketData.h"
#include "ecuconfig/VehicleConfigView.h"
#include "platform/Clock.h"

namespace {

// Lights lamp `value` of a band and puts the others out; a value outside the
// band changes nothing.
void ShowBand(int value, int lampCount, void (VehicleConfigView::*setPosition)(int, int)) {
  VehicleConfigView *view = VehicleConfigView::Current();
  if (!view || value < 0 || value >= lampCount)
    return;
  for (int lamp = 0; lamp < lampCount; ++lamp)
    if (lamp != value)
      (view->*setPosition)(lamp, 0);
  (view->*setPosition)(value, 100);
}

constexpr std::uint32_t kBlue = 0xFF0000; // 0x00BBGGRR
constexpr std::uint32_t kRed = 0x0000FF;
constexpr int kDefaultAcquiredBit = 8;

} // namespace

// A falling sensor (5-0 V linear, 12-0 V switch) reads 5 - 5e/255 instead of
// 5e/255. The reference values entered by the fitter follow the sensor; the
// raw throttle, the idle hysteresis, the idle value and the second power-phase
// reference do not.
void TSerialDataModule::TIPO_TPSSetData(TNoxSerialData * /*Sender*/) {
  const std::int32_t sensorType = TIPO_TPS->GetIntValue();
  const bool falling = sensorType == 1 || sensorType == 3;
  for (TNoxSerialData *item :
       {static_cast<TNoxSerialData *>(VALORE_MINIMO_TPS), static_cast<TNoxSerialData *>(TPS_PER_AFFONDATA),
        static_cast<TNoxSerialData *>(TPSSbananata), static_cast<TNoxSerialData *>(TPSFasciaApprendimento)}) {
    item->SetCoeffA(falling ? -5 : 5);
    item->SetCoeffB(falling ? 1275 : 0);
  }
  TPS_PER_AFFONDATA->Reload();
  TPSSbananata->Reload();
  TPSFasciaApprendimento->Reload();
}

// The actuator's opening range bounds every position the fitter can set.
// Both openings are asked again at each step; after the first read they come
// from the cache.
void TSerialDataModule::MASSIMA_APERTURA_ATTUATORESetData(TNoxSerialData *Sender) {
  // Lets the unit settle after the write before it is asked again. Only a
  // write that reached the unit has anything to settle: not a read, not the
  // local default load at start-up, not the reads this handler makes.
  if (Sender && ItemWriteTap::HandlerRunningFor() == Sender)
    Clock::Current().Sleep(100);
  MINIMA_APERTURA_ATTUATORE->SetValueMax(MASSIMA_APERTURA_ATTUATORE->GetIntValue());
  MASSIMA_APERTURA_ATTUATORE->SetValueMin(MINIMA_APERTURA_ATTUATORE->GetIntValue());
  POSIZIONE_IN_CUTOFF->SetValueMax(MASSIMA_APERTURA_ATTUATORE->GetIntValue());
  if (POSIZIONE_IN_CUTOFF->GetIntValue() > MASSIMA_APERTURA_ATTUATORE->GetIntValue())
    POSIZIONE_IN_CUTOFF->SetIntValue(MASSIMA_APERTURA_ATTUATORE->GetIntValue());
  POSIZIONE_DEFAULT->SetValueMax(MASSIMA_APERTURA_ATTUATORE->GetIntValue());
  POSIZIONE_DEFAULT->SetValueMin(MINIMA_APERTURA_ATTUATORE->GetIntValue());
  POSIZIONE_DEFAULT->Reload();
  POSIZIONE_IN_AFFONDATA->SetValueMin(MINIMA_APERTURA_ATTUATORE->GetIntValue());
}

// FLAG_CONFIGURAZIONE_3 covers the same byte; its cache is stale now.
void TSerialDataModule::TIPO_SONDA_LAMBDASetData(TNoxSerialData * /*Sender*/) {
  FLAG_CONFIGURAZIONE_3->Reload();
}

// The fixed-default bit changes what the unit reports as default position.
void TSerialDataModule::FLAG_GONFIGURAZIONESetData(TNoxSerialData * /*Sender*/) {
  if (VehicleConfigView *view = VehicleConfigView::Current())
    view->ShowOptionFieldsOfFlags();
  POSIZIONE_DEFAULT->Reload();
}

void TSerialDataModule::TIPO_COMMUTATOREGetData(TNoxSerialData * /*Sender*/) {
  if (VehicleConfigView *view = VehicleConfigView::Current())
    view->SyncCommutatore();
}

// Until the unit has learnt its default position the label stays red and the
// window's timer keeps asking.
void TSerialDataModule::FlagAcquisitodefaultGetData(TNoxSerialData * /*Sender*/) {
  VehicleConfigView *view = VehicleConfigView::Current();
  if (!view)
    return;
  if ((FlagAcquisitodefault->GetIntValue() & kDefaultAcquiredBit) != 0) {
    view->SetDefaultLabelColor(kBlue);
    view->SetTimerEnabled(false);
  } else {
    view->SetDefaultLabelColor(kRed);
    view->SetTimerEnabled(true);
  }
}

void TSerialDataModule::FASCIA_TPSGetData(TNoxSerialData * /*Sender*/) {
  ShowBand(FASCIA_TPS->GetIntValue(), 4, &VehicleConfigView::SetTpsBandPosition);
}

void TSerialDataModule::FASCIA_LAMBDAGetData(TNoxSerialData * /*Sender*/) {
  ShowBand(FASCIA_LAMBDA->GetIntValue(), 3, &VehicleConfigView::SetLambdaBandPosition);
}
