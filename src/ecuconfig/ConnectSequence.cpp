#include "ecuconfig/ConnectSequence.h"

#include "dataitems/TDataRefresher.h"
#include "dataitems/TNoxConnection.h"
#include "dataitems/TNoxNumber.h"
#include "dataitems/WriteOrigin.h"
#include "ecuconfig/ItemBulkOperations.h"
#include "ecuconfig/TSerialDataModule.h"
#include "platform/UserInterface.h"

namespace {
bool KnownUnitKind(std::uint8_t kind) { return kind == 1 || kind == 2 || kind == 5 || kind == 254; }
} // namespace

int ConnectSequence::ConnectAndReadAll(int setupValue, int options) {
  TNoxConnection *connection = m_module.NoxConnection;
  if (connection->Loaded() && connection->ProtocolObject()->IsConnected())
    return ALREADY_CONNECTED;
  if (!connection->LoadProtocolLibrary())
    return CONNECTED; // the connection has said why

  UserInterface &ui = UserInterface::Current();
  ui.SetBusyCursor(true);
  ui.BeginWait(m_module.WaitRequestFor(19, 20));

  NoxProtocolObject *protocol = connection->ProtocolObject();
  protocol->SetOptionA(0);
  protocol->SetOptionB(setupValue);
  if (options & OPTION_SELECT_MODE_B)
    protocol->SelectModeB();
  else
    protocol->SelectModeA();
  protocol->SetOptionC(0);
  protocol->SetOptionD(1000);
  protocol->SetNotifyWindow(m_module.NotifyHandle());

  m_module.SetYellowWireSupported(false);
  NoxIdentification &record = m_module.Identification;
  if (!protocol->ReadIdentification(&record))
    return Fail(NO_ANSWER);
  if (!KnownUnitKind(record.Bytes[0]))
    return Fail(UNSUPPORTED_UNIT);

  const bool bootloader = record.Bytes[1] == 3;
  const std::uint8_t family = bootloader ? record.Bytes[4] : record.Bytes[1];
  const std::uint8_t variant = bootloader ? record.Bytes[5] : record.Bytes[2];
  int result = UNSUPPORTED_UNIT;
  bool connected = false;
  if (family == 36 && (variant == 1 || variant == 26 || variant == 126)) {
    connected = protocol->Connect();
    result = CONNECTED;
    if (connected && variant == 26)
      m_module.SetYellowWireSupported(true);
  }
  m_module.SetFirmwareStatusText(bootloader ? BootloaderText() : QString());
  if (!connected)
    return Fail(result);

  ItemBulkOperations bulk(m_module);
  m_module.GiriFuoriGiri->SetDisableLimits(true);
  bulk.ReloadAllItems((options & OPTION_READ_EVERY_TIME) ? ReadAllMode::EveryRead
                                                         : ReadAllMode::EachAddressOnce);
  bulk.ActivateLiveValues();
  // The unit as found, before the correction below writes anything; a line
  // lost during the read left cached values in the items that this unit may
  // never have held, so there is nothing to keep then.
  if (protocol->IsConnected())
    Q_EMIT m_module.ConfigurationFound();
  m_module.DataRefresher->SetRunning((options & OPTION_KEEP_REFRESHING) != 0);
  {
    const WriteOrigin correction(WriteOrigin::Kind::ConnectCorrection);
    bulk.NormaliseOverRev();
  }
  ui.EndWait();
  ui.SetBusyCursor(false);
  Q_EMIT m_module.ConfigurationRead();
  return CONNECTED;
}

int ConnectSequence::Fail(int result) {
  UserInterface &ui = UserInterface::Current();
  ui.EndWait();
  ui.SetBusyCursor(false);
  CloseConnection(false);
  return result;
}

void ConnectSequence::CloseConnection(bool refresherRunning) {
  TNoxConnection *connection = m_module.NoxConnection;
  const bool wasLoaded = connection->Loaded();
  if (wasLoaded) {
    connection->ProtocolObject()->Disconnect();
    connection->FreeProtocolLibrary();
  }
  m_module.DataRefresher->SetRunning(refresherRunning);
  if (wasLoaded)
    Q_EMIT m_module.ConnectionClosed();
}
