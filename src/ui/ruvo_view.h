#pragma once

#include <QWidget>

class QAction;
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "calc/run_calculation.h"
#include "core/analysis_config.h"
#include "core/run_parameters.h"
#include "core/settings.h"
#include "desktop/saved_summary.h"
#include "ui/view_controls.h"
#include "ui/wave_browse.h"
#include "ui/wave_import.h"

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
  // The last calculation, its results, evidence and findings.
  RunCalculation& LastCalculation() { return calculation; }
  // The document whose path Calculate saves to and the tables and graph tools are given.
  void SetDocument(CRuvoDoc& doc) { document = &doc; }
  // Calculate asks chooseTarget first (false: the calculation does not start), and calls saved
  // after the document was saved with its results. Without them the document's path is used.
  void SetSaveHooks(std::function<bool()> chooseTarget, std::function<void()> saved) {
    beforeCalculate = std::move(chooseTarget);
    afterSave = std::move(saved);
  }
  // The pulse detection's tuning values for the calculations that follow.
  void SetConfiguration(const AnalysisConfig& loaded) { config = loaded; }
  const AnalysisConfig& Configuration() const { return config; }
  bool CalculationSucceeded() const { return calculationSucceeded; }

  // After a document is created or opened: shows the held values and list, updates the buttons.
  void OnInitialUpdate();

  // Another document is shown: the previous results go; the summary of the table the document's
  // file holds (if any) is shown, marked as loaded from the file, until the next Calculate.
  void ShowDocumentResults(const std::optional<SummaryLines>& saved);
  // A new document: every held value back to its initial value, the list empty, no results.
  void ResetToInitialValues();
  // Takes every box into the held values as Calculate does; false (with the message shown and the
  // box selected) when one is rejected.
  bool TakeEntries();
  // What the document would hold if saved now, with the boxes as typed: equal texts mean unchanged.
  std::string FormSnapshot() const;
  // Appends files (full paths) to the wave list, names below the working folder relative to it.
  void AddWaveFiles(const std::vector<std::string>& paths);
  // Shows the held wave list again (after its names were rewritten).
  void ShowWaveList();

  void OnCalculate();
  void OnSmoothing();
  void OnToolSetup();
  void OnTables();
  void OnGraph();
  void OnEditSound();
  void OnRecordSound();
  void OnSoundMixer();
  // Tracks the engine sound of the selected recording (one) and lists its pulse track in its place.
  void OnTrackEngineSound();

 signals:
  // Calculate ended (after the save that follows a success), whether it succeeded or not.
  void calculated();
  // A box, the mode, the wave list or the smoothing choice may have changed.
  void edited();

 private:
  void OnAddWaveFile();
  void OnRemoveWaveFiles();
  void OnBrowseWaveFiles();
  void AppendWaveFile(const std::string& name);
  void ShowSummary(bool loadedFromFile);
  // The held values with Initial RPM, Final RPM and Rev/Spark as typed where their boxes read.
  RunParameters TypedEstimates() const;
  // Lists a recording made ready in place of row (or at the end for -1), and offers to set Rev/Spark
  // to the revolutions per pulse of a pulse track when the box differs.
  void ListReady(const ReadyRecording& ready, const std::string& added, int row);
  // Where recordings added now are converted: the document's folder once it has one.
  ConversionPlace CurrentConversionPlace() const;
  // Before Calculate: offers to convert listed files the calculation cannot read. False when the
  // user cancelled or a conversion did not complete.
  bool OfferConversions();
  void UpdateCalculateButton();
  void UpdateResultButtons();
  void UpdateAddButton();
  void UpdateRemoveButton();

  QAction* trackEngineSound = nullptr;  // in the wave list's context menu

  SettingsStore& settings;
  RunParameters params;
  AnalysisConfig config;
  RunCalculation calculation{params, config};
  bool calculationSucceeded = false;
  bool resultsOnFile = false;  // the document was opened with a result table in its file
  std::string summaryLine1;
  std::string summaryLine2;
  CRuvoDoc* document = nullptr;
  std::function<bool()> beforeCalculate;
  std::function<void()> afterSave;
  ViewControls controls;
  WaveBrowse waveBrowse;
};

}  // namespace ruvo
