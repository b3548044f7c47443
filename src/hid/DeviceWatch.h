// SPDX-License-Identifier: MIT
#pragma once
// Tells whether HID devices may have come or gone, without walking the bus.
// The build picks one implementation: a udev monitor of hidraw nodes on Linux
// (DeviceWatchUdev.cpp), elsewhere one that always says yes (DeviceWatchNone.cpp).

#include <memory>
#include <string>

namespace torvex::hid {

class DeviceWatch {
 public:
  // `udevControl` is the socket a running udev daemon listens on. Without a
  // daemon (containers, WSL, udevd stopped) libudev still hands out a monitor
  // that never hears anything, so then nothing is watched.
  explicit DeviceWatch(const std::string& udevControl);
  ~DeviceWatch();
  DeviceWatch(const DeviceWatch&) = delete;
  DeviceWatch& operator=(const DeviceWatch&) = delete;

  // Takes every pending event without waiting. True if there were any, on the
  // first call (nothing has been seen yet), and always when nothing can be watched.
  bool changed();
  // Readable while events are pending; -1 when nothing can be watched.
  int descriptor() const;

 private:
  struct Monitor;
  std::unique_ptr<Monitor> monitor_;
  bool first_ = true;
};

}  // namespace torvex::hid
