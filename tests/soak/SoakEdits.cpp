// The user's side of the fault soak: every kind of edit a user can make,
// each telling the soak which setting bytes it committed.
#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QSlider>
#include <QTest>
#include <QTimer>

#include "board/Percent.h"
#include "protocol/Protocol.h"
#include "sim/BoardFirmware.h"
#include "soak/Soak.h"

namespace torvex::test {
namespace {

namespace code = protocol::code;

// Every setting byte the window can write.
const int kSettingCodes[] = {0x40, 0x45, 0x46, 0x47, 0x48, 0x49, 0x4A, 0x54, 0x55, 0x56, 0x57,
                             0x58, 0x59, 0x5A, 0x5B, 0x5C, 0x5D, 0x5E, 0x5F, 0x60, 0x61};

const char* const kTyped[] = {"50",    "99.95", "100",  "-5",  "1e400", "abc",   "",
                              " 7,3 ", "12.5",  "0",    "3.3", "10.6",  "10.45", "1.234,5",
                              "x9",    "0.05",  "99.9", "5",   "2,5",   "1e2",   "  "};

// The calibration refusal is a modal box: close it from inside its own loop.
void DismissModalSoon() {
  QTimer::singleShot(0, [] {
    for (QWidget* w : QApplication::topLevelWidgets())
      if (auto* box = qobject_cast<QMessageBox*>(w); box && box->isVisible()) box->done(0);
  });
}

struct SliderUse {
  QSlider* slider;
  int lowCode;
  bool word;  // two bytes; else one byte of position + 5
};

}  // namespace

void Soak::userAction() {
  switch (rnd(20)) {
    case 0:
    case 1:
    case 2:
    case 3:
      return pickList();
    case 4:
    case 5:
    case 6:
      return useSlider(true);
    case 7:
    case 8:
      return useSlider(false);
    case 9:
    case 10:
    case 11:
    case 12:
      return typeField();
    case 13:
    case 14:
      return clickCalibration();
    case 15:
      return clickCurvePanel();
    case 16:
      return switchBoard();
    case 17:
      return resetAll();
    default:
      return moveHands();
  }
}

void Soak::pickList() {
  const auto& ui = form_->controls();
  // Each list and the code it writes; a rotary list may also write the other one.
  const struct {
    QComboBox* list;
    int code, pairedCode, offset;
  } uses[] = {
      {ui.analogInputModeList, code::SetAnalogInputMode, -1, 0},
      {ui.masterClutchList, code::SetMasterClutchMode, -1, 0},
      {ui.rotaryLeftList, code::SetRotarySwitchLeftMode, code::SetRotarySwitchRightMode, 0},
      {ui.rotaryRightList, code::SetRotarySwitchRightMode, code::SetRotarySwitchLeftMode, 0},
      {ui.pulseWidthList, code::SetEncoderPulseWidth, -1, 1},
      {ui.xCurveTypeList, code::SetXCurveType, -1, 0},
      {ui.yCurveTypeList, code::SetYCurveType, -1, 0}};
  const auto& u = uses[rnd(7)];
  if (!u.list->isEnabled() || u.list->count() == 0) return;
  const int before = u.list->currentIndex();
  const int pick = rnd(u.list->count());
  ++fig_.actions["pick a list entry"];
  const Edit e = beginEdit();
  u.list->setCurrentIndex(pick);
  if (pick == before) return;
  const auto shown = [&](int c) {
    return (c == code::SetRotarySwitchLeftMode ? ui.rotaryLeftList : ui.rotaryRightList)
        ->currentIndex();
  };
  commit(e, {{u.code, u.pairedCode < 0 ? pick + u.offset : shown(u.code)}});
  if (u.pairedCode >= 0) commit(e, {{u.pairedCode, shown(u.pairedCode)}}, true);
}

// A drag (positions, then release) or a key on one of the four sliders.
void Soak::useSlider(bool drag) {
  const auto& ui = form_->controls();
  const SliderUse uses[] = {{ui.clutchBiteSlider, code::SetClutchBiteLsb, true},
                            {ui.ledSlider, code::SetLedIntensityLsb, true},
                            {ui.xCurveNumberSlider, code::SetXCurveNumber, false},
                            {ui.yCurveNumberSlider, code::SetYCurveNumber, false}};
  const Qt::Key keys[] = {Qt::Key_Left,     Qt::Key_Right, Qt::Key_PageUp,
                          Qt::Key_PageDown, Qt::Key_Home,  Qt::Key_End};
  const SliderUse& u = uses[rnd(4)];
  if (!u.slider->isEnabled()) return;
  ++fig_.actions[drag ? "drag a slider" : "slider key"];
  const Edit e = beginEdit();
  if (drag) {
    const int span = u.slider->maximum() - u.slider->minimum() + 1;
    u.slider->setSliderDown(true);
    for (int i = 1 + rnd(5); i > 0; --i)
      u.slider->setSliderPosition(u.slider->minimum() + rnd(span));
    if (u.word && chance(150)) {
      pending_ = Pending::UnplugAfterSets;  // the release's high byte meets a lost board
      pendingCount_ = 1;
      editSends_.clear();
    }
    u.slider->setSliderDown(false);
    if (pending_ == Pending::UnplugAfterSets) pending_ = Pending::None;
  } else {
    QTest::keyClick(u.slider, keys[rnd(6)]);
  }
  const int v = u.slider->value();
  if (u.word)
    commit(e, {{u.lowCode, v % 256}, {u.lowCode + 1, v / 256}}, !drag);
  else
    commit(e, {{u.lowCode, v + 5}}, !drag);
}

void Soak::typeField() {
  const auto& ui = form_->controls();
  struct FieldUse {
    QLineEdit* field;
    int lowCode;
    QSlider* slider;  // null: a dead zone
  } uses[] = {{ui.clutchBiteField, code::SetClutchBiteLsb, ui.clutchBiteSlider},
              {ui.ledField, code::SetLedIntensityLsb, ui.ledSlider},
              {ui.xDeadLowField, code::SetXDeadLowLsb, nullptr},
              {ui.xDeadHighField, code::SetXDeadHighLsb, nullptr},
              {ui.yDeadLowField, code::SetYDeadLowLsb, nullptr},
              {ui.yDeadHighField, code::SetYDeadHighLsb, nullptr}};
  const FieldUse& u = uses[rnd(6)];
  if (!u.field->isEnabled()) return;
  ++fig_.actions["type text and Enter"];
  const Edit e = beginEdit();
  u.field->clear();
  QTest::keyClicks(u.field, QString::fromLatin1(kTyped[rnd(std::size(kTyped))]));
  if (u.slider) refreshHoldStartMs_ = boards_.nowUs() / 1000;
  if (chance(150)) {
    pending_ = Pending::UnplugAfterSets;
    pendingCount_ = 0;
  }
  QTest::keyClick(u.field, Qt::Key_Return);
  if (pending_ == Pending::UnplugAfterSets) pending_ = Pending::None;
  int v = 0;
  if (u.slider) {
    v = u.slider->value();
  } else if (const auto percent = board::ParseLocaleNumber(u.field->text(), form_->locale())) {
    v = board::PercentToRaw(*percent);
  }
  // A slider's text may be refused; a dead zone always sends what it shows.
  commit(e, {{u.lowCode, v % 256}, {u.lowCode + 1, v / 256}}, u.slider != nullptr);
}

void Soak::clickCalibration() {
  const auto& ui = form_->controls();
  QPushButton* b = rnd(2) ? ui.calibrateXButton : ui.calibrateYButton;
  if (!b->isEnabled()) return;
  ++fig_.actions[b == ui.calibrateXButton ? "calibrate X click" : "calibrate Y click"];
  if (b == ui.calibrateXButton && ui.analogInputModeList->currentIndex() != 1) {
    ++fig_.actions["calibrate X refused (box dismissed)"];
    DismissModalSoon();
  }
  beginEdit();
  QTest::mouseClick(b, Qt::LeftButton);
}

void Soak::clickCurvePanel() {
  const auto& ui = form_->controls();
  QPushButton* b = rnd(3) == 0 ? ui.clearChartButton : ui.showCurveButtons[rnd(2)];
  if (!b->isEnabled()) return;
  ++fig_.actions["curve panel or clear chart"];
  beginEdit();
  QTest::mouseClick(b, Qt::LeftButton);
}

void Soak::switchBoard() {
  QComboBox* list = form_->controls().serialNumberList;
  if (!list->isEnabled() || list->count() < 2) return;
  ++fig_.actions["switch board"];
  beginEdit();
  list->setCurrentIndex(rnd(list->count()));
}

void Soak::resetAll() {
  ++fig_.actions["Reset All"];
  const Edit e = beginEdit();
  QTest::mouseClick(form_->controls().resetAllButton, Qt::LeftButton);
  if (e.ready && e.device >= 0) {
    if (!resetSeen_) violation("Reset All sent nothing to a ready board");
    if (resetOk_) {
      const auto& defaults = sim::BoardFirmware::FactoryDefaults();
      for (int c : kSettingCodes) {
        ++fig_.settingsCommitted;
        expected_[e.device][c] = defaults[c];
        pendingVerify_.insert({e.device, c});
      }
    } else {
      expected_[e.device].clear();
      ++fig_.settingsHitByFault;
    }
  }
}

void Soak::moveHands() {
  const int d = rnd(2);
  auto& fw = boards_.firmware(d);
  ++fig_.actions["hands on the board"];
  if (rnd(2))
    fw.setPaddle(rnd(2), static_cast<std::uint16_t>(rng_()));
  else
    fw.setButton(rnd(64), rnd(2));
}

}  // namespace torvex::test
