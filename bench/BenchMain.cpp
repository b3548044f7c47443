// SPDX-License-Identifier: MIT
// Runs every benchmark offscreen, then prints the figures as a Markdown table.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <cstdio>
#include <vector>

#include "Figures.h"

namespace torvex::bench {

namespace {
std::vector<Figure>& Table() {
  static std::vector<Figure> table;
  return table;
}
}  // namespace

void Publish(Figure figure) {
  for (auto& f : Table())
    if (f.name == figure.name) {
      f = std::move(figure);
      return;
    }
  Table().push_back(std::move(figure));
}

std::map<std::string, double>& Values() {
  static std::map<std::string, double> values;
  return values;
}

}  // namespace torvex::bench

int main(int argc, char** argv) {
  using namespace torvex::bench;
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();

  auto& v = Values();
  if (v.count("chart.1000") && v.count("chart.1000000")) {
    const double ratio = v["chart.1000000"] / v["chart.1000"];
    Publish({"Chart: cost of a point after 1,000,000 / after 1,000", "<= 1.1",
             Format("%.2f", ratio) + " (" + Format("%.2f", v["chart.1000000"]) + " / " +
                 Format("%.2f", v["chart.1000"]) + " us)",
             ratio <= 1.1});
  }
  std::printf("\n");
  for (const auto& f : Table())
    std::printf("| %s | %s | %s | %s |\n", f.name.c_str(), f.goal.c_str(), f.measured.c_str(),
                f.verdict < 0 ? "-"
                : f.verdict   ? "pass"
                              : "FAIL");
  return 0;
}
