#include "plot/run_chart.h"

#include <QChart>
#include <QFileInfo>
#include <QFontMetricsF>
#include <QGraphicsLayout>
#include <QGraphicsSimpleTextItem>
#include <QLineSeries>
#include <QMouseEvent>
#include <QPainter>
#include <QTimer>
#include <QValueAxis>
#include <algorithm>
#include <limits>

#include "plot/chart_ticks.h"
#include "plot/label_placement.h"

namespace ruvo {
namespace {

// How many ticks the value axes may rise when a chart is too low for its peak labels.
constexpr int kMostRaisedTicks = 4;
// A doubtful stretch shorter on screen than this many periods of its dash pattern is faded instead:
// a fraction of a dash reads as a flaw in the line.
constexpr double kLeastDashPeriods = 2.0;
// Horizontal axis labels: at least this many label widths from one to the next.
constexpr double kLabelPitch = 1.8;
constexpr double kPixelsPerPaneInterval = 60.0;  // the ticks of a stacked pane's value axis

}  // namespace

QColor RunColor(std::size_t index) {
  static const QColor kColors[] = {QColor(0x1f, 0x4e, 0xb4), QColor(0xd6, 0x27, 0x28), QColor(0x2c, 0xa0, 0x2c),
                                   QColor(0x94, 0x67, 0xbd), QColor(0xff, 0x7f, 0x0e), QColor(0x17, 0xbe, 0xcf),
                                   QColor(0x8c, 0x56, 0x4b), QColor(0x7f, 0x7f, 0x7f)};
  return kColors[index % std::size(kColors)];
}

RunPeaks PeaksOf(const PlotRun& run) {
  return run.peaks ? *run.peaks : PeaksOfTable(run.table);
}

QString LegendName(const PlotRun& run) {
  return run.note.isEmpty() ? run.name : run.name + QStringLiteral(" \u2014 ") + run.note;
}

QString RunName(const QString& title, const QString& filePath) {
  const QString file = QFileInfo(filePath).fileName();
  return title.trimmed().isEmpty() ? file : title.trimmed() + QStringLiteral(" (") + file + u')';
}

RunChart::RunChart(QWidget* parent) : QChartView(parent), crosshair(new CrosshairItem) {
  setObjectName(QStringLiteral("runChart"));
  setRenderHint(QPainter::Antialiasing);
  setMouseTracking(true);
  scene()->addItem(crosshair);
  Rebuild();
}

void RunChart::SetRuns(std::vector<PlotRun> shownRuns, const QString& shownNotice) {
  runs = std::move(shownRuns);
  notice = shownNotice;
  Rebuild();
}

void RunChart::SetRunVisible(std::size_t index, bool visible) {
  if (index >= runs.size() || runs[index].visible == visible) return;
  runs[index].visible = visible;
  Rebuild();
}

void RunChart::SetUnits(UnitSystem chosen) {
  if (units == chosen) return;
  units = chosen;
  Rebuild();
}

void RunChart::SetTimeQuantities(unsigned quantities) {
  if (timeQuantities == quantities) return;
  timeQuantities = quantities;
  Rebuild();
}

void RunChart::SetStackedPanes(bool stack) {
  if (stacked == stack) return;
  stacked = stack;
  Rebuild();
}

bool RunChart::PowerLayout() const {
  return !runs.empty() && runs.front().table.IsPowerTable();
}

void RunChart::Rebuild() {
  crosshair->setVisible(false);
  peakLabels.clear();
  doubtfulStretches.clear();
  chartAxes.clear();
  for (std::size_t i = 1; i < panes.size(); ++i) delete panes[i];
  QChart* previous = chart();
  QChart* fresh = NewChart();
  setChart(fresh);
  delete previous;
  panes.assign(1, fresh);

  const bool anyVisible = std::any_of(runs.begin(), runs.end(), [](const PlotRun& run) { return run.visible; });
  QString dashedMeaning;
  if (anyVisible) dashedMeaning = PowerLayout() ? AddPowerSeries() : AddTimeSeries();
  fresh->setTitle(Title(dashedMeaning));
  for (QChart* pane : panes) pane->legend()->setVisible(anyVisible && pane == panes.back());
  connect(fresh, &QChart::plotAreaChanged, this, &RunChart::PlacePeakLabels);
  for (QChart* pane : panes) connect(pane, &QChart::plotAreaChanged, this, &RunChart::StyleDoubtfulStretches);
  LayOut(QSizeF(viewport()->size()));
  PlacePeakLabels();
  StyleDoubtfulStretches();
}

QString RunChart::Title(const QString& dashedMeaning) const {
  QStringList lines;
  if (!heading.isEmpty()) lines << QStringLiteral("<b>") + heading.toHtmlEscaped() + QStringLiteral("</b>");
  // Every corrected run is corrected to the same standard; those left as measured say so in the legend.
  for (const PlotRun& run : runs)
    if (run.visible && run.correctedTo && run.table.IsPowerTable() == PowerLayout()) {
      lines << tr("Corrected to %1").arg(QString::fromStdString(std::string(CorrectionTitle(*run.correctedTo))));
      break;
    }
  if (!notice.isEmpty()) lines << notice.toHtmlEscaped().replace(u'\n', QStringLiteral("<br>"));
  if (!runs.empty() && std::none_of(runs.begin(), runs.end(), [](const PlotRun& run) { return run.visible; }))
    lines << tr("Every run is hidden");
  QStringList apart;
  for (const PlotRun& run : runs)
    if (run.table.IsPowerTable() != PowerLayout()) apart << run.name.toHtmlEscaped();
  if (!apart.isEmpty())
    lines << (PowerLayout() ? tr("Not shown beside dynamometer runs: %1") : tr("Not shown beside tachometer runs: %1"))
                 .arg(apart.join(QStringLiteral(", ")));
  if (!dashedMeaning.isEmpty()) lines << dashedMeaning;
  // Lines of a title are centred like a title of one line.
  const QString title = lines.join(QStringLiteral("<br>"));
  return title.contains(QStringLiteral("<br>"))
             ? QStringLiteral("<div align=\"center\">") + title + QStringLiteral("</div>")
             : title;
}

QChart* RunChart::AddPane() {
  QChart* pane = NewChart();
  scene()->addItem(pane);
  panes.push_back(pane);
  // The panes' own layouts settle after an event; line them up once they have.
  for (QChart* laidOut : {panes.front(), pane})
    connect(laidOut, &QChart::plotAreaChanged, this, &RunChart::QueueAlignPanes, Qt::UniqueConnection);
  return pane;
}

void RunChart::LayOut(QSizeF size) {
  if (size.isEmpty()) return;
  // The top pane also holds the title's lines, the bottom one the time axis's labels and title and the
  // legend.
  const QString title = panes.front()->title();
  const qreal top = panes.size() < 2 || title.isEmpty() ? 0.0
                                                        : static_cast<qreal>(title.count(QStringLiteral("<br>")) + 1) *
                                                              QFontMetricsF(panes.front()->titleFont()).lineSpacing();
  const qreal bottom = panes.size() < 2 ? 0.0 : 5.0 * QFontMetricsF(panes.back()->legend()->font()).lineSpacing();
  const qreal height = (size.height() - top - bottom) / static_cast<qreal>(panes.size());
  for (std::size_t i = 0; i < panes.size(); ++i) {
    panes[i]->setPlotArea(QRectF());  // laid out afresh
    const qreal from = i == 0 ? 0.0 : top + height * static_cast<qreal>(i);
    const qreal own = height + (i == 0 ? top : 0.0) + (i + 1 == panes.size() ? bottom : 0.0);
    panes[i]->setGeometry(QRectF(0.0, from, size.width(), own));
    if (panes.size() > 1)  // a label for each 60 pixels of the pane, 2 to 6 intervals
      for (const ChartAxis& axis : chartAxes)
        if (axis.pane == panes[i] && axis.data && axis.axis->orientation() == Qt::Vertical)
          FitAxis(axis.axis, axis.data, IntervalsFor(height, kPixelsPerPaneInterval, 2.0, 6.0));
    panes[i]->layout()->activate();
  }
  // A value axis's title whole where the pane is high enough, else its unit, never elided.
  for (const ChartAxis& axis : chartAxes)
    if (!axis.unitTitle.isEmpty()) {
      const bool fits =
          QFontMetricsF(axis.axis->titleFont()).horizontalAdvance(axis.wholeTitle) <= axis.pane->plotArea().height();
      axis.axis->setTitleText(fits ? axis.wholeTitle : axis.unitTitle);
    }
  // As many intervals on the time or engine speed axis as its labels have room for, so none is
  // elided; the same in every pane, so their grids line up.
  qreal width = size.width();
  for (const QChart* pane : panes)
    if (!pane->plotArea().isEmpty()) width = std::min(width, pane->plotArea().width());
  for (const ChartAxis& axis : chartAxes)
    if (axis.data && axis.axis->orientation() == Qt::Horizontal) {
      FitAxis(axis.axis, axis.data, 6.0, false);  // the labels' decimals at most
      FitAxis(axis.axis, axis.data, IntervalsFor(width, kLabelPitch * LabelWidth(axis.axis), 2.0, 8.0), false);
    }
  scene()->setSceneRect(QRectF(QPointF(0.0, 0.0), size));
}

void RunChart::QueueAlignPanes() {
  if (alignQueued) return;
  alignQueued = true;
  QTimer::singleShot(0, this, &RunChart::AlignPanes);
}

void RunChart::AlignPanes() {
  alignQueued = false;
  if (panes.size() < 2) return;
  // Stacked panes share their horizontal axis: their plot areas line up on the widest axis labels.
  qreal left = 0.0, right = std::numeric_limits<qreal>::max();
  for (const QChart* pane : panes) {
    left = std::max(left, pane->plotArea().left());
    right = std::min(right, pane->plotArea().right());
  }
  for (QChart* pane : panes) {
    const QRectF area = pane->plotArea();
    if (right > left && (area.left() != left || area.right() != right)) {
      pane->setPlotArea(QRectF(left, area.top(), right - left, area.height()));
      pane->layout()->setGeometry(pane->layout()->geometry());  // lays the axes out around it now
    }
  }
}

void RunChart::PlacePeakLabels() {
  if (placingLabels || peakLabels.empty()) return;
  placingLabels = true;
  // From the axes as fitted; where the labels find no clear place the value axes rise a tick at a
  // time, lowering the curves to make room above them.
  for (const ChartAxis& axis : chartAxes)
    if (axis.fittedMax) axis.axis->setMax(*axis.fittedMax);
  for (int raised = 0; !TryPlacePeakLabels(raised == kMostRaisedTicks) && raised < kMostRaisedTicks; ++raised)
    for (const ChartAxis& axis : chartAxes)
      if (axis.fittedMax) axis.axis->setMax(axis.axis->max() + axis.axis->tickInterval());
  placingLabels = false;
}

bool RunChart::TryPlacePeakLabels(bool last) {
  QChart* c = chart();
  const QRectF area = c->plotArea();
  std::vector<PixelSegment> curves;
  for (QAbstractSeries* series : c->series())
    if (auto* line = qobject_cast<QLineSeries*>(series); line && line->isVisible() && line->count() > 1) {
      const QList<QPointF> points = line->points();
      for (qsizetype k = 1; k < points.size(); ++k) {
        const QPointF from = c->mapToPosition(points[k - 1], line), to = c->mapToPosition(points[k], line);
        curves.push_back({{from.x(), from.y()}, {to.x(), to.y()}});
      }
    }
  std::vector<PeakLabelBox> boxes;
  for (const PeakLabel& label : peakLabels) {
    const QPointF at = c->mapToPosition(label.value, label.series);
    const QSizeF size = label.text->boundingRect().size();
    boxes.push_back({{at.x(), at.y()}, size.width(), size.height()});
  }
  const auto corners = ruvo::PlacePeakLabels({area.left(), area.top(), area.width(), area.height()}, curves, boxes,
                                             kPeakLabelSpacing, last);
  if (!corners) return false;
  for (std::size_t k = 0; k < peakLabels.size(); ++k) peakLabels[k].text->setPos((*corners)[k].x, (*corners)[k].y);
  return true;
}

void RunChart::StyleDoubtfulStretches() {
  for (const DoubtfulStretch& stretch : doubtfulStretches) {
    const QList<QPointF> points = stretch.series->points();
    qreal length = 0.0;
    for (qsizetype k = 1; k < points.size(); ++k)
      length += QLineF(stretch.pane->mapToPosition(points[k - 1], stretch.series),
                       stretch.pane->mapToPosition(points[k], stretch.series))
                    .length();
    const bool dash =
        stretch.dashed.style() != Qt::SolidLine && length >= kLeastDashPeriods * DashPeriod(stretch.dashed);
    const QPen& pen = dash ? stretch.dashed : stretch.faded;
    if (stretch.series->pen() != pen) stretch.series->setPen(pen);
  }
}

QStringList RunChart::PeakLabels() const {
  QStringList texts;
  for (const PeakLabel& label : peakLabels) texts << label.text->text();
  return texts;
}

QString RunChart::CrosshairText() const {
  return crosshair->Text();
}

void RunChart::mouseMoveEvent(QMouseEvent* event) {
  QChartView::mouseMoveEvent(event);
  const QPointF scenePoint = mapToScene(event->position().toPoint());
  for (QChart* pane : panes) {
    if (pane->series().isEmpty() || !pane->mapRectToScene(pane->plotArea()).contains(scenePoint)) continue;
    ShowCrosshairAt(pane->mapToValue(pane->mapFromScene(scenePoint), pane->series().front()).x());
    return;
  }
  crosshair->setVisible(false);
}

void RunChart::leaveEvent(QEvent* event) {
  crosshair->setVisible(false);
  QChartView::leaveEvent(event);
}

void RunChart::resizeEvent(QResizeEvent* event) {
  QChartView::resizeEvent(event);
  LayOut(QSizeF(viewport()->size()));
}

}  // namespace ruvo
