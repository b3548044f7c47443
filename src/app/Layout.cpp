// The controls of the window, placed as designed in twips.
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSlider>

#include "app/Twips.h"
#include "app/frmMain.h"
#include "monitor/CurveChart.h"
#include "monitor/IndicatorShape.h"

using torvex::app::TwipsRect;

namespace {

template <typename T>
T* Place(QWidget* parent, const char* name, double left, double top, double width, double height) {
  auto* w = new T(parent);
  w->setObjectName(QString::fromLatin1(name));
  w->setGeometry(TwipsRect(left, top, width, height));
  return w;
}

QGroupBox* Frame(QWidget* parent, const char* name, const char* caption, double left, double top,
                 double width, double height) {
  auto* f = Place<QGroupBox>(parent, name, left, top, width, height);
  f->setTitle(QString::fromLatin1(caption));
  return f;
}

QLabel* Label(QWidget* parent, const char* name, const char* caption, double left, double top,
              double width, double height, Qt::Alignment align = Qt::AlignLeft | Qt::AlignTop) {
  auto* l = Place<QLabel>(parent, name, left, top, width, height);
  l->setText(QString::fromLatin1(caption));
  l->setAlignment(align);
  return l;
}

QComboBox* List(QWidget* parent, const char* name, double left, double top, double width,
                double height) {
  auto* c = Place<QComboBox>(parent, name, left, top, width, height);
  c->setEditable(false);
  return c;
}

QLineEdit* TextField(QWidget* parent, const char* name, double left, double top, double width,
                     double height) {
  return Place<QLineEdit>(parent, name, left, top, width, height);
}

QPushButton* Button(QWidget* parent, const char* name, const char* caption, double left, double top,
                    double width, double height) {
  auto* b = Place<QPushButton>(parent, name, left, top, width, height);
  b->setText(QString::fromLatin1(caption));
  b->setAutoDefault(false);
  return b;
}

QSlider* Slider(QWidget* parent, const char* name, int min, int max, int tick, int large,
                double left, double top, double width, double height) {
  auto* s = Place<QSlider>(parent, name, left, top, width, height);
  s->setOrientation(Qt::Horizontal);
  s->setRange(min, max);
  s->setTickInterval(tick);
  s->setTickPosition(QSlider::TicksBelow);
  s->setSingleStep(1);
  s->setPageStep(large);
  s->setTracking(true);
  return s;
}

QProgressBar* Bar(QWidget* parent, const char* name, double left, double top, double width,
                  double height) {
  auto* b = Place<QProgressBar>(parent, name, left, top, width, height);
  b->setRange(0, 65535);
  b->setValue(0);
  b->setTextVisible(false);
  return b;
}

constexpr auto kRight = Qt::AlignRight | Qt::AlignTop;
constexpr auto kCentre = Qt::AlignHCenter | Qt::AlignTop;

}  // namespace

