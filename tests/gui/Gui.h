#pragma once
// Helpers shared by the window tests: what a control shows, pixels of a
// drawn image, and a modal box answered from inside its own event loop.

#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QSlider>
#include <QTest>
#include <QTimer>
#include <functional>

#include "gui/CurveChart.h"
#include "gui/IndicatorShape.h"
#include "gui/Twips.h"
#include "support/Rig.h"

namespace torvex::test {

// A list its index, a slider or bar its value, anything else its text.
inline QString Shown(QWidget* w) {
  if (auto* c = qobject_cast<QComboBox*>(w)) return QString::number(c->currentIndex());
  if (auto* s = qobject_cast<QAbstractSlider*>(w)) return QString::number(s->value());
  if (auto* b = qobject_cast<QProgressBar*>(w)) return QString::number(b->value());
  if (auto* e = qobject_cast<QLineEdit*>(w)) return e->text();
  if (auto* l = qobject_cast<QLabel*>(w)) return l->text();
  if (auto* b = qobject_cast<QPushButton*>(w)) return b->text();
  if (auto* g = qobject_cast<QGroupBox*>(w)) return g->title();
  return {};
}

// As a user would: a button clicked, a slider stepped up, a list given `index`.
inline void Act(QWidget& w, const char* name, int index = 0) {
  QWidget* c = Find<QWidget>(w, name);
  if (auto* b = qobject_cast<QPushButton*>(c))
    b->click();
  else if (auto* s = qobject_cast<QSlider*>(c))
    s->triggerAction(QAbstractSlider::SliderSingleStepAdd);
  else
    qobject_cast<QComboBox*>(c)->setCurrentIndex(index);
}

inline int CountPixels(const QImage& image, const QColor& color) {
  int n = 0;
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x) n += image.pixelColor(x, y) == color;
  return n;
}

// Runs `inside` once the next modal box is open, then accepts it.
inline void WhenModalOpens(std::function<void(QMessageBox*)> inside, int tries = 100) {
  QTimer::singleShot(0, [inside, tries] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (!box) {
      if (tries > 0) WhenModalOpens(inside, tries - 1);
      return;
    }
    inside(box);
    box->accept();
  });
}

}  // namespace torvex::test
