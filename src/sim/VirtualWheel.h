// SPDX-License-Identifier: MIT
#pragma once
// The demo's second window, "Virtual wheel": the user's hands on one emulated
// board at a time. Paddles as sliders, the 64 buttons as toggles (or
// momentary presses), the two rotary knobs as dials with step buttons, the
// board's plug and report rate, its LED intensity, and an "Animate" switch
// that sweeps the paddles and walks a button so the main window comes alive.
// A timer pumps the platform so reports flow on the wall clock.

#include <QWidget>
#include <array>
#include <cstdint>
#include <vector>

class QCheckBox;
class QComboBox;
class QDial;
class QLabel;
class QProgressBar;
class QPushButton;
class QSlider;
class QTimer;

namespace torvex::sim {
class BoardFirmware;
class VirtualPlatform;

// Where the animated hands are at time t: both paddles sweep slowly back and
// forth (out of phase), one of buttons 1..40 is held, walking along, and the
// left knob has been turned `rotaryDetents` times so far.
struct WheelPose {
  std::array<std::uint16_t, 2> paddles{};
  int button = 0;  // 0-based, 0..39
  int rotaryDetents = 0;
};
WheelPose AnimatedPose(std::int64_t tUs);

// Report periods offered by the rate list, in its order (0 = on change).
inline constexpr std::array<std::int64_t, 3> kReportPeriodsUs = {1000, 4000, 0};

class VirtualWheel : public QWidget {
  Q_OBJECT
 public:
  explicit VirtualWheel(VirtualPlatform& platform, QWidget* parent = nullptr);

  // The board the hands act on, as an index into the platform's devices.
  int board() const;
  // One beat of the wheel's timer: pump, animate, show the board's state.
  void tick();

 private:
  BoardFirmware& firmware();
  void selectBoard(int row);
  void showBoard();
  void setMomentary(bool momentary);
  void turnDial(int side, int value);
  void animate();
  QWidget* buildButtons();
  QWidget* buildRotary(int side);

  VirtualPlatform& platform_;
  std::vector<int> boards_;  // platform indices of our boards
  QComboBox* boardCombo_ = nullptr;
  QPushButton* plugButton_ = nullptr;
  QComboBox* rateCombo_ = nullptr;
  std::array<QSlider*, 2> paddles_{};
  std::array<QDial*, 2> dials_{};
  std::array<QLabel*, 2> dialModes_{};
  std::array<int, 2> dialValues_{};
  std::array<QPushButton*, 64> buttons_{};
  QCheckBox* momentary_ = nullptr;
  QCheckBox* animate_ = nullptr;
  QProgressBar* led_ = nullptr;
  QLabel* ledLamp_ = nullptr;
  QTimer* timer_ = nullptr;
  std::int64_t animationStartUs_ = 0;
  int animatedDetents_ = 0;
  int animatedButton_ = -1;
  int animatedBoard_ = -1;
  int shownLed_ = -1;
};

}  // namespace torvex::sim
