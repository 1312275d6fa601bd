#pragma once

#include <QFileSystemWatcher>
#include <QMainWindow>
#include <QStringList>
#include <QTimer>
#include <vector>

#include "core/result_table.h"
#include "core/settings.h"
#include "plot/chart_options.h"
#include "plot/results_panel.h"

class QMenu;

namespace ruvo {

// The ruvo-plot window: the runs of one or more saved run documents overlaid in a chart with a
// legend, their tables, and the File commands to open documents and export the chart (PNG, SVG,
// PDF) and the shown table (CSV). A document that changes on disk (a new Calculate saved it) is
// read again. The View choices are kept in settings, which must outlive the window.
class PlotWindow : public QMainWindow {
  Q_OBJECT

 public:
  explicit PlotWindow(SettingsStore& settings, QWidget* parent = nullptr);

  // Shows the documents at paths (as named on the command line) in place of the ones shown.
  void OpenDocuments(const QStringList& paths);
  // Reads every document again.
  void Reload();
  // The chart area's notices: one line for each document without a table to show.
  QString Notice() const { return notice; }
  bool HasRuns() const { return !panel->Chart().Runs().empty(); }

  ChartOptions& Options() { return options; }
  bool ExportChart(const QString& path, QString& error);
  // Writes the table the Table tab shows as CSV; false with error when there is none or writing fails.
  bool ExportTable(const QString& path, QString& error);

  ResultsPanel& Panel() { return *panel; }

 private:
  void CreateMenus();
  void FillRunsMenu();
  void OnOpen();
  void OnExportChart();
  void OnExportTable();

  ResultsPanel* panel;
  QStringList documents;  // as named
  QString notice;
  QFileSystemWatcher watcher;
  QTimer reloadDelay;  // a save replaces the file in steps; read once it settled
  ChartOptions options;
  QMenu* runsMenu = nullptr;
};

}  // namespace ruvo
