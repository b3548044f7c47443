// SPDX-License-Identifier: MIT
// The chart's cost per point as points pile up, and the pure decoders and
// frame builders (for the record).
#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <cmath>

#include "Figures.h"
#include "board/InputReport.h"
#include "gui/CurveChart.h"
#include "protocol/Protocol.h"

namespace torvex::bench {
namespace {

// A paddle swept slowly to and fro through an S-shaped curve.
board::ChartPoint SweepPoint(long k) {
  const int h = static_cast<int>(std::abs((k * 7) % 131070 - 65535));
  const double x = h / 65535.0;
  const int out = static_cast<int>(65535 * x * x * (3 - 2 * x));
  return {h, 65535 - out};
}

void BM_ChartPoint(benchmark::State& state) {
  gui::CurveChart chart;
  chart.resize(345, 305);  // the window's chart, 5175 x 4575 twips
  board::ChartPoint prev{};
  long k = 0;
  auto plot = [&] {
    const board::ChartPoint p = SweepPoint(++k);
    chart.plotPoint(p.h, p.v);
    if (board::JoinsPrevious(prev)) chart.drawLine(prev.h, prev.v, p.h, p.v, Qt::blue);
    prev = p;
  };
  // Filled while hidden: no repaints are owed for the earlier points.
  for (long i = 0; i < state.range(0); ++i) plot();
  chart.show();
  QCoreApplication::processEvents();
  std::vector<double> cost;
  for (auto _ : state) {
    const double t0 = WallUs();
    plot();
    const double t1 = WallUs();
    QCoreApplication::processEvents();  // the window repaints between ticks
    cost.push_back(t1 - t0);
    state.SetIterationTime((t1 - t0) / 1e6);
  }
  Values()["chart." + std::to_string(state.range(0))] = Median(cost);
}
BENCHMARK(BM_ChartPoint)
    ->Arg(1000)
    ->Arg(1000000)
    ->UseManualTime()
    ->Iterations(20000)
    ->Unit(benchmark::kMicrosecond);

// Nanoseconds per call, timed over the whole loop (for the record).
template <typename F>
void Micro(benchmark::State& state, const char* figure, F f) {
  const double t0 = WallUs();
  for (auto _ : state) f();
  const double ns = (WallUs() - t0) * 1000 / static_cast<double>(state.iterations());
  Publish({figure, "-", Format("%.1f ns", ns)});
}

void BM_DecodeNewestReport(benchmark::State& state) {
  // 38 reports back to back, as a 500-byte read holds them.
  std::vector<std::uint8_t> bytes(13 * 38);
  for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<std::uint8_t>(i * 31);
  Micro(state, "Decoder: newest input report of a read (DecodeNewestReport)", [&] {
    benchmark::DoNotOptimize(bytes.data());
    benchmark::DoNotOptimize(board::DecodeNewestReport(bytes, 13));
  });
}
BENCHMARK(BM_DecodeNewestReport);

void BM_BuildSettingCommand(benchmark::State& state) {
  long long value = 0;
  Micro(state, "Frame: one setting command (BuildSettingCommand, 64 bytes)", [&] {
    benchmark::DoNotOptimize(
        protocol::BuildSettingCommand(64, protocol::code::SetLedIntensityLsb, value++ & 255));
  });
}
BENCHMARK(BM_BuildSettingCommand);

void BM_ParseSettingsRecord(benchmark::State& state) {
  std::vector<std::uint8_t> reply(64, 0);
  reply[1] = 1;
  reply[2] = protocol::kSettingsRecordBase;
  Micro(state, "Record: one settings record parsed (ParseSettingsRecord)", [&] {
    benchmark::DoNotOptimize(reply.data());
    benchmark::DoNotOptimize(protocol::ParseSettingsRecord(reply));
  });
}
BENCHMARK(BM_ParseSettingsRecord);

}  // namespace
}  // namespace torvex::bench