void frmMain::BuildLayout() {
  QFont f = font();
  f.setPixelSize(10);
  setFont(f);
  setFixedSize(torvex::app::Twips(kBaseWidthTwips), torvex::app::Twips(kBaseHeightTwips));

  // ---- Left column ----
  Frame1 = Frame(this, "Frame1", "Device Details", 120, 120, 3735, 1935);
  Label(Frame1, "lblSerialNumberCaption", "Serial Number:", 120, 360, 1080, 255);
  Label(Frame1, "lblManufacturerCaption", "Manufacturer:", 120, 720, 1080, 255);
  Label(Frame1, "lblProductCaption", "Product:", 120, 1080, 1035, 255);
  Label(Frame1, "lblVersionCaption", "Version:", 120, 1440, 1035, 255);
  SerNo = Place<QComboBox>(Frame1, "SerNo", 1200, 360, 2175, 315);
  SerNo->setEditable(true);
  SerNo->setInsertPolicy(QComboBox::NoInsert);
  SerNo->setEditText("Combo1");
  lblManuf = Label(Frame1, "lblManuf", "manufacturer", 1200, 720, 1575, 255);
  lblProduct = Label(Frame1, "lblProduct", "product", 1200, 1080, 1575, 255);
  lblVersion = Label(Frame1, "lblVersion", "version", 1200, 1440, 1575, 255);
  Command2 = Button(Frame1, "Command2", "Reset All", 2760, 1400, 855, 375);

  analogInputFrame = Frame(this, "analogInputFrame", "Analog Input Mode", 120, 2160, 3735, 975);
  analogInputModeCombo = List(analogInputFrame, "analogInputModeCombo", 240, 360, 3255, 315);

  masterClutchFrame = Frame(this, "masterClutchFrame", "Master Clutch", 120, 3240, 3735, 975);
  masterClutchModeCombo = List(masterClutchFrame, "masterClutchModeCombo", 240, 360, 3255, 315);

  clutchBiteFrame = Frame(this, "clutchBiteFrame", "Clutch Bite Point", 120, 4320, 3735, 1575);
  Label(clutchBiteFrame, "clutchBiteMinCaption", "0%", 240, 360, 495, 255);
  Label(clutchBiteFrame, "clutchBiteMaxCaption", "100%", 3000, 360, 495, 255);
  clutchBiteSlider =
      Slider(clutchBiteFrame, "clutchBiteSlider", 0, 65535, 6553, 5, 240, 600, 3255, 345);
  clutchBitePercentLabel =
      TextField(clutchBiteFrame, "clutchBitePercentLabel", 1560, 1080, 615, 285);
  Label(clutchBiteFrame, "clutchBitePercentSign", "%", 2270, 1125, 255, 255);

  rotarySwitchFrame = Frame(this, "rotarySwitchFrame", "Rotary Switch Mode", 120, 6000, 3735, 1575);
  Left = Label(rotarySwitchFrame, "Left", "Left:", 120, 480, 495, 255, kRight);
  rotarySwitchLeftCombo = List(rotarySwitchFrame, "rotarySwitchLeftCombo", 720, 480, 2775, 315);
  Label(rotarySwitchFrame, "Right", "Right:", 120, 960, 495, 255, kRight);
  rotarySwitchRightCombo = List(rotarySwitchFrame, "rotarySwitchRightCombo", 720, 960, 2775, 315);

  Frame4 = Frame(this, "Frame4", "Encoder Pulse Width", 120, 7680, 3735, 975);
  delay = List(Frame4, "delay", 240, 360, 3255, 315);

  Frame5 = Frame(this, "Frame5", "LED Intensity", 120, 8760, 3735, 1575);
  Label(Frame5, "ledMinCaption", "0%", 240, 360, 495, 255);
  Label(Frame5, "ledMaxCaption", "100%", 3000, 360, 495, 255);
  ledSlider = Slider(Frame5, "ledSlider", 0, 255, 26, 5, 240, 600, 3255, 345);
  ledPercentLabel = TextField(Frame5, "ledPercentLabel", 1560, 1080, 615, 285);
  Label(Frame5, "ledPercentSign", "%", 2270, 1125, 255, 255);

  // ---- Right column ----
  ButtonsFrame = Frame(this, "ButtonsFrame", "Inputs", 3960, 120, 4815, 4095);
  ButtonShape.push_back(
      Place<torvex::monitor::IndicatorShape>(ButtonsFrame, "ButtonShape_0", 120, 360, 375, 375));
  ButtonLabel.push_back(Label(ButtonsFrame, "ButtonLabel_0", "1", 120, 480, 375, 495, kCentre));

  xAxisFrame = Frame(this, "xAxisFrame", "X Axis", 3960, 4320, 4815, 3015);
  Label(xAxisFrame, "xLinearityCaption", "Linearity Mode:", 240, 400, 1200, 255);
  xClutchCurveCombo = List(xAxisFrame, "xClutchCurveCombo", 1440, 360, 3015, 315);
  Label(xAxisFrame, "xCurveMinCaption", "-5", 960, 840, 255, 255);
  Label(xAxisFrame, "xCurveMidCaption", "0", 2410, 840, 255, 255);
  Label(xAxisFrame, "xCurveMaxCaption", "5", 3845, 840, 255, 255);
  xSliderCurveNumber = Slider(xAxisFrame, "xSliderCurveNumber", -5, 5, 1, 5, 840, 1080, 3255, 345);
  xAxisBar = Bar(xAxisFrame, "xAxisBar", 120, 1680, 3855, 255);
  xAxisPercent = Label(xAxisFrame, "xAxisPercent", "0 %", 4080, 1680, 615, 375);
  xVal = Label(xAxisFrame, "xVal", "", 120, 2160, 1335, 255);
  checkCurves.push_back(Button(xAxisFrame, "checkCurves_0", "Show Curve >>", 120, 2040, 1455, 375));
  Label(xAxisFrame, "xDeadHighCaption", "dead zone HIGH", 1920, 2170, 1575, 375, kRight);
  Label(xAxisFrame, "xDeadLowCaption", "dead zone LOW", 1920, 2530, 1575, 375, kRight);
  xDeadHigh = TextField(xAxisFrame, "xDeadHigh", 3600, 2160, 615, 285);
  Label(xAxisFrame, "xDeadHighPercentSign", "%", 4305, 2205, 255, 255);
  xDeadLow = TextField(xAxisFrame, "xDeadLow", 3600, 2520, 615, 285);
  Label(xAxisFrame, "xDeadLowPercentSign", "%", 4305, 2565, 255, 255);
  CalibrateX = Button(xAxisFrame, "CalibrateX", "Calibrate", 120, 2520, 1455, 375);

  yAxisFrame = Frame(this, "yAxisFrame", "Y Axis", 3960, 7440, 4815, 2895);
  Label(yAxisFrame, "yLinearityCaption", "Linearity Mode:", 240, 405, 1200, 255);
  yClutchCurveCombo = List(yAxisFrame, "yClutchCurveCombo", 1440, 360, 3015, 315);
  Label(yAxisFrame, "yCurveMinCaption", "-5", 960, 825, 255, 255);
  Label(yAxisFrame, "yCurveMidCaption", "0", 2410, 825, 255, 255);
  Label(yAxisFrame, "yCurveMaxCaption", "5", 3845, 825, 255, 255);
  ySliderCurveNumber = Slider(yAxisFrame, "ySliderCurveNumber", -5, 5, 1, 5, 840, 1080, 3255, 345);
  yAxisBar = Bar(yAxisFrame, "yAxisBar", 120, 1560, 3855, 255);
  yAxisPercent = Label(yAxisFrame, "yAxisPercent", "0 %", 4080, 1560, 615, 375);
  yVal = Label(yAxisFrame, "yVal", "", 120, 2040, 1335, 255);
  Label(yAxisFrame, "yDeadHighCaption", "dead zone HIGH", 1920, 2050, 1575, 375, kRight);
  Label(yAxisFrame, "yDeadLowCaption", "dead zone LOW", 1920, 2410, 1575, 375, kRight);
  yDeadHigh = TextField(yAxisFrame, "yDeadHigh", 3600, 2040, 615, 285);
  Label(yAxisFrame, "yDeadHighPercentSign", "%", 4305, 2085, 255, 255);
  yDeadLow = TextField(yAxisFrame, "yDeadLow", 3600, 2400, 615, 285);
  Label(yAxisFrame, "yDeadLowPercentSign", "%", 4305, 2445, 255, 255);
  CalibrateY = Button(yAxisFrame, "CalibrateY", "Calibrate", 120, 2400, 1455, 375);

  // Lies on the window, over the Y frame, so disabling that frame leaves it usable.
  checkCurves.push_back(Button(this, "checkCurves_1", "Show Curve >>", 4080, 9360, 1455, 375));
  checkCurves[1]->raise();

  // ---- Curve monitor area, beyond the base width ----
  Label28 = Label(this, "Label28", "Axis:", 8880, 4920, 615, 255);
  curveMonitorAxisLabel = Label(this, "curveMonitorAxisLabel", "", 9360, 4920, 615, 255);
  Label29 =
      Label(this, "Label29", "Move slowly to generate correct curve.", 10200, 4800, 1815, 495);
  Label29->setWordWrap(true);
  Command1 = Button(this, "Command1", "Clear Chart", 12240, 4680, 1695, 495);
  curveChart = Place<torvex::monitor::CurveChart>(this, "curveChart", 9720, 5400, 5175, 4575);
  Label31 = Label(this, "Label31", "100%", 9240, 5400, 495, 255);
  Output = Label(this, "Output", "Output", 9000, 7440, 615, 255, kCentre);
  Label32 = Label(this, "Label32", "0%", 9120, 9840, 495, 255, kRight);
  Label33 = Label(this, "Label33", "0%", 9720, 10080, 495, 255);
  Label30 = Label(this, "Label30", "Input", 11760, 10080, 735, 255, kCentre);
  Label34 = Label(this, "Label34", "100%", 14640, 10080, 495, 255);
}
