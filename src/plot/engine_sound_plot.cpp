#include "plot/engine_sound_plot.h"

#include <QPainter>
#include <algorithm>
#include <cmath>

#include "plot/pane_ticks.h"

namespace ruvo {
namespace {

// Layout of the plot in pixels.
constexpr int kLeft = 56, kRight = 10, kTop = 8, kBottom = 24;
constexpr int kUnsureBand = 5;      // height of the red band under low-confidence stretches
constexpr float kFloorDb = -70.0f;  // levels this far below the loudest are drawn black
constexpr double kSecondsPerMinute = 60.0;

const QColor kTrackColor(255, 255, 255);
const QColor kUnsureColor(0xe3, 0x1a, 0x1c);
const QColor kPullColor(0xff, 0xd7, 0x00);

// Dark blue through purple and orange to pale yellow, for a level from 0 (floor) to 1 (loudest).
QRgb LevelColor(double share) {
  struct Stop {
    double at;
    int r, g, b;
  };
  static constexpr Stop kStops[] = {
      {0.0, 0, 0, 4}, {0.3, 60, 15, 110}, {0.55, 160, 40, 120}, {0.8, 245, 110, 60}, {1.0, 252, 250, 190}};
  share = std::clamp(share, 0.0, 1.0);
  std::size_t k = 1;
  while (k + 1 < std::size(kStops) && share > kStops[k].at) ++k;
  const Stop& a = kStops[k - 1];
  const Stop& b = kStops[k];
  const double t = (share - a.at) / (b.at - a.at);
  const auto mix = [t](int from, int to) { return static_cast<int>(std::lround(from + t * (to - from))); };
  return qRgb(mix(a.r, b.r), mix(a.g, b.g), mix(a.b, b.b));
}

}  // namespace

SpectrogramPlot::SpectrogramPlot(QWidget* parent) : QWidget(parent) {
  setObjectName(QStringLiteral("spectrogramPlot"));
  setMinimumSize(320, 120);
  setAttribute(Qt::WA_OpaquePaintEvent);
}

void SpectrogramPlot::SetPicture(std::shared_ptr<const EngineSoundPicture> shown, const QString& notice) {
  picture = std::move(shown);
  noticeText = notice;
  levels = QImage();
  if (picture && picture->spectrogram.frameCount > 0 && picture->spectrogram.binCount > 0) {
    const Spectrogram& s = picture->spectrogram;
    levels = QImage(s.frameCount, s.binCount, QImage::Format_RGB32);
    for (int f = 0; f < s.frameCount; ++f)
      for (int b = 0; b < s.binCount; ++b) {
        const float db = s.levelsDb[static_cast<std::size_t>(f) * static_cast<std::size_t>(s.binCount) +
                                    static_cast<std::size_t>(b)];
        levels.setPixel(f, s.binCount - 1 - b, LevelColor(1.0 - db / kFloorDb));
      }
  }
  update();
}

std::vector<std::pair<double, double>> SpectrogramPlot::UnsureStretches() const {
  std::vector<std::pair<double, double>> stretches;
  if (!picture) return stretches;
  const std::vector<TrackFrame>& frames = picture->frames;
  for (std::size_t k = 0; k < frames.size(); ++k) {
    if (frames[k].confidence >= kLowConfidence) continue;
    const double from = frames[k].timeSeconds;
    while (k + 1 < frames.size() && frames[k + 1].confidence < kLowConfidence) ++k;
    stretches.emplace_back(from, frames[k].timeSeconds);
  }
  return stretches;
}

void SpectrogramPlot::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  Render(painter, size());
}

