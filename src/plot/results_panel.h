#pragma once

#include <QTabWidget>
#include <vector>

#include "plot/recording_view.h"
#include "plot/run_chart.h"
#include "plot/table_view.h"

class QComboBox;

namespace ruvo {

// The results as tabs: "Chart" (a RunChart of the runs), "Table" (the table of one run, chosen
// when there are several) and, when asked for, "Recording" (a RecordingView). Shared by the main
// window's Results dock and ruvo-plot. Single-threaded.
class ResultsPanel : public QTabWidget {
  Q_OBJECT

 public:
  explicit ResultsPanel(bool withRecording, QWidget* parent = nullptr);

  // Shows runs in the chart and the first run's table; notice goes in the chart area.
  void ShowRuns(std::vector<PlotRun> runs, const QString& notice = QString());
  // The run whose table the Table tab shows (-1 for none).
  int TableRun() const;
  void ShowTableOf(int run);

  RunChart& Chart() { return *chart; }
  TableView& Table() { return *table; }
  RecordingView* Recording() { return recording; }  // nullptr without the tab

 private:
  RunChart* chart;
  QWidget* tablePage;
  QComboBox* tableChoice;
  TableView* table;
  RecordingView* recording = nullptr;
};

}  // namespace ruvo
