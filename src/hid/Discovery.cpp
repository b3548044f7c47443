// Finding the boards, listing them by serial number and opening the chosen one.
#include <QComboBox>
#include <QLineEdit>
#include <QTimer>
#include <optional>

#include "app/frmMain.h"
#include "hid/Config.h"
#include "hid/IdentityText.h"

namespace hid = torvex::hid;

namespace {

const QString kNoBoardText = QStringLiteral("No board connected");
const QString kNoAccessText =
    QStringLiteral("Board found but not accessible: install the udev rule");

bool IsBoard(const hid::InterfaceInfo& info) {
  // Decided from what the OS lists: nothing else is ever opened.
  return info.vendorId == torvex::DeviceVendorId && info.productId == torvex::DeviceProductId;
}

struct Probe {
  hid::Handle handle = hid::kNoHandle;
  QString serial;
  hid::Attributes attributes;
};

// Opens one listed board and reads its serial number. The handle stays open
// only inside the result; a board that cannot be opened, or whose attributes
// or serial number cannot be read, is passed over.
std::optional<Probe> ProbeBoard(hid::HidPlatform& platform, const hid::InterfaceInfo& info,
                                std::int32_t& lastApiResult, hid::OpenError& lastOpenError) {
  hid::OpenError error = hid::OpenError::None;
  const hid::Handle handle = platform.open(info.path, hid::OpenMode::Plain, &error);
  lastApiResult = handle != hid::kNoHandle;
  if (handle == hid::kNoHandle) {
    lastOpenError = error;
    return std::nullopt;
  }
  const auto attributes = platform.attributes(handle);
  lastApiResult = attributes.has_value();
  std::optional<std::u16string> serial;
  if (attributes) {
    serial = platform.string(handle, hid::StringKind::SerialNumber);
    lastApiResult = serial.has_value();
  }
  if (!serial) {
    platform.close(handle);
    return std::nullopt;
  }
  return Probe{handle, hid::IdentityText(*serial), *attributes};
}

}  // namespace

void frmMain::Scan_USB_devices() {
  SerialListReady = false;
  SerNo->clear();
  SerNo->clearEditText();
  SerNo->setEnabled(false);
  LastOpenError = hid::OpenError::None;
  int entryCount = -1;
  for (const auto& info : platform_.enumerate()) {
    if (!IsBoard(info)) continue;
    const auto probe = ProbeBoard(platform_, info, LastApiResult, LastOpenError);
    if (!probe) continue;
    LastApiResult = platform_.close(probe->handle);
    ++entryCount;
    SerNo->insertItem(entryCount, probe->serial);
    SerNo->setCurrentIndex(entryCount);  // raises SerNo_Click, idle while the list fills
  }
  SerNo->setEnabled(entryCount > 0);
  const bool locked =
      LastOpenError == hid::OpenError::AccessDenied || LastOpenError == hid::OpenError::Busy;
  SerNo->lineEdit()->setPlaceholderText(entryCount >= 0 ? QString()
                                        : locked        ? kNoAccessText
                                                        : kNoBoardText);
  SerialListReady = true;
}

bool frmMain::FindTheHid() {
  // A handle left from an earlier open would leak when overwritten.
  CloseBoardHandles();
  DeviceDetected = false;
  ReadChannelReady = false;
  const QString wanted = SerNo->currentText();
  for (const auto& info : platform_.enumerate()) {
    if (!IsBoard(info)) continue;
    const auto probe = ProbeBoard(platform_, info, LastApiResult, LastOpenError);
    if (!probe) continue;
    if (probe->serial == wanted) {
      DeviceHandle = probe->handle;
      DevicePathName = info.path;
      DeviceAttributes = probe->attributes;
      DeviceDetected = true;
      break;
    }
    LastApiResult = platform_.close(probe->handle);
  }
  if (!DeviceDetected) return false;

  GetDeviceCapabilities();
  hid::OpenError error = hid::OpenError::None;
  ReadHandle = platform_.open(DevicePathName, hid::OpenMode::NonBlocking, &error);
  LastApiResult = ReadHandle != hid::kNoHandle;
  if (ReadHandle == hid::kNoHandle) {
    // Without its read channel the board would look lost on every tick.
    LastOpenError = error;
    CloseBoardHandles();
    DeviceDetected = false;
    return false;
  }
  CreateReadEvent();
  return true;
}

void frmMain::SerNo_Click() {
  if (!SerialListReady) return;
  Timer->stop();
  if (DeviceDetected) {
    // The board left behind must not stay in curve-monitor mode.
    if (CurvePanelShown) SendMonitorCommand(0);
    DeviceDetected = false;
    CloseBoardHandles();
    Timer->setInterval(250);
  }
  ConfigurationLoaded = false;
  DeviceDetected = FindTheHid();
  ReadDeviceConfiguration();
  ResumeCurveMonitor();
  Timer->start();
}

void frmMain::GetDeviceCapabilities() {
  // On failure the previous lengths stay, as the board's feature calls then fail anyway.
  const auto lengths = platform_.reportLengths(DeviceHandle);
  LastApiResult = lengths.has_value();
  if (!lengths) return;
  InputReportLength = lengths->input;
  FeatureReportLength = lengths->feature;
}

void frmMain::CreateReadEvent() {
  // Non-blocking reads need no event; the read channel is the open ReadHandle.
  ReadChannelReady = ReadHandle != hid::kNoHandle;
}
