// SPDX-License-Identifier: MIT
// Qt signals and key events mapped onto the window's handlers.
//
// Lists: a handler runs whenever the selected index changes, from the user or
// from code, and never when it stays the same (currentIndexChanged).
// Sliders, the same mapping for all four:
//   press on the handle            -> pressed
//   each position while dragging   -> moved
//   release                        -> released, then committed
//   keyboard, wheel or page click  -> moved, then committed (sent like a release)
// Setting a slider's value from code (setValue) runs no handler.
// Text fields: every key with a character reaches its key handler with the
// character by reference (it may replace it, or set 0 to swallow it); Return
// and Enter both arrive as 13.
#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>
#include <QTimer>
#include <functional>

#include "gui/MainWindow.h"
#include "protocol/Protocol.h"

namespace torvex::gui {
namespace {

using Handler = std::function<void()>;

void WireSlider(MainWindow* window, QSlider* slider, Handler pressed, Handler released,
                Handler moved, Handler committed) {
  QObject::connect(slider, &QSlider::sliderPressed, window, [=] {
    if (pressed) pressed();
  });
  QObject::connect(slider, &QSlider::sliderMoved, window, [=](int) { moved(); });
  QObject::connect(slider, &QSlider::sliderReleased, window, [=] {
    if (released) released();
    committed();
  });
  QObject::connect(slider, &QSlider::actionTriggered, window, [=](int) {
    if (slider->isSliderDown()) return;  // a drag: sliderMoved carries it
    // Moved and committed both send: one sequence on the board.
    const auto hold = window->board().holdWrites();
    // The action has moved the position but not yet the value: apply it now
    // so the handlers read the new position.
    slider->setValue(slider->sliderPosition());
    moved();
    committed();
  });
}

void WireList(MainWindow* window, QComboBox* list, Handler handler) {
  QObject::connect(list, &QComboBox::currentIndexChanged, window, [=](int) { handler(); });
}

}  // namespace

void MainWindow::connectSignals() {
  WireList(this, ui_.serialNumberList, [this] { onSerialNumberPicked(); });
  WireList(this, ui_.analogInputModeList, [this] { onAnalogInputModePicked(); });
  WireList(this, ui_.masterClutchList, [this] { onMasterClutchPicked(); });
  WireList(this, ui_.rotaryLeftList, [this] { onRotaryLeftPicked(); });
  WireList(this, ui_.rotaryRightList, [this] { onRotaryRightPicked(); });
  WireList(this, ui_.pulseWidthList, [this] { onPulseWidthPicked(); });
  WireList(this, ui_.xCurveTypeList, [this] { onCurveTypePicked(0); });
  WireList(this, ui_.yCurveTypeList, [this] { onCurveTypePicked(1); });

  WireSlider(
      this, ui_.clutchBiteSlider, [this] { onClutchBitePressed(); },
      [this] { onClutchBiteReleased(); }, [this] { onClutchBiteMoved(); },
      [this] { onClutchBiteCommitted(); });
  WireSlider(
      this, ui_.ledSlider, nullptr, nullptr, [this] { onLedMoved(); },
      [this] { onLedCommitted(); });
  // A curve number goes out on every move and again on release.
  for (int axis : {0, 1}) {
    QSlider* slider = axis == 0 ? ui_.xCurveNumberSlider : ui_.yCurveNumberSlider;
    const Handler send = [this, axis] { onCurveNumberMoved(axis); };
    WireSlider(this, slider, nullptr, nullptr, send, send);
  }

  connect(ui_.profilesButton, &QPushButton::clicked, this, [this] { onProfilesClicked(); });
  connect(ui_.resetAllButton, &QPushButton::clicked, this, [this] { onResetAllClicked(); });
  connect(ui_.clearChartButton, &QPushButton::clicked, this, [this] { clearChart(); });
  connect(ui_.calibrateXButton, &QPushButton::clicked, this, [this] { onCalibrateXClicked(); });
  connect(ui_.calibrateYButton, &QPushButton::clicked, this, [this] { onCalibrateYClicked(); });
  for (int axis : {0, 1})
    connect(ui_.showCurveButtons[axis], &QPushButton::clicked, this,
            [this, axis] { onShowCurveClicked(axis); });

  connect(pollTimer_, &QTimer::timeout, this, &MainWindow::onPollTick);
  connect(biteHoldTimer_, &QTimer::timeout, this, &MainWindow::onBiteHoldElapsed);

  for (QLineEdit* field : {ui_.clutchBiteField, ui_.ledField, ui_.xDeadLowField, ui_.xDeadHighField,
                           ui_.yDeadLowField, ui_.yDeadHighField})
    field->installEventFilter(this);
}

bool MainWindow::userHoldsAControl() const {
  for (const QSlider* slider :
       {ui_.clutchBiteSlider, ui_.ledSlider, ui_.xCurveNumberSlider, ui_.yCurveNumberSlider})
    if (slider->isSliderDown()) return true;
  // Text the user typed and left without Enter or leaving the field; the
  // window's own texts clear the modified flag.
  const QWidget* focused = focusWidget();
  for (const QLineEdit* field : {ui_.clutchBiteField, ui_.ledField, ui_.xDeadLowField,
                                 ui_.xDeadHighField, ui_.yDeadLowField, ui_.yDeadHighField})
    if (field == focused && field->isModified()) return true;
  return false;
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() != QEvent::KeyPress) return QWidget::eventFilter(watched, event);
  auto* field = qobject_cast<QLineEdit*>(watched);
  auto* keyEvent = static_cast<QKeyEvent*>(event);
  int typed = 0;
  if (keyEvent->key() == Qt::Key_Return || keyEvent->key() == Qt::Key_Enter)
    typed = 13;
  else if (!keyEvent->text().isEmpty())
    typed = keyEvent->text().at(0).unicode();
  if (!field || typed == 0) return QWidget::eventFilter(watched, event);

  namespace code = protocol::code;
  int key = typed;
  if (field == ui_.clutchBiteField)
    onClutchBiteKey(key);
  else if (field == ui_.ledField)
    onLedKey(key);
  else if (field == ui_.xDeadLowField)
    onDeadZoneKey(field, code::SetXDeadLowLsb, key);
  else if (field == ui_.xDeadHighField)
    onDeadZoneKey(field, code::SetXDeadHighLsb, key);
  else if (field == ui_.yDeadLowField)
    onDeadZoneKey(field, code::SetYDeadLowLsb, key);
  else if (field == ui_.yDeadHighField)
    onDeadZoneKey(field, code::SetYDeadHighLsb, key);

  if (key == 0 || typed == 13) return true;  // swallowed, or Enter handled
  if (key != typed) {                        // replaced, e.g. "," for "."
    field->insert(QString(QChar(key)));
    return true;
  }
  return false;
}

}  // namespace torvex::gui
