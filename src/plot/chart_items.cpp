#include "plot/chart_items.h"

#include <QChart>
#include <QFontMetricsF>
#include <QGraphicsLineItem>
#include <QGraphicsRectItem>
#include <QGraphicsSimpleTextItem>
#include <QValueAxis>
#include <algorithm>
#include <cmath>

#include "plot/chart_ticks.h"
#include "plot/crosshair.h"

namespace ruvo {
namespace {

constexpr int kFadedAlpha = 80;  // of 255
// Pixels between the crosshair's line and its box, and from the box's frame to its text.
constexpr double kCrosshairGap = 10.0;
constexpr double kCrosshairPadX = 4.0, kCrosshairPadY = 3.0;
constexpr double kCrosshairDrop = 8.0;  // the box's text below the top of the plot area

}  // namespace

QChart* NewChart() {
  auto* chart = new QChart;
  chart->legend()->setAlignment(Qt::AlignBottom);
  chart->setMargins(QMargins(4, 4, 4, 4));
  QFont title = chart->titleFont();
  title.setBold(false);
  chart->setTitleFont(title);
  return chart;
}

QValueAxis* NewAxis(const QString& title) {
  auto* axis = new QValueAxis;
  axis->setTitleText(title);
  axis->setLabelFormat(QStringLiteral("%.6g"));
  return axis;
}

void FitAxis(QValueAxis* axis, const std::optional<ValueRange>& range, double intervals, bool endsOnTicks) {
  const std::optional<AxisFit> fit =
      range ? FitAxisRange(range->low, range->high, intervals, endsOnTicks) : std::nullopt;
  if (!fit) {
    axis->applyNiceNumbers();
    return;
  }
  axis->setRange(fit->low, fit->high);
  axis->setTickType(QValueAxis::TicksDynamic);
  axis->setTickAnchor(0.0);
  axis->setTickInterval(fit->step);
  axis->setLabelFormat(QStringLiteral("%.") + QString::number(fit->decimals) + u'f');
}

double LabelWidth(const QValueAxis* axis) {
  const QString widest =
      QString::asprintf(qPrintable(axis->labelFormat()), std::max(std::abs(axis->min()), std::abs(axis->max())));
  return QFontMetricsF(axis->labelsFont()).horizontalAdvance(u'-' + widest);
}

QPen FadedPen(QPen pen) {
  QColor faded = pen.color();
  faded.setAlpha(kFadedAlpha);
  pen.setColor(faded);
  return pen;
}

QPen DoubtfulPen(QPen pen) {
  if (pen.style() != Qt::SolidLine) return FadedPen(pen);
  pen.setStyle(Qt::DashLine);
  return pen;
}

double DashPeriod(const QPen& pen) {
  return 6.0 * std::max(1.0, pen.widthF());
}

CrosshairItem::CrosshairItem()
    : line(new QGraphicsLineItem(this)), box(new QGraphicsRectItem(this)), text(new QGraphicsSimpleTextItem(this)) {
  setZValue(100.0);  // above the charts and their peak labels
  line->setPen(QPen(QColor(80, 80, 80), 1, Qt::DashLine));
  box->setPen(QPen(QColor(160, 160, 160)));
  box->setBrush(QBrush(QColor(255, 255, 255, 230)));
  text->setZValue(1.0);
  setVisible(false);
}

void CrosshairItem::Show(const QString& shown, double x, double top, double bottom, double areaRight) {
  line->setLine(QLineF(x, top, x, bottom));
  text->setText(shown);
  const QRectF frame = text->boundingRect().adjusted(-kCrosshairPadX, -kCrosshairPadY, kCrosshairPadX, kCrosshairPadY);
  const double left = CrosshairBoxLeft(x, frame.width(), areaRight, kCrosshairGap);
  text->setPos(left + kCrosshairPadX, top + kCrosshairDrop);
  box->setRect(frame.translated(left + kCrosshairPadX, top + kCrosshairDrop));
  setVisible(true);
}

QString CrosshairItem::Text() const {
  return isVisible() ? text->text() : QString();
}

}  // namespace ruvo
