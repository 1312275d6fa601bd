#include "ui/results_dock.h"

#include <QEvent>
#include <QFileInfo>
#include <QLabel>
#include <QMainWindow>
#include <QScreen>
#include <QTimer>
#include <sstream>

#include "analysis/wave_recording.h"
#include "core/result_table.h"
#include "core/run_document.h"
#include "plot/results_panel.h"
#include "ui/engine_sound_source.h"

namespace ruvo {
namespace {

constexpr int kDockWidth = 560;  // pixels the window grows by when the dock first appears

// The samples of every recording of the calculation, read again, marked when it failed; a file that no longer reads
// leaves its trace without samples (its message is not shown: the calculation already spoke).
std::vector<RecordingTrace> ReadTraces(const std::vector<RecordingEvidence>& evidence, bool failed) {
  std::vector<RecordingTrace> traces;
  for (const RecordingEvidence& recording : evidence) {
    RecordingTrace trace;
    trace.name = QString::fromStdString(recording.waveFile);
    trace.evidence = recording;
    trace.failed = failed;
    WaveRecording wave(recording.wavePath);
    if (wave.ok() && wave.sampleCount() > 0) {
      trace.samples.resize(static_cast<std::size_t>(wave.sampleCount()));
      if (wave.LoadSamples(trace.samples))
        trace.meanLevel = wave.meanLevel();
      else
        trace.samples.clear();
    }
    traces.push_back(std::move(trace));
  }
  return traces;
}

}  // namespace

ResultsDock::ResultsDock(SettingsStore& settings, QWidget* parent)
    : QDockWidget(tr("Results"), parent), options(settings, this), sources(new EngineSoundSources(this)) {
  setObjectName(QStringLiteral("resultsDock"));
  auto* waiting = new QLabel(tr("Calculate to see the power and torque curves."), this);
  waiting->setAlignment(Qt::AlignCenter);
  setWidget(waiting);
  toggleViewAction()->setText(tr("&Results"));
  toggleViewAction()->setStatusTip(tr("Show or hide the results panel"));
  connect(&options, &ChartOptions::Changed, this, [this] {
    if (panel) options.ApplyTo(*panel);
  });
}

bool ResultsDock::event(QEvent* event) {
  // The main window passes its activation on to the docks it shows; a floating dock is its own window.
  if (event->type() == QEvent::WindowActivate) options.Reread();
  return QDockWidget::event(event);
}

ResultsPanel& ResultsDock::EnsurePanel() {
  if (!panel) {
    panel = new ResultsPanel(true, this);
    options.ApplyTo(*panel);
    setWidget(panel);
  }
  options.Reread();
  return *panel;
}

void ResultsDock::Reveal() {
  if (revealed) return;
  revealed = true;
  // The first time, the window grows to make room, as far as the screen allows.
  if (auto* window = qobject_cast<QMainWindow*>(parentWidget()); window && !isFloating()) {
    QSize wanted = window->size() + QSize(kDockWidth, 0);
    wanted.setHeight(std::max(wanted.height(), 520));
    if (const QScreen* display = window->screen()) wanted = wanted.boundedTo(display->availableGeometry().size());
    // After the events already queued, so a configure event of the window's first showing that is
    // still on its way cannot undo the new size.
    QTimer::singleShot(0, window, [window, wanted] { window->resize(wanted); });
  }
  show();
}

void ResultsDock::ShowCalculation(RunCalculation& calculation,
                                  const RunParameters& params,
                                  const std::string& documentPath) {
  ResultsPanel& shown = EnsurePanel();
  const QString fileName = QFileInfo(QString::fromStdString(documentPath)).fileName();
  // The table as the document stores it, read back as a saved document's table is.
  std::ostringstream text;
  WriteRunDocument(text, params);
  std::vector<PlotRun> runs;
  QString notice = tr("The calculation did not succeed - see the Recording tab");
  if (calculation.AppendResultTable(text)) {
    const TableReadResult read = ReadResultTable(text.str(), fileName.toStdString());
    if (read.status == TableReadStatus::kRead) {
      // The rows the run checks doubt are drawn dashed.
      std::vector<RowSpan> flagged;
      for (const RunFinding& finding : calculation.Findings())
        flagged.insert(flagged.end(), finding.rows.begin(), finding.rows.end());
      // The peaks the summary lines name, from the same unrounded results.
      runs.push_back({RunName(QString::fromStdString(read.table.title), fileName), read.table, true, flagged,
                      PeaksOfCalculation(calculation.Results()), QString::fromStdString(documentPath)});
      notice.clear();
    }
  }
  shown.ShowRuns(std::move(runs), notice);
  shown.Recording()->SetRecordings(ReadTraces(calculation.Evidence(), !calculation.Results().succeeded),
                                   calculation.Findings());
  sources->Show(*shown.Recording(), calculation.Evidence(), params);
  if (!notice.isEmpty() && !calculation.Evidence().empty()) shown.setCurrentWidget(shown.Recording());
  if (notice.isEmpty() || !calculation.Evidence().empty()) Reveal();
}

void ResultsDock::ShowDocument(const std::string& path) {
  const TableReadResult read = path.empty() ? TableReadResult() : ReadResultTableFile(path);
  if (!panel && read.status != TableReadStatus::kRead) return;  // nothing to show yet
  ResultsPanel& shown = EnsurePanel();
  std::vector<PlotRun> runs;
  const QString fileName = QFileInfo(QString::fromStdString(path)).fileName();
  QString notice;
  if (read.status == TableReadStatus::kRead) {
    PlotRun run{RunName(QString::fromStdString(read.table.title), fileName), read.table, true};
    run.path = QString::fromStdString(path);
    runs.push_back(std::move(run));
  } else if (read.status == TableReadStatus::kNoTable) {
    notice = QString::fromStdString(NoResultsMessage((fileName.isEmpty() ? tr("Untitled") : fileName).toStdString()));
  } else {
    notice = QString::fromStdString(read.error);
  }
  shown.ShowRuns(std::move(runs), notice);
  shown.Recording()->SetRecordings({}, {});
  sources->Show(*shown.Recording(), {}, {});
  if (read.status == TableReadStatus::kRead) {
    shown.setCurrentIndex(0);
    Reveal();
  }
}

}  // namespace ruvo
