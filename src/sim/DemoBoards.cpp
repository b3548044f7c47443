#include "sim/DemoBoards.h"

#include "protocol/Protocol.h"
#include "sim/VirtualPlatform.h"

namespace torvex::sim {

void AddDemoBoards(VirtualPlatform& platform) {
  namespace code = protocol::code;
  Identity first;
  first.serialNumber = u"TVX-24A-0117";
  first.versionNumber = 0x0304;
  const int a = platform.addBoard(first);
  platform.device(a).reportPeriodUs = 4000;  // 250 Hz
  platform.firmware(a).setPaddle(0, 9000);
  platform.firmware(a).setPaddle(1, 52000);

  Identity second;
  second.serialNumber = u"TVX-24A-0342";
  second.versionNumber = 0x0310;
  const int b = platform.addBoard(second);
  platform.device(b).reportPeriodUs = 4000;
  BoardFirmware& fw = platform.firmware(b);
  fw.setSetting(code::SetAnalogInputMode, 1);
  fw.setSetting(code::SetXCurveType, 1);
  fw.setSetting(code::SetXCurveNumber, 8);
  fw.setSettingWord(code::SetClutchBiteLsb, 24000);
  fw.setSetting(code::SetLedIntensityLsb, 128);
  fw.setSettingWord(code::SetXDeadLowLsb, 3275);
}

}  // namespace torvex::sim
