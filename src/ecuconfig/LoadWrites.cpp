#include "ecuconfig/LoadWrites.h"

#include "dataitems/TNoxNumber.h"

#include <map>

LoadWrites::LoadWrites() {
  m_collect = [this](const ItemWrite &write) { m_writes.push_back(write); };
  ItemWriteTap::SetRedirect(&m_collect);
  m_collecting = true;
}

LoadWrites::~LoadWrites() {
  if (m_collecting)
    ItemWriteTap::SetRedirect(nullptr);
}

namespace {
// The byte a write lands on, or a key of the item's own where it has none.
std::intptr_t Place(const ItemWrite &write) {
  if (auto *item = qobject_cast<TNoxNumber *>(write.Item); item && item->ByAddress())
    return item->Address();
  return -1 - static_cast<std::intptr_t>(reinterpret_cast<std::uintptr_t>(write.Item) >> 1);
}
} // namespace

void LoadWrites::Discard() {
  if (m_collecting)
    ItemWriteTap::SetRedirect(nullptr);
  m_collecting = false;
  m_writes.clear();
}

void LoadWrites::Report(const std::function<bool(int address)> &happened) {
  if (!m_collecting)
    return;
  ItemWriteTap::SetRedirect(nullptr);
  m_collecting = false;
  // An item's writes merge into one record, from its value before to its
  // last, made by whoever made the last (the file's own value after a
  // handler's rewrite is the file's). Only while no other write lands on the
  // same byte in between: two items can own the same byte (or share it), and
  // each record carries the whole byte, so putting records back in order, or
  // in reverse order, must meet each byte's writes in the order they came.
  std::vector<ItemWrite> records;
  std::map<std::intptr_t, std::size_t> lastOnByte;
  for (const ItemWrite &write : m_writes) {
    const std::intptr_t place = Place(write);
    const auto last = lastOnByte.find(place);
    const bool written = write.Outcome == ItemWrite::Result::Written;
    if (written && last != lastOnByte.end() && records[last->second].Item == write.Item &&
        records[last->second].Outcome == ItemWrite::Result::Written) {
      records[last->second].NewRaw = write.NewRaw;
      records[last->second].ByHandlerOf = write.ByHandlerOf;
      continue;
    }
    lastOnByte[place] = records.size();
    records.push_back(write);
  }
  for (const ItemWrite &record : records) {
    const std::intptr_t place = Place(record);
    if (record.Outcome != ItemWrite::Result::Written) {
      ItemWriteTap::Report(record);
      continue;
    }
    const std::int32_t mask = record.Item->DataMask();
    // A write of the value the unit already held is no change.
    if ((record.OldRaw & mask) != (record.NewRaw & mask) &&
        (place < 0 || !happened || happened(static_cast<int>(place))))
      ItemWriteTap::Report(record);
  }
}
