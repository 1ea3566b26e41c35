#pragma once
#include <QByteArray>
#include <QTemporaryFile>

// Points the simulated unit at a configuration of the benchmark's own, so a
// caller's NOX_SIMECU_CONFIG (latency, faults) never skews the figures.
class SimulatedUnitConfig {
public:
  explicit SimulatedUnitConfig(const QByteArray &lines) {
    m_file.open();
    m_file.write(lines);
    m_file.flush();
    qputenv("NOX_SIMECU_CONFIG", m_file.fileName().toLocal8Bit());
  }

private:
  QTemporaryFile m_file;
};
