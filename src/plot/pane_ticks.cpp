#include "plot/pane_ticks.h"

#include <QFontMetrics>
#include <QPainter>
#include <algorithm>
#include <cmath>

namespace ruvo {
namespace {

// A round step (1, 2 or 5 times a power of ten) giving about count ticks over span.
double TickStep(double span, int count) {
  if (!(span > 0.0)) return 1.0;
  const double raw = span / std::max(1, count);
  const double power = std::pow(10.0, std::floor(std::log10(raw)));
  for (const double m : {1.0, 2.0, 5.0})
    if (raw <= m * power) return m * power;
  return 10.0 * power;
}

}  // namespace

void DrawTicks(QPainter& painter, const QRect& pane, double low, double high, bool horizontal, int count) {
  const double step = TickStep(high - low, count);
  const int decimals = std::max(0, static_cast<int>(-std::floor(std::log10(step))));
  const QFontMetrics metrics(painter.font());
  for (double v = std::ceil(low / step) * step; v <= high + step * 1e-9; v += step) {
    const QString text = QString::number(v, 'f', decimals);
    if (horizontal) {
      const int x = pane.left() + static_cast<int>((v - low) / (high - low) * pane.width());
      painter.drawLine(x, pane.bottom(), x, pane.bottom() + 4);
      painter.drawText(x - metrics.horizontalAdvance(text) / 2, pane.bottom() + 5 + metrics.ascent(), text);
    } else {
      const int y = pane.bottom() - static_cast<int>((v - low) / (high - low) * pane.height());
      painter.drawLine(pane.left() - 4, y, pane.left(), y);
      painter.drawText(pane.left() - 6 - metrics.horizontalAdvance(text), y + metrics.ascent() / 2 - 1, text);
    }
  }
}

}  // namespace ruvo
