// Qt signals and key events mapped onto the window's handlers.
//
// Lists: a handler runs whenever the selected index changes, from the user or
// from code, and never when it stays the same (currentIndexChanged).
// Sliders, the same mapping for all four:
//   press on the handle            -> _MouseDown
//   each position while dragging   -> _Scroll
//   release                        -> _MouseUp, then _Click
//   keyboard, wheel or page click  -> _Scroll, then _Click (sent like a release)
// Setting a slider's value from code (setValue) runs no handler.
// Text fields: every key with a character reaches its _KeyPress handler with
// the character by reference; Return and Enter both arrive as 13.
#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>
#include <QTimer>

#include "app/frmMain.h"

namespace {

using Handler = void (frmMain::*)();

void WireSlider(frmMain* form, QSlider* slider, Handler mouseDown, Handler mouseUp, Handler scroll,
                Handler click) {
  QObject::connect(slider, &QSlider::sliderPressed, form, [=] {
    if (mouseDown) (form->*mouseDown)();
  });
  QObject::connect(slider, &QSlider::sliderMoved, form, [=](int) { (form->*scroll)(); });
  QObject::connect(slider, &QSlider::sliderReleased, form, [=] {
    if (mouseUp) (form->*mouseUp)();
    (form->*click)();
  });
  QObject::connect(slider, &QSlider::actionTriggered, form, [=](int) {
    if (slider->isSliderDown()) return;  // a drag: sliderMoved carries it
    // The action has moved the position but not yet the value: apply it now
    // so the handlers read the new position.
    slider->setValue(slider->sliderPosition());
    (form->*scroll)();
    (form->*click)();
  });
}

void WireList(frmMain* form, QComboBox* list, Handler handler) {
  QObject::connect(list, &QComboBox::currentIndexChanged, form, [=](int) { (form->*handler)(); });
}

void WireButton(frmMain* form, QPushButton* button, Handler handler) {
  QObject::connect(button, &QPushButton::clicked, form, [=] { (form->*handler)(); });
}

}  // namespace

void frmMain::ConnectEvents() {
  WireList(this, SerNo, &frmMain::SerNo_Click);
  WireList(this, analogInputModeCombo, &frmMain::analogInputModeCombo_Click);
  WireList(this, masterClutchModeCombo, &frmMain::masterClutchModeCombo_Click);
  WireList(this, rotarySwitchLeftCombo, &frmMain::rotarySwitchLeftCombo_Click);
  WireList(this, rotarySwitchRightCombo, &frmMain::rotarySwitchRightCombo_Click);
  WireList(this, delay, &frmMain::delay_Click);
  WireList(this, xClutchCurveCombo, &frmMain::xClutchCurveCombo_Click);
  WireList(this, yClutchCurveCombo, &frmMain::yClutchCurveCombo_Click);

  WireSlider(this, clutchBiteSlider, &frmMain::clutchBiteSlider_MouseDown,
             &frmMain::clutchBiteSlider_MouseUp, &frmMain::clutchBiteSlider_Scroll,
             &frmMain::clutchBiteSlider_Click);
  WireSlider(this, ledSlider, nullptr, nullptr, &frmMain::ledSlider_Scroll,
             &frmMain::ledSlider_Click);
  WireSlider(this, xSliderCurveNumber, nullptr, nullptr, &frmMain::xSliderCurveNumber_Scroll,
             &frmMain::xSliderCurveNumber_Click);
  WireSlider(this, ySliderCurveNumber, nullptr, nullptr, &frmMain::ySliderCurveNumber_Scroll,
             &frmMain::ySliderCurveNumber_Click);

  WireButton(this, Command2, &frmMain::Command2_Click);
  WireButton(this, Command1, &frmMain::Command1_Click);
  WireButton(this, CalibrateX, &frmMain::CalibrateX_Click);
  WireButton(this, CalibrateY, &frmMain::CalibrateY_Click);
  for (int i = 0; i < static_cast<int>(checkCurves.size()); ++i)
    connect(checkCurves[i], &QPushButton::clicked, this, [this, i] { checkCurves_Click(i); });

  connect(Timer, &QTimer::timeout, this, &frmMain::Timer_Timer);
  connect(sliderRefreshTimer, &QTimer::timeout, this, &frmMain::sliderRefreshTimer_Timer);

  for (QLineEdit* field :
       {clutchBitePercentLabel, ledPercentLabel, xDeadLow, xDeadHigh, yDeadLow, yDeadHigh})
    field->installEventFilter(this);
}

bool frmMain::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() != QEvent::KeyPress) return QWidget::eventFilter(watched, event);
  auto* field = qobject_cast<QLineEdit*>(watched);
  auto* key = static_cast<QKeyEvent*>(event);
  int typed = 0;
  if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter)
    typed = 13;
  else if (!key->text().isEmpty())
    typed = key->text().at(0).unicode();
  if (!field || typed == 0) return QWidget::eventFilter(watched, event);

  int keyAscii = typed;
  if (field == clutchBitePercentLabel)
    clutchBitePercentLabel_KeyPress(keyAscii);
  else if (field == ledPercentLabel)
    ledPercentLabel_KeyPress(keyAscii);
  else if (field == xDeadLow)
    xDeadLow_KeyPress(keyAscii);
  else if (field == xDeadHigh)
    xDeadHigh_KeyPress(keyAscii);
  else if (field == yDeadLow)
    yDeadLow_KeyPress(keyAscii);
  else if (field == yDeadHigh)
    yDeadHigh_KeyPress(keyAscii);

  if (keyAscii == 0 || typed == 13) return true;  // swallowed, or Enter handled
  if (keyAscii != typed) {                        // replaced, e.g. "," for "."
    field->insert(QString(QChar(keyAscii)));
    return true;
  }
  return false;
}
