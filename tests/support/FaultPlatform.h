// SPDX-License-Identifier: MIT
#pragma once
// A HID platform in front of the emulated boards that lets a test step into
// any call: count calls, act just before one (unplug a board in the middle of
// a read-back or between the two bytes of a setting), make one fail without
// reaching the board, or change what it returns (report lengths, feature
// replies, input reads). It also checks every buffer the window hands over.

#include <functional>
#include <map>
#include <span>
#include <string>

#include "sim/VirtualPlatform.h"

namespace torvex::test {

// clang-format off
enum class Call { Enumerate, Open, Close, Attributes, String, ReportLengths, SetFeature, GetFeature,
                  ReadInput, Sleep };
// clang-format on

class FaultPlatform final : public hid::HidPlatform {
 public:
  explicit FaultPlatform(sim::VirtualPlatform& inner) : inner_(inner) {}

  // Runs before every call (after it was counted). Returning true fails the
  // call without reaching the board; a close is never failed.
  std::function<bool(Call, hid::Handle)> before;
  // Change what a call returned.
  std::function<void(hid::Handle, hid::ReportLengths&)> lengths;
  std::function<void(hid::Handle, std::span<std::uint8_t>)> reply;
  std::function<void(hid::Handle, std::size_t maxBytes, hid::InputRead&)> input;
  // Sees every feature report the window sent, and whether the board took it.
  std::function<void(hid::Handle, std::span<const std::uint8_t>, bool ok)> sent;
  // The length every feature buffer must have on a handle; a buffer of any
  // other length, or a sent frame too short for its header, is a bad buffer.
  std::function<std::size_t(hid::Handle)> featureLength;
  // What devicesChanged() answers: whether the system saw boards come or go.
  bool changes = true;
  // What changeDescriptor() gives: a descriptor the window may sleep on, -1 for no watch.
  int watch = -1;

  int calls(Call c) const { return calls_.contains(c) ? calls_.at(c) : 0; }
  int badBuffers() const { return badBuffers_; }
  // Index of the emulated device behind a handle, -1 when unknown.
  int deviceOf(hid::Handle h) const { return owner_.contains(h) ? owner_.at(h) : -1; }

  bool devicesChanged() override { return changes; }
  int changeDescriptor() const override { return watch; }
  std::vector<hid::InterfaceInfo> enumerate() override {
    if (Enter(Call::Enumerate, hid::kNoHandle)) return {};
    return inner_.enumerate();
  }
  hid::Handle open(const std::string& path, hid::OpenMode mode,
                   hid::OpenError* error = nullptr) override {
    if (Enter(Call::Open, hid::kNoHandle)) {
      if (error) *error = hid::OpenError::Failed;
      return hid::kNoHandle;
    }
    const hid::Handle h = inner_.open(path, mode, error);
    for (int i = 0; h != hid::kNoHandle && i < inner_.deviceCount(); ++i)
      if (inner_.device(i).path == path) owner_[h] = i;
    return h;
  }
  bool close(hid::Handle handle) override {
    Enter(Call::Close, handle);
    owner_.erase(handle);
    return inner_.close(handle);
  }
  std::optional<hid::Attributes> attributes(hid::Handle handle) override {
    return Enter(Call::Attributes, handle) ? std::nullopt : inner_.attributes(handle);
  }
  std::optional<std::u16string> string(hid::Handle handle, hid::StringKind kind) override {
    return Enter(Call::String, handle) ? std::nullopt : inner_.string(handle, kind);
  }
  std::optional<hid::ReportLengths> reportLengths(hid::Handle handle) override {
    if (Enter(Call::ReportLengths, handle)) return std::nullopt;
    auto r = inner_.reportLengths(handle);
    if (r && lengths) lengths(handle, *r);
    return r;
  }
  bool setFeature(hid::Handle handle, std::span<const std::uint8_t> report) override {
    CheckBuffer(handle, report.size(), 4);  // report ID, kind, code, value
    const bool ok = !Enter(Call::SetFeature, handle) && inner_.setFeature(handle, report);
    if (sent) sent(handle, report, ok);
    return ok;
  }
  std::optional<std::size_t> getFeature(hid::Handle handle,
                                        std::span<std::uint8_t> report) override {
    CheckBuffer(handle, report.size(), 0);
    if (Enter(Call::GetFeature, handle)) return std::nullopt;
    const auto got = inner_.getFeature(handle, report);
    if (got && reply) reply(handle, report);
    return got;
  }
  hid::InputRead readInput(hid::Handle handle, std::size_t maxBytes) override {
    if (Enter(Call::ReadInput, handle))
      return {.status = hid::InputRead::Status::Gone, .bytes = {}, .reportsDrained = 0};
    auto r = inner_.readInput(handle, maxBytes);
    if (input) input(handle, maxBytes, r);
    return r;
  }
  void sleep(int milliseconds) override {
    Enter(Call::Sleep, hid::kNoHandle);
    inner_.sleep(milliseconds);
  }

 private:
  bool Enter(Call c, hid::Handle h) {
    ++calls_[c];
    return before && before(c, h) && c != Call::Close;
  }
  void CheckBuffer(hid::Handle h, std::size_t size, std::size_t minimum) {
    if (size < minimum || (featureLength && size != featureLength(h))) ++badBuffers_;
  }

  sim::VirtualPlatform& inner_;
  std::map<Call, int> calls_;
  std::map<hid::Handle, int> owner_;
  int badBuffers_ = 0;
};

}  // namespace torvex::test
