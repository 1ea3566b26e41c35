#include "ecuconfig/ConfigurationEnvelope.h"
#include "ecuconfig/Rc4Cipher.h"

#include <QCryptographicHash>
#include <QFile>
#include <QTemporaryDir>
#include <QtEndian>
#include <gtest/gtest.h>

namespace {

struct Rc4Case {
  const char *keyHex;
  int offset;
  const char *streamHex;
};

class Rc4KeyStreamTest : public ::testing::TestWithParam<Rc4Case> {};

// Key stream bytes: enciphering zeros shows them.
TEST_P(Rc4KeyStreamTest, MatchesThePublishedVectors) {
  const auto c = GetParam();
  Rc4Cipher cipher(QByteArray::fromHex(c.keyHex));
  const QByteArray stream = cipher.Apply(QByteArray(c.offset + 16, '\0'));
  EXPECT_EQ(stream.mid(c.offset).toHex(), QByteArray(c.streamHex));
}

INSTANTIATE_TEST_SUITE_P(Rfc6229, Rc4KeyStreamTest,
                         ::testing::Values(Rc4Case{"0102030405", 0, "b2396305f03dc027ccc3524a0a1118a8"},
                                           Rc4Case{"0102030405", 16, "6982944f18fc82d589c403a47a0d0919"},
                                           Rc4Case{"0102030405060708090a0b0c0d0e0f10", 0,
                                                   "9ac7cc9a609d1ef7b2932899cde41b97"},
                                           Rc4Case{"0102030405060708090a0b0c0d0e0f10", 16,
                                                   "5248c4959014126a6e8a84f11d1a9e1c"}));

TEST(Rc4, ClassicTextVectors) {
  EXPECT_EQ(Rc4Cipher("Key").Apply("Plaintext").toHex(), QByteArray("bbf316e8d940af0ad3"));
  EXPECT_EQ(Rc4Cipher("Wiki").Apply("pedia").toHex(), QByteArray("1021bf0420"));
  EXPECT_EQ(Rc4Cipher("Secret").Apply("Attack at dawn").toHex(), QByteArray("45a01f645fc35b383552544b9bf5"));
}

TEST(Rc4, PiecesContinueOneStream) {
  const QByteArray key = QByteArray::fromHex("00112233445566778899aabbccddeeff");
  const QByteArray text(600, 'x');
  const QByteArray whole = Rc4Cipher(key).Apply(text);
  for (int first : {255, 256, 1, 599}) {
    Rc4Cipher cipher(key);
    QByteArray pieces = cipher.Apply(text.left(first));
    pieces += cipher.Apply(text.mid(first));
    EXPECT_EQ(pieces, whole) << first;
  }
}

TEST(Md5, Rfc1321Vectors) {
  const std::pair<const char *, const char *> vectors[] = {
      {"", "d41d8cd98f00b204e9800998ecf8427e"},
      {"a", "0cc175b9c0f1b6a831c399e269772661"},
      {"abc", "900150983cd24fb0d6963f7d28e17f72"},
      {"message digest", "f96b697d7cb7938d525a2f31aaf161d0"},
      {"abcdefghijklmnopqrstuvwxyz", "c3fcd3d76192e4007dfb496cca67e13b"},
      {"12345678901234567890123456789012345678901234567890123456789012345678901234567890",
       "57edf4a22be3c955ac49da2e2107b67a"}};
  for (const auto &[text, digest] : vectors)
    EXPECT_EQ(QCryptographicHash::hash(text, QCryptographicHash::Md5).toHex(), QByteArray(digest)) << text;
}

QByteArray Header(std::initializer_list<std::pair<int, std::uint8_t>> masks) {
  QByteArray header(ConfigurationEnvelope::HEADER_SIZE, '\0');
  for (int n = 0; n < ConfigurationEnvelope::CANDIDATE_SIZE; ++n)
    header[ConfigurationEnvelope::MASK_SIZE + n] = static_cast<char>(0x80 + n);
  for (const auto &[index, mask] : masks)
    header[index] = static_cast<char>(mask);
  return header;
}

TEST(KeyMaterial, MaskBitsPickCandidatesInOrder) {
  EXPECT_TRUE(ConfigurationEnvelope::KeyMaterial(Header({})).isEmpty());
  EXPECT_EQ(ConfigurationEnvelope::KeyMaterial(Header({{0, 0x81}})).toHex(), QByteArray("8087"));
  EXPECT_EQ(ConfigurationEnvelope::KeyMaterial(Header({{0, 0x81}, {1, 0x01}})).toHex(), QByteArray("808788"));
  EXPECT_EQ(ConfigurationEnvelope::KeyMaterial(Header({{15, 0xFF}})).size(), 8);
  QByteArray all(ConfigurationEnvelope::HEADER_SIZE, '\xFF');
  EXPECT_EQ(ConfigurationEnvelope::KeyMaterial(all).size(), 128);
}

TEST(Envelope, EmptyKeyMaterialUsesTheDigestOfNothing) {
  const QByteArray header = Header({});
  EXPECT_EQ(ConfigurationEnvelope::CipherKey(header).toHex(), QByteArray("d41d8cd98f00b204e9800998ecf8427e"));
  const QByteArray file = ConfigurationEnvelope::Seal("[A]\r\nB=1\r\n", header);
  QByteArray plain;
  ASSERT_TRUE(ConfigurationEnvelope::Open(file, plain));
  EXPECT_EQ(plain, QByteArray("[A]\r\nB=1\r\n"));
}

TEST(Envelope, LayoutIsSignatureHeaderThenOneCipherPass) {
  const QByteArray header = Header({{0, 0x81}, {1, 0x01}, {7, 0x10}});
  for (int length : {0, 1, 255, 256, 511, 3000}) {
    const QByteArray text(length, 'k');
    const QByteArray file = ConfigurationEnvelope::Seal(text, header);
    ASSERT_EQ(file.size(), 166 + length);
    EXPECT_EQ(file.left(22), QByteArray("ENCRYPTED_FILE_V_01.00"));
    EXPECT_EQ(file.mid(22, 144), header);
    const QByteArray key = QCryptographicHash::hash(ConfigurationEnvelope::KeyMaterial(header),
                                                    QCryptographicHash::Md5);
    EXPECT_EQ(file.mid(166), Rc4Cipher(key).Apply(text)) << length;
  }
}

TEST(Envelope, SignatureIsNotCheckedAndShortFilesAreRefused) {
  QByteArray file = ConfigurationEnvelope::Seal("[X]\r\n");
  file.replace(0, 22, QByteArray(22, '?'));
  QByteArray plain;
  EXPECT_TRUE(ConfigurationEnvelope::Open(file, plain));
  EXPECT_EQ(plain, QByteArray("[X]\r\n"));
  EXPECT_TRUE(ConfigurationEnvelope::Open(file.left(166), plain));
  EXPECT_TRUE(plain.isEmpty()) << "an empty text";
  EXPECT_FALSE(ConfigurationEnvelope::Open(file.left(165), plain));
}

TEST(Envelope, FreshHeadersDifferButBothOpen) {
  const QByteArray a = ConfigurationEnvelope::Seal("same text");
  const QByteArray b = ConfigurationEnvelope::Seal("same text");
  EXPECT_NE(a.mid(22, 144), b.mid(22, 144));
  QByteArray plainA, plainB;
  ASSERT_TRUE(ConfigurationEnvelope::Open(a, plainA));
  ASSERT_TRUE(ConfigurationEnvelope::Open(b, plainB));
  EXPECT_EQ(plainA, plainB);
}

class EnvelopeFileTest : public ::testing::Test {
protected:
  QString Path(const char *name) const { return dir.filePath(QString::fromLatin1(name)); }
  static void Write(const QString &path, const QByteArray &bytes) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
  }
  QTemporaryDir dir;
};

