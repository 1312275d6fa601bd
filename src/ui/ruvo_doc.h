#pragma once

#include <string>

#include "core/run_document.h"
#include "core/run_parameters.h"

namespace ruvo {

// The application's one document: the run document of the form's held values, read and written
// through the form's calculation (which supplies the result table). Besides the run document's
// own path it keeps the name the user knows the document by: empty for a new document, the file
// after an open or a save under a name. Lives as long as the main window; single-threaded.
class CRuvoDoc {
 public:
  CRuvoDoc(RunParameters& heldParams, ResultTableSource& calculation);

  // Open, then the opened file names the document. Shows the reader's message on failure.
  bool OpenRunDocument(const std::string& path);
  // Save under path, which then names the document.
  bool SaveRunDocument(const std::string& path);
  // Save to the run document's path (after a calculation); the document's name stays.
  bool SaveToCurrentPath() { return document.SaveToCurrentPath(); }
  // A new document: only the name is forgotten; values, wave files and path stay.
  void NewDocument() { fileName.clear(); }

  const std::string& DocumentPath() const { return document.DocumentPath(); }
  const std::string& FileName() const { return fileName; }
  // The name shown in the caption: the file's name, or "Untitled".
  std::string Title() const;

 private:
  RunDocument document;
  std::string fileName;
};

}  // namespace ruvo
