#include "ecuconfig/ConfigurationEnvelope.h"

#include "ecuconfig/Rc4Cipher.h"
#include "platform/SafeFileWriter.h"

#include <QCryptographicHash>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QtEndian>

const QByteArray &ConfigurationEnvelope::Signature() {
  static const QByteArray signature("ENCRYPTED_FILE_V_01.00");
  return signature;
}

QByteArray ConfigurationEnvelope::KeyMaterial(const QByteArray &header) {
  QByteArray material;
  if (header.size() < HEADER_SIZE)
    return material;
  for (int i = 0; i < MASK_SIZE; ++i) {
    const auto mask = static_cast<std::uint8_t>(header[i]);
    for (int j = 0; j < 8; ++j)
      if (mask & (1u << j))
        material.append(header[MASK_SIZE + 8 * i + j]);
  }
  return material;
}

QByteArray ConfigurationEnvelope::CipherKey(const QByteArray &header) {
  return QCryptographicHash::hash(KeyMaterial(header), QCryptographicHash::Md5);
}

QByteArray ConfigurationEnvelope::Seal(const QByteArray &plain, const QByteArray &header) {
  Rc4Cipher cipher(CipherKey(header));
  QByteArray file = Signature();
  file.append(header.left(HEADER_SIZE));
  file.append(cipher.Apply(plain));
  return file;
}

QByteArray ConfigurationEnvelope::Seal(const QByteArray &plain) {
  QByteArray header(HEADER_SIZE, '\0');
  auto *random = QRandomGenerator::system();
  for (auto &byte : header)
    byte = static_cast<char>(random->bounded(256));
  return Seal(plain, header);
}

bool ConfigurationEnvelope::Open(const QByteArray &file, QByteArray &plain) {
  if (file.size() < TEXT_OFFSET)
    return false;
  Rc4Cipher cipher(CipherKey(file.mid(SIGNATURE_SIZE, HEADER_SIZE)));
  plain = cipher.Apply(file.mid(TEXT_OFFSET));
  return true;
}

bool ConfigurationEnvelope::WriteFile(const QString &fileName, const QByteArray &bytes, QString *reason) {
  return SafeFileWriter::Write(fileName, bytes, reason);
}

bool ConfigurationEnvelope::EncryptFile(const QString &plainFileName, const QString &targetFileName) {
  QFile plain(plainFileName);
  if (!plain.exists() || plain.size() > MAX_FILE_SIZE || !plain.open(QIODevice::ReadOnly))
    return false;
  const QByteArray text = plain.readAll();
  if (plain.error() != QFileDevice::NoError)
    return false;
  return WriteFile(targetFileName, Seal(text));
}

bool ConfigurationEnvelope::DecryptFile(const QString &fileName, QByteArray &block) {
  QFile file(fileName);
  if (!file.exists() || file.size() > MAX_FILE_SIZE || !file.open(QIODevice::ReadOnly))
    return false;
  const QByteArray bytes = file.readAll();
  QByteArray plain;
  if (file.error() != QFileDevice::NoError || !Open(bytes, plain))
    return false;
  block = QByteArray(4, '\0');
  qToLittleEndian<quint32>(static_cast<quint32>(plain.size()), block.data());
  block.append(plain);
  return true;
}
