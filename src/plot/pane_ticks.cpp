#include "plot/pane_ticks.h"

#include <QFontMetrics>
#include <QPainter>

#include "plot/chart_ticks.h"

namespace ruvo {

void DrawTicks(QPainter& painter, const QRect& pane, double low, double high, bool horizontal, int count) {
  const double step = TickStep(high - low, count);
  const int decimals = StepDecimals(step);
  const QFontMetrics metrics(painter.font());
  for (const double v : TicksBetween(low, high, step)) {
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
