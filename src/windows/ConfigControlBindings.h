#pragma once

class QWidget;
class TSerialDataModule;

// The vehicle configuration window's stored description beyond its layout:
// which parameter or live value each control shows, and the NextControl /
// PrevControl chain along which Enter, Up and Down move (the parameters from
// ConfigurationPages). The .ui file holds
// geometry, captions, items and check rules; object references cannot live
// there.
class ConfigControlBindings {
public:
  // Binds every bound control found under window to the module's items,
  // sets the neighbour chains and lets each combo box show its value once.
  static void Apply(QWidget *window, TSerialDataModule &module);
};
