// SPDX-License-Identifier: MIT
// The fault soak: the real window against two emulated boards and a foreign
// device on a virtual clock, driven by a seeded random mix of user edits and
// faults, with the window's invariants checked after every step.
#pragma once
#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QSlider>
#include <QTemporaryDir>
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

namespace code = protocol::code;
using std::to_string;

inline constexpr std::int64_t kReportPeriodUs = 8000;

// Every setting byte the window can write.
inline const int kSettingCodes[] = {0x40, 0x45, 0x46, 0x47, 0x48, 0x49, 0x4A,
                                    0x54, 0x55, 0x56, 0x57, 0x58, 0x59, 0x5A,
                                    0x5B, 0x5C, 0x5D, 0x5E, 0x5F, 0x60, 0x61};

inline const char* const kTyped[] = {"50",    "99.95", "100",  "-5",  "1e400", "abc",   "",
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
    form_->setProfileStore(board::ProfileStore(profiles_.path()));
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

  void pickList();
  void useSlider(bool drag);
  void typeField();
  void clickButton();
  void resetAll();
  void checkInvariants();
  void checkReadBack();

  QTemporaryDir profiles_;  // the backups taken before each reset
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

}  // namespace torvex::test
