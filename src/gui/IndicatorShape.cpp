#include "gui/IndicatorShape.h"

#include <QPainter>

namespace torvex::gui {

IndicatorShape::IndicatorShape(QWidget* parent)
    : QWidget(parent), fill_(palette().color(QPalette::Button)) {}

void IndicatorShape::setFillColor(const QColor& color) {
  ++fillUpdates_;
  if (color == fill_) return;
  fill_ = color;
  update();
}

void IndicatorShape::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.setPen(palette().color(QPalette::Dark));
  painter.setBrush(fill_);
  painter.drawRect(rect().adjusted(0, 0, -1, -1));
}

}  // namespace torvex::gui
