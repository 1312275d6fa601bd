#include "ui/log_pull_view.h"

#include <QCoreApplication>
#include <QPainter>
#include <QPainterPath>
#include <algorithm>

namespace ruvo {
namespace {

const QColor kUpdates(150, 150, 150);
const QColor kPull(200, 30, 30);
constexpr double kHeadroom = 1.05;  // above the highest speed, so its line stays clear of the top

}  // namespace

LogPullView::LogPullView(QWidget* parent) : QWidget(parent) {
  setObjectName(QStringLiteral("logPull"));
  setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
}

void LogPullView::ShowPull(const SpeedUpdates& updates, const std::vector<TrackFrame>& frames, const PullSpan& span) {
  updatePoints.clear();
  for (std::size_t k = 0; k < updates.seconds.size(); ++k)
    updatePoints.emplace_back(updates.seconds[k], updates.rpm[k]);
  pullPoints.clear();
  for (std::size_t k = span.firstFrame; k <= span.lastFrame && k < frames.size(); ++k)
    pullPoints.emplace_back(frames[k].timeSeconds, frames[k].rpm);
  note.clear();
  update();
}

void LogPullView::ShowNothing(const QString& why) {
  updatePoints.clear();
  pullPoints.clear();
  note = why;
  update();
}

QSize LogPullView::sizeHint() const {
  const int line = fontMetrics().height();
  return {line * 24, line * 8};
}

void LogPullView::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.fillRect(rect(), palette().base());
  if (updatePoints.size() < 2) {
    painter.drawText(rect().adjusted(4, 4, -4, -4), Qt::AlignCenter | Qt::TextWordWrap, note);
    return;
  }
  const auto byRpm = [](const QPointF& a, const QPointF& b) { return a.y() < b.y(); };
  const double highest = std::max_element(updatePoints.begin(), updatePoints.end(), byRpm)->y();
  const double top = highest * kHeadroom;
  const double start = updatePoints.front().x();
  const double span = std::max(updatePoints.back().x() - start, 1e-9);
  const QString topText = QCoreApplication::translate("ruvo::LogPullView", "%1 rpm").arg(highest, 0, 'f', 0);
  const QFontMetrics metrics = fontMetrics();
  const QRectF plot = QRectF(rect()).adjusted(metrics.horizontalAdvance(topText) + 8, 4, -8, -metrics.height() - 4);
  const auto at = [&](const QPointF& point) {
    return QPointF(plot.left() + (point.x() - start) / span * plot.width(),
                   plot.bottom() - point.y() / top * plot.height());
  };
  const auto line = [&](const std::vector<QPointF>& points, const QColor& colour, double width) {
    if (points.empty()) return;
    QPainterPath path(at(points.front()));
    for (const QPointF& point : points) path.lineTo(at(point));
    painter.setPen(QPen(colour, width));
    painter.drawPath(path);
  };

  painter.setRenderHint(QPainter::Antialiasing);
  painter.setPen(palette().color(QPalette::Text));
  painter.drawLine(plot.bottomLeft(), plot.bottomRight());
  painter.drawLine(plot.bottomLeft(), plot.topLeft());
  const double highestY = at(QPointF(start, highest)).y();
  painter.drawText(QRectF(0, highestY - metrics.height() / 2.0, plot.left() - 4, metrics.height()),
                   Qt::AlignRight | Qt::AlignVCenter, topText);
  const QRectF timeRow(plot.left(), plot.bottom() + 2, plot.width(), metrics.height());
  painter.drawText(timeRow, Qt::AlignLeft, QCoreApplication::translate("ruvo::LogPullView", "0 s"));
  painter.drawText(timeRow, Qt::AlignRight,
                   QCoreApplication::translate("ruvo::LogPullView", "%1 s").arg(span, 0, 'f', 1));
  line(updatePoints, kUpdates, 1.0);
  line(pullPoints, kPull, 2.0);
}

}  // namespace ruvo
