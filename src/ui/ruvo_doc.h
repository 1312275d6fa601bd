#pragma once

#include <memory>
#include <optional>
#include <string>

#include "core/run_document.h"
#include "core/run_parameters.h"
#include "desktop/saved_summary.h"

namespace ruvo {

// The application's one document: the run document of the form's held values, read and written
// through the form's calculation (which supplies the result table). Besides the run document's
// own path it keeps the name the user knows the document by: empty for a new document (which has
// nowhere to be saved until it gets a name), the file after an open or a save under a name.
// Lives as long as the main window; single-threaded.
class CRuvoDoc {
 public:
  CRuvoDoc(RunParameters& heldParams, ResultTableSource& calculation);

  // Open, then the opened file names the document. Shows the reader's message on failure.
  bool OpenRunDocument(const std::string& path);
  // Save under path, which then names the document. Shows the writer's message on failure.
  bool SaveRunDocument(const std::string& path);
  // Save to the run document's path (after a calculation); the document's name stays. Shows the
  // writer's message on failure.
  bool SaveToCurrentPath();
  // A new document: no name and nothing kept of the previous file (its result table included).
  // The held values are the caller's to reset.
  void NewDocument();

  const std::string& DocumentPath() const { return document->DocumentPath(); }
  const std::string& FileName() const { return fileName; }
  // The name shown in the caption: the file's name, or "Untitled".
  std::string Title() const;
  // The summary of the result table the opened file holds, if it holds one.
  const std::optional<SummaryLines>& SavedResults() const { return savedResults; }

 private:
  RunParameters& params;
  ResultTableSource& results;
  std::unique_ptr<RunDocument> document;
  std::string fileName;
  std::optional<SummaryLines> savedResults;
};

}  // namespace ruvo
