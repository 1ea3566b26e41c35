#include "platform/DynamicLibrary.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QLibrary>

#if defined(Q_OS_WIN)
#include "platform/WindowsApi.h"
#include <QDir>
#include <string>
#endif

namespace {
// Windows takes either separator, and "C:name" is relative to a drive.
bool HasFolder(const QString &fileName) {
#if defined(Q_OS_WIN)
  return fileName.contains(QLatin1Char('/')) || fileName.contains(QLatin1Char('\\')) ||
         fileName.contains(QLatin1Char(':'));
#else
  return fileName.contains(QLatin1Char('/'));
#endif
}
} // namespace

DynamicLibrary::DynamicLibrary() = default;

DynamicLibrary::~DynamicLibrary() {
  Unload();
}

QString DynamicLibrary::PlatformFileName(const QString &logicalName) {
#if defined(Q_OS_WIN)
  return logicalName;
#else
  QFileInfo info(logicalName);
  QString fileName = info.fileName();
  if (fileName.endsWith(QLatin1String(".dll"), Qt::CaseInsensitive)) {
    fileName.chop(4);
    fileName = QLatin1String("lib") + fileName + QLatin1String(".so");
  }
  const QString folder = logicalName.left(logicalName.size() - info.fileName().size());
  return folder + fileName;
#endif
}

QString DynamicLibrary::ExecutableFolder() {
  if (QCoreApplication::instance())
    return QCoreApplication::applicationDirPath();
    // No application object yet (early start-up, some tests): ask the system.
#if defined(Q_OS_WIN)
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (length == 0)
      return {};
    if (length < path.size()) {
      path.resize(length);
      break;
    }
    path.resize(path.size() * 2); // truncated: a longer path than MAX_PATH
  }
  return QFileInfo(QDir::fromNativeSeparators(QString::fromStdWString(path))).absolutePath();
#else
  return QFileInfo(QStringLiteral("/proc/self/exe")).canonicalFilePath().section(QLatin1Char('/'), 0, -2);
#endif
}

bool DynamicLibrary::Load(const QString &logicalName) {
  Unload();
  if (logicalName.isEmpty())
    return false;
  QString fileName = PlatformFileName(logicalName);
  if (!HasFolder(fileName)) {
    const QString beside = ExecutableFolder() + QLatin1Char('/') + fileName;
    if (QFileInfo::exists(beside))
      fileName = beside;
  }
  m_library = std::make_unique<QLibrary>(fileName);
  if (!m_library->load()) {
    m_error = m_library->errorString();
    m_library.reset();
    return false;
  }
  return true;
}

void DynamicLibrary::Unload() {
  if (m_library) {
    m_library->unload();
    m_library.reset();
  }
}

bool DynamicLibrary::IsLoaded() const {
  return m_library != nullptr;
}

void *DynamicLibrary::Resolve(const char *symbol) const {
  if (!m_library)
    return nullptr;
  return reinterpret_cast<void *>(m_library->resolve(symbol));
}

QString DynamicLibrary::ErrorString() const {
  return m_error;
}
