#pragma once
#include <QColor>
#include <QWidget>

namespace torvex::monitor {

// A filled square that stands for one button of the board.
class IndicatorShape : public QWidget {
  Q_OBJECT
 public:
  explicit IndicatorShape(QWidget* parent = nullptr);
  void setFillColor(const QColor& color);
  QColor fillColor() const { return fill_; }

 protected:
  void paintEvent(QPaintEvent*) override;

 private:
  QColor fill_;
};

}  // namespace torvex::monitor
