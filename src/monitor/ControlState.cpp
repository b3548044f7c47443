// The editor usable only with a loaded board, and the button grid built from
// its one designed indicator.
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QSlider>

#include "app/Twips.h"
#include "app/frmMain.h"
#include "monitor/ButtonGrid.h"
#include "monitor/IndicatorShape.h"

namespace {

const QString kZeroPercent = QStringLiteral("0 %");

QRect ToPixels(const QRectF& twips) {
  return torvex::app::TwipsRect(twips.left(), twips.top(), twips.width(), twips.height());
}

}  // namespace

void frmMain::SetControlsEnabled(bool enable) {
  for (QWidget* w : std::initializer_list<QWidget*>{
           clutchBiteFrame, analogInputFrame, masterClutchFrame, rotarySwitchFrame, xAxisFrame,
           yAxisFrame, xDeadLow, xDeadHigh, yDeadLow, yDeadHigh, xClutchCurveCombo,
           yClutchCurveCombo})
    w->setEnabled(enable);
  if (!enable) {
    lblManuf->setText(QString());
    lblProduct->setText(QString());
    lblVersion->setText(QString());
  }
  xAxisBar->setValue(0);
  yAxisBar->setValue(0);
  xAxisPercent->setText(kZeroPercent);
  yAxisPercent->setText(kZeroPercent);
  for (QWidget* w : std::initializer_list<QWidget*>{
           rotarySwitchLeftCombo, rotarySwitchRightCombo, masterClutchModeCombo, clutchBiteSlider,
           clutchBitePercentLabel, analogInputModeCombo, delay, ledSlider, ledPercentLabel})
    w->setEnabled(enable);
}

void frmMain::BuildButtonIndicators(int lastIndex) {
  using torvex::monitor::IndicatorShape;
  // Geometry is designed in twips; the pixels of element 0 stand for them.
  constexpr double kTwipsPerPixel = 15.0;
  auto* shape0 = ButtonShape.at(0);
  QLabel* label0 = ButtonLabel.at(0);
  const auto places = torvex::monitor::ButtonGridPlaces(
      lastIndex, static_cast<float>(shape0->width() * kTwipsPerPixel),
      static_cast<float>(shape0->height() * kTwipsPerPixel),
      static_cast<float>(ButtonsFrame->width() * kTwipsPerPixel),
      label0->height() * kTwipsPerPixel);

  for (int k = static_cast<int>(ButtonLabel.size()); k <= lastIndex; ++k) {
    auto* label = new QLabel(label0->parentWidget());
    label->setObjectName(QStringLiteral("ButtonLabel_%1").arg(k));
    label->resize(label0->size());
    label->setAlignment(label0->alignment());
    label->setFont(label0->font());
    label->hide();
    ButtonLabel.push_back(label);
  }
  for (int k = static_cast<int>(ButtonShape.size()); k <= lastIndex; ++k) {
    auto* shape = new IndicatorShape(shape0->parentWidget());
    shape->setObjectName(QStringLiteral("ButtonShape_%1").arg(k));
    shape->resize(shape0->size());
    shape->hide();
    ButtonShape.push_back(shape);
  }

  for (int k = 0; k <= lastIndex; ++k) {
    const auto& place = places[k];
    ButtonShape[k]->setGeometry(ToPixels(place.shape));
    ButtonShape[k]->setVisible(true);
    ButtonLabel[k]->setGeometry(ToPixels(place.label));
    ButtonLabel[k]->setText(place.caption);
    ButtonLabel[k]->setVisible(true);
    // The number lies above its shape, readable pressed or released.
    ButtonLabel[k]->raise();
  }
}
