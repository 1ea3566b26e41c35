#pragma once
#include "dataitems/TNoxConnection.h"
#include "support/FakeProtocolObject.h"

#include <memory>

// A connection wired to a scripted fake protocol object, loaded and ready.
struct FakeConnection {
  std::shared_ptr<FakeProtocolLibrary::State> State = std::make_shared<FakeProtocolLibrary::State>();
  TNoxConnection Connection;

  FakeConnection() {
    Connection.SetLibraryLoader(std::make_unique<FakeProtocolLibrary>(State));
    State->Prepare = [this](FakeProtocolObject &object) { object.WatchedLock = &Connection.Lock(); };
  }
  // Loads the library and forgets the calls made so far.
  FakeProtocolObject &Object() {
    Connection.LoadProtocolLibrary();
    return *State->Object;
  }
};
