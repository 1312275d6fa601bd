#include "plot/recording_view.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QMouseEvent>
#include <QPainter>
#include <QSplitter>
#include <QStyle>
#include <QVBoxLayout>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>

#include "plot/pane_ticks.h"

namespace ruvo {
namespace {

// Layout of the plot in pixels.
constexpr int kLeft = 56, kRight = 10, kTop = 8, kBottom = 24, kPaneGap = 14;
constexpr double kWaveShare = 0.62;         // of the height for the waveform
constexpr double kZoomStep = 1.25;          // per wheel notch
constexpr double kMinimumSamples = 32.0;    // the narrowest stretch shown
constexpr double kFindingHalfWidth = 0.25;  // seconds shown either side of a finding

const QColor kWaveColor(0x1f, 0x4e, 0xb4);
const QColor kPulseColor(255, 170, 60, 120);
const QColor kCutoffColor(0xd6, 0x27, 0x28);
const QColor kMeasuredColor(0x2c, 0xa0, 0x2c);
const QColor kFittedColor(0x30, 0x30, 0x30);
const QColor kNoiseColor(0x94, 0x67, 0xbd);
const QColor kNoiseBandColor(0x94, 0x67, 0xbd, 60);

}  // namespace

RecordingPlot::RecordingPlot(QWidget* parent) : QWidget(parent) {
  setObjectName(QStringLiteral("recordingPlot"));
  setMinimumSize(320, 120);  // short, so the Results dock fits a short screen at a large scale factor
  setAttribute(Qt::WA_OpaquePaintEvent);
}

RecordingPlot::~RecordingPlot() = default;

void RecordingPlot::SetTrace(const RecordingTrace* shownTrace,
                             std::vector<double> findingTimes,
                             const QString& notice) {
  trace = shownTrace;
  findings = std::move(findingTimes);
  noticeText = notice;
  decimation = trace ? std::make_unique<WaveformDecimation>(trace->samples) : nullptr;
  speedLow = 0.0;
  speedHigh = 1.0;
  if (trace && !trace->evidence.speeds.empty()) {
    // The fitted curve sets the scale; measured speeds far off it are clipped at the edges.
    bool anyFit = false;
    double low = INFINITY, high = -INFINITY;
    for (const SpeedSample& s : trace->evidence.speeds)
      if (std::isfinite(s.fittedRpm) && s.fittedRpm > 0.0) {
        low = std::min(low, s.fittedRpm), high = std::max(high, s.fittedRpm);
        anyFit = true;
      }
    if (!anyFit)
      for (const SpeedSample& s : trace->evidence.speeds)
        if (std::isfinite(s.measuredRpm)) low = std::min(low, s.measuredRpm), high = std::max(high, s.measuredRpm);
    if (low < high) {
      const double pad = 0.15 * (high - low);
      speedLow = std::max(0.0, low - pad);
      speedHigh = high + pad;
    } else if (std::isfinite(low)) {
      speedLow = 0.0;
      speedHigh = 2.0 * low + 1.0;
    }
  }
  ShowAll();
}

double RecordingPlot::Duration() const {
  if (!trace || trace->evidence.detection.sampleRate <= 0) return 1.0;
  const double count = static_cast<double>(std::max(trace->samples.size(), std::size_t{1}));
  return count / trace->evidence.detection.sampleRate;
}

void RecordingPlot::ShowAll() {
  ZoomTo(0.0, Duration());
}

void RecordingPlot::ZoomTo(double firstSeconds, double endSeconds) {
  const double duration = Duration();
  const double rate = trace ? std::max(1, trace->evidence.detection.sampleRate) : 1.0;
  double width = std::clamp(endSeconds - firstSeconds, std::min(duration, kMinimumSamples / rate), duration);
  if (!std::isfinite(width)) width = duration;
  const double first = std::clamp(std::isfinite(firstSeconds) ? firstSeconds : 0.0, 0.0, duration - width);
  viewFirst = first;
  viewEnd = first + width;
  update();
}

int RecordingPlot::MarkedPulseCount() const {
  if (!trace) return 0;
  const PulseEvidence& d = trace->evidence.detection;
  const double rate = std::max(1, d.sampleRate);
  const auto count = static_cast<std::size_t>(std::max(0, d.pulses.pulseCount));
  int marked = 0;
  for (std::size_t k = 0; k < std::min({count, d.pulses.starts.size(), d.pulses.ends.size()}); ++k)
    if ((d.pulses.ends[k] + 1) / rate > viewFirst && d.pulses.starts[k] / rate < viewEnd) ++marked;
  return marked;
}

namespace {

// The cutoff the detection used last: the last counted pulse's, or without one the scans' own.
int LastCutoff(const PulseEvidence& d) {
  const auto count = std::min(static_cast<std::size_t>(std::max(0, d.pulses.pulseCount)), d.pulses.cutoffs.size());
  return count > 0 ? d.pulses.cutoffs[count - 1] : d.lastCutoff;
}

}  // namespace

QStringList RecordingPlot::LevelLabels() const {
  if (!trace || !trace->failed) return {};
  const PulseEvidence& d = trace->evidence.detection;
  return {tr("median noise \u00b1%1").arg(d.levels.noiseLevel, 0, 'f', 1), tr("last cutoff %1").arg(LastCutoff(d))};
}

double RecordingPlot::SecondsAt(double x) const {
  const double width = std::max(1, this->width() - kLeft - kRight);
  return viewFirst + (x - kLeft) / width * (viewEnd - viewFirst);
}

void RecordingPlot::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  Render(painter, size());
}

