#include "ui/log_pull_view.h"

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

void LogPullView::ShowPull(const SpeedUpdates& updates, const LogPull& pull) {
  seconds = updates.seconds;
  rpm = updates.rpm;
  pullFirst = pull.first;
  pullLast = std::min(pull.last, rpm.empty() ? 0 : rpm.size() - 1);
  note.clear();
  update();
}

void LogPullView::ShowNothing(const QString& why) {
  seconds.clear();
  rpm.clear();
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
  if (rpm.size() < 2) {
    painter.drawText(rect().adjusted(4, 4, -4, -4), Qt::AlignCenter | Qt::TextWordWrap, note);
    return;
  }
  const double top = *std::max_element(rpm.begin(), rpm.end()) * kHeadroom;
  const double start = seconds.front();
  const double span = std::max(seconds.back() - start, 1e-9);
  const QString topText = QStringLiteral("%1 rpm").arg(top / kHeadroom, 0, 'f', 0);
  const QFontMetrics metrics = fontMetrics();
  const QRectF plot = QRectF(rect()).adjusted(metrics.horizontalAdvance(topText) + 8, 4, -8, -metrics.height() - 4);
  const auto at = [&](std::size_t k) {
    return QPointF(plot.left() + (seconds[k] - start) / span * plot.width(), plot.bottom() - rpm[k] / top * plot.height());
  };
  const auto line = [&](std::size_t first, std::size_t last, const QColor& colour, double width) {
    QPainterPath path(at(first));
    for (std::size_t k = first + 1; k <= last; ++k) path.lineTo(at(k));
    painter.setPen(QPen(colour, width));
    painter.drawPath(path);
  };

  painter.setRenderHint(QPainter::Antialiasing);
  painter.setPen(palette().color(QPalette::Text));
  painter.drawLine(plot.bottomLeft(), plot.bottomRight());
  painter.drawLine(plot.bottomLeft(), plot.topLeft());
  const double topY = plot.bottom() - (top / kHeadroom) / top * plot.height();
  painter.drawText(QRectF(0, topY - metrics.height() / 2.0, plot.left() - 4, metrics.height()),
                   Qt::AlignRight | Qt::AlignVCenter, topText);
  painter.drawText(QRectF(plot.left(), plot.bottom() + 2, plot.width(), metrics.height()), Qt::AlignLeft,
                   QStringLiteral("%1 s").arg(0));
  painter.drawText(QRectF(plot.left(), plot.bottom() + 2, plot.width(), metrics.height()), Qt::AlignRight,
                   QStringLiteral("%1 s").arg(span, 0, 'f', 1));
  line(0, rpm.size() - 1, kUpdates, 1.0);
  if (pullFirst < pullLast) line(pullFirst, pullLast, kPull, 2.0);
}

}  // namespace ruvo
