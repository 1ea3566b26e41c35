#pragma once
#include <QByteArray>
#include <QFileDevice>
#include <QString>

// Replaces a whole file or leaves it as it was: the bytes go to a temporary
// file beside it, every write is checked, and only a complete file is renamed
// over the old one. A full disk, a file-size limit or a failing device make
// the write fail; the previous file stays.
//
// QSaveFile alone is not enough: it buffers, and (Qt 6.4) its commit() does
// not look at the flush of that buffer, so a full disk renamed an empty file
// over the previous one and reported success.
class SafeFileWriter {
public:
  // On failure, reason (when given) receives the system's own description
  // of what went wrong ("No space left on device"). Permissions, when given,
  // are the file's from its first byte (the temporary file has them before
  // anything is written to it); otherwise a new file gets the system's
  // default and a replaced one keeps its own.
  static bool Write(const QString &fileName, const QByteArray &bytes, QString *reason = nullptr,
                    QFileDevice::Permissions permissions = {});
};
