#include "app/frmMain.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QCoreApplication>
#include <QMessageBox>
#include <QSlider>
#include <QTimer>
#include <cmath>

frmMain::frmMain(torvex::hid::HidPlatform& platform, QLocale locale, QWidget* parent)
    : QWidget(parent), platform_(platform), locale_(std::move(locale)) {
  setObjectName("frmMain");
  setWindowTitle("Corvane Torvex Configuration Tool v3.0 b4");
  Timer = new QTimer(this);
  Timer->setObjectName("Timer");
  Timer->setInterval(100);
  sliderRefreshTimer = new QTimer(this);
  sliderRefreshTimer->setObjectName("sliderRefreshTimer");
  sliderRefreshTimer->setInterval(100);
  BuildLayout();
  ConnectEvents();
}

frmMain::~frmMain() {
  // A window destroyed without being closed still leaves the board as it found it.
  if (!unloaded_) Form_Unload();
}

void frmMain::Form_Load() {
  DecimalSeparator = locale_.toString(0.0, 'f', 2).at(1);
  ChartPrevX = 0;
  ChartPrevY = 0;
  for (int i = 0; i < 8; ++i) BitMasks[i] = static_cast<std::int16_t>(1 << i);
  clutchBiteSlider->setValue(0);
  BiteRefreshEnabled = true;
  clutchBiteSlider->setValue(static_cast<int>(std::nearbyint(clutchBiteSlider->maximum() / 2.0)));
  ledSlider->setValue(ledSlider->maximum());
  UpdateClutchBiteLabel();
  UpdateLedLabel();
  FillModeLists();
  FillPulseWidthList();
  FillCurveTypeLists();
  // Each selection runs its list's handler as a user's pick would.
  analogInputModeCombo->setCurrentIndex(0);
  masterClutchModeCombo->setCurrentIndex(0);
  rotarySwitchLeftCombo->setCurrentIndex(0);
  rotarySwitchRightCombo->setCurrentIndex(0);
  BuildButtonIndicators(63);
  ConfigurationLoaded = false;
  SerialListReady = false;
  show();
  // Drawn, not only mapped, before the scan and the read-back's pauses.
  QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
  Scan_USB_devices();
  DeviceDetected = FindTheHid();
  ReadDeviceConfiguration();
  Timer->start();
  ButtonByteCache.fill(999);
}

void frmMain::Timer_Timer() {
  ServiceInputReport();
  if (DeviceDetected && BiteRefreshEnabled) RefreshDeviceStatus();
}

void frmMain::Form_Unload() {
  if (unloaded_) return;
  unloaded_ = true;
  Timer->stop();
  if (DeviceDetected) SendMonitorCommand(0);
  SerialListReady = false;
  CloseBoardHandles();
}

void frmMain::CloseBoardHandles() {
  ReadChannelReady = false;
  if (DeviceHandle != torvex::hid::kNoHandle) {
    LastApiResult = platform_.close(DeviceHandle);
    DeviceHandle = torvex::hid::kNoHandle;
  }
  if (ReadHandle != torvex::hid::kNoHandle) {
    LastApiResult = platform_.close(ReadHandle);
    ReadHandle = torvex::hid::kNoHandle;
  }
}

void frmMain::ShowModalMessage(const QString& text) {
  // No tick may run inside the box's event loop: events never overlap.
  const bool ticking = Timer->isActive();
  Timer->stop();
  QMessageBox box(QMessageBox::NoIcon, windowTitle(), text, QMessageBox::Ok, this);
  box.setObjectName("calibrationRefusal");
  box.exec();
  if (ticking) Timer->start();
}

void frmMain::closeEvent(QCloseEvent* event) {
  Form_Unload();
  event->accept();
}
