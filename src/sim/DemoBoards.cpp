// SPDX-License-Identifier: MIT
#include "sim/DemoBoards.h"

#include "protocol/Protocol.h"
#include "sim/VirtualPlatform.h"

namespace torvex::sim {

void AddDemoBoards(VirtualPlatform& platform) {
  namespace code = protocol::code;

  // A wheel set up for dual clutch with factory curves.
  Identity first;
  first.serialNumber = u"TVX-24A-0117";
  first.versionNumber = 0x0304;
  const int a = platform.addBoard(first);
  platform.device(a).reportPeriodUs = 4000;  // 250 Hz
  platform.firmware(a).setPaddle(0, 9000);
  platform.firmware(a).setPaddle(1, 52000);

  // A wheel set up for throttle and brake with shaped curves and encoders.
  Identity second;
  second.serialNumber = u"TVX-24A-0342";
  second.versionNumber = 0x0310;
  const int b = platform.addBoard(second);
  platform.device(b).reportPeriodUs = 4000;
  BoardFirmware& fw = platform.firmware(b);
  fw.setSetting(code::SetAnalogInputMode, 1);
  fw.setSetting(code::SetXCurveType, 1);
  fw.setSetting(code::SetXCurveNumber, 8);
  fw.setSetting(code::SetYCurveType, 2);
  fw.setSetting(code::SetYCurveNumber, 7);
  fw.setSettingWord(code::SetClutchBiteLsb, 24000);
  fw.setSetting(code::SetLedIntensityLsb, 128);
  fw.setSettingWord(code::SetXDeadLowLsb, 3275);  // 5 %
  fw.setSetting(code::SetRotarySwitchLeftMode, 2);
  fw.setSetting(code::SetRotarySwitchRightMode, 1);
  fw.setSetting(code::SetEncoderPulseWidth, 4);  // 32 ms
  fw.setPaddle(0, 20000);
  fw.setPaddle(1, 40000);
}

}  // namespace torvex::sim
