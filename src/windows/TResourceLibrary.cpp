#include "windows/TResourceLibrary.h"

#include "windows/ResourceLibraryAbi.h"

#include <QDir>

bool TResourceLibrary::Load(const QString &folder) {
  Free();
  if (!m_library.Load(QDir(folder).filePath(LogicalName())))
    return false;
  m_getResource = m_library.Resolve(NoxResourceAbi::GetResourceSymbol);
  if (!m_getResource)
    m_library.Unload();
  return m_getResource != nullptr;
}

QPixmap TResourceLibrary::Picture(int resourceId) const {
  if (!m_getResource)
    return {};
  const auto getResource = reinterpret_cast<NoxResourceAbi::GetResourceFunction>(m_getResource);
  const unsigned char *bytes = nullptr;
  unsigned long size = 0;
  if (!getResource(resourceId, &bytes, &size) || !bytes || size == 0 || size > 16u * 1024 * 1024)
    return {};
  QPixmap picture;
  picture.loadFromData(bytes, static_cast<uint>(size), "PNG");
  return picture;
}

QIcon TResourceLibrary::Icon() const {
  const QPixmap picture = Picture(NoxResourceAbi::IconResource);
  return picture.isNull() ? QIcon() : QIcon(picture);
}

QPixmap TResourceLibrary::AboutPicture() const {
  return Picture(NoxResourceAbi::AboutResource);
}

QPixmap TResourceLibrary::Flag(int languageIndex) const {
  return Picture(NoxResourceAbi::FirstFlagResource + languageIndex);
}

void TResourceLibrary::Free() {
  m_getResource = nullptr;
  m_library.Unload();
}
