// What the chart of runs shows: the curves of each layout with their peaks, and the values under
// the crosshair.
#include <QChart>
#include <QCoreApplication>
#include <QGraphicsSimpleTextItem>
#include <QLegendMarker>
#include <QLineSeries>
#include <QScatterSeries>
#include <QValueAxis>
#include <array>
#include <optional>
#include <tuple>

#include "plot/crosshair.h"
#include "plot/run_chart.h"

namespace ruvo {
namespace {

struct Quantity {
  TimeQuantity flag;
  ResultColumn column;
  Qt::PenStyle style;
  const char* styleName;
  const char* paneTitle;  // short, as the axis of a low pane has room for; %1 the unit
};
constexpr Quantity kTimeQuantities[] = {
    {kTimeRpm, ResultColumn::kRpm, Qt::SolidLine, QT_TRANSLATE_NOOP("RunChart", "solid"),
     QT_TRANSLATE_NOOP("RunChart", "RPM")},
    {kTimeSpeed, ResultColumn::kSpeed, Qt::DashLine, QT_TRANSLATE_NOOP("RunChart", "dashed"),
     QT_TRANSLATE_NOOP("RunChart", "Speed (%1)")},
    {kTimeAccel, ResultColumn::kAcceleration, Qt::DotLine, QT_TRANSLATE_NOOP("RunChart", "dotted"),
     QT_TRANSLATE_NOOP("RunChart", "Accel. (%1)")},
    {kTimeDistance, ResultColumn::kDistance, Qt::DashDotLine, QT_TRANSLATE_NOOP("RunChart", "dash-dot"),
     QT_TRANSLATE_NOOP("RunChart", "Dist. (%1)")}};

// The axis title of a column, translated where plot_units marks it.
QString AxisLabel(const ColumnUnit& unit) {
  return QCoreApplication::translate("ruvo::PlotUnits", unit.label.c_str());
}

QString Number(double value, int decimals) {
  return QString::number(value, 'f', decimals);
}

// The visible runs' tables of one layout, the ones the axes span.
std::vector<const ResultTable*> ShownTables(const std::vector<PlotRun>& runs, bool power) {
  std::vector<const ResultTable*> tables;
  for (const PlotRun& run : runs)
    if (run.visible && run.table.IsPowerTable() == power) tables.push_back(&run.table);
  return tables;
}

// The lines of one curve: the first carries the run's legend entry.
struct CurveLines {
  std::vector<QLineSeries*> all, doubtful;
};

// Draws column y of a run against column x in pane, scaled by factor: one line per piece of the
// curve (CurvePieces), the doubtful ones in DoubtfulPen.
CurveLines AddCurve(QChart* pane,
                    const PlotRun& run,
                    std::size_t xColumn,
                    std::size_t yColumn,
                    double factor,
                    const QPen& pen,
                    const std::array<QValueAxis*, 2>& axes) {
  CurveLines lines;
  const std::vector<CurvePiece> pieces =
      CurvePieces(ColumnPoints(run.table, xColumn, yColumn, factor), DoubtfulRows(run.table, run.flagged));
  for (const CurvePiece& piece : pieces) {
    auto* series = new QLineSeries;
    QList<QPointF> points;
    for (const ChartPoint& point : piece.points) points.append(QPointF(point.x, point.y));
    series->replace(points);
    series->setName(LegendName(run));
    series->setPen(piece.doubtful ? DoubtfulPen(pen) : pen);
    pane->addSeries(series);
    for (QValueAxis* axis : axes) series->attachAxis(axis);
    // One legend entry per run, in the run's full colour even where its first stretch is faded.
    for (QLegendMarker* marker : pane->legend()->markers(series)) {
      marker->setVisible(lines.all.empty());
      marker->setBrush(pen.color());
    }
    lines.all.push_back(series);
    if (piece.doubtful) lines.doubtful.push_back(series);
  }
  return lines;
}

void HideFromLegend(QChart* pane, const std::vector<QLineSeries*>& lines) {
  for (QLineSeries* series : lines)
    for (QLegendMarker* marker : pane->legend()->markers(series)) marker->setVisible(false);
}

}  // namespace

QString RunChart::AddPowerSeries() {
  QChart* c = chart();
  const ColumnUnit speedUnit = UnitOf(ResultColumn::kRpm, units), hpUnit = UnitOf(ResultColumn::kHorsepower, units),
                   torqueUnit = UnitOf(ResultColumn::kTorque, units);
  QValueAxis* x = NewAxis(AxisLabel(speedUnit));
  // One legend entry per run; the line width tells power from torque.
  const QString thick = tr("%1, thick"), thin = tr("%1, thin");
  QValueAxis* power = NewAxis(thick.arg(AxisLabel(hpUnit)));
  QValueAxis* torque = NewAxis(thin.arg(AxisLabel(torqueUnit)));
  c->addAxis(x, Qt::AlignBottom);
  c->addAxis(power, Qt::AlignLeft);
  c->addAxis(torque, Qt::AlignRight);
  torque->setGridLineVisible(false);

  bool dashed = false;
  for (std::size_t i = 0; i < runs.size(); ++i) {
    const PlotRun& run = runs[i];
    const ResultTable& table = run.table;
    if (!run.visible || !table.IsPowerTable() || table.rows.empty()) continue;
    const std::size_t rpmColumn = table.Column(ResultColumn::kRpm), hpColumn = table.Column(ResultColumn::kHorsepower),
                      torqueColumn = table.Column(ResultColumn::kTorque);
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
      const CurveLines lines = AddCurve(c, run, rpmColumn, curve.column, curve.unit.factor, pen, {x, curve.axis});
      for (QLineSeries* series : lines.doubtful)
        doubtfulStretches.push_back({c, series, DoubtfulPen(pen), FadedPen(pen)});
      dashed = dashed || !lines.doubtful.empty();
      if (curve.axis == torque) HideFromLegend(c, lines.all);
      if (!curve.peak) continue;

      // The peak the summary lines name, at its row and value.
      const QPointF peak(curve.peak->rpm, curve.unit.factor * curve.peak->value);
      auto* marker = new QScatterSeries;
      marker->setMarkerSize(kPeakLabelSpacing.markerSize);
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
  // Power and torque axes start at zero and leave room above the highest peak for the labels; the
  // unit alone names them where the chart is too low for the whole title.
  const std::vector<const ResultTable*> tables = ShownTables(runs, true);
  for (const auto& [axis, column, unit, title] : {std::tuple(power, ResultColumn::kHorsepower, hpUnit, thick),
                                                  std::tuple(torque, ResultColumn::kTorque, torqueUnit, thin)}) {
    const std::optional<ValueRange> range = ColumnRange(tables, column, unit.factor);
    if (range) FitAxis(axis, PeakAxisRange(*range, peakLabels.size()));
    chartAxes.push_back(
        {c, axis, std::nullopt, axis->titleText(), title.arg(QString::fromStdString(unit.unit)), axis->max()});
  }
  // The engine speed's range, kept for LayOut, which spaces the ticks to the axis's width.
  const std::optional<ValueRange> speedRange = ColumnRange(tables, ResultColumn::kRpm);
  chartAxes.push_back({c, x, speedRange});
  FitAxis(x, speedRange, 6.0, false);
  return dashed ? tr("Dashed or faded: outside the RPM estimates<br>or doubted by the run checks") : QString();
}

QString RunChart::AddTimeSeries() {
  std::vector<const Quantity*> shown;
  for (const Quantity& quantity : kTimeQuantities)
    if (timeQuantities & quantity.flag) shown.push_back(&quantity);
  const ColumnUnit timeUnit = UnitOf(ResultColumn::kTime, units);
  const std::vector<const ResultTable*> tables = ShownTables(runs, false);
  const std::optional<ValueRange> timeRange = ColumnRange(tables, ResultColumn::kTime);
  QValueAxis* x = nullptr;
  bool doubtful = false;
  for (std::size_t q = 0; q < shown.size(); ++q) {
    const Quantity& quantity = *shown[q];
    const bool ownChart = stacked || q == 0;
    QChart* pane = q == 0 ? chart() : stacked ? AddPane() : chart();
    if (ownChart) {
      // Stacked panes share the time axis: its labels and title show under the last only.
      const bool last = !stacked || q + 1 == shown.size();
      x = NewAxis(last ? AxisLabel(timeUnit) : QString());
      x->setLabelsVisible(last);
      pane->addAxis(x, Qt::AlignBottom);
      chartAxes.push_back({pane, x, timeRange});  // LayOut spaces its ticks to its width
      FitAxis(x, timeRange, 6.0, false);
    }
    const ColumnUnit unit = UnitOf(quantity.column, units);
    const QString unitText = QString::fromStdString(unit.unit);
    QValueAxis* axis = NewAxis(
        stacked ? QCoreApplication::translate("RunChart", quantity.paneTitle).replace(QStringLiteral("%1"), unitText)
                : tr("%1, %2").arg(AxisLabel(unit), QCoreApplication::translate("RunChart", quantity.styleName)));
    pane->addAxis(axis, ownChart ? Qt::AlignLeft : Qt::AlignRight);
    axis->setGridLineVisible(ownChart);
    for (std::size_t i = 0; i < runs.size(); ++i) {
      const ResultTable& table = runs[i].table;
      const std::size_t timeColumn = table.Column(ResultColumn::kTime), column = table.Column(quantity.column);
      if (!runs[i].visible || timeColumn == ResultTable::npos || column == ResultTable::npos) continue;
      const QPen pen(RunColor(i), 2.0, stacked ? Qt::SolidLine : quantity.style);
      const CurveLines lines = AddCurve(pane, runs[i], timeColumn, column, unit.factor, pen, {x, axis});
      for (QLineSeries* series : lines.doubtful)
        doubtfulStretches.push_back({pane, series, DoubtfulPen(pen), FadedPen(pen)});
      doubtful = doubtful || !lines.doubtful.empty();
      if (!ownChart) HideFromLegend(pane, lines.all);  // one legend entry per run
    }
    // The range is kept for LayOut, which fits the ticks of a stacked pane to its height; there
    // the unit alone names the axis where the pane is too low for the title.
    const std::optional<ValueRange> range = ColumnRange(tables, quantity.column, unit.factor);
    const bool unitTitle = stacked && !unit.unit.empty();
    chartAxes.push_back(
        {pane, axis, range, unitTitle ? axis->titleText() : QString(), unitTitle ? unitText : QString()});
    FitAxis(axis, range);
  }
  return doubtful ? tr("Dashed or faded: doubted by the run checks") : QString();
}

void RunChart::ShowCrosshairAt(double x) {
  const bool power = PowerLayout();
  QStringList lines;
  const ColumnUnit xUnit = UnitOf(power ? ResultColumn::kRpm : ResultColumn::kTime, units);
  lines << (power ? Number(x, 0) : Number(x, 3)) + u' ' + QString::fromStdString(xUnit.unit);
  for (const PlotRun& run : runs) {
    if (!run.visible) continue;
    const std::size_t xColumn = run.table.Column(power ? ResultColumn::kRpm : ResultColumn::kTime);
    if (xColumn == ResultTable::npos) continue;
    QStringList values;
    const auto add = [&](ResultColumn column, int decimals) {
      const std::size_t yColumn = run.table.Column(column);
      if (yColumn == ResultTable::npos) return;
      const std::optional<double> value = ValueAt(run.table, xColumn, yColumn, x);
      const ColumnUnit unit = UnitOf(column, units);
      if (value) values << Number(unit.factor * *value, decimals) + u' ' + QString::fromStdString(unit.unit);
    };
    if (power) {
      add(ResultColumn::kHorsepower, 1);
      add(ResultColumn::kTorque, 1);
    } else {
      for (const Quantity& quantity : kTimeQuantities)
        if (timeQuantities & quantity.flag) add(quantity.column, quantity.flag == kTimeAccel ? 3 : 1);
    }
    if (!values.isEmpty()) lines << run.name + QStringLiteral(": ") + values.join(QStringLiteral(", "));
  }
  QChart* top = panes.front();
  if (lines.size() < 2 || top->series().isEmpty()) {
    crosshair->setVisible(false);
    return;
  }
  const QRectF area = top->mapRectToScene(top->plotArea());
  const qreal bottom = panes.back()->mapRectToScene(panes.back()->plotArea()).bottom();
  const QPointF at = top->mapToScene(top->mapToPosition(QPointF(x, 0.0), top->series().front()));
  crosshair->Show(lines.join(u'\n'), at.x(), area.top(), bottom, area.right());
}

}  // namespace ruvo
