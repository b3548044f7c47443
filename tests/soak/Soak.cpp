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

#include "board/Percent.h"
#include "protocol/Protocol.h"
#include "sim/BoardFirmware.h"

namespace torvex::test {
namespace {

namespace code = protocol::code;

constexpr std::int64_t kReportPeriodUs = 8000;
constexpr std::size_t kMaxListedViolations = 20;

int Word(const sim::BoardFirmware& fw, int lowCode) {
  return fw.setting(lowCode) + 256 * fw.setting(lowCode + 1);
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
    return form_ ? form_->board().featureLength() : 0;
  };
  form_ = std::make_unique<gui::MainWindow>(platform_, locale);
  form_->start();
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
  if (form_->biteHoldTimer()->isActive() && refreshHoldStartMs_ >= 0 &&
      nowMs - refreshHoldStartMs_ >= form_->biteHoldTimer()->interval()) {
    form_->onBiteHoldElapsed();
    refreshHoldStartMs_ = -1;
  }
  boards_.advanceUs(std::int64_t{form_->pollTimer()->interval()} * 1000);
  form_->onPollTick();
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
  const bool inReadBack = c == Call::GetFeature && !form_->board().isLoaded();
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
  if (!form_ || form_->board().isLoaded()) return;
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

// ---- Invariants ----

int Soak::openDevice() const {
  return form_->board().isOpen() ? platform_.deviceOf(form_->board().featureHandle()) : -1;
}

void Soak::violation(const std::string& what) {
  ++fig_.violations;
  if (fig_.firstViolations.size() < kMaxListedViolations)
    fig_.firstViolations.push_back("tick " + std::to_string(fig_.ticks) + ": " + what);
}

void Soak::checkInvariants(const char* where) {
  const int held = (form_->board().featureHandle() != hid::kNoHandle) +
                   (form_->board().inputHandle() != hid::kNoHandle);
  if (boards_.openHandleCount() != held)
    violation(std::string(where) + ": platform has " + std::to_string(boards_.openHandleCount()) +
              " handles open, the window holds " + std::to_string(held));
  if (boards_.badCloseCount() != 0) violation("a handle was closed twice");
  if (platform_.badBuffers() != 0) violation("a feature buffer of the wrong length");
  if (form_->board().isOpen() && form_->board().featureHandle() == hid::kNoHandle)
    violation("an open board without a handle");
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
  if (!readBackSeen_ || !form_->board().isLoaded() || !form_->board().isOpen()) return;
  if (readBackDisturbed_ || !sawSettings_ || !sawLed_) {
    ++fig_.readBacksDisturbed;
    return;
  }
  const int d = openDevice();
  if (d < 0 || d > 1) return;
  ++fig_.readBacksCompared;
  const auto& fw = boards_.firmware(d);
  gui::MainWindow& f = *form_;
  auto expectEq = [&](const char* what, long long shown, long long stored) {
    if (shown != stored)
      violation(std::string("after a read-back ") + what + " shows " + std::to_string(shown) +
                ", the board stores " + std::to_string(stored));
  };
  expectEq("delay", f.controls().pulseWidthList->currentIndex(),
           fw.setting(code::SetEncoderPulseWidth) - 1);
  expectEq("analog mode", f.controls().analogInputModeList->currentIndex(),
           fw.setting(code::SetAnalogInputMode));
  expectEq("master clutch", f.controls().masterClutchList->currentIndex(),
           fw.setting(code::SetMasterClutchMode));
  const int left = fw.setting(code::SetRotarySwitchLeftMode);
  const int right = fw.setting(code::SetRotarySwitchRightMode);
  const bool paired = left >= 3 || right >= 3;
  if (!paired || left == right) {
    expectEq("left rotary", f.controls().rotaryLeftList->currentIndex(), left);
    expectEq("right rotary", f.controls().rotaryRightList->currentIndex(), right);
  } else {
    ++fig_.rotaryComparisonsSkipped;  // a half-sent pairing: the pairing rule decides
  }
  expectEq("X curve", f.controls().xCurveTypeList->currentIndex(), fw.setting(code::SetXCurveType));
  expectEq("Y curve", f.controls().yCurveTypeList->currentIndex(), fw.setting(code::SetYCurveType));
  expectEq("X curve number", f.controls().xCurveNumberSlider->value(),
           fw.setting(code::SetXCurveNumber) - 5);
  expectEq("Y curve number", f.controls().yCurveNumberSlider->value(),
           fw.setting(code::SetYCurveNumber) - 5);
  expectEq("LED", f.controls().ledSlider->value(), Word(fw, code::SetLedIntensityLsb));
  if (f.biteFollowsBoard())
    expectEq("clutch bite", f.controls().clutchBiteSlider->value(),
             Word(fw, code::SetClutchBiteLsb));
  const std::pair<QLineEdit*, int> deadZones[] = {
      {f.controls().xDeadLowField, code::SetXDeadLowLsb},
      {f.controls().xDeadHighField, code::SetXDeadHighLsb},
      {f.controls().yDeadLowField, code::SetYDeadLowLsb},
      {f.controls().yDeadHighField, code::SetYDeadHighLsb}};
  for (auto [field, low] : deadZones)
    if (field->text() !=
        board::PercentText(board::RawToPercent(Word(fw, low)), f.locale().decimalPoint().at(0)))
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
