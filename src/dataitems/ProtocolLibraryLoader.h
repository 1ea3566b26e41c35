#pragma once
#include "NoxProtocolObject.h"

#include <QString>
#include <functional>

// The three entry points of a protocol library. An entry point the library
// lacks stays empty.
struct ProtocolEntryPoints {
  std::function<NoxProtocolObject *()> CreateClassInstance;
  std::function<void(NoxProtocolObject *)> DestroyClassInstance;
  std::function<bool(NoxDllVersion *)> GetDLLVersion;
};

// How a connection reaches its protocol library. The program loads shared
// libraries from disk; tests may hand in objects of their own without one.
class ProtocolLibraryLoader {
public:
  virtual ~ProtocolLibraryLoader() = default;
  // False when the library cannot be loaded at all; otherwise fills the entry
  // points it found.
  virtual bool Load(const QString &dllName, ProtocolEntryPoints &entryPoints) = 0;
  virtual void Unload() = 0;
};
