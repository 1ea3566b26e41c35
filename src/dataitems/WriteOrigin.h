#pragma once
#include <QString>
#include <QStringList>

// Why the program is writing to the unit at the moment: kept with every
// write in the workshop history. A scope names the origin for everything it
// encloses; scopes nest and the innermost one holds. Outside every scope a
// write is the fitter's own edit of a field (or an ecuctl set).
// GUI thread only.
class WriteOrigin {
public:
  enum class Kind { FieldEdit, FileLoad, Undo, Redo, EepromErase, ConnectCorrection };

  // chosen: for a load of some of a file's values, their file keys.
  explicit WriteOrigin(Kind kind, QString fileName = {}, QStringList chosen = {});
  ~WriteOrigin();
  WriteOrigin(const WriteOrigin &) = delete;
  WriteOrigin &operator=(const WriteOrigin &) = delete;

  static Kind Current();
  // The file being loaded, for FileLoad; empty otherwise.
  static QString CurrentFile();
  // The parameters chosen from that file; empty when the whole file loads.
  static QStringList CurrentChoice();

private:
  Kind m_kind;
  QString m_fileName;
  QStringList m_chosen;
  const WriteOrigin *m_outer;
};
