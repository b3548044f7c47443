// SPDX-License-Identifier: MIT
// The fault soak: the real window against two emulated boards and a foreign
// device on a virtual clock, driven by a seeded random mix of user edits and
// faults, with the window's invariants checked after every step.
// TORVEX_SOAK_TICKS and TORVEX_SOAK_SEED choose its length and seed (20,000
// ticks, seed 1 by default); it prints its figures.
#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QSlider>
#include <QTest>
#include <QTimer>
#include <random>
#include <set>
#include <sstream>

#include "board/Percent.h"
#include "board/Settings.h"
#include "gui/MainWindow.h"
#include "protocol/Protocol.h"
#include "sim/BoardFirmware.h"
#include "support/FaultPlatform.h"

namespace torvex::test {
namespace {

namespace code = protocol::code;
using std::to_string;

constexpr std::int64_t kReportPeriodUs = 8000;

// Every setting byte the window can write.
const int kSettingCodes[] = {0x40, 0x45, 0x46, 0x47, 0x48, 0x49, 0x4A, 0x54, 0x55, 0x56, 0x57,
                             0x58, 0x59, 0x5A, 0x5B, 0x5C, 0x5D, 0x5E, 0x5F, 0x60, 0x61};

const char* const kTyped[] = {"50",    "99.95", "100",  "-5",  "1e400", "abc",   "",
                              " 7,3 ", "12.5",  "0",    "3.3", "10.6",  "10.45", "1.234,5",
                              "x9",    "0.05",  "99.9", "5",   "2,5",   "1e2",   "  "};

class Soak {
 public:
  struct {
    std::int64_t ticks = 0, virtualMs = 0;
    std::map<std::string, int> faults;
    // Setting bytes the user committed with the board ready, those found on the board
    // afterwards and those whose very send failed.
    int committed = 0, verified = 0, lostToFault = 0, readBacksCompared = 0, violations = 0;
    std::vector<std::string> firstViolations;
  } fig;

  Soak(std::uint64_t seed, const QLocale& locale) : rng_(seed) {
    for (const char16_t* serial : {u"SOAK-A", u"SOAK-B"}) {
      sim::Identity id;
      id.serialNumber = serial;
      boards_.device(boards_.addBoard(id)).reportPeriodUs = kReportPeriodUs;
    }
    boards_.addForeign(0x046D, 0xC52B);
    platform_.before = [this](Call c, hid::Handle h) { return onCall(c, h); };
    platform_.sent = [this](hid::Handle h, std::span<const std::uint8_t> f, bool ok) {
      onSent(h, f, ok);
    };
    platform_.reply = [this](hid::Handle, std::span<std::uint8_t> r) { onReply(r); };
    platform_.featureLength = [this](hid::Handle) -> std::size_t {
      return form_ ? form_->board().featureLength() : 0;
    };
    form_ = std::make_unique<gui::MainWindow>(platform_, locale);
    form_->start();
    checkReadBack();
    checkInvariants();
  }

  void run(std::int64_t ticks) {
    for (std::int64_t i = 0; i < ticks && fig.violations < 50; ++i) {
      readBackDisturbed_ = sawSettings_ = sawLed_ = readBackSeen_ = false;
      for (int d = 0; d < 2; ++d) {
        if (replugAtMs_[d] >= 0 && nowMs() >= replugAtMs_[d]) boards_.plug(d), replugAtMs_[d] = -1;
        if (quietUntilMs_[d] >= 0 && nowMs() >= quietUntilMs_[d])
          boards_.device(d).reportPeriodUs = kReportPeriodUs, quietUntilMs_[d] = -1;
      }
      if (chance(40)) injectFault();
      if (chance(300)) userAction();
      if (pending_ == UnplugOnSet) pending_ = None;  // armed by an edit for its own sends only
      auto* hold = form_->biteHoldTimer();
      if (hold->isActive() && holdStartMs_ >= 0 && nowMs() - holdStartMs_ >= hold->interval())
        form_->onBiteHoldElapsed(), holdStartMs_ = -1;
      boards_.advanceUs(std::int64_t{form_->pollTimer()->interval()} * 1000);
      form_->onPollTick();
      ++fig.ticks;
      checkReadBack();
      checkInvariants();
    }
    form_.reset();
    if (boards_.openHandleCount() != 0) violation("handles left open after closing the window");
    if (boards_.badCloseCount() != 0) violation("a handle was closed twice");
    fig.virtualMs = nowMs();
  }

  std::string report() const {
    std::ostringstream o;
    o << "soak: " << fig.ticks << " ticks, " << fig.virtualMs << " ms of virtual time\n"
      << "  faults injected:\n";
    int faults = 0;
    for (const auto& [kind, n] : fig.faults) o << "    " << n << "  " << kind << "\n", faults += n;
    o << "    " << faults << "  in all\n  setting bytes committed: " << fig.committed
      << ", verified on the board: " << fig.verified
      << ", lost to a fault on their own send: " << fig.lostToFault
      << "\n  read-backs compared with the board: " << fig.readBacksCompared
      << "\n  violations: " << fig.violations << "\n";
    for (const auto& v : fig.firstViolations) o << "    " << v << "\n";
    return o.str();
  }

