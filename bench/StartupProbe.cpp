// SPDX-License-Identifier: MIT
// Start-up, memory and idle cost of the real programs, each measured in a
// process of its own: the time from fork to the window's first paint, the
// peak resident set, and the CPU that torvex-config burns with no board.
//   torvex_bench_startup [idle seconds]    runs everything, prints table rows
//   torvex_bench_startup --child MODE T0   one start-up (MODE: hidapi | demo)
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QApplication>
#include <QEvent>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <thread>

#include "Figures.h"
#include "gui/MainWindow.h"
#include "hid/HidapiPlatform.h"
#include "sim/DemoBoards.h"
#include "sim/VirtualPlatform.h"
#include "sim/VirtualWheel.h"

namespace {

double MonotonicMs() {
  timespec t{};
  clock_gettime(CLOCK_MONOTONIC, &t);
  return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
}

class FirstPaint : public QObject {
 public:
  double atMs = 0;
  bool eventFilter(QObject*, QEvent* e) override {
    if (e->type() == QEvent::Paint && atMs == 0) atMs = MonotonicMs();
    return false;
  }
};

// Built as main.cpp and main_demo.cpp build them; prints ms from T0 to the first paint.
int Child(int argc, char** argv, const std::string& mode, double t0) {
  QApplication app(argc, argv);
  std::unique_ptr<torvex::hid::HidPlatform> platform;
  std::unique_ptr<torvex::sim::VirtualWheel> wheel;
  if (mode == "demo") {
    auto sim =
        std::make_unique<torvex::sim::VirtualPlatform>(std::make_unique<torvex::sim::WallClock>());
    torvex::sim::AddDemoBoards(*sim);
    wheel = std::make_unique<torvex::sim::VirtualWheel>(*sim);
    platform = std::move(sim);
  } else {
    platform = std::make_unique<torvex::hid::HidapiPlatform>();
  }
  torvex::gui::MainWindow window(*platform);
  FirstPaint watch;
  window.installEventFilter(&watch);
  window.start();
  if (wheel) wheel->show();
  for (int i = 0; i < 200 && watch.atMs == 0; ++i) {
    QCoreApplication::processEvents();
    if (watch.atMs == 0) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  std::printf("%.2f\n", watch.atMs - t0);
  return 0;
}

struct Run {
  double ms = 0;
  double peakMb = 0;
};

Run StartOnce(const char* self, const std::string& mode) {
  int out[2];
  if (pipe(out) != 0) std::exit(1);
  const double t0 = MonotonicMs();
  const pid_t pid = fork();
  if (pid == 0) {
    dup2(out[1], STDOUT_FILENO);
    close(out[0]);
    const std::string start = std::to_string(t0);
    execl(self, self, "--child", mode.c_str(), start.c_str(), nullptr);
    _exit(127);
  }
  close(out[1]);
  char text[64] = {};
  const ssize_t n = read(out[0], text, sizeof text - 1);
  close(out[0]);
  int status = 0;
  rusage usage{};
  wait4(pid, &status, 0, &usage);
  return {n > 0 ? std::atof(text) : -1, usage.ru_maxrss / 1024.0};
}

void Startup(const char* self, const std::string& mode, const std::string& label) {
  std::vector<double> ms;
  double peak = 0;
  StartOnce(self, mode);  // warms the page cache
  for (int i = 0; i < 5; ++i) {
    const Run r = StartOnce(self, mode);
    ms.push_back(r.ms);
    peak = std::max(peak, r.peakMb);
  }
  using torvex::bench::Format;
  const double median = torvex::bench::Median(ms);
  std::printf("| Start-up to the window's first paint, %s | < 250 ms | %s | %s |\n", label.c_str(),
              Format("%.0f ms", median).c_str(), median < 250 ? "pass" : "FAIL");
  std::printf("| Peak RSS, %s | < 60 MB | %s | %s |\n", label.c_str(),
              Format("%.1f MB", peak).c_str(), peak < 60 ? "pass" : "FAIL");
}

double CpuSeconds(pid_t pid) {
  std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
  std::string line;
  std::getline(in, line);
  // Fields after the command name, which may hold spaces: state is field 3.
  std::istringstream rest(line.substr(line.rfind(')') + 2));
  std::string field;
  unsigned long long utime = 0, stime = 0;
  for (int i = 3; i <= 15 && rest >> field; ++i) {
    if (i == 14) utime = std::stoull(field);
    if (i == 15) stime = std::stoull(field);
  }
  return static_cast<double>(utime + stime) / sysconf(_SC_CLK_TCK);
}

void Idle(int seconds) {
  const pid_t pid = fork();
  if (pid == 0) {
    execl(TORVEX_CONFIG_PATH, TORVEX_CONFIG_PATH, nullptr);
    _exit(127);
  }
  std::this_thread::sleep_for(std::chrono::seconds(2));  // past its start-up
  const double before = CpuSeconds(pid);
  std::this_thread::sleep_for(std::chrono::seconds(seconds));
  const double share = (CpuSeconds(pid) - before) / seconds * 100;
  kill(pid, SIGTERM);
  waitpid(pid, nullptr, 0);
  std::printf(
      "| Idle: CPU of torvex-config with no board, over %d s | < 0.5 %% of a core | %s | %s |\n",
      seconds, torvex::bench::Format("%.2f %%", share).c_str(), share < 0.5 ? "pass" : "FAIL");
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 4 && std::string(argv[1]) == "--child") {
    const std::string mode = argv[2];
    const double t0 = std::atof(argv[3]);
    int one = 1;
    return Child(one, argv, mode, t0);
  }
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  Startup(argv[0], "hidapi", "torvex-config, no board");
  Startup(argv[0], "demo", "torvex-config-demo, two boards");
  Idle(argc > 1 ? std::atoi(argv[1]) : 20);
  return 0;
}
