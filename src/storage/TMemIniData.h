#pragma once
#include "storage/IniStore.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <vector>

// An INI store that lives on a block of memory instead of a file, so that a
// deciphered configuration file is read without its plain text ever touching
// the disk.
//
// The block is a 32-bit little-endian length L followed by L bytes of 8-bit
// text. The store does not own the block: it keeps the caller's pointer so
// that UpdateFile can replace the block's contents, and the caller keeps the
// block alive for as long as the store exists.
//
// The text is untrusted (files come from other fitters): a length word larger
// than the block, a block too short for its length word, zero bytes, binary
// garbage and arbitrarily long lines are all taken in without reading outside
// the block. Bytes map one to one onto characters (Latin-1), so whatever was
// read is written back byte for byte.
//
// Section and key names are compared without regard to letter case. When a
// file holds the same section or key twice, lookups answer with the first.
class TMemIniData : public IniStore {
public:
  // buffer may be null: the store then starts empty and UpdateFile has
  // nowhere to write.
  explicit TMemIniData(QByteArray *buffer);
  ~TMemIniData() override;
  TMemIniData(const TMemIniData &) = delete;
  TMemIniData &operator=(const TMemIniData &) = delete;

  // IniStore
  QString ReadString(const QString &section, const QString &key, const QString &defaultValue) override;
  void WriteString(const QString &section, const QString &key, const QString &value) override;
  int ReadInteger(const QString &section, const QString &key, int defaultValue) override;
  void WriteInteger(const QString &section, const QString &key, int value) override;
  void DeleteKey(const QString &section, const QString &key) override;
  bool ValueExists(const QString &section, const QString &key) override;

  bool SectionExists(const QString &section) const;
  // The name part of every "name=value" line of the section, in order.
  void ReadSection(const QString &section, QStringList &list) const;
  // Every section name, in order.
  void ReadSections(QStringList &list) const;
  // The names of the sections below `section` ("section\sub..."), in order.
  void ReadSections(const QString &section, QStringList &list) const;
  // The section's lines as they are stored.
  void ReadSectionValues(const QString &section, QStringList &list) const;
  void EraseSection(const QString &section);
  void Clear();

  // The text form: per section its header line, its lines, one empty line.
  void GetLines(QStringList &list) const;
  // The text form as 8-bit text, every line ended by CR LF: what UpdateFile
  // and SaveToFile write, and what a configuration file enciphers.
  QByteArray TextBytes() const;
  // Puts the text form into the caller's block (length word, 8-bit text, a
  // terminating zero byte that the length does not count).
  void UpdateFile();
  // Writes the text form to a file, every line ended by CR LF.
  bool SaveToFile(const QString &fileName) const;

  void LoadBuffer();
  void ParseText(const QStringList &lines);

  bool Modified() const { return m_modified; }

  // The 8-bit text held by a block; empty for a null pointer or a block too
  // short for its length word. Only the bytes really present are taken.
  static QByteArray BlockText(const QByteArray *buffer);
  // A block holding text: length word, the text, a zero byte.
  static QByteArray MakeBlock(const QByteArray &text);

private:
  struct Section {
    QString name;
    QStringList lines;
  };

  Section &AddSection(const QString &name);
  Section *FindSection(const QString &name);
  const Section *FindSection(const QString &name) const;
  static qsizetype FindKey(const Section &section, const QString &key);

  QByteArray *m_buffer;
  bool m_modified = false;
  std::vector<Section> m_sections;
};
