#pragma once

#include <QDockWidget>
#include <string>

#include "calc/run_calculation.h"
#include "core/settings.h"
#include "plot/chart_options.h"

namespace ruvo {

class EngineSoundSources;
class ResultsPanel;

// The main window's "Results" dock: the chart and table of the last calculation, or of the table
// an opened document holds, and the Recording tab with the waveform of each recording of the last
// calculation (read again from its file), its pulses and the run checks' findings. The panel is
// built the first time there is something to show, so the window starts as quickly as without it;
// the dock then shows itself (the View menu hides and shows it again). After Calculate its peaks
// are the calculation's own, as the summary lines give them; for an opened document the table's,
// marked as loaded from the file. Its least size does not follow what it shows. The chart's View
// choices are kept in settings, which must outlive the dock; those another window (ruvo-plot)
// stored meanwhile are taken up when the window is activated and before new results are shown.
class ResultsDock : public QDockWidget {
  Q_OBJECT

 public:
  ResultsDock(SettingsStore& settings, QWidget* parent);

  // After Calculate: the results and recordings of calculation, the run named after the document
  // at documentPath, or why there are none.
  void ShowCalculation(RunCalculation& calculation, const RunParameters& params, const std::string& documentPath);
  // After a document was opened (or a new one started: empty path): its saved table, if any.
  void ShowDocument(const std::string& path);

  // The panel; nullptr until there was something to show.
  ResultsPanel* Panel() { return panel; }
  ChartOptions& Options() { return options; }
  // The engine sound behind the pulse tracks of the last calculation, read in the background.
  EngineSoundSources& Sources() { return *sources; }

 protected:
  bool event(QEvent* event) override;

 private:
  ResultsPanel& EnsurePanel();
  void Reveal();

  ChartOptions options;
  ResultsPanel* panel = nullptr;
  EngineSoundSources* sources = nullptr;
  bool revealed = false;
};

}  // namespace ruvo
