// SPDX-License-Identifier: MIT
#include "gui/IndicatorShape.h"

#include <QPainter>

namespace torvex::gui {

IndicatorShape::IndicatorShape(QWidget* parent)
    : QWidget(parent), fill_(palette().color(QPalette::Button)) {
  setAttribute(Qt::WA_OpaquePaintEvent);
}

void IndicatorShape::setFillColor(const QColor& color) {
  ++fillUpdates_;
  if (color == fill_) return;
  fill_ = color;
  update();
}

void IndicatorShape::setNumber(const QString& text, const QRect& area) {
  number_ = text;
  numberArea_ = area;
  update();
}

void IndicatorShape::setTextColor(const QColor& color) {
  if (color == text_) return;
  text_ = color;
  update();
}

QColor IndicatorShape::textColor() const {
  return text_.isValid() ? text_ : palette().color(QPalette::WindowText);
}

void IndicatorShape::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.setPen(palette().color(QPalette::Dark));
  painter.setBrush(fill_);
  painter.drawRect(rect().adjusted(0, 0, -1, -1));
  if (number_.isEmpty()) return;
  painter.setPen(textColor());
  painter.drawText(numberArea_, Qt::AlignHCenter | Qt::AlignTop, number_);
}

}  // namespace torvex::gui
