// SPDX-License-Identifier: MIT
#include "gui/CurveChart.h"

#include <QPainter>
#include <algorithm>
#include <cmath>

namespace torvex::gui {

namespace {
int Scale(int user, int pixels) {
  const int u = std::clamp(user, 0, CurveChart::kUserMax);
  return static_cast<int>(
      std::lround(static_cast<double>(u) * (pixels - 1) / CurveChart::kUserMax));
}
}  // namespace

CurveChart::CurveChart(QWidget* parent) : QWidget(parent) {
  setAttribute(Qt::WA_OpaquePaintEvent);
  fitImage();
}

void CurveChart::fitImage() {
  const QSize inner(std::max(1, width() - 2 * kFrame), std::max(1, height() - 2 * kFrame));
  if (image_.size() == inner) return;
  QImage fresh(inner, QImage::Format_RGB32);
  fresh.fill(Qt::white);
  if (!image_.isNull()) {
    QPainter p(&fresh);
    p.drawImage(fresh.rect(), image_);
  }
  image_ = std::move(fresh);
}

QPoint CurveChart::toPixels(int h, int v) const {
  return {Scale(h, image_.width()), Scale(v, image_.height())};
}

void CurveChart::plotPoint(int h, int v) {
  fitImage();
  const QPoint at = toPixels(h, v);
  image_.setPixelColor(at, Qt::black);
  update(at.x() + kFrame, at.y() + kFrame, 1, 1);
}

void CurveChart::drawLine(int h1, int v1, int h2, int v2, const QColor& color) {
  fitImage();
  const QPoint from = toPixels(h1, v1);
  const QPoint to = toPixels(h2, v2);
  {
    QPainter p(&image_);
    p.setPen(QPen(color, 0));
    p.drawLine(from, to);
  }
  update(QRect(from, to).normalized().adjusted(0, 0, 1, 1).translated(kFrame, kFrame));
}

void CurveChart::clear() {
  fitImage();
  image_.fill(Qt::white);
  update();
}

void CurveChart::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.setPen(palette().color(QPalette::Dark));
  p.setBrush(Qt::NoBrush);
  p.drawRect(rect().adjusted(0, 0, -1, -1));
  p.drawImage(kFrame, kFrame, image_);
}

void CurveChart::resizeEvent(QResizeEvent*) {
  fitImage();
}

}  // namespace torvex::gui
