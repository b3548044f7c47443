// SPDX-License-Identifier: MIT
#pragma once
// The tool's window: a view over the board core. It lays out the controls,
// passes each user action to the board and shows what the board holds and
// reports. Everything runs on the GUI thread; a poll timer drives the live
// view, and every pause goes through the HID platform, so tests drive the
// window on a virtual clock.
//
// Files: MainWindow.cpp (start, poll tick, shutdown), Layout.cpp (controls),
// Signals.cpp (Qt signals to handlers), BoardView.cpp (finding, opening and
// reading back the board), LiveView.cpp (inputs, chart, curve panel),
// Editor.cpp and SliderFields.cpp (settings), Calibration.cpp, Profiles.cpp
// (the profiles dialog and the backup taken before a reset).

#include <QLocale>
#include <QString>
#include <QWidget>
#include <array>
#include <cstdint>

#include "board/Board.h"
#include "board/ProfileStore.h"
#include "gui/Controls.h"

class QLineEdit;
class QSlider;
class QTimer;

namespace torvex::notify {
class NoticeServer;
}

namespace torvex::gui {

class MainWindow : public QWidget {
  Q_OBJECT

 public:
  explicit MainWindow(hid::HidPlatform& platform, QLocale locale = QLocale(),
                      QWidget* parent = nullptr);
  ~MainWindow() override;

  // Prepares the controls, shows the window, then finds, opens and reads the
  // board and starts polling.
  void start();
  // Takes the board out of curve-monitor mode and closes it; runs once.
  void shutdown();
  // Reads the open board back into the controls (the lists' handlers run
  // as values land, their sends held until it ends).
  board::ReadBackResult readBackBoard();

  // Takes the channel's notices: comes forward when asked; re-reads the board
  // it shows when the command line changed it.
  void followNotices(notify::NoticeServer& server);
  void bringToFront();
  // Re-reads soon if the changed board is the one shown (any, for an empty
  // serial); a burst of notices gives one re-read.
  void onBoardChangedElsewhere(const QString& serial);
  QTimer* noticeRereadTimer() const { return noticeRereadTimer_; }

  const Controls& controls() const { return ui_; }
  // Where profiles and the backups taken before a reset are kept.
  const board::ProfileStore& profileStore() const { return profiles_; }
  void setProfileStore(board::ProfileStore store) { profiles_ = std::move(store); }
  // What a read-back found, as a profile of this board saved now.
  board::Profile boardProfile(const board::ReadBackResult& read) const;
  board::Board& board() { return board_; }
  // The profile the profiles dialog applied last in this session.
  void setAppliedProfile(const QString& name);
  // "Profile: gt3-spa (for AC2-Win64-Shipping.exe)": what the agent applied
  // to the open board while it runs, else what this session applied, else empty.
  QString activeProfileText() const;
  void showActiveProfile();
  const QLocale& locale() const { return locale_; }
  QTimer* pollTimer() const { return pollTimer_; }
  // Holds the clutch bite point off the board's value while the user types.
  QTimer* biteHoldTimer() const { return biteHoldTimer_; }
  // False while the user holds the clutch bite point (dragging or typing).
  bool biteFollowsBoard() const { return biteFollowsBoard_; }
  bool curvePanelShown() const { return curvePanelShown_; }

  // ---- Timer handlers, public so tests can run them on a virtual clock ----
  // With no board open and a platform that watches devices, the poll sleeps
  // until a device comes or goes, but for one slow tick that rescans anyway:
  // a missed event costs seconds, not forever.
  void onPollTick();
  void onDevicesChanged();
  void onBiteHoldElapsed();
  // Re-reads the board after a notice, or asks again soon while the user
  // holds a control.
  void onNoticeRereadDue();

  // Width and height of the client area without the curve panel, in twips.
  static constexpr int kBaseWidthTwips = 8880;
  static constexpr int kBaseHeightTwips = 10545;
  static constexpr int kCurvePanelTwips = 6500;
  static constexpr int kPollStartMs = 100;
  static constexpr int kPollConnectedMs = 50;
  static constexpr int kPollLostMs = 250;
  static constexpr int kSafetyRescanMs = 5000;
  static constexpr int kNoticeRereadMs = 100;

 protected:
  void closeEvent(class QCloseEvent* event) override;
  bool eventFilter(QObject* watched, class QEvent* event) override;

 private:
  friend class ReadBackView;

