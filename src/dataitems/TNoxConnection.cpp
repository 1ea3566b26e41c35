#include "dataitems/TNoxConnection.h"

#include "dataitems/SharedProtocolLibraryLoader.h"
#include "platform/UserInterface.h"

#include <mutex>

TNoxConnection::TNoxConnection(QObject *owner)
    : QObject(owner), m_line(std::make_shared<ProtocolLine>()),
      m_loader(std::make_unique<SharedProtocolLibraryLoader>()) {}

TNoxConnection::~TNoxConnection() {
  if (m_loaded)
    FreeProtocolLibrary();
  // A refresher may still hold the line: from now on it refuses every job.
  m_line->Stop();
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
  bool created = false;
  m_line->Run([&] { created = LoadOnLine(); });
  if (created) {
    m_protocolObject = std::make_unique<LineProtocolObject>(*m_line);
    m_loaded = true;
    return true;
  }
  if (m_loadFailureSaid.First())
    UserInterface::Current().ShowMessage(LoadFailedText(), LoadFailedTitle(), MessageIcon::Error);
  return false;
}

bool TNoxConnection::LoadOnLine() {
  if (m_loader->Load(m_dllName, m_entryPoints)) {
    const bool complete = m_entryPoints.CreateClassInstance && m_entryPoints.DestroyClassInstance &&
                          m_entryPoints.GetDLLVersion;
    if (complete && VersionAccepted()) {
      // A library that hands back no object is as unusable as a missing one.
      if (NoxProtocolObject *object = m_entryPoints.CreateClassInstance()) {
        m_line->SetObject(object);
        return true;
      }
    }
    m_entryPoints = {};
    m_loader->Unload();
  }
  return false;
}

bool TNoxConnection::CheckLibraryVersion() {
  bool accepted = false;
  m_line->Run([&] { accepted = VersionAccepted(); });
  return accepted;
}

bool TNoxConnection::VersionAccepted() {
  if (!m_entryPoints.GetDLLVersion)
    return false;
  // The old serial library shares the interface only from major version 5 on.
  const std::uint32_t required = (m_dllName == QLatin1String("SerNoxDL.dll")) ? 5u : 1u;
  NoxDllVersion version{};
  if (!m_entryPoints.GetDLLVersion(&version))
    return false;
  return version.Major >= required;
}

void TNoxConnection::SetFrontObject(NoxProtocolObject *object) {
  if (m_loaded || !object)
    m_frontObject = object;
}

void TNoxConnection::FreeProtocolLibrary() {
  if (!m_loaded)
    return;
  std::lock_guard<ReentrantLock> guard(Lock());
  m_frontObject = nullptr; // it talks to the object destroyed below
  m_line->Run([this] {
    NoxProtocolObject *object = m_line->Object();
    if (object->IsConnected())
      object->Disconnect();
    else
      object->Release();
    m_line->SetObject(nullptr);
    m_entryPoints.DestroyClassInstance(object);
    m_entryPoints = {};
    m_loader->Unload();
  });
  m_protocolObject.reset();
  m_loaded = false;
}
