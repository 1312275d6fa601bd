#include "core/file_output.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <system_error>

namespace ruvo {
namespace {

namespace fs = std::filesystem;

// Enough names for any folder a person keeps; past them the folder is taken to be unusable.
constexpr int kMostCandidates = 10000;

bool Taken(const fs::path& path) {
  std::error_code error;
  return fs::exists(fs::symlink_status(path, error));
}

// A complete temporary copy of bytes beside path, made with the user's usual permissions (unlike
// mkstemp's 0600); its path, or nothing with a reason in error.
std::optional<fs::path> WriteTemporary(const fs::path& path,
                                       const std::vector<std::uint8_t>& bytes,
                                       std::string& error) {
  for (int attempt = 0; attempt < kMostCandidates; ++attempt) {
    const fs::path temporary =
        path.parent_path() / ("." + path.filename().string() + "." + std::to_string(getpid()) + "-" +
                              std::to_string(attempt) + ".part");
    const int descriptor = open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (descriptor < 0) {
      if (errno == EEXIST) continue;
      error = std::strerror(errno);
      return std::nullopt;
    }
    std::size_t written = 0;
    while (written < bytes.size()) {
      const ssize_t step = write(descriptor, bytes.data() + written, bytes.size() - written);
      if (step < 0 && errno == EINTR) continue;
      if (step <= 0) break;
      written += static_cast<std::size_t>(step);
    }
    const bool complete = written == bytes.size();
    const int writeError = errno;
    if (close(descriptor) != 0 || !complete) {
      error = std::strerror(complete ? errno : writeError);
      unlink(temporary.c_str());
      return std::nullopt;
    }
    return temporary;
  }
  error = "no name for a temporary file";
  return std::nullopt;
}

// Moves temporary to path unless a file is there: 0, or the errno of the failure.
int MoveWithoutReplacing(const fs::path& temporary, const fs::path& path) {
  if (renameat2(AT_FDCWD, temporary.c_str(), AT_FDCWD, path.c_str(), RENAME_NOREPLACE) == 0) return 0;
  if (errno != EINVAL && errno != ENOSYS) return errno;
  // A file system without no-replace renames: a hard link fails on an existing name just the same.
  if (link(temporary.c_str(), path.c_str()) != 0) return errno;
  unlink(temporary.c_str());
  return 0;
}

}  // namespace

bool WriteFileAtomically(const std::string& path, const std::vector<std::uint8_t>& bytes, std::string& error) {
  const std::optional<fs::path> temporary = WriteTemporary(path, bytes, error);
  if (!temporary) return false;
  std::error_code failure;
  fs::rename(*temporary, path, failure);
  if (!failure) return true;
  error = failure.message();
  fs::remove(*temporary, failure);
  return false;
}

NewFileStatus WriteNewFile(const std::string& path, const std::vector<std::uint8_t>& bytes, std::string& error) {
  if (Taken(path)) return NewFileStatus::kExists;  // no need to write what cannot land
  const std::optional<fs::path> temporary = WriteTemporary(path, bytes, error);
  if (!temporary) return NewFileStatus::kFailed;
  const int failure = MoveWithoutReplacing(*temporary, path);
  if (failure == 0) return NewFileStatus::kWritten;
  unlink(temporary->c_str());
  if (failure == EEXIST) return NewFileStatus::kExists;
  error = std::strerror(failure);
  return NewFileStatus::kFailed;
}

std::string OutputNaming::Candidate(int index) const {
  std::string name = stem;
  if (index >= 1) name += "-" + tag;
  if (index >= 2) name += "-" + std::to_string(index);
  return (folder / (name + extension)).string();
}

std::string OutputNaming::FirstFree() const {
  for (int index = 0; index < kMostCandidates; ++index)
    if (!Taken(Candidate(index))) return Candidate(index);
  return Candidate(kMostCandidates);
}

std::optional<std::string> WriteUnderFreeName(const OutputNaming& naming,
                                              const std::vector<std::uint8_t>& bytes,
                                              std::string& error) {
  for (int index = 0; index < kMostCandidates; ++index) {
    const std::string path = naming.Candidate(index);
    switch (WriteNewFile(path, bytes, error)) {
      case NewFileStatus::kWritten:
        return path;
      case NewFileStatus::kExists:
        continue;
      case NewFileStatus::kFailed:
        return std::nullopt;
    }
  }
  error = "every free name is taken";
  return std::nullopt;
}

}  // namespace ruvo
