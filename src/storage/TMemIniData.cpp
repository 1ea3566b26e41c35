#include "storage/TMemIniData.h"
#include "platform/SafeFileWriter.h"

#include <QStringView>
#include <limits>

namespace {

constexpr qsizetype kLengthWordSize = 4;

bool IsBlankOrControl(QChar c) {
  return c.unicode() <= 32;
}

// INI lines lose every blank and control character at both ends, not only
// the ones QString::trimmed() knows about.
QStringView TrimControl(QStringView text) {
  qsizetype begin = 0;
  qsizetype end = text.size();
  while (begin < end && IsBlankOrControl(text[begin]))
    ++begin;
  while (end > begin && IsBlankOrControl(text[end - 1]))
    --end;
  return text.mid(begin, end - begin);
}

int DigitValue(QChar c, int base) {
  const char16_t u = c.unicode();
  int digit = -1;
  if (u >= u'0' && u <= u'9')
    digit = u - u'0';
  else if (u >= u'a' && u <= u'f')
    digit = u - u'a' + 10;
  else if (u >= u'A' && u <= u'F')
    digit = u - u'A' + 10;
  return digit < base ? digit : -1;
}

// Decimal, or hexadecimal after "0x", "0X" or "$"; an optional sign first.
// Hexadecimal values are 32-bit patterns, so "0xFFFFFFFF" is -1.
bool ParseInteger(QStringView text, int &value) {
  text = TrimControl(text);
  bool negative = false;
  if (!text.isEmpty() && (text[0] == u'-' || text[0] == u'+')) {
    negative = text[0] == u'-';
    text = text.mid(1);
  }
  int base = 10;
  if (text.size() >= 3 && text[0] == u'0' && (text[1] == u'x' || text[1] == u'X')) {
    base = 16;
    text = text.mid(2);
  } else if (!text.isEmpty() && text[0] == u'$') {
    base = 16;
    text = text.mid(1);
  }
  if (text.isEmpty())
    return false;

  const quint64 limit = base == 16 ? 0xFFFFFFFFu : (negative ? 2147483648u : 2147483647u);
  quint64 magnitude = 0;
  for (QChar c : text) {
    const int digit = DigitValue(c, base);
    if (digit < 0)
      return false;
    magnitude = magnitude * static_cast<quint64>(base) + static_cast<quint64>(digit);
    if (magnitude > limit)
      return false;
  }

  qint64 result = 0;
  if (base == 16)
    result = static_cast<qint32>(static_cast<quint32>(magnitude));
  else
    result = static_cast<qint64>(magnitude);
  if (negative)
    result = -result;
  if (result < std::numeric_limits<int>::min() || result > std::numeric_limits<int>::max())
    return false;
  value = static_cast<int>(result);
  return true;
}

// The name part of a "name=value" line; a line without "=" has none.
bool NamePart(const QString &line, QStringView &name) {
  const qsizetype eq = line.indexOf(QLatin1Char('='));
  if (eq < 0)
    return false;
  name = QStringView(line).left(eq);
  return true;
}

bool SameName(QStringView a, QStringView b) {
  return a.compare(b, Qt::CaseInsensitive) == 0;
}

} // namespace

TMemIniData::TMemIniData(QByteArray *buffer) : m_buffer(buffer) {
  m_modified = false;
  LoadBuffer();
}

TMemIniData::~TMemIniData() {
  Clear();
}

QByteArray TMemIniData::BlockText(const QByteArray *buffer) {
  if (!buffer || buffer->size() < kLengthWordSize)
    return {};
  const auto *bytes = reinterpret_cast<const unsigned char *>(buffer->constData());
  const quint32 length = static_cast<quint32>(bytes[0]) | (static_cast<quint32>(bytes[1]) << 8) |
                         (static_cast<quint32>(bytes[2]) << 16) | (static_cast<quint32>(bytes[3]) << 24);
  // A length word that claims more than the block holds is not trusted: the
  // text is what is really there.
  const qsizetype available = buffer->size() - kLengthWordSize;
  const qsizetype taken =
      static_cast<qint64>(length) < available ? static_cast<qsizetype>(length) : available;
  return buffer->mid(kLengthWordSize, taken);
}

QByteArray TMemIniData::MakeBlock(const QByteArray &text) {
  const auto length = static_cast<quint32>(text.size());
  QByteArray block;
  block.reserve(text.size() + kLengthWordSize + 1);
  for (int shift = 0; shift < 32; shift += 8)
    block.append(static_cast<char>((length >> shift) & 0xFFu));
  block.append(text);
  block.append('\0');
  return block;
}

void TMemIniData::LoadBuffer() {
  if (!m_buffer) {
    Clear();
    return;
  }
  const QString text = QString::fromLatin1(BlockText(m_buffer));

  // A line ends at CR, at LF or at CR LF.
  QStringList lines;
  qsizetype start = 0;
  const qsizetype size = text.size();
  for (qsizetype i = 0; i < size; ++i) {
    const QChar c = text[i];
    if (c == u'\r' || c == u'\n') {
      lines.append(text.mid(start, i - start));
      if (c == u'\r' && i + 1 < size && text[i + 1] == u'\n')
        ++i;
      start = i + 1;
    }
  }
  if (start < size)
    lines.append(text.mid(start));
  ParseText(lines);
}

