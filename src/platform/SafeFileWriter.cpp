#include "platform/SafeFileWriter.h"

#include <QSaveFile>

bool SafeFileWriter::Write(const QString &fileName, const QByteArray &bytes, QString *reason,
                           QFileDevice::Permissions permissions) {
  QSaveFile target(fileName);
  const auto fail = [&target, reason] {
    // Taken before cancelWriting(), which puts its own text in its place.
    if (reason)
      *reason = target.errorString();
    if (target.isOpen())
      target.cancelWriting();
    return false;
  };
  // Unbuffered: every write reaches the file system at once and its error is
  // the save's error.
  if (!target.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
    return fail();
  if (permissions && !target.setPermissions(permissions))
    return fail();
  // A write that stops short (the file-size limit reached halfway) keeps its
  // reason to itself: the next write is refused with it.
  for (qint64 done = 0; done < bytes.size();) {
    const qint64 written = target.write(bytes.constData() + done, bytes.size() - done);
    if (written <= 0)
      return fail();
    done += written;
  }
  if (!target.flush() || target.error() != QFileDevice::NoError)
    return fail();
  if (!target.commit()) {
    if (reason)
      *reason = target.errorString();
    return false;
  }
  return true;
}
