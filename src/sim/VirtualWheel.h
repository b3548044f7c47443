#pragma once
#include <QWidget>

namespace torvex::sim {
class VirtualPlatform;

// The demo's second window: paddles, buttons, rotary inputs and plugs of the
// emulated boards, played by hand or animated.
class VirtualWheel : public QWidget {
  Q_OBJECT
 public:
  explicit VirtualWheel(VirtualPlatform& platform, QWidget* parent = nullptr);

 private:
  VirtualPlatform& platform_;
};

}  // namespace torvex::sim
