// SPDX-License-Identifier: MIT
// The fault soak as a test: TORVEX_SOAK_TICKS and TORVEX_SOAK_SEED choose its
// length and seed (20,000 ticks, seed 1 by default); it prints its figures.
#include <gtest/gtest.h>

#include "soak/Soak.h"

namespace torvex::test {
namespace {

TEST(Soak, RandomEditsAndFaultsKeepTheInvariants) {
  const auto env = [](const char* name, long long fallback) {
    const char* v = std::getenv(name);
    return v && *v ? std::strtoll(v, nullptr, 10) : fallback;
  };
  const long long ticks = env("TORVEX_SOAK_TICKS", 20000), seed = env("TORVEX_SOAK_SEED", 1);
  // The comma locale runs a quarter of the length on another seed.
  const std::tuple<const char*, QLocale, int, int> cases[] = {
      {"point locale", QLocale(QLocale::English, QLocale::UnitedStates), 0, 100},
      {"comma locale", QLocale(QLocale::German, QLocale::Germany), 7919, 25}};
  for (const auto& [name, locale, seedOffset, lengthPercent] : cases) {
    SCOPED_TRACE(name);
    Soak soak(static_cast<std::uint64_t>(seed + seedOffset), locale);
    soak.run(ticks * lengthPercent / 100);
    std::printf("[%s, seed %lld]\n%s", name, seed + seedOffset, soak.report().c_str());
    EXPECT_EQ(soak.fig.violations, 0);
    // A soak that injected nothing or committed nothing proves nothing.
    if (ticks >= 5000) {
      EXPECT_TRUE(soak.fig.readBacksCompared > 0 && soak.fig.verified > 0 &&
                  soak.fig.lostToFault > 0);
    }
  }
}

}  // namespace
}  // namespace torvex::test
