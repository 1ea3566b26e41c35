#pragma once
#include <QString>
#include <QStringList>

// The names of the files in a folder that start and end as asked (case
// aside, as file names on Windows), in name order. Matched by plain string
// tests, not by QDir's wildcard filters: those run a regular expression, and
// with the static Qt of the Windows build a thread that is not Qt's own
// (the workshop history is written by several processes, which its tests
// stand in for with threads) crashes at its end in the expression engine's
// per-thread clean-up.
class FolderFiles {
public:
  static QStringList Named(const QString &folder, const QString &prefix, const QString &suffix);
};
