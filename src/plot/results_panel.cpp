#include "plot/results_panel.h"

#include <QComboBox>
#include <QLabel>
#include <QVBoxLayout>

#include "plot/run_correction.h"

namespace ruvo {
namespace {

// The least size of every tab, pixels: the recording plot's own least size with its margins.
constexpr QSize kLeastPageSize(330, 240);

}  // namespace

ResultsPanel::ResultsPanel(bool withRecording, QWidget* parent) : QTabWidget(parent) {
  setObjectName(QStringLiteral("resultsPanel"));
  auto* chartPage = new QWidget(this);
  peaks = new QLabel(chartPage);
  peaks->setObjectName(QStringLiteral("peaksLine"));
  peaks->setWordWrap(true);
  peaks->setTextInteractionFlags(Qt::TextSelectableByMouse);
  chart = new RunChart(chartPage);
  auto* chartLayout = new QVBoxLayout(chartPage);
  chartLayout->setContentsMargins(4, 2, 2, 2);
  chartLayout->setSpacing(2);
  chartLayout->addWidget(peaks);
  chartLayout->addWidget(chart, 1);
  tablePage = new QWidget(this);
  tableChoice = new QComboBox(tablePage);
  tableChoice->setObjectName(QStringLiteral("tableChoice"));
  // Long run names are elided in the list rather than widening the panel.
  tableChoice->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
  table = new TableView(tablePage);
  auto* layout = new QVBoxLayout(tablePage);
  layout->setContentsMargins(2, 2, 2, 2);
  layout->addWidget(tableChoice);
  layout->addWidget(table, 1);
  addTab(chartPage, tr("Chart"));
  addTab(tablePage, tr("Table"));
  if (withRecording) {
    recording = new RecordingView(this);
    addTab(recording, tr("Recording"));
  }
  // A least size of their own, so the texts on them do not set it.
  for (int page = 0; page < count(); ++page) widget(page)->setMinimumSize(kLeastPageSize);
  connect(tableChoice, &QComboBox::currentIndexChanged, this, &ResultsPanel::ShowTableOf);
  ShowPeaks();
}

void ResultsPanel::ShowRuns(std::vector<PlotRun> runs, const QString& shownNotice) {
  {
    const QSignalBlocker quiet(tableChoice);
    tableChoice->clear();
    for (const PlotRun& run : runs) tableChoice->addItem(run.name);
  }
  tableChoice->setVisible(runs.size() > 1);
  given = std::move(runs);
  notice = shownNotice;
  ShowCorrected();
  ShowTableOf(chart->Runs().empty() ? -1 : 0);
  ShowPeaks();
}

void ResultsPanel::ShowCorrected() {
  std::vector<PlotRun> shown;
  for (const PlotRun& run : given) shown.push_back(CorrectRun(run, correction).run);
  chart->SetRuns(std::move(shown), notice);
}

QSize ResultsPanel::sizeHint() const {
  return QSize(minimumSizeHint().width(), QTabWidget::sizeHint().height());
}

int ResultsPanel::TableRun() const {
  return chart->Runs().empty() ? -1 : tableChoice->currentIndex();
}

void ResultsPanel::ShowTableOf(int run) {
  const auto& runs = chart->Runs();
  if (run < 0 || static_cast<std::size_t>(run) >= runs.size()) {
    table->SetTable(ResultTable(), chart->Units());
    return;
  }
  if (tableChoice->currentIndex() != run) tableChoice->setCurrentIndex(run);
  const PlotRun& shown = runs[static_cast<std::size_t>(run)];
  table->SetTable(shown.table, chart->Units(),
                  shown.correctedTo ? std::string(CorrectionTitle(*shown.correctedTo)) : std::string());
}

void ResultsPanel::SetRunVisible(std::size_t run, bool visible) {
  if (run < given.size()) given[run].visible = visible;
  chart->SetRunVisible(run, visible);
  ShowPeaks();
}

void ResultsPanel::SetUnits(UnitSystem chosen) {
  units = chosen;
  if (UnitsFor(units, correction) == chart->Units()) return;
  chart->SetUnits(UnitsFor(units, correction));
  ShowTableOf(TableRun());
  ShowPeaks();
}

void ResultsPanel::SetCorrection(std::optional<CorrectionStandard> standard) {
  if (standard == correction) return;
  correction = standard;
  const int tableRun = TableRun();
  chart->SetUnits(UnitsFor(units, correction));
  ShowCorrected();
  ShowTableOf(tableRun);
  ShowPeaks();
}

QString ResultsPanel::PeaksLine() const {
  return peaks->text();
}

void ResultsPanel::ShowPeaks() {
  // The runs the chart draws, named when there are several; a single one says where its peaks come from.
  QStringList lines;
  std::vector<const PlotRun*> shown;
  for (const PlotRun& run : chart->Runs())
    if (run.visible && run.table.IsPowerTable() == chart->Runs().front().table.IsPowerTable()) shown.push_back(&run);
  for (const PlotRun* run : shown) {
    const RunPeaks runPeaks = PeaksOf(*run);
    QString text = QString::fromStdString(PeaksText(runPeaks, chart->Units()));
    if (text.isEmpty()) continue;
    if (shown.size() > 1) {
      lines << LegendName(*run) + QStringLiteral(": ") + text;
      continue;
    }
    text[0] = text[0].toUpper();
    if (!runPeaks.fromCalculation) text = tr("%1 (loaded from the file)").arg(text);
    lines << (run->note.isEmpty() ? text : text + QStringLiteral(" \u2014 ") + run->note);
  }
  peaks->setText(lines.join(u'\n'));
  peaks->setVisible(!lines.isEmpty());
}

}  // namespace ruvo