void RecordingPlot::Render(QPainter& painter, QSize size) const {
  painter.fillRect(QRect(QPoint(0, 0), size), palette().color(QPalette::Window));
  const int plotHeight = size.height() - kTop - kBottom - kPaneGap;
  const int plotWidth = size.width() - kLeft - kRight;
  if (plotWidth < 8 || plotHeight < 40) return;
  const QRect wave(kLeft, kTop, plotWidth, static_cast<int>(plotHeight * kWaveShare));
  const QRect speed(kLeft, wave.bottom() + kPaneGap, plotWidth, size.height() - kBottom - wave.bottom() - kPaneGap);
  painter.fillRect(wave, Qt::white);
  painter.fillRect(speed, Qt::white);
  painter.setPen(QColor(150, 150, 150));
  painter.drawRect(wave.adjusted(0, 0, -1, -1));
  painter.drawRect(speed.adjusted(0, 0, -1, -1));
  if (!trace || trace->samples.empty()) {
    painter.setPen(palette().color(QPalette::WindowText));
    painter.drawText(wave, Qt::AlignCenter | Qt::TextWordWrap,
                     noticeText.isEmpty() ? tr("No recording to show") : noticeText);
    return;
  }
  const PulseEvidence& d = trace->evidence.detection;
  const double rate = d.sampleRate;
  const double span = viewEnd - viewFirst;
  const auto xOf = [&](double seconds) { return wave.left() + (seconds - viewFirst) / span * wave.width(); };
  const auto yOfLevel = [&](double level) { return wave.top() + (255.0 - level) / 255.0 * (wave.height() - 1); };

  painter.save();
  painter.setClipRect(wave.adjusted(1, 1, -1, -1));
  // Pulse spans first, under the waveform; neighbours within one pixel share one rectangle.
  const auto count = std::min({static_cast<std::size_t>(std::max(0, d.pulses.pulseCount)), d.pulses.starts.size(),
                               d.pulses.ends.size(), d.pulses.cutoffs.size()});
  const auto firstVisible = static_cast<std::size_t>(
      std::lower_bound(d.pulses.ends.begin(), d.pulses.ends.begin() + static_cast<std::ptrdiff_t>(count),
                       static_cast<std::int32_t>(std::floor(viewFirst * rate))) -
      d.pulses.ends.begin());
  std::size_t endVisible = firstVisible;
  while (endVisible < count && d.pulses.starts[endVisible] / rate < viewEnd) ++endVisible;
  int lastPixel = -1;
  for (std::size_t k = firstVisible; k < endVisible; ++k) {
    const double x0 = xOf(d.pulses.starts[k] / rate), x1 = xOf((d.pulses.ends[k] + 1) / rate);
    if (static_cast<int>(x1) <= lastPixel) continue;
    const int left = std::max(static_cast<int>(x0), lastPixel + 1);
    const int right = std::max(left + 1, static_cast<int>(std::ceil(x1)));
    painter.fillRect(QRect(left, wave.top(), right - left, wave.height()), kPulseColor);
    lastPixel = right - 1;
  }
  // After a failure, the median noise level as a band about the mean level, under the waveform.
  const double noise = d.levels.noiseLevel;
  if (trace->failed)
    painter.fillRect(QRectF(QPointF(wave.left(), yOfLevel(trace->meanLevel + noise)),
                            QPointF(wave.right(), yOfLevel(trace->meanLevel - noise))),
                     kNoiseBandColor);
  // The waveform, one vertical line per pixel column.
  columns.resize(static_cast<std::size_t>(wave.width()));
  decimation->Decimate(viewFirst * rate, viewEnd * rate, columns);
  QVector<QLineF> lines;
  lines.reserve(static_cast<qsizetype>(columns.size()));
  for (std::size_t c = 0; c < columns.size(); ++c) {
    if (columns[c].low > columns[c].high) continue;
    const double x = wave.left() + static_cast<double>(c) + 0.5;
    lines.append(QLineF(x, yOfLevel(columns[c].high) - 0.5, x, yOfLevel(columns[c].low) + 0.5));
  }
  painter.setPen(QPen(kWaveColor, 1.0));
  painter.drawLines(lines);
  // The mean level, and the cutoff in force from each pulse to the next on either side of it.
  painter.setPen(QPen(QColor(120, 120, 120), 1.0, Qt::DotLine));
  painter.drawLine(QPointF(wave.left(), yOfLevel(trace->meanLevel)), QPointF(wave.right(), yOfLevel(trace->meanLevel)));
  for (const int side : {1, -1}) {
    QPolygonF step;
    const std::size_t from = firstVisible > 0 ? firstVisible - 1 : 0;
    for (std::size_t k = from; k < std::min(count, endVisible + 1); ++k) {
      const double y = yOfLevel(trace->meanLevel + side * d.pulses.cutoffs[k]);
      const double x0 = std::max<double>(wave.left(), xOf(d.pulses.starts[k] / rate));
      const double x1 =
          std::min<double>(wave.right(), k + 1 < count ? xOf(d.pulses.starts[k + 1] / rate) : wave.right());
      if (!step.isEmpty() && x1 - step.back().x() < 1.0 && k + 1 < endVisible) continue;
      step << QPointF(x0, y) << QPointF(x1, y);
    }
    painter.setPen(QPen(kCutoffColor, 1.0, Qt::DashLine));
    painter.drawPolyline(step);
  }
  if (trace->failed) DrawLevels(painter, wave, count == 0);
  painter.setPen(QPen(kCutoffColor, 2.0));
  for (const double t : findings)
    if (t >= viewFirst && t <= viewEnd) painter.drawLine(QPointF(xOf(t), wave.top()), QPointF(xOf(t), wave.bottom()));
  painter.restore();

  // Speed pane: measured points (per pixel column their range) and the fitted curve.
  const auto& speeds = trace->evidence.speeds;
  const auto yOfRpm = [&](double rpm) {
    const double y = speed.bottom() - (rpm - speedLow) / (speedHigh - speedLow) * (speed.height() - 1);
    return std::clamp(y, double(speed.top()), double(speed.bottom()));
  };
  painter.save();
  painter.setClipRect(speed.adjusted(1, 1, -1, -1));
  const auto begin = std::lower_bound(speeds.begin(), speeds.end(), viewFirst,
                                      [](const SpeedSample& s, double t) { return s.timeSeconds < t; });
  QPolygonF fitted;
  std::vector<std::pair<double, double>> measured(static_cast<std::size_t>(speed.width()), {INFINITY, -INFINITY});
  for (auto s = begin == speeds.begin() ? begin : begin - 1; s != speeds.end(); ++s) {
    const double x = xOf(s->timeSeconds);
    if (std::isfinite(s->fittedRpm) && (fitted.isEmpty() || x - fitted.back().x() >= 1.0 || s->timeSeconds > viewEnd))
      fitted << QPointF(x, yOfRpm(s->fittedRpm));
    const auto column = static_cast<std::ptrdiff_t>(x - speed.left());
    if (std::isfinite(s->measuredRpm) && column >= 0 && column < speed.width()) {
      auto& range = measured[static_cast<std::size_t>(column)];
      range = {std::min(range.first, yOfRpm(s->measuredRpm)), std::max(range.second, yOfRpm(s->measuredRpm))};
    }
    if (s->timeSeconds > viewEnd) break;
  }
  painter.setPen(Qt::NoPen);
  for (std::size_t c = 0; c < measured.size(); ++c)
    if (measured[c].first <= measured[c].second)
      painter.fillRect(QRectF(speed.left() + static_cast<double>(c) - 1.0, measured[c].first - 1.0, 3.0,
                              measured[c].second - measured[c].first + 3.0),
                       kMeasuredColor);
  painter.setPen(QPen(kFittedColor, 1.5));
  painter.drawPolyline(fitted);
  painter.restore();

  // Axes and the key.
  painter.setPen(palette().color(QPalette::WindowText));
  DrawTicks(painter, speed, viewFirst, viewEnd, true, std::max(3, speed.width() / 70));
  DrawTicks(painter, wave, 0.0, 255.0, false, 4);
  DrawTicks(painter, speed, speedLow, speedHigh, false, std::max(3, speed.height() / 30));
  const QFontMetrics metrics(painter.font());
  const QString secondsUnit = tr("s");
  painter.drawText(speed.right() - metrics.horizontalAdvance(secondsUnit) - 2, size.height() - 4, secondsUnit);
  painter.fillRect(QRect(speed.left() + 8, speed.top() + 6, 6, 6), kMeasuredColor);
  painter.drawText(speed.left() + 18, speed.top() + 6 + metrics.ascent() - 4,
                   tr("rpm of each interval    \u2014 fitted rpm"));
  painter.fillRect(QRect(wave.left() + 8, wave.top() + 6, 10, 8), kPulseColor);
  painter.drawText(wave.left() + 22, wave.top() + 6 + metrics.ascent() - 3, tr("pulses    - - cutoff    | findings"));
}

