// The curve monitor panel: widening the window reveals the chart, and the
// board is told which axis to trace.
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>

#include "app/Twips.h"
#include "app/frmMain.h"
#include "monitor/CurveChart.h"

namespace {
const QString kShowCaption = QStringLiteral("Show Curve >>");
const QString kHideCaption = QStringLiteral("Hide Curve <<");
constexpr int kMonitorOff = 0;
}  // namespace

void frmMain::checkCurves_Click(int Index) {
  ToggleCurveMonitor(Index);
  ClearCurveChart();
}

void frmMain::ToggleCurveMonitor(int Index) {
  const int panel = torvex::app::Twips(kCurvePanelTwips);
  if (CurvePanelShown) {
    // Any of the two buttons hides the panel: it never switches axes.
    setFixedWidth(width() - panel);
    checkCurves[0]->setText(kShowCaption);
    checkCurves[1]->setText(kShowCaption);
    CurvePanelShown = false;
    SendMonitorCommand(kMonitorOff);
    xAxisBar->setVisible(true);
    yAxisBar->setVisible(true);
    return;
  }
  setFixedWidth(width() + panel);
  checkCurves[0]->setText(kHideCaption);
  checkCurves[1]->setText(kHideCaption);
  CurvePanelShown = true;
  SendMonitorCommand(Index + 1);
  // The other axis's field now carries the monitored axis before its curve.
  const bool onX = Index == 0;
  curveMonitorAxisLabel->setText(onX ? QStringLiteral("X") : QStringLiteral("Y"));
  CurveMonitorOnX = onX;
  xAxisBar->setVisible(onX);
  yAxisBar->setVisible(!onX);
}

void frmMain::ClearCurveChart() {
  curveChart->clear();
  ChartPrevX = 0;
  ChartPrevY = 0;
}

// A board opened while the panel is shown (re-plugged, or picked in SerNo)
// starts out of monitor mode: tell it which axis the chart follows.
void frmMain::ResumeCurveMonitor() {
  if (CurvePanelShown && DeviceDetected && ConfigurationLoaded)
    SendMonitorCommand(CurveMonitorOnX ? 1 : 2);
}

void frmMain::Command1_Click() {
  ClearCurveChart();
}
