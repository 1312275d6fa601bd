#pragma once

#include <cstdint>
#include <istream>
#include <string>

namespace ruvo {

// Five tuning values of the pulse detection, edited by hand in ruvo.cfg.
struct AnalysisConfig {
  std::int32_t timeReference = 0;  // sample of a pulse that gives its time: 1 start, 2 peak, else midpoint
  std::int32_t trimLevel = 6;      // level of the smoothing model that trims a dynamometer timeline
  double riseTolerance = 0.002;    // allowed RPM dip while trimming, fraction of (finalRpm - initialRpm)
  double noiseFactor = 1.0;        // factor on the mean noise level in the pulse cutoff
  double peakSpreadFactor = 1.0;   // factor on the spread of the peak levels in the pulse cutoff
};

// Reads ruvo.cfg at path: one value per line in field order, each converted from the start of its
// line. A missing file, a missing line, a value that does not convert or that is infinite or NaN
// keeps the default. Reports nothing.
AnalysisConfig ReadAnalysisConfig(const std::string& path);
AnalysisConfig ReadAnalysisConfig(std::istream& in);

}  // namespace ruvo
