// SPDX-License-Identifier: MIT
// Any bytes as a profile file: a file that is taken writes back and reads
// again to the same settings and origin; a file that is refused says why.
#include <QByteArray>
#include <cstddef>
#include <cstdint>
#include <cstdio>

#include "FuzzCheck.h"
#include "board/Profile.h"

namespace b = torvex::board;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // A copy: exact bounds for ASan, and no terminating zero to lean on.
  const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
  const b::ProfileParse first = b::ParseProfile(bytes);
  if (!first.profile) {
    FUZZ_CHECK(!first.error.message.isEmpty());
    FUZZ_CHECK(!first.error.text().isEmpty());
    return 0;
  }
  const b::ProfileParse again = b::ParseProfile(b::ProfileText(*first.profile));
  if (!again.profile)
    std::fprintf(stderr, "written back, refused: %s\n", qPrintable(again.error.text()));
  FUZZ_CHECK(again.profile.has_value());
  FUZZ_CHECK(again.profile->settings == first.profile->settings);
  FUZZ_CHECK(again.profile->origin.serial == first.profile->origin.serial);
  FUZZ_CHECK(again.profile->origin.product == first.profile->origin.product);
  FUZZ_CHECK(again.profile->origin.saved == first.profile->origin.saved);
  return 0;
}
