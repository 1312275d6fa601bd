#include "plot/run_chart.h"

#include <QChart>
#include <QCoreApplication>
#include <QFileInfo>
#include <QFontMetricsF>
#include <QGraphicsLayout>
#include <QGraphicsLineItem>
#include <QGraphicsRectItem>
#include <QGraphicsSimpleTextItem>
#include <QImage>
#include <QLegendMarker>
#include <QLineSeries>
#include <QMouseEvent>
#include <QPainter>
#include <QPdfWriter>
#include <QSaveFile>
#include <QScatterSeries>
#include <QSvgGenerator>
#include <QTimer>
#include <QValueAxis>
#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <optional>
#include <tuple>

namespace ruvo {
namespace {

// Dynamic properties of an axis whose ticks LayOut spaces to its size: the range of its data.
constexpr const char* kDataLow = "ruvoDataLow";
constexpr const char* kDataHigh = "ruvoDataHigh";
// Dynamic properties of a value axis: its whole title, and the unit alone for a low chart.
constexpr const char* kFullTitle = "ruvoFullTitle";
constexpr const char* kShortTitle = "ruvoShortTitle";
// Dynamic property of a power or torque axis: its top as fitted to the data.
constexpr const char* kFittedMax = "ruvoFittedMax";
// How many ticks the value axes may rise when a chart is too low for its peak labels.
constexpr int kMostRaisedTicks = 4;

// Exports are laid out at this size in chart units and drawn at twice its resolution as PNG, so
// text keeps a readable size in the 1600x1000 picture.
constexpr QSize kExportLayout(800, 500);
constexpr int kExportScale = 2;

// A doubtful stretch shorter on screen than this many periods of its dash pattern is faded instead:
// a fraction of a dash reads as a flaw in the line.
constexpr double kLeastDashPeriods = 2.0;
constexpr int kFadedAlpha = 80;          // of 255
constexpr double kPeakMarkerSize = 8.0;  // pixels
// Pixels between a peak's marker and its label, and between a label and the lines it keeps clear of.
constexpr double kLabelGap = 4.0;
// Horizontal axis labels: at least this many label widths from one to the next.
constexpr double kLabelPitch = 1.8;

struct Quantity {
  TimeQuantity flag;
  const char* column;
  Qt::PenStyle style;
  const char* styleName;
  const char* paneTitle;  // short, as the axis of a low pane has room for; %1 the unit
};
constexpr Quantity kTimeQuantities[] = {{kTimeRpm, "RPM", Qt::SolidLine, "solid", "RPM"},
                                        {kTimeSpeed, "Speed", Qt::DashLine, "dashed", "Speed (%1)"},
                                        {kTimeAccel, "Accel", Qt::DotLine, "dotted", "Accel. (%1)"},
                                        {kTimeDistance, "Dist", Qt::DashDotLine, "dash-dot", "Dist. (%1)"}};

// The value of column y at x by linear interpolation between the rows around it (the x column
// ascending, as both tables write it); nothing outside the rows' range.
std::optional<double> ValueAt(const ResultTable& table, std::size_t xColumn, std::size_t yColumn, double x) {
  const auto& rows = table.rows;
  if (rows.empty() || x < rows.front()[xColumn] || x > rows.back()[xColumn]) return std::nullopt;
  const auto after = std::lower_bound(rows.begin(), rows.end(), x,
                                      [xColumn](const std::vector<double>& row, double v) { return row[xColumn] < v; });
  if (after == rows.end()) return std::nullopt;
  if (after == rows.begin() || (*after)[xColumn] == x) return (*after)[yColumn];
  const auto& high = *after;
  const auto& low = *(after - 1);
  const double span = high[xColumn] - low[xColumn];
  if (!(span > 0.0)) return high[yColumn];
  const double fraction = (x - low[xColumn]) / span;
  return low[yColumn] + fraction * (high[yColumn] - low[yColumn]);
}

QString Number(double value, int decimals) {
  return QString::number(value, 'f', decimals);
}

QValueAxis* NewAxis(const QString& title) {
  auto* axis = new QValueAxis;
  axis->setTitleText(title);
  axis->setLabelFormat(QStringLiteral("%.6g"));
  return axis;
}

QChart* NewChart() {
  auto* chart = new QChart;
  chart->legend()->setAlignment(Qt::AlignBottom);
  chart->setMargins(QMargins(4, 4, 4, 4));
  QFont title = chart->titleFont();
  title.setBold(false);
  chart->setTitleFont(title);
  return chart;
}

// Whether the stretch between two rows at a and b touches one of the spans.
bool Touches(const std::vector<RowSpan>& spans, double a, double b) {
  const double low = std::min(a, b), high = std::max(a, b);
  return std::any_of(spans.begin(), spans.end(),
                     [&](const RowSpan& span) { return span.from <= high && span.to >= low; });
}

QPen FadedPen(QPen pen) {
  QColor faded = pen.color();
  faded.setAlpha(kFadedAlpha);
  pen.setColor(faded);
  return pen;
}

// The pen of doubtful rows: a solid line turns dashed, a patterned one fades.
QPen DoubtfulPen(QPen pen) {
  if (pen.style() != Qt::SolidLine) return FadedPen(pen);
  pen.setStyle(Qt::DashLine);
  return pen;
}

// Pixels from one dash to the next: Qt's dash pattern (4 on, 2 off) in pen widths.
double DashPeriod(const QPen& pen) {
  return 6.0 * std::max(1.0, pen.widthF());
}

// Draws column y of a run against column x in pane, scaled by factor: one line per stretch of
// rows, the stretches that touch a doubtful row in DoubtfulPen. The first line carries the run's
// legend entry. Returns the doubtful stretches.
std::vector<QLineSeries*> AddCurve(QChart* pane,
                                   const PlotRun& run,
                                   std::size_t xColumn,
                                   std::size_t yColumn,
                                   double factor,
                                   const QPen& pen,
                                   const std::array<QValueAxis*, 2>& axes) {
  std::vector<RowSpan> doubtful = run.table.RowsOutsideEstimate();
  doubtful.insert(doubtful.end(), run.flagged.begin(), run.flagged.end());
  const auto& rows = run.table.rows;
  std::vector<QLineSeries*> doubtfulSeries;
  if (rows.empty()) return doubtfulSeries;
  const auto doubtAfter = [&](std::size_t k) { return Touches(doubtful, rows[k][xColumn], rows[k + 1][xColumn]); };
  for (std::size_t first = 0; first == 0 || first + 1 < rows.size();) {
    const bool doubt = rows.size() > 1 && doubtAfter(first);
    std::size_t last = std::min<std::size_t>(first + 1, rows.size() - 1);
    while (last + 1 < rows.size() && doubtAfter(last) == doubt) ++last;
    auto* series = new QLineSeries;
    QList<QPointF> points;
    for (std::size_t k = first; k <= last; ++k) points.append(QPointF(rows[k][xColumn], factor * rows[k][yColumn]));
    series->replace(points);
    series->setName(run.name);
    series->setPen(doubt ? DoubtfulPen(pen) : pen);
    pane->addSeries(series);
    for (QValueAxis* axis : axes) series->attachAxis(axis);
    // One legend entry per run, in the run's full colour even where its first stretch is faded.
    for (QLegendMarker* marker : pane->legend()->markers(series)) {
      marker->setVisible(first == 0);
      marker->setBrush(pen.color());
    }
    if (doubt) doubtfulSeries.push_back(series);
    if (last == first) break;
    first = last;
  }
  return doubtfulSeries;
}

// The range of column over the visible runs of one layout, or nothing.
std::optional<std::pair<double, double>> RangeOf(const std::vector<PlotRun>& runs, bool power, const char* column) {
  std::optional<std::pair<double, double>> range;
  for (const PlotRun& run : runs) {
    const std::size_t c = run.table.Column(column);
    if (!run.visible || run.table.IsPowerTable() != power || c == ResultTable::npos) continue;
    for (const auto& row : run.table.rows)
      range = range ? std::pair(std::min(range->first, row[c]), std::max(range->second, row[c]))
                    : std::pair(row[c], row[c]);
  }
  return range;
}

// Fits axis to range with ticks at a round step (1, 2 or 5 times a power of ten) of about the
// given number of intervals, labelled with the step's decimals. The ends are on ticks, or with
// endsOnTicks false on the nearest multiples of the step's power of ten outside the range, so a
// coarse step wastes no room.
void FitAxis(QValueAxis* axis,
             const std::optional<std::pair<double, double>>& range,
             double intervals = 6.0,
             bool endsOnTicks = true) {
  if (!range || !(range->second > range->first) || !std::isfinite(range->second - range->first)) {
    axis->applyNiceNumbers();
    return;
  }
  const double rough = (range->second - range->first) / intervals;
  const double power = std::pow(10.0, std::floor(std::log10(rough)));
  const double step = power * (rough <= power ? 1.0 : rough <= 2.0 * power ? 2.0 : rough <= 5.0 * power ? 5.0 : 10.0);
  const double end = endsOnTicks ? step : power;
  axis->setRange(std::floor(range->first / end) * end, std::ceil(range->second / end) * end);
  axis->setTickType(QValueAxis::TicksDynamic);
  axis->setTickAnchor(0.0);
  axis->setTickInterval(step);
  const int decimals = std::max(0, -static_cast<int>(std::floor(std::log10(step) + 1e-9)));
  axis->setLabelFormat(QStringLiteral("%.") + QString::number(decimals) + u'f');
}

// The pixels a label of axis takes at most: its widest end with a sign.
double LabelWidth(const QValueAxis* axis) {
  const QString widest =
      QString::asprintf(qPrintable(axis->labelFormat()), std::max(std::abs(axis->min()), std::abs(axis->max())));
  return QFontMetricsF(axis->labelsFont()).horizontalAdvance(u'-' + widest);
}

// Whether the line crosses or lies in rect.
bool Crosses(const QRectF& rect, const QLineF& line) {
  if (!rect.intersects(QRectF(line.p1(), line.p2()).normalized().adjusted(-0.5, -0.5, 0.5, 0.5))) return false;
  if (rect.contains(line.p1()) || rect.contains(line.p2())) return true;
  const QLineF edges[] = {{rect.topLeft(), rect.topRight()},
                          {rect.topRight(), rect.bottomRight()},
                          {rect.bottomRight(), rect.bottomLeft()},
                          {rect.bottomLeft(), rect.topLeft()}};
  return std::any_of(std::begin(edges), std::end(edges),
                     [&](const QLineF& edge) { return line.intersects(edge) == QLineF::BoundedIntersection; });
}

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

QString RunName(const QString& title, const QString& filePath) {
  const QString file = QFileInfo(filePath).fileName();
  return title.trimmed().isEmpty() ? file : title.trimmed() + QStringLiteral(" (") + file + u')';
}

RunChart::RunChart(QWidget* parent) : QChartView(parent) {
  setObjectName(QStringLiteral("runChart"));
  setRenderHint(QPainter::Antialiasing);
  setMouseTracking(true);
  crosshairLine = scene()->addLine(QLineF(), QPen(QColor(80, 80, 80), 1, Qt::DashLine));
  crosshairBox = scene()->addRect(QRectF(), QPen(QColor(160, 160, 160)), QBrush(QColor(255, 255, 255, 230)));
  crosshairText = scene()->addSimpleText(QString());
  for (QGraphicsItem* item : std::initializer_list<QGraphicsItem*>{crosshairLine, crosshairBox, crosshairText})
    item->setZValue(100.0);
  crosshairText->setZValue(101.0);
  HideCrosshair();
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
  HideCrosshair();
  peakLabels.clear();
  doubtfulStretches.clear();
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
  if (!notice.isEmpty()) lines << notice.toHtmlEscaped().replace(u'\n', QStringLiteral("<br>"));
  if (!runs.empty() && std::none_of(runs.begin(), runs.end(), [](const PlotRun& run) { return run.visible; }))
    lines << QStringLiteral("Every run is hidden");
  QStringList apart;
  for (const PlotRun& run : runs)
    if (run.table.IsPowerTable() != PowerLayout()) apart << run.name.toHtmlEscaped();
  if (!apart.isEmpty())
    lines << QStringLiteral("Not shown beside %1 runs: %2")
                 .arg(PowerLayout() ? QStringLiteral("dynamometer") : QStringLiteral("tachometer"),
                      apart.join(QStringLiteral(", ")));
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
      for (QAbstractAxis* axis : panes[i]->axes(Qt::Vertical))
        if (auto* value = qobject_cast<QValueAxis*>(axis); value && value->property(kDataLow).isValid())
          FitAxis(value, std::pair(value->property(kDataLow).toDouble(), value->property(kDataHigh).toDouble()),
                  std::clamp(std::floor(height / 60.0), 2.0, 6.0));
    panes[i]->layout()->activate();
  }
  // A value axis's title whole where the pane is high enough, else its unit, never elided.
  for (QChart* pane : panes)
    for (QAbstractAxis* axis : pane->axes(Qt::Vertical))
      if (axis->property(kShortTitle).isValid()) {
        const QString whole = axis->property(kFullTitle).toString();
        const bool fits = QFontMetricsF(axis->titleFont()).horizontalAdvance(whole) <= pane->plotArea().height();
        axis->setTitleText(fits ? whole : axis->property(kShortTitle).toString());
      }
  // As many intervals on the time or engine speed axis as its labels have room for, so none is
  // elided; the same in every pane, so their grids line up.
  qreal width = size.width();
  for (const QChart* pane : panes)
    if (!pane->plotArea().isEmpty()) width = std::min(width, pane->plotArea().width());
  for (QChart* pane : panes)
    for (QAbstractAxis* axis : pane->axes(Qt::Horizontal))
      if (auto* value = qobject_cast<QValueAxis*>(axis); value && value->property(kDataLow).isValid()) {
        const std::pair range(value->property(kDataLow).toDouble(), value->property(kDataHigh).toDouble());
        FitAxis(value, range, 6.0, false);  // the labels' decimals at most
        FitAxis(value, range, std::clamp(std::floor(width / (kLabelPitch * LabelWidth(value))), 2.0, 8.0), false);
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

QString RunChart::AddPowerSeries() {
  QChart* c = chart();
  const ColumnUnit speedUnit = UnitOf("RPM", units), hpUnit = UnitOf("HP", units), torqueUnit = UnitOf("Torque", units);
  QValueAxis* x = NewAxis(QString::fromStdString(speedUnit.label));
  // One legend entry per run; the line width tells power from torque.
  QValueAxis* power = NewAxis(QString::fromStdString(hpUnit.label) + QStringLiteral(", thick"));
  QValueAxis* torque = NewAxis(QString::fromStdString(torqueUnit.label) + QStringLiteral(", thin"));
  // The unit alone where the chart is too low for the whole title.
  for (const auto& [axis, unit, width] :
       {std::tuple(power, hpUnit, ", thick"), std::tuple(torque, torqueUnit, ", thin")}) {
    axis->setProperty(kFullTitle, axis->titleText());
    axis->setProperty(kShortTitle, QString::fromStdString(unit.unit) + QLatin1String(width));
  }
  c->addAxis(x, Qt::AlignBottom);
  c->addAxis(power, Qt::AlignLeft);
  c->addAxis(torque, Qt::AlignRight);
  torque->setGridLineVisible(false);

  bool dashed = false;
  for (std::size_t i = 0; i < runs.size(); ++i) {
    const PlotRun& run = runs[i];
    const ResultTable& table = run.table;
    if (!run.visible || !table.IsPowerTable() || table.rows.empty()) continue;
    const std::size_t rpmColumn = table.Column("RPM"), hpColumn = table.Column("HP"),
                      torqueColumn = table.Column("Torque");
    if (rpmColumn == ResultTable::npos || torqueColumn == ResultTable::npos) continue;
    const QColor color = RunColor(i);
    const RunPeaks peaks = PeaksOf(run);
    const struct {
      std::size_t column;
      const ColumnUnit& unit;
      QValueAxis* axis;
      qreal width;
      QColor color;
      const std::optional<Peak>& peak;
    } curves[] = {{hpColumn, hpUnit, power, 2.8, color, peaks.horsepower},
                  {torqueColumn, torqueUnit, torque, 1.3, color.darker(130), peaks.torque}};
    for (const auto& curve : curves) {
      const QPen pen(curve.color, curve.width);
      for (QLineSeries* series : AddCurve(c, run, rpmColumn, curve.column, curve.unit.factor, pen, {x, curve.axis})) {
        doubtfulStretches.push_back({c, series, DoubtfulPen(pen), FadedPen(pen)});
        dashed = true;
      }
      if (curve.axis == torque)
        for (QAbstractSeries* series : c->series())
          if (series->name() == run.name && series->attachedAxes().contains(torque))
            for (QLegendMarker* legendMarker : c->legend()->markers(series)) legendMarker->setVisible(false);
      if (!curve.peak) continue;

      // The peak the summary lines name, at its row and value.
      const QPointF peak(curve.peak->rpm, curve.unit.factor * curve.peak->value);
      auto* marker = new QScatterSeries;
      marker->setMarkerSize(kPeakMarkerSize);
      marker->setColor(curve.color);
      marker->setBorderColor(Qt::white);
      marker->append(peak);
      c->addSeries(marker);
      marker->attachAxis(x);
      marker->attachAxis(curve.axis);
      for (QLegendMarker* legendMarker : c->legend()->markers(marker)) legendMarker->setVisible(false);
      auto* label = new QGraphicsSimpleTextItem(QString::fromStdString(PeakText(*curve.peak, curve.unit)), c);
      label->setBrush(curve.color.darker(120));
      label->setZValue(50.0);
      peakLabels.push_back({label, peak, marker});
    }
  }
  // Power and torque axes start at zero, so the curves compare by height, and leave room above
  // the highest peak for the labels.
  const double headroom = 1.08 + 0.06 * static_cast<double>(peakLabels.size());
  for (const auto& [axis, column, unit] : {std::tuple(power, "HP", hpUnit), std::tuple(torque, "Torque", torqueUnit)}) {
    const auto range = RangeOf(runs, true, column);
    if (range)
      FitAxis(axis, std::pair(std::min(0.0, range->first * unit.factor), range->second * unit.factor * headroom));
    axis->setProperty(kFittedMax, axis->max());  // PlacePeakLabels may raise it
  }
  const auto speedRange = RangeOf(runs, true, "RPM");
  if (speedRange) {
    // Kept for LayOut, which spaces the ticks to the axis's width.
    x->setProperty(kDataLow, speedRange->first);
    x->setProperty(kDataHigh, speedRange->second);
  }
  FitAxis(x, speedRange, 6.0, false);
  return dashed ? QStringLiteral("Dashed or faded: outside the RPM estimates<br>or doubted by the run checks")
                : QString();
}

QString RunChart::AddTimeSeries() {
  std::vector<const Quantity*> shown;
  for (const Quantity& quantity : kTimeQuantities)
    if (timeQuantities & quantity.flag) shown.push_back(&quantity);
  const ColumnUnit timeUnit = UnitOf("Time", units);
  const auto timeRange = RangeOf(runs, false, "Time");
  QValueAxis* x = nullptr;
  bool doubtful = false;
  for (std::size_t q = 0; q < shown.size(); ++q) {
    const Quantity& quantity = *shown[q];
    const bool ownChart = stacked || q == 0;
    QChart* pane = q == 0 ? chart() : stacked ? AddPane() : chart();
    if (ownChart) {
      // Stacked panes name the time only under the last.
      // Stacked panes share the time axis: its labels and title show under the last only.
      const bool last = !stacked || q + 1 == shown.size();
      x = NewAxis(last ? QString::fromStdString(timeUnit.label) : QString());
      x->setLabelsVisible(last);
      pane->addAxis(x, Qt::AlignBottom);
      if (timeRange) {
        x->setProperty(kDataLow, timeRange->first);
        x->setProperty(kDataHigh, timeRange->second);
      }
      FitAxis(x, timeRange, 6.0, false);
    }
    const ColumnUnit unit = UnitOf(quantity.column, units);
    QValueAxis* axis = NewAxis(
        stacked
            ? QString::fromLatin1(quantity.paneTitle).replace(QStringLiteral("%1"), QString::fromStdString(unit.unit))
            : QString::fromStdString(unit.label) + QStringLiteral(", ") + QLatin1String(quantity.styleName));
    if (stacked && !unit.unit.empty()) {  // the unit alone where the pane is too low for the title
      axis->setProperty(kFullTitle, axis->titleText());
      axis->setProperty(kShortTitle, QString::fromStdString(unit.unit));
    }
    pane->addAxis(axis, ownChart ? Qt::AlignLeft : Qt::AlignRight);
    axis->setGridLineVisible(ownChart);
    for (std::size_t i = 0; i < runs.size(); ++i) {
      const ResultTable& table = runs[i].table;
      const std::size_t timeColumn = table.Column("Time"), column = table.Column(quantity.column);
      if (!runs[i].visible || timeColumn == ResultTable::npos || column == ResultTable::npos) continue;
      const QPen pen(RunColor(i), 2.0, stacked ? Qt::SolidLine : quantity.style);
      for (QLineSeries* series : AddCurve(pane, runs[i], timeColumn, column, unit.factor, pen, {x, axis})) {
        doubtfulStretches.push_back({pane, series, DoubtfulPen(pen), FadedPen(pen)});
        doubtful = true;
      }
      if (!ownChart)  // one legend entry per run
        for (QAbstractSeries* series : pane->series())
          if (series->attachedAxes().contains(axis))
            for (QLegendMarker* legendMarker : pane->legend()->markers(series)) legendMarker->setVisible(false);
    }
    const auto range = RangeOf(runs, false, quantity.column);
    if (range) {
      // Kept for LayOut, which fits the ticks of a stacked pane to its height.
      axis->setProperty(kDataLow, range->first * unit.factor);
      axis->setProperty(kDataHigh, range->second * unit.factor);
    }
    FitAxis(axis, range ? std::optional(std::pair(range->first * unit.factor, range->second * unit.factor)) : range);
  }
  if (!doubtful) return QString();
  return QStringLiteral("Dashed or faded: doubted by the run checks");
}

void RunChart::PlacePeakLabels() {
  if (placingLabels || peakLabels.empty()) return;
  placingLabels = true;
  // From the axes as fitted; where the labels find no clear place the value axes rise a tick at a
  // time, lowering the curves to make room above them.
  const QList<QAbstractAxis*> axes = chart()->axes(Qt::Vertical);
  for (QAbstractAxis* axis : axes)
    if (auto* value = qobject_cast<QValueAxis*>(axis); value && value->property(kFittedMax).isValid())
      value->setMax(value->property(kFittedMax).toDouble());
  for (int raised = 0; !TryPlacePeakLabels(raised == kMostRaisedTicks) && raised < kMostRaisedTicks; ++raised)
    for (QAbstractAxis* axis : axes)
      if (auto* value = qobject_cast<QValueAxis*>(axis); value && value->property(kFittedMax).isValid())
        value->setMax(value->max() + value->tickInterval());
  placingLabels = false;
}

bool RunChart::TryPlacePeakLabels(bool last) {
  // Each label above its peak, inside the plot area and clear of every curve, of the markers and
  // of the labels placed before it: the lowest place that is, centred on the peak or beside it.
  QChart* c = chart();
  const QRectF area = c->plotArea();
  std::vector<QLineF> lines;
  for (QAbstractSeries* series : c->series())
    if (auto* line = qobject_cast<QLineSeries*>(series); line && line->isVisible() && line->count() > 1) {
      const QList<QPointF> points = line->points();
      for (qsizetype k = 1; k < points.size(); ++k)
        lines.emplace_back(c->mapToPosition(points[k - 1], line), c->mapToPosition(points[k], line));
    }
  std::vector<QRectF> taken;
  for (const PeakLabel& label : peakLabels) {
    const QPointF at = c->mapToPosition(label.value, label.series);
    taken.emplace_back(at.x() - kPeakMarkerSize / 2.0, at.y() - kPeakMarkerSize / 2.0, kPeakMarkerSize,
                       kPeakMarkerSize);
  }
  const auto clear = [&](const QRectF& place) {
    const QRectF margin = place.adjusted(-kLabelGap / 2, -kLabelGap / 2, kLabelGap / 2, kLabelGap / 2);
    return std::none_of(lines.begin(), lines.end(), [&](const QLineF& line) { return Crosses(margin, line); }) &&
           std::none_of(taken.begin(), taken.end(), [&](const QRectF& other) { return other.intersects(place); });
  };
  for (const PeakLabel& label : peakLabels) {
    const QPointF at = c->mapToPosition(label.value, label.series);
    const QSizeF box = label.text->boundingRect().size();
    const qreal leftmost = area.left() + 2.0, rightmost = std::max(leftmost, area.right() - box.width() - 2.0);
    const qreal lefts[] = {at.x() - box.width() / 2.0, at.x() - box.width() + kLabelGap, at.x() - kLabelGap};
    const qreal lowest = at.y() - kPeakMarkerSize / 2.0 - kLabelGap;  // the bottom of a label
    std::optional<QRectF> found;
    for (qreal bottom = lowest; !found && bottom - box.height() >= area.top(); bottom -= 2.0)
      for (const qreal left : lefts) {
        const QRectF place(QPointF(std::clamp(left, leftmost, rightmost), bottom - box.height()), box);
        if (clear(place)) {
          found = place;
          break;
        }
      }
    if (!found && !last) return false;
    // Without such a place (a plot far too small), at the top of the plot area above the peak.
    const QRectF place = found.value_or(
        QRectF(QPointF(std::clamp(lefts[0], leftmost, rightmost), std::max(area.top(), lowest - box.height())), box));
    label.text->setPos(place.topLeft());
    taken.push_back(place);
  }
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
  return crosshairText->isVisible() ? crosshairText->text() : QString();
}

void RunChart::ShowCrosshairAt(double x) {
  const bool power = PowerLayout();
  QStringList lines;
  const ColumnUnit xUnit = UnitOf(power ? "RPM" : "Time", units);
  lines << (power ? Number(x, 0) : Number(x, 3)) + u' ' + QString::fromStdString(xUnit.unit);
  for (const PlotRun& run : runs) {
    if (!run.visible) continue;
    const std::size_t xColumn = run.table.Column(power ? "RPM" : "Time");
    if (xColumn == ResultTable::npos) continue;
    QStringList values;
    const auto add = [&](const char* column, int decimals) {
      const std::size_t yColumn = run.table.Column(column);
      if (yColumn == ResultTable::npos) return;
      const std::optional<double> value = ValueAt(run.table, xColumn, yColumn, x);
      const ColumnUnit unit = UnitOf(column, units);
      if (value) values << Number(unit.factor * *value, decimals) + u' ' + QString::fromStdString(unit.unit);
    };
    if (power) {
      add("HP", 1);
      add("Torque", 1);
    } else {
      for (const Quantity& quantity : kTimeQuantities)
        if (timeQuantities & quantity.flag) add(quantity.column, quantity.flag == kTimeAccel ? 3 : 1);
    }
    if (!values.isEmpty()) lines << run.name + QStringLiteral(": ") + values.join(QStringLiteral(", "));
  }
  QChart* top = panes.front();
  if (lines.size() < 2 || top->series().isEmpty()) {
    HideCrosshair();
    return;
  }
  const QRectF area = top->mapRectToScene(top->plotArea());
  const qreal bottom = panes.back()->mapRectToScene(panes.back()->plotArea()).bottom();
  const QPointF at = top->mapToScene(top->mapToPosition(QPointF(x, 0.0), top->series().front()));
  crosshairLine->setLine(QLineF(at.x(), area.top(), at.x(), bottom));
  crosshairText->setText(lines.join(u'\n'));
  const QRectF box = crosshairText->boundingRect().adjusted(-4, -3, 4, 3);
  // Beside the line, on the side with room.
  const double left = at.x() + 10.0 + box.width() < area.right() ? at.x() + 10.0 : at.x() - 10.0 - box.width();
  crosshairText->setPos(left + 4.0, area.top() + 8.0);
  crosshairBox->setRect(box.translated(left + 4.0, area.top() + 8.0));
  for (QGraphicsItem* item : std::initializer_list<QGraphicsItem*>{crosshairLine, crosshairBox, crosshairText})
    item->setVisible(true);
}

void RunChart::HideCrosshair() {
  for (QGraphicsItem* item : std::initializer_list<QGraphicsItem*>{crosshairLine, crosshairBox, crosshairText})
    item->setVisible(false);
}

void RunChart::mouseMoveEvent(QMouseEvent* event) {
  QChartView::mouseMoveEvent(event);
  const QPointF scenePoint = mapToScene(event->position().toPoint());
  for (QChart* pane : panes) {
    if (pane->series().isEmpty() || !pane->mapRectToScene(pane->plotArea()).contains(scenePoint)) continue;
    ShowCrosshairAt(pane->mapToValue(pane->mapFromScene(scenePoint), pane->series().front()).x());
    return;
  }
  HideCrosshair();
}

void RunChart::leaveEvent(QEvent* event) {
  HideCrosshair();
  QChartView::leaveEvent(event);
}

void RunChart::resizeEvent(QResizeEvent* event) {
  QChartView::resizeEvent(event);
  LayOut(QSizeF(viewport()->size()));
}

QString RunChart::ExportTitle() const {
  QStringList titles;
  for (const PlotRun& run : runs) {
    if (!run.visible || run.table.IsPowerTable() != PowerLayout()) continue;
    const QString title = QString::fromStdString(run.table.title).trimmed();
    const QString shown = title.isEmpty() ? QFileInfo(run.path.isEmpty() ? run.name : run.path).fileName() : title;
    if (!titles.contains(shown)) titles << shown;
  }
  return titles.join(QStringLiteral(" / "));
}

bool RunChart::Export(const QString& path, QString& error) const {
  const QString suffix = QFileInfo(path).suffix().toLower();
  if (suffix != QLatin1String("png") && suffix != QLatin1String("svg") && suffix != QLatin1String("pdf")) {
    error = QStringLiteral("Cannot export to %1 - the name must end in .png, .svg or .pdf").arg(path);
    return false;
  }
  // A copy laid out at the export size, so the window's chart keeps its own.
  RunChart copy;
  copy.heading = ExportTitle();
  copy.units = units;
  copy.timeQuantities = timeQuantities;
  copy.stacked = stacked;
  copy.SetRuns(runs, notice);
  copy.resize(kExportLayout);
  QCoreApplication::sendPostedEvents();
  copy.LayOut(QSizeF(kExportLayout));
  QCoreApplication::sendPostedEvents();
  copy.AlignPanes();
  QCoreApplication::sendPostedEvents();
  copy.PlacePeakLabels();
  copy.StyleDoubtfulStretches();
  const QRectF source(QPointF(0, 0), QSizeF(kExportLayout));
  copy.scene()->setSceneRect(source);

  // Written beside the target and renamed over it only when complete.
  QSaveFile file(path);
  bool written = file.open(QIODevice::WriteOnly);
  if (written && suffix == QLatin1String("png")) {
    QImage image(kExportLayout * kExportScale, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::white);
    {
      QPainter painter(&image);
      painter.setRenderHint(QPainter::Antialiasing);
      copy.scene()->render(&painter, QRectF(QPointF(0, 0), QSizeF(image.size())), source);
    }
    written = image.save(&file, "PNG");
  } else if (written && suffix == QLatin1String("svg")) {
    QSvgGenerator svg;
    svg.setOutputDevice(&file);
    svg.setSize(kExportLayout);
    svg.setViewBox(source);
    svg.setTitle(copy.heading);
    QPainter painter;
    written = painter.begin(&svg);
    if (written) {
      copy.scene()->render(&painter, source, source);
      written = painter.end();
    }
  } else if (written) {
    QPdfWriter pdf(&file);
    pdf.setPageSize(QPageSize(QSizeF(kExportLayout) * 0.75, QPageSize::Point));  // 96 px per 72 pt
    pdf.setPageMargins(QMarginsF(0, 0, 0, 0));
    pdf.setTitle(copy.heading);
    QPainter painter;
    written = painter.begin(&pdf);
    if (written) {
      copy.scene()->render(&painter, QRectF(0, 0, pdf.width(), pdf.height()), source);
      written = painter.end();
    }
  }
  if (!written || !file.commit()) {
    error = QStringLiteral("Not able to write - %1").arg(path);
    return false;
  }
  return true;
}

}  // namespace ruvo
