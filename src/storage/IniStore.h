#pragma once
#include <QString>

// What a data item needs from an INI-like store to keep its configuration-file
// entry: sections of "key=value" lines, case-insensitive names. Implemented by
// the in-memory store that holds a deciphered configuration file.
class IniStore {
public:
  virtual ~IniStore() = default;

  virtual QString ReadString(const QString &section, const QString &key, const QString &defaultValue) = 0;
  virtual void WriteString(const QString &section, const QString &key, const QString &value) = 0;
  virtual int ReadInteger(const QString &section, const QString &key, int defaultValue) = 0;
  virtual void WriteInteger(const QString &section, const QString &key, int value) = 0;
  virtual void DeleteKey(const QString &section, const QString &key) = 0;
  virtual bool ValueExists(const QString &section, const QString &key) = 0;
};
