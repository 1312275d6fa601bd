#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace ruvo {

// Writes bytes to path through a temporary file in the same folder that is renamed over path
// only when complete, so a failure leaves any earlier file at path as it was. Returns false with
// a reason in error, having removed the temporary file.
bool WriteFileAtomically(const std::string& path, const std::vector<std::uint8_t>& bytes, std::string& error);

enum class NewFileStatus { kWritten, kExists, kFailed };

// Writes bytes to path only where no file is: through a complete temporary file in the same folder
// that is then moved to path with no-replace semantics (renameat2 with RENAME_NOREPLACE, or a hard
// link where the file system lacks it), so a file that appears meanwhile is never replaced either.
// kExists leaves the file at path as it was; kFailed gives a reason in error. No temporary file
// stays behind.
NewFileStatus WriteNewFile(const std::string& path, const std::vector<std::uint8_t>& bytes, std::string& error);

// The names a writer offers for a new file, in order: folder/stem.extension, then
// folder/stem-tag.extension, folder/stem-tag-2.extension, folder/stem-tag-3.extension, ...
struct OutputNaming {
  std::filesystem::path folder;
  std::string stem;
  std::string extension;  // with its dot: ".wav"
  std::string tag;

  std::string Candidate(int index) const;
  // The first candidate no file (nor link, nor folder) takes yet.
  std::string FirstFree() const;
};

// Writes bytes under the first free name of naming, going on to the next one when a name is taken
// meanwhile. Returns the path written; nothing with a reason in error.
std::optional<std::string> WriteUnderFreeName(const OutputNaming& naming,
                                              const std::vector<std::uint8_t>& bytes,
                                              std::string& error);

}  // namespace ruvo
