// The live half of the polling loop: drain the board's input queue, show the
// newest report, notice a lost board and look for it again.
#include <QLabel>
#include <QProgressBar>
#include <QTimer>

#include "app/LogCategories.h"
#include "app/frmMain.h"
#include "monitor/CurveChart.h"
#include "monitor/IndicatorShape.h"
#include "monitor/InputReport.h"

namespace m = torvex::monitor;
using torvex::hid::InputRead;

namespace {

constexpr std::size_t kReadBudget = 500;
constexpr int kPollConnectedMs = 50;
constexpr int kPollLostMs = 250;
const QColor kPressedFill(255, 0, 0);
const QColor kPressedText(0, 0, 0);
const QColor kReleasedText(64, 64, 64);
const QColor kChartLine(0, 0, 255);

// Palette changes are the dearest step of a tick: the two text palettes are
// made once per tick, and a label that already shows its colour is left alone.
class TextPalettes {
 public:
  void apply(QLabel* label, bool pressed) {
    const QColor& color = pressed ? kPressedText : kReleasedText;
    const QPalette& current = label->palette();
    if (current.isBrushSet(QPalette::Active, QPalette::WindowText) &&
        current.color(QPalette::WindowText) == color)
      return;
    if (!made_) {
      pressed_ = released_ = current;
      pressed_.setColor(QPalette::WindowText, kPressedText);
      released_.setColor(QPalette::WindowText, kReleasedText);
      made_ = true;
    }
    label->setPalette(pressed ? pressed_ : released_);
  }

 private:
  bool made_ = false;
  QPalette pressed_, released_;
};

void ShowButtons(frmMain& f, const m::InputState& s) {
  TextPalettes text;
  for (int i = 0; i < m::kButtonBytes; ++i) {
    const std::uint8_t b = s.buttons[i];
    if (f.ButtonByteCache[i] == b) continue;  // unchanged: its indicators stay untouched
    f.ButtonByteCache[i] = b;
    for (int j = 0; j < 8; ++j) {
      const int k = 8 * i + j;
      if (k >= static_cast<int>(f.ButtonShape.size()) ||
          k >= static_cast<int>(f.ButtonLabel.size()))
        continue;
      const bool pressed = (b & f.BitMasks[j]) == f.BitMasks[j];
      f.ButtonShape[k]->setFillColor(pressed ? kPressedFill
                                             : f.ButtonShape[k]->palette().color(QPalette::Button));
      text.apply(f.ButtonLabel[k], pressed);
    }
  }
}

void ShowAxis(frmMain& f, int value, QProgressBar* bar, QLabel* val, QLabel* percent) {
  bar->setValue(value);
  const QString text = m::AxisPercentText(value, f.locale());
  val->setText(text);
  percent->setText(text);
}

void PlotChartPoint(frmMain& f, const m::InputState& s) {
  const m::ChartPoint point = m::ChartPointFor(s, f.CurveMonitorOnX);
  f.curveChart->plotPoint(point.h, point.v);
  if (m::JoinsPrevious({f.ChartPrevX, f.ChartPrevY}))
    f.curveChart->drawLine(f.ChartPrevX, f.ChartPrevY, point.h, point.v, kChartLine);
  f.ChartPrevX = point.h;
  f.ChartPrevY = point.v;
}

}  // namespace

void frmMain::ServiceInputReport() {
  if (DeviceDetected) {
    const InputRead read = platform().readInput(ReadHandle, kReadBudget);
    // An empty queue is a quiet board, not a lost one.
    const bool gone = read.status == InputRead::Status::Gone;
    LastApiResult = gone ? 0 : 1;
    // Even a single queued report is shown: the board may send only on change.
    if (const auto state = m::DecodeNewestReport(read.bytes, InputReportLength)) {
      ShowButtons(*this, *state);
      ShowAxis(*this, state->x, xAxisBar, xVal, xAxisPercent);
      ShowAxis(*this, state->y, yAxisBar, yVal, yAxisPercent);
      PlotChartPoint(*this, *state);
    }
    if (gone) {
      qCInfo(lcMonitor) << "Board lost; closing it and looking for it again";
      DeviceDetected = false;
      CloseBoardHandles();
      Timer->setInterval(kPollLostMs);
      ConfigurationLoaded = false;
    } else {
      Timer->setInterval(kPollConnectedMs);
    }
  }
  if (!DeviceDetected) {
    ConfigurationLoaded = false;
    Scan_USB_devices();
    DeviceDetected = FindTheHid();
    ReadDeviceConfiguration();
    ResumeCurveMonitor();
  }
}
