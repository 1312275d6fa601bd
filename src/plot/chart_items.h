#pragma once

#include <QGraphicsItem>
#include <QPen>
#include <QString>
#include <optional>

#include "plot/chart_model.h"
#include "plot/label_placement.h"

class QChart;
class QGraphicsLineItem;
class QGraphicsRectItem;
class QGraphicsSimpleTextItem;
class QValueAxis;

namespace ruvo {

// The pieces every chart of runs is built from: its charts and axes, the pens of doubtful lines,
// and the crosshair.

// The peaks' markers and the room around their labels, in pixels.
inline constexpr LabelSpacing kPeakLabelSpacing{8.0, 4.0};

// A chart as every pane starts: the legend at the bottom, narrow margins, a plain title.
QChart* NewChart();
QValueAxis* NewAxis(const QString& title);

// Fits axis to range with ticks at a round step for about intervals intervals (FitAxisRange),
// labelled with the step's decimals; without a range to fit, Qt's nice numbers.
void FitAxis(QValueAxis* axis, const std::optional<ValueRange>& range, double intervals = 6.0, bool endsOnTicks = true);

// The pixels a label of axis takes at most: its widest end with a sign.
double LabelWidth(const QValueAxis* axis);

// The pen of a faded line: the colour made translucent.
QPen FadedPen(QPen pen);
// The pen of doubtful rows: a solid line turns dashed, a patterned one fades.
QPen DoubtfulPen(QPen pen);
// Pixels from one dash to the next: Qt's dash pattern (4 on, 2 off) in pen widths.
double DashPeriod(const QPen& pen);

// The crosshair over the charts: a dashed line from the top pane's plot area to the bottom one's,
// and a box beside it with the values at that place. One item in the scene, above the charts
// (its line, box and text are its children); hidden until shown. Single-threaded.
class CrosshairItem : public QGraphicsItem {
 public:
  CrosshairItem();

  // Shows the line at x from top to bottom (scene pixels) and text in a box at its top beside it,
  // on the side with room before areaRight.
  void Show(const QString& text, double x, double top, double bottom, double areaRight);
  // The text of the box; empty while the crosshair is hidden.
  QString Text() const;

  QRectF boundingRect() const override { return QRectF(); }  // draws nothing itself
  void paint(QPainter*, const QStyleOptionGraphicsItem*, QWidget*) override {}

 private:
  QGraphicsLineItem* line;
  QGraphicsRectItem* box;
  QGraphicsSimpleTextItem* text;
};

}  // namespace ruvo
