#include "dataitems/ItemWriteTap.h"

#include <utility>
#include <vector>

namespace {
struct Entry {
  int Key;
  ItemWriteTap::Listener Listener;
};
std::vector<Entry> listeners;
int nextKey = 1;
ItemWriteTap::Listener *redirected = nullptr;
TNoxSerialData *handlerItem = nullptr;
} // namespace

int ItemWriteTap::Add(Listener listener) {
  listeners.push_back({nextKey, std::move(listener)});
  return nextKey++;
}

void ItemWriteTap::Remove(int key) {
  std::erase_if(listeners, [key](const Entry &e) { return e.Key == key; });
}

void ItemWriteTap::Report(const ItemWrite &write) {
  if (redirected) {
    (*redirected)(write);
    return;
  }
  // A listener may add or remove listeners (an undo writes while one runs):
  // walk a copy.
  const std::vector<Entry> snapshot = listeners;
  for (const Entry &entry : snapshot)
    entry.Listener(write);
}

void ItemWriteTap::SetRedirect(Listener *redirect) {
  redirected = redirect;
}

TNoxSerialData *ItemWriteTap::HandlerRunningFor() {
  return handlerItem;
}
ItemWriteTap::HandlerScope::HandlerScope(TNoxSerialData *item) : m_previous(handlerItem) {
  handlerItem = item;
}
ItemWriteTap::HandlerScope::~HandlerScope() {
  handlerItem = m_previous;
}
