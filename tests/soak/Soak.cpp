#include "soak/Soak.h"

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QSlider>
#include <QTest>
#include <QTimer>
#include <sstream>

#include "protocol/Protocol.h"
#include "sim/BoardFirmware.h"

namespace torvex::test {
namespace {

namespace code = protocol::code;

constexpr std::int64_t kReportPeriodUs = 8000;
constexpr std::size_t kMaxListedViolations = 20;

// Every setting byte the window can write.
const int kSettingCodes[] = {0x40, 0x45, 0x46, 0x47, 0x48, 0x49, 0x4A, 0x54, 0x55, 0x56, 0x57,
                             0x58, 0x59, 0x5A, 0x5B, 0x5C, 0x5D, 0x5E, 0x5F, 0x60, 0x61};

const char* const kTyped[] = {"50",    "99.95", "100",  "-5",  "1e400", "abc",   "",
                              " 7,3 ", "12.5",  "0",    "3.3", "10.6",  "10.45", "1.234,5",
                              "x9",    "0.05",  "99.9", "5",   "2,5",   "1e2",   "  "};

int Word(const sim::BoardFirmware& fw, int lowCode) {
  return fw.setting(lowCode) + 256 * fw.setting(lowCode + 1);
}

// The calibration refusal is a modal box: close it from inside its own loop.
void DismissModalSoon() {
  QTimer::singleShot(0, [] {
    for (QWidget* w : QApplication::topLevelWidgets())
      if (auto* box = qobject_cast<QMessageBox*>(w); box && box->isVisible()) box->done(0);
  });
}

}  // namespace

Soak::Soak(std::uint64_t seed, const QLocale& locale) : rng_(seed) {
  for (const char16_t* serial : {u"SOAK-A", u"SOAK-B"}) {
    sim::Identity id;
    id.serialNumber = serial;
    const int d = boards_.addBoard(id);
    boards_.device(d).reportPeriodUs = kReportPeriodUs;
  }
  boards_.addForeign(0x046D, 0xC52B);
  platform_.before = [this](Call c, hid::Handle h) { return onCall(c, h); };
  platform_.sent = [this](hid::Handle h, std::span<const std::uint8_t> f, bool ok) {
    onSent(h, f, ok);
  };
  platform_.reply = [this](hid::Handle h, std::span<std::uint8_t> r) { onReply(h, r); };
  platform_.featureLength = [this](hid::Handle) -> std::size_t {
    return form_ ? form_->FeatureReportLength : 0;
  };
  form_ = std::make_unique<frmMain>(platform_, locale);
  form_->Form_Load();
  checkReadBack();
  checkInvariants("load");
}

Soak::~Soak() {
  form_.reset();
}

void Soak::run(std::int64_t ticks) {
  for (std::int64_t i = 0; i < ticks && fig_.violations < 50; ++i) step();
  form_.reset();
  if (boards_.openHandleCount() != 0) violation("handles left open after closing the window");
  if (boards_.badCloseCount() != 0) violation("a handle was closed twice");
  fig_.virtualMs = boards_.nowUs() / 1000;
}

void Soak::step() {
  readBackDisturbed_ = sawSettings_ = sawLed_ = readBackSeen_ = false;
  replugDue();
  if (chance(40)) injectFault();
  if (chance(300)) userAction();
  tick();
  checkReadBack();
  checkInvariants("step");
}

void Soak::tick() {
  const std::int64_t nowMs = boards_.nowUs() / 1000;
  if (form_->sliderRefreshTimer->isActive() && refreshHoldStartMs_ >= 0 &&
      nowMs - refreshHoldStartMs_ >= form_->sliderRefreshTimer->interval()) {
    form_->sliderRefreshTimer_Timer();
    refreshHoldStartMs_ = -1;
  }
  boards_.advanceUs(std::int64_t{form_->Timer->interval()} * 1000);
  form_->Timer_Timer();
  ++fig_.ticks;
}

void Soak::replugDue() {
  const std::int64_t nowMs = boards_.nowUs() / 1000;
  for (int d = 0; d < 2; ++d) {
    if (replugAtMs_[d] >= 0 && nowMs >= replugAtMs_[d]) {
      boards_.plug(d);
      replugAtMs_[d] = -1;
    }
    if (quietUntilMs_[d] >= 0 && nowMs >= quietUntilMs_[d]) {
      boards_.device(d).reportPeriodUs = kReportPeriodUs;
      quietUntilMs_[d] = -1;
    }
  }
}

// ---- Faults ----

void Soak::injectFault() {
  const std::int64_t nowMs = boards_.nowUs() / 1000;
  const int d = rnd(2);
  auto& dev = boards_.device(d);
  switch (rnd(10)) {
    case 0:
    case 1:
      if (!dev.plugged) return;
      boards_.unplug(d);
      replugAtMs_[d] = nowMs + 20 + rnd(3000);
      ++fig_.faults["unplug at a random moment"];
      readBackDisturbed_ = true;
      return;
    case 2:
      if (pending_ != Pending::None) return;
      pending_ = Pending::UnplugAfterReads;
      pendingCount_ = rnd(4);
      return;
    case 3:
      if (pending_ == Pending::None) pending_ = Pending::FailNextSet;
      return;
    case 4:
      if (pending_ == Pending::None) pending_ = Pending::FailNextRead;
      return;
    case 5:
      if (pending_ != Pending::None) return;
      pending_ = Pending::Mangle;
      mangleKind_ = rnd(4);
      return;
    case 6:
      if (quietUntilMs_[d] >= 0) return;
      dev.reportPeriodUs = 0;  // reports only on change: a quiet board
      quietUntilMs_[d] = nowMs + 100 + rnd(5000);
      ++fig_.faults["input reports stop"];
      return;
    case 7:
      dev.failNext[sim::Op::ReadInput] = 1;
      ++fig_.faults["input read fails"];
      return;
    case 8:
      dev.failNext[rnd(2) ? sim::Op::Open : sim::Op::SerialNumber] = 1;
      ++fig_.faults["open or serial number fails"];
      readBackDisturbed_ = true;
      return;
    default:
      dev.failNext[rnd(2) ? sim::Op::Manufacturer : sim::Op::Product] = 1;
      ++fig_.faults["identity string fails"];
      return;
  }
}

bool Soak::onCall(Call c, hid::Handle h) {
  if (!form_) return false;
  const bool inReadBack = c == Call::GetFeature && !form_->ConfigurationLoaded;
  if (inReadBack) readBackSeen_ = true;
  switch (pending_) {
    case Pending::UnplugAfterSets:
    case Pending::UnplugAfterReads: {
      const bool counts = pending_ == Pending::UnplugAfterSets ? c == Call::SetFeature : inReadBack;
      if (!counts) return false;
      if (pendingCount_-- > 0) return false;
      const int d = platform_.deviceOf(h);
      pending_ = Pending::None;
      if (d < 0 || d > 1 || !boards_.device(d).plugged) return false;
      boards_.unplug(d);
      replugAtMs_[d] = boards_.nowUs() / 1000 + 20 + rnd(2000);
      ++fig_.faults[c == Call::SetFeature ? "unplug between the two bytes of a setting"
                                          : "unplug in the middle of a read-back"];
      readBackDisturbed_ = true;
      return false;
    }
    case Pending::FailNextSet:
      if (c != Call::SetFeature) return false;
      pending_ = Pending::None;
      ++fig_.faults["feature write fails"];
      return true;
    case Pending::FailNextRead:
      if (c != Call::GetFeature) return false;
      pending_ = Pending::None;
      ++fig_.faults["feature read fails"];
      readBackDisturbed_ = true;
      return true;
    default:
      return false;
  }
}

void Soak::onReply(hid::Handle, std::span<std::uint8_t> r) {
  if (pending_ == Pending::Mangle && r.size() > 3) {
    pending_ = Pending::None;
    readBackDisturbed_ = true;
    switch (mangleKind_) {
      case 0:
        std::fill(r.begin(), r.end(), 0xFF);
        ++fig_.faults["garbage reply"];
        break;
      case 1:
        std::fill(r.begin() + 3 + rnd(static_cast<int>(r.size()) - 3), r.end(), 0);
        ++fig_.faults["short reply"];
        break;
      case 2:
        r[2] = r[2] == protocol::kSettingsRecordBase ? protocol::kLedRecordBase
                                                     : protocol::kSettingsRecordBase;
        ++fig_.faults["wrong record"];
        break;
      default:
        for (auto& b : r) b = static_cast<std::uint8_t>(rng_());
        ++fig_.faults["random reply"];
        break;
    }
    return;
  }
  if (!form_ || form_->ConfigurationLoaded) return;
  if (protocol::ParseSettingsRecord(r)) sawSettings_ = true;
  if (protocol::ParseLedRecord(r)) sawLed_ = true;
}

void Soak::onSent(hid::Handle h, std::span<const std::uint8_t> f, bool ok) {
  if (!form_) return;  // the window is closing: its last monitor-off report
  if (!ready()) violation("a report went out while the board was not open and loaded");
  if (platform_.deviceOf(h) != openDevice()) violation("a report went to a handle not held");
  if (f.size() < 4) return;
  if (f[1] == static_cast<std::uint8_t>(protocol::ReportKind::Setting))
    editSends_[f[2]] = {f[3], ok};
  if (f[1] == static_cast<std::uint8_t>(protocol::ReportKind::Reset)) {
    resetSeen_ = true;
    resetOk_ = ok;
  }
}

// ---- User edits ----

Soak::Edit Soak::beginEdit() {
  editSends_.clear();
  resetSeen_ = resetOk_ = false;
  return {ready(), openDevice()};
}

void Soak::commit(const Edit& e, std::initializer_list<std::pair<int, int>> codeValues,
                  bool optional) {
  if (!e.ready || e.device < 0) return;
  for (auto [c, value] : codeValues) {
    auto it = editSends_.find(c);
    if (it == editSends_.end()) {
      if (!optional) violation("a committed edit did not send code " + std::to_string(c));
      continue;
    }
    ++fig_.settingsCommitted;
    if (!it->second.second) {
      ++fig_.settingsHitByFault;
      expected_[e.device].erase(c);
      continue;
    }
    if (it->second.first != (value & 0xFF))
      violation("code " + std::to_string(c) + " sent " + std::to_string(it->second.first) +
                " while the control shows " + std::to_string(value));
    expected_[e.device][c] = value & 0xFF;
    pendingVerify_.insert({e.device, c});
  }
}

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
      return dragSlider();
    case 7:
    case 8:
      return keySlider();
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
  QComboBox* lists[] = {form_->analogInputModeCombo,
                        form_->masterClutchModeCombo,
                        form_->rotarySwitchLeftCombo,
                        form_->rotarySwitchRightCombo,
                        form_->delay,
                        form_->xClutchCurveCombo,
                        form_->yClutchCurveCombo};
  const int which = rnd(7);
  QComboBox* list = lists[which];
  if (!list->isEnabled() || list->count() == 0) return;
  const int before = list->currentIndex();
  const int pick = rnd(list->count());
  ++fig_.actions["pick a list entry"];
  const Edit e = beginEdit();
  list->setCurrentIndex(pick);
  if (pick != before) {
    const int left = form_->rotarySwitchLeftCombo->currentIndex();
    const int right = form_->rotarySwitchRightCombo->currentIndex();
    switch (which) {
      case 0:
        commit(e, {{code::SetAnalogInputMode, pick}});
        break;
      case 1:
        commit(e, {{code::SetMasterClutchMode, pick}});
        break;
      case 2:
        commit(e, {{code::SetRotarySwitchLeftMode, left}});
        commit(e, {{code::SetRotarySwitchRightMode, right}}, true);
        break;
      case 3:
        commit(e, {{code::SetRotarySwitchRightMode, right}});
        commit(e, {{code::SetRotarySwitchLeftMode, left}}, true);
        break;
      case 4:
        commit(e, {{code::SetEncoderPulseWidth, pick + 1}});
        break;
      case 5:
        commit(e, {{code::SetXCurveType, pick}});
        break;
      default:
        commit(e, {{code::SetYCurveType, pick}});
        break;
    }
  }
}

