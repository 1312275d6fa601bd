#pragma once

#include <QFileSystemWatcher>
#include <QMainWindow>
#include <QStringList>
#include <QTimer>
#include <optional>
#include <vector>

#include "calc/power_correction.h"
#include "core/result_table.h"
#include "core/settings.h"
#include "plot/chart_options.h"
#include "plot/results_panel.h"

class QMenu;

namespace ruvo {

// The ruvo-plot window: the runs of one or more saved run documents overlaid in a chart with a
// legend, their tables, and the File commands to open documents and export the chart (PNG, SVG,
// PDF) and the tables (CSV). A document that changes on disk (a new Calculate saved it) is read
// again. The View choices are kept in settings, which must outlive the window; the choices another
// window stored meanwhile are taken up when this one is activated.
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
  // Writes the tables of every document shown as one CSV table, in the units and correction shown,
  // each row led by its document as named (WriteTablesCsv); false with error when there is none or
  // writing fails.
  bool ExportTables(const QString& path, QString& error);
  // Writes a dyno sheet (PDF) of the visible runs in the chosen units, corrected to standard
  // (WriteDynoSheet); false with error when there is none or writing fails.
  bool ExportSheet(const QString& path, std::optional<CorrectionStandard> standard, QString& error);
  // The name an export offers first: the first document's, with suffix, beside it.
  QString DefaultExportPath(const QString& suffix) const;

  ResultsPanel& Panel() { return *panel; }

 protected:
  void changeEvent(QEvent* event) override;

 private:
  void CreateMenus();
  void FillRunsMenu();
  void OnOpen();
  void OnExportChart();
  void OnExportTables();
  void OnExportSheet();

  ResultsPanel* panel;
  QStringList documents;  // as named
  QString notice;
  QFileSystemWatcher watcher;
  QTimer reloadDelay;  // a save replaces the file in steps; read once it settled
  ChartOptions options;
  QMenu* runsMenu = nullptr;
};

}  // namespace ruvo
