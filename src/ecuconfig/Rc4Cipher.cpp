#include "ecuconfig/Rc4Cipher.h"

#include <utility>

Rc4Cipher::Rc4Cipher(const QByteArray &key) {
  for (int n = 0; n < 256; ++n)
    m_state[static_cast<std::size_t>(n)] = static_cast<std::uint8_t>(n);
  if (key.isEmpty())
    return; // not a valid RC4 key; callers always pass a 16-byte digest
  std::uint8_t j = 0;
  for (std::size_t n = 0; n < 256; ++n) {
    j = static_cast<std::uint8_t>(j + m_state[n] + static_cast<std::uint8_t>(key[static_cast<qsizetype>(n) % key.size()]));
    std::swap(m_state[n], m_state[j]);
  }
}

void Rc4Cipher::Apply(char *data, qsizetype length) {
  for (qsizetype n = 0; n < length; ++n) {
    m_i = static_cast<std::uint8_t>(m_i + 1);
    m_j = static_cast<std::uint8_t>(m_j + m_state[m_i]);
    std::swap(m_state[m_i], m_state[m_j]);
    const auto k = m_state[static_cast<std::uint8_t>(m_state[m_i] + m_state[m_j])];
    data[n] = static_cast<char>(static_cast<std::uint8_t>(data[n]) ^ k);
  }
}

QByteArray Rc4Cipher::Apply(QByteArray data) {
  Apply(data.data(), data.size());
  return data;
}
