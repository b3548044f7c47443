#pragma once
// The real boards, through hidapi's hidraw backend on Linux (and hidapi's own
// backends elsewhere). The report-ID byte is handled here and only here.

#include "hid/HidPlatform.h"

namespace torvex::hid {

class HidapiPlatform final : public HidPlatform {
 public:
  HidapiPlatform();
  ~HidapiPlatform() override;

  std::vector<InterfaceInfo> enumerate() override;
  Handle open(const std::string& path, OpenMode mode, OpenError* error = nullptr) override;
  bool close(Handle handle) override;
  std::optional<Attributes> attributes(Handle handle) override;
  std::optional<std::u16string> string(Handle handle, StringKind kind) override;
  std::optional<ReportLengths> reportLengths(Handle handle) override;
  bool setFeature(Handle handle, std::span<const std::uint8_t> report) override;
  bool getFeature(Handle handle, std::span<std::uint8_t> report) override;
  InputRead readInput(Handle handle, std::size_t maxBytes) override;
  void sleep(int milliseconds) override;
};

}  // namespace torvex::hid
