// SPDX-License-Identifier: MIT
// The controls of the window, placed as designed in twips.
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSlider>

#include "gui/Controls.h"
#include "gui/CurveChart.h"
#include "gui/IndicatorShape.h"
#include "gui/MainWindow.h"
#include "gui/Twips.h"

namespace torvex::gui {
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

Controls BuildControls(QWidget* w) {
  Controls c;
  QFont f = w->font();
  f.setPixelSize(10);
  w->setFont(f);
  w->setFixedSize(Twips(MainWindow::kBaseWidthTwips), Twips(MainWindow::kBaseHeightTwips));

  // ---- Left column ----
  c.deviceFrame = Frame(w, "deviceFrame", "Device Details", 120, 120, 3735, 1935);
  // Wide enough for the whole caption in DejaVu Sans; the list gives way.
  Label(c.deviceFrame, "serialNumberCaption", "Serial Number:", 120, 360, 1170, 255);
  Label(c.deviceFrame, "manufacturerCaption", "Manufacturer:", 120, 720, 1080, 255);
  Label(c.deviceFrame, "productCaption", "Product:", 120, 1080, 1035, 255);
  Label(c.deviceFrame, "versionCaption", "Version:", 120, 1440, 1035, 255);
  c.serialNumberList = Place<QComboBox>(c.deviceFrame, "serialNumberList", 1320, 360, 2055, 315);
  c.serialNumberList->setEditable(true);
  c.serialNumberList->setInsertPolicy(QComboBox::NoInsert);
  c.serialNumberList->setEditText("Combo1");
  c.manufacturerLabel =
      Label(c.deviceFrame, "manufacturerLabel", "manufacturer", 1200, 720, 1575, 255);
  c.productLabel = Label(c.deviceFrame, "productLabel", "product", 1200, 1080, 1575, 255);
  c.versionLabel = Label(c.deviceFrame, "versionLabel", "version", 1200, 1440, 1575, 255);
  // Below the version, clear of "Reset All"; a long name is cut, whole in the tip.
  c.activeProfileLabel = Label(c.deviceFrame, "activeProfileLabel", "", 120, 1710, 2580, 210);
  c.profilesButton = Button(c.deviceFrame, "profilesButton", "Profiles...", 2775, 950, 840, 375);
  c.resetAllButton = Button(c.deviceFrame, "resetAllButton", "Reset All", 2760, 1400, 855, 375);

  c.analogInputFrame = Frame(w, "analogInputFrame", "Analog Input Mode", 120, 2160, 3735, 975);
  c.analogInputModeList = List(c.analogInputFrame, "analogInputModeList", 240, 360, 3255, 315);

  c.masterClutchFrame = Frame(w, "masterClutchFrame", "Master Clutch", 120, 3240, 3735, 975);
  c.masterClutchList = List(c.masterClutchFrame, "masterClutchList", 240, 360, 3255, 315);

  c.clutchBiteFrame = Frame(w, "clutchBiteFrame", "Clutch Bite Point", 120, 4320, 3735, 1575);
  Label(c.clutchBiteFrame, "clutchBiteMinCaption", "0%", 240, 360, 495, 255);
  Label(c.clutchBiteFrame, "clutchBiteMaxCaption", "100%", 3000, 360, 495, 255);
  c.clutchBiteSlider =
      Slider(c.clutchBiteFrame, "clutchBiteSlider", 0, 65535, 6553, 5, 240, 600, 3255, 345);
  c.clutchBiteField = TextField(c.clutchBiteFrame, "clutchBiteField", 1560, 1080, 615, 285);
  Label(c.clutchBiteFrame, "clutchBitePercentSign", "%", 2270, 1125, 255, 255);

  c.rotarySwitchFrame = Frame(w, "rotarySwitchFrame", "Rotary Switch Mode", 120, 6000, 3735, 1575);
  c.rotaryLeftCaption =
      Label(c.rotarySwitchFrame, "rotaryLeftCaption", "Left:", 120, 480, 495, 255, kRight);
  c.rotaryLeftList = List(c.rotarySwitchFrame, "rotaryLeftList", 720, 480, 2775, 315);
  Label(c.rotarySwitchFrame, "rotaryRightCaption", "Right:", 120, 960, 495, 255, kRight);
  c.rotaryRightList = List(c.rotarySwitchFrame, "rotaryRightList", 720, 960, 2775, 315);

  c.pulseWidthFrame = Frame(w, "pulseWidthFrame", "Encoder Pulse Width", 120, 7680, 3735, 975);
  c.pulseWidthList = List(c.pulseWidthFrame, "pulseWidthList", 240, 360, 3255, 315);

  c.ledFrame = Frame(w, "ledFrame", "LED Intensity", 120, 8760, 3735, 1575);
  Label(c.ledFrame, "ledMinCaption", "0%", 240, 360, 495, 255);
  Label(c.ledFrame, "ledMaxCaption", "100%", 3000, 360, 495, 255);
  c.ledSlider = Slider(c.ledFrame, "ledSlider", 0, 255, 26, 5, 240, 600, 3255, 345);
  c.ledField = TextField(c.ledFrame, "ledField", 1560, 1080, 615, 285);
  Label(c.ledFrame, "ledPercentSign", "%", 2270, 1125, 255, 255);

  // ---- Right column ----
  c.inputsFrame = Frame(w, "inputsFrame", "Inputs", 3960, 120, 4815, 4095);
  // The first indicator; the others are built from it (buildButtonIndicators).
  c.buttonIndicators.push_back(
      Place<IndicatorShape>(c.inputsFrame, "buttonIndicator_0", 120, 360, 375, 375));
  c.buttonIndicators[0]->setNumber(
      "1", TwipsRect(120, 480, 375, kButtonNumberHeightTwips).translated(-Twips(120), -Twips(360)));

  c.xAxisFrame = Frame(w, "xAxisFrame", "X Axis", 3960, 4320, 4815, 3015);
  Label(c.xAxisFrame, "xLinearityCaption", "Linearity Mode:", 240, 400, 1200, 255);
  c.xCurveTypeList = List(c.xAxisFrame, "xCurveTypeList", 1440, 360, 3015, 315);
  Label(c.xAxisFrame, "xCurveMinCaption", "-5", 960, 840, 255, 255);
  Label(c.xAxisFrame, "xCurveMidCaption", "0", 2410, 840, 255, 255);
  Label(c.xAxisFrame, "xCurveMaxCaption", "5", 3845, 840, 255, 255);
  c.xCurveNumberSlider =
      Slider(c.xAxisFrame, "xCurveNumberSlider", -5, 5, 1, 5, 840, 1080, 3255, 345);
  c.xAxisBar = Bar(c.xAxisFrame, "xAxisBar", 120, 1680, 3855, 255);
  c.xAxisPercentLabel = Label(c.xAxisFrame, "xAxisPercentLabel", "0 %", 4080, 1680, 615, 375);
  c.xAxisValueLabel = Label(c.xAxisFrame, "xAxisValueLabel", "", 120, 2160, 1335, 255);
  c.showCurveButtons[0] =
      Button(c.xAxisFrame, "showCurveXButton", "Show Curve >>", 120, 2040, 1455, 375);
  Label(c.xAxisFrame, "xDeadHighCaption", "dead zone HIGH", 1920, 2170, 1575, 375, kRight);
  Label(c.xAxisFrame, "xDeadLowCaption", "dead zone LOW", 1920, 2530, 1575, 375, kRight);
  c.xDeadHighField = TextField(c.xAxisFrame, "xDeadHighField", 3600, 2160, 615, 285);
  Label(c.xAxisFrame, "xDeadHighPercentSign", "%", 4305, 2205, 255, 255);
  c.xDeadLowField = TextField(c.xAxisFrame, "xDeadLowField", 3600, 2520, 615, 285);
  Label(c.xAxisFrame, "xDeadLowPercentSign", "%", 4305, 2565, 255, 255);
  c.calibrateXButton = Button(c.xAxisFrame, "calibrateXButton", "Calibrate", 120, 2520, 1455, 375);

  c.yAxisFrame = Frame(w, "yAxisFrame", "Y Axis", 3960, 7440, 4815, 2895);
  Label(c.yAxisFrame, "yLinearityCaption", "Linearity Mode:", 240, 405, 1200, 255);
  c.yCurveTypeList = List(c.yAxisFrame, "yCurveTypeList", 1440, 360, 3015, 315);
  Label(c.yAxisFrame, "yCurveMinCaption", "-5", 960, 825, 255, 255);
  Label(c.yAxisFrame, "yCurveMidCaption", "0", 2410, 825, 255, 255);
  Label(c.yAxisFrame, "yCurveMaxCaption", "5", 3845, 825, 255, 255);
  c.yCurveNumberSlider =
      Slider(c.yAxisFrame, "yCurveNumberSlider", -5, 5, 1, 5, 840, 1080, 3255, 345);
  c.yAxisBar = Bar(c.yAxisFrame, "yAxisBar", 120, 1560, 3855, 255);
  c.yAxisPercentLabel = Label(c.yAxisFrame, "yAxisPercentLabel", "0 %", 4080, 1560, 615, 375);
  c.yAxisValueLabel = Label(c.yAxisFrame, "yAxisValueLabel", "", 120, 2040, 1335, 255);
  Label(c.yAxisFrame, "yDeadHighCaption", "dead zone HIGH", 1920, 2050, 1575, 375, kRight);
  Label(c.yAxisFrame, "yDeadLowCaption", "dead zone LOW", 1920, 2410, 1575, 375, kRight);
  c.yDeadHighField = TextField(c.yAxisFrame, "yDeadHighField", 3600, 2040, 615, 285);
  Label(c.yAxisFrame, "yDeadHighPercentSign", "%", 4305, 2085, 255, 255);
  c.yDeadLowField = TextField(c.yAxisFrame, "yDeadLowField", 3600, 2400, 615, 285);
  Label(c.yAxisFrame, "yDeadLowPercentSign", "%", 4305, 2445, 255, 255);
  c.calibrateYButton = Button(c.yAxisFrame, "calibrateYButton", "Calibrate", 120, 2400, 1455, 375);

  // Lies on the window, over the Y frame, so disabling that frame leaves it usable.
  c.showCurveButtons[1] = Button(w, "showCurveYButton", "Show Curve >>", 4080, 9360, 1455, 375);
  c.showCurveButtons[1]->raise();

  // ---- Curve monitor area, beyond the base width ----
  c.curveAxisCaption = Label(w, "curveAxisCaption", "Axis:", 8880, 4920, 615, 255);
  c.curveAxisLabel = Label(w, "curveAxisLabel", "", 9360, 4920, 615, 255);
  c.curveHintLabel =
      Label(w, "curveHintLabel", "Move slowly to generate correct curve.", 10200, 4800, 1815, 495);
  c.curveHintLabel->setWordWrap(true);
  c.clearChartButton = Button(w, "clearChartButton", "Clear Chart", 12240, 4680, 1695, 495);
  c.curveChart = Place<CurveChart>(w, "curveChart", 9720, 5400, 5175, 4575);
  c.chartOutputMaxLabel = Label(w, "chartOutputMaxLabel", "100%", 9240, 5400, 495, 255);
  c.chartOutputCaption = Label(w, "chartOutputCaption", "Output", 9000, 7440, 615, 255, kCentre);
  c.chartOutputMinLabel = Label(w, "chartOutputMinLabel", "0%", 9120, 9840, 495, 255, kRight);
  c.chartInputMinLabel = Label(w, "chartInputMinLabel", "0%", 9720, 10080, 495, 255);
  c.chartInputCaption = Label(w, "chartInputCaption", "Input", 11760, 10080, 735, 255, kCentre);
  c.chartInputMaxLabel = Label(w, "chartInputMaxLabel", "100%", 14640, 10080, 495, 255);
  return c;
}

}  // namespace torvex::gui
