#pragma once
// frmMain: the one window of the tool. It holds the controls and the state of
// the open board; its operations are written in the folder of their
// subsystem (src/hid: discovery, src/protocol: sending and read-back,
// src/monitor: live display, chart, calibration, control state,
// src/settings: the editor). Everything runs on the GUI thread and every
// pause goes through the HID platform, so tests drive it on a virtual clock.

#include <QLocale>
#include <QString>
#include <QWidget>
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "hid/HidPlatform.h"

class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QSlider;
class QTimer;

namespace torvex::monitor {
class CurveChart;
class IndicatorShape;
}  // namespace torvex::monitor

class frmMain : public QWidget {
  Q_OBJECT

 public:
  explicit frmMain(torvex::hid::HidPlatform& platform, QLocale locale = QLocale(),
                   QWidget* parent = nullptr);
  ~frmMain() override;

  torvex::hid::HidPlatform& platform() const { return platform_; }
  const QLocale& locale() const { return locale_; }

  // ---- Application shell (src/app) ----
  void Form_Load();
  void Timer_Timer();
  void Form_Unload();

  // ---- HID transport (src/hid/Discovery.cpp) ----
  void Scan_USB_devices();
  bool FindTheHid();
  void SerNo_Click();
  void GetDeviceCapabilities();
  void CreateReadEvent();

  // ---- Device protocol (src/protocol/Commands.cpp, ReadBack.cpp) ----
  void SendSettingCommand(long long code, long long value);
  void SendCalibrationCommand(int step);
  void SendMonitorCommand(int mode);
  void Command2_Click();
  void delay_Click();
  void ReadDeviceConfiguration();
  void RefreshDeviceStatus();

  // ---- Live monitor (src/monitor) ----
  void ServiceInputReport();
  void BuildButtonIndicators(int lastIndex);
  void checkCurves_Click(int Index);
  void ToggleCurveMonitor(int Index);
  void ClearCurveChart();
  void ResumeCurveMonitor();
  void Command1_Click();
  void CalibrateX_Click();
  void CalibrateY_Click();
  void SetControlsEnabled(bool enable);

  // ---- Settings editor (src/settings) ----
  void FillModeLists();
  void FillPulseWidthList();
  void FillCurveTypeLists();

  void analogInputModeCombo_Click();
  void masterClutchModeCombo_Click();
  void rotarySwitchLeftCombo_Click();
  void rotarySwitchRightCombo_Click();
  void ApplyRotaryPairing();

  void UpdateClutchBiteLabel();
  void UpdateLedLabel();
  QString ClutchBitePercentText() const;
  QString LedPercentText() const;
  QString FormatRawPercent(std::int32_t raw) const;
  void SuspendBiteRefresh(int seconds);
  void clutchBiteSlider_MouseDown();
  void clutchBiteSlider_MouseUp();
  void clutchBiteSlider_Scroll();
  void clutchBiteSlider_Click();
  void ledSlider_Scroll();
  void ledSlider_Click();
  void sliderRefreshTimer_Timer();
  // Key handlers take the typed character by reference, VB style: a handler
  // may replace it, or set it to 0 to swallow the key. Enter arrives as 13.
  void clutchBitePercentLabel_KeyPress(int& KeyAscii);
  void ledPercentLabel_KeyPress(int& KeyAscii);

  void xDeadLow_KeyPress(int& KeyAscii);
  void xDeadHigh_KeyPress(int& KeyAscii);
  void yDeadLow_KeyPress(int& KeyAscii);
  void yDeadHigh_KeyPress(int& KeyAscii);
  QString ClampDeadZoneText(const QString& text, double limit) const;
  std::int32_t PercentTextToRaw(const QString& text) const;
  void SendWordSetting(int code, std::int32_t value);

  void xClutchCurveCombo_Click();
  void yClutchCurveCombo_Click();
  void xSliderCurveNumber_Scroll();
  void xSliderCurveNumber_Click();
  void ySliderCurveNumber_Scroll();
  void ySliderCurveNumber_Click();
  void UpdateCurveNumberSliders();

