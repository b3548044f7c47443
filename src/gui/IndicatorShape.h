#pragma once
#include <QColor>
#include <QWidget>

namespace torvex::gui {

// A filled square that stands for one button of the board; its number is a
// transparent label lying above it.
class IndicatorShape : public QWidget {
  Q_OBJECT
 public:
  explicit IndicatorShape(QWidget* parent = nullptr);
  void setFillColor(const QColor& color);
  QColor fillColor() const { return fill_; }
  // How many times the fill was set; the live display touches an indicator
  // only when its button byte changed, and this lets that be checked.
  int fillUpdates() const { return fillUpdates_; }

 protected:
  void paintEvent(QPaintEvent*) override;

 private:
  QColor fill_;
  int fillUpdates_ = 0;
};

}  // namespace torvex::gui
