#include "app/LogCategories.h"
#include "app/frmMain.h"

#include <QLineEdit>
#include <QSlider>
#include <QStyle>
#include <QStyleOptionSlider>
#include <QTimer>
#include <QToolTip>

#include "protocol/Protocol.h"
#include "settings/PercentText.h"
#include "settings/TypedKeys.h"

namespace code = torvex::protocol::code;
namespace s = torvex::settings;

namespace {

constexpr int kBiteRefreshHoldOffSeconds = 2;

QString SliderPercentText(const frmMain& f, const QSlider* slider) {
  return s::PercentText(s::SliderPercent(slider->sliderPosition(), slider->maximum()),
                        s::EditorSeparator(f));
}

// The tip text beside the thumb while it moves. It is kept as the slider's
// tool tip too, so the last text shown can be read back.
void ShowSliderTip(QSlider* slider, const QString& text) {
  slider->setToolTip(text);
  if (!slider->isVisible()) return;
  QStyleOptionSlider opt;
  opt.initFrom(slider);
  opt.orientation = slider->orientation();
  opt.minimum = slider->minimum();
  opt.maximum = slider->maximum();
  opt.sliderPosition = slider->sliderPosition();
  opt.sliderValue = slider->value();
  opt.upsideDown = slider->invertedAppearance() != (slider->orientation() == Qt::Vertical);
  const QRect handle =
      slider->style()->subControlRect(QStyle::CC_Slider, &opt, QStyle::SC_SliderHandle, slider);
  QToolTip::showText(slider->mapToGlobal(handle.topRight()), text, slider);
}

void SendSliderPair(frmMain& f, std::uint8_t lowCode, const QSlider* slider) {
  const int v = slider->sliderPosition();
  f.SendSettingCommand(lowCode, v & 0xFF);
  f.SendSettingCommand(lowCode + 1, v / 256);
}

// Typed percentage in a field beside a slider; Enter commits it.
void PercentKey(frmMain& f, QLineEdit* field, QSlider* slider, double factor, int& KeyAscii,
                void (frmMain::*click)()) {
  s::TypeSeparator(f, KeyAscii);
  f.SuspendBiteRefresh(kBiteRefreshHoldOffSeconds);
  if (KeyAscii != s::kEnterKey) return;
  const auto x = s::ParseLocaleNumber(field->text(), f.locale());
  if (!x) {
    KeyAscii = 0;  // not a number: the key is dropped, the text stays as typed
    qCDebug(lcSettings) << field->objectName() << "refused" << field->text();
    return;
  }
  slider->setValue(s::SliderPositionFromPercent(*x, factor, slider->minimum(), slider->maximum()));
  (f.*click)();
}

}  // namespace

void frmMain::UpdateClutchBiteLabel() {
  // While the user holds the bite point the field shows what they typed.
  if (BiteRefreshEnabled) clutchBitePercentLabel->setText(ClutchBitePercentText());
}

void frmMain::UpdateLedLabel() {
  ledPercentLabel->setText(LedPercentText());
}

QString frmMain::ClutchBitePercentText() const {
  return SliderPercentText(*this, clutchBiteSlider);
}

QString frmMain::LedPercentText() const {
  return SliderPercentText(*this, ledSlider);
}

QString frmMain::FormatRawPercent(std::int32_t raw) const {
  return s::PercentText(s::RawToPercent(raw), s::EditorSeparator(*this));
}

void frmMain::SuspendBiteRefresh(int seconds) {
  BiteRefreshEnabled = false;
  sliderRefreshTimer->stop();
  sliderRefreshTimer->setInterval(seconds * 1000);
  sliderRefreshTimer->start();
}

void frmMain::clutchBiteSlider_MouseDown() {
  BiteRefreshEnabled = false;
}

void frmMain::clutchBiteSlider_MouseUp() {
  BiteRefreshEnabled = true;
}

void frmMain::clutchBiteSlider_Scroll() {
  // The bite point goes out only on release: a drag would flood the board.
  ShowSliderTip(clutchBiteSlider, ClutchBitePercentText());
}

void frmMain::clutchBiteSlider_Click() {
  SendSliderPair(*this, code::SetClutchBiteLsb, clutchBiteSlider);
  BiteRefreshEnabled = true;
  UpdateClutchBiteLabel();
}

void frmMain::ledSlider_Scroll() {
  ShowSliderTip(ledSlider, LedPercentText());
  SendSliderPair(*this, code::SetLedIntensityLsb, ledSlider);
}

void frmMain::ledSlider_Click() {
  SendSliderPair(*this, code::SetLedIntensityLsb, ledSlider);
  UpdateLedLabel();
}

void frmMain::sliderRefreshTimer_Timer() {
  BiteRefreshEnabled = true;
  sliderRefreshTimer->stop();
}

void frmMain::clutchBitePercentLabel_KeyPress(int& KeyAscii) {
  PercentKey(*this, clutchBitePercentLabel, clutchBiteSlider, s::kClutchBiteFactor, KeyAscii,
             &frmMain::clutchBiteSlider_Click);
}

void frmMain::ledPercentLabel_KeyPress(int& KeyAscii) {
  PercentKey(*this, ledPercentLabel, ledSlider, s::kLedFactor, KeyAscii, &frmMain::ledSlider_Click);
}