// The noise band's edges and, without a counted pulse, the scans' last cutoff on either side of the
// mean level; the noise labelled under the band, the cutoff over its upper line, at the right.
void RecordingPlot::DrawLevels(QPainter& painter, const QRect& wave, bool noPulses) const {
  const PulseEvidence& d = trace->evidence.detection;
  const auto yOfLevel = [&](double level) { return wave.top() + (255.0 - level) / 255.0 * (wave.height() - 1); };
  const double mean = trace->meanLevel, noise = d.levels.noiseLevel;
  const int cutoff = LastCutoff(d);
  painter.setPen(QPen(kNoiseColor, 1.0));
  for (const int side : {1, -1})
    painter.drawLine(QPointF(wave.left(), yOfLevel(mean + side * noise)),
                     QPointF(wave.right(), yOfLevel(mean + side * noise)));
  if (noPulses && cutoff > 0) {
    painter.setPen(QPen(kCutoffColor, 1.0, Qt::DashLine));
    for (const int side : {1, -1})
      painter.drawLine(QPointF(wave.left(), yOfLevel(mean + side * cutoff)),
                       QPointF(wave.right(), yOfLevel(mean + side * cutoff)));
  }
  const QStringList labels = LevelLabels();
  const QFontMetrics metrics(painter.font());
  const auto label = [&](const QString& text, double top, const QColor& color) {
    const int width = metrics.horizontalAdvance(text) + 6;
    const QRectF box(wave.right() - width - 4, top, width, metrics.height());
    painter.fillRect(box, QColor(255, 255, 255, 210));
    painter.setPen(color);
    painter.drawText(box, Qt::AlignCenter, text);
  };
  label(labels[0], yOfLevel(mean - noise) + 2.0, kNoiseColor);
  label(labels[1], yOfLevel(mean + cutoff) - metrics.height() - 2.0, kCutoffColor);
}

