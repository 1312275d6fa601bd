#pragma once

#include <cstdint>
#include <istream>
#include <ostream>
#include <string>

#include "core/outcome.h"
#include "core/run_parameters.h"

namespace ruvo {

// Reads the parameter lines of a run document (the lines up to the last version-2 line; a result
// table after them is not read) into params, overwriting each field as its line is read. A value
// that does not convert leaves its field unchanged. Returns 1 on success, 0 when the text ends
// before its last expected line.
std::int32_t ReadRunDocument(std::istream& in, RunParameters& params);

// Writes the parameter lines of a version-2 run document with the wave paths as the list holds
// them. Line breaks inside the description are written as blanks. Returns 1.
std::int32_t WriteRunDocument(std::ostream& out, const RunParameters& params);

// A wave path as it must be stored in a document saved into documentFolder while relative paths
// resolve against workingFolder: unchanged when it is absolute or the folders are the same,
// otherwise relative to documentFolder, or absolute where the file does not lie below it.
std::string RebaseWavePath(const std::string& path,
                           const std::string& workingFolder,
                           const std::string& documentFolder);

// The results that follow the parameter lines of a saved run document.
class ResultTableSource {
 public:
  virtual ~ResultTableSource() = default;
  // Appends the result table of the last successful calculation; false when there is none.
  virtual bool AppendResultTable(std::ostream& out) = 0;
  // Another document was opened: results computed for the previous one no longer apply.
  virtual void DiscardResults() = 0;
};

// The run document of the form: its path and the open/save operations over the held parameters.
// Opening makes the document's folder the working directory. Saving replaces the file only when
// the new text is complete. Whatever followed the parameter lines of an opened document (its result
// table) is written back unchanged until a calculation has results of its own. Single-threaded;
// the parameters and the result source are owned by the caller.
class RunDocument {
 public:
  explicit RunDocument(RunParameters& heldParams, ResultTableSource* resultSource = nullptr);

  // Reads the whole document into the parameters and discards the kept results; a failure carries
  // its message and changes nothing (parameters, path and working directory stay as they were).
  Outcome OpenRunDocument(const std::string& path);

  // Makes path the document's path, then saves.
  Outcome SaveRunDocument(const std::string& path);

  // Writes the parameter lines and the result table to the document's path.
  Outcome SaveToCurrentPath();

  // "ruvo.dat" (relative to the working directory) until a document is opened or saved under
  // another name; absolute after an open.
  const std::string& DocumentPath() const { return documentPath; }

 private:
  RunParameters& params;
  ResultTableSource* results;
  std::string documentPath = "ruvo.dat";
  std::string keptTail;  // text after the parameter lines of the opened document
};

}  // namespace ruvo
