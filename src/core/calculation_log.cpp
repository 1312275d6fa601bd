#include "core/calculation_log.h"

namespace ruvo {

bool CalculationLog::Open(const std::string& path) {
  Close();
  file.open(path, std::ios::binary | std::ios::trunc);
  return file.is_open();
}

void CalculationLog::Write(const std::string& text) {
  if (file.is_open()) file << text;
}

void CalculationLog::Close() {
  if (file.is_open()) file.close();
}

}  // namespace ruvo