void TMemIniData::ParseText(const QStringList &lines) {
  Clear();
  Section *current = nullptr;
  for (const QString &raw : lines) {
    const QStringView line = TrimControl(raw);
    if (line.isEmpty() || line.startsWith(u';'))
      continue;
    if (line.startsWith(u'[') && line.endsWith(u']')) {
      // A header needs both brackets; "[]" alone is a section with no name.
      const QStringView name = line.size() >= 2 ? TrimControl(line.mid(1, line.size() - 2)) : QStringView();
      current = &AddSection(name.toString());
      continue;
    }
    if (!current)
      continue;
    const qsizetype eq = line.indexOf(u'=');
    if (eq >= 0)
      current->lines.append(TrimControl(line.left(eq)).toString() + QLatin1Char('=') +
                            line.mid(eq + 1).toString());
    else
      current->lines.append(line.toString());
  }
}

TMemIniData::Section &TMemIniData::AddSection(const QString &name) {
  m_sections.push_back(Section{name, {}});
  m_modified = true;
  return m_sections.back();
}

TMemIniData::Section *TMemIniData::FindSection(const QString &name) {
  for (Section &section : m_sections)
    if (SameName(section.name, name))
      return &section;
  return nullptr;
}

const TMemIniData::Section *TMemIniData::FindSection(const QString &name) const {
  for (const Section &section : m_sections)
    if (SameName(section.name, name))
      return &section;
  return nullptr;
}

qsizetype TMemIniData::FindKey(const Section &section, const QString &key) {
  for (qsizetype i = 0; i < section.lines.size(); ++i) {
    QStringView name;
    if (NamePart(section.lines[i], name) && SameName(name, key))
      return i;
  }
  return -1;
}

QString TMemIniData::ReadString(const QString &section, const QString &key, const QString &defaultValue) {
  const Section *found = FindSection(section);
  if (!found)
    return defaultValue;
  const qsizetype index = FindKey(*found, key);
  if (index < 0)
    return defaultValue;
  const QString &line = found->lines[index];
  return line.mid(line.indexOf(QLatin1Char('=')) + 1);
}

bool TMemIniData::ValueExists(const QString &section, const QString &key) {
  const Section *found = FindSection(section);
  return found && FindKey(*found, key) >= 0;
}

bool TMemIniData::SectionExists(const QString &section) const {
  return FindSection(section) != nullptr;
}

int TMemIniData::ReadInteger(const QString &section, const QString &key, int defaultValue) {
  int value = 0;
  return ParseInteger(ReadString(section, key, QString()), value) ? value : defaultValue;
}

void TMemIniData::WriteString(const QString &section, const QString &key, const QString &value) {
  Section *found = FindSection(section);
  if (!found)
    found = &AddSection(section);
  const QString line = key + QLatin1Char('=') + value;
  const qsizetype index = FindKey(*found, key);
  if (index >= 0)
    found->lines[index] = line;
  else
    found->lines.append(line);
  m_modified = true;
}

void TMemIniData::WriteInteger(const QString &section, const QString &key, int value) {
  WriteString(section, key, QString::number(value));
}

void TMemIniData::DeleteKey(const QString &section, const QString &key) {
  // Every copy goes, in every section of that name: afterwards the key must
  // not be found again through a duplicate.
  for (Section &candidate : m_sections) {
    if (!SameName(candidate.name, section))
      continue;
    for (qsizetype index = FindKey(candidate, key); index >= 0; index = FindKey(candidate, key)) {
      candidate.lines.removeAt(index);
      m_modified = true;
    }
  }
}

void TMemIniData::ReadSection(const QString &section, QStringList &list) const {
  list.clear();
  const Section *found = FindSection(section);
  if (!found)
    return;
  for (const QString &line : found->lines) {
    QStringView name;
    if (NamePart(line, name))
      list.append(name.toString());
  }
}

void TMemIniData::ReadSections(QStringList &list) const {
  list.clear();
  for (const Section &section : m_sections)
    list.append(section.name);
}

void TMemIniData::ReadSections(const QString &section, QStringList &list) const {
  list.clear();
  const QString prefix = section + QLatin1Char('\\');
  for (const Section &candidate : m_sections)
    if (candidate.name.startsWith(prefix, Qt::CaseInsensitive))
      list.append(candidate.name);
}

void TMemIniData::ReadSectionValues(const QString &section, QStringList &list) const {
  list.clear();
  if (const Section *found = FindSection(section))
    list = found->lines;
}

void TMemIniData::EraseSection(const QString &section) {
  const auto removed = std::erase_if(m_sections, [&](const Section &s) { return SameName(s.name, section); });
  if (removed > 0)
    m_modified = true;
}

void TMemIniData::Clear() {
  m_sections.clear();
  m_modified = true;
}

void TMemIniData::GetLines(QStringList &list) const {
  list.clear();
  for (const Section &section : m_sections) {
    list.append(QLatin1Char('[') + section.name + QLatin1Char(']'));
    list.append(section.lines);
    list.append(QString());
  }
}

QByteArray TMemIniData::TextBytes() const {
  QStringList lines;
  GetLines(lines);
  QString text;
  for (const QString &line : lines)
    text += line + QLatin1String("\r\n");
  // Characters beyond 8 bits cannot come from a parsed file; a caller that
  // wrote one gets "?" in its place.
  return text.toLatin1();
}

void TMemIniData::UpdateFile() {
  if (!m_buffer)
    return;
  const QByteArray bytes = TextBytes();
  if (static_cast<quint64>(bytes.size()) >= std::numeric_limits<quint32>::max())
    return; // the length word cannot describe it; the old block stays valid
  // The block is always rebuilt at the size the text needs: writing into the
  // existing block could run past its end when the text grew.
  *m_buffer = MakeBlock(bytes);
}

bool TMemIniData::SaveToFile(const QString &fileName) const {
  // A file that cannot be written whole keeps its previous text.
  return SafeFileWriter::Write(fileName, TextBytes());
}