struct SliderUse {
  QSlider* slider;
  int lowCode;
  bool word;  // two bytes; else one byte of position + 5
};

void Soak::dragSlider() {
  const SliderUse uses[] = {{form_->clutchBiteSlider, code::SetClutchBiteLsb, true},
                            {form_->ledSlider, code::SetLedIntensityLsb, true},
                            {form_->xSliderCurveNumber, code::SetXCurveNumber, false},
                            {form_->ySliderCurveNumber, code::SetYCurveNumber, false}};
  const SliderUse& u = uses[rnd(4)];
  if (!u.slider->isEnabled()) return;
  ++fig_.actions["drag a slider"];
  const Edit e = beginEdit();
  const int span = u.slider->maximum() - u.slider->minimum() + 1;
  u.slider->setSliderDown(true);
  for (int i = 1 + rnd(5); i > 0; --i) u.slider->setSliderPosition(u.slider->minimum() + rnd(span));
  if (u.word && chance(150)) {
    pending_ = Pending::UnplugAfterSets;  // the release's high byte meets a lost board
    pendingCount_ = 1;
    editSends_.clear();
  }
  u.slider->setSliderDown(false);
  if (pending_ == Pending::UnplugAfterSets) pending_ = Pending::None;
  const int v = u.slider->value();
  if (u.word)
    commit(e, {{u.lowCode, v % 256}, {u.lowCode + 1, v / 256}});
  else
    commit(e, {{u.lowCode, v + 5}});
}

