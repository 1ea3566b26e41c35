#pragma once
#include "ecuconfig/VehicleConfigView.h"

#include <QStringList>

// Helpers of the data-module tests; the namespace keeps them apart from
// other test files linked into the same binary.
namespace catalogue_test {

// Registers itself as the vehicle configuration window for its lifetime and
// records what the handlers ask of it, e.g. "TpsBand 2=100".
class RecordingView final : public VehicleConfigView {
public:
  RecordingView() { VehicleConfigView::SetView(this); }
  ~RecordingView() override { VehicleConfigView::SetView(nullptr); }
  RecordingView(const RecordingView &) = delete;
  RecordingView &operator=(const RecordingView &) = delete;

  void ShowOptionFieldsOfFlags() override { Calls << QStringLiteral("ShowOptionFieldsOfFlags"); }
  void SyncCommutatore() override { Calls << QStringLiteral("SyncCommutatore"); }
  void SetDefaultLabelColor(std::uint32_t color) override {
    Calls << QStringLiteral("LabelColor %1").arg(color, 6, 16, QLatin1Char('0'));
  }
  void SetTimerEnabled(bool enabled) override {
    Calls << QStringLiteral("Timer %1").arg(enabled ? "on" : "off");
  }
  void SetTpsBandPosition(int indicator, int position) override {
    Calls << QStringLiteral("TpsBand %1=%2").arg(indicator).arg(position);
  }
  void SetLambdaBandPosition(int indicator, int position) override {
    Calls << QStringLiteral("LambdaBand %1=%2").arg(indicator).arg(position);
  }

  QStringList Calls;
};

} // namespace catalogue_test
