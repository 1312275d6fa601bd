#include "plot/run_chart.h"

#include <QChart>
#include <QCoreApplication>
#include <QFileInfo>
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
#include <QValueAxis>
#include <algorithm>
#include <cmath>
#include <optional>

namespace ruvo {
namespace {

// Exports are laid out at this size in chart units and drawn at twice its resolution as PNG, so
// text keeps a readable size in the 1600x1000 picture.
constexpr QSize kExportLayout(800, 500);
constexpr int kExportScale = 2;

struct Quantity {
  TimeQuantity flag;
  const char* column;
  Qt::PenStyle style;
  const char* styleName;
};
constexpr Quantity kTimeQuantities[] = {{kTimeRpm, "RPM", Qt::SolidLine, "solid"},
                                        {kTimeSpeed, "Speed", Qt::DashLine, "dashed"},
                                        {kTimeAccel, "Accel", Qt::DotLine, "dotted"},
                                        {kTimeDistance, "Dist", Qt::DashDotLine, "dash-dot"}};

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

QLineSeries* LineOf(const ResultTable& table, std::size_t xColumn, std::size_t yColumn, double factor) {
  auto* series = new QLineSeries;
  QList<QPointF> points;
  points.reserve(static_cast<qsizetype>(table.rows.size()));
  for (const auto& row : table.rows) points.append(QPointF(row[xColumn], factor * row[yColumn]));
  series->replace(points);
  return series;
}

QValueAxis* NewAxis(const QString& title) {
  auto* axis = new QValueAxis;
  axis->setTitleText(title);
  axis->setLabelFormat(QStringLiteral("%.4g"));
  return axis;
}

}  // namespace

QColor RunColor(std::size_t index) {
  static const QColor kColors[] = {QColor(0x1f, 0x4e, 0xb4), QColor(0xd6, 0x27, 0x28), QColor(0x2c, 0xa0, 0x2c),
                                   QColor(0x94, 0x67, 0xbd), QColor(0xff, 0x7f, 0x0e), QColor(0x17, 0xbe, 0xcf),
                                   QColor(0x8c, 0x56, 0x4b), QColor(0x7f, 0x7f, 0x7f)};
  return kColors[index % std::size(kColors)];
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

bool RunChart::PowerLayout() const {
  return !runs.empty() && runs.front().table.IsPowerTable();
}

void RunChart::Rebuild() {
  HideCrosshair();
  peakLabels.clear();
  QChart* previous = chart();
  auto* fresh = new QChart;
  fresh->legend()->setAlignment(Qt::AlignBottom);
  fresh->setMargins(QMargins(4, 4, 4, 4));
  setChart(fresh);
  delete previous;

  const bool anyVisible = std::any_of(runs.begin(), runs.end(), [](const PlotRun& run) { return run.visible; });
  if (!notice.isEmpty() || !anyVisible) {
    fresh->setTitle(notice.isEmpty() && !runs.empty() ? QStringLiteral("Every run is hidden") : notice);
    fresh->legend()->setVisible(false);
    if (runs.empty()) return;
  }
  if (PowerLayout())
    AddPowerSeries();
  else if (!runs.empty())
    AddTimeSeries();
  connect(fresh, &QChart::plotAreaChanged, this, &RunChart::PlacePeakLabels);
  PlacePeakLabels();
}

void RunChart::AddPowerSeries() {
  QChart* c = chart();
  const ColumnUnit speedUnit = UnitOf("RPM", units), hpUnit = UnitOf("HP", units), torqueUnit = UnitOf("Torque", units);
  QValueAxis* x = NewAxis(QString::fromStdString(speedUnit.label));
  // One legend entry per run; the line style tells power from torque.
  QValueAxis* power = NewAxis(QString::fromStdString(hpUnit.label) + QStringLiteral(", solid"));
  QValueAxis* torque = NewAxis(QString::fromStdString(torqueUnit.label) + QStringLiteral(", dashed"));
  c->addAxis(x, Qt::AlignBottom);
  c->addAxis(power, Qt::AlignLeft);
  c->addAxis(torque, Qt::AlignRight);
  torque->setGridLineVisible(false);

  for (std::size_t i = 0; i < runs.size(); ++i) {
    const PlotRun& run = runs[i];
    const ResultTable& table = run.table;
    if (!run.visible || !table.IsPowerTable() || table.rows.empty()) continue;
    const std::size_t rpmColumn = table.Column("RPM"), hpColumn = table.Column("HP"),
                      torqueColumn = table.Column("Torque");
    if (rpmColumn == ResultTable::npos || torqueColumn == ResultTable::npos) continue;
    const QColor color = RunColor(i);
    const struct {
      std::size_t column;
      const ColumnUnit& unit;
      QValueAxis* axis;
      qreal width;
      QColor color;
    } curves[] = {{hpColumn, hpUnit, power, 2.5, color}, {torqueColumn, torqueUnit, torque, 1.5, color.darker(130)}};
    for (const auto& curve : curves) {
      QLineSeries* series = LineOf(table, rpmColumn, curve.column, curve.unit.factor);
      series->setName(run.name);
      QPen pen(curve.color, curve.width);
      if (curve.axis == torque) pen.setStyle(Qt::DashLine);
      series->setPen(pen);
      c->addSeries(series);
      if (curve.axis == torque)
        for (QLegendMarker* legendMarker : c->legend()->markers(series)) legendMarker->setVisible(false);
      series->attachAxis(x);
      series->attachAxis(curve.axis);

      // The peak: the first row with the largest value, as the summary lines take it.
      const auto best = std::max_element(table.rows.begin(), table.rows.end(), [&curve](const auto& a, const auto& b) {
        return a[curve.column] < b[curve.column];
      });
      const QPointF peak((*best)[rpmColumn], curve.unit.factor * (*best)[curve.column]);
      auto* marker = new QScatterSeries;
      marker->setMarkerSize(8.0);
      marker->setColor(curve.color);
      marker->setBorderColor(Qt::white);
      marker->append(peak);
      c->addSeries(marker);
      marker->attachAxis(x);
      marker->attachAxis(curve.axis);
      for (QLegendMarker* legendMarker : c->legend()->markers(marker)) legendMarker->setVisible(false);
      auto* label =
          new QGraphicsSimpleTextItem(Number(peak.y(), 1) + u' ' + QString::fromStdString(curve.unit.unit) +
                                          QStringLiteral(" @ ") + Number(peak.x(), 0) + QStringLiteral(" rpm"),
                                      c);
      label->setBrush(curve.color.darker(120));
      label->setZValue(50.0);
      peakLabels.push_back({label, peak, marker});
    }
  }
  // Power and torque axes start at zero, so the curves compare by height.
  for (QValueAxis* axis : {power, torque}) {
    axis->setMin(0.0);
    axis->setMax(axis->max() * (1.08 + 0.06 * static_cast<double>(peakLabels.size())));  // room for the labels
    axis->applyNiceNumbers();
  }
  x->applyNiceNumbers();
}

void RunChart::AddTimeSeries() {
  QChart* c = chart();
  QValueAxis* x = NewAxis(QString::fromStdString(UnitOf("Time", units).label));
  c->addAxis(x, Qt::AlignBottom);
  bool firstAxis = true;
  for (const Quantity& quantity : kTimeQuantities) {
    if (!(timeQuantities & quantity.flag)) continue;
    const ColumnUnit unit = UnitOf(quantity.column, units);
    QValueAxis* axis = NewAxis(QString::fromStdString(unit.label) + QStringLiteral(", ") + quantity.styleName);
    c->addAxis(axis, firstAxis ? Qt::AlignLeft : Qt::AlignRight);
    axis->setGridLineVisible(firstAxis);
    for (std::size_t i = 0; i < runs.size(); ++i) {
      const ResultTable& table = runs[i].table;
      const std::size_t timeColumn = table.Column("Time"), column = table.Column(quantity.column);
      if (!runs[i].visible || timeColumn == ResultTable::npos || column == ResultTable::npos) continue;
      QLineSeries* series = LineOf(table, timeColumn, column, unit.factor);
      series->setName(runs[i].name);
      series->setPen(QPen(RunColor(i), 2.0, quantity.style));
      c->addSeries(series);
      if (!firstAxis)  // one legend entry per run
        for (QLegendMarker* legendMarker : c->legend()->markers(series)) legendMarker->setVisible(false);
      series->attachAxis(x);
      series->attachAxis(axis);
    }
    axis->applyNiceNumbers();
    firstAxis = false;
  }
  x->applyNiceNumbers();
}

void RunChart::PlacePeakLabels() {
  // Each label centred above its peak, moved up past the labels already placed that it would cover.
  const QRectF area = chart()->plotArea();
  std::vector<QRectF> placed;
  for (const PeakLabel& label : peakLabels) {
    const QPointF at = chart()->mapToPosition(label.value, label.series);
    const QRectF box = label.text->boundingRect();
    QRectF place(QPointF(at.x() - box.width() / 2.0, at.y() - box.height() * 1.3), box.size());
    place.moveLeft(
        std::clamp(place.left(), area.left() + 2.0, std::max(area.left() + 2.0, area.right() - box.width() - 2.0)));
    for (bool moved = true; moved;) {
      moved = false;
      for (const QRectF& other : placed)
        if (place.intersects(other)) {
          place.moveBottom(other.top() - 1.0);
          moved = true;
        }
    }
    place.moveTop(std::max(place.top(), area.top() + 2.0));
    label.text->setPos(place.topLeft());
    placed.push_back(place);
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
  if (lines.size() < 2 || chart()->series().isEmpty()) {
    HideCrosshair();
    return;
  }
  const QRectF area = chart()->plotArea();
  const QPointF at = chart()->mapToPosition(QPointF(x, 0.0), chart()->series().front());
  crosshairLine->setLine(QLineF(at.x(), area.top(), at.x(), area.bottom()));
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
  if (chart()->series().isEmpty() || !chart()->plotArea().contains(scenePoint)) {
    HideCrosshair();
    return;
  }
  ShowCrosshairAt(chart()->mapToValue(scenePoint, chart()->series().front()).x());
}

void RunChart::leaveEvent(QEvent* event) {
  HideCrosshair();
  QChartView::leaveEvent(event);
}

bool RunChart::Export(const QString& path, QString& error) const {
  const QString suffix = QFileInfo(path).suffix().toLower();
  if (suffix != QLatin1String("png") && suffix != QLatin1String("svg") && suffix != QLatin1String("pdf")) {
    error = QStringLiteral("Cannot export to %1 - the name must end in .png, .svg or .pdf").arg(path);
    return false;
  }
  // A copy laid out at the export size, so the window's chart keeps its own.
  RunChart copy;
  copy.units = units;
  copy.timeQuantities = timeQuantities;
  copy.SetRuns(runs, notice);
  copy.resize(kExportLayout);
  copy.chart()->resize(QSizeF(kExportLayout));
  QCoreApplication::sendPostedEvents();
  copy.chart()->layout()->activate();
  copy.PlacePeakLabels();
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
    svg.setTitle(QStringLiteral("Ruvo runs"));
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
    pdf.setTitle(QStringLiteral("Ruvo runs"));
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
