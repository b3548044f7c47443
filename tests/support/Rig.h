#pragma once
// The real window on a virtual platform of emulated boards, on a virtual clock.

#include <QLocale>
#include <memory>

#include "gui/MainWindow.h"
#include "support/Wire.h"

namespace torvex::test {

class Rig {
 public:
  Rig();
  ~Rig();

  sim::VirtualPlatform platform;

  // Adds one of our boards with this serial number; returns its index.
  int addBoard(const std::u16string& serial = u"TVX0001");
  // Creates the window in `locale` and starts it.
  gui::MainWindow& load(const QLocale& locale = kEnglish);
  // Creates the window without starting it.
  gui::MainWindow& create(const QLocale& locale = kEnglish);
  // Starts the window with board 0 open and read back, its log cleared and
  // the poll timer stopped: ticks come from tick() only.
  gui::MainWindow& loadConnected(const QLocale& locale = kEnglish);
  gui::MainWindow& form() { return *form_; }
  const gui::Controls& ui() { return form_->controls(); }
  void destroyForm();

  // One poll: the timer's interval passes on the virtual clock, then the tick runs.
  void tick();
  void ticks(int n) {
    for (int i = 0; i < n; ++i) tick();
  }

  std::int64_t nowMs() { return platform.nowUs() / 1000; }
  std::string sent(int device = 0, bool withTimes = false) const {
    return Sent(platform, device, withTimes);
  }

 private:
  std::unique_ptr<gui::MainWindow> form_;
};

// Lets QTest key and mouse helpers reach a control by its object name.
template <typename T>
T* Find(QWidget& root, const char* name) {
  return root.findChild<T*>(QString::fromLatin1(name));
}

}  // namespace torvex::test
