#pragma once
#include "storage/IniStore.h"

#include <QMap>

// The smallest INI store that behaves like one: case-insensitive names,
// integers parsed strictly (decimal or 0x hexadecimal).
class MapIniStore : public IniStore {
public:
  QString ReadString(const QString &section, const QString &key, const QString &defaultValue) override {
    return m_values.value(Key(section, key), defaultValue);
  }
  void WriteString(const QString &section, const QString &key, const QString &value) override {
    m_values.insert(Key(section, key), value);
  }
  int ReadInteger(const QString &section, const QString &key, int defaultValue) override {
    bool ok = false;
    const QString text = ReadString(section, key, QString()).trimmed();
    const int value = text.startsWith(QLatin1String("0x"), Qt::CaseInsensitive) ? text.mid(2).toInt(&ok, 16)
                                                                                 : text.toInt(&ok);
    return ok ? value : defaultValue;
  }
  void WriteInteger(const QString &section, const QString &key, int value) override {
    WriteString(section, key, QString::number(value));
  }
  void DeleteKey(const QString &section, const QString &key) override { m_values.remove(Key(section, key)); }
  bool ValueExists(const QString &section, const QString &key) override {
    return m_values.contains(Key(section, key));
  }
  int Count() const { return static_cast<int>(m_values.size()); }

private:
  static QString Key(const QString &section, const QString &key) {
    return section.toUpper() + QLatin1Char('\n') + key.toUpper();
  }
  QMap<QString, QString> m_values;
};
