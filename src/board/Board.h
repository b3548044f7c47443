// SPDX-License-Identifier: MIT
#pragma once
// The board core: finding our boards on the HID platform, and everything the
// tool does with the one it has open. No widgets and no timers: a front end
// decides when to poll, and every pause goes through the platform, so tests
// run on a virtual clock.
//
// Commands reach the board only while it is open and its settings have been
// read back ("loaded"): a front end that shows the settings must not send
// before it shows what the board holds.

#include <QString>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "board/BoardLock.h"
#include "board/InputReport.h"
#include "board/Settings.h"
#include "hid/HidPlatform.h"
#include "protocol/Protocol.h"

namespace torvex::board {

// What a scan of the bus found: the serial number of every board that could
// be opened, in the OS's order, and why the last one that could not failed.
struct ScanResult {
  std::vector<QString> serials;
  hid::OpenError lastOpenError = hid::OpenError::None;
  // A board is present but another user or program holds it.
  bool boardLocked() const {
    return lastOpenError == hid::OpenError::AccessDenied || lastOpenError == hid::OpenError::Busy;
  }
};

struct IdentityStrings {
  std::optional<QString> manufacturer;
  std::optional<QString> product;
};

// Told how a read-back goes, in order, so a window can show each step as the
// board answers. Every method may be left as it is.
class ReadBackObserver {
 public:
  virtual ~ReadBackObserver() = default;
  virtual void identityRead(const IdentityStrings&) {}
  // The identity is in; the settings records come next.
  virtual void recordsNext() {}
  virtual void settingsRead(const protocol::SettingsRecord&) {}
  virtual void ledRead(const protocol::LedRecord&) {}
};

struct ReadBackResult {
  IdentityStrings identity;
  Settings settings;
  bool settingsReceived = false;
  bool ledReceived = false;
  bool complete() const { return settingsReceived && ledReceived; }
};

struct InputPoll {
  bool gone = false;  // the board was unplugged: it has been closed
  // Every whole report read, oldest first: the board may report every
  // millisecond, and a curve needs each point.
  std::vector<InputState> reports;
  // The newest of them, if any.
  std::optional<InputState> newest;
  int reportsDrained = 0;
};

// How a wait for another program's writes goes, as the front end is told.
enum class LockWait {
  Waiting,  // another program has been writing to the board for a second
  Over,     // the wait that was told of has ended: the board is ours
  GaveUp,   // 30 s without the board: what waited sent nothing
};
using LockWaitNotice = std::function<void(LockWait, const QString& serial)>;

class Board {
 public:
  explicit Board(hid::HidPlatform& platform);
  ~Board();  // closes what is still open; sends nothing
  Board(const Board&) = delete;
  Board& operator=(const Board&) = delete;

  hid::HidPlatform& platform() const { return platform_; }

  // ---- Finding boards (Discovery.cpp) ----
  // Lists every board by serial number. Only interfaces with our vendor and
  // product IDs are opened, each just long enough to read its serial number.
  ScanResult scan();
  // Closes the open board, if any, and opens the first board with this serial
  // number: its feature handle and its non-blocking input handle. On failure
  // nothing stays open and lastOpenError() says why, when known.
  bool open(const QString& serial);
  // Closes both handles; the board is neither open nor loaded afterwards.
  void close();
  // Whether a caller with no board open should scan now: devices came or
  // went, or the last scan saw a board it could not list or open (worth
  // trying again). With no board attached, polls cost no walk of the bus.
  bool worthScanning();
  // Whether the last scan saw a board it could not list or open: worth trying
  // again on every poll, whatever the watch says.
  bool scanSawBoard() const { return scanSawBoard_; }
  bool isOpen() const { return open_; }
  bool isLoaded() const { return open_ && loaded_; }
  hid::OpenError lastOpenError() const { return lastOpenError_; }

  // ---- The open board ----
  const hid::Attributes& attributes() const { return attributes_; }
  std::uint16_t featureLength() const { return featureLength_; }
  std::uint16_t inputLength() const { return inputLength_; }
  // Two handles while open; lets callers check that nothing leaks.
  hid::Handle featureHandle() const { return featureHandle_; }
  hid::Handle inputHandle() const { return inputHandle_; }

