// SPDX-License-Identifier: MIT
#pragma once
// The real boards, through hidapi's hidraw backend on Linux (and hidapi's own
// backends elsewhere). The report-ID byte is handled here and only here.

#include <functional>
#include <map>
#include <memory>
#include <string_view>

#include "hid/DeviceWatch.h"
#include "hid/HidPlatform.h"

namespace torvex::hid {

// ---- Pure seam of the backend, tested without a board ----

// Appends one report as read from the OS to `out` in the window's form:
// reports of a board without Report ID items arrive without their ID byte,
// so a 0 is put in front; numbered reports already start with their ID.
void AppendInputReport(std::vector<std::uint8_t>& out, std::span<const std::uint8_t> raw,
                       bool numbered);

// One non-blocking read as hid_read does it: bytes read, 0 when nothing is
// queued, -1 when the board is gone.
using RawRead = std::function<int(std::uint8_t* buffer, std::size_t size)>;

// Drains every queued report (at most `maxReads`, so a stuck device cannot
// hold the window) and keeps the newest whole reports that fit `maxBytes`.
InputRead DrainInputReports(const RawRead& read, bool numbered, std::size_t maxBytes,
                            std::size_t bufferSize, int maxReads = 1024);

// wchar_t text from hidapi to UTF-16 (wchar_t is UTF-32 on Linux).
std::u16string WideToUtf16(std::wstring_view text);

// errno of a failed open to the reason the window tells apart.
OpenError OpenErrorFromErrno(int error);

// "/dev/hidraw3" -> "/sys/class/hidraw/hidraw3/device/report_descriptor";
// empty for anything that is not a hidraw node.
std::string SysfsDescriptorPath(std::string_view devicePath);

class HidapiPlatform final : public HidPlatform {
 public:
  // The device watch is used only if `udevControl`, the socket of a running
  // udev daemon, exists now.
  explicit HidapiPlatform(const std::string& udevControl = "/run/udev/control");
  ~HidapiPlatform() override;
  HidapiPlatform(const HidapiPlatform&) = delete;
  HidapiPlatform& operator=(const HidapiPlatform&) = delete;

  std::vector<InterfaceInfo> enumerate() override;
  // From a udev monitor on Linux: pending events are taken, nothing is walked.
  bool devicesChanged() override;
  int changeDescriptor() const override { return watch_.descriptor(); }
  Handle open(const std::string& path, OpenMode mode, OpenError* error = nullptr) override;
  bool close(Handle handle) override;
  std::optional<Attributes> attributes(Handle handle) override;
  std::optional<std::u16string> string(Handle handle, StringKind kind) override;
  std::optional<ReportLengths> reportLengths(Handle handle) override;
  bool setFeature(Handle handle, std::span<const std::uint8_t> report) override;
  std::optional<std::size_t> getFeature(Handle handle, std::span<std::uint8_t> report) override;
  InputRead readInput(Handle handle, std::size_t maxBytes) override;
  void sleep(int milliseconds) override;

 private:
  struct Open;
  Open* find(Handle handle);

  // What the last enumeration said about each path; hidapi 0.13 has no way
  // to ask an open device for its IDs and release number.
  std::map<std::string, Attributes> enumerated_;
  DeviceWatch watch_;
  std::map<Handle, std::unique_ptr<Open>> open_;
  Handle next_ = 1;
};

}  // namespace torvex::hid
