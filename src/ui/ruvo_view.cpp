#include "ui/ruvo_view.h"

#include <QAction>
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

#include "core/message.h"
#include "core/run_document.h"
#include "desktop/form_fields.h"
#include "ui/conditions_dlg.h"
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

CRuvoView::CRuvoView(SettingsStore& store, CRuvoDoc& doc, QWidget* parent)
    : QWidget(parent),
      settings(store),
      document(doc),
      params(doc.Params()),
      calculation(doc.Calculation()),
      controls(BuildViewControls(*this)) {
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
  trackEngineSound = new QAction(tr("Track &engine sound..."), controls.waveList);
  trackEngineSound->setObjectName(QStringLiteral("trackEngineSound"));
  trackEngineSound->setStatusTip(tr("Make a pulse track of the engine sound in the selected recording"));
  controls.waveList->addAction(trackEngineSound);
  conditionRecording = new QAction(tr("&Condition..."), controls.waveList);
  conditionRecording->setObjectName(QStringLiteral("conditionRecording"));
  conditionRecording->setStatusTip(tr("Write a copy of the selected recording filtered to the band of its clicks"));
  controls.waveList->addAction(conditionRecording);
  connect(conditionRecording, &QAction::triggered, this, &CRuvoView::OnConditionRecording);
  controls.waveList->setContextMenuPolicy(Qt::ActionsContextMenu);
  connect(trackEngineSound, &QAction::triggered, this, &CRuvoView::OnTrackEngineSound);
  for (const auto& entry : controls.fieldBoxes)
    connect(entry.second, &QLineEdit::textChanged, this, &CRuvoView::edited);
  connect(controls.modeGroup, &QButtonGroup::idClicked, this, &CRuvoView::edited);
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
  calculationSucceeded = false;
  resultsOnFile = saved.has_value();
  controls.findings->ShowFindings({});
  summaryLine1 = saved ? saved->line1 : std::string();
  summaryLine2 = saved ? saved->line2 : std::string();
  ShowSummary(saved.has_value());
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

namespace {

// The form's box of that object name; every name asked for is one of FormFields().
const FormField& FieldNamed(std::string_view name) {
  const std::span<const FormField> fields = FormFields();
  return *std::find_if(fields.begin(), fields.end(),
                       [name](const FormField& field) { return name == field.objectName; });
}

// A converted file is listed by its name relative to the working folder when it lies below it.
std::string ListedName(const std::string& path) {
  std::error_code error;
  const std::string working = std::filesystem::current_path(error).string();
  return error ? path : WaveListEntry(path, working);
}

}  // namespace

void CRuvoView::AddWaveFiles(const std::vector<std::string>& paths) {
  std::error_code error;
  const std::string working = std::filesystem::current_path(error).string();
  for (const std::string& path : paths) AppendWaveFile(error ? path : WaveListEntry(path, working));
}

void CRuvoView::OnCalculate() {
  if (!TakeEntries()) return;
  if (beforeCalculate && !beforeCalculate()) return;
  if (!OfferConversions()) return;
  resultsOnFile = false;
  Outcome outcome;
  {
    const BusyCursor busy;
    outcome = document.Calculate();
  }
  calculationSucceeded = ShowMessages(outcome);
  if (calculationSucceeded) {
    summaryLine1 = calculation.Results().summaryLine1;
    summaryLine2 = calculation.Results().summaryLine2;
    ShowHeldValues(controls, params, summaryLine1, summaryLine2);
    ShowSummary(false);
  }
  controls.findings->ShowFindings(calculation.Findings());
  UpdateResultButtons();
  if (calculationSucceeded && document.SaveToCurrentPath() && afterSave) afterSave();
  emit calculated();
}

void CRuvoView::OnSmoothing() {
  CSmoothingDlg dialog(window());
  dialog.RunSmoothingDialog(params.smoothingMethod, params.smoothingLevel, params.smoothingRpm);
  emit edited();
}

void CRuvoView::OnConditions() {
  CConditionsDlg dialog(settings, window());
  if (dialog.RunConditionsDialog(params.conditions)) emit edited();
}

void CRuvoView::OnToolSetup() {
  CToolSetupDlg dialog(settings, window());
  Prompts().RunModal(dialog);
}

void CRuvoView::OnTables() {
  if (calculationSucceeded || resultsOnFile) LaunchTool(settings, "EXE1", document.DocumentPath());
}

void CRuvoView::OnGraph() {
  if (calculationSucceeded || resultsOnFile) LaunchTool(settings, "EXE2", document.DocumentPath());
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
  emit edited();
}

void CRuvoView::OnBrowseWaveFiles() {
  const std::vector<std::string> chosen = waveBrowse.ChooseWaveFiles(window());
  for (const std::string& name : chosen) AppendWaveFile(name);
}

void CRuvoView::AppendWaveFile(const std::string& name) {
  if (const std::optional<ReadyRecording> ready =
          ReadyForCalculation(window(), name, CurrentConversionPlace(), TypedEstimates()))
    ListReady(*ready, name, -1);
}

void CRuvoView::OnTrackEngineSound() {
  const QList<QListWidgetItem*> selected = controls.waveList->selectedItems();
  if (selected.size() != 1) return;
  const int row = controls.waveList->row(selected.front());
  if (row < 0 || static_cast<std::size_t>(row) >= params.waveFiles.size()) return;
  const std::string name = params.waveFiles[static_cast<std::size_t>(row)];
  if (const std::optional<ReadyRecording> ready =
          TrackEngineSound(window(), name, CurrentConversionPlace(), TypedEstimates()))
    ListReady(*ready, name, row);
}

void CRuvoView::OnConditionRecording() {
  const QList<QListWidgetItem*> selected = controls.waveList->selectedItems();
  if (selected.size() != 1) return;
  const int row = controls.waveList->row(selected.front());
  if (row < 0 || static_cast<std::size_t>(row) >= params.waveFiles.size()) return;
  const std::string name = params.waveFiles[static_cast<std::size_t>(row)];
  if (const std::optional<std::string> written = ConditionRecording(window(), name, CurrentConversionPlace().folder))
    ListReady(ReadyRecording{*written, {}}, name, row);
}

RunParameters CRuvoView::TypedEstimates() const {
  RunParameters typed = params;
  for (const char* name : {"initialRpm", "finalRpm", "revsPerIgnition"}) {
    RunParameters taken = typed;
    if (TakeField(FieldNamed(name), controls.fieldBoxes.at(name)->text().toStdString(), taken).empty()) typed = taken;
  }
  return typed;
}

void CRuvoView::ListReady(const ReadyRecording& ready, const std::string& added, int row) {
  const std::string listed = ready.path == added ? added : ListedName(ready.path);
  if (row < 0) {
    params.waveFiles.push_back(listed);
    AddWaveItem(*controls.waveList, QString::fromStdString(listed));
    UpdateCalculateButton();
  } else {
    params.waveFiles[static_cast<std::size_t>(row)] = listed;
    ShowWaveList();
  }
  emit edited();
  if (!ready.revsPerPulse || TypedEstimates().revsPerIgnition == *ready.revsPerPulse) return;
  RunParameters shown;
  shown.revsPerIgnition = *ready.revsPerPulse;
  const QString text = QString::fromStdString(ShowField(FieldNamed("revsPerIgnition"), shown));
  if (Prompts().AskYesNo(window(),
                         tr("The pulse track has one pulse every %1 revolutions. Set Rev/Spark to %1?").arg(text)))
    controls.fieldBoxes.at("revsPerIgnition")->setText(text);
}

ConversionPlace CRuvoView::CurrentConversionPlace() const {
  if (document.FileName().empty()) return {};
  return {std::filesystem::path(document.FileName()).parent_path(), true};
}

bool CRuvoView::OfferConversions() {
  std::vector<std::size_t> unreadable;
  QStringList names;
  for (std::size_t k = 0; k < params.waveFiles.size(); ++k) {
    if (!NeedsConversion(params.waveFiles[k])) continue;
    unreadable.push_back(k);
    names << QString::fromStdString(std::filesystem::path(params.waveFiles[k]).filename().string());
  }
  if (unreadable.empty()) return true;
  const QString question =
      unreadable.size() == 1
          ? tr("%1 is not an 8-bit mono WAV, the only recording the calculation reads. Convert it first?")
                .arg(names.front())
          : tr("%1 are not 8-bit mono WAVs, the only recordings the calculation reads. Convert them first?")
                .arg(names.join(QStringLiteral(", ")));
  enum Answer { kConvert, kCalculateAnyway, kCancel };
  switch (Prompts().AskChoice(window(), question, {tr("Convert"), tr("Calculate anyway"), tr("Cancel")})) {
    case kConvert:
      break;
    case kCalculateAnyway:
      return true;
    default:
      return false;
  }
  for (const std::size_t k : unreadable) {
    const std::optional<std::string> converted =
        ConvertForCalculation(window(), params.waveFiles[k], CurrentConversionPlace(), params);
    if (!converted) return false;
    params.waveFiles[k] = ListedName(*converted);
    ShowWaveList();
  }
  return true;
}

void CRuvoView::ShowWaveList() {
  controls.waveList->clear();
  for (const std::string& name : params.waveFiles) AddWaveItem(*controls.waveList, QString::fromStdString(name));
  UpdateCalculateButton();
}

void CRuvoView::ShowSummary(bool loadedFromFile) {
  controls.summaryLine1->setText(QString::fromStdString(summaryLine1));
  controls.summaryLine2->setText(QString::fromStdString(summaryLine2));
  controls.resultsGroup->setTitle(loadedFromFile ? tr("Results (loaded from the file)") : tr("Results"));
  UpdateResultButtons();
}

void CRuvoView::UpdateCalculateButton() {
  controls.calculateButton->setEnabled(!params.waveFiles.empty());
}

void CRuvoView::UpdateResultButtons() {
  // Both tools read the document's file, so a table saved in it is enough.
  const bool results = calculationSucceeded || resultsOnFile;
  controls.graphButton->setEnabled(results);
  controls.tablesButton->setEnabled(results);
}

void CRuvoView::UpdateAddButton() {
  controls.addButton->setEnabled(!controls.newWaveName->text().isEmpty());
}

void CRuvoView::UpdateRemoveButton() {
  controls.removeButton->setEnabled(!controls.waveList->selectedItems().isEmpty());
  trackEngineSound->setEnabled(controls.waveList->selectedItems().size() == 1);
  conditionRecording->setEnabled(controls.waveList->selectedItems().size() == 1);
}

}  // namespace ruvo