 private:
  // A fault armed for a precise moment; the last four change the next reply.
  enum Armed { None, UnplugOnSet, UnplugOnRead, FailSet, FailRead, Garbage, Short, Wrong, Random };

  std::int64_t nowMs() { return boards_.nowUs() / 1000; }
  bool ready() const { return form_->board().isOpen() && form_->board().isLoaded(); }
  int rnd(int n) { return static_cast<int>(rng_() % static_cast<std::uint64_t>(n)); }
  bool chance(int perMille) { return rnd(1000) < perMille; }
  int openDevice() const {
    return form_->board().isOpen() ? platform_.deviceOf(form_->board().featureHandle()) : -1;
  }
  void fault(const char* kind) { ++fig.faults[kind]; }
  void violation(const std::string& what) {
    if (++fig.violations <= 10)
      fig.firstViolations.push_back("tick " + to_string(fig.ticks) + ": " + what);
  }

  // ---- Faults ----

  void unplug(int d, int withinMs, const char* kind) {
    if (d < 0 || d > 1 || !boards_.device(d).plugged) return;
    if (openDevice() == d) deadHandle_ = form_->board().featureHandle();
    boards_.unplug(d);
    replugAtMs_[d] = nowMs() + 20 + rnd(withinMs);
    readBackDisturbed_ = true;
    fault(kind);
  }

  void injectFault() {
    const int d = rnd(2), k = rnd(10);
    auto& dev = boards_.device(d);
    const Armed armed[] = {UnplugOnRead, FailSet, FailRead, Armed(Garbage + rnd(4))};
    if (k < 2) return unplug(d, 3000, "unplug at a random moment");
    if (k < 6 && pending_ == None) pending_ = armed[k - 2], pendingCount_ = rnd(4);
    if (k == 6 && quietUntilMs_[d] < 0) {
      dev.reportPeriodUs = 0;  // reports only on change: a quiet board
      quietUntilMs_[d] = nowMs() + 100 + rnd(5000);
      fault("input reports stop");
    } else if (k == 7) {
      dev.failNext[sim::Op::ReadInput] = 1;
      fault("input read fails");
    } else if (k == 8) {
      dev.failNext[rnd(2) ? sim::Op::Open : sim::Op::SerialNumber] = 1;
      readBackDisturbed_ = true;
      fault("open or serial number fails");
    } else if (k == 9) {
      dev.failNext[rnd(2) ? sim::Op::Manufacturer : sim::Op::Product] = 1;
      fault("identity string fails");
    }
  }

  bool onCall(Call c, hid::Handle h) {
    if (!form_) return false;
    const bool set = c == Call::SetFeature, read = c == Call::GetFeature;
    const bool readBack = read && !form_->board().isLoaded();
    readBackSeen_ |= readBack;
    if (pending_ == UnplugOnSet || pending_ == UnplugOnRead) {
      if ((pending_ == UnplugOnSet ? set : readBack) && pendingCount_-- == 0) {
        pending_ = None;
        unplug(platform_.deviceOf(h), 2000,
               set ? "unplug between the two bytes of a setting"
                   : "unplug in the middle of a read-back");
      }
    } else if ((pending_ == FailSet && set) || (pending_ == FailRead && read)) {
      fault(set ? "feature write fails" : "feature read fails");
      readBackDisturbed_ |= read;
      pending_ = None;
      return true;
    }
    return false;
  }

  void onReply(std::span<std::uint8_t> r) {
    if (pending_ >= Garbage && r.size() > 3) {
      const char* const kinds[] = {"garbage reply", "short reply", "wrong record", "random reply"};
      fault(kinds[pending_ - Garbage]);
      if (pending_ == Garbage) std::fill(r.begin(), r.end(), 0xFF);
      if (pending_ == Short) std::fill(r.begin() + 3 + rnd(int(r.size()) - 3), r.end(), 0);
      if (pending_ == Wrong) r[2] ^= protocol::kSettingsRecordBase ^ protocol::kLedRecordBase;
      if (pending_ == Random)
        for (auto& b : r) b = static_cast<std::uint8_t>(rng_());
      pending_ = None;
      readBackDisturbed_ = true;
      return;
    }
    if (!form_ || form_->board().isLoaded()) return;
    sawSettings_ |= protocol::ParseSettingsRecord(r).has_value();
    sawLed_ |= protocol::ParseLedRecord(r).has_value();
  }

  void onSent(hid::Handle h, std::span<const std::uint8_t> f, bool ok) {
    if (!form_) return;  // the window is closing: its last monitor-off report
    if (!ready()) violation("a report went out while the board was not open and loaded");
    if (platform_.deviceOf(h) != openDevice()) violation("a report went to a handle not held");
    if (f.size() < 4) return;
    if (f[1] == static_cast<std::uint8_t>(protocol::ReportKind::Setting))
      editSends_[f[2]] = {f[3], sendOrder_++, ok};
    if (f[1] == static_cast<std::uint8_t>(protocol::ReportKind::Reset)) resetSent_ = ok;
  }

  // ---- User edits ----

