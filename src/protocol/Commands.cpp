#include "app/frmMain.h"

#include <QComboBox>

#include "app/LogCategories.h"
#include "protocol/Protocol.h"

namespace p = torvex::protocol;

namespace {

void LogSent(const p::Bytes& frame, int result) {
  const auto head = QByteArray(reinterpret_cast<const char*>(frame.data()), 4).toHex(' ');
  if (result)
    qCDebug(lcProtocol) << "sent" << head;
  else
    qCInfo(lcProtocol) << "board did not take" << head;
}

// The special reports go out only to a loaded board and never pause.
void SendSpecialReport(frmMain& form, const std::optional<p::Bytes>& frame) {
  if (!form.DeviceDetected || !form.ConfigurationLoaded || !frame) return;
  form.LastApiResult = form.platform().setFeature(form.DeviceHandle, *frame) ? 1 : 0;
  LogSent(*frame, form.LastApiResult);
}

}  // namespace

void frmMain::SendSettingCommand(long long code, long long value) {
  // A value that is no byte is refused before anything happens, pause included.
  if (code < 0 || code > 255 || value < 0 || value > 255) return;
  if (DeviceDetected && ConfigurationLoaded) {
    // A board whose feature report cannot hold a command is never written.
    if (const auto frame = p::BuildSettingCommand(FeatureReportLength, code, value)) {
      LastApiResult = platform().setFeature(DeviceHandle, *frame) ? 1 : 0;
      LogSent(*frame, LastApiResult);
    }
  }
  // Paces the board: consecutive commands are at least 10 ms apart.
  platform().sleep(10);
}

void frmMain::SendCalibrationCommand(int step) {
  if (!DeviceDetected || !ConfigurationLoaded) return;
  SendSpecialReport(*this, p::BuildCalibrationReport(FeatureReportLength, step));
}

void frmMain::SendMonitorCommand(int mode) {
  if (!DeviceDetected || !ConfigurationLoaded) return;
  SendSpecialReport(*this, p::BuildMonitorReport(FeatureReportLength, mode));
}

void frmMain::Command2_Click() {
  if (!DeviceDetected || !ConfigurationLoaded) return;
  SendSpecialReport(*this, p::BuildResetReport(FeatureReportLength));
}

void frmMain::delay_Click() {
  if (!DeviceDetected || !ConfigurationLoaded) return;
  const int index = delay->currentIndex();
  if (index < 0) return;  // nothing chosen: no width to send
  SendSpecialReport(*this, p::BuildPulseWidthReport(FeatureReportLength, index + 1));
}
