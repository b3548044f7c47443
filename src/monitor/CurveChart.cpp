#include "monitor/CurveChart.h"

#include <QPainter>

namespace torvex::monitor {

CurveChart::CurveChart(QWidget* parent) : QWidget(parent) {}
void CurveChart::plotPoint(int, int) {}
void CurveChart::drawLine(int, int, int, int, const QColor&) {}
void CurveChart::clear() {}
QPointF CurveChart::toPixels(int, int) const { return {}; }
void CurveChart::paintEvent(QPaintEvent*) {}
void CurveChart::resizeEvent(QResizeEvent*) {}

}  // namespace torvex::monitor
