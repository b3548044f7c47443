// SPDX-License-Identifier: MIT
#include "hid/HidapiPlatform.h"

#include <hidapi/hidapi.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cwchar>
#include <deque>
#include <fstream>
#include <thread>

#include "hid/LogCategory.h"
#include "hid/ReportDescriptor.h"

namespace torvex::hid {

void AppendInputReport(std::vector<std::uint8_t>& out, std::span<const std::uint8_t> raw,
                       bool numbered) {
  if (!numbered) out.push_back(0);
  out.insert(out.end(), raw.begin(), raw.end());
}

InputRead DrainInputReports(const RawRead& read, bool numbered, std::size_t maxBytes,
                            std::size_t bufferSize, int maxReads) {
  InputRead result;
  std::vector<std::uint8_t> buffer(bufferSize);
  // Newest reports that fit, oldest first; older ones fall off the front.
  std::deque<std::vector<std::uint8_t>> kept;
  std::size_t keptBytes = 0;
  for (int i = 0; i < maxReads; ++i) {
    const int n = read(buffer.data(), buffer.size());
    if (n < 0) {
      result.status = InputRead::Status::Gone;
      result.bytes.clear();
      return result;
    }
    if (n == 0) break;
    ++result.reportsDrained;
    std::vector<std::uint8_t> report;
    AppendInputReport(report, std::span(buffer).first(std::min<std::size_t>(n, buffer.size())),
                      numbered);
    if (report.size() > maxBytes) {
      // Not even this one fits: nothing older may stand in for the newest state.
      kept.clear();
      keptBytes = 0;
      continue;
    }
    keptBytes += report.size();
    kept.push_back(std::move(report));
    while (keptBytes > maxBytes) {
      keptBytes -= kept.front().size();
      kept.pop_front();
    }
  }
  result.status = result.reportsDrained > 0 ? InputRead::Status::Ok : InputRead::Status::Empty;
  for (const auto& r : kept) result.bytes.insert(result.bytes.end(), r.begin(), r.end());
  return result;
}

std::u16string WideToUtf16(std::wstring_view text) {
  std::u16string out;
  out.reserve(text.size());
  for (const wchar_t wc : text) {
    const auto cp = static_cast<std::uint32_t>(wc);
    if (cp > 0x10FFFF) {
      out.push_back(u'\uFFFD');
    } else if (cp >= 0x10000) {
      const std::uint32_t v = cp - 0x10000;
      out.push_back(static_cast<char16_t>(0xD800 + (v >> 10)));
      out.push_back(static_cast<char16_t>(0xDC00 + (v & 0x3FF)));
    } else {
      out.push_back(static_cast<char16_t>(cp));
    }
  }
  return out;
}

OpenError OpenErrorFromErrno(int error) {
  switch (error) {
    case 0:
      return OpenError::None;
    case EACCES:
    case EPERM:
      return OpenError::AccessDenied;
    case EBUSY:
      return OpenError::Busy;
    case ENOENT:
    case ENODEV:
    case ENXIO:
      return OpenError::NotFound;
    default:
      return OpenError::Failed;
  }
}

std::string SysfsDescriptorPath(std::string_view devicePath) {
  constexpr std::string_view kPrefix = "/dev/hidraw";
  if (!devicePath.starts_with(kPrefix)) return {};
  const std::string_view number = devicePath.substr(kPrefix.size());
  if (number.empty() || number.size() > 6) return {};
  for (const char c : number)
    if (c < '0' || c > '9') return {};
  return "/sys/class/hidraw/hidraw" + std::string(number) + "/device/report_descriptor";
}

namespace {

const char* ReasonText(OpenError e) {
  switch (e) {
    case OpenError::None:
      return "none";
    case OpenError::NotFound:
      return "not found";
    case OpenError::AccessDenied:
      return "access denied";
    case OpenError::Busy:
      return "busy";
    case OpenError::Failed:
      return "failed";
  }
  return "failed";
}

// The kernel never hands out a descriptor larger than this.
constexpr std::size_t kMaxDescriptorSize = 4096;

std::optional<std::vector<std::uint8_t>> ReadDescriptor(hid_device* device,
                                                        const std::string& path) {
#if HID_API_VERSION >= HID_API_MAKE_VERSION(0, 14, 0)
  std::vector<std::uint8_t> buffer(kMaxDescriptorSize);
  const int n = hid_get_report_descriptor(device, buffer.data(), buffer.size());
  if (n < 0) return std::nullopt;
  buffer.resize(n);
  return buffer;
#else
  (void)device;
  const std::string sysfs = SysfsDescriptorPath(path);
  if (sysfs.empty()) return std::nullopt;
  std::ifstream in(sysfs, std::ios::binary);
  if (!in) return std::nullopt;
  std::vector<std::uint8_t> buffer(kMaxDescriptorSize);
  in.read(reinterpret_cast<char*>(buffer.data()), static_cast<std::streamsize>(buffer.size()));
  buffer.resize(static_cast<std::size_t>(in.gcount()));
  return buffer;
#endif
}

}  // namespace

struct HidapiPlatform::Open {
  hid_device* device = nullptr;
  std::string path;
  bool nonBlocking = false;
  std::optional<DescriptorSummary> descriptor;
};

HidapiPlatform::HidapiPlatform(const std::string& udevControl) : watch_(udevControl) {
  hid_init();
}

HidapiPlatform::~HidapiPlatform() {
  for (auto& [h, o] : open_) hid_close(o->device);
  open_.clear();
  hid_exit();
}

HidapiPlatform::Open* HidapiPlatform::find(Handle handle) {
  const auto it = open_.find(handle);
  return it == open_.end() ? nullptr : it->second.get();
}

std::vector<InterfaceInfo> HidapiPlatform::enumerate() {
  std::vector<InterfaceInfo> out;
  enumerated_.clear();
  hid_device_info* list = hid_enumerate(0, 0);
  // One entry per top-level collection, all sharing the interface's path.
  for (const hid_device_info* d = list; d; d = d->next) {
    if (!d->path || enumerated_.count(d->path)) continue;
    enumerated_[d->path] = Attributes{d->vendor_id, d->product_id, d->release_number};
    out.push_back({d->path, d->vendor_id, d->product_id});
  }
  hid_free_enumeration(list);
  return out;
}

bool HidapiPlatform::devicesChanged() {
  return watch_.changed();
}

Handle HidapiPlatform::open(const std::string& path, OpenMode mode, OpenError* error) {
  auto fail = [&](OpenError e) {
    qCInfo(lcHid) << "cannot open" << path.c_str() << ":" << ReasonText(e);
    if (error) *error = e;
    return kNoHandle;
  };
  // hidapi 0.13 crashes on a path that is not a hidraw node: only what we listed.
  if (!enumerated_.count(path)) return fail(OpenError::NotFound);
  errno = 0;
  hid_device* device = hid_open_path(path.c_str());
  if (!device) {
    OpenError e = OpenErrorFromErrno(errno);
    // hidapi may have overwritten errno while recording its own message.
    if (e == OpenError::None || e == OpenError::Failed)
      e = ::access(path.c_str(), R_OK | W_OK) == 0 ? OpenError::Failed : OpenErrorFromErrno(errno);
    if (e == OpenError::None) e = OpenError::Failed;
    return fail(e);
  }
  auto o = std::make_unique<Open>();
  o->device = device;
  o->path = path;
  if (mode == OpenMode::NonBlocking) o->nonBlocking = hid_set_nonblocking(device, 1) == 0;
  if (auto bytes = ReadDescriptor(device, path))
    o->descriptor = SummarizeReportDescriptor(*bytes);
  else
    qCInfo(lcHid) << "no report descriptor for" << path.c_str();
  const Handle h = next_++;
  open_[h] = std::move(o);
  if (error) *error = OpenError::None;
  return h;
}

bool HidapiPlatform::close(Handle handle) {
  const auto it = open_.find(handle);
  if (it == open_.end()) return false;
  hid_close(it->second->device);
  open_.erase(it);
  return true;
}

std::optional<Attributes> HidapiPlatform::attributes(Handle handle) {
  Open* o = find(handle);
  if (!o) return std::nullopt;
  const auto it = enumerated_.find(o->path);
  if (it == enumerated_.end()) return std::nullopt;
  return it->second;
}

std::optional<std::u16string> HidapiPlatform::string(Handle handle, StringKind kind) {
  Open* o = find(handle);
  if (!o) return std::nullopt;
  // USB string descriptors hold at most 126 UTF-16 units.
  std::vector<wchar_t> buffer(256, L'\0');
  int rc = -1;
  switch (kind) {
    case StringKind::Manufacturer:
      rc = hid_get_manufacturer_string(o->device, buffer.data(), buffer.size());
      break;
    case StringKind::Product:
      rc = hid_get_product_string(o->device, buffer.data(), buffer.size());
      break;
    case StringKind::SerialNumber:
      rc = hid_get_serial_number_string(o->device, buffer.data(), buffer.size());
      break;
  }
  if (rc < 0) return std::nullopt;
  buffer.back() = L'\0';
  return WideToUtf16(std::wstring_view(buffer.data(), std::wcslen(buffer.data())));
}

std::optional<ReportLengths> HidapiPlatform::reportLengths(Handle handle) {
  Open* o = find(handle);
  if (!o || !o->descriptor) return std::nullopt;
  return o->descriptor->lengths;
}

bool HidapiPlatform::setFeature(Handle handle, std::span<const std::uint8_t> report) {
  Open* o = find(handle);
  if (!o || report.empty()) return false;
  const int n = hid_send_feature_report(o->device, report.data(), report.size());
  // A short write did not deliver the setting.
  return n >= 0 && static_cast<std::size_t>(n) == report.size();
}

std::optional<std::size_t> HidapiPlatform::getFeature(Handle handle,
                                                      std::span<std::uint8_t> report) {
  Open* o = find(handle);
  if (!o || report.empty()) return std::nullopt;
  const int n = hid_get_feature_report(o->device, report.data(), report.size());
  if (n < 1) return std::nullopt;
  const auto got = std::min(static_cast<std::size_t>(n), report.size());
  std::fill(report.begin() + static_cast<std::ptrdiff_t>(got), report.end(), 0);
  return got;
}

InputRead HidapiPlatform::readInput(Handle handle, std::size_t maxBytes) {
  Open* o = find(handle);
  if (!o) return {InputRead::Status::Gone, {}, 0};
  // A read must never block the window, whichever way the handle was opened.
  if (!o->nonBlocking) o->nonBlocking = hid_set_nonblocking(o->device, 1) == 0;
  if (!o->nonBlocking) return {InputRead::Status::Gone, {}, 0};
  const bool numbered = o->descriptor && o->descriptor->numbered;
  hid_device* device = o->device;
  return DrainInputReports(
      [device](std::uint8_t* buffer, std::size_t size) { return hid_read(device, buffer, size); },
      numbered, maxBytes, kMaxReportLength);
}

void HidapiPlatform::sleep(int milliseconds) {
  std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

}  // namespace torvex::hid
