// SPDX-License-Identifier: MIT
// The live half of the window: the newest input report on the button grid
// and the axis bars, the curve monitor panel and its chart, and a lost board
// looked for again.
#include <QGroupBox>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>

#include "board/InputReport.h"
#include "gui/ButtonGrid.h"
#include "gui/CurveChart.h"
#include "gui/IndicatorShape.h"
#include "gui/MainWindow.h"
#include "gui/Twips.h"

namespace torvex::gui {
namespace {

const QColor kPressedFill(255, 0, 0);
const QColor kPressedText(0, 0, 0);
const QColor kReleasedText(64, 64, 64);
const QColor kChartLine(0, 0, 255);
const QString kShowCaption = QStringLiteral("Show Curve >>");
const QString kHideCaption = QStringLiteral("Hide Curve <<");

void ShowAxis(const QLocale& locale, int value, QProgressBar* bar, QLabel* value_,
              QLabel* percent) {
  bar->setValue(value);
  const QString text = board::AxisPercentText(value, locale);
  value_->setText(text);
  percent->setText(text);
}

QRect ToPixels(const QRectF& twips) {
  return TwipsRect(twips.left(), twips.top(), twips.width(), twips.height());
}

}  // namespace

void MainWindow::serviceInput(bool rescan) {
  if (board_.isOpen()) {
    const board::InputPoll poll = board_.readInput();
    if (const auto& s = poll.newest) {
      for (int i = 0; i < board::kButtonBytes; ++i) {
        const std::uint8_t b = s->buttons[i];
        if (buttonBytesShown_[i] == b) continue;  // unchanged: its indicators stay untouched
        buttonBytesShown_[i] = b;
        for (int j = 0; j < 8; ++j) {
          const int k = 8 * i + j;
          if (k >= static_cast<int>(ui_.buttonIndicators.size())) continue;
          const bool pressed = b & (1 << j);
          IndicatorShape* shape = ui_.buttonIndicators[k];
          shape->setFillColor(pressed ? kPressedFill : shape->palette().color(QPalette::Button));
          shape->setTextColor(pressed ? kPressedText : kReleasedText);
        }
      }
      ShowAxis(locale_, s->x, ui_.xAxisBar, ui_.xAxisValueLabel, ui_.xAxisPercentLabel);
      ShowAxis(locale_, s->y, ui_.yAxisBar, ui_.yAxisValueLabel, ui_.yAxisPercentLabel);
    }
    // Every report on the chart, in order: a quick pull draws the whole curve.
    // Right after a clear or a change of mode the queue still holds reports
    // of before it: then only the newest counts, as it always did.
    if (chartStartsAfresh_ && poll.newest) {
      plotChartPoint(board::ChartPointFor(*poll.newest, curveMonitorOnX_));
      chartStartsAfresh_ = false;
    } else {
      for (const board::InputState& s : poll.reports)
        plotChartPoint(board::ChartPointFor(s, curveMonitorOnX_));
    }
    pollTimer_->setInterval(poll.gone ? kPollLostMs : kPollConnectedMs);
  }
  if (!board_.isOpen() && (board_.worthScanning() || rescan)) {
    scanBoards();
    openSelectedBoard();
    readBackBoard();
    resumeCurveMonitor();
  }
}

void MainWindow::plotChartPoint(const board::ChartPoint& point) {
  // The same point again changes nothing on the chart: no repaint.
  if (chartHasPoint_ && point.h == chartPrevH_ && point.v == chartPrevV_) return;
  chartHasPoint_ = true;
  ui_.curveChart->plotPoint(point.h, point.v);
  if (board::JoinsPrevious({chartPrevH_, chartPrevV_}))
    ui_.curveChart->drawLine(chartPrevH_, chartPrevV_, point.h, point.v, kChartLine);
  chartPrevH_ = point.h;
  chartPrevV_ = point.v;
}

void MainWindow::buildButtonIndicators(int lastIndex) {
  // Geometry is designed in twips; the pixels of indicator 0 stand for them.
  constexpr double kTwipsPerPixel = 15.0;
  auto* shape0 = ui_.buttonIndicators.at(0);
  const auto places =
      ButtonGridPlaces(lastIndex, static_cast<float>(shape0->width() * kTwipsPerPixel),
                       static_cast<float>(shape0->height() * kTwipsPerPixel),
                       static_cast<float>(ui_.inputsFrame->width() * kTwipsPerPixel),
                       Twips(kButtonNumberHeightTwips) * kTwipsPerPixel);

  for (int k = static_cast<int>(ui_.buttonIndicators.size()); k <= lastIndex; ++k) {
    auto* shape = new IndicatorShape(shape0->parentWidget());
    shape->setObjectName(QStringLiteral("buttonIndicator_%1").arg(k));
    shape->resize(shape0->size());
    shape->hide();
    ui_.buttonIndicators.push_back(shape);
  }

  for (int k = 0; k <= lastIndex; ++k) {
    const auto& place = places[k];
    const QRect shape = ToPixels(place.shape);
    ui_.buttonIndicators[k]->setGeometry(shape);
    ui_.buttonIndicators[k]->setNumber(place.caption,
                                       ToPixels(place.label).translated(-shape.topLeft()));
    ui_.buttonIndicators[k]->setVisible(true);
  }
}

void MainWindow::onShowCurveClicked(int axis) {
  toggleCurvePanel(axis);
  clearChart();
}

// Widening the window reveals the chart, and the board is told which axis
// to trace; either button hides the panel again (it never switches axes).
void MainWindow::toggleCurvePanel(int axis) {
  const int panel = Twips(kCurvePanelTwips);
  if (curvePanelShown_) {
    setFixedWidth(width() - panel);
    ui_.showCurveButtons[0]->setText(kShowCaption);
    ui_.showCurveButtons[1]->setText(kShowCaption);
    curvePanelShown_ = false;
    board_.sendMonitorMode(protocol::MonitorMode::Off);
    ui_.xAxisBar->setVisible(true);
    ui_.yAxisBar->setVisible(true);
    return;
  }
  setFixedWidth(width() + panel);
  ui_.showCurveButtons[0]->setText(kHideCaption);
  ui_.showCurveButtons[1]->setText(kHideCaption);
  curvePanelShown_ = true;
  const bool onX = axis == 0;
  board_.sendMonitorMode(onX ? protocol::MonitorMode::AxisX : protocol::MonitorMode::AxisY);
  // The other axis's field now carries the monitored axis before its curve.
  ui_.curveAxisLabel->setText(onX ? QStringLiteral("X") : QStringLiteral("Y"));
  curveMonitorOnX_ = onX;
  ui_.xAxisBar->setVisible(onX);
  ui_.yAxisBar->setVisible(!onX);
}

void MainWindow::clearChart() {
  ui_.curveChart->clear();
  chartPrevH_ = 0;
  chartPrevV_ = 0;
  chartHasPoint_ = false;
  chartStartsAfresh_ = true;
}

// A board opened while the panel is shown (re-plugged, or picked in the
// serial number list) starts out of monitor mode: tell it which axis.
void MainWindow::resumeCurveMonitor() {
  if (!curvePanelShown_ || !board_.isLoaded()) return;
  board_.sendMonitorMode(curveMonitorOnX_ ? protocol::MonitorMode::AxisX
                                          : protocol::MonitorMode::AxisY);
  chartStartsAfresh_ = true;
}

}  // namespace torvex::gui
