// The hidapi backend's own logic where emulated hidraw devices cannot reach:
// a device that never stops sending, text outside Unicode, odd paths.

#include <gtest/gtest.h>

#include "hid/HidapiPlatform.h"

namespace torvex::hid {
namespace {

TEST(DrainInputReports, EndlessDeviceCannotHoldTheWindow) {
  int calls = 0;
  const RawRead endless = [&calls](std::uint8_t* b, std::size_t) {
    ++calls;
    b[0] = 0x42;
    return 1;
  };
  const InputRead r = DrainInputReports(endless, false, 4, 64, /*maxReads=*/100);
  EXPECT_EQ(calls, 100);
  EXPECT_EQ(r.status, InputRead::Status::Ok);
  EXPECT_EQ(r.bytes, (std::vector<std::uint8_t>{0, 0x42, 0, 0x42}));
}

TEST(HidapiHelpers, NoWideCharOutsideUnicodeNorPathOutsideHidraw) {
  EXPECT_EQ(WideToUtf16(std::wstring(1, static_cast<wchar_t>(0x110000))), u"\uFFFD");
  for (const char* path : {"/dev/hidraw", "/dev/hidraw1/../../etc/passwd", "/dev/usb/hiddev0"})
    EXPECT_EQ(SysfsDescriptorPath(path), "") << path;
}

}  // namespace
}  // namespace torvex::hid
