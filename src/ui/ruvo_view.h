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
#include "core/run_parameters.h"
#include "core/settings.h"
#include "desktop/saved_summary.h"
#include "ui/view_controls.h"
#include "ui/wave_browse.h"
#include "ui/wave_import.h"

namespace ruvo {

class CRuvoDoc;

// The main form: it shows the document's run parameters in its boxes with the two summary lines
// of its last calculation, and handles Calculate, the wave list buttons and the Tools commands.
// Entries typed into the boxes reach the document's values only when Calculate takes them. The
// wave list widget mirrors params.waveFiles. Single-threaded.
class CRuvoView : public QWidget {
  Q_OBJECT

 public:
  // settings supplies the external tools' commands; both must outlive the form.
  CRuvoView(SettingsStore& settings, CRuvoDoc& doc, QWidget* parent = nullptr);

  // Calculate asks chooseTarget first (false: the calculation does not start), and calls saved
  // after the document was saved with its results. Without them the document's path is used.
  void SetSaveHooks(std::function<bool()> chooseTarget, std::function<void()> saved) {
    beforeCalculate = std::move(chooseTarget);
    afterSave = std::move(saved);
  }
  bool CalculationSucceeded() const { return calculationSucceeded; }

  // After a document is created or opened: shows the held values and list, updates the buttons.
  void OnInitialUpdate();

  // Another document is shown: the previous results go; the summary of the table the document's
  // file holds (if any) is shown, marked as loaded from the file, until the next Calculate.
  void ShowDocumentResults(const std::optional<SummaryLines>& saved);
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
  // Runs the Air Conditions dialog on the run's conditions; a change is saved like any other.
  void OnConditions();
  void OnToolSetup();
  void OnTables();
  void OnGraph();
  void OnEditSound();
  void OnRecordSound();
  void OnSoundMixer();
  // Tracks the engine sound of the selected recording (one) and lists its pulse track in its place.
  void OnTrackEngineSound();
  // Conditions the selected recording (one) and lists the conditioned copy in its place.
  void OnConditionRecording();

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

  QAction* trackEngineSound = nullptr;    // in the wave list's context menu
  QAction* conditionRecording = nullptr;  // in the wave list's context menu

  SettingsStore& settings;
  CRuvoDoc& document;
  RunParameters& params;        // the document's
  RunCalculation& calculation;  // the document's
  bool calculationSucceeded = false;
  bool resultsOnFile = false;  // the document was opened with a result table in its file
  std::string summaryLine1;
  std::string summaryLine2;
  std::function<bool()> beforeCalculate;
  std::function<void()> afterSave;
  ViewControls controls;
  WaveBrowse waveBrowse;
};

}  // namespace ruvo
