#include "storage/TNoxRegistryData.h"
#include "platform/IntegerText.h"
#include "platform/SafeFileWriter.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QUuid>
#include <cstdio>
#include <QSettings>
#include <QStringView>

namespace {

qsizetype IndexOfName(const QStringList &list, const QString &name) {
  for (qsizetype i = 0; i < list.size(); ++i) {
    const qsizetype eq = list[i].indexOf(QLatin1Char('='));
    if (eq >= 0 && QStringView(list[i]).left(eq).compare(name, Qt::CaseInsensitive) == 0)
      return i;
  }
  return -1;
}

QString NameOf(const QString &line) {
  return line.left(line.indexOf(QLatin1Char('=')));
}
QString ValueOf(const QString &line) {
  return line.mid(line.indexOf(QLatin1Char('=')) + 1);
}

// Lines without "=" are dropped; name and value are trimmed, so that a padded
// line still answers to its name. A line with no name could not be stored.
QStringList CleanList(const QStringList &list) {
  QStringList cleaned;
  for (const QString &line : list) {
    const qsizetype eq = line.indexOf(QLatin1Char('='));
    if (eq < 0)
      continue;
    const QString name = line.left(eq).trimmed();
    if (name.isEmpty())
      continue;
    cleaned.append(name + QLatin1Char('=') + line.mid(eq + 1).trimmed());
  }
  return cleaned;
}

// A stored integer: QSettings hands back a number from the registry and text
// from an INI file. Anything else (a string list, text that is not a number)
// cannot be read as an integer.
bool ReadStoredInteger(const QVariant &stored, int &value) {
  switch (stored.typeId()) {
  case QMetaType::Int:
  case QMetaType::UInt:
  case QMetaType::LongLong:
  case QMetaType::ULongLong: {
    bool ok = false;
    const int parsed = stored.toInt(&ok);
    if (ok)
      value = parsed;
    return ok;
  }
  case QMetaType::QString:
  case QMetaType::QByteArray:
    return IntegerText::TryParse(stored.toString(), value);
  default:
    return false;
  }
}

bool ReadStoredString(const QVariant &stored, QString &value) {
  switch (stored.typeId()) {
  case QMetaType::QString:
  case QMetaType::QByteArray:
  case QMetaType::Int:
  case QMetaType::UInt:
  case QMetaType::LongLong:
  case QMetaType::ULongLong:
    value = stored.toString();
    return true;
  default:
    return false;
  }
}

} // namespace

TNoxRegistryData::TNoxRegistryData(QObject *parent) : QObject(parent) {}

TNoxRegistryData::~TNoxRegistryData() {
  WriteValues();
}

void TNoxRegistryData::SetStringDataList(const QStringList &list) {
  m_stringData = CleanList(list);
}

void TNoxRegistryData::SetIntegerDataList(const QStringList &list) {
  m_integerData = CleanList(list);
  for (QString &line : m_integerData) {
    int value = 0;
    if (!IntegerText::TryParse(ValueOf(line), value))
      line = NameOf(line) + QLatin1String("=0");
  }
}

bool TNoxRegistryData::SplitKeyPath(const QString &keyPath, QString &organisation, QString &application,
                                    QString &group) {
  QStringList parts = keyPath.split(QLatin1Char('\\'), Qt::SkipEmptyParts);
  for (QString &part : parts)
    part = part.trimmed();
  parts.removeAll(QString());
  // QSettings adds the "Software" level itself on Windows.
  if (!parts.isEmpty() && parts.first().compare(QLatin1String("software"), Qt::CaseInsensitive) == 0)
    parts.removeFirst();
  if (parts.isEmpty())
    return false;
  organisation = parts.takeFirst();
  application = parts.isEmpty() ? QString() : parts.takeFirst();
  group = parts.join(QLatin1Char('/'));
  return true;
}

bool TNoxRegistryData::OpenSettings(std::unique_ptr<QSettings> &settings, bool forWriting) const {
  QString organisation;
  QString application;
  QString group;
  if (m_keyName.isEmpty() || !SplitKeyPath(m_keyName, organisation, application, group))
    return false;
  const auto open = [&] {
    settings =
        std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope, organisation, application);
    // Only the user's own key counts: machine-wide or organisation-wide
    // values must not hide a missing setting.
    settings->setFallbacksEnabled(false);
  };
  open();
  if (forWriting && settings->status() == QSettings::FormatError && !settings->fileName().isEmpty() &&
      QFile::remove(settings->fileName()))
    open();
  if (settings->status() != QSettings::NoError)
    return false;
  if (!group.isEmpty())
    settings->beginGroup(group);
  return true;
}

