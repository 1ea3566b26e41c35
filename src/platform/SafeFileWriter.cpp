#include "platform/SafeFileWriter.h"

#include <QSaveFile>

bool SafeFileWriter::Write(const QString &fileName, const QByteArray &bytes) {
  QSaveFile target(fileName);
  // Unbuffered: every write reaches the file system at once and its error is
  // the save's error.
  if (!target.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
    return false;
  if (target.write(bytes) != bytes.size() || !target.flush() || target.error() != QFileDevice::NoError) {
    target.cancelWriting();
    return false;
  }
  return target.commit();
}
