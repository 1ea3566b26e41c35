#pragma once
#include <QByteArray>
#include <array>
#include <cstdint>

// The RC4 stream cipher. Enciphering and deciphering are the same operation;
// calls continue one key stream, so a text processed in pieces gives the
// same bytes as in one go.
class Rc4Cipher {
public:
  explicit Rc4Cipher(const QByteArray &key);

  void Apply(char *data, qsizetype length);
  QByteArray Apply(QByteArray data);

private:
  std::array<std::uint8_t, 256> m_state{};
  std::uint8_t m_i = 0;
  std::uint8_t m_j = 0;
};
