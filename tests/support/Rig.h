// SPDX-License-Identifier: MIT
#pragma once
// The real window on a virtual platform of emulated boards, on a virtual clock.

#include <QLocale>
#include <QTemporaryDir>
#include <QTimer>
#include <memory>

#include "gui/MainWindow.h"
#include "support/FaultPlatform.h"
#include "support/Wire.h"

namespace torvex::test {

class Rig {
 public:
  sim::VirtualPlatform platform;
  // The window's way to the boards, where a test may hide that devices changed.
  FaultPlatform fault{platform};
  // The window's profiles and backups: never the user's own.
  QTemporaryDir profiles;

  // Creates the window in `locale`, once per rig, and starts it unless told not to.
  gui::MainWindow& load(const QLocale& locale = kEnglish, bool start = true) {
    form_ = std::make_unique<gui::MainWindow>(fault, locale);
    form_->setProfileStore(board::ProfileStore(profiles.path()));
    if (start) form_->start();
    return *form_;
  }
  // Starts the window with board 0 open and read back, its log cleared and
  // the poll timer stopped: ticks come from tick() only.
  gui::MainWindow& loadConnected(const QLocale& locale = kEnglish) {
    if (platform.deviceCount() == 0) platform.addBoard({});
    load(locale);
    // QTest's mouse helpers spin the event loop, where a wall-clock tick would
    // add reads a test did not cause.
    form_->pollTimer()->stop();
    platform.clearLog();
    return *form_;
  }
  gui::MainWindow& form() { return *form_; }
  const gui::Controls& ui() { return form_->controls(); }

  // Polls: each time the timer's interval passes on the virtual clock, then the
  // tick runs.
  void tick(int n = 1) {
    for (int i = 0; i < n; ++i) {
      platform.advanceUs(std::int64_t{form_->pollTimer()->interval()} * 1000);
      form_->onPollTick();
    }
  }
  std::string sent(int device = 0, bool withTimes = false) const {
    return Sent(platform, device, withTimes);
  }

 private:
  std::unique_ptr<gui::MainWindow> form_;  // destroyed before the platform
};

}  // namespace torvex::test
