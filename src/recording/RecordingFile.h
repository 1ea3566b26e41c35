#pragma once
#include <QByteArray>
#include <QString>
#include <QStringList>
#include <vector>

// A recording of live values as the chart window's recorder and `ecuctl live
// --format csv` write it: a header "time,NAME,...", then one row per reading
// with the local time to the millisecond and each value. Read whole for a
// review at the desk; a damaged row ends the reading, and what came before
// it is kept.
struct Recording {
  QStringList Names;          // the value columns, after "time"
  std::vector<qint64> Times;  // ms, on a local clock without zone, rising
  std::vector<std::vector<double>> Columns; // one per name; NaN where a cell held no number
  qsizetype Rows() const { return static_cast<qsizetype>(Times.size()); }
};

class RecordingFile {
public:
  enum class Problem {
    None,
    Unreadable,  // the file could not be opened or read
    Empty,       // no header at all
    NotARecording, // the header is not "time" and known value names
    DamagedRow,  // a row without its time or with another number of cells
  };
  struct Result {
    Recording Data;
    Problem Trouble = Problem::None;
    int Line = 0; // the line of the problem, 1 the header
  };

  // knownNames: the value names a recording of this program may hold.
  static Result Read(const QString &fileName, const QStringList &knownNames);
  static Result Parse(const QByteArray &bytes, const QStringList &knownNames);

  // "yyyy-MM-ddTHH:mm:ss.zzz" (the milliseconds optional) as ms on a clock
  // without zone; false for anything else.
  static bool ParseTime(const char *begin, const char *end, qint64 &ms);
};
