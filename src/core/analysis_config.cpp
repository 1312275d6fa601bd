#include "core/analysis_config.h"

#include <cmath>
#include <fstream>

#include "core/line_reader.h"
#include "core/text_scan.h"

namespace ruvo {
namespace {

void ScanFinite(const std::string& line, double& field) {
  double value = field;
  if (ScanDouble(line, value) && std::isfinite(value)) field = value;
}

}  // namespace

AnalysisConfig ReadAnalysisConfig(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return AnalysisConfig{};
  return ReadAnalysisConfig(in);
}

AnalysisConfig ReadAnalysisConfig(std::istream& in) {
  AnalysisConfig config;
  std::string line;
  if (ReadLine(in, line)) ScanInt(line, config.timeReference); else return config;
  if (ReadLine(in, line)) ScanInt(line, config.trimLevel); else return config;
  if (ReadLine(in, line)) ScanFinite(line, config.riseTolerance); else return config;
  if (ReadLine(in, line)) ScanFinite(line, config.noiseFactor); else return config;
  if (ReadLine(in, line)) ScanFinite(line, config.peakSpreadFactor);
  return config;
}

}  // namespace ruvo
