// SPDX-License-Identifier: MIT
#pragma once
// The one door to HID boards. Two implementations: HidapiPlatform (real boards)
// and sim::VirtualPlatform (emulated boards for tests and the demo).
//
// Wire contract, the same for every implementation: byte 0 of every report
// buffer is the report ID (0 for a board without numbered reports) and every
// length includes that byte, as Windows' HID class driver presents them.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace torvex::hid {

using Handle = std::intptr_t;
inline constexpr Handle kNoHandle = 0;

// One HID interface as the OS lists it; nothing is opened to learn this.
struct InterfaceInfo {
  std::string path;
  std::uint16_t vendorId = 0;
  std::uint16_t productId = 0;
};

enum class OpenMode {
  Plain,        // feature reports, attributes, strings
  NonBlocking,  // input reports (reads return at once) and strings
};

// Why an open failed; lets the window tell "absent" from "present but locked".
enum class OpenError { None, NotFound, AccessDenied, Busy, Failed };

struct Attributes {
  std::uint16_t vendorId = 0;
  std::uint16_t productId = 0;
  std::uint16_t versionNumber = 0;
};

// Largest report of each type over all report IDs, plus the ID byte; 0 when absent.
struct ReportLengths {
  std::uint16_t input = 0;
  std::uint16_t output = 0;
  std::uint16_t feature = 0;
};

enum class StringKind { Manufacturer, Product, SerialNumber };

struct InputRead {
  enum class Status {
    Ok,     // at least one report was queued
    Empty,  // nothing queued; the board is still there
    Gone,   // the board was unplugged or the handle is dead
  };
  Status status = Status::Empty;
  // The newest whole reports that fit the budget, oldest first, back to back,
  // each starting with its report-ID byte.
  std::vector<std::uint8_t> bytes;
  // How many reports the read took off the queue (all of them).
  int reportsDrained = 0;
};

class HidPlatform {
 public:
  virtual ~HidPlatform() = default;

  // Every HID interface present, one entry per path, in the OS's order.
  virtual std::vector<InterfaceInfo> enumerate() = 0;

  // Whether HID devices may have come or gone since the last call. A platform that cannot watch
  // says true every time, so callers rescan.
  virtual bool devicesChanged() { return true; }
  // A descriptor that turns readable when devicesChanged() has something to say, so that a
  // caller with nothing to poll can sleep until then; -1 when the platform cannot watch.
  virtual int changeDescriptor() const { return -1; }

  // Returns kNoHandle on failure and says why in *error when given.
  virtual Handle open(const std::string& path, OpenMode mode, OpenError* error = nullptr) = 0;
  // False for a handle that is not open (it is never closed twice).
  virtual bool close(Handle handle) = 0;

  virtual std::optional<Attributes> attributes(Handle handle) = 0;
  // The whole string as UTF-16 code units, without a terminator.
  virtual std::optional<std::u16string> string(Handle handle, StringKind kind) = 0;
  virtual std::optional<ReportLengths> reportLengths(Handle handle) = 0;

  // report[0] is the report ID; the whole span is sent.
  virtual bool setFeature(Handle handle, std::span<const std::uint8_t> report) = 0;
  // report[0] names the report ID. Returns how many bytes arrived, report-ID
  // byte included (the rest of the span is zeroed), or nothing on failure. A
  // short reply is not a whole report: parse only report.first(n).
  virtual std::optional<std::size_t> getFeature(Handle handle, std::span<std::uint8_t> report) = 0;

  // Drains every queued input report without blocking.
  virtual InputRead readInput(Handle handle, std::size_t maxBytes) = 0;

  // Every pause of the tool goes through here, so a virtual clock can replace it.
  virtual void sleep(int milliseconds) = 0;
};

}  // namespace torvex::hid
