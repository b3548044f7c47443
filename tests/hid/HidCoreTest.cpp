// SPDX-License-Identifier: MIT
// Report lengths from hand-written descriptors that stress the item grammar or
// lie about their sizes, and from real devices' descriptors; the hidapi
// backend's own helpers where emulated hidraw devices cannot reach.

#include <gtest/gtest.h>

#include <array>
#include <fstream>

#include "hid/HidapiPlatform.h"
#include "hid/ReportDescriptor.h"
#include "support/Wire.h"

namespace torvex::hid {
namespace {

using test::Bytes;
using test::Hex;
using Lengths = std::array<int, 3>;  // input, output, feature

TEST(ReportDescriptor, LengthsAndNumbering) {
  // 75 = Report Size, 95 = Report Count, 85 = Report ID, 81/91/b1 = Input/Output/Feature,
  // a4/b4 = Push/Pop, a1/c0 = Collection/End, fe = long item.
  // The descriptor, its input, output and feature lengths, and whether it numbers reports.
  // clang-format off
  std::vector<std::tuple<std::string, Lengths, bool>> cases = {
      {"75 08 95 01 81 01 75 01 95 04 81 03", {3, 0, 0}, false},  // constants and bits count
      {"75 08 95 02 81 02 95 03 91 02 95 07 b1 02", {3, 4, 8}, false},
      {"09 30 19 01 29 08 75 08 95 01 81 02", {2, 0, 0}, false},
      {"75 00 95 10 81 01", {1, 0, 0}, false},
      {"85 01 75 08 95 02 81 02 85 02 81 02 85 01 81 02", {5, 0, 0}, true},
      {"87 07 00 00 00 75 08 97 03 00 00 00 b1 02", {0, 0, 4}, true},
      {"a1 01 a1 00 a1 02 75 08 95 01 81 02 c0 c0 95 03 91 02 c0", {2, 4, 0}, false},
      {"75 08 95 04 a4 75 10 95 01 81 02 b4 81 02", {7, 0, 0}, false},
      {"85 01 75 08 95 01 a4 85 02 95 09 81 02 b4 81 02", {10, 0, 0}, true},
      {"b4 75 08 95 01 81 02", {2, 0, 0}, false},
      {"fe 03 10 75 08 95 75 08 95 02 b1 02", {0, 0, 3}, false},
      {"75 08 95 01 81 02 fe 05 10 aa", {2, 0, 0}, false},
      {"75 08 95 02 81 02 97 ff ff", {3, 0, 0}, false},
      {"75 08 96 fe 1f 81 02", {8191, 0, 0}, false},
      {"75 08 96 00 20 81 02", {kMaxReportLength, 0, 0}, false},
      {"77 ff ff ff ff 97 ff ff ff ff 81 02 81 02 81 02 81 02 81 02 81 02 81 02 81 02 b1 02",
       {kMaxReportLength, 0, kMaxReportLength}, false}};
  // clang-format on
  // Real devices, with the lengths an independent parser found (expected.tsv:
  // name, source, input, output, feature, report IDs or "none", notes).
  const std::string dir = std::string(TORVEX_TEST_DATA_DIR) + "/hid-descriptors/";
  std::ifstream tsv(dir + "expected.tsv");
  tsv.ignore(1000, '\n');  // header
  for (std::string name, source, ids; std::getline(tsv, name, '\t'); tsv.ignore(1000, '\n')) {
    Lengths lengths{};
    std::getline(tsv, source, '\t') >> lengths[0] >> lengths[1] >> lengths[2] >> ids;
    std::ifstream hex(dir + name + ".hex");
    cases.emplace_back(std::string(std::istreambuf_iterator<char>(hex), {}), lengths,
                       ids != "none");
  }
  ASSERT_EQ(cases.size(), 16u + 24u);
  for (const auto& [hex, lengths, numbered] : cases) {
    // Copied into an exact-size heap buffer so any read past the end is a real overrun.
    const Bytes bytes = Hex(hex);
    const auto data = std::make_unique<std::uint8_t[]>(bytes.size());
    std::copy(bytes.begin(), bytes.end(), data.get());
    const DescriptorSummary s = SummarizeReportDescriptor(std::span(data.get(), bytes.size()));
    const Lengths got{s.lengths.input, s.lengths.output, s.lengths.feature};
    EXPECT_EQ(std::pair(got, s.numbered), std::pair(lengths, numbered)) << hex;
    // Cut anywhere, a descriptor is parsed up to the cut and never claims more.
    for (std::size_t cut = 0; cut < bytes.size(); ++cut) {
      const ReportLengths l = ComputeReportLengths(std::span(data.get(), cut));
      EXPECT_TRUE(l.input <= got[0] && l.output <= got[1] && l.feature <= got[2]) << hex << cut;
    }
  }
}

// Text outside Unicode, paths outside hidraw.
TEST(HidapiHelpers, NoWideCharOutsideUnicodeNorPathOutsideHidraw) {
  EXPECT_EQ(WideToUtf16(std::wstring(1, static_cast<wchar_t>(0x110000))), u"\uFFFD");
  for (const char* path : {"/dev/hidraw", "/dev/hidraw1/../../etc/passwd", "/dev/usb/hiddev0"})
    EXPECT_EQ(SysfsDescriptorPath(path), "") << path;
}

}  // namespace
}  // namespace torvex::hid