void Soak::keySlider() {
  const SliderUse uses[] = {{form_->clutchBiteSlider, code::SetClutchBiteLsb, true},
                            {form_->ledSlider, code::SetLedIntensityLsb, true},
                            {form_->xSliderCurveNumber, code::SetXCurveNumber, false},
                            {form_->ySliderCurveNumber, code::SetYCurveNumber, false}};
  const Qt::Key keys[] = {Qt::Key_Left,     Qt::Key_Right, Qt::Key_PageUp,
                          Qt::Key_PageDown, Qt::Key_Home,  Qt::Key_End};
  const SliderUse& u = uses[rnd(4)];
  if (!u.slider->isEnabled()) return;
  ++fig_.actions["slider key"];
  const Edit e = beginEdit();
  QTest::keyClick(u.slider, keys[rnd(6)]);
  const int v = u.slider->value();
  if (u.word)
    commit(e, {{u.lowCode, v % 256}, {u.lowCode + 1, v / 256}}, true);
  else
    commit(e, {{u.lowCode, v + 5}}, true);
}

void Soak::typeField() {
  struct FieldUse {
    QLineEdit* field;
    int lowCode;
    QSlider* slider;  // null: a dead zone
  } uses[] = {{form_->clutchBitePercentLabel, code::SetClutchBiteLsb, form_->clutchBiteSlider},
              {form_->ledPercentLabel, code::SetLedIntensityLsb, form_->ledSlider},
              {form_->xDeadLow, code::SetXDeadLowLsb, nullptr},
              {form_->xDeadHigh, code::SetXDeadHighLsb, nullptr},
              {form_->yDeadLow, code::SetYDeadLowLsb, nullptr},
              {form_->yDeadHigh, code::SetYDeadHighLsb, nullptr}};
  const FieldUse& u = uses[rnd(6)];
  if (!u.field->isEnabled()) return;
  ++fig_.actions["type text and Enter"];
  const Edit e = beginEdit();
  u.field->clear();
  QTest::keyClicks(u.field, QString::fromLatin1(kTyped[rnd(std::size(kTyped))]));
  if (u.slider) refreshHoldStartMs_ = boards_.nowUs() / 1000;
  const bool between = chance(150);
  if (between) {
    pending_ = Pending::UnplugAfterSets;
    pendingCount_ = 0;
  }
  QTest::keyClick(u.field, Qt::Key_Return);
  if (pending_ == Pending::UnplugAfterSets) pending_ = Pending::None;
  if (u.slider) {
    const int v = u.slider->value();
    commit(e, {{u.lowCode, v % 256}, {u.lowCode + 1, v / 256}}, true);  // text may be refused
  } else {
    const int raw = form_->PercentTextToRaw(u.field->text());
    commit(e, {{u.lowCode, raw % 256}, {u.lowCode + 1, raw / 256}});
  }
}