bool TNoxRegistryData::ReadValues() {
  std::unique_ptr<QSettings> settings;
  if (!OpenSettings(settings, false))
    return false;

  bool result = true;
  for (QString &line : m_stringData) {
    const QString name = NameOf(line);
    QString value;
    if (!settings->contains(name) || !ReadStoredString(settings->value(name), value)) {
      value = ValueOf(line);
      if (OnMissingStringValue)
        OnMissingStringValue(this, name, value);
      result = false;
    }
    line = name + QLatin1Char('=') + value;
  }
  for (QString &line : m_integerData) {
    const QString name = NameOf(line);
    int value = 0;
    // A value of the wrong type counts as missing: a hand-edited settings
    // file must not stop the program from starting.
    if (!settings->contains(name) || !ReadStoredInteger(settings->value(name), value)) {
      value = 0;
      IntegerText::TryParse(ValueOf(line), value);
      if (OnMissingIntegerValue)
        OnMissingIntegerValue(this, name, value);
      result = false;
    }
    line = name + QLatin1Char('=') + QString::number(value);
  }
  return result;
}

bool TNoxRegistryData::WriteValues() {
  std::unique_ptr<QSettings> settings;
  if (!OpenSettings(settings, true))
    return false;

  bool result = true;
  QList<std::pair<QString, QVariant>> values;
  for (const QString &line : m_stringData)
    values.append({NameOf(line), ValueOf(line)});
  for (const QString &line : m_integerData) {
    int value = 0;
    if (!IntegerText::TryParse(ValueOf(line), value)) {
      result = false;
      continue;
    }
    values.append({NameOf(line), value});
  }
#ifdef Q_OS_WIN
  // The registry keeps each value on its own.
  for (const auto &[name, value] : values)
    settings->setValue(name, value);
  settings->sync();
  return result && settings->status() == QSettings::NoError;
#else
  return WriteSettingsFile(*settings, values) && result;
#endif
}

bool TNoxRegistryData::WriteSettingsFile(QSettings &settings, const QList<std::pair<QString, QVariant>> &values) {
  // QSettings replaces its file through a buffered QSaveFile whose flush
  // error is ignored (Qt 6.4): a full disk would leave the user an empty
  // settings file. So Qt writes the new text into a scratch file, the text is
  // read back, written beside the settings by a checked writer, parsed again
  // and only then renamed over the settings file.
  const QString fileName = settings.fileName();
  const QString folder = QFileInfo(fileName).absolutePath();
  const auto scratchName = [&fileName] {
    return fileName + QStringLiteral(".new-") + QUuid::createUuid().toString(QUuid::WithoutBraces);
  };
  if (!QDir().mkpath(folder))
    return false;
  const QString group = settings.group();
  const QString built = scratchName();
  QByteArray text;
  {
    QSettings merged(built, QSettings::IniFormat);
    if (!group.isEmpty())
      settings.endGroup();
    for (const QString &key : settings.allKeys())
      merged.setValue(key, settings.value(key));
    merged.beginGroup(group);
    for (const auto &[name, value] : values)
      merged.setValue(name, value);
    merged.sync();
    QFile file(built);
    if (merged.status() == QSettings::NoError && file.open(QIODevice::ReadOnly))
      text = file.readAll();
  }
  QFile::remove(built);
  // A name Qt has never seen: it parses the file rather than its cached idea
  // of what it wrote.
  const QString checked = scratchName();
  bool complete = SafeFileWriter::Write(checked, text);
  if (complete) {
    QSettings check(checked, QSettings::IniFormat);
    check.beginGroup(group);
    complete = check.status() == QSettings::NoError;
    for (const auto &[name, value] : values)
      complete = complete && check.value(name).toString() == value.toString();
  }
  if (!complete || std::rename(QFile::encodeName(checked).constData(), QFile::encodeName(fileName).constData()) != 0) {
    QFile::remove(checked);
    return false;
  }
  return true;
}

int TNoxRegistryData::GetIntegerValue(const QString &name) const {
  const qsizetype index = IndexOfName(m_integerData, name);
  int value = 0;
  if (index >= 0 && !IntegerText::TryParse(ValueOf(m_integerData[index]), value))
    value = 0;
  return value;
}

void TNoxRegistryData::SetIntegerValue(const QString &name, int value) {
  const qsizetype index = IndexOfName(m_integerData, name);
  if (index < 0)
    m_integerData.append(name + QLatin1Char('=') + QString::number(value));
  else
    m_integerData[index] = NameOf(m_integerData[index]) + QLatin1Char('=') + QString::number(value);
}

QString TNoxRegistryData::GetStringValue(const QString &name) const {
  const qsizetype index = IndexOfName(m_stringData, name);
  return index < 0 ? QString() : ValueOf(m_stringData[index]);
}

void TNoxRegistryData::SetStringValue(const QString &name, const QString &value) {
  const qsizetype index = IndexOfName(m_stringData, name);
  const QString line = (index < 0 ? name : NameOf(m_stringData[index])) + QLatin1Char('=') + value.trimmed();
  if (index < 0)
    m_stringData.append(line);
  else
    m_stringData[index] = line;
}
