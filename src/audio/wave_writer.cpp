#include "audio/wave_writer.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <system_error>

namespace ruvo {
namespace {

namespace fs = std::filesystem;

constexpr std::uint32_t kHeaderBytes = 44;

void Put(std::vector<std::uint8_t>& bytes, std::size_t at, std::uint32_t value, int byteCount) {
  for (int k = 0; k < byteCount; ++k)
    bytes[at + static_cast<std::size_t>(k)] = static_cast<std::uint8_t>(value >> (8 * k));
}

void PutTag(std::vector<std::uint8_t>& bytes, std::size_t at, const char (&tag)[5]) {
  for (std::size_t k = 0; k < 4; ++k) bytes[at + k] = static_cast<std::uint8_t>(tag[k]);
}

}  // namespace

std::vector<std::uint8_t> EncodeEightBitWave(const std::vector<std::uint8_t>& samples, std::int32_t sampleRate) {
  const auto dataBytes = static_cast<std::uint32_t>(samples.size());
  const std::uint32_t pad = dataBytes % 2;
  const auto rate = static_cast<std::uint32_t>(sampleRate);
  std::vector<std::uint8_t> bytes(kHeaderBytes + dataBytes + pad, 0);
  PutTag(bytes, 0, "RIFF");
  Put(bytes, 4, kHeaderBytes - 8 + dataBytes + pad, 4);
  PutTag(bytes, 8, "WAVE");
  PutTag(bytes, 12, "fmt ");
  Put(bytes, 16, 16, 4);    // format chunk size
  Put(bytes, 20, 1, 2);     // PCM
  Put(bytes, 22, 1, 2);     // mono
  Put(bytes, 24, rate, 4);  // samples per second
  Put(bytes, 28, rate, 4);  // bytes per second: one byte per sample
  Put(bytes, 32, 1, 2);     // block alignment
  Put(bytes, 34, 8, 2);     // bits per sample
  PutTag(bytes, 36, "data");
  Put(bytes, 40, dataBytes, 4);
  std::copy(samples.begin(), samples.end(), bytes.begin() + kHeaderBytes);
  return bytes;
}

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
