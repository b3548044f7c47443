// SPDX-License-Identifier: MIT
#pragma once
// The figures a user cares about, each with its goal. Benchmarks publish them;
// the main prints them as one table after every benchmark has run.

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "sim/VirtualPlatform.h"

namespace torvex::bench {

struct Figure {
  std::string name;
  std::string goal;
  std::string measured;
  int verdict = -1;  // 1 pass, 0 fail, -1 no goal
};

// A later figure of the same name replaces the earlier one (benchmarks may
// run more than once while the library settles on an iteration count).
void Publish(Figure figure);
// Raw values that a figure needs from more than one benchmark.
std::map<std::string, double>& Values();

inline std::string Format(const char* fmt, double value) {
  char text[64];
  std::snprintf(text, sizeof text, fmt, value);
  return text;
}

inline double Median(std::vector<double> v) {
  if (v.empty()) return 0;
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

inline double ThreadCpuUs() {
  timespec t{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
  return t.tv_sec * 1e6 + t.tv_nsec / 1e3;
}

inline double WallUs() {
  using namespace std::chrono;
  return duration<double, std::micro>(steady_clock::now().time_since_epoch()).count();
}

// A wall clock that adds up the pauses it was asked for.
class PauseCountingClock final : public sim::Clock {
 public:
  std::int64_t nowUs() override { return static_cast<std::int64_t>(WallUs() - start_); }
  void sleepMs(int ms) override {
    pausedMs += ms;
    ++pauses;
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
  }
  int pausedMs = 0;
  int pauses = 0;

 private:
  double start_ = WallUs();
};

}  // namespace torvex::bench
