// SPDX-License-Identifier: MIT
// The window's own costs: one poll tick against a board streaming at 1000 Hz,
// how fresh the shown report is, the read-back beyond its pauses, and the
// rescan with no board on the real hidapi backend.
#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QEvent>
#include <QTimer>
#include <memory>
#include <thread>

#include "Figures.h"
#include "board/InputReport.h"
#include "gui/IndicatorShape.h"
#include "gui/MainWindow.h"
#include "hid/HidapiPlatform.h"
#include "protocol/Protocol.h"
#include "sim/VirtualPlatform.h"

namespace torvex::bench {
namespace {

const QLocale kLocale(QLocale::English, QLocale::UnitedStates);

// The real window over one board that reports every millisecond; its button
// bytes carry a sequence number (byte i = n + 37 i), so every byte changes on
// every report and byte 0 tells which report the window drew last.
struct StreamingBoard {
  sim::VirtualPlatform platform;
  int board = platform.addBoard({});
  std::unique_ptr<gui::MainWindow> form;
  unsigned seq = 0;

  StreamingBoard() {
    platform.device(board).reportPeriodUs = 1000;
    form = std::make_unique<gui::MainWindow>(platform, kLocale);
    form->start();
    form->pollTimer()->stop();           // ticks are driven by hand
    for (int i = 0; i < 5; ++i) Tick();  // past the start-up interval and backlog
  }
  void Stream(int ms) {
    for (int t = 0; t < ms; ++t) {
      ++seq;
      for (int i = 0; i < 64; ++i)
        platform.firmware(board).setButton(i, (((seq + 37 * (i / 8)) >> (i % 8)) & 1) != 0);
      platform.advanceUs(1000);
    }
  }
  void Tick() {
    Stream(50);
    form->onPollTick();
  }
  // Reports between the board's newest and the one the window drew.
  int Age() const { return static_cast<int>((seq - DrawnByte0()) & 0xFF); }
  // Button byte 0 as the indicators show it.
  unsigned DrawnByte0() const {
    unsigned b = 0;
    for (int j = 0; j < 8; ++j)
      if (form->controls().buttonIndicators[j]->fillColor() == QColor(255, 0, 0)) b |= 1u << j;
    return b;
  }
};

// Counts paint events anywhere in the application.
struct PaintCounter : QObject {
  int paints = 0;
  bool eventFilter(QObject*, QEvent* e) override {
    if (e->type() == QEvent::Paint) ++paints;
    return false;
  }
};

void BM_TickStreaming1kHz(benchmark::State& state) {
  StreamingBoard rig;
  std::vector<double> cpu, paint, both;
  for (auto _ : state) {
    rig.Stream(50);
    const double t0 = ThreadCpuUs();
    rig.form->onPollTick();
    const double t1 = ThreadCpuUs();
    QCoreApplication::processEvents();  // the repaint the tick asked for
    const double t2 = ThreadCpuUs();
    cpu.push_back(t1 - t0);
    paint.push_back(t2 - t1);
    both.push_back(t2 - t0);
    state.SetIterationTime((t1 - t0) / 1e6);
  }
  const double median = Median(cpu);
  state.counters["median_cpu_us"] = median;
  state.counters["repaint_cpu_us"] = Median(paint);
  Publish({"Tick: CPU of one poll tick, board at 1000 Hz, buttons changing every report",
           "median < 0.2 ms", Format("%.3f ms", median / 1000), median < 200});
  Publish(
      {"Tick: CPU of the repaint that follows it", "-", Format("%.3f ms", Median(paint) / 1000)});
  Publish({"Tick and its repaint together (same scenario)", "median <= 0.3 ms",
           Format("%.3f ms", Median(both) / 1000), Median(both) <= 300});
}
BENCHMARK(BM_TickStreaming1kHz)->UseManualTime()->Iterations(400)->Unit(benchmark::kMicrosecond);

// The board reports every millisecond but nothing moves: the tick reads and
// decodes 50 reports and must leave every control, and the screen, alone.
void BM_TickNothingChanged(benchmark::State& state) {
  StreamingBoard rig;
  PaintCounter counter;
  QCoreApplication::processEvents();
  QCoreApplication::instance()->installEventFilter(&counter);
  std::vector<double> cpu;
  for (auto _ : state) {
    rig.platform.advanceUs(50'000);
    const double t0 = ThreadCpuUs();
    rig.form->onPollTick();
    cpu.push_back(ThreadCpuUs() - t0);
    QCoreApplication::processEvents();
    state.SetIterationTime(cpu.back() / 1e6);
  }
  QCoreApplication::instance()->removeEventFilter(&counter);
  const double median = Median(cpu);
  Publish({"Tick with nothing changed (1000 Hz, same values): CPU, paint events",
           "<= 0.02 ms, none",
           Format("%.3f ms", median / 1000) + ", " + std::to_string(counter.paints),
           median <= 20 && counter.paints == 0});
}
BENCHMARK(BM_TickNothingChanged)->UseManualTime()->Iterations(400)->Unit(benchmark::kMicrosecond);

void BM_Freshness(benchmark::State& state) {
  StreamingBoard rig;
  int worst = 0;
  std::vector<double> ages;
  for (auto _ : state) {
    rig.Tick();
    ages.push_back(rig.Age());
    worst = std::max(worst, rig.Age());
  }
  state.counters["max_age"] = worst;
  Publish({"Freshness: age of the drawn report (window, 1000 Hz, 50 ms tick)", "0 or 1 reports",
           Format("%.0f", worst) + " at most, median " + Format("%.0f", Median(ages)), worst <= 1});
}
BENCHMARK(BM_Freshness)->Iterations(200);

// The hidapi backend's drain, fed 50 queued reports as hid_read returns them
// (no report-ID byte), decoded as the window does.
void BM_FreshnessHidapiDrain(benchmark::State& state) {
  int worst = 0;
  for (auto _ : state) {
    int next = 1;
    const int queued = 50;
    auto read = [&](std::uint8_t* buffer, std::size_t size) {
      if (next > queued) return 0;
      std::fill_n(buffer, 12, 0);
      buffer[0] = static_cast<std::uint8_t>(next++);
      return 12;
    };
    const auto got = hid::DrainInputReports(read, false, 500, 64);
    const auto newest = board::DecodeNewestReport(got.bytes, 13);
    worst = std::max(worst, newest ? queued - newest->buttons[0] : queued);
  }
  Publish({"Freshness: age of the decoded report (hidapi drain, 50 queued)", "0 or 1 reports",
           Format("%.0f", worst), worst <= 1});
}
BENCHMARK(BM_FreshnessHidapiDrain)->Iterations(100);

void BM_ReadBackOverhead(benchmark::State& state) {
  auto owned = std::make_unique<PauseCountingClock>();
  PauseCountingClock& clock = *owned;
  sim::VirtualPlatform platform(std::move(owned));
  const int board = platform.addBoard({});
  gui::MainWindow form(platform, kLocale);
  form.start();
  std::vector<double> overhead;
  int flip = 0;
  for (auto _ : state) {
    // Other values each time, so the lists' change handlers run as on a real reselect.
    flip ^= 1;
    platform.firmware(board).setSetting(protocol::code::SetAnalogInputMode, flip);
    platform.firmware(board).setSetting(protocol::code::SetXCurveType, flip);
    clock.pausedMs = clock.pauses = 0;
    const double t0 = WallUs();
    form.readBackBoard();
    const double wall = WallUs() - t0;
    overhead.push_back(wall / 1000 - clock.pausedMs);
    state.SetIterationTime(wall / 1e6);
  }
  const double median = Median(overhead);
  state.counters["overhead_ms"] = median;
  state.counters["pauses_ms"] = clock.pausedMs;
  Publish({"Read-back: wall time of the window's read-back minus its pauses", "< 5 ms",
           Format("%.2f ms", median) + " (pauses " + std::to_string(clock.pausedMs) + " ms in " +
               std::to_string(clock.pauses) + ")",
           median < 5});
}
BENCHMARK(BM_ReadBackOverhead)->UseManualTime()->Iterations(12)->Unit(benchmark::kMillisecond);

// No board attached: what each 100 ms rescan costs on the real backend.
void BM_IdleTickHidapi(benchmark::State& state) {
  hid::HidapiPlatform platform;
  gui::MainWindow form(platform, kLocale);
  form.start();
  form.pollTimer()->stop();
  std::vector<double> scan, tick;
  for (auto _ : state) {
    const double t0 = WallUs();
    form.board().scan();
    form.board().open(QString());
    const double t1 = WallUs();
    const double c0 = ThreadCpuUs();
    form.onPollTick();
    tick.push_back(ThreadCpuUs() - c0);
    QCoreApplication::processEvents();
    scan.push_back(t1 - t0);
    state.SetIterationTime((t1 - t0) / 1e6);
  }
  Publish({"Scan: scan and open, no board (hidapi, wall)", "-",
           Format("%.3f ms", Median(scan) / 1000)});
  Publish({"Idle tick: CPU of one poll tick with no board (hidapi)", "-",
           Format("%.3f ms", Median(tick) / 1000)});
}
BENCHMARK(BM_IdleTickHidapi)->UseManualTime()->Iterations(200)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace torvex::bench
