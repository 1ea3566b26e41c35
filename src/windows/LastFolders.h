#pragma once
#include <QString>
#include <QStringList>
#include <functional>

class TNoxRegistryData;

// The folder each kind of file dialog opens in: the one the fitter last took
// a file of that kind from or to, kept in the per-user settings, so that the
// customers' configurations, the reports and the recordings each stay where
// the fitter keeps them. The program's Configuration folder the first time,
// and when the remembered folder is gone.
class LastFolders {
public:
  enum class Kind { Configurations, Reports, Recordings };

  // initial: the program's Configuration folder, asked for only when needed
  // (finding it may create it).
  LastFolders(TNoxRegistryData *settings, std::function<QString()> initial)
      : m_settings(settings), m_initial(std::move(initial)) {}

  QString For(Kind kind) const;
  // The folder of a file the fitter chose.
  void Remember(Kind kind, const QString &fileName);

  // The settings' string list entries, with their empty defaults: to be
  // listed before the settings are read.
  static QStringList SettingDefaults();

private:
  static QString SettingName(Kind kind);

  TNoxRegistryData *m_settings;
  std::function<QString()> m_initial;
};
