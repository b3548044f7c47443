// SPDX-License-Identifier: MIT
#include "sim/VirtualWheel.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDial>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSlider>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>

#include "sim/VirtualPlatform.h"

namespace torvex::sim {

namespace {

constexpr std::int64_t kSweepUs = 8'000'000;  // one paddle sweep out and back
constexpr std::int64_t kButtonStepUs = 400'000;
constexpr std::int64_t kDetentUs = 2'000'000;
constexpr int kWalkingButtons = 40;  // 41..64 belong to the rotaries
constexpr int kTimerMs = 10;

const char* const kModeNames[2][5] = {
    {"12 Way Rotary", "12 Way Rotary Pulsed", "Encoder", "Shift (R-Encoder)",
     "Encoder (R-Shifted)"},
    {"12 Way Rotary", "12 Way Rotary Pulsed", "Encoder", "Encoder (L-Shifted)",
     "Shift (L-Encoder)"},
};

std::uint16_t Triangle(std::int64_t tUs) {
  const double phase = static_cast<double>(tUs % kSweepUs) / kSweepUs;
  const double up = phase < 0.5 ? 2 * phase : 2 - 2 * phase;
  return static_cast<std::uint16_t>(std::lround(up * 65535));
}

QString ModeText(int side, std::uint8_t mode) {
  if (mode >= 5) return QStringLiteral("Mode %1: presses nothing").arg(mode);
  const int first = RotaryInputs::kFirstButton[side] + 1;
  QString buttons;
  switch (mode) {
    case RotaryInputs::TwelveWay:
    case RotaryInputs::TwelveWayPulsed:
      buttons = QStringLiteral("buttons %1-%2").arg(first).arg(first + 11);
      break;
    case RotaryInputs::Encoder:
      buttons = QStringLiteral("CW %1, CCW %2").arg(first).arg(first + 1);
      break;
    default: {
      const bool shift =
          mode == (side == 0 ? RotaryInputs::PairingThree : RotaryInputs::PairingFour);
      buttons = shift ? QStringLiteral("shift while away from 1")
                      : QStringLiteral("CW %1, CCW %2; shifted %3, %4")
                            .arg(first)
                            .arg(first + 1)
                            .arg(first + 2)
                            .arg(first + 3);
    }
  }
  return QStringLiteral("%1: %2").arg(QLatin1String(kModeNames[side][mode]), buttons);
}

}  // namespace

WheelPose AnimatedPose(std::int64_t tUs) {
  if (tUs < 0) tUs = 0;
  WheelPose pose;
  pose.paddles = {Triangle(tUs), Triangle(tUs + kSweepUs / 2)};
  pose.button = static_cast<int>((tUs / kButtonStepUs) % kWalkingButtons);
  pose.rotaryDetents = static_cast<int>(tUs / kDetentUs);
  return pose;
}

VirtualWheel::VirtualWheel(VirtualPlatform& platform, QWidget* parent)
    : QWidget(parent), platform_(platform) {
  setWindowTitle("Virtual wheel");
  for (int i = 0; i < platform_.deviceCount(); ++i)
    if (platform_.device(i).firmware) boards_.push_back(i);

  auto* top = new QHBoxLayout;
  boardCombo_ = new QComboBox(this);
  boardCombo_->setObjectName("boardCombo");
  for (int i : boards_) {
    const auto& serial = platform_.device(i).identity.serialNumber;
    boardCombo_->addItem(serial ? QString::fromStdU16String(*serial)
                                : QStringLiteral("(no serial)"));
  }
  plugButton_ = new QPushButton(this);
  plugButton_->setObjectName("plugButton");
  plugButton_->setCheckable(true);
  rateCombo_ = new QComboBox(this);
  rateCombo_->setObjectName("rateCombo");
  rateCombo_->addItems({"1000 Hz", "250 Hz", "On change"});
  top->addWidget(new QLabel("Board:", this));
  top->addWidget(boardCombo_, 1);
  top->addWidget(plugButton_);
  top->addWidget(rateCombo_);

  auto* paddleBox = new QGroupBox("Paddles (raw sensor)", this);
  auto* paddleGrid = new QGridLayout(paddleBox);
  const char* paddleNames[2] = {"leftPaddle", "rightPaddle"};
  const char* paddleLabels[2] = {"Left (X)", "Right (Y)"};
  for (int p = 0; p < 2; ++p) {
    paddles_[p] = new QSlider(Qt::Horizontal, paddleBox);
    paddles_[p]->setObjectName(paddleNames[p]);
    paddles_[p]->setRange(0, 65535);
    paddleGrid->addWidget(new QLabel(paddleLabels[p], paddleBox), p, 0);
    paddleGrid->addWidget(paddles_[p], p, 1);
    connect(paddles_[p], &QSlider::valueChanged, this,
            [this, p](int v) { firmware().setPaddle(p, static_cast<std::uint16_t>(v)); });
  }

  auto* rotaryRow = new QHBoxLayout;
  rotaryRow->addWidget(buildRotary(0));
  rotaryRow->addWidget(buildRotary(1));

  auto* ledRow = new QHBoxLayout;
  led_ = new QProgressBar(this);
  led_->setObjectName("ledIntensity");
  led_->setRange(0, 255);
  led_->setFormat("%v");
  ledLamp_ = new QLabel(this);
  ledLamp_->setFixedSize(24, 24);
  ledRow->addWidget(new QLabel("LED intensity:", this));
  ledRow->addWidget(led_, 1);
  ledRow->addWidget(ledLamp_);

  animate_ = new QCheckBox("Animate (sweep the paddles, walk a button)", this);
  animate_->setObjectName("animate");

  auto* layout = new QVBoxLayout(this);
  layout->addLayout(top);
  layout->addWidget(paddleBox);
  layout->addWidget(buildButtons());
  layout->addLayout(rotaryRow);
  layout->addLayout(ledRow);
  layout->addWidget(animate_);

  connect(boardCombo_, &QComboBox::currentIndexChanged, this, &VirtualWheel::selectBoard);
  connect(plugButton_, &QPushButton::clicked, this, [this](bool plugged) {
    if (plugged)
      platform_.plug(board());
    else
      platform_.unplug(board());
    showBoard();
  });
  connect(rateCombo_, &QComboBox::currentIndexChanged, this, [this](int row) {
    if (row < 0 || row >= static_cast<int>(kReportPeriodsUs.size())) return;
    platform_.pump();
    auto& d = platform_.device(board());
    d.reportPeriodUs = kReportPeriodsUs[row];
    d.lastReportUs = platform_.nowUs();  // no burst of reports for the past
  });
  connect(animate_, &QCheckBox::toggled, this, [this](bool on) {
    if (!on && animatedButton_ >= 0)
      platform_.firmware(animatedBoard_).setButton(animatedButton_, false);
    animationStartUs_ = platform_.nowUs();
    animatedBoard_ = board();
    animatedDetents_ = 0;
    animatedButton_ = -1;
  });

  timer_ = new QTimer(this);
  connect(timer_, &QTimer::timeout, this, &VirtualWheel::tick);
  timer_->start(kTimerMs);
  // Start on the board the main window opens first: the last one listed.
  boardCombo_->setCurrentIndex(boardCombo_->count() - 1);
  showBoard();
}

QWidget* VirtualWheel::buildButtons() {
  auto* box = new QGroupBox("Buttons", this);
  auto* grid = new QGridLayout(box);
  grid->setSpacing(2);
  for (int k = 0; k < 64; ++k) {
    auto* b = new QPushButton(QString::number(k + 1), box);
    b->setObjectName(QStringLiteral("button%1").arg(k + 1));
    b->setCheckable(true);
    b->setFixedSize(34, 26);
    grid->addWidget(b, k / 8, k % 8);
    connect(b, &QPushButton::clicked, this, [this, b, k](bool checked) {
      if (b->isCheckable()) firmware().setButton(k, checked);
    });
    connect(b, &QPushButton::pressed, this, [this, b, k] {
      if (!b->isCheckable()) firmware().setButton(k, true);
    });
    connect(b, &QPushButton::released, this, [this, b, k] {
      if (!b->isCheckable()) firmware().setButton(k, false);
    });
    buttons_[k] = b;
  }
  momentary_ = new QCheckBox("Momentary (held only while pressed)", box);
  momentary_->setObjectName("momentary");
  grid->addWidget(momentary_, 8, 0, 1, 8);
  connect(momentary_, &QCheckBox::toggled, this, &VirtualWheel::setMomentary);
  return box;
}

QWidget* VirtualWheel::buildRotary(int side) {
  const char* names[2] = {"left", "right"};
  auto* box = new QGroupBox(side == 0 ? "Left rotary" : "Right rotary", this);
  auto* grid = new QGridLayout(box);
  auto* dial = new QDial(box);
  dial->setObjectName(QStringLiteral("%1Dial").arg(names[side]));
  dial->setRange(0, RotaryInputs::kPositions - 1);
  dial->setWrapping(true);
  dial->setNotchesVisible(true);
  dial->setFixedSize(72, 72);
  auto* ccw = new QPushButton("<", box);
  auto* cw = new QPushButton(">", box);
  ccw->setObjectName(QStringLiteral("%1StepCcw").arg(names[side]));
  cw->setObjectName(QStringLiteral("%1StepCw").arg(names[side]));
  dialModes_[side] = new QLabel(box);
  dialModes_[side]->setWordWrap(true);
  grid->addWidget(ccw, 0, 0);
  grid->addWidget(dial, 0, 1);
  grid->addWidget(cw, 0, 2);
  grid->addWidget(dialModes_[side], 1, 0, 1, 3);
  dials_[side] = dial;
  connect(dial, &QDial::valueChanged, this, [this, side](int v) { turnDial(side, v); });
  const auto step = [dial](int by) {
    dial->setValue((dial->value() + by + RotaryInputs::kPositions) % RotaryInputs::kPositions);
  };
  connect(ccw, &QPushButton::clicked, this, [step] { step(-1); });
  connect(cw, &QPushButton::clicked, this, [step] { step(1); });
  return box;
}

int VirtualWheel::board() const {
  const int row = boardCombo_ ? boardCombo_->currentIndex() : 0;
  return boards_.empty() ? -1 : boards_[std::clamp(row, 0, static_cast<int>(boards_.size()) - 1)];
}

BoardFirmware& VirtualWheel::firmware() {
  return platform_.firmware(board());
}

void VirtualWheel::selectBoard(int) {
  animate_->setChecked(false);  // releases the walking button on the board it pressed
  showBoard();
}

void VirtualWheel::setMomentary(bool momentary) {
  for (int k = 0; k < 64; ++k) {
    if (momentary && buttons_[k]->isChecked()) {
      QSignalBlocker block(buttons_[k]);
      buttons_[k]->setChecked(false);
      firmware().setButton(k, false);
    }
    buttons_[k]->setCheckable(!momentary);
  }
}

void VirtualWheel::turnDial(int side, int value) {
  const int n = RotaryInputs::kPositions;
  const int delta = ((value - dialValues_[side]) % n + n + n / 2) % n - n / 2;
  dialValues_[side] = value;
  platform_.pump();  // the knob turns now, not at the firmware's last moment
  firmware().turnRotary(static_cast<RotaryInputs::Side>(side), delta);
}

void VirtualWheel::animate() {
  const WheelPose pose = AnimatedPose(platform_.nowUs() - animationStartUs_);
  BoardFirmware& fw = firmware();
  fw.setPaddle(0, pose.paddles[0]);
  fw.setPaddle(1, pose.paddles[1]);
  if (pose.button != animatedButton_) {
    if (animatedButton_ >= 0) fw.setButton(animatedButton_, false);
    fw.setButton(pose.button, true);
    animatedButton_ = pose.button;
  }
  if (pose.rotaryDetents != animatedDetents_) {
    fw.turnRotary(RotaryInputs::Left, pose.rotaryDetents - animatedDetents_);
    animatedDetents_ = pose.rotaryDetents;
  }
}

void VirtualWheel::tick() {
  platform_.pump();
  if (board() < 0) return;
  if (animate_->isChecked()) animate();
  showBoard();
}

void VirtualWheel::showBoard() {
  if (board() < 0) return;
  BoardFirmware& fw = firmware();
  const auto& device = platform_.device(board());
  {
    QSignalBlocker b(plugButton_);
    plugButton_->setChecked(device.plugged);
    plugButton_->setText(device.plugged ? "Plugged in" : "Unplugged");
  }
  {
    QSignalBlocker b(rateCombo_);
    const auto it =
        std::find(kReportPeriodsUs.begin(), kReportPeriodsUs.end(), device.reportPeriodUs);
    rateCombo_->setCurrentIndex(
        it == kReportPeriodsUs.end() ? -1 : static_cast<int>(it - kReportPeriodsUs.begin()));
  }
  for (int p = 0; p < 2; ++p) {
    QSignalBlocker b(paddles_[p]);
    paddles_[p]->setValue(fw.paddle(p));
  }
  for (int k = 0; k < 64; ++k) {
    QSignalBlocker b(buttons_[k]);
    if (buttons_[k]->isCheckable()) buttons_[k]->setChecked(fw.button(k));
  }
  for (int side = 0; side < 2; ++side) {
    QSignalBlocker b(dials_[side]);
    const int position = fw.rotary().position(static_cast<RotaryInputs::Side>(side));
    dials_[side]->setValue(position);
    dialValues_[side] = position;
    dialModes_[side]->setText(
        ModeText(side, fw.rotary().mode(static_cast<RotaryInputs::Side>(side))));
  }
  const int led = std::min<int>(fw.ledIntensity(), 255);
  if (led == shownLed_) return;
  shownLed_ = led;
  led_->setValue(led);
  ledLamp_->setStyleSheet(
      QStringLiteral("background: rgb(%1, %2, 0); border: 1px solid gray; border-radius: 12px;")
          .arg(led)
          .arg(led * 3 / 4));
}

}  // namespace torvex::sim
