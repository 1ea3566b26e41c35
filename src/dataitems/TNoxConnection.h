#pragma once
#include "NoxProtocolObject.h"
#include "dataitems/ProtocolLibraryLoader.h"
#include "dataitems/ProtocolLine.h"
#include "platform/UserAction.h"

#include <QObject>
#include <QString>
#include <memory>

// Owns the protocol library and its one protocol object: loads the library on
// first use, checks its version, guards every exchange with Lock() and
// unloads it again. Every call into the library, its entry points included,
// is made on the connection's line thread (ProtocolLine); the objects handed
// out here pass each operation to it and wait for the answer.
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
  // Null whenever Loaded() is false. Every exchange goes through it: the
  // library's own object, or one that stands in front of it (the read-all's
  // cache, a load's dry run).
  NoxProtocolObject *ProtocolObject() const { return m_frontObject ? m_frontObject : m_protocolObject.get(); }
  // The library's own object, whatever stands in front of it (reached on the
  // line thread like every other call).
  NoxProtocolObject *LibraryObject() const { return m_protocolObject.get(); }
  // Puts an object in front of the library's own for every caller, or takes
  // it away (null); the caller keeps ownership. Only while loaded; freeing
  // the library takes it away.
  void SetFrontObject(NoxProtocolObject *object);
  NoxProtocolObject *FrontObject() const { return m_frontObject; }

  ReentrantLock &Lock() { return m_line->Lock(); }
  // The line thread; shared with the refresher, which runs its reads there.
  // It outlives the connection as long as someone holds it, but stops with
  // the connection and refuses every job from then on.
  std::shared_ptr<ProtocolLine> Line() const { return m_line; }

  // Replaces how the library is reached (tests hand in objects of their own).
  // Only while unloaded.
  void SetLibraryLoader(std::unique_ptr<ProtocolLibraryLoader> loader);

  static QString LoadFailedText() { return QStringLiteral("SER dll not found or out of date!"); }
  static QString LoadFailedTitle() { return QStringLiteral("Connection"); }

private:
  QString m_dllName = QStringLiteral("ProtoNox.dll");
  bool m_autoLoadLibrary = true;
  bool m_loaded = false;
  // Loads, checks and creates on the line thread.
  bool LoadOnLine();
  bool VersionAccepted();

  std::shared_ptr<ProtocolLine> m_line;
  std::unique_ptr<LineProtocolObject> m_protocolObject;
  NoxProtocolObject *m_frontObject = nullptr;
  // Used on the line thread only (while the caller waits for it).
  ProtocolEntryPoints m_entryPoints;
  std::unique_ptr<ProtocolLibraryLoader> m_loader;
  OncePerUserAction m_loadFailureSaid;
};
