#include "ecuconfig/ChosenConfiguration.h"

#include "dataitems/TNoxNumber.h"
#include "ecuconfig/ConfigurationFile.h"
#include "ecuconfig/LoadDependencies.h"
#include "ecuconfig/TSerialDataModule.h"
#include "storage/TMemIniData.h"

ChosenConfiguration::ChosenConfiguration(TSerialDataModule &module, const QList<const TNoxNumber *> &chosen)
    : m_module(module), m_items(LoadDependencies::Closure(module, chosen)) {}

QByteArray ChosenConfiguration::Text(QByteArray &fileBlock) const {
  TMemIniData file(&fileBlock);
  QByteArray unitBlock = TMemIniData::MakeBlock(
      ConfigurationFile(m_module).IniText(nullptr, ConfigurationFile::Progress::Quiet));
  TMemIniData unit(&unitBlock);
  for (TNoxSerialData *data : m_module.DataItems()) {
    auto *item = qobject_cast<TNoxNumber *>(data);
    if (!item || item->FileKeyName().isEmpty())
      continue;
    const QString section = item->FileSection();
    const QString key = item->FileKey();
    if (m_items.contains(item)) {
      if (file.ValueExists(section, key))
        unit.WriteString(section, key, file.ReadString(section, key, QString()));
      else
        unit.DeleteKey(section, key);
    } else if (m_module.ValueNotRead(item)) {
      unit.DeleteKey(section, key);
    }
  }
  return unit.TextBytes();
}

QStringList ChosenConfiguration::Keys() const {
  QStringList keys;
  for (const TNoxNumber *item : m_items)
    keys << item->FileKey();
  return keys;
}

const TNoxNumber *ChosenConfiguration::ItemNamed(const TSerialDataModule &module, const QString &name) {
  const QString wanted = name.trimmed();
  for (TNoxSerialData *data : module.DataItems()) {
    const auto *item = qobject_cast<const TNoxNumber *>(data);
    if (!item || item->FileKeyName().isEmpty() || item->ReadOnly())
      continue;
    if (item->FileKey().compare(wanted, Qt::CaseInsensitive) == 0 ||
        item->objectName().compare(wanted, Qt::CaseInsensitive) == 0)
      return item;
  }
  return nullptr;
}