TEST_F(EnvelopeFileTest, EncryptThenDecryptGivesALengthPrefixedBlock) {
  Write(Path("plain.ini"), "[CONFIGURAZIONE]\r\nCHECKUP=172\r\n");
  ASSERT_TRUE(ConfigurationEnvelope::EncryptFile(Path("plain.ini"), Path("out.kfg")));
  QByteArray block;
  ASSERT_TRUE(ConfigurationEnvelope::DecryptFile(Path("out.kfg"), block));
  EXPECT_EQ(qFromLittleEndian<quint32>(block.constData()), 31u);
  EXPECT_EQ(block.mid(4), QByteArray("[CONFIGURAZIONE]\r\nCHECKUP=172\r\n"));
}

TEST_F(EnvelopeFileTest, RefusesMissingShortAndOversizedFiles) {
  QByteArray block("untouched");
  EXPECT_FALSE(ConfigurationEnvelope::DecryptFile(Path("missing.kfg"), block));
  Write(Path("short.kfg"), QByteArray(165, 'a'));
  EXPECT_FALSE(ConfigurationEnvelope::DecryptFile(Path("short.kfg"), block));
  Write(Path("huge.kfg"), QByteArray(ConfigurationEnvelope::MAX_FILE_SIZE + 1, 'a'));
  EXPECT_FALSE(ConfigurationEnvelope::DecryptFile(Path("huge.kfg"), block));
  EXPECT_EQ(block, QByteArray("untouched"));
  EXPECT_FALSE(ConfigurationEnvelope::EncryptFile(Path("missing.ini"), Path("x.kfg")));
  EXPECT_FALSE(QFile::exists(Path("x.kfg")));
}

TEST_F(EnvelopeFileTest, AFailedWriteKeepsThePreviousFile) {
  Write(Path("old.kfg"), "previous");
  EXPECT_FALSE(ConfigurationEnvelope::WriteFile(Path("no-such-folder/old.kfg"), "new"));
  QFile old(Path("old.kfg"));
  ASSERT_TRUE(old.open(QIODevice::ReadOnly));
  EXPECT_EQ(old.readAll(), QByteArray("previous"));
}

} // namespace
