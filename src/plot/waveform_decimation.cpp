#include "plot/waveform_decimation.h"

#include <algorithm>
#include <cmath>

namespace ruvo {
namespace {

constexpr std::int64_t kFirstBlock = 16;  // samples per block of the finest level
constexpr int kLevelShift = 3;            // each level's blocks are 8 of the one below
constexpr int kLevels = 4;
constexpr std::int64_t kBlocksPerColumn = 16;  // a level serves columns of at least this many blocks

SampleRange Merge(SampleRange a, SampleRange b) {
  return {std::min(a.low, b.low), std::max(a.high, b.high)};
}

}  // namespace

WaveformDecimation::WaveformDecimation(std::span<const std::uint8_t> recordingSamples) : samples(recordingSamples) {
  std::vector<SampleRange> finest((samples.size() + kFirstBlock - 1) / kFirstBlock);
  for (std::size_t b = 0; b < finest.size(); ++b) {
    const std::size_t first = b * kFirstBlock, end = std::min(samples.size(), first + kFirstBlock);
    const auto [low, high] = std::minmax_element(samples.begin() + static_cast<std::ptrdiff_t>(first),
                                                 samples.begin() + static_cast<std::ptrdiff_t>(end));
    finest[b] = {*low, *high};
  }
  levels.push_back(std::move(finest));
  for (int k = 1; k < kLevels; ++k) {
    const std::vector<SampleRange>& below = levels.back();
    std::vector<SampleRange> level((below.size() + 7) / 8);
    for (std::size_t b = 0; b < level.size(); ++b) {
      SampleRange range = below[b * 8];
      for (std::size_t j = b * 8 + 1; j < std::min(below.size(), b * 8 + 8); ++j) range = Merge(range, below[j]);
      level[b] = range;
    }
    levels.push_back(std::move(level));
  }
}

SampleRange WaveformDecimation::RangeOf(std::int64_t first, std::int64_t end) const {
  const std::int64_t span = end - first;
  int level = -1;
  for (int k = kLevels - 1; k >= 0; --k) {
    if ((kFirstBlock << (kLevelShift * k)) * kBlocksPerColumn <= span) {
      level = k;
      break;
    }
  }
  if (level < 0) {
    const auto [low, high] = std::minmax_element(samples.begin() + first, samples.begin() + end);
    return {*low, *high};
  }
  const std::int64_t block = kFirstBlock << (kLevelShift * level);
  const std::vector<SampleRange>& blocks = levels[static_cast<std::size_t>(level)];
  const auto firstBlock = static_cast<std::size_t>(first / block);
  const auto endBlock = std::min(blocks.size(), static_cast<std::size_t>((end + block - 1) / block));
  SampleRange range = blocks[firstBlock];
  for (std::size_t b = firstBlock + 1; b < endBlock; ++b) range = Merge(range, blocks[b]);
  return range;
}

void WaveformDecimation::Decimate(double firstSample, double endSample, std::span<SampleRange> columns) const {
  const auto count = static_cast<std::int64_t>(samples.size());
  const double width = (endSample - firstSample) / static_cast<double>(std::max<std::size_t>(1, columns.size()));
  for (std::size_t c = 0; c < columns.size(); ++c) {
    const double from = firstSample + width * static_cast<double>(c);
    auto first = static_cast<std::int64_t>(std::floor(from));
    auto end = std::max(first + 1, static_cast<std::int64_t>(std::floor(from + width)));
    first = std::max<std::int64_t>(first, 0);
    end = std::min(end, count);
    columns[c] = first < end ? RangeOf(first, end) : SampleRange{255, 0};
  }
}

}  // namespace ruvo
