#include "platform/DynamicLibrary.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QLibrary>

DynamicLibrary::DynamicLibrary() = default;

DynamicLibrary::~DynamicLibrary() { Unload(); }

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
  return QFileInfo(QStringLiteral("/proc/self/exe")).canonicalFilePath().section(QLatin1Char('/'), 0, -2);
}

bool DynamicLibrary::Load(const QString &logicalName) {
  Unload();
  if (logicalName.isEmpty())
    return false;
  QString fileName = PlatformFileName(logicalName);
  if (!fileName.contains(QLatin1Char('/'))) {
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

bool DynamicLibrary::IsLoaded() const { return m_library != nullptr; }

void *DynamicLibrary::Resolve(const char *symbol) const {
  if (!m_library)
    return nullptr;
  return reinterpret_cast<void *>(m_library->resolve(symbol));
}

QString DynamicLibrary::ErrorString() const { return m_error; }
