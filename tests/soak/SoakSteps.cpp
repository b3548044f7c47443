// SPDX-License-Identifier: MIT
// The soak's user edits, and the invariants it checks after every step.
#include "soak/Soak.h"

namespace torvex::test {

void Soak::pickList() {
  const auto& ui = form_->controls();
  // Each list and the code it writes; a rotary list may also write the other one.
  const std::tuple<QComboBox*, QComboBox*, int, int> uses[] = {
      {ui.analogInputModeList, nullptr, code::SetAnalogInputMode, 0},
      {ui.masterClutchList, nullptr, code::SetMasterClutchMode, 0},
      {ui.rotaryLeftList, ui.rotaryRightList, code::SetRotarySwitchLeftMode, 0},
      {ui.rotaryRightList, ui.rotaryLeftList, code::SetRotarySwitchRightMode, 0},
      {ui.pulseWidthList, nullptr, code::SetEncoderPulseWidth, 1},
      {ui.xCurveTypeList, nullptr, code::SetXCurveType, 0},
      {ui.yCurveTypeList, nullptr, code::SetYCurveType, 0}};
  const auto& [list, other, c, offset] = uses[rnd(7)];
  if (!list->isEnabled() || list->count() == 0) return;
  const int before = list->currentIndex(), pick = rnd(list->count());
  list->setCurrentIndex(pick);
  if (pick == before) return;
  commit({{c, other ? list->currentIndex() : pick + offset}});
  const int otherCode = code::SetRotarySwitchLeftMode + code::SetRotarySwitchRightMode - c;
  if (other) commit({{otherCode, other->currentIndex()}}, true);
}

// A drag (positions, then release) or a key on one of the four sliders.
void Soak::useSlider(bool drag) {
  const auto& ui = form_->controls();
  // Slider, low code and whether it sends two bytes; else one byte of position + 5.
  const std::tuple<QSlider*, int, bool> uses[] = {
      {ui.clutchBiteSlider, code::SetClutchBiteLsb, true},
      {ui.ledSlider, code::SetLedIntensityLsb, true},
      {ui.xCurveNumberSlider, code::SetXCurveNumber, false},
      {ui.yCurveNumberSlider, code::SetYCurveNumber, false}};
  const Qt::Key keys[] = {Qt::Key_Left,     Qt::Key_Right, Qt::Key_PageUp,
                          Qt::Key_PageDown, Qt::Key_Home,  Qt::Key_End};
  const auto& [s, lowCode, word] = uses[rnd(4)];
  if (!s->isEnabled()) return;
  if (drag) {
    s->setSliderDown(true);
    for (int i = 1 + rnd(5); i > 0; --i)
      s->setSliderPosition(s->minimum() + rnd(s->maximum() - s->minimum() + 1));
    // The release's high byte meets a lost board.
    if (word && chance(150)) editSends_.clear(), pending_ = UnplugOnSet, pendingCount_ = 1;
    s->setSliderDown(false);
  } else {
    QTest::keyClick(s, keys[rnd(6)]);
  }
  const int v = s->value();
  if (!word) return commit({{lowCode, v + 5}}, !drag);
  commit({{lowCode, v % 256}, {lowCode + 1, v / 256}}, !drag);
}

void Soak::typeField() {
  const auto& ui = form_->controls();
  // Field, low code and its slider; no slider: a dead zone.
  const std::tuple<QLineEdit*, int, QSlider*> uses[] = {
      {ui.clutchBiteField, code::SetClutchBiteLsb, ui.clutchBiteSlider},
      {ui.ledField, code::SetLedIntensityLsb, ui.ledSlider},
      {ui.xDeadLowField, code::SetXDeadLowLsb, nullptr},
      {ui.xDeadHighField, code::SetXDeadHighLsb, nullptr},
      {ui.yDeadLowField, code::SetYDeadLowLsb, nullptr},
      {ui.yDeadHighField, code::SetYDeadHighLsb, nullptr}};
  const auto& [field, lowCode, slider] = uses[rnd(6)];
  if (!field->isEnabled()) return;
  field->clear();
  QTest::keyClicks(field, QString::fromLatin1(kTyped[rnd(std::size(kTyped))]));
  if (slider) holdStartMs_ = nowMs();
  if (chance(150)) pending_ = UnplugOnSet, pendingCount_ = 0;
  QTest::keyClick(field, Qt::Key_Return);
  const auto percent = board::ParseLocaleNumber(field->text(), form_->locale());
  const int v = slider ? slider->value() : percent ? board::PercentToRaw(*percent) : 0;
  // A slider's text may be refused; a dead zone always sends what it shows.
  commit({{lowCode, v % 256}, {lowCode + 1, v / 256}}, slider != nullptr);
}

// Calibration (a refused X closes its modal box from inside its own loop),
// the curve panel and Clear Chart.
void Soak::clickButton() {
  const auto& ui = form_->controls();
  QPushButton *x = ui.calibrateXButton, *y = ui.calibrateYButton;
  QPushButton* const buttons[] = {x, y, x, y, ui.clearChartButton, ui.showCurveButtons[rnd(2)]};
  QPushButton* b = buttons[rnd(6)];
  if (!b->isEnabled()) return;
  if (b == x && ui.analogInputModeList->currentIndex() != 1)
    QTimer::singleShot(0, [] {
      for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* box = qobject_cast<QMessageBox*>(w); box && box->isVisible()) box->done(0);
    });
  QTest::mouseClick(b, Qt::LeftButton);
}