void SpectrogramPlot::Render(QPainter& painter, QSize size) const {
  painter.fillRect(QRect(QPoint(0, 0), size), palette().color(QPalette::Window));
  const QRect pane(kLeft, kTop, size.width() - kLeft - kRight, size.height() - kTop - kBottom);
  if (pane.width() < 8 || pane.height() < 20) return;
  if (levels.isNull()) {
    painter.fillRect(pane, Qt::white);
    painter.setPen(QColor(150, 150, 150));
    painter.drawRect(pane.adjusted(0, 0, -1, -1));
    painter.setPen(palette().color(QPalette::WindowText));
    painter.drawText(pane, Qt::AlignCenter | Qt::TextWordWrap, noticeText);
    return;
  }
  const Spectrogram& s = picture->spectrogram;
  const double seconds = s.frameCount * s.hopSeconds;
  const double topHz = s.binCount * s.binHz;
  const auto xOf = [&](double t) { return pane.left() + t / seconds * pane.width(); };
  const auto yOf = [&](double hz) { return pane.bottom() + 1 - hz / topHz * pane.height(); };

  painter.save();
  painter.setRenderHint(QPainter::SmoothPixmapTransform);
  painter.drawImage(QRectF(pane), levels);
  painter.setClipRect(pane);
  painter.setRenderHint(QPainter::Antialiasing);
  // The pull between dashed lines.
  painter.setPen(QPen(kPullColor, 1.5, Qt::DashLine));
  for (const double t : {picture->pullFromSeconds, picture->pullToSeconds})
    painter.drawLine(QPointF(xOf(t), pane.top()), QPointF(xOf(t), pane.bottom()));
  // The firing frequency, one polyline per run of frames of the same confidence class.
  const std::vector<TrackFrame>& frames = picture->frames;
  const auto pointOf = [&](const TrackFrame& frame) {
    return QPointF(xOf(frame.timeSeconds), yOf(frame.rpm / kSecondsPerMinute * picture->firingsPerRevolution));
  };
  std::size_t k = 0;
  while (k < frames.size()) {
    const bool unsure = frames[k].confidence < kLowConfidence;
    QPolygonF line;
    if (k > 0) line << pointOf(frames[k - 1]);
    for (; k < frames.size() && (frames[k].confidence < kLowConfidence) == unsure; ++k) line << pointOf(frames[k]);
    painter.setPen(QPen(unsure ? kUnsureColor : kTrackColor, 1.5));
    painter.drawPolyline(line);
  }
  for (const auto& [from, to] : UnsureStretches())
    painter.fillRect(
        QRectF(xOf(from), pane.bottom() + 1 - kUnsureBand, std::max(2.0, xOf(to) - xOf(from)), kUnsureBand),
        kUnsureColor);
  painter.restore();

  painter.setPen(palette().color(QPalette::WindowText));
  DrawTicks(painter, pane, 0.0, seconds, true, std::max(3, pane.width() / 70));
  DrawTicks(painter, pane, 0.0, topHz, false, std::max(3, pane.height() / 30));
  const QFontMetrics metrics(painter.font());
  painter.drawText(4, size.height() - 4, tr("Hz"));  // under the frequencies, clear of their ticks
  const QString secondsUnit = tr("s");
  painter.drawText(pane.right() - metrics.horizontalAdvance(secondsUnit) - 2, size.height() - 4, secondsUnit);
  const QString key = frames.empty() ? tr("- - pull") : tr("\u2014 firing    \u2014 unsure    - - pull");
  const QRect keyBox(pane.left() + 6, pane.top() + 4, metrics.horizontalAdvance(key) + 10, metrics.height() + 4);
  painter.fillRect(keyBox, QColor(0, 0, 0, 160));
  painter.setPen(Qt::white);
  painter.drawText(keyBox, Qt::AlignCenter, key);
  if (!frames.empty()) {
    // The second dash of the key in the low-confidence colour.
    const int dashAt = keyBox.left() + 5 + metrics.horizontalAdvance(key.left(key.lastIndexOf(QChar(0x2014))));
    painter.fillRect(QRect(dashAt, keyBox.center().y() - 1, metrics.horizontalAdvance(QStringLiteral("\u2014")), 3),
                     kUnsureColor);
  }
}

}  // namespace ruvo
