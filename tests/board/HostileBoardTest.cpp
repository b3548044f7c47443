// Boards that claim report lengths from none to far too many bytes, with
// descriptors they may not honour. Whatever they claim, the core must not hand
// over a wrong-sized buffer, hang, leak or double-close (the bench checks),
// nor send a frame the feature report cannot hold.
#include "board/Bench.h"

namespace torvex::test {
namespace {

// A vendor collection of `input`- and `feature`-byte reports, ID byte included.
Bytes Descriptor(int input, int feature) {
  Bytes d = {0x06, 0x00, 0xFF, 0x09, 0x01, 0xA1, 0x01};
  for (auto [n, main] : {std::pair(input - 1, 0x81), std::pair(feature - 1, 0xB1)})
    if (n > 0)
      d.insert(d.end(), {0x75, 8, 0x96, Bytes::value_type(n), Bytes::value_type(n >> 8), 0x09, 1,
                         Bytes::value_type(main), 2});
  d.push_back(0xC0);
  return d;
}

TEST(HostileBoard, ReportLengths) {
  // Claimed input and feature lengths; honest: the descriptor and the reports agree.
  const std::tuple<std::uint16_t, std::uint16_t, bool> cases[] = {
      {0, 0, true},   {1, 1, false},      {3, 3, true},       {4, 4, true},
      {5, 5, true},   {13, 13, true},     {34, 34, true},     {35, 35, true},
      {13, 64, true}, {4096, 4096, true}, {8192, 8192, true}, {65535, 65535, false},
      {4, 4, false},  {34, 64, false},    {13, 35, false},    {4096, 4096, false},
      {12, 500, true}};
  for (const auto& [input, feature, honest] : cases) {
    SCOPED_TRACE(testing::Message() << input << "/" << feature << (honest ? "" : " claimed"));
    Bench b;
    auto& fw = b.boards.firmware(0);
    if (honest) b.boards.device(0).descriptor = Descriptor(input, feature);
    b.platform.lengths = [&](hid::Handle, hid::ReportLengths& l) { l = {input, 0, feature}; };
    // An honest board's report (button byte 0 = 0x60) when it fits the read.
    if (honest)
      b.platform.input = [&](hid::Handle, std::size_t max, hid::InputRead& r) {
        r.bytes.assign(input <= max ? input : 0, 0x60);
      };
    ASSERT_TRUE(b.b().open("TVX0001"));
    EXPECT_TRUE(b.b().inputLength() == input && b.b().featureLength() == feature);
    const auto r = b.b().readBack();
    EXPECT_EQ(std::pair(r.settingsReceived, r.ledReceived),
              std::pair(feature >= p::kSettingsRecordMinLength, feature >= p::kLedRecordMinLength));
    EXPECT_TRUE(b.b().isLoaded() && b.ms() <= 300);

    b.boards.clearLog();
    b.b().writeWord(p::code::SetLedIntensityLsb, 0x0102);
    b.b().sendReset();
    b.b().sendMonitorMode(p::MonitorMode::AxisX);
    b.b().sendCalibration(p::CalibrationStep::YLow);
    b.b().sendPulseWidth(5);
    std::string kinds;
    for (const auto& e : b.boards.sentTo(0)) {
      EXPECT_EQ(e.bytes.size(), feature);
      kinds += std::to_string(e.bytes.at(1));
    }
    EXPECT_EQ(kinds, feature < 4 ? "" : feature < 5 ? "1131" : "113451");
    EXPECT_EQ(fw.setting(p::code::SetEncoderPulseWidth) == 5,
              (honest || feature == 64) && feature >= 4);

    fw.setButton(5, true);
    const auto poll = b.b().readInput();
    EXPECT_FALSE(poll.gone);  // an odd board is not a lost one
    if (honest)
      EXPECT_EQ(poll.newest ? poll.newest->buttons[0] : -1,
                input >= 13 && input <= 500 ? 0x60 : -1);
  }
}

}  // namespace
}  // namespace torvex::test
