#pragma once
#include <QString>

// Where the save and open dialogs start: "Configuration" beside the program.
// An installed program's folder is usually not writable, so when that folder
// does not exist and cannot be created, "Configuration" below the user's
// documents folder is used instead, created when missing.
class ConfigurationFolder {
public:
  // documentsFolder: empty for the user's own documents folder.
  static QString Initial(const QString &executableFolder, const QString &documentsFolder = {});
};
