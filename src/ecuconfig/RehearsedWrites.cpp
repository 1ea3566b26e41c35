#include "ecuconfig/RehearsedWrites.h"

#include "dataitems/TNoxNumber.h"

#include <algorithm>

RehearsedWrites::RehearsedWrites() {
  m_collect = [this](const ItemWrite &write) { m_writes.push_back(write); };
  ItemWriteTap::SetRedirect(&m_collect);
  m_collecting = true;
}

RehearsedWrites::~RehearsedWrites() {
  Stop();
}

void RehearsedWrites::Stop() {
  if (m_collecting)
    ItemWriteTap::SetRedirect(nullptr);
  m_collecting = false;
}

void RehearsedWrites::Report(const std::set<int> &sent, const std::map<int, int> &failed,
                             const std::set<int> &passed) const {
  std::vector<const ItemWrite *> merged; // first write of each item on a rehearsed byte
  std::map<const TNoxSerialData *, const ItemWrite *> last;
  for (const ItemWrite &write : m_writes) {
    auto *item = qobject_cast<TNoxNumber *>(write.Item);
    const bool rehearsed = item && item->ByAddress() && !passed.count(item->Address()) &&
                           write.Outcome == ItemWrite::Result::Written;
    if (!rehearsed) {
      ItemWriteTap::Report(write);
      continue;
    }
    if (!last.count(item))
      merged.push_back(&write);
    last[item] = &write;
  }
  for (const ItemWrite *first : merged) {
    auto *item = qobject_cast<TNoxNumber *>(first->Item);
    // From the value before the load to the last one, made by whoever made
    // the last: the file's own value after a handler's rewrite is the file's.
    ItemWrite change = *first;
    change.NewRaw = last[item]->NewRaw;
    change.ByHandlerOf = last[item]->ByHandlerOf;
    const std::int32_t mask = item->DataMask();
    if ((change.OldRaw & mask) == (change.NewRaw & mask))
      continue;
    const int address = item->Address();
    if (const auto refusal = failed.find(address); refusal != failed.end()) {
      change.Outcome = ItemWrite::Result::Failed;
      change.Status = refusal->second;
    } else if (!sent.count(address)) {
      continue; // the byte came back to what the unit holds
    }
    ItemWriteTap::Report(change);
  }
}
