#pragma once
#include <QString>
#include <cstdint>

// The position of a wait window's progress bar: one byte, so relative steps
// wrap modulo 256 (nothing clamps it to 100), and the line under the bar.
class WaitProgress {
public:
  void Apply(std::uint8_t amount, bool absolute) {
    m_position = absolute ? amount : static_cast<std::uint8_t>(m_position + amount);
  }
  std::uint8_t Position() const { return m_position; }
  // "40% completed"
  QString Line(const QString &completedText) const {
    return QString::number(m_position) + QStringLiteral("% ") + completedText;
  }

private:
  std::uint8_t m_position = 0;
};
