#pragma once
#include <QString>

class TSerialDataModule;

// How reading all items asks the unit.
enum class ReadAllMode {
  // Each address and the status packet at most once: items that share a
  // byte, and handlers that reload other items on the way, take what this
  // read-all has read (ReadAllCache). A failed read is asked again.
  EachAddressOnce,
  // Every read an item makes goes to the unit, as often as it is made: for a
  // unit suspected of answering one address differently from one read to
  // the next.
  EveryRead,
};

// Operations over every data item of the data module at once.
class ItemBulkOperations {
public:
  explicit ItemBulkOperations(TSerialDataModule &module) : m_module(module) {}

  // Reload of every item in component order, moving the wait window's
  // progress (i x 100 / count) while one is shown.
  void ReloadAllItems(ReadAllMode mode = ReadAllMode::EachAddressOnce);
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
