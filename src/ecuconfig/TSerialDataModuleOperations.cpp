// The data module's operations on the connection, on all items at once and
// on configuration files; the work is done by the classes named below.
#include "dataitems/TNoxNumber.h"
#include "dataitems/WriteOrigin.h"
#include "ecuconfig/ConfigurationEnvelope.h"
#include "ecuconfig/ConfigurationFile.h"
#include "ecuconfig/ConnectSequence.h"
#include "ecuconfig/ItemBulkOperations.h"
#include "ecuconfig/TSerialDataModule.h"

int TSerialDataModule::ConnectAndReadAll(int setupValue, int options) {
  return ConnectSequence(*this).ConnectAndReadAll(setupValue, options);
}

void TSerialDataModule::CloseConnection(bool refresherRunning) {
  ConnectSequence(*this).CloseConnection(refresherRunning);
}

void TSerialDataModule::ReloadAllItems() { ItemBulkOperations(*this).ReloadAllItems(); }

void TSerialDataModule::ActivateLiveValues() { ItemBulkOperations(*this).ActivateLiveValues(); }

bool TSerialDataModule::SuspendRefresher() { return ItemBulkOperations(*this).SuspendRefresher(); }

void TSerialDataModule::LoadAllDefaults() { ItemBulkOperations(*this).LoadAllDefaults(); }

void TSerialDataModule::ClearLiveValues() { ItemBulkOperations(*this).ClearLiveValues(); }

void TSerialDataModule::NotifyAllItems() { ItemBulkOperations(*this).NotifyAllItems(); }

bool TSerialDataModule::SendEraseCommand() {
  // Any value but the check value makes the unit erase itself.
  constexpr std::int32_t ERASE_COMMAND = 8;
  const WriteOrigin erase(WriteOrigin::Kind::EepromErase);
  return CHECKUP->SetIntValue(ERASE_COMMAND);
}

bool TSerialDataModule::SaveConfiguration(const QString &fileName) { return ConfigurationFile(*this).Save(fileName); }

bool TSerialDataModule::LoadConfiguration(const QString &fileName) { return ConfigurationFile(*this).Load(fileName); }

bool TSerialDataModule::LoadConfiguration(const QString &fileName, bool writeEveryValue, LoadSummary *summary) {
  return ConfigurationFile(*this).Load(
      fileName, writeEveryValue ? LoadMode::WriteEveryValue : LoadMode::ChangedBytesOnly, summary);
}

bool TSerialDataModule::LoadChosenValues(const QString &fileName, const QList<const TNoxNumber *> &chosen,
                                         bool writeEveryValue, LoadSummary *summary) {
  return ConfigurationFile(*this).LoadChosen(
      fileName, chosen, writeEveryValue ? LoadMode::WriteEveryValue : LoadMode::ChangedBytesOnly, summary);
}

bool TSerialDataModule::EncryptFile(const QString &plainFileName, const QString &targetFileName) {
  return ConfigurationEnvelope::EncryptFile(plainFileName, targetFileName);
}

bool TSerialDataModule::DecryptFile(const QString &fileName, QByteArray &block) {
  return ConfigurationEnvelope::DecryptFile(fileName, block);
}
