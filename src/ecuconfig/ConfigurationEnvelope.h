#pragma once
#include <QByteArray>
#include <QString>

// The enciphered configuration file: a 22-byte signature, 16 mask bytes, 128
// candidate bytes, then the INI text enciphered with RC4 under MD5 of the key
// material that the mask bytes pick from the candidates.
class ConfigurationEnvelope {
public:
  static constexpr int SIGNATURE_SIZE = 22;
  static constexpr int MASK_SIZE = 16;
  static constexpr int CANDIDATE_SIZE = 128;
  static constexpr int HEADER_SIZE = MASK_SIZE + CANDIDATE_SIZE;      // 144
  static constexpr int TEXT_OFFSET = SIGNATURE_SIZE + HEADER_SIZE;    // 166
  // Real files are a few KiB; anything this large is not one of ours.
  static constexpr qint64 MAX_FILE_SIZE = 1024 * 1024;
  static const QByteArray &Signature();

  // The bytes of C selected by the bits of M, bit 0 first.
  static QByteArray KeyMaterial(const QByteArray &header);
  // MD5 of the key material: the 128-bit RC4 key.
  static QByteArray CipherKey(const QByteArray &header);

  // The whole file for a plain text, with the given 144 header bytes.
  static QByteArray Seal(const QByteArray &plain, const QByteArray &header);
  // The whole file with 144 fresh random header bytes.
  static QByteArray Seal(const QByteArray &plain);
  // The plain text of a whole file; false when it is shorter than the header.
  // The signature is not checked: files of any origin with a valid header load.
  static bool Open(const QByteArray &file, QByteArray &plain);

  // Envelope around a plain file's bytes, written safely (the previous target
  // stays intact if anything fails).
  static bool EncryptFile(const QString &plainFileName, const QString &targetFileName);
  // Deciphers a file into a block: a 32-bit little-endian length, then the
  // plain bytes. False for a missing, unreadable, too short or too large file.
  static bool DecryptFile(const QString &fileName, QByteArray &block);
  // Writes a whole file atomically; reason as for SafeFileWriter.
  static bool WriteFile(const QString &fileName, const QByteArray &bytes, QString *reason = nullptr);
};
