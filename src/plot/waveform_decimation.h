#pragma once

#include <cstdint>
#include <span>
#include <vector>

namespace ruvo {

// The lowest and highest sample of one pixel column.
struct SampleRange {
  std::uint8_t low = 0;
  std::uint8_t high = 0;
};

// Per-pixel min/max decimation of an 8-bit recording for drawing it at any zoom: each screen
// column shows the range of the samples it covers, so no pulse disappears however far one zooms
// out. Construction builds block minima and maxima at block sizes 16, 128, 1024 and 8192 samples
// (one eighth more memory than the samples at most); a column is then read from the coarsest level
// whose blocks are at most a sixteenth of the column, and from the samples themselves for narrow
// columns, so a redraw reads at most about 130 values per column. Columns may extend by a part of
// a block beyond their exact sample range. The samples are borrowed and must outlive the object.
class WaveformDecimation {
 public:
  explicit WaveformDecimation(std::span<const std::uint8_t> recordingSamples);

  // Fills columns.size() columns evenly covering samples [firstSample, endSample) (fractional
  // positions allowed). A column beyond the recording is {255, 0} (low above high); columns
  // narrower than a sample show the sample under them.
  void Decimate(double firstSample, double endSample, std::span<SampleRange> columns) const;

  std::size_t SampleCount() const { return samples.size(); }

 private:
  SampleRange RangeOf(std::int64_t first, std::int64_t end) const;

  std::span<const std::uint8_t> samples;
  std::vector<std::vector<SampleRange>> levels;  // levels[k] has blocks of kBlock << (3 * k) samples
};

}  // namespace ruvo
