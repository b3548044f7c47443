#include "hid/HidapiPlatform.h"

#include <chrono>
#include <thread>

namespace torvex::hid {

HidapiPlatform::HidapiPlatform() = default;
HidapiPlatform::~HidapiPlatform() = default;
std::vector<InterfaceInfo> HidapiPlatform::enumerate() { return {}; }
Handle HidapiPlatform::open(const std::string&, OpenMode, OpenError* error) {
  if (error) *error = OpenError::NotFound;
  return kNoHandle;
}
bool HidapiPlatform::close(Handle) { return false; }
std::optional<Attributes> HidapiPlatform::attributes(Handle) { return std::nullopt; }
std::optional<std::u16string> HidapiPlatform::string(Handle, StringKind) { return std::nullopt; }
std::optional<ReportLengths> HidapiPlatform::reportLengths(Handle) { return std::nullopt; }
bool HidapiPlatform::setFeature(Handle, std::span<const std::uint8_t>) { return false; }
bool HidapiPlatform::getFeature(Handle, std::span<std::uint8_t>) { return false; }
InputRead HidapiPlatform::readInput(Handle, std::size_t) { return {InputRead::Status::Gone, {}, 0}; }
void HidapiPlatform::sleep(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

}  // namespace torvex::hid
