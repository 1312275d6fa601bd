#pragma once

#include <cstdint>
#include <istream>
#include <ostream>
#include <string>

#include "core/outcome.h"
#include "core/run_parameters.h"

namespace ruvo {

// Reads the parameter lines of a run document (the lines up to the last version-2 line, then the
// optional air condition lines; a result table after them is not read) into params, overwriting
// each field as its line is read. A value that does not convert leaves its field unchanged; the
// conditions are those the document carries, none when it has no condition lines. Returns 1 on
// success, 0 when the text ends before its last expected line.
std::int32_t ReadRunDocument(std::istream& in, RunParameters& params);

// Writes the parameter lines of a version-2 run document with the wave paths as the list holds
// them, then a line for each air condition that is set ("# Air Temp. (deg C): %f", "# Air Press.
// (hPa) : %f", "# Rel. Humidity (%): %f", "# Altitude (m)     : %f"). Line breaks inside the
// description are written as blanks. Returns 1.
std::int32_t WriteRunDocument(std::ostream& out, const RunParameters& params);

// A wave path as it must be stored in a document saved into documentFolder while relative paths
// resolve against listFolder: unchanged when it is absolute or the folders are the same,
// otherwise relative to documentFolder, or absolute where the file does not lie below it.
std::string RebaseWavePath(const std::string& path, const std::string& listFolder, const std::string& documentFolder);

// Where a listed wave file is opened: a relative name lies in folder, an absolute one where it says.
std::string ListedWavePath(const std::string& folder, const std::string& listed);

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
// Relative paths (the document's own and the wave list's) resolve against the document's folder,
// never the working directory. Saving replaces the file only when the new text is complete.
// Whatever followed the parameter lines of an opened document (its result table) is written back
// unchanged until a calculation has results of its own. Single-threaded; the parameters and the
// result source are owned by the caller.
class RunDocument {
 public:
  // startFolder: the folder of a document not yet opened or saved (an absolute path).
  RunDocument(RunParameters& heldParams, std::string startFolder, ResultTableSource* resultSource = nullptr);

  // Reads the whole document into the parameters and discards the kept results; the document's
  // folder becomes Folder(). A failure carries its message and changes nothing.
  Outcome OpenRunDocument(const std::string& path);

  // Makes path the document's path, then saves. Saved into another folder, the document moves
  // there: the held wave list is rebased as the saved file stores it, and the path is absolute.
  Outcome SaveRunDocument(const std::string& path);

  // Writes the parameter lines and the result table to the document's path.
  Outcome SaveToCurrentPath();

  // "ruvo.dat" (in Folder()) until a document is opened or saved under another name; absolute
  // after an open.
  const std::string& DocumentPath() const { return documentPath; }
  // The document's folder, absolute: where relative wave names and the calculation log lie.
  const std::string& Folder() const { return folder; }

 private:
  std::string Resolved(const std::string& path) const;

  RunParameters& params;
  ResultTableSource* results;
  std::string folder;
  std::string documentPath = "ruvo.dat";
  std::string keptTail;  // text after the parameter lines of the opened document
};

}  // namespace ruvo
