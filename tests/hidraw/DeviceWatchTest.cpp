// The hidapi backend's hot-plug watch on umockdev's uevents: each add or
// remove says "changed" once, then nothing until the next.

#include <gtest/gtest.h>

#include <functional>

#include "hid/HidapiPlatform.h"
#include "hidraw/HidrawRig.h"

namespace torvex::test {
namespace {

TEST(DeviceWatch, EachPlugOrUnplugSaysChangedOnce) {
  HidrawRig rig;
  const int early = rig.addBoard();
  hid::HidapiPlatform platform;
  // Nothing seen yet at start: the caller must scan once.
  EXPECT_TRUE(platform.devicesChanged());
  EXPECT_FALSE(platform.devicesChanged());

  // A step of several events still says "changed" only once.
  const std::function<void()> steps[] = {
      [&] { rig.addBoard(); },
      [&] {
        rig.addBoard();
        rig.addForeign(0x046D, 0xC077, {0x05, 0x01, 0x09, 0x02, 0xA1, 0x01, 0xC0});
      },
      [&] { rig.unplug(early); },
      [&] { rig.replug(early); },
  };
  for (std::size_t i = 0; i < std::size(steps); ++i) {
    SCOPED_TRACE(i);
    steps[i]();
    EXPECT_TRUE(platform.devicesChanged());
    EXPECT_FALSE(platform.devicesChanged());
  }
}

}  // namespace
}  // namespace torvex::test
