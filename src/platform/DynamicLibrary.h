#pragma once
#include <QString>
#include <memory>

class QLibrary;

// A plug-in library loaded at run time by its logical name.
//
// Logical names are written as the program has always named them
// ("ProtoNOX.dll", "Languages.dll"). On Linux "X.dll" means the file
// "libX.so". A bare name is looked up beside the executable first, then by
// the platform's own search rules; a name with a folder is used as it stands.
class DynamicLibrary {
public:
  DynamicLibrary();
  ~DynamicLibrary();
  DynamicLibrary(const DynamicLibrary &) = delete;
  DynamicLibrary &operator=(const DynamicLibrary &) = delete;

  bool Load(const QString &logicalName);
  void Unload();
  bool IsLoaded() const;
  // nullptr when the library is not loaded or lacks the symbol.
  void *Resolve(const char *symbol) const;
  QString ErrorString() const;

  // The file name the platform loader is given for a logical name.
  static QString PlatformFileName(const QString &logicalName);
  // The folder of the running executable (the program's own plug-ins live there).
  static QString ExecutableFolder();

private:
  std::unique_ptr<QLibrary> m_library;
  QString m_error;
};
