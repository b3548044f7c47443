// SPDX-License-Identifier: MIT
// torvex-ctl's own cost: the wall time of `list` and `show` beyond the pauses
// the board needs, against emulated boards on a wall clock.
#include <benchmark/benchmark.h>

#include <QTextStream>

#include "Figures.h"
#include "cli/Cli.h"

namespace torvex::bench {
namespace {

void CliOverhead(benchmark::State& state, const char* command, const char* figure) {
  auto owned = std::make_unique<PauseCountingClock>();
  PauseCountingClock& clock = *owned;
  sim::VirtualPlatform platform(std::move(owned));
  platform.addBoard({});
  std::vector<double> overhead;
  for (auto _ : state) {
    QString out, err;
    QTextStream o(&out), e(&err);
    cli::Io io{o, e};
    clock.pausedMs = clock.pauses = 0;
    const double t0 = WallUs();
    const int code = cli::Run(QString(command).split(' '), platform, io);
    const double wall = WallUs() - t0;
    if (code != cli::kDone) state.SkipWithError("the command failed");
    overhead.push_back(wall / 1000 - clock.pausedMs);
    state.SetIterationTime(wall / 1e6);
  }
  const double median = Median(overhead);
  Publish({figure, "<= 20 ms",
           Format("%.2f ms", median) + " (pauses " + std::to_string(clock.pausedMs) + " ms)",
           median <= 20});
}

void BM_CliList(benchmark::State& state) {
  CliOverhead(state, "list", "torvex-ctl list: wall time beyond the board's pauses");
}
BENCHMARK(BM_CliList)->UseManualTime()->Iterations(10)->Unit(benchmark::kMillisecond);

void BM_CliShow(benchmark::State& state) {
  CliOverhead(state, "show", "torvex-ctl show: wall time beyond the board's pauses");
}
BENCHMARK(BM_CliShow)->UseManualTime()->Iterations(10)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace torvex::bench
