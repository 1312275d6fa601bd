#include "core/calculation_log.h"

#include <cstdarg>

#include "core/text_format.h"

namespace ruvo {
namespace {

// Bytes gathered before they go to the file: a few writes for the longest log, little memory.
constexpr std::size_t kPieceBytes = 64 * 1024;

}  // namespace

bool CalculationLog::Open(const std::string& path) {
  Close();
  file.open(path, std::ios::binary | std::ios::trunc);
  pending.reserve(kPieceBytes + kPieceBytes / 4);
  return file.is_open();
}

void CalculationLog::Write(std::string_view text) {
  if (!file.is_open()) return;
  pending += text;
  WritePendingIfFull();
}

void CalculationLog::WriteFormatted(const char* format, ...) {
  if (!file.is_open()) return;
  va_list args;
  va_start(args, format);
  AppendTextV(pending, format, args);
  va_end(args);
  WritePendingIfFull();
}

void CalculationLog::WritePendingIfFull() {
  if (pending.size() < kPieceBytes) return;
  file.write(pending.data(), static_cast<std::streamsize>(pending.size()));
  pending.clear();
}

void CalculationLog::Close() {
  if (!file.is_open()) return;
  file.write(pending.data(), static_cast<std::streamsize>(pending.size()));
  pending.clear();
  file.close();
}

}  // namespace ruvo
