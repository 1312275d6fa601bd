#pragma once

#include <QRect>

class QPainter;

namespace ruvo {

// Ticks with their values along the bottom (horizontal) or the left edge of pane for values low to
// high, at a round step (1, 2 or 5 times a power of ten) giving about count ticks.
void DrawTicks(QPainter& painter, const QRect& pane, double low, double high, bool horizontal, int count);

}  // namespace ruvo
