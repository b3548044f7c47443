// SPDX-License-Identifier: MIT
// Applying a profile that changes every setting: the wall time of the whole
// apply (read the file, open, read back, plan, send, verify) beyond the
// pauses the board needs, through the core and through torvex-ctl, against
// an emulated board on a wall clock.
#include <benchmark/benchmark.h>

#include <QTemporaryDir>
#include <QTextStream>

#include "Figures.h"
#include "board/ProfileStore.h"
#include "board/SettingWrites.h"
#include "cli/Cli.h"

namespace torvex::bench {
namespace {

using board::SettingId;

// Two profiles apart in every setting; neither holds a rotary pairing.
board::Settings Every(bool second) {
  const auto number = [&](SettingId id) -> const char* {
    switch (id) {
      case SettingId::PulseWidth:
        return second ? "200" : "16";
      case SettingId::XCurveNumber:
      case SettingId::YCurveNumber:
        return second ? "3" : "-2";
      case SettingId::XDeadLow:
      case SettingId::XDeadHigh:
      case SettingId::YDeadLow:
      case SettingId::YDeadHigh:
        return second ? "2.5" : "1";
      default:
        return second ? "80" : "20";
    }
  };
  board::Settings s;
  for (SettingId id : board::AllSettings())
    board::Store(s, id,
                 board::TakesWord(id)
                     ? int(second)
                     : *board::ParseSettingValue(id, QString::fromLatin1(number(id))));
  return s;
}

// The pauses the board must make for the frames that change a into b.
int SendPacingMs(const board::Settings& a, const board::Settings& b) {
  int ms = 0;
  for (const auto& f : board::PlanWrites(a, board::ChangesTo(b)).frames)
    ms += f.pacing == board::FrameWrite::Pacing::DeadZone  ? 20
          : f.pacing == board::FrameWrite::Pacing::Setting ? 10
                                                           : 0;
  return ms;
}

// One emulated board and the two profile files; the board holds the first.
struct Rig {
  PauseCountingClock* clock;
  sim::VirtualPlatform platform;
  QTemporaryDir dir;
  QString files[2] = {dir.filePath("a.toml"), dir.filePath("b.toml")};
  board::Settings settings[2] = {Every(false), Every(true)};

  Rig() : platform(Own(clock)) {
    platform.addBoard({});
    for (int i : {0, 1}) board::ProfileStore::WriteFile(files[i], {settings[i], {}});
    board::Board b(platform);
    b.open(b.scan().serials.front());
    board::ApplySettings(b, b.readBack().settings, settings[0]);
  }
  static std::unique_ptr<sim::Clock> Own(PauseCountingClock*& raw) {
    auto owned = std::make_unique<PauseCountingClock>();
    raw = owned.get();
    return owned;
  }
  bool apart() const {
    return board::Differences(settings[0], settings[1]).size() == board::AllSettings().size();
  }
};

// Runs `apply(file)` to and fro between the two profiles.
template <typename F>
void ApplyOverhead(benchmark::State& state, const char* figure, F apply) {
  Rig rig;
  if (!rig.apart()) state.SkipWithError("the two profiles share a setting");
  std::vector<double> overhead, cpu;
  int next = 1;
  for (auto _ : state) {
    rig.clock->pausedMs = rig.clock->pauses = 0;
    const double t0 = WallUs(), c0 = ThreadCpuUs();
    const bool ok = apply(rig.platform, rig.files[next]);
    const double wall = WallUs() - t0;
    cpu.push_back((ThreadCpuUs() - c0) / 1000);
    if (!ok) state.SkipWithError("the apply failed");
    overhead.push_back(wall / 1000 - rig.clock->pausedMs);
    state.SetIterationTime(wall / 1e6);
    next ^= 1;
  }
  // The rest of the overhead is the pauses overrunning what was asked.
  const double median = Median(overhead);
  Publish({figure, "<= 20 ms",
           Format("%.2f ms", median) + " (CPU " + Format("%.2f ms", Median(cpu)) + "; pauses " +
               std::to_string(rig.clock->pausedMs) + " ms in " + std::to_string(rig.clock->pauses) +
               ", " + std::to_string(SendPacingMs(rig.settings[0], rig.settings[1])) +
               " ms of them the sends)",
           median <= 20});
}

void BM_ApplyProfile(benchmark::State& state) {
  ApplyOverhead(state, "Profile apply changing every setting (core): wall time beyond its pauses",
                [](sim::VirtualPlatform& platform, const QString& file) {
                  const auto profile = board::ProfileStore::ReadFile(file).profile;
                  board::Board b(platform);
                  const auto found = b.scan();
                  if (!profile || found.serials.empty() || !b.open(found.serials.front()))
                    return false;
                  const board::ReadBackResult read = b.readBack();
                  return read.complete() &&
                         board::ApplySettings(b, read.settings, profile->settings).succeeded();
                });
}
BENCHMARK(BM_ApplyProfile)->UseManualTime()->Iterations(10)->Unit(benchmark::kMillisecond);

void BM_CliApply(benchmark::State& state) {
  ApplyOverhead(state, "torvex-ctl apply FILE changing every setting: wall time beyond its pauses",
                [](sim::VirtualPlatform& platform, const QString& file) {
                  QString out, err;
                  QTextStream o(&out), e(&err);
                  cli::Io io{o, e};
                  return cli::Run({"apply", file}, platform, io) == cli::kDone;
                });
}
BENCHMARK(BM_CliApply)->UseManualTime()->Iterations(10)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace torvex::bench
