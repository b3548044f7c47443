#pragma once
// The fault soak: the real window against two emulated boards on a virtual
// clock, driven by a seeded random mix of user edits and faults, with the
// window's invariants checked after every step.

#include <array>
#include <cstdint>
#include <map>
#include <memory>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "gui/MainWindow.h"
#include "support/FaultPlatform.h"

namespace torvex::test {

struct SoakFigures {
  std::int64_t ticks = 0;
  std::int64_t virtualMs = 0;
  std::map<std::string, int> actions;
  std::map<std::string, int> faults;
  int readBacksCompared = 0;   // completed cleanly, controls checked against the board
  int readBacksDisturbed = 0;  // a fault hit them: nothing to compare
  int rotaryComparisonsSkipped = 0;
  int settingsCommitted = 0;   // settings bytes the user committed with the board ready
  int settingsVerified = 0;    // found on the board afterwards
  int settingsHitByFault = 0;  // the very send of that byte failed
  int violations = 0;
  std::vector<std::string> firstViolations;
};

class Soak {
 public:
  Soak(std::uint64_t seed, const QLocale& locale);
  ~Soak();

  void run(std::int64_t ticks);
  const SoakFigures& figures() const { return fig_; }
  std::string report() const;

 private:
  enum class Pending { None, UnplugAfterSets, UnplugAfterReads, FailNextSet, FailNextRead, Mangle };

  void step();
  void tick();
  void userAction();
  void injectFault();
  void replugDue();

  // User edits; each returns the setting codes it must have sent.
  void pickList();
  void useSlider(bool drag);
  void typeField();
  void clickCalibration();
  void clickCurvePanel();
  void switchBoard();
  void resetAll();
  void moveHands();

  // Bookkeeping of one user edit: what the window tried to send, and what it committed.
  struct Edit {
    bool ready = false;  // board open and loaded when the user acted
    int device = -1;
  };
  Edit beginEdit();
  void commit(const Edit& e, std::initializer_list<std::pair<int, int>> codeValues,
              bool optional = false);

  void onSent(hid::Handle h, std::span<const std::uint8_t> frame, bool ok);
  void onReply(hid::Handle h, std::span<std::uint8_t> reply);
  bool onCall(Call c, hid::Handle h);

  void checkInvariants(const char* where);
  void checkReadBack();
  void checkBoardHoldsCommits();
  void violation(const std::string& what);

  int openDevice() const;
  bool ready() const { return form_->board().isOpen() && form_->board().isLoaded(); }
  int rnd(int n) { return static_cast<int>(rng_() % static_cast<std::uint64_t>(n)); }
  bool chance(int perMille) { return rnd(1000) < perMille; }

  sim::VirtualPlatform boards_;
  FaultPlatform platform_{boards_};
  std::unique_ptr<gui::MainWindow> form_;
  std::mt19937_64 rng_;
  SoakFigures fig_;

  // What each board must hold: code -> value, per device.
  std::array<std::map<int, int>, 2> expected_;
  std::array<std::int64_t, 2> replugAtMs_{-1, -1};
  std::array<std::int64_t, 2> quietUntilMs_{-1, -1};
  std::int64_t refreshHoldStartMs_ = -1;

  Pending pending_ = Pending::None;
  int pendingCount_ = 0;
  int mangleKind_ = 0;

  // Sends seen during the current edit: code -> (value, ok) of the last frame.
  std::map<int, std::pair<int, bool>> editSends_;
  bool resetSeen_ = false;
  bool resetOk_ = false;
  // The read-back in progress: replies seen and whether a fault touched it.
  bool readBackDisturbed_ = false;
  bool sawSettings_ = false;
  bool sawLed_ = false;
  bool readBackSeen_ = false;
  // Commits not yet seen on the board.
  std::set<std::pair<int, int>> pendingVerify_;
};

}  // namespace torvex::test
