#pragma once
#include "dataitems/ItemWriteTap.h"

#include <map>
#include <set>
#include <vector>

// The item writes a rehearsed load made, kept while it runs (nothing of the
// rehearsal is reported as it happens) and reported once the load knows what
// reached the unit: on a byte the load sent or had refused, one write per
// item whose own bits changed, from its value before the load to its last;
// writes that went through to the unit during the rehearsal, and refusals,
// as they came.
class RehearsedWrites {
public:
  RehearsedWrites();
  ~RehearsedWrites();
  RehearsedWrites(const RehearsedWrites &) = delete;
  RehearsedWrites &operator=(const RehearsedWrites &) = delete;

  // Ends the collection; the reports then reach the listeners again.
  void Stop();
  // sent: addresses whose changed byte the unit took; failed: those it
  // refused, with the status of the refusal; passed: addresses written
  // through during the rehearsal.
  void Report(const std::set<int> &sent, const std::map<int, int> &failed, const std::set<int> &passed) const;

private:
  std::vector<ItemWrite> m_writes;
  ItemWriteTap::Listener m_collect;
  bool m_collecting = false;
};