void RecordingPlot::wheelEvent(QWheelEvent* event) {
  const double notches = event->angleDelta().y() / 120.0;
  if (notches == 0.0 || !trace) return;
  const double at = SecondsAt(event->position().x());
  const double factor = std::pow(kZoomStep, -notches);
  ZoomTo(at - (at - viewFirst) * factor, at + (viewEnd - at) * factor);
  event->accept();
}

void RecordingPlot::mousePressEvent(QMouseEvent* event) {
  dragSeconds = event->button() == Qt::LeftButton ? SecondsAt(event->position().x()) : -1.0;
}

void RecordingPlot::mouseMoveEvent(QMouseEvent* event) {
  if (dragSeconds < 0.0 || !(event->buttons() & Qt::LeftButton)) return;
  const double shift = dragSeconds - SecondsAt(event->position().x());
  ZoomTo(viewFirst + shift, viewEnd + shift);
}

void RecordingPlot::mouseDoubleClickEvent(QMouseEvent*) {
  ShowAll();
}

RecordingView::RecordingView(QWidget* parent) : QWidget(parent) {
  setObjectName(QStringLiteral("recordingView"));
  choice = new QComboBox(this);
  choice->setObjectName(QStringLiteral("recordingChoice"));
  about = new QLabel(this);
  about->setObjectName(QStringLiteral("recordingAbout"));
  note = new QLabel(this);
  note->setObjectName(QStringLiteral("sourceNote"));
  note->setWordWrap(true);
  source = new SpectrogramPlot(this);
  plot = new RecordingPlot(this);
  findingList = new QListWidget(this);
  findingList->setObjectName(QStringLiteral("findingList"));
  findingList->setWordWrap(true);

  auto* top = new QHBoxLayout;
  top->addWidget(choice);
  top->addWidget(about, 1);
  // The findings under the plot, where a narrow dock still leaves their sentences readable.
  auto* split = new QSplitter(Qt::Vertical, this);
  split->addWidget(source);
  split->addWidget(plot);
  split->addWidget(findingList);
  split->setStretchFactor(0, 4);
  split->setStretchFactor(1, 4);
  split->setStretchFactor(2, 1);
  split->setSizes({300, 400, 90});
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(4, 4, 4, 4);
  layout->addLayout(top);
  layout->addWidget(note);
  layout->addWidget(split, 1);

  connect(choice, &QComboBox::currentIndexChanged, this, &RecordingView::ShowRecording);
  connect(findingList, &QListWidget::itemClicked, this,
          [this](QListWidgetItem* item) { GoToFinding(findingList->row(item)); });
  SetRecordings({}, {});
}

