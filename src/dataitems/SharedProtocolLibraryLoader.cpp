#include "dataitems/SharedProtocolLibraryLoader.h"

bool SharedProtocolLibraryLoader::Load(const QString &dllName, ProtocolEntryPoints &entryPoints) {
  entryPoints = {};
  if (!m_library.Load(dllName))
    return false;
  if (auto create = reinterpret_cast<NoxCreateClassInstanceFn>(m_library.Resolve(NOX_ENTRY_CREATE)))
    entryPoints.CreateClassInstance = create;
  if (auto destroy = reinterpret_cast<NoxDestroyClassInstanceFn>(m_library.Resolve(NOX_ENTRY_DESTROY)))
    entryPoints.DestroyClassInstance = destroy;
  if (auto version = reinterpret_cast<NoxGetDllVersionFn>(m_library.Resolve(NOX_ENTRY_VERSION)))
    entryPoints.GetDLLVersion = version;
  return true;
}

void SharedProtocolLibraryLoader::Unload() { m_library.Unload(); }
