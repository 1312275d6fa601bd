#pragma once

#include <filesystem>
#include <string>

#include "synth/synth_run.h"

namespace ruvo {

// A fresh folder under the system's temporary directory for one benchmark or harness session,
// removed with everything in it at the end. The working directory in force at construction is
// restored then too, since a calculation writes ruvo.log into the working directory and opening a
// document moves it. Single-threaded.
class ScratchFolder {
 public:
  // label names the folder (with the process id, so concurrent sessions do not meet).
  explicit ScratchFolder(const std::string& label);
  ~ScratchFolder();
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;

  // False when the folder could not be created.
  bool ok() const { return created; }
  const std::filesystem::path& Path() const { return path; }

  // Makes the folder the working directory (where a calculation writes ruvo.log); false when it
  // was not created or cannot be entered.
  bool Enter() const;

  // Writes run as name.wav, name.dat, name.truth.csv and name.sparks.csv into the folder and
  // returns the document's path; empty after a message through ShowMessage when that fails.
  std::string WriteRun(const SynthResult& run, const std::string& name) const;

 private:
  std::filesystem::path path;
  std::filesystem::path savedWorkingDirectory;
  bool created = false;
};

}  // namespace ruvo
