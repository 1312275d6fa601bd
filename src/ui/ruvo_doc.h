#pragma once

#include <memory>
#include <optional>
#include <string>

#include "calc/run_calculation.h"
#include "core/analysis_config.h"
#include "core/run_document.h"
#include "core/run_parameters.h"
#include "desktop/saved_summary.h"

namespace ruvo {

// The application's one document: the run parameters, the pulse detection's tuning values, the
// calculation and the run document they are read from and written to; the form shows and edits
// them. Besides the run document's own path it keeps the name the user knows the document by:
// empty for a new document (which has nowhere to be saved until it gets a name), the file after an
// open or a save under a name. The document's folder is the working directory, where the user's
// tools and relative names expect it. Lives as long as the main window; single-threaded.
class CRuvoDoc {
 public:
  // A new document in the working directory.
  CRuvoDoc();

  RunParameters& Params() { return params; }
  const RunParameters& Params() const { return params; }
  RunCalculation& Calculation() { return calculation; }
  const RunCalculation& Calculation() const { return calculation; }
  // The pulse detection's tuning values for the calculations that follow.
  void SetConfiguration(const AnalysisConfig& loaded) { config = loaded; }
  const AnalysisConfig& Configuration() const { return config; }

  // Open, then the opened file names the document and its folder becomes the working directory.
  // Shows the reader's message on failure.
  bool OpenRunDocument(const std::string& path);
  // Save under path, which then names the document; its folder becomes the working directory.
  // Shows the writer's message on failure.
  bool SaveRunDocument(const std::string& path);
  // Save to the run document's path (after a calculation); the document's name stays. Shows the
  // writer's message on failure.
  bool SaveToCurrentPath();
  // Calculates in the document's folder; the outcome is the caller's to show.
  Outcome Calculate() { return calculation.Calculate(document->Folder()); }
  // A new document in the working directory: the initial values, no name and nothing kept of the
  // previous file (its result table included).
  void NewDocument();

  const std::string& DocumentPath() const { return document->DocumentPath(); }
  const std::string& FileName() const { return fileName; }
  // The name shown in the caption: the file's name, or "Untitled".
  std::string Title() const;
  // The summary of the result table the opened file holds, if it holds one.
  const std::optional<SummaryLines>& SavedResults() const { return savedResults; }

 private:
  // Makes the document's folder the working directory.
  void EnterFolder() const;

  RunParameters params;
  AnalysisConfig config;
  RunCalculation calculation{params, config};
  std::unique_ptr<RunDocument> document;
  std::string fileName;
  std::optional<SummaryLines> savedResults;
};

}  // namespace ruvo
