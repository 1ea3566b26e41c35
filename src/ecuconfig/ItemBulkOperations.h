#pragma once
#include <QString>

class TSerialDataModule;

// Operations over every data item of the data module at once.
class ItemBulkOperations {
public:
  explicit ItemBulkOperations(TSerialDataModule &module) : m_module(module) {}

  // Reload of every item in component order, moving the wait window's
  // progress (i x 100 / count) while one is shown.
  void ReloadAllItems();
  // Walks the component list backwards.
  void ActivateLiveValues();
  // Stops the refresh thread and waits for it, at most 2000 ms; false (with
  // the "(33)" message) when it does not stop.
  bool SuspendRefresher();
  // Two passes of LoadDefault without writing, limits off around each.
  void LoadAllDefaults();
  // Live values to 0 through their raw value, telling their observers.
  void ClearLiveValues();
  void NotifyAllItems();
  // An over-rev threshold read as more than its maximum (but below 20000)
  // means "off" on older units: store it as 20000, with limits off.
  void NormaliseOverRev();

  static QString SuspendFailedText() { return QStringLiteral("Error: it's impossible to suspend the thread (33)"); }
  static QString SuspendFailedTitle() { return QStringLiteral("Comunication Error"); }
  static constexpr std::uint32_t SUSPEND_TIMEOUT_MS = 2000;

private:
  TSerialDataModule &m_module;
};
