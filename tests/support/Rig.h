#pragma once
// The real window on a virtual platform of emulated boards, on a virtual clock.

#include <QLocale>
#include <memory>
#include <vector>

#include "gui/MainWindow.h"
#include "sim/VirtualPlatform.h"

namespace torvex::test {

using sim::Bytes;

class Rig {
 public:
  Rig();
  ~Rig();

  sim::VirtualPlatform platform;

  // Adds one of our boards with this serial number; returns its index.
  int addBoard(const std::u16string& serial);
  // Creates the window in `locale` and runs Form_Load.
  gui::MainWindow& load(const QLocale& locale = QLocale(QLocale::English, QLocale::UnitedStates));
  // Creates the window without loading it.
  gui::MainWindow& create(const QLocale& locale = QLocale(QLocale::English, QLocale::UnitedStates));
  gui::MainWindow& form() { return *form_; }
  void destroyForm();

  // One tick of Timer: the timer's interval passes on the virtual clock, then
  // Timer_Timer runs.
  void tick();
  void ticks(int n) {
    for (int i = 0; i < n; ++i) tick();
  }

  std::int64_t nowMs() { return platform.nowUs() / 1000; }
  // Every feature report the tool sent to a board, oldest first.
  std::vector<Bytes> sent(int device) const;
  // Only the first four bytes of each sent report (ID, kind, code, value).
  std::vector<std::vector<int>> sentHeads(int device) const;

 private:
  std::unique_ptr<gui::MainWindow> form_;
};

// Lets QTest key and mouse helpers reach a control by its object name.
template <typename T>
T* Find(QWidget& root, const char* name) {
  return root.findChild<T*>(QString::fromLatin1(name));
}

}  // namespace torvex::test
