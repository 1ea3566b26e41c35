#include "cli/FileCommands.h"

#include "ecuconfig/ChosenConfiguration.h"
#include "ecuconfig/ConfigurationComparison.h"
#include "ecuconfig/ConfigurationFile.h"
#include "ecuconfig/TSerialDataModule.h"
#include "platform/UserInterface.h"
#include "storage/TMemIniData.h"

#include <QDir>
#include <QFileInfo>
#include <cstdio>

namespace {
constexpr int TEXT_FILE_ERROR_TITLE = 99;
constexpr int TEXT_OTHER_UNIT = 305;
constexpr int TEXT_RESTORE_POINT_INCOMPLETE = 306;
} // namespace

int FileCommands::ReadPlain(const QString &fileName, QByteArray &block) {
  TSerialDataModule &module = m_session.Module();
  if (module.DecryptFile(fileName, block))
    return EXIT_OK;
  UserInterface::Current().ShowMessage(module.Text(100) + QStringLiteral(" (") + fileName + QLatin1Char(')'),
                                       module.Text(99), MessageIcon::Error);
  return EXIT_FILE;
}

int FileCommands::Save(const QString &fileName) {
  if (const int code = m_session.Connect())
    return code;
  TSerialDataModule &module = m_session.Module();
  if (!module.SuspendRefresher())
    return EXIT_BUSY;
  if (!module.SaveConfiguration(fileName))
    return EXIT_FILE;
  m_session.Out() << "saved " << fileName << '\n';
  m_session.Out().flush();
  return EXIT_OK;
}

int FileCommands::CheckRestorePoint(const QString &fileName, bool otherUnit) {
  TSerialDataModule &module = m_session.Module();
  const QString title = module.Text(TEXT_FILE_ERROR_TITLE);
  const QString path = QFileInfo(fileName).canonicalFilePath();
  const QString own = m_session.Journal().Current().Id;
  for (const HistoryConnection &entry : m_session.History().Connections(WorkshopHistory::Count::NoChanges)) {
    if (entry.Id == own || entry.RestorePoint.isEmpty() ||
        QFileInfo(entry.RestorePoint).canonicalFilePath() != path)
      continue;
    if (!entry.Unread.isEmpty()) {
      UserInterface::Current().ShowMessage(
          module.Text(TEXT_RESTORE_POINT_INCOMPLETE).arg(entry.Unread.join(QStringLiteral(", "))), title,
          MessageIcon::Error);
      return EXIT_FILE;
    }
    const QString connected = ConnectionJournal::IdentificationText(module.Identification);
    if (entry.Identification != connected && !otherUnit) {
      UserInterface::Current().ShowMessage(
          module.Text(TEXT_OTHER_UNIT)
              .arg(QDir::toNativeSeparators(fileName), entry.Identification, connected),
          title, MessageIcon::Error);
      return EXIT_OTHER_UNIT;
    }
    return EXIT_OK;
  }
  return EXIT_OK;
}

int FileCommands::Load(const QString &fileName, bool writeEveryValue, bool otherUnit, const QStringList &only) {
  TSerialDataModule &module = m_session.Module();
  QList<const TNoxNumber *> chosen;
  for (const QString &name : only) {
    const TNoxNumber *item = ChosenConfiguration::ItemNamed(module, name);
    if (!item) {
      UserInterface::Current().ShowMessage(
          QStringLiteral("--only: no parameter of a configuration file is called \"%1\"").arg(name), QString(),
          MessageIcon::Error);
      return EXIT_USAGE;
    }
    chosen << item;
  }
  QByteArray block;
  if (const int code = ReadPlain(fileName, block))
    return code;
  if (const int code = m_session.Connect())
    return code;
  if (const int code = CheckRestorePoint(fileName, otherUnit))
    return code;
  if (!module.SuspendRefresher())
    return EXIT_BUSY;
  LoadSummary summary;
  const bool complete = chosen.isEmpty() ? module.LoadConfiguration(fileName, writeEveryValue, &summary)
                                         : module.LoadChosenValues(fileName, chosen, writeEveryValue, &summary);
  // Said also after a partial load, a lost line included: the fitter sees
  // what reached the unit.
  m_session.Out()
      << module.Text(TSerialDataModule::TEXT_LOAD_SUMMARY).arg(summary.Written).arg(summary.AlreadyInUnit)
      << '\n';
  m_session.Out().flush();
  if (const int code = m_session.CheckStillConnected())
    return code;
  if (!complete)
    return EXIT_LOAD_INCOMPLETE;
  m_session.Out() << "loaded " << fileName;
  if (!chosen.isEmpty())
    m_session.Out() << " (only " << ChosenConfiguration(module, chosen).Keys().join(QStringLiteral(", ")) << ')';
  m_session.Out() << '\n';
  m_session.Out().flush();
  return EXIT_OK;
}

int FileCommands::Diff(const QString &fileName) {
  QByteArray block;
  if (const int code = ReadPlain(fileName, block))
    return code;
  if (const int code = m_session.Connect())
    return code;
  ConfigurationComparison comparison;
  comparison.CompareBlock(m_session.Module(), block);
  for (const ConfigurationComparison::Difference &difference : comparison.Differences())
    m_session.Out() << difference.Key << ": file " << difference.FileText << ", unit " << difference.UnitText
                    << '\n';
  m_session.Out().flush();
  if (const int code = m_session.CheckStillConnected())
    return code;
  return comparison.Differences().isEmpty() ? EXIT_OK : EXIT_DIFFERENT;
}

int FileCommands::Decrypt(const QString &fileName) {
  QByteArray block;
  if (const int code = ReadPlain(fileName, block))
    return code;
  const QByteArray text = TMemIniData::BlockText(&block);
  std::fwrite(text.constData(), 1, static_cast<std::size_t>(text.size()), stdout);
  std::fflush(stdout);
  return EXIT_OK;
}

int FileCommands::Encrypt(const QString &iniFileName, const QString &fileName) {
  TSerialDataModule &module = m_session.Module();
  if (!module.EncryptFile(iniFileName, fileName)) {
    UserInterface::Current().ShowMessage(module.Text(100) + QStringLiteral(" (") + iniFileName +
                                             QLatin1Char(')'),
                                         module.Text(99), MessageIcon::Error);
    return EXIT_FILE;
  }
  return EXIT_OK;
}