  // ---- Signals.cpp ----
  void connectSignals();
  // A slider held down, or typed text not yet committed in the focused field.
  bool userHoldsAControl() const;

  // ---- BoardView.cpp ----
  void scanBoards();
  bool openSelectedBoard();
  void showSettings(const protocol::SettingsRecord& s);
  void showLed(const protocol::LedRecord& led);
  void followClutchBite();
  void setEditingEnabled(bool enable);
  void onSerialNumberPicked();

  // ---- Profiles.cpp ----
  void onResetAllClicked();
  void onProfilesClicked();
  // Saves what the board holds as a backup; its name, or empty with *problem set.
  QString saveResetBackup(QString* problem);

  // ---- LiveView.cpp ----
  // `rescan`: look for boards even though the platform saw no change.
  void serviceInput(bool rescan);
  void plotChartPoint(const board::ChartPoint& point);
  void buildButtonIndicators(int lastIndex);
  void onShowCurveClicked(int axis);
  void toggleCurvePanel(int axis);
  void clearChart();
  void resumeCurveMonitor();

  // ---- Editor.cpp ----
  void fillLists();
  void onAnalogInputModePicked();
  void onMasterClutchPicked();
  void onRotaryLeftPicked();
  void onRotaryRightPicked();
  void applyRotaryPairing();
  void onPulseWidthPicked();
  void onCurveTypePicked(int axis);
  void onCurveNumberMoved(int axis);
  void updateCurveNumberSliders();
  void onDeadZoneKey(QLineEdit* field, std::uint8_t lowCode, int& key);

  // ---- SliderFields.cpp ----
  QString sliderPercentText(const QSlider* slider) const;
  void updateClutchBiteText();
  void updateLedText();
  QString rawPercentText(std::int32_t raw) const;
  void holdBiteForTyping();
  void onClutchBitePressed();
  void onClutchBiteReleased();
  void onClutchBiteMoved();
  void onClutchBiteCommitted();
  void onLedMoved();
  void onLedCommitted();
  void onClutchBiteKey(int& key);
  void onLedKey(int& key);
  // "." and "," both type the decimal separator.
  void typeSeparator(int& key) const;
  QChar separator() const;

  // ---- Calibration.cpp ----
  void onCalibrateXClicked();
  void onCalibrateYClicked();

  // Slows the poll to the safety rescan and waits on the watch.
  void sleepOnWatch();
  // Back to the poll interval the window had before it slept.
  void wake();
  // Runs a modal message with the poll timer held, so ticks never nest.
  void showModalMessage(const QString& text, const char* name = "calibrationRefusal");
  // The same for a Yes/No question; true for Yes.
  bool askModalQuestion(const QString& text, const char* name);
  // Says in a box of its own, without stopping the wait, that another program
  // is writing to the board; says so again if the wait gave up.
  void onBoardLockWait(board::LockWait wait, const QString& serial);

  board::Board board_;
  board::ProfileStore profiles_;
  QLocale locale_;
  Controls ui_;
  QTimer* pollTimer_ = nullptr;
  QTimer* biteHoldTimer_ = nullptr;
  class QSocketNotifier* deviceWatch_ = nullptr;  // none: the platform cannot watch
  bool asleep_ = false;                           // on the watch, ticking only to rescan
  int awakeIntervalMs_ = kPollStartMs;
  QTimer* noticeRereadTimer_ = nullptr;
  class QMessageBox* lockNotice_ = nullptr;  // made at the first wait

  QChar decimalSeparator_;
  // False while the serial number list is being filled: picks are not acted on.
  bool serialListReady_ = false;
  bool biteFollowsBoard_ = false;
  bool curvePanelShown_ = false;
  bool curveMonitorOnX_ = false;
  // Last drawn value of each button byte; 999 matches none, so the first
  // report draws every indicator.
  std::array<std::int16_t, 8> buttonBytesShown_{};
  // Previous point of the chart; 0 means none.
  std::int32_t chartPrevH_ = 0;
  std::int32_t chartPrevV_ = 0;
  bool chartHasPoint_ = false;  // since the chart was last cleared
  // The next poll draws only its newest report: older ones predate a change.
  bool chartStartsAfresh_ = true;
  // Calibration clicks taken so far per axis: 0 idle, 1 armed, 2 low end taken.
  int calibrationStepX_ = 0;
  int calibrationStepY_ = 0;
  bool shutDown_ = false;
  QString appliedProfile_;  // by the profiles dialog, in this session
};

}  // namespace torvex::gui
