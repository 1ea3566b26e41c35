#include "dataitems/TNoxConnection.h"

#include "dataitems/SharedProtocolLibraryLoader.h"
#include "platform/UserInterface.h"

#include <mutex>

TNoxConnection::TNoxConnection(QObject *owner)
    : QObject(owner), m_loader(std::make_unique<SharedProtocolLibraryLoader>()) {}

TNoxConnection::~TNoxConnection() {
  if (m_loaded)
    FreeProtocolLibrary();
}

void TNoxConnection::SetDllName(const QString &name) {
  if (!m_loaded)
    m_dllName = name;
}

void TNoxConnection::SetLibraryLoader(std::unique_ptr<ProtocolLibraryLoader> loader) {
  if (!m_loaded && loader)
    m_loader = std::move(loader);
}

bool TNoxConnection::LoadProtocolLibrary() {
  if (m_loaded)
    return true;
  if (m_loader->Load(m_dllName, m_entryPoints)) {
    const bool complete = m_entryPoints.CreateClassInstance && m_entryPoints.DestroyClassInstance &&
                          m_entryPoints.GetDLLVersion;
    if (complete && CheckLibraryVersion()) {
      m_protocolObject = m_entryPoints.CreateClassInstance();
      // A library that hands back no object is as unusable as a missing one.
      if (m_protocolObject) {
        m_loaded = true;
        return true;
      }
    }
    m_entryPoints = {};
    m_loader->Unload();
  }
  m_protocolObject = nullptr;
  if (m_loadFailureSaid.First())
    UserInterface::Current().ShowMessage(LoadFailedText(), LoadFailedTitle(), MessageIcon::Error);
  return false;
}

bool TNoxConnection::CheckLibraryVersion() {
  if (!m_entryPoints.GetDLLVersion)
    return false;
  // The old serial library shares the interface only from major version 5 on.
  const std::uint32_t required = (m_dllName == QLatin1String("SerNoxDL.dll")) ? 5u : 1u;
  NoxDllVersion version{};
  if (!m_entryPoints.GetDLLVersion(&version))
    return false;
  return version.Major >= required;
}

void TNoxConnection::FreeProtocolLibrary() {
  if (!m_loaded)
    return;
  std::lock_guard<ReentrantLock> guard(m_lock);
  if (m_protocolObject->IsConnected())
    m_protocolObject->Disconnect();
  else
    m_protocolObject->Release();
  m_entryPoints.DestroyClassInstance(m_protocolObject);
  m_protocolObject = nullptr;
  m_standIn = nullptr;
  m_entryPoints = {};
  m_loader->Unload();
  m_loaded = false;
}
