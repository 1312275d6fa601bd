// Any ruvo.cfg gives finite tuning values.
#include <cmath>
#include <cstdint>
#include <sstream>
#include <string>

#include "core/analysis_config.h"
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::istringstream in(std::string(reinterpret_cast<const char*>(data), size));
  const ruvo::AnalysisConfig config = ruvo::ReadAnalysisConfig(in);
  ruvo::fuzz::Require(std::isfinite(config.riseTolerance) && std::isfinite(config.noiseFactor) &&
                          std::isfinite(config.peakSpreadFactor),
                      "configuration values are finite");
  return 0;
}
