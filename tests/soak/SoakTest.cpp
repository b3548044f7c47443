// The fault soak as a test: TORVEX_SOAK_TICKS and TORVEX_SOAK_SEED choose its
// length and seed (20,000 ticks, seed 1 by default); it prints its figures.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>

#include "soak/Soak.h"

namespace torvex::test {
namespace {

std::int64_t EnvNumber(const char* name, std::int64_t fallback) {
  const char* v = std::getenv(name);
  return v && *v ? std::strtoll(v, nullptr, 10) : fallback;
}

struct SoakCase {
  const char* name;
  QLocale locale;
  std::int64_t seedOffset;
  int lengthPercent;  // of the chosen length
};

TEST(Soak, RandomEditsAndFaultsKeepTheInvariants) {
  const std::int64_t ticks = EnvNumber("TORVEX_SOAK_TICKS", 20000);
  const std::int64_t seed = EnvNumber("TORVEX_SOAK_SEED", 1);
  const SoakCase cases[] = {
      {"point locale", QLocale(QLocale::English, QLocale::UnitedStates), 0, 100},
      {"comma locale", QLocale(QLocale::German, QLocale::Germany), 7919, 25},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Soak soak(static_cast<std::uint64_t>(seed + c.seedOffset), c.locale);
    soak.run(ticks * c.lengthPercent / 100);
    std::printf("[%s, seed %lld]\n%s", c.name, static_cast<long long>(seed + c.seedOffset),
                soak.report().c_str());
    const auto& f = soak.figures();
    EXPECT_EQ(f.violations, 0);
    // A soak that injected nothing or committed nothing proves nothing.
    if (ticks >= 5000) {
      EXPECT_GT(f.readBacksCompared, 0);
      EXPECT_GT(f.settingsVerified, 0);
      EXPECT_GT(f.settingsHitByFault, 0);
    }
  }
}

}  // namespace
}  // namespace torvex::test
