// SPDX-License-Identifier: MIT
#pragma once
// Helpers of the window tests: what controls show, a user's actions by
// object name, settings stored on a board, a modal box answered, pixels.
#include <gtest/gtest.h>

#include <QTest>
#include <QtWidgets>
#include <functional>

#include "gui/CurveChart.h"
#include "gui/IndicatorShape.h"
#include "gui/Twips.h"
#include "support/Rig.h"

namespace torvex::test {

// A list its index, a slider or bar its value, a frame its title, anything else its text.
inline QString Shown(QWidget* w) {
  for (const char* property : {"currentIndex", "value", "title", "text"})
    if (const QVariant v = w->property(property); v.isValid()) return v.toString();
  return QString();
}

// What the named controls show, space separated; "-" follows a disabled one.
inline std::string ShownAll(QWidget& w, const char* names) {
  QStringList out;
  for (const QString& name : QString(names).split(' '))
    if (QWidget* c = w.findChild<QWidget*>(name)) out << Shown(c) + (c->isEnabled() ? "" : "-");
  return out.join(' ').toStdString();
}

// Each "name=arg" as a user's: a button clicked, a list picked (arg: index), a
// slider stepped up by a key or, with positions "a,b,c", dragged through them,
// a field cleared and typed into key by key ("\r" is Return).
inline void Act(QWidget& w, const char* actions) {
  for (const QString& action : QString(actions).split(' ', Qt::SkipEmptyParts)) {
    QWidget* c = w.findChild<QWidget*>(action.section('=', 0, 0));
    const QString arg = action.section('=', 1);
    if (auto* e = qobject_cast<QLineEdit*>(c)) e->clear(), QTest::keyClicks(e, arg);
    if (auto* b = qobject_cast<QPushButton*>(c)) b->click();
    if (auto* l = qobject_cast<QComboBox*>(c)) l->setCurrentIndex(arg.toInt());
    auto* s = qobject_cast<QSlider*>(c);
    if (s && arg.isEmpty()) s->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    if (s && !arg.isEmpty()) s->setSliderDown(true);
    for (const QString& at : s ? arg.split(',', Qt::SkipEmptyParts) : QStringList())
      s->setSliderPosition(at.toInt());
    if (s && !arg.isEmpty()) s->setSliderDown(false);
  }
}

// Stores settings written "code:value" in hex, as Sent() shows them.
inline void Store(sim::BoardFirmware& fw, const char* settings) {
  for (const QString& s : QString(settings).split(' ', Qt::SkipEmptyParts))
    fw.setSetting(s.left(2).toUInt(nullptr, 16), s.mid(3).toUInt(nullptr, 16));
}

// Starts the window with board 0 holding `settings` and read back.
inline gui::MainWindow& LoadHolding(Rig& rig, const char* settings,
                                    const QLocale& locale = kEnglish) {
  Store(rig.platform.firmware(rig.platform.addBoard({})), settings);
  return rig.loadConnected(locale);
}

// Clicks `b` and answers the modal dialog it opens with `answer`: its name, a
// box's text and what `inside` saw, or "no box" (then no answer is left pending).
inline QString ClickAnswering(QPushButton* b, int answer = QMessageBox::Ok,
                              const std::function<QString(QDialog&)>& inside = {}) {
  QString seen = "no box";
  QTimer::singleShot(0, [&] {
    if (auto* d = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
      seen = d->objectName() + ": " + d->property("text").toString() + (inside ? inside(*d) : "");
      d->done(answer);
    }
  });
  b->click();
  QCoreApplication::processEvents();
  return seen;
}

inline int CountPixels(const QImage& image, const QColor& color) {
  const auto* p = reinterpret_cast<const QRgb*>(image.constBits());
  return int(std::count(p, p + image.width() * image.height(), color.rgb()));
}

}  // namespace torvex::test
