#pragma once

#include <QRect>

class QPainter;

namespace ruvo {

// Ticks with their values along the bottom (horizontal) or the left edge of pane for values low to
// high, at the round step of TickStep (1, 2 or 5 times a power of ten) for about count intervals.
void DrawTicks(QPainter& painter, const QRect& pane, double low, double high, bool horizontal, int count);

}  // namespace ruvo
