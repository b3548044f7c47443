// SPDX-License-Identifier: MIT
// No way to watch on this system: every call may have missed a change.
#include "hid/DeviceWatch.h"

namespace torvex::hid {

struct DeviceWatch::Monitor {};

DeviceWatch::DeviceWatch(const std::string&) {}
DeviceWatch::~DeviceWatch() = default;

bool DeviceWatch::changed() {
  return true;
}

int DeviceWatch::descriptor() const {
  return -1;
}

}  // namespace torvex::hid
