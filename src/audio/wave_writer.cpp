#include "audio/wave_writer.h"

#include <filesystem>
#include <fstream>
#include <system_error>

namespace ruvo {

namespace fs = std::filesystem;

bool WriteFileAtomically(const std::string& path, const std::vector<std::uint8_t>& bytes, std::string& error) {
  const fs::path target(path);
  std::string hiddenName = ".";
  hiddenName += target.filename().string();
  hiddenName += ".importing";
  const fs::path temporary = target.parent_path() / hiddenName;
  std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  out.close();
  std::error_code failure;
  if (!out.fail()) fs::rename(temporary, target, failure);
  if (out.fail() || failure) {
    error = out.fail() ? "could not write the temporary file" : failure.message();
    fs::remove(temporary, failure);
    return false;
  }
  return true;
}

}  // namespace ruvo
