#pragma once
#include "cli/CliSession.h"

// Commands on configuration files: save the unit to a file, load a file into
// the unit, compare the two, and decipher or encipher a file.
class FileCommands {
public:
  explicit FileCommands(CliSession &session) : m_session(session) {}

  int Save(const QString &fileName);
  // writeEveryValue: the two-pass load that sends every value. A restore
  // point of the workshop history read from another unit is loaded only
  // with otherUnit (--yes), an incomplete one never.
  // only: file keys or item names; when given, only those parameters (and
  // those that go with them) are loaded. A name that is no parameter of a
  // file is a usage error, before anything connects.
  int Load(const QString &fileName, bool writeEveryValue, bool otherUnit = false, const QStringList &only = {});
  int Diff(const QString &fileName);
  int Decrypt(const QString &fileName);
  int Encrypt(const QString &iniFileName, const QString &fileName);

private:
  // Deciphers a file into its INI text; EXIT_FILE with a message if it can't.
  int ReadPlain(const QString &fileName, QByteArray &block);
  // EXIT_OK unless the file is a restore point that must not go into this unit.
  int CheckRestorePoint(const QString &fileName, bool otherUnit);
  CliSession &m_session;
};
