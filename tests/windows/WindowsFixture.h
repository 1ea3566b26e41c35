#pragma once
#include "support/RecordingUserInterface.h"
#include "support/SimulatedUnit.h"

#include <QByteArray>
#include <QSettings>
#include <QTemporaryDir>
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
  void UseUnit(const QByteArray &lines) { ASSERT_TRUE(m_unit.Use(lines)); }

  RecordingUserInterface m_ui;

private:
  QTemporaryDir m_settings;
  SimulatedUnitSettings m_unit{QByteArray()};
};
