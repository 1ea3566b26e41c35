#pragma once
#include "dataitems/TNoxNumber.h"
#include "support/FakeConnection.h"

#include <QTest>
#include <QWidget>
#include <gtest/gtest.h>
#include <memory>
#include <ostream>

// Readable failure messages.
inline void PrintTo(const QString &text, std::ostream *out) {
  *out << '"' << text.toStdString() << '"';
}
inline void PrintTo(const QStringList &list, std::ostream *out) {
  *out << '[' << list.join(QStringLiteral(", ")).toStdString() << ']';
}

// A shown, active window on a scripted unit that records every call.
class ControlFixture : public ::testing::Test {
protected:
  void SetUp() override {
    unit = &fake.Object();
    window.resize(900, 600);
  }

  void Show() {
    window.show();
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
  }

  // A one-byte parameter at address with the given limits and precision,
  // not yet read.
  std::unique_ptr<TNoxNumber> Parameter(int address, double min = 0, double max = 0, double precision = 0) {
    auto item = std::make_unique<TNoxNumber>();
    item->SetByAddress(true);
    item->SetAddress(address);
    item->SetValueMin(min);
    item->SetValueMax(max);
    item->SetPrecision(precision);
    item->Loaded();
    item->SetConnection(&fake.Connection);
    return item;
  }

  // The writes that reached the unit, as "address=value".
  QStringList Writes() const {
    QStringList writes;
    for (const QString &call : unit->CallNames())
      if (call.startsWith(QLatin1String("WriteAtAddress("))) {
        const QStringList args = call.mid(15).chopped(1).split(QLatin1Char(','));
        writes << args[1] + QLatin1Char('=') + args[2];
      }
    return writes;
  }

  FakeConnection fake;
  FakeProtocolObject *unit = nullptr;
  QWidget window;
};