  void userAction() {
    editSends_.clear();
    resetSent_ = -1;
    editDevice_ = ready() ? openDevice() : -1;
    const int r = rnd(20);
    if (r < 4) return pickList();
    if (r < 9) return useSlider(r < 7);
    if (r < 13) return typeField();
    if (r < 16) return clickButton();
    QComboBox* serials = form_->controls().serialNumberList;
    if (r == 16 && serials->isEnabled() && serials->count() >= 2)
      return serials->setCurrentIndex(rnd(serials->count()));
    if (r == 17) return resetAll();
    auto& fw = boards_.firmware(rnd(2));  // hands on the board
    if (rnd(2)) return fw.setPaddle(rnd(2), static_cast<std::uint16_t>(rng_()));
    fw.setButton(rnd(64), rnd(2));
  }

  // What the edit sent for each code must be what the control shows; bytes
  // listed together go out in that order.
  void commit(std::initializer_list<std::pair<int, int>> codeValues, bool optional = false) {
    const int d = editDevice_;
    if (d < 0) return;
    int lastOrder = -1;
    for (auto [c, value] : codeValues) {
      auto it = editSends_.find(c);
      if (it == editSends_.end() && !optional)
        violation("a committed edit did not send code " + to_string(c));
      if (it == editSends_.end()) continue;
      const auto [sent, order, ok] = it->second;
      ++fig.committed;
      if (order < lastOrder) violation("code " + to_string(c) + " went out before its pair");
      lastOrder = order;
      if (!ok) {
        ++fig.lostToFault;
        expected_[d].erase(c);
        continue;
      }
      if (sent != (value & 0xFF))
        violation("code " + to_string(c) + " sent " + to_string(sent) +
                  " while the control shows " + to_string(value));
      expected_[d][c] = value & 0xFF;
      pendingVerify_.insert({d, c});
    }
  }

  void pickList() {
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
  void useSlider(bool drag) {
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

  void typeField() {
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
  void clickButton() {
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

  void resetAll() {
    QTest::mouseClick(form_->controls().resetAllButton, Qt::LeftButton);
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

  void checkInvariants() {
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
  void checkReadBack() {
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
    if (board::IsRotaryPairing(ui.rotaryLeftList->currentIndex()) &&
        ui.rotaryRightList->isEnabled())
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
        violation("after a read-back a dead zone shows " + field->text().toStdString() +
                  " for raw " + to_string(word(low)));
  }

  sim::VirtualPlatform boards_;
  FaultPlatform platform_{boards_};
  std::unique_ptr<gui::MainWindow> form_;
  std::mt19937_64 rng_;
  std::array<std::map<int, int>, 2> expected_;   // what each board must hold: code -> value
  std::set<std::pair<int, int>> pendingVerify_;  // commits not yet seen on the board
  std::array<std::int64_t, 2> replugAtMs_{-1, -1}, quietUntilMs_{-1, -1};
  std::int64_t holdStartMs_ = -1;
  hid::Handle deadHandle_ = hid::kNoHandle;  // the window's handle when its board was unplugged
  Armed pending_ = None;
  // editDevice_: the board of the current edit when it was ready, else -1;
  // resetSent_ by the current edit: -1 none, 0 failed, 1 taken.
  int staleSteps_ = 0, pendingCount_ = 0, editDevice_ = -1, sendOrder_ = 0, resetSent_ = -1;
  // The current edit's sends: code -> value, order and success of its last frame.
  std::map<int, std::tuple<int, int, bool>> editSends_;
  // The read-back in progress: replies seen and whether a fault touched it.
  bool readBackSeen_ = false, readBackDisturbed_ = false, sawSettings_ = false, sawLed_ = false;
};

TEST(Soak, RandomEditsAndFaultsKeepTheInvariants) {
  const auto env = [](const char* name, long long fallback) {
    const char* v = std::getenv(name);
    return v && *v ? std::strtoll(v, nullptr, 10) : fallback;
  };
  const long long ticks = env("TORVEX_SOAK_TICKS", 20000), seed = env("TORVEX_SOAK_SEED", 1);
  // The comma locale runs a quarter of the length on another seed.
  const std::tuple<const char*, QLocale, int, int> cases[] = {
      {"point locale", QLocale(QLocale::English, QLocale::UnitedStates), 0, 100},
      {"comma locale", QLocale(QLocale::German, QLocale::Germany), 7919, 25}};
  for (const auto& [name, locale, seedOffset, lengthPercent] : cases) {
    SCOPED_TRACE(name);
    Soak soak(static_cast<std::uint64_t>(seed + seedOffset), locale);
    soak.run(ticks * lengthPercent / 100);
    std::printf("[%s, seed %lld]\n%s", name, seed + seedOffset, soak.report().c_str());
    EXPECT_EQ(soak.fig.violations, 0);
    // A soak that injected nothing or committed nothing proves nothing.
    if (ticks >= 5000)
      EXPECT_TRUE(soak.fig.readBacksCompared > 0 && soak.fig.verified > 0 &&
                  soak.fig.lostToFault > 0);
  }
}

}  // namespace
}  // namespace torvex::test
