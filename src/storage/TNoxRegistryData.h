#pragma once
#include <QObject>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <utility>
#include <functional>
#include <memory>

class QSettings;

// A small set of named per-user settings, each with a default: read once when
// the owner asks, changed in memory while the program runs, written back when
// the component is destroyed.
//
// The store is QSettings in its native per-user form (the registry below
// HKEY_CURRENT_USER on Windows, an INI file in the user's config folder on
// Linux). The key path "software\<organisation>\<application>[\group...]"
// names it: on Windows this is exactly the registry key.
//
// Both lists hold "name=value" lines; names are compared without regard to
// letter case, as registry value names are.
class TNoxRegistryData : public QObject {
  Q_OBJECT
public:
  explicit TNoxRegistryData(QObject *parent = nullptr);
  ~TNoxRegistryData() override;

  QString KeyName() const { return m_keyName; }
  void SetKeyName(const QString &keyName) { m_keyName = keyName; }

  QStringList StringDataList() const { return m_stringData; }
  QStringList IntegerDataList() const { return m_integerData; }
  // Both setters clean the list: lines without "=" are dropped, name and
  // value are trimmed; integer values that are not numbers become 0.
  void SetStringDataList(const QStringList &list);
  void SetIntegerDataList(const QStringList &list);

  // Reads every listed setting. False when the key path is empty, the store
  // cannot be opened, or any setting was missing (it then keeps its default,
  // after the missing-value event).
  bool ReadValues();
  // Writes every listed setting. False when the key path is empty, the store
  // cannot be opened or written, or an entry could not be stored.
  bool WriteValues();

  // 0 when the name is not listed or its value is not a number.
  int GetIntegerValue(const QString &name) const;
  // Changes the value in memory only; it reaches the store at WriteValues.
  void SetIntegerValue(const QString &name, int value);

  // Empty when the name is not listed. Values are trimmed, as the lists are.
  QString GetStringValue(const QString &name) const;
  // Changes the value in memory only; it reaches the store at WriteValues.
  void SetStringValue(const QString &name, const QString &value);

  // Called at read time for a setting the store does not hold (or holds in a
  // form that cannot be read); receives the current value and may change it.
  std::function<void(TNoxRegistryData *sender, const QString &name, QString &value)> OnMissingStringValue;
  std::function<void(TNoxRegistryData *sender, const QString &name, int &value)> OnMissingIntegerValue;

  // Splits a key path into the QSettings organisation and application and
  // the group below them; false when it names nothing.
  static bool SplitKeyPath(const QString &keyPath, QString &organisation, QString &application,
                           QString &group);

private:
  // forWriting: a settings file that cannot be parsed is replaced rather
  // than left to block every later write (the fitter's choices would be lost).
  bool OpenSettings(std::unique_ptr<QSettings> &settings, bool forWriting) const;
  // Replaces the settings file with its keys plus these values, or leaves it.
  static bool WriteSettingsFile(QSettings &settings, const QList<std::pair<QString, QVariant>> &values);

  QString m_keyName;
  QStringList m_stringData;
  QStringList m_integerData;
};
