#include "sim/VirtualWheel.h"

#include "sim/VirtualPlatform.h"

namespace torvex::sim {

VirtualWheel::VirtualWheel(VirtualPlatform& platform, QWidget* parent)
    : QWidget(parent), platform_(platform) {
  setWindowTitle("Virtual wheel");
}

}  // namespace torvex::sim
