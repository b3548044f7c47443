// SPDX-License-Identifier: MIT
#pragma once
#include <QImage>
#include <QWidget>

namespace torvex::gui {

// Drawing surface with user coordinates 0..65535 across and down, origin at
// the top left of its inner area (inside a one-pixel frame). Every point and
// line is drawn once into a backing image, so the cost of a point does not
// grow with the number drawn and a repaint shows what was drawn. White
// background, black points, lines in the colour given.
class CurveChart : public QWidget {
  Q_OBJECT
 public:
  static constexpr int kUserMax = 65535;
  static constexpr int kFrame = 1;
  explicit CurveChart(QWidget* parent = nullptr);
  void plotPoint(int h, int v);
  void drawLine(int h1, int v1, int h2, int v2, const QColor& color);
  void clear();
  // The inner area as drawn so far.
  const QImage& image() const { return image_; }
  // Pixel of the inner area that shows user point (h, v).
  QPoint toPixels(int h, int v) const;

 protected:
  void paintEvent(QPaintEvent*) override;
  void resizeEvent(QResizeEvent*) override;

 private:
  // The image follows the widget's size; drawn content is kept, scaled.
  void fitImage();
  QImage image_;
};

}  // namespace torvex::gui
