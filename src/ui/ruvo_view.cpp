#include "ui/ruvo_view.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCursor>
#include <QGroupBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QShortcut>
#include <algorithm>
#include <filesystem>
#include <sstream>
#include <system_error>
#include <vector>

#include "core/run_document.h"
#include "ui/findings_button.h"
#include "ui/form_exchange.h"
#include "ui/ruvo_doc.h"
#include "ui/smoothing_dlg.h"
#include "ui/tool_launcher.h"
#include "ui/tool_setup_dlg.h"
#include "ui/user_prompts.h"
#include "ui/wave_browse.h"
#include "ui/wave_import.h"

namespace ruvo {
namespace {

// A calculation runs on the interface thread; the pointer shows it is busy meanwhile.
class BusyCursor {
 public:
  BusyCursor() { QApplication::setOverrideCursor(QCursor(Qt::WaitCursor)); }
  ~BusyCursor() { QApplication::restoreOverrideCursor(); }
  BusyCursor(const BusyCursor&) = delete;
  BusyCursor& operator=(const BusyCursor&) = delete;
};

}  // namespace

CRuvoView::CRuvoView(SettingsStore& store, QWidget* parent)
    : QWidget(parent), settings(store), controls(BuildViewControls(*this)) {
  setObjectName(QStringLiteral("ruvoView"));
  connect(controls.calculateButton, &QPushButton::clicked, this, &CRuvoView::OnCalculate);
  connect(controls.addButton, &QPushButton::clicked, this, &CRuvoView::OnAddWaveFile);
  connect(controls.removeButton, &QPushButton::clicked, this, &CRuvoView::OnRemoveWaveFiles);
  connect(controls.browseButton, &QPushButton::clicked, this, &CRuvoView::OnBrowseWaveFiles);
  connect(controls.tablesButton, &QPushButton::clicked, this, &CRuvoView::OnTables);
  connect(controls.graphButton, &QPushButton::clicked, this, &CRuvoView::OnGraph);
  connect(controls.newWaveName, &QLineEdit::textChanged, this, &CRuvoView::UpdateAddButton);
  connect(controls.waveList, &QListWidget::itemSelectionChanged, this, &CRuvoView::UpdateRemoveButton);

  // Enter in a box presses the form's default button, Calculate; in the new-wave-name box it adds
  // the name.
  std::vector<QLineEdit*> boxes{controls.summaryLine1, controls.summaryLine2};
  for (const auto& entry : controls.fieldBoxes) boxes.push_back(entry.second);
  for (QLineEdit* box : boxes) {
    connect(box, &QLineEdit::returnPressed, this, [this] {
      if (controls.calculateButton->isEnabled()) OnCalculate();
    });
  }
  connect(controls.newWaveName, &QLineEdit::returnPressed, this, [this] {
    if (controls.addButton->isEnabled()) OnAddWaveFile();
  });
  auto* remove = new QShortcut(QKeySequence::Delete, controls.waveList, nullptr, nullptr, Qt::WidgetShortcut);
  connect(remove, &QShortcut::activated, this, &CRuvoView::OnRemoveWaveFiles);
  // A description longer than its box can be read whole in the tooltip.
  QLineEdit* description = controls.fieldBoxes.at("description");
  connect(description, &QLineEdit::textChanged, description, &QWidget::setToolTip);
}

void CRuvoView::OnInitialUpdate() {
  ShowHeldValues(controls, params, summaryLine1, summaryLine2);
  ShowWaveList();
  UpdateAddButton();
  UpdateRemoveButton();
  UpdateCalculateButton();
  UpdateResultButtons();
}

void CRuvoView::ShowDocumentResults(const std::optional<SummaryLines>& saved) {
  calculationSucceeded = 0;
  controls.findings->ShowFindings({});
  summaryLine1 = saved ? saved->line1 : std::string();
  summaryLine2 = saved ? saved->line2 : std::string();
  ShowSummary(saved.has_value());
}

void CRuvoView::ResetToInitialValues() {
  params = RunParameters();
  calculation.DiscardResults();
  ShowDocumentResults(std::nullopt);
}

bool CRuvoView::TakeEntries() {
  return ruvo::TakeEntries(controls, params);
}

std::string CRuvoView::FormSnapshot() const {
  std::ostringstream text;
  WriteRunDocument(text, params);
  for (const auto& [name, box] : controls.fieldBoxes) text << name << '=' << box->text().toStdString() << '\n';
  text << "mode=" << controls.modeGroup->checkedId() << '\n';
  return text.str();
}

void CRuvoView::AddWaveFiles(const std::vector<std::string>& paths) {
  std::error_code error;
  const std::string working = std::filesystem::current_path(error).string();
  for (const std::string& path : paths) AppendWaveFile(error ? path : WaveListEntry(path, working));
}

void CRuvoView::OnCalculate() {
  if (!TakeEntries()) return;
  if (beforeCalculate && !beforeCalculate()) return;
  {
    const BusyCursor busy;
    calculationSucceeded = calculation.Calculate();
  }
  if (calculationSucceeded) {
    summaryLine1 = calculation.Results().summaryLine1;
    summaryLine2 = calculation.Results().summaryLine2;
    ShowHeldValues(controls, params, summaryLine1, summaryLine2);
    ShowSummary(false);
  }
  controls.findings->ShowFindings(calculation.Findings());
  UpdateResultButtons();
  if (calculationSucceeded && document && document->SaveToCurrentPath() && afterSave) afterSave();
  emit calculated();
}

void CRuvoView::OnSmoothing() {
  CSmoothingDlg dialog(window());
  dialog.RunSmoothingDialog(params.smoothingMethod, params.smoothingLevel, params.smoothingRpm);
}

void CRuvoView::OnToolSetup() {
  CToolSetupDlg dialog(settings, window());
  Prompts().RunModal(dialog);
}

void CRuvoView::OnTables() {
  if (calculationSucceeded && document) LaunchTool(settings, "EXE1", document->DocumentPath());
}

void CRuvoView::OnGraph() {
  if (calculationSucceeded && document) LaunchTool(settings, "EXE2", document->DocumentPath());
}

void CRuvoView::OnEditSound() {
  LaunchTool(settings, "EXE3", params.waveFiles.empty() ? std::string() : params.waveFiles.front());
}

void CRuvoView::OnRecordSound() {
  LaunchTool(settings, "EXE4", {});
}

void CRuvoView::OnSoundMixer() {
  LaunchTool(settings, "EXE5", {});
}

void CRuvoView::OnAddWaveFile() {
  AppendWaveFile(controls.newWaveName->text().toStdString());
  controls.addButton->setEnabled(false);  // until the name is edited
}

void CRuvoView::OnRemoveWaveFiles() {
  std::vector<int> rows;
  for (const QModelIndex& index : controls.waveList->selectionModel()->selectedIndexes()) rows.push_back(index.row());
  if (rows.empty()) return;
  std::sort(rows.begin(), rows.end());
  rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
  // Highest first, so every collected row still names the same item.
  for (auto row = rows.rbegin(); row != rows.rend(); ++row) {
    delete controls.waveList->takeItem(*row);
    if (static_cast<std::size_t>(*row) < params.waveFiles.size())
      params.waveFiles.erase(params.waveFiles.begin() + *row);
  }
  UpdateCalculateButton();
}

void CRuvoView::OnBrowseWaveFiles() {
  const std::vector<std::string> chosen = WaveBrowse::ChooseWaveFiles(window());
  for (const std::string& name : chosen) AppendWaveFile(name);
}

void CRuvoView::AppendWaveFile(const std::string& name) {
  std::optional<std::string> ready = ReadyForCalculation(window(), name);
  if (!ready) return;
  if (*ready != name) {  // converted into the working folder: listed by its name there
    std::error_code error;
    const std::string working = std::filesystem::current_path(error).string();
    if (!error) ready = WaveListEntry(*ready, working);
  }
  params.waveFiles.push_back(*ready);
  AddWaveItem(*controls.waveList, QString::fromStdString(*ready));
  UpdateCalculateButton();
}

void CRuvoView::ShowWaveList() {
  controls.waveList->clear();
  for (const std::string& name : params.waveFiles) AddWaveItem(*controls.waveList, QString::fromStdString(name));
  UpdateCalculateButton();
}

void CRuvoView::ShowSummary(bool loadedFromFile) {
  controls.summaryLine1->setText(QString::fromStdString(summaryLine1));
  controls.summaryLine2->setText(QString::fromStdString(summaryLine2));
  controls.resultsGroup->setTitle(loadedFromFile ? QStringLiteral("Results (loaded from the file)")
                                                 : QStringLiteral("Results"));
  UpdateResultButtons();
}

void CRuvoView::UpdateCalculateButton() {
  controls.calculateButton->setEnabled(!params.waveFiles.empty());
}

void CRuvoView::UpdateResultButtons() {
  controls.graphButton->setEnabled(calculationSucceeded != 0);
  controls.tablesButton->setEnabled(calculationSucceeded != 0);
}

void CRuvoView::UpdateAddButton() {
  controls.addButton->setEnabled(!controls.newWaveName->text().isEmpty());
}

void CRuvoView::UpdateRemoveButton() {
  controls.removeButton->setEnabled(!controls.waveList->selectedItems().isEmpty());
}

}  // namespace ruvo
