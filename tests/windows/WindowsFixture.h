#pragma once
#include "support/RecordingUserInterface.h"

#include <QByteArray>
#include <QSettings>
#include <QTemporaryDir>
#include <QTemporaryFile>
#include <gtest/gtest.h>

// A fresh settings store and a simulated unit shaped by the given
// configuration lines, for one test.
class WindowsFixture : public ::testing::Test {
protected:
  void SetUp() override {
    ASSERT_TRUE(m_settings.isValid());
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, m_settings.path());
    UseUnit({});
  }
  void TearDown() override { qunsetenv("NOX_SIMECU_CONFIG"); }

  void UseUnit(const QByteArray &lines) {
    m_unit = std::make_unique<QTemporaryFile>();
    ASSERT_TRUE(m_unit->open());
    m_unit->write(lines);
    m_unit->flush();
    qputenv("NOX_SIMECU_CONFIG", m_unit->fileName().toLocal8Bit());
  }

  RecordingUserInterface m_ui;

private:
  QTemporaryDir m_settings;
  std::unique_ptr<QTemporaryFile> m_unit;
};
