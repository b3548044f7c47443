// SPDX-License-Identifier: MIT
// The clutch bite point and LED intensity: a slider each, with a percent
// field beside it that takes a typed value on Enter.
#include <QLineEdit>
#include <QSlider>
#include <QStyle>
#include <QStyleOptionSlider>
#include <QTimer>
#include <QToolTip>

#include "board/LogCategories.h"
#include "board/Percent.h"
#include "gui/MainWindow.h"

namespace torvex::gui {
namespace code = protocol::code;

namespace {

constexpr int kEnterKey = 13;
constexpr int kBiteHoldSeconds = 2;

// The tip text beside the thumb while it moves. It is no tool tip of the
// slider's: hovering afterwards shows nothing, and the release hides it.
void ShowSliderTip(QSlider* slider, const QString& text) {
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

// Rewriting the same text would drop the user's selection and cursor. Either
// way the field now shows the window's value, no longer the user's typing.
void SetTextIfChanged(QLineEdit* field, const QString& text) {
  if (field->text() != text) field->setText(text);
  field->setModified(false);
}

std::uint16_t Position(const QSlider* slider) {
  return static_cast<std::uint16_t>(slider->sliderPosition());
}

}  // namespace

QChar MainWindow::separator() const {
  // Before start-up has read it, the locale's.
  return decimalSeparator_.isNull() ? locale_.decimalPoint().at(0) : decimalSeparator_;
}

void MainWindow::typeSeparator(int& key) const {
  if (key == '.' || key == ',') key = separator().unicode();
}

QString MainWindow::sliderPercentText(const QSlider* slider) const {
  return board::PercentText(board::SliderPercent(slider->sliderPosition(), slider->maximum()),
                            separator());
}

QString MainWindow::rawPercentText(std::int32_t raw) const {
  return board::PercentText(board::RawToPercent(raw), separator());
}

void MainWindow::updateClutchBiteText() {
  // While the user holds the bite point the field shows what they typed.
  if (biteFollowsBoard_)
    SetTextIfChanged(ui_.clutchBiteField, sliderPercentText(ui_.clutchBiteSlider));
}

void MainWindow::updateLedText() {
  SetTextIfChanged(ui_.ledField, sliderPercentText(ui_.ledSlider));
}

void MainWindow::holdBiteForTyping() {
  biteFollowsBoard_ = false;
  biteHoldTimer_->stop();
  biteHoldTimer_->setInterval(kBiteHoldSeconds * 1000);
  biteHoldTimer_->start();
}

void MainWindow::onBiteHoldElapsed() {
  // A drag under way keeps holding the bite point until its release.
  biteFollowsBoard_ = !ui_.clutchBiteSlider->isSliderDown();
  biteHoldTimer_->stop();
}

void MainWindow::onClutchBitePressed() {
  biteFollowsBoard_ = false;
}

void MainWindow::onClutchBiteReleased() {
  biteFollowsBoard_ = true;
}

void MainWindow::onClutchBiteMoved() {
  // The bite point goes out only on release: a drag would flood the board.
  ShowSliderTip(ui_.clutchBiteSlider, sliderPercentText(ui_.clutchBiteSlider));
}

void MainWindow::onClutchBiteCommitted() {
  QToolTip::hideText();
  board_.writeWord(code::SetClutchBiteLsb, Position(ui_.clutchBiteSlider));
  biteFollowsBoard_ = true;
  updateClutchBiteText();
}

void MainWindow::onLedMoved() {
  ShowSliderTip(ui_.ledSlider, sliderPercentText(ui_.ledSlider));
  board_.writeWord(code::SetLedIntensityLsb, Position(ui_.ledSlider));
}

void MainWindow::onLedCommitted() {
  QToolTip::hideText();
  board_.writeWord(code::SetLedIntensityLsb, Position(ui_.ledSlider));
  updateLedText();
}

namespace {

// Typed percentage in a field beside a slider; Enter commits it. Returns
// whether the slider took a new value.
bool TakeTypedPercent(QLineEdit* field, QSlider* slider, double factor, const QLocale& locale,
                      int& key) {
  if (key != kEnterKey) return false;
  const auto x = board::ParseLocaleNumber(field->text(), locale);
  if (!x) {
    key = 0;  // not a number: the key is dropped, the text stays as typed
    qCDebug(lcSettings) << field->objectName() << "refused" << field->text();
    return false;
  }
  slider->setValue(
      board::SliderPositionFromPercent(*x, factor, slider->minimum(), slider->maximum()));
  return true;
}

}  // namespace

void MainWindow::onClutchBiteKey(int& key) {
  typeSeparator(key);
  holdBiteForTyping();
  if (TakeTypedPercent(ui_.clutchBiteField, ui_.clutchBiteSlider, board::kClutchBiteFactor, locale_,
                       key))
    onClutchBiteCommitted();
}

void MainWindow::onLedKey(int& key) {
  typeSeparator(key);
  holdBiteForTyping();
  if (TakeTypedPercent(ui_.ledField, ui_.ledSlider, board::kLedFactor, locale_, key))
    onLedCommitted();
}

}  // namespace torvex::gui