void Soak::resetAll() {
  // The backup's message, or the question when there is none: reset anyway.
  QTimer::singleShot(0, [] {
    for (QWidget* w : QApplication::topLevelWidgets())
      if (auto* box = qobject_cast<QMessageBox*>(w); box && box->isVisible()) {
        if (QAbstractButton* yes = box->button(QMessageBox::Yes))
          yes->click();
        else
          box->done(0);
      }
  });
  QTest::mouseClick(form_->controls().resetAllButton, Qt::LeftButton);
  // The backup's read-back leaves the controls showing what they showed.
  readBackDisturbed_ = true;
  const int d = editDevice_;
  if (d < 0) return;
  if (resetSent_ < 0) return violation("Reset All sent nothing to a ready board");
  if (resetSent_ == 0) return ++fig.lostToFault, expected_[d].clear();
  for (int c : kSettingCodes) {
    ++fig.committed;
    expected_[d][c] = sim::BoardFirmware::FactoryDefaults()[c];
    pendingVerify_.insert({d, c});
  }
}

// ---- Invariants ----

void Soak::checkInvariants() {
  const auto& board = form_->board();
  const int held =
      (board.featureHandle() != hid::kNoHandle) + (board.inputHandle() != hid::kNoHandle);
  if (boards_.openHandleCount() != held)
    violation("the platform has " + to_string(boards_.openHandleCount()) +
              " handles open, the window holds " + to_string(held));
  if (boards_.badCloseCount() != 0) violation("a handle was closed twice");
  if (platform_.badBuffers() != 0) violation("a feature buffer of the wrong length");
  if (board.isOpen() && board.featureHandle() == hid::kNoHandle)
    violation("an open board without a handle");
  // A board lost during a poll's read-back is noticed by the next poll.
  staleSteps_ = board.isOpen() && board.featureHandle() == deadHandle_ ? staleSteps_ + 1 : 0;
  if (staleSteps_ > 1) violation("the window still holds a board unplugged before the poll");
  for (int d = 0; d < 2; ++d)
    for (auto& [c, value] : expected_[d]) {
      const int on = boards_.firmware(d).setting(c);
      fig.verified += on == value && pendingVerify_.erase({d, c});
      if (on == value) continue;
      violation("board " + to_string(d) + " holds " + to_string(on) + " at code " + to_string(c) +
                ", the user committed " + to_string(value));
      value = on;  // report each loss once
    }
}

// After a clean read-back the controls show what the board stores.
void Soak::checkReadBack() {
  if (!readBackSeen_ || !ready() || readBackDisturbed_ || !sawSettings_ || !sawLed_) return;
  const int d = openDevice();
  if (d < 0 || d > 1) return;
  ++fig.readBacksCompared;
  const auto& ui = form_->controls();
  const auto at = [&](int c) { return int{boards_.firmware(d).setting(c)}; };
  const auto word = [&](int low) { return at(low) + 256 * at(low + 1); };
  const auto eq = [&](const char* what, int shown, int stored) {
    if (shown != stored)
      violation(std::string("after a read-back ") + what + " shows " + to_string(shown) +
                ", the board stores " + to_string(stored));
  };
  eq("delay", ui.pulseWidthList->currentIndex(), at(code::SetEncoderPulseWidth) - 1);
  eq("analog mode", ui.analogInputModeList->currentIndex(), at(code::SetAnalogInputMode));
  eq("master clutch", ui.masterClutchList->currentIndex(), at(code::SetMasterClutchMode));
  const int left = at(code::SetRotarySwitchLeftMode), right = at(code::SetRotarySwitchRightMode);
  // A half-sent pairing is left to the pairing rule.
  if (!(board::IsRotaryPairing(left) || board::IsRotaryPairing(right)) || left == right) {
    eq("left rotary", ui.rotaryLeftList->currentIndex(), left);
    eq("right rotary", ui.rotaryRightList->currentIndex(), right);
  }
  // A pairing shown in the left list keeps the right one off, as a pick does.
  if (board::IsRotaryPairing(ui.rotaryLeftList->currentIndex()) && ui.rotaryRightList->isEnabled())
    violation("after a read-back the right rotary list is on beside a left pairing");
  eq("X curve", ui.xCurveTypeList->currentIndex(), at(code::SetXCurveType));
  eq("Y curve", ui.yCurveTypeList->currentIndex(), at(code::SetYCurveType));
  eq("X curve number", ui.xCurveNumberSlider->value(), at(code::SetXCurveNumber) - 5);
  eq("Y curve number", ui.yCurveNumberSlider->value(), at(code::SetYCurveNumber) - 5);
  eq("LED", ui.ledSlider->value(), word(code::SetLedIntensityLsb));
  if (form_->biteFollowsBoard())
    eq("clutch bite", ui.clutchBiteSlider->value(), word(code::SetClutchBiteLsb));
  for (auto [field, low] : {std::pair{ui.xDeadLowField, code::SetXDeadLowLsb},
                            {ui.xDeadHighField, code::SetXDeadHighLsb},
                            {ui.yDeadLowField, code::SetYDeadLowLsb},
                            {ui.yDeadHighField, code::SetYDeadHighLsb}})
    if (field->text() !=
        board::PercentText(board::RawToPercent(word(low)), form_->locale().decimalPoint().at(0)))
      violation("after a read-back a dead zone shows " + field->text().toStdString() + " for raw " +
                to_string(word(low)));
}

}  // namespace torvex::test
