// SPDX-License-Identifier: MIT
// Record parsers: bytes in, bytes out. The frames the builders make, and
// where each setting sits in a record, are shown end to end by the board tests.
#include "protocol/Protocol.h"

#include <gtest/gtest.h>

#include "support/Wire.h"

namespace torvex::protocol {
namespace {

using test::Frame;

TEST(Records, TellApartAndNeedTheirLength) {
  // A reply, and whether it is a settings record and an LED record.
  // clang-format off
  const std::tuple<Bytes, bool, bool> cases[] = {
      {Frame({7, 1, 0x40}, 35), true, false},  {Frame({0, 1, 0x40}, 34), false, false},
      {Frame({0, 1, 0x60}, 5), false, true},   {Frame({0, 1, 0x60}, 4), false, false},
      {Frame({0, 2, 0x40}, 64), false, false}, {Frame({0, 1, 0x41}, 64), false, false},
      {Frame({0, 1, 0x61}, 64), false, false}, {Bytes{0, 1}, false, false}};
  // clang-format on
  for (const auto& [reply, settings, led] : cases)
    EXPECT_EQ(std::pair(ParseSettingsRecord(reply).has_value(), ParseLedRecord(reply).has_value()),
              std::pair(settings, led))
        << reply.size();
}

}  // namespace
}  // namespace torvex::protocol
