#include "recording/RecordingFile.h"

#include <QByteArrayView>
#include <QDate>
#include <QFile>
#include <cstring>
#include <cmath>
#include <limits>

namespace {

constexpr qint64 MAX_FILE_SIZE = qint64(1) << 31;

bool Digits(const char *p, int count, int &value) {
  value = 0;
  for (int i = 0; i < count; ++i) {
    if (p[i] < '0' || p[i] > '9')
      return false;
    value = value * 10 + (p[i] - '0');
  }
  return true;
}

// One cell as a number; NaN for an empty cell or one that is no number (a
// value that failed to convert is written as it came).
double Cell(const char *begin, const char *end) {
  while (begin < end && *begin == ' ')
    ++begin;
  while (end > begin && (end[-1] == ' ' || end[-1] == '\r'))
    --end;
  if (begin == end)
    return std::numeric_limits<double>::quiet_NaN();
  // The C locale's number, whatever the fitter's locale, without a copy.
  bool ok = false;
  const double value = QByteArrayView(begin, end - begin).toDouble(&ok);
  return ok ? value : std::numeric_limits<double>::quiet_NaN();
}

} // namespace

bool RecordingFile::ParseTime(const char *begin, const char *end, qint64 &ms) {
  const auto length = end - begin;
  if (length != 19 && length != 23)
    return false;
  int year, month, day, hour, minute, second, milli = 0;
  if (!Digits(begin, 4, year) || begin[4] != '-' || !Digits(begin + 5, 2, month) || begin[7] != '-' ||
      !Digits(begin + 8, 2, day) || begin[10] != 'T' || !Digits(begin + 11, 2, hour) || begin[13] != ':' ||
      !Digits(begin + 14, 2, minute) || begin[16] != ':' || !Digits(begin + 17, 2, second))
    return false;
  if (length == 23 && (begin[19] != '.' || !Digits(begin + 20, 3, milli)))
    return false;
  if (hour > 23 || minute > 59 || second > 60)
    return false;
  const QDate date(year, month, day);
  if (!date.isValid())
    return false;
  ms = ((date.toJulianDay() * 24 + hour) * 60 + minute) * 60000 + second * 1000 + milli;
  return true;
}

RecordingFile::Result RecordingFile::Read(const QString &fileName, const QStringList &knownNames) {
  QFile file(fileName);
  if (!file.open(QIODevice::ReadOnly) || file.size() > MAX_FILE_SIZE)
    return {{}, Problem::Unreadable, 0};
  const QByteArray bytes = file.readAll();
  if (file.error() != QFileDevice::NoError)
    return {{}, Problem::Unreadable, 0};
  return Parse(bytes, knownNames);
}

RecordingFile::Result RecordingFile::Parse(const QByteArray &bytes, const QStringList &knownNames) {
  Result result;
  const char *p = bytes.constData();
  const char *const end = p + bytes.size();
  auto nextLine = [&p, end](const char *&lineEnd) {
    const char *start = p;
    lineEnd = static_cast<const char *>(std::memchr(p, '\n', static_cast<std::size_t>(end - p)));
    if (!lineEnd)
      lineEnd = end;
    p = lineEnd < end ? lineEnd + 1 : end;
    return start;
  };
  if (p == end) {
    result.Trouble = Problem::Empty;
    result.Line = 1;
    return result;
  }
  const char *headerEnd = nullptr;
  const char *header = nextLine(headerEnd);
  QString headerText = QString::fromUtf8(header, headerEnd - header).trimmed();
  if (headerText.startsWith(QChar(0xFEFF)))
    headerText.remove(0, 1);
  const QStringList columns = headerText.split(QLatin1Char(','));
  bool recording = columns.size() >= 2 && columns.front() == QLatin1String("time");
  for (qsizetype i = 1; recording && i < columns.size(); ++i)
    recording = knownNames.contains(columns[i]) && columns.indexOf(columns[i]) == i;
  if (!recording) {
    result.Trouble = headerText.isEmpty() && p == end ? Problem::Empty : Problem::NotARecording;
    result.Line = 1;
    return result;
  }
  Recording &data = result.Data;
  data.Names = columns.mid(1);
  const std::size_t values = static_cast<std::size_t>(data.Names.size());
  data.Columns.resize(values);
  // A day's recording at ten rows a second is 290,000 rows: room for them
  // at once rather than growing row by row.
  const auto estimate = static_cast<std::size_t>(bytes.size() / (24 + 6 * static_cast<qsizetype>(values)) + 1);
  data.Times.reserve(estimate);
  for (auto &column : data.Columns)
    column.reserve(estimate);
  int line = 1;
  std::vector<double> row(values);
  while (p < end) {
    const char *lineEnd = nullptr;
    const char *start = nextLine(lineEnd);
    ++line;
    const char *trimmed = lineEnd;
    while (trimmed > start && (trimmed[-1] == '\r' || trimmed[-1] == ' '))
      --trimmed;
    if (trimmed == start)
      continue; // a blank line, the last one above all
    const char *comma = static_cast<const char *>(std::memchr(start, ',', static_cast<std::size_t>(trimmed - start)));
    qint64 time = 0;
    bool good = comma && ParseTime(start, comma, time) && (data.Times.empty() || time >= data.Times.back());
    std::size_t cells = 0;
    for (const char *cell = comma ? comma + 1 : trimmed; good && cell <= trimmed;) {
      const char *next = static_cast<const char *>(std::memchr(cell, ',', static_cast<std::size_t>(trimmed - cell)));
      const char *cellEnd = next ? next : trimmed;
      if (cells == values) {
        good = false;
        break;
      }
      row[cells++] = Cell(cell, cellEnd);
      if (!next)
        break;
      cell = next + 1;
    }
    if (!good || cells != values) {
      result.Trouble = Problem::DamagedRow;
      result.Line = line;
      return result;
    }
    data.Times.push_back(time);
    for (std::size_t i = 0; i < values; ++i)
      data.Columns[i].push_back(row[i]);
  }
  return result;
}