void Soak::clickCalibration() {
  QPushButton* b = rnd(2) ? form_->CalibrateX : form_->CalibrateY;
  if (!b->isEnabled()) return;
  ++fig_.actions[b == form_->CalibrateX ? "calibrate X click" : "calibrate Y click"];
  if (b == form_->CalibrateX && form_->analogInputModeCombo->currentIndex() != 1) {
    ++fig_.actions["calibrate X refused (box dismissed)"];
    DismissModalSoon();
  }
  beginEdit();
  QTest::mouseClick(b, Qt::LeftButton);
}

void Soak::clickCurvePanel() {
  QPushButton* b = rnd(3) == 0 ? form_->Command1 : form_->checkCurves[rnd(2)];
  if (!b->isEnabled()) return;
  ++fig_.actions["curve panel or clear chart"];
  beginEdit();
  QTest::mouseClick(b, Qt::LeftButton);
}

void Soak::switchBoard() {
  if (!form_->SerNo->isEnabled() || form_->SerNo->count() < 2) return;
  ++fig_.actions["switch board"];
  beginEdit();
  form_->SerNo->setCurrentIndex(rnd(form_->SerNo->count()));
}

void Soak::resetAll() {
  ++fig_.actions["Reset All"];
  const Edit e = beginEdit();
  QTest::mouseClick(form_->Command2, Qt::LeftButton);
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

// ---- Invariants ----

int Soak::openDevice() const {
  return form_->DeviceDetected ? platform_.deviceOf(form_->DeviceHandle) : -1;
}

void Soak::violation(const std::string& what) {
  ++fig_.violations;
  if (fig_.firstViolations.size() < kMaxListedViolations)
    fig_.firstViolations.push_back("tick " + std::to_string(fig_.ticks) + ": " + what);
}

void Soak::checkInvariants(const char* where) {
  const int held = (form_->DeviceHandle != hid::kNoHandle) + (form_->ReadHandle != hid::kNoHandle);
  if (boards_.openHandleCount() != held)
    violation(std::string(where) + ": platform has " + std::to_string(boards_.openHandleCount()) +
              " handles open, the window holds " + std::to_string(held));
  if (boards_.badCloseCount() != 0) violation("a handle was closed twice");
  if (platform_.badBuffers() != 0) violation("a feature buffer of the wrong length");
  if (form_->DeviceDetected && form_->DeviceHandle == hid::kNoHandle)
    violation("DeviceDetected without a handle");
  checkBoardHoldsCommits();
}

void Soak::checkBoardHoldsCommits() {
  for (int d = 0; d < 2; ++d)
    for (auto [c, value] : expected_[d]) {
      const int on = boards_.firmware(d).setting(c);
      if (on != value) {
        violation("board " + std::to_string(d) + " holds " + std::to_string(on) + " at code " +
                  std::to_string(c) + ", the user committed " + std::to_string(value));
        expected_[d][c] = on;  // report each loss once
      } else if (pendingVerify_.erase({d, c})) {
        ++fig_.settingsVerified;
      }
    }
}

// After a clean read-back the controls show what the board stores.
void Soak::checkReadBack() {
  if (!readBackSeen_ || !form_->ConfigurationLoaded || !form_->DeviceDetected) return;
  if (readBackDisturbed_ || !sawSettings_ || !sawLed_) {
    ++fig_.readBacksDisturbed;
    return;
  }
  const int d = openDevice();
  if (d < 0 || d > 1) return;
  ++fig_.readBacksCompared;
  const auto& fw = boards_.firmware(d);
  frmMain& f = *form_;
  auto expectEq = [&](const char* what, long long shown, long long stored) {
    if (shown != stored)
      violation(std::string("after a read-back ") + what + " shows " + std::to_string(shown) +
                ", the board stores " + std::to_string(stored));
  };
  expectEq("delay", f.delay->currentIndex(), fw.setting(code::SetEncoderPulseWidth) - 1);
  expectEq("analog mode", f.analogInputModeCombo->currentIndex(),
           fw.setting(code::SetAnalogInputMode));
  expectEq("master clutch", f.masterClutchModeCombo->currentIndex(),
           fw.setting(code::SetMasterClutchMode));
  const int left = fw.setting(code::SetRotarySwitchLeftMode);
  const int right = fw.setting(code::SetRotarySwitchRightMode);
  const bool paired = left >= 3 || right >= 3;
  if (!paired || left == right) {
    expectEq("left rotary", f.rotarySwitchLeftCombo->currentIndex(), left);
    expectEq("right rotary", f.rotarySwitchRightCombo->currentIndex(), right);
  } else {
    ++fig_.rotaryComparisonsSkipped;  // a half-sent pairing: the pairing rule decides
  }
  expectEq("X curve", f.xClutchCurveCombo->currentIndex(), fw.setting(code::SetXCurveType));
  expectEq("Y curve", f.yClutchCurveCombo->currentIndex(), fw.setting(code::SetYCurveType));
  expectEq("X curve number", f.xSliderCurveNumber->value(), fw.setting(code::SetXCurveNumber) - 5);
  expectEq("Y curve number", f.ySliderCurveNumber->value(), fw.setting(code::SetYCurveNumber) - 5);
  expectEq("LED", f.ledSlider->value(), Word(fw, code::SetLedIntensityLsb));
  if (f.BiteRefreshEnabled)
    expectEq("clutch bite", f.clutchBiteSlider->value(), Word(fw, code::SetClutchBiteLsb));
  const std::pair<QLineEdit*, int> deadZones[] = {{f.xDeadLow, code::SetXDeadLowLsb},
                                                  {f.xDeadHigh, code::SetXDeadHighLsb},
                                                  {f.yDeadLow, code::SetYDeadLowLsb},
                                                  {f.yDeadHigh, code::SetYDeadHighLsb}};
  for (auto [field, low] : deadZones)
    if (field->text() != f.FormatRawPercent(Word(fw, low)))
      violation("after a read-back a dead zone shows " + field->text().toStdString() + " for raw " +
                std::to_string(Word(fw, low)));
}

std::string Soak::report() const {
  std::ostringstream o;
  o << "soak: " << fig_.ticks << " ticks, " << fig_.virtualMs << " ms of virtual time\n";
  o << "  user actions:\n";
  for (const auto& [k, n] : fig_.actions) o << "    " << n << "  " << k << "\n";
  o << "  faults injected:\n";
  int faults = 0;
  for (const auto& [k, n] : fig_.faults) {
    o << "    " << n << "  " << k << "\n";
    faults += n;
  }
  o << "    " << faults << "  in all\n";
  o << "  read-backs compared with the board: " << fig_.readBacksCompared
    << " (disturbed by a fault: " << fig_.readBacksDisturbed
    << ", rotary pair left to the pairing rule: " << fig_.rotaryComparisonsSkipped << ")\n";
  o << "  setting bytes committed: " << fig_.settingsCommitted
    << ", verified on the board: " << fig_.settingsVerified
    << ", lost to a fault on their own send: " << fig_.settingsHitByFault << "\n";
  o << "  violations: " << fig_.violations << "\n";
  for (const auto& v : fig_.firstViolations) o << "    " << v << "\n";
  return o.str();
}

}  // namespace torvex::test