  // ---- Connection state ----
  torvex::hid::Handle DeviceHandle = torvex::hid::kNoHandle;
  torvex::hid::Handle ReadHandle = torvex::hid::kNoHandle;
  bool DeviceDetected = false;
  bool ConfigurationLoaded = false;
  bool SerialListReady = false;
  bool BiteRefreshEnabled = false;
  bool CurvePanelShown = false;
  bool CurveMonitorOnX = false;
  std::int32_t LastApiResult = 0;
  std::uint16_t FeatureReportLength = 0;
  std::uint16_t InputReportLength = 0;
  std::array<std::int16_t, 8> BitMasks{};
  QChar DecimalSeparator;
  std::array<std::int16_t, 21> ButtonByteCache{};
  std::int32_t ChartPrevX = 0;
  std::int32_t ChartPrevY = 0;
  int CalibrationStepX = 0;
  int CalibrationStepY = 0;
  std::string DevicePathName;
  torvex::hid::Attributes DeviceAttributes;
  bool ReadChannelReady = false;  // what the overlapped event stood for
  // Why the last open of a matching board failed (None when none was seen).
  torvex::hid::OpenError LastOpenError = torvex::hid::OpenError::None;

  // ---- Controls (names as in the window design) ----
  QGroupBox* Frame1 = nullptr;
  QComboBox* SerNo = nullptr;
  QLabel* lblManuf = nullptr;
  QLabel* lblProduct = nullptr;
  QLabel* lblVersion = nullptr;
  QPushButton* Command2 = nullptr;

  QGroupBox* analogInputFrame = nullptr;
  QComboBox* analogInputModeCombo = nullptr;
  QGroupBox* masterClutchFrame = nullptr;
  QComboBox* masterClutchModeCombo = nullptr;

  QGroupBox* clutchBiteFrame = nullptr;
  QSlider* clutchBiteSlider = nullptr;
  QLineEdit* clutchBitePercentLabel = nullptr;

  QGroupBox* rotarySwitchFrame = nullptr;
  QLabel* Left = nullptr;
  QComboBox* rotarySwitchLeftCombo = nullptr;
  QComboBox* rotarySwitchRightCombo = nullptr;

  QGroupBox* Frame4 = nullptr;
  QComboBox* delay = nullptr;

  QGroupBox* Frame5 = nullptr;
  QSlider* ledSlider = nullptr;
  QLineEdit* ledPercentLabel = nullptr;

  QGroupBox* ButtonsFrame = nullptr;
  std::vector<torvex::monitor::IndicatorShape*> ButtonShape;
  std::vector<QLabel*> ButtonLabel;

  QGroupBox* xAxisFrame = nullptr;
  QComboBox* xClutchCurveCombo = nullptr;
  QSlider* xSliderCurveNumber = nullptr;
  QProgressBar* xAxisBar = nullptr;
  QLabel* xAxisPercent = nullptr;
  QLabel* xVal = nullptr;
  QLineEdit* xDeadHigh = nullptr;
  QLineEdit* xDeadLow = nullptr;
  QPushButton* CalibrateX = nullptr;

  QGroupBox* yAxisFrame = nullptr;
  QComboBox* yClutchCurveCombo = nullptr;
  QSlider* ySliderCurveNumber = nullptr;
  QProgressBar* yAxisBar = nullptr;
  QLabel* yAxisPercent = nullptr;
  QLabel* yVal = nullptr;
  QLineEdit* yDeadHigh = nullptr;
  QLineEdit* yDeadLow = nullptr;
  QPushButton* CalibrateY = nullptr;

  std::vector<QPushButton*> checkCurves;

  QLabel* Label28 = nullptr;
  QLabel* curveMonitorAxisLabel = nullptr;
  QLabel* Label29 = nullptr;
  QPushButton* Command1 = nullptr;
  torvex::monitor::CurveChart* curveChart = nullptr;
  QLabel* Label31 = nullptr;
  QLabel* Output = nullptr;
  QLabel* Label32 = nullptr;
  QLabel* Label33 = nullptr;
  QLabel* Label30 = nullptr;
  QLabel* Label34 = nullptr;

  QTimer* Timer = nullptr;
  QTimer* sliderRefreshTimer = nullptr;

  // Width of the client area without the curve panel, in twips.
  static constexpr int kBaseWidthTwips = 8880;
  static constexpr int kBaseHeightTwips = 10545;
  static constexpr int kCurvePanelTwips = 6500;

 protected:
  void closeEvent(class QCloseEvent* event) override;
  bool eventFilter(QObject* watched, class QEvent* event) override;

 private:
  void BuildLayout();    // src/app/Layout.cpp
  void ConnectEvents();  // src/app/EventWiring.cpp
  void CloseBoardHandles();
  void ShowModalMessage(const QString& text);  // holds Timer while the box is open

  torvex::hid::HidPlatform& platform_;
  QLocale locale_;
  bool unloaded_ = false;
};
