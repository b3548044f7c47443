// GoogleTest main for tests through emulated hidraw devices: skipped (exit 77)
// when not run under umockdev's preload.
#include <gtest/gtest.h>

#include <clocale>
#include <csignal>
#include <cstdio>

#include "hidraw/HidrawRig.h"

int main(int argc, char** argv) {
  // An unplug hangs up the PTY behind a node; a session leader would die of SIGHUP.
  std::signal(SIGHUP, SIG_IGN);
  // hidapi turns the UTF-8 strings of sysfs into wchar_t by the C locale.
  std::setlocale(LC_ALL, "C.UTF-8");
  if (!torvex::test::HidrawRig::PreloadActive()) {
    std::puts("not under umockdev's preload (run through umockdev-wrapper): skipped");
    return torvex::test::HidrawRig::kSkipped;
  }
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
