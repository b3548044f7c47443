#include "app/LogCategories.h"
#include "app/frmMain.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QSlider>

#include "hid/IdentityText.h"
#include "protocol/Protocol.h"
#include "settings/PercentText.h"

namespace p = torvex::protocol;
namespace hid = torvex::hid;

namespace {

constexpr int kReadBackAttempts = 10;

// A board value outside a control's range leaves the control as it was.
void SelectIfListed(QComboBox* list, int index) {
  if (index >= 0 && index < list->count()) list->setCurrentIndex(index);
}

void PlaceIfInRange(QSlider* slider, int value) {
  if (value >= slider->minimum() && value <= slider->maximum()) slider->setValue(value);
}

// Order matters: selecting an index runs that list's handler, so the left
// rotary list goes before the right one and curve types before curve numbers.
void ApplySettingsRecord(frmMain& f, const p::SettingsRecord& s) {
  SelectIfListed(f.delay, int{s.pulseWidthStep} - 1);
  if (f.BiteRefreshEnabled) {
    PlaceIfInRange(f.clutchBiteSlider, s.clutchBite);
    f.UpdateClutchBiteLabel();
  }
  SelectIfListed(f.analogInputModeCombo, s.analogInputMode);
  SelectIfListed(f.masterClutchModeCombo, s.masterClutch);
  SelectIfListed(f.rotarySwitchLeftCombo, s.rotaryLeft);
  SelectIfListed(f.rotarySwitchRightCombo, s.rotaryRight);
  SelectIfListed(f.xClutchCurveCombo, s.xCurveType);
  SelectIfListed(f.yClutchCurveCombo, s.yCurveType);
  PlaceIfInRange(f.xSliderCurveNumber, torvex::settings::DecodeCurveNumber(s.xCurveNumber));
  PlaceIfInRange(f.ySliderCurveNumber, torvex::settings::DecodeCurveNumber(s.yCurveNumber));
  f.xDeadLow->setText(f.FormatRawPercent(s.xDeadLow));
  f.xDeadHigh->setText(f.FormatRawPercent(s.xDeadHigh));
  f.yDeadLow->setText(f.FormatRawPercent(s.yDeadLow));
  f.yDeadHigh->setText(f.FormatRawPercent(s.yDeadHigh));
}

}  // namespace

void frmMain::ReadDeviceConfiguration() {
  SetControlsEnabled(false);
  UpdateCurveNumberSliders();
  ConfigurationLoaded = false;
  if (!DeviceDetected) return;

  // Identity strings come over the read handle.
  const auto manufacturer = platform().string(ReadHandle, hid::StringKind::Manufacturer);
  LastApiResult = manufacturer ? 1 : 0;
  if (manufacturer) {
    lblManuf->setText(" " + hid::IdentityText(*manufacturer));
    lblVersion->setText(hid::VersionLabel(DeviceAttributes.versionNumber));
  }
  platform().sleep(10);
  const auto product = platform().string(ReadHandle, hid::StringKind::Product);
  LastApiResult = product ? 1 : 0;
  if (product) lblProduct->setText(" " + hid::IdentityText(*product));
  platform().sleep(10);

  SetControlsEnabled(true);
  platform().sleep(20);
  UpdateCurveNumberSliders();
  platform().sleep(20);

  // The lists' handlers run as values land; this keeps them from sending.
  ConfigurationLoaded = false;
  p::Bytes reply(FeatureReportLength, 0);
  bool settingsReceived = false;
  bool ledReceived = false;
  for (int attempt = 1; attempt <= kReadBackAttempts; ++attempt) {
    if (settingsReceived && ledReceived) break;
    if (!reply.empty()) reply[p::offset::ReportId] = 0;
    const auto got = platform().getFeature(DeviceHandle, reply);
    LastApiResult = got ? 1 : 0;
    if (!got) continue;
    const auto arrived = std::span(reply).first(*got);
    if (const auto s = p::ParseSettingsRecord(arrived)) {
      settingsReceived = true;
      ApplySettingsRecord(*this, *s);
    }
    if (const auto led = p::ParseLedRecord(arrived)) {
      ledReceived = true;
      PlaceIfInRange(ledSlider, led->ledIntensity);
      UpdateLedLabel();
    }
    platform().sleep(20);
  }
  // Editing opens even when a record never came: the user can still set it.
  if (!settingsReceived || !ledReceived)
    qCInfo(lcProtocol) << "read-back incomplete: settings" << settingsReceived << "LED"
                       << ledReceived;
  ConfigurationLoaded = true;
}

void frmMain::RefreshDeviceStatus() {
  p::Bytes reply(FeatureReportLength, 0);
  if (!DeviceDetected || !clutchBiteSlider->isEnabled()) return;
  const auto got = platform().getFeature(DeviceHandle, reply);
  LastApiResult = got ? 1 : 0;
  if (!got) return;
  if (const auto s = p::ParseSettingsRecord(std::span(reply).first(*got))) {
    PlaceIfInRange(clutchBiteSlider, s->clutchBite);
    UpdateClutchBiteLabel();
  }
}
