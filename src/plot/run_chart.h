#pragma once

#include <QChartView>
#include <QPen>
#include <QString>
#include <QStringList>
#include <memory>
#include <optional>
#include <vector>

#include "calc/power_correction.h"
#include "core/result_table.h"
#include "plot/chart_items.h"
#include "plot/chart_model.h"
#include "plot/plot_units.h"
#include "plot/run_peaks.h"

class QLineSeries;
class QPainter;
class QGraphicsSimpleTextItem;
class QValueAxis;

namespace ruvo {

// One run as a chart shows it: the result table of a document and its legend name.
struct PlotRun {
  QString name;  // "description (file.dat)"
  ResultTable table;
  bool visible = true;
  std::vector<RowSpan> flagged = {};             // rows the run checks doubt
  std::optional<RunPeaks> peaks = std::nullopt;  // the calculation's; without them, the table's
  QString path = QString();                      // the document as named; empty when unsaved
  // What correction its values had, for the legend: "SAE J1349 ×1.0234", "uncorrected: no
  // conditions"; empty when none was asked for.
  QString note = QString();
  std::optional<CorrectionStandard> correctedTo = std::nullopt;  // the standard its power and torque are corrected to
};

// The peaks labelled and listed for run: those it carries, or its table's.
RunPeaks PeaksOf(const PlotRun& run);
// The run's name in the legend and the peaks line: its name, and its note after a dash.
QString LegendName(const PlotRun& run);

// The quantities a tachometer chart can show against time, each on its own axis.
enum TimeQuantity : unsigned { kTimeRpm = 1, kTimeSpeed = 2, kTimeAccel = 4, kTimeDistance = 8 };

// A chart of one or more runs. Dynamometer tables: power (thick) on the left axis and torque (thin)
// on the right against engine speed, each run's peaks (PeaksOf) marked and labelled above their
// curves, clear of every line ("125.2 hp @ 5600 rpm").
// Tachometer tables: the chosen quantities against time, stacked in panes or each on its own axis
// of one chart. Rows outside the document's RPM estimate or flagged by the run checks are drawn
// dashed, or faded where the stretch is too short on screen to show a dash. Axis ticks are spaced
// to the room their labels need. Runs corrected to a standard name it in the title ("corrected to
// SAE J1349"). The layout of the first run decides; runs of the other layout are left out and named
// in the chart's title. Hovering shows a crosshair with the values of every visible run at that engine speed or time.
// Without a run to show, the chart area carries notice (a message such as "No results in a.dat - calculate it first").
// What to draw comes from the Qt-free chart model (chart_model.h, chart_ticks.h, crosshair.h,
// label_placement.h); this class draws it. Single-threaded; owns its charts.
class RunChart : public QChartView {
  Q_OBJECT

 public:
  explicit RunChart(QWidget* parent = nullptr);

  void SetRuns(std::vector<PlotRun> shownRuns, const QString& notice = QString());
  const std::vector<PlotRun>& Runs() const { return runs; }
  void SetRunVisible(std::size_t index, bool visible);
  void SetUnits(UnitSystem chosen);
  UnitSystem Units() const { return units; }
  void SetTimeQuantities(unsigned quantities);
  unsigned TimeQuantities() const { return timeQuantities; }
  void SetStackedPanes(bool stack);
  bool StackedPanes() const { return stacked; }
  // The charts shown, top to bottom: one, or one per tachometer quantity when stacked.
  const std::vector<QChart*>& Panes() const { return panes; }

  // The texts of the peak labels and of the crosshair's box (empty while it is hidden).
  QStringList PeakLabels() const;
  QString CrosshairText() const;
  // Shows the crosshair at a chart value of the horizontal axis (as hovering there does).
  void ShowCrosshairAt(double x);

  // Writes the chart to path: ".png" at 1600x1000 pixels, ".svg" or ".pdf" as vector pictures,
  // titled with ExportTitle. False with error set when the suffix is unknown or the file cannot be
  // written.
  bool Export(const QString& path, QString& error) const;
  // Draws the chart laid out at layout (pixels, which set the size of its text and lines) into target of
  // painter, with title as its bold first line (none when empty).
  void Render(QPainter& painter, const QRectF& target, QSize layout, const QString& title) const;
  // The shown runs' descriptions, or their file names where they have none, joined by " / ".
  QString ExportTitle() const;

 protected:
  void mouseMoveEvent(QMouseEvent* event) override;
  void leaveEvent(QEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  void Rebuild();
  // A copy of this chart laid out at layout (pixels) for drawing elsewhere, titled title.
  std::unique_ptr<RunChart> LaidOut(QSize layout, const QString& title) const;
  QChart* AddPane();
  // Sizes the panes to share size (pixels) from top to bottom.
  void LayOut(QSizeF size);
  // Lines the stacked panes' plot areas up on the widest axis labels, now or after the events queued.
  void AlignPanes();
  void QueueAlignPanes();
  // The title: the notice, the runs of the other layout left out, what dashed lines mean.
  QString Title(const QString& dashedMeaning) const;
  // Each adds the visible runs' curves and returns what the dashed lines mean, empty when none are.
  QString AddPowerSeries();
  QString AddTimeSeries();
  void PlacePeakLabels();
  // Places every label where it is clear of the curves; false when one found no such place, unless
  // last, which places it as well as it can.
  bool TryPlacePeakLabels(bool last);
  // Dashes each doubtful stretch long enough on screen to show them and fades the others.
  void StyleDoubtfulStretches();
  // The layout the chart shows: true for dynamometer tables.
  bool PowerLayout() const;

  std::vector<PlotRun> runs;
  QString notice;
  UnitSystem units = UnitSystem::kTable;
  unsigned timeQuantities = kTimeRpm | kTimeSpeed | kTimeAccel;
  bool stacked = true;
  QString heading;             // the bold first line of the title (exports)
  std::vector<QChart*> panes;  // the first is chart()
  bool alignQueued = false;
  // An axis as Rebuild made it, for LayOut and PlacePeakLabels to fit again.
  struct ChartAxis {
    QChart* pane;
    QValueAxis* axis;
    std::optional<ValueRange> data = std::nullopt;   // LayOut spaces the ticks over it to the axis's length
    QString wholeTitle = QString();                  // with unitTitle: the title where the pane is high enough,
    QString unitTitle = QString();                   // else the unit alone; empty: the title stays
    std::optional<double> fittedMax = std::nullopt;  // a power or torque axis's top, which labels may raise
  };
  std::vector<ChartAxis> chartAxes;
  struct PeakLabel {
    QGraphicsSimpleTextItem* text;
    QPointF value;
    QAbstractSeries* series;
  };
  std::vector<PeakLabel> peakLabels;
  bool placingLabels = false;  // raising an axis there moves the plot area, which would place them again
  struct DoubtfulStretch {
    QChart* pane;
    QLineSeries* series;
    QPen dashed, faded;
  };
  std::vector<DoubtfulStretch> doubtfulStretches;
  CrosshairItem* crosshair = nullptr;  // owned by the scene
};

// The colour of the run at index in every chart and list.
QColor RunColor(std::size_t index);

// "description (file.dat)": the legend name of a document's run.
QString RunName(const QString& title, const QString& filePath);

}  // namespace ruvo
