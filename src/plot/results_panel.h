#pragma once

#include <QTabWidget>
#include <optional>
#include <vector>

#include "calc/power_correction.h"
#include "plot/recording_view.h"
#include "plot/run_chart.h"
#include "plot/table_view.h"

class QComboBox;
class QLabel;

namespace ruvo {

// The results as tabs: "Chart" (the runs' peaks in a line above a RunChart of them), "Table" (the
// table of one run, chosen when there are several) and, when asked for, "Recording" (a
// RecordingView), all in the chart's units and, when a standard is chosen, corrected to it: each run
// by its own document's conditions (CorrectRun), a run without them as measured and labelled so. Shared by the main
// window's Results dock and ruvo-plot. Its least size is fixed: no text it shows (a failure, a long file name) widens
// it, or the window around it. Single-threaded.
class ResultsPanel : public QTabWidget {
  Q_OBJECT

 public:
  explicit ResultsPanel(bool withRecording, QWidget* parent = nullptr);

  // Shows runs (as measured) in the chart and the first run's table; notice goes in the chart area.
  void ShowRuns(std::vector<PlotRun> runs, const QString& notice = QString());
  // The runs as given to ShowRuns; Chart().Runs() holds them as shown, corrected.
  const std::vector<PlotRun>& Runs() const { return given; }
  // The run whose table the Table tab shows (-1 for none).
  int TableRun() const;
  void ShowTableOf(int run);
  void SetRunVisible(std::size_t run, bool visible);
  // Shows the chart, the peaks and the table in units (PS for kW under DIN 70020: UnitsFor).
  void SetUnits(UnitSystem units);
  // Corrects power and torque to standard, or shows them as measured.
  void SetCorrection(std::optional<CorrectionStandard> standard);
  std::optional<CorrectionStandard> Correction() const { return correction; }
  // The line above the chart: the shown run's peaks ("Max 124.4 hp @ 5700 rpm, ... (loaded from the
  // file)"), or each run's after its name.
  QString PeaksLine() const;

  // Its least width, whatever the tabs hold: a dock keeps its width when a long text appears.
  QSize sizeHint() const override;

  RunChart& Chart() { return *chart; }
  TableView& Table() { return *table; }
  RecordingView* Recording() { return recording; }  // nullptr without the tab

 private:
  void ShowPeaks();
  // Gives the chart the runs corrected as chosen, keeping the table shown.
  void ShowCorrected();

  std::vector<PlotRun> given;
  QString notice;
  UnitSystem units = UnitSystem::kTable;  // as chosen
  std::optional<CorrectionStandard> correction;
  RunChart* chart;
  QLabel* peaks;
  QWidget* tablePage;
  QComboBox* tableChoice;
  TableView* table;
  RecordingView* recording = nullptr;
};

}  // namespace ruvo
