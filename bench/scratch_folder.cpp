#include "scratch_folder.h"

#include <unistd.h>

#include <system_error>

#include "synth/synth_files.h"

namespace ruvo {

namespace fs = std::filesystem;

ScratchFolder::ScratchFolder(const std::string& label) {
  std::error_code error;
  savedWorkingDirectory = fs::current_path(error);
  path = fs::temp_directory_path(error) / (label + "-" + std::to_string(static_cast<long>(getpid())));
  fs::remove_all(path, error);
  created = fs::create_directories(path, error);
}

ScratchFolder::~ScratchFolder() {
  std::error_code ignored;
  if (!savedWorkingDirectory.empty()) fs::current_path(savedWorkingDirectory, ignored);
  if (created) fs::remove_all(path, ignored);
}

std::string ScratchFolder::WriteRun(const SynthResult& run, const std::string& name) const {
  if (!created || !WriteSynthFiles(run, path.string(), name)) return {};
  return (path / (name + ".dat")).string();
}

bool ScratchFolder::Enter() const {
  std::error_code error;
  if (created) std::filesystem::current_path(path, error);
  return created && !error;
}

}  // namespace ruvo
