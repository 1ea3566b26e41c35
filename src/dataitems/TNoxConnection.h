#pragma once
#include "NoxProtocolObject.h"
#include "dataitems/ProtocolLibraryLoader.h"
#include "dataitems/ReentrantLock.h"
#include "platform/UserAction.h"

#include <QObject>
#include <QString>
#include <memory>

// Owns the protocol library and its one protocol object: loads the library on
// first use, checks its version, guards every exchange with Lock() and
// unloads it again.
class TNoxConnection : public QObject {
  Q_OBJECT
public:
  explicit TNoxConnection(QObject *owner = nullptr);
  ~TNoxConnection() override;

  QString DllName() const { return m_dllName; }
  // Dropped silently while the library is loaded.
  void SetDllName(const QString &name);

  // Stored with the component; loading always happens on first use.
  bool AutoLoadLibrary() const { return m_autoLoadLibrary; }
  void SetAutoLoadLibrary(bool value) { m_autoLoadLibrary = value; }

  // Makes sure the library is loaded and the object exists. Cheap when loaded.
  // Every call tries again (a library copied in meanwhile is found), but a
  // failure is said once per user action: one F2 touches every item.
  bool LoadProtocolLibrary();
  // Ends the connection, destroys the object and unloads the library.
  void FreeProtocolLibrary();
  bool CheckLibraryVersion();

  bool Loaded() const { return m_loaded; }
  // Null whenever Loaded() is false. While a stand-in is set, items talk to
  // it instead of the library's object.
  NoxProtocolObject *ProtocolObject() const { return m_standIn ? m_standIn : m_protocolObject; }
  // The library's own object, whatever stand-in is set.
  NoxProtocolObject *LibraryObject() const { return m_protocolObject; }
  // Lets a dry run send the items' exchanges to an object of its own (the
  // caller keeps ownership); nullptr puts the library's object back. Only
  // while loaded.
  void SetProtocolStandIn(NoxProtocolObject *standIn) { m_standIn = m_loaded ? standIn : nullptr; }
  ReentrantLock &Lock() { return m_lock; }

  // Replaces how the library is reached (tests hand in objects of their own).
  // Only while unloaded.
  void SetLibraryLoader(std::unique_ptr<ProtocolLibraryLoader> loader);

  static QString LoadFailedText() { return QStringLiteral("SER dll not found or out of date!"); }
  static QString LoadFailedTitle() { return QStringLiteral("Connection"); }

private:
  QString m_dllName = QStringLiteral("ProtoNox.dll");
  bool m_autoLoadLibrary = true;
  bool m_loaded = false;
  NoxProtocolObject *m_protocolObject = nullptr;
  NoxProtocolObject *m_standIn = nullptr;
  ProtocolEntryPoints m_entryPoints;
  std::unique_ptr<ProtocolLibraryLoader> m_loader;
  ReentrantLock m_lock;
  OncePerUserAction m_loadFailureSaid;
};
