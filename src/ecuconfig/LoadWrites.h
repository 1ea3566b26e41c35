#pragma once
#include "dataitems/ItemWriteTap.h"

#include <functional>
#include <vector>

// The item writes of a load, held back while it runs and reported once it
// ends, so that the history and the undo stack see what the load did to
// each parameter rather than every step of the passes: writes of one item
// that follow one another on its byte merge into one, from its value before
// to its last. Writes the unit failed, and values refused before sending, are
// reported as they came. A write of the value the unit already held is no
// change and is not reported.
class LoadWrites {
public:
  LoadWrites();
  ~LoadWrites();
  LoadWrites(const LoadWrites &) = delete;
  LoadWrites &operator=(const LoadWrites &) = delete;

  // Ends the collection and hands what was collected to the listeners;
  // `happened` says of each byte whether the load's writes there reached the
  // unit (writes of items without an address always did).
  void Report(const std::function<bool(int address)> &happened = {});
  // Ends the collection; nothing of it happened.
  void Discard();

private:
  std::vector<ItemWrite> m_writes;
  ItemWriteTap::Listener m_collect;
  bool m_collecting = false;
};
