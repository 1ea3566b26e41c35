#pragma once
#include <QString>

// Why the program is writing to the unit at the moment: kept with every
// write in the workshop history. A scope names the origin for everything it
// encloses; scopes nest and the innermost one holds. Outside every scope a
// write is the fitter's own edit of a field (or an ecuctl set).
// GUI thread only.
class WriteOrigin {
public:
  enum class Kind { FieldEdit, FileLoad, Undo, Redo, EepromErase, ConnectCorrection };

  explicit WriteOrigin(Kind kind, QString fileName = {});
  ~WriteOrigin();
  WriteOrigin(const WriteOrigin &) = delete;
  WriteOrigin &operator=(const WriteOrigin &) = delete;

  static Kind Current();
  // The file being loaded, for FileLoad; empty otherwise.
  static QString CurrentFile();

private:
  Kind m_kind;
  QString m_fileName;
  const WriteOrigin *m_outer;
};
