#pragma once

#include <QWidget>
#include <cstdint>
#include <string>

#include "calc/run_calculation.h"
#include "core/analysis_config.h"
#include "core/run_parameters.h"
#include "core/settings.h"
#include "ui/view_controls.h"

namespace ruvo {

class CRuvoDoc;

// The main form: it holds the run parameters, the wave file list, the calculation and its two
// summary lines for the life of the main window, shows them in its boxes, and handles Calculate,
// the wave list buttons and the Tools commands. Entries typed into the boxes reach the held
// values only when Calculate takes them. The wave list widget mirrors params.waveFiles, which
// the run document and the calculation read. Single-threaded.
class CRuvoView : public QWidget {
  Q_OBJECT

 public:
  // settings supplies the external tools' commands; it must outlive the form.
  explicit CRuvoView(SettingsStore& settings, QWidget* parent = nullptr);

  RunParameters& HeldValues() { return params; }
  ResultTableSource& Calculation() { return calculation; }
  // The document whose path Calculate saves to and the tables and graph tools are given.
  void SetDocument(CRuvoDoc& doc) { document = &doc; }
  // The pulse detection's tuning values for the calculations that follow.
  void SetConfiguration(const AnalysisConfig& loaded) { config = loaded; }
  const AnalysisConfig& Configuration() const { return config; }
  std::int32_t CalculationSucceeded() const { return calculationSucceeded; }

  // After a document is created or opened: shows the held values and list, updates the buttons.
  void OnInitialUpdate();

  void OnCalculate();
  void OnSmoothing();
  void OnToolSetup();
  void OnTables();
  void OnGraph();
  void OnEditSound();
  void OnRecordSound();
  void OnSoundMixer();

 private:
  void OnAddWaveFile();
  void OnRemoveWaveFiles();
  void OnBrowseWaveFiles();
  void AppendWaveFile(const std::string& name);
  void ShowWaveList();
  void UpdateCalculateButton();
  void UpdateResultButtons();
  void UpdateAddButton();
  void UpdateRemoveButton();

  SettingsStore& settings;
  RunParameters params;
  AnalysisConfig config;
  RunCalculation calculation{params, config};
  std::int32_t calculationSucceeded = 0;
  std::string summaryLine1;
  std::string summaryLine2;
  CRuvoDoc* document = nullptr;
  ViewControls controls;
};

}  // namespace ruvo
