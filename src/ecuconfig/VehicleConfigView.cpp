#include "ecuconfig/VehicleConfigView.h"

namespace {
VehicleConfigView *g_view = nullptr;
}

VehicleConfigView *VehicleConfigView::Current() {
  return g_view;
}

void VehicleConfigView::SetView(VehicleConfigView *view) {
  g_view = view;
}
