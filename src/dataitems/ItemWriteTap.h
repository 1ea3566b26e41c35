#pragma once
#include "dataitems/ItemWrite.h"

#include <functional>

// Hands every write the items make to whoever keeps a record of them (the
// workshop history, the undo stack). Listeners are called in the order they
// were added, synchronously, on the GUI thread.
//
// A rehearsal of a load (the dry run that finds which bytes a file changes)
// redirects the reports: most of what it writes never reaches the unit. The
// load then reports the writes that do reach it.
class ItemWriteTap {
public:
  using Listener = std::function<void(const ItemWrite &)>;

  // Returns a key for Remove.
  static int Add(Listener listener);
  static void Remove(int key);
  static void Report(const ItemWrite &write);

  // While a redirect is set, every report goes to it alone; nullptr
  // delivers to the listeners again.
  static void SetRedirect(Listener *redirect);

  // The item whose set-data handler is running, if any (the innermost).
  static TNoxSerialData *HandlerRunningFor();
  // Marks the set-data handler of an item as running for its lifetime.
  class HandlerScope {
  public:
    explicit HandlerScope(TNoxSerialData *item);
    ~HandlerScope();
    HandlerScope(const HandlerScope &) = delete;
    HandlerScope &operator=(const HandlerScope &) = delete;

  private:
    TNoxSerialData *m_previous;
  };
};