void RecordingView::SetRecordings(std::vector<RecordingTrace> recordings, std::vector<RunFinding> runFindings) {
  traces = std::move(recordings);
  engineSounds.assign(traces.size(), {});
  findings = std::move(runFindings);
  shown = -1;
  {
    const QSignalBlocker quiet(choice);
    choice->clear();
    for (const RecordingTrace& trace : traces) choice->addItem(trace.name);
  }
  choice->setVisible(traces.size() > 1);
  findingList->clear();
  for (const RunFinding& finding : findings) {
    auto* item = new QListWidgetItem(QString::fromStdString(finding.text), findingList);
    item->setIcon(style()->standardIcon(finding.severity == FindingSeverity::kWarning
                                            ? QStyle::SP_MessageBoxWarning
                                            : QStyle::SP_MessageBoxInformation));
  }
  const bool failed = !traces.empty() && traces.front().failed;
  if (findings.empty())
    findingList->addItem(traces.empty() ? QString()
                         : failed       ? tr("The recordings show no likely cause of the failure.")
                                        : tr("The checks found nothing."));
  ShowRecording(traces.empty() ? -1 : 0);
}

void RecordingView::ShowRecording(int index) {
  if (index < 0 || static_cast<std::size_t>(index) >= traces.size()) {
    shown = -1;
    about->setText(QString());
    plot->SetTrace(nullptr, {}, tr("Calculate to see the recordings, their pulses and engine speeds."));
    ShowEngineSound();
    return;
  }
  if (index != shown) {
    shown = index;
    const RecordingTrace& trace = traces[static_cast<std::size_t>(index)];
    const PulseEvidence& d = trace.evidence.detection;
    std::vector<double> times;
    for (const RunFinding& finding : findings)
      if (finding.recording == index && finding.timeSeconds >= 0.0) times.push_back(finding.timeSeconds);
    about->setText(trace.samples.empty()
                       ? tr("%1: the recording could not be read again").arg(trace.name)
                       : tr("%1: %2 Hz, %3 s, %4 pulses")
                             .arg(trace.name)
                             .arg(d.sampleRate)
                             .arg(static_cast<double>(trace.samples.size()) / std::max(1, d.sampleRate), 0, 'f', 2)
                             .arg(d.pulses.pulseCount));
    plot->SetTrace(&trace, std::move(times), about->text());
    ShowEngineSound();
  }
  if (choice->currentIndex() != index) choice->setCurrentIndex(index);
}

void RecordingView::SetEngineSound(int index,
                                   std::shared_ptr<const EngineSoundPicture> picture,
                                   const QString& noteText) {
  if (index < 0 || static_cast<std::size_t>(index) >= engineSounds.size()) return;
  engineSounds[static_cast<std::size_t>(index)] = {std::move(picture), noteText};
  if (index == shown) ShowEngineSound();
}

QString RecordingView::SourceNote() const {
  return note->isHidden() ? QString() : note->text();
}

void RecordingView::ShowEngineSound() {
  const EngineSound none;
  const EngineSound& shownSound = shown >= 0 ? engineSounds[static_cast<std::size_t>(shown)] : none;
  note->setText(shownSound.note);
  note->setVisible(!shownSound.note.isEmpty());
  source->SetPicture(shownSound.picture);
  source->setVisible(shownSound.picture != nullptr);
}

void RecordingView::GoToFinding(int index) {
  if (index < 0 || static_cast<std::size_t>(index) >= findings.size()) return;
  const RunFinding& finding = findings[static_cast<std::size_t>(index)];
  if (finding.recording >= 0) ShowRecording(finding.recording);
  if (finding.timeSeconds >= 0.0)
    plot->ZoomTo(finding.timeSeconds - kFindingHalfWidth, finding.timeSeconds + kFindingHalfWidth);
  else
    plot->ShowAll();
}

}  // namespace ruvo
