// SPDX-License-Identifier: MIT
#pragma once
// A HID platform of emulated boards. Tests run it on a virtual clock (sleep
// advances time, nothing waits); the demo runs it on the wall clock.
//
// Each board keeps a per-handle input queue of 64 reports that drops new
// reports when full (as the Linux kernel does), logs every feature report it
// receives with its time, and can be made to fail any operation.

#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "hid/HidPlatform.h"
#include "sim/BoardFirmware.h"

namespace torvex::sim {

// The descriptor of our board: 64 buttons, two 16-bit axes, one 63-byte
// vendor feature report, no report IDs (input 13, feature 64 bytes).
const std::vector<std::uint8_t>& BoardReportDescriptor();

enum class Op {
  Open,
  Attributes,
  Manufacturer,
  Product,
  SerialNumber,
  ReportLengths,
  SetFeature,
  GetFeature,
  ReadInput,
};

struct Identity {
  std::uint16_t vendorId = 0;
  std::uint16_t productId = 0;
  std::uint16_t versionNumber = 0x0100;
  // An absent string cannot be read.
  std::optional<std::u16string> manufacturer = u"Corvane";
  std::optional<std::u16string> product = u"Torvex Wheel";
  std::optional<std::u16string> serialNumber = u"TVX0001";
};

struct FeatureLogEntry {
  std::int64_t timeUs = 0;
  int device = 0;
  bool isSet = false;  // true: host sent it; false: host read it
  bool ok = false;
  Bytes bytes;  // what was sent, or what arrived (a short reply stays short)
};

// A scripted reply to one feature read: fail, or answer these bytes (report-ID
// byte included; fewer than the host asked for is a short reply).
struct ScriptedReply {
  bool fail = false;
  Bytes bytes;
};

class Clock {
 public:
  virtual ~Clock() = default;
  virtual std::int64_t nowUs() = 0;
  virtual void sleepMs(int ms) = 0;
};

class VirtualClock final : public Clock {
 public:
  std::int64_t nowUs() override { return nowUs_; }
  void sleepMs(int ms) override { nowUs_ += std::int64_t{ms} * 1000; }
  void advanceUs(std::int64_t us) { nowUs_ += us; }

 private:
  std::int64_t nowUs_ = 0;
};

class WallClock final : public Clock {
 public:
  WallClock();
  std::int64_t nowUs() override;
  void sleepMs(int ms) override;

 private:
  std::int64_t startNs_;
};

class VirtualPlatform final : public hid::HidPlatform {
 public:
  static constexpr std::size_t kQueueCapacity = 64;

  struct Device {
    Identity identity;
    Bytes descriptor;
    std::string path;
    bool plugged = true;
    // Null for an interface that is not one of our boards.
    std::shared_ptr<BoardFirmware> firmware;
    // Input report period in microseconds; 0 sends a report only on change.
    std::int64_t reportPeriodUs = 0;
    // What an open of this device fails with (None: opens fine).
    hid::OpenError openError = hid::OpenError::None;
    std::map<Op, int> failNext;  // fail the next N calls of an operation
    std::map<Op, bool> failAlways;
    std::deque<ScriptedReply> scriptedReplies;  // consumed before the firmware answers
    std::int64_t lastReportUs = 0;
  };

  explicit VirtualPlatform(std::unique_ptr<Clock> clock = std::make_unique<VirtualClock>());
  ~VirtualPlatform() override;

  // ---- Building the machine ----
  // Adds one of our boards (the configured IDs unless identity says otherwise);
  // returns its index. Boards enumerate in the order they were added.
  int addBoard(Identity identity, std::shared_ptr<BoardFirmware> firmware = nullptr);
  // Adds a HID interface that is not a board (a keyboard, a mouse).
  int addForeign(std::uint16_t vendorId, std::uint16_t productId, Bytes descriptor = {});
  Device& device(int index) { return *devices_.at(index); }
  int deviceCount() const { return static_cast<int>(devices_.size()); }
  BoardFirmware& firmware(int index) { return *devices_.at(index)->firmware; }

  void unplug(int index);  // open handles go dead; the firmware keeps its settings
  void plug(int index);

  // ---- Time ----
  Clock& clock() { return *clock_; }
  std::int64_t nowUs() { return clock_->nowUs(); }
  // Virtual clock only: lets time pass without a sleep of the tool.
  void advanceUs(std::int64_t us);

  // ---- What happened ----
  const std::vector<FeatureLogEntry>& featureLog() const { return log_; }
  // Only the reports the host sent to one device.
  std::vector<FeatureLogEntry> sentTo(int device) const;
  void clearLog() { log_.clear(); }
  int openHandleCount() const { return static_cast<int>(handles_.size()); }
  int openHandleCount(int device) const;
  int badCloseCount() const { return badCloses_; }  // closes of handles not open
  int enumerateCount() const { return enumerates_; }

  // ---- HidPlatform ----
  std::vector<hid::InterfaceInfo> enumerate() override;
  hid::Handle open(const std::string& path, hid::OpenMode mode,
                   hid::OpenError* error = nullptr) override;
  bool close(hid::Handle handle) override;
  std::optional<hid::Attributes> attributes(hid::Handle handle) override;
  std::optional<std::u16string> string(hid::Handle handle, hid::StringKind kind) override;
  std::optional<hid::ReportLengths> reportLengths(hid::Handle handle) override;
  bool setFeature(hid::Handle handle, std::span<const std::uint8_t> report) override;
  std::optional<std::size_t> getFeature(hid::Handle handle,
                                        std::span<std::uint8_t> report) override;
  hid::InputRead readInput(hid::Handle handle, std::size_t maxBytes) override;
  void sleep(int milliseconds) override;

  // Produces the input reports due up to now into every open queue.
  void pump();

 private:
  struct OpenHandle {
    int device = 0;
    hid::OpenMode mode = hid::OpenMode::Plain;
    bool dead = false;  // the device was unplugged under it
    std::deque<Bytes> queue;
  };

  OpenHandle* live(hid::Handle handle);
  bool failing(Device& d, Op op);
  void enqueue(int device, const Bytes& report);
  void wireFirmware(int index);

  std::unique_ptr<Clock> clock_;
  std::vector<std::unique_ptr<Device>> devices_;
  std::map<hid::Handle, OpenHandle> handles_;
  hid::Handle nextHandle_ = 100;
  std::vector<FeatureLogEntry> log_;
  int badCloses_ = 0;
  int enumerates_ = 0;
};

}  // namespace torvex::sim