  // Reads the identity strings, then the settings records, pacing the board
  // as it expects; the board counts as loaded afterwards even when a record
  // never came (the user can still set what it holds). Sends nothing.
  ReadBackResult readBack(ReadBackObserver* observer = nullptr);
  // Marks the settings as not yet read back: commands are held from now on.
  void unload() { loaded_ = false; }
  // One read of the settings record, for following changes made on the board.
  std::optional<protocol::SettingsRecord> readSettingsRecord();

  // ---- Writing ----
  // One setting byte, then a 10 ms pause so the board can store it. The pause
  // is kept even when nothing is sent, so that pacing never depends on state;
  // a code or value that is not a byte is refused before anything happens.
  void writeSetting(long long code, long long value);
  // A two-byte setting: low byte with `lowCode`, high byte with lowCode + 1.
  void writeWord(std::uint8_t lowCode, std::uint16_t value);
  // A dead zone: as writeWord, with another 10 ms after each byte.
  void writeDeadZone(std::uint8_t lowCode, std::uint16_t raw);
  // The special reports, sent at once with no pause.
  void sendPulseWidth(int step);  // step 1..25
  void sendReset();
  void sendMonitorMode(protocol::MonitorMode mode);
  void sendCalibration(protocol::CalibrationStep step);
  // Frames the platform refused since the board was created: a front end that
  // must say what reached the board compares it before and after a send.
  int refusedFrames() const { return refusedFrames_; }

  // ---- Input ----
  // Drains the input queue. A board found gone is closed here.
  InputPoll readInput();

  // A pause through the platform.
  void pause(int milliseconds) { platform_.sleep(milliseconds); }

  // ---- One writer at a time ----
  // Every write, special report and read-back holds the board's lock while it
  // runs, so no other program's frames or reads come between; a hold makes
  // several calls one sequence. Holds nest. The lock is taken by the first
  // hold or call that finds the board open and goes when the outermost hold
  // ends, on close() and when the board is lost. While another program holds
  // it, the wait retries every 10 ms through the platform's sleep, is told
  // after 1 s and gives up after 30 s: a write then counts as refused and a
  // read-back leaves the board as it was.
  class WriteHold {
   public:
    WriteHold(WriteHold&& other) noexcept
        : board_(std::exchange(other.board_, nullptr)), refused_(other.refused_) {}
    WriteHold(const WriteHold&) = delete;
    WriteHold& operator=(const WriteHold&) = delete;
    WriteHold& operator=(WriteHold&&) = delete;
    ~WriteHold() {
      if (board_) board_->endHold();
    }
    // The board is open and another program kept it for 30 s.
    bool refused() const { return refused_; }

   private:
    friend class Board;
    WriteHold(Board* board, bool refused) : board_(board), refused_(refused) {}
    Board* board_;
    bool refused_;
  };
  [[nodiscard]] WriteHold holdWrites();
  void setLockWaitNotice(LockWaitNotice notice) { lockWaitNotice_ = std::move(notice); }
  // Whether the last wait for the lock gave up; false again once it is taken.
  bool lockedOut() const { return lockedOut_; }

  static constexpr int kLockRetryMs = 10;
  static constexpr int kLockNoticeMs = 1000;
  static constexpr int kLockGiveUpMs = 30000;

 private:
  void sendSpecial(const std::optional<protocol::Bytes>& frame);
  bool takeLock();
  void endHold();
  void tell(LockWait wait) {
    if (lockWaitNotice_) lockWaitNotice_(wait, serial_);
  }

  hid::HidPlatform& platform_;
  hid::Handle featureHandle_ = hid::kNoHandle;
  hid::Handle inputHandle_ = hid::kNoHandle;
  bool open_ = false;
  bool loaded_ = false;
  hid::Attributes attributes_;
  std::string path_;
  std::uint16_t featureLength_ = 0;
  std::uint16_t inputLength_ = 0;
  hid::OpenError lastOpenError_ = hid::OpenError::None;
  int refusedFrames_ = 0;
  bool scanSawBoard_ = false;
  QString serial_;
  BoardLock lock_;
  int holdDepth_ = 0;
  bool gaveUpInHold_ = false;  // the outermost hold waits once, not once per call
  bool lockedOut_ = false;
  LockWaitNotice lockWaitNotice_;
};

}  // namespace torvex::board
