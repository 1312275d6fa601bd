#include "plot/results_panel.h"

#include <QComboBox>
#include <QVBoxLayout>

namespace ruvo {

ResultsPanel::ResultsPanel(bool withRecording, QWidget* parent) : QTabWidget(parent) {
  setObjectName(QStringLiteral("resultsPanel"));
  chart = new RunChart(this);
  tablePage = new QWidget(this);
  tableChoice = new QComboBox(tablePage);
  tableChoice->setObjectName(QStringLiteral("tableChoice"));
  table = new TableView(tablePage);
  auto* layout = new QVBoxLayout(tablePage);
  layout->setContentsMargins(2, 2, 2, 2);
  layout->addWidget(tableChoice);
  layout->addWidget(table, 1);
  addTab(chart, QStringLiteral("Chart"));
  addTab(tablePage, QStringLiteral("Table"));
  if (withRecording) {
    recording = new RecordingView(this);
    addTab(recording, QStringLiteral("Recording"));
  }
  connect(tableChoice, &QComboBox::currentIndexChanged, this, &ResultsPanel::ShowTableOf);
}

void ResultsPanel::ShowRuns(std::vector<PlotRun> runs, const QString& notice) {
  {
    const QSignalBlocker quiet(tableChoice);
    tableChoice->clear();
    for (const PlotRun& run : runs) tableChoice->addItem(run.name);
  }
  tableChoice->setVisible(runs.size() > 1);
  chart->SetRuns(std::move(runs), notice);
  ShowTableOf(chart->Runs().empty() ? -1 : 0);
}

int ResultsPanel::TableRun() const {
  return chart->Runs().empty() ? -1 : tableChoice->currentIndex();
}

void ResultsPanel::ShowTableOf(int run) {
  const auto& runs = chart->Runs();
  if (run < 0 || static_cast<std::size_t>(run) >= runs.size()) {
    table->SetTable(ResultTable());
    return;
  }
  if (tableChoice->currentIndex() != run) tableChoice->setCurrentIndex(run);
  table->SetTable(runs[static_cast<std::size_t>(run)].table);
}

}  // namespace ruvo
