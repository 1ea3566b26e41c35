#pragma once
#include "dataitems/ProtocolLibraryLoader.h"
#include "platform/DynamicLibrary.h"

// Loads a protocol library file with the platform's loader.
class SharedProtocolLibraryLoader final : public ProtocolLibraryLoader {
public:
  bool Load(const QString &dllName, ProtocolEntryPoints &entryPoints) override;
  void Unload() override;

private:
  DynamicLibrary m_library;
};
