// SPDX-License-Identifier: MIT
#include "sim/VirtualPlatform.h"

#include <algorithm>
#include <chrono>
#include <thread>

#include "hid/Config.h"
#include "hid/HidapiPlatform.h"
#include "hid/ReportDescriptor.h"

namespace torvex::sim {

const std::vector<std::uint8_t>& BoardReportDescriptor() {
  static const std::vector<std::uint8_t> descriptor = {
      0x05, 0x01,                    // Usage Page (Generic Desktop)
      0x09, 0x05,                    // Usage (Game Pad)
      0xA1, 0x01,                    // Collection (Application)
      0x05, 0x09,                    //   Usage Page (Button)
      0x19, 0x01,                    //   Usage Minimum (1)
      0x29, 0x40,                    //   Usage Maximum (64)
      0x15, 0x00,                    //   Logical Minimum (0)
      0x25, 0x01,                    //   Logical Maximum (1)
      0x75, 0x01,                    //   Report Size (1)
      0x95, 0x40,                    //   Report Count (64)
      0x81, 0x02,                    //   Input (Data, Var, Abs)
      0x05, 0x01,                    //   Usage Page (Generic Desktop)
      0x09, 0x30,                    //   Usage (X)
      0x09, 0x31,                    //   Usage (Y)
      0x15, 0x00,                    //   Logical Minimum (0)
      0x27, 0xFF, 0xFF, 0x00, 0x00,  //   Logical Maximum (65535)
      0x75, 0x10,                    //   Report Size (16)
      0x95, 0x02,                    //   Report Count (2)
      0x81, 0x02,                    //   Input (Data, Var, Abs)
      0x06, 0x00, 0xFF,              //   Usage Page (Vendor 0xFF00)
      0x09, 0x01,                    //   Usage (1)
      0x15, 0x00,                    //   Logical Minimum (0)
      0x26, 0xFF, 0x00,              //   Logical Maximum (255)
      0x75, 0x08,                    //   Report Size (8)
      0x95, 0x3F,                    //   Report Count (63)
      0xB1, 0x02,                    //   Feature (Data, Var, Abs)
      0xC0,                          // End Collection
  };
  return descriptor;
}

WallClock::WallClock() : startNs_(std::chrono::steady_clock::now().time_since_epoch().count()) {}

std::int64_t WallClock::nowUs() {
  const auto ns = std::chrono::steady_clock::now().time_since_epoch().count() - startNs_;
  return ns / 1000;
}

void WallClock::sleepMs(int ms) {
  std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

VirtualPlatform::VirtualPlatform(std::unique_ptr<Clock> clock) : clock_(std::move(clock)) {}

VirtualPlatform::~VirtualPlatform() {
  // The firmware may outlive us (shared with a demo window): unhook it.
  for (auto& d : devices_)
    if (d->firmware) d->firmware->onInputChanged = nullptr;
}

int VirtualPlatform::addBoard(Identity identity, std::shared_ptr<BoardFirmware> firmware) {
  auto d = std::make_unique<Device>();
  if (identity.vendorId == 0 && identity.productId == 0) {
    identity.vendorId = DeviceVendorId;
    identity.productId = DeviceProductId;
  }
  d->identity = std::move(identity);
  d->descriptor = BoardReportDescriptor();
  d->firmware = firmware ? std::move(firmware) : std::make_shared<BoardFirmware>();
  d->path = "/dev/hidraw" + std::to_string(devices_.size());
  d->lastReportUs = nowUs();
  devices_.push_back(std::move(d));
  const int index = static_cast<int>(devices_.size()) - 1;
  wireFirmware(index);
  return index;
}

int VirtualPlatform::addForeign(std::uint16_t vendorId, std::uint16_t productId, Bytes descriptor) {
  auto d = std::make_unique<Device>();
  d->identity.vendorId = vendorId;
  d->identity.productId = productId;
  d->identity.manufacturer = u"Other";
  d->identity.product = u"Keyboard";
  d->identity.serialNumber = u"OTHER";
  d->descriptor = std::move(descriptor);
  d->path = "/dev/hidraw" + std::to_string(devices_.size());
  devices_.push_back(std::move(d));
  return static_cast<int>(devices_.size()) - 1;
}

void VirtualPlatform::wireFirmware(int index) {
  Device& d = *devices_[index];
  if (!d.firmware) return;
  d.firmware->advanceTo(nowUs());
  d.firmware->onInputChanged = [this, index] {
    Device& dev = *devices_[index];
    if (dev.plugged && dev.reportPeriodUs == 0) enqueue(index, dev.firmware->inputReport());
  };
}

void VirtualPlatform::unplug(int index) {
  pump();
  Device& d = *devices_.at(index);
  d.plugged = false;
  for (auto& [h, oh] : handles_)
    if (oh.device == index) {
      oh.dead = true;
      oh.queue.clear();
    }
}

void VirtualPlatform::plug(int index) {
  Device& d = *devices_.at(index);
  d.plugged = true;
  d.lastReportUs = nowUs();
  if (d.firmware) {
    d.firmware->powerOn();
    d.firmware->advanceTo(nowUs());
  }
}

void VirtualPlatform::advanceUs(std::int64_t us) {
  if (auto* v = dynamic_cast<VirtualClock*>(clock_.get())) v->advanceUs(us);
  pump();
}

std::vector<FeatureLogEntry> VirtualPlatform::sentTo(int device) const {
  std::vector<FeatureLogEntry> out;
  for (const auto& e : log_)
    if (e.isSet && e.device == device) out.push_back(e);
  return out;
}

int VirtualPlatform::openHandleCount(int device) const {
  return static_cast<int>(std::count_if(handles_.begin(), handles_.end(), [&](const auto& kv) {
    return kv.second.device == device;
  }));
}

void VirtualPlatform::enqueue(int device, const Bytes& report) {
  for (auto& [h, oh] : handles_)
    if (oh.device == device && !oh.dead && oh.queue.size() < kQueueCapacity)
      oh.queue.push_back(report);
}

void VirtualPlatform::pump() {
  const std::int64_t now = nowUs();
  for (int i = 0; i < deviceCount(); ++i) {
    Device& d = *devices_[i];
    if (!d.firmware || !d.plugged) continue;
    if (d.reportPeriodUs > 0) {
      // Step through the due reports; past a full queue only the clock matters.
      std::size_t room = 0;
      for (auto& [h, oh] : handles_)
        if (oh.device == i && !oh.dead) room = std::max(room, kQueueCapacity - oh.queue.size());
      while (d.lastReportUs + d.reportPeriodUs <= now) {
        d.lastReportUs += d.reportPeriodUs;
        if (room == 0) {
          const std::int64_t skipped = (now - d.lastReportUs) / d.reportPeriodUs;
          d.lastReportUs += skipped * d.reportPeriodUs;
          continue;
        }
        d.firmware->advanceTo(d.lastReportUs);
        enqueue(i, d.firmware->inputReport());
        --room;
      }
    }
    d.firmware->advanceTo(now);
  }
}

bool VirtualPlatform::failing(Device& d, Op op) {
  if (d.failAlways[op]) return true;
  auto it = d.failNext.find(op);
  if (it != d.failNext.end() && it->second > 0) {
    --it->second;
    return true;
  }
  return false;
}

VirtualPlatform::OpenHandle* VirtualPlatform::live(hid::Handle handle) {
  auto it = handles_.find(handle);
  if (it == handles_.end() || it->second.dead) return nullptr;
  if (!devices_[it->second.device]->plugged) return nullptr;
  return &it->second;
}

std::vector<hid::InterfaceInfo> VirtualPlatform::enumerate() {
  ++enumerates_;
  pump();
  std::vector<hid::InterfaceInfo> out;
  for (const auto& d : devices_)
    if (d->plugged) out.push_back({d->path, d->identity.vendorId, d->identity.productId});
  return out;
}

hid::Handle VirtualPlatform::open(const std::string& path, hid::OpenMode mode,
                                  hid::OpenError* error) {
  pump();
  auto setError = [&](hid::OpenError e) {
    if (error) *error = e;
  };
  for (int i = 0; i < deviceCount(); ++i) {
    Device& d = *devices_[i];
    if (d.path != path || !d.plugged) continue;
    if (d.openError != hid::OpenError::None) {
      setError(d.openError);
      return hid::kNoHandle;
    }
    if (failing(d, Op::Open)) {
      setError(hid::OpenError::Failed);
      return hid::kNoHandle;
    }
    const hid::Handle h = nextHandle_++;
    handles_[h] = OpenHandle{i, mode, false, {}};
    setError(hid::OpenError::None);
    return h;
  }
  setError(hid::OpenError::NotFound);
  return hid::kNoHandle;
}

bool VirtualPlatform::close(hid::Handle handle) {
  if (handles_.erase(handle) == 0) {
    ++badCloses_;
    return false;
  }
  return true;
}

std::optional<hid::Attributes> VirtualPlatform::attributes(hid::Handle handle) {
  OpenHandle* oh = live(handle);
  if (!oh) return std::nullopt;
  Device& d = *devices_[oh->device];
  if (failing(d, Op::Attributes)) return std::nullopt;
  return hid::Attributes{d.identity.vendorId, d.identity.productId, d.identity.versionNumber};
}

std::optional<std::u16string> VirtualPlatform::string(hid::Handle handle, hid::StringKind kind) {
  OpenHandle* oh = live(handle);
  if (!oh) return std::nullopt;
  Device& d = *devices_[oh->device];
  switch (kind) {
    case hid::StringKind::Manufacturer:
      if (failing(d, Op::Manufacturer)) return std::nullopt;
      return d.identity.manufacturer;
    case hid::StringKind::Product:
      if (failing(d, Op::Product)) return std::nullopt;
      return d.identity.product;
    case hid::StringKind::SerialNumber:
      if (failing(d, Op::SerialNumber)) return std::nullopt;
      return d.identity.serialNumber;
  }
  return std::nullopt;
}

std::optional<hid::ReportLengths> VirtualPlatform::reportLengths(hid::Handle handle) {
  OpenHandle* oh = live(handle);
  if (!oh) return std::nullopt;
  Device& d = *devices_[oh->device];
  if (failing(d, Op::ReportLengths)) return std::nullopt;
  return hid::ComputeReportLengths(d.descriptor);
}

bool VirtualPlatform::setFeature(hid::Handle handle, std::span<const std::uint8_t> report) {
  pump();
  OpenHandle* oh = live(handle);
  const int index = oh ? oh->device : (handles_.count(handle) ? handles_[handle].device : -1);
  FeatureLogEntry entry{nowUs(), index, true, false, Bytes(report.begin(), report.end())};
  if (oh) {
    Device& d = *devices_[oh->device];
    const auto lengths = hid::ComputeReportLengths(d.descriptor);
    if (!failing(d, Op::SetFeature) && lengths.feature > 0 && report.size() == lengths.feature &&
        d.firmware) {
      d.firmware->receiveFeature(report);
      entry.ok = true;
    }
  }
  log_.push_back(std::move(entry));
  return log_.back().ok;
}

std::optional<std::size_t> VirtualPlatform::getFeature(hid::Handle handle,
                                                       std::span<std::uint8_t> report) {
  pump();
  OpenHandle* oh = live(handle);
  if (!oh) return std::nullopt;
  Device& d = *devices_[oh->device];
  FeatureLogEntry entry{nowUs(), oh->device, false, false, {}};
  const auto lengths = hid::ComputeReportLengths(d.descriptor);
  bool ok = false;
  Bytes reply;
  if (failing(d, Op::GetFeature) || report.empty() || lengths.feature == 0) {
    ok = false;
  } else if (!d.scriptedReplies.empty()) {
    ScriptedReply s = std::move(d.scriptedReplies.front());
    d.scriptedReplies.pop_front();
    ok = !s.fail;
    reply = std::move(s.bytes);
  } else if (d.firmware) {
    ok = true;
    reply = d.firmware->featureReply(report.size());
  }
  // An empty reply is no reply: hidapi reports nothing arrived as a failure.
  const std::size_t got = std::min(reply.size(), report.size());
  ok = ok && got > 0;
  if (ok) {
    std::fill(report.begin(), report.end(), 0);
    std::copy_n(reply.begin(), got, report.begin());
    entry.bytes.assign(report.begin(), report.begin() + static_cast<std::ptrdiff_t>(got));
  }
  entry.ok = ok;
  log_.push_back(std::move(entry));
  if (!ok) return std::nullopt;
  return got;
}

hid::InputRead VirtualPlatform::readInput(hid::Handle handle, std::size_t maxBytes) {
  pump();
  hid::InputRead result;
  OpenHandle* oh = live(handle);
  if (!oh) {
    result.status = hid::InputRead::Status::Gone;
    return result;
  }
  Device& d = *devices_[oh->device];
  if (failing(d, Op::ReadInput)) {
    result.status = hid::InputRead::Status::Gone;
    return result;
  }
  // The same draining as the hidapi backend: the queued reports already carry
  // their report-ID byte.
  return hid::DrainInputReports(
      [oh](std::uint8_t* buffer, std::size_t size) {
        if (oh->queue.empty()) return 0;
        const Bytes report = std::move(oh->queue.front());
        oh->queue.pop_front();
        const std::size_t n = std::min(report.size(), size);
        std::copy_n(report.begin(), n, buffer);
        return static_cast<int>(n);
      },
      /*numbered=*/true, maxBytes, std::size_t{hid::kMaxReportLength} + 1,
      static_cast<int>(kQueueCapacity));
}

void VirtualPlatform::sleep(int milliseconds) {
  clock_->sleepMs(milliseconds);
  pump();
}

}  // namespace torvex::sim
