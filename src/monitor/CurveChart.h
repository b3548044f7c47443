#pragma once
#include <QImage>
#include <QWidget>

namespace torvex::monitor {

// Drawing surface with user coordinates 0..65535 across and down. Every
// point and line is drawn once into a backing image, so the cost of a point
// does not grow with the number drawn and a repaint shows what was drawn.
class CurveChart : public QWidget {
  Q_OBJECT
 public:
  static constexpr int kUserMax = 65535;
  explicit CurveChart(QWidget* parent = nullptr);
  void plotPoint(int h, int v);
  void drawLine(int h1, int v1, int h2, int v2, const QColor& color);
  void clear();
  const QImage& image() const { return image_; }

 protected:
  void paintEvent(QPaintEvent*) override;
  void resizeEvent(QResizeEvent*) override;

 private:
  QPointF toPixels(int h, int v) const;
  QImage image_;
};

}  // namespace torvex::monitor
