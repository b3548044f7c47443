// SPDX-License-Identifier: MIT
#pragma once
#include <QColor>
#include <QRect>
#include <QString>
#include <QWidget>

namespace torvex::gui {

// A filled square that stands for one button of the board, with the button's
// number on it. It paints every pixel it covers, so a change repaints it
// alone and not the frame behind it.
class IndicatorShape : public QWidget {
  Q_OBJECT
 public:
  explicit IndicatorShape(QWidget* parent = nullptr);
  void setFillColor(const QColor& color);
  QColor fillColor() const { return fill_; }
  // The number, drawn centred at the top of `area` (in the shape's pixels).
  void setNumber(const QString& text, const QRect& area);
  QString number() const { return number_; }
  // Until set, the number takes the palette's text colour.
  void setTextColor(const QColor& color);
  QColor textColor() const;
  // How many times the fill was set; the live display touches an indicator
  // only when its button byte changed, and this lets that be checked.
  int fillUpdates() const { return fillUpdates_; }

 protected:
  void paintEvent(QPaintEvent*) override;

 private:
  QColor fill_;
  QColor text_;
  QString number_;
  QRect numberArea_;
  int fillUpdates_ = 0;
};

}  // namespace torvex::gui
