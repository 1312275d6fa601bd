#include "audio/click_band.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <numbers>
#include <vector>

#include "core/text_format.h"
#include "tracking/real_fft.h"

namespace ruvo {
namespace {

constexpr double kSegmentSeconds = 0.5;
constexpr double kShortestWindowSeconds = 0.0005;  // a click rings for about 0.75 ms
constexpr double kLongestWindowSeconds = 0.006;
constexpr std::int32_t kSmallestWindow = 16;  // samples: fewer bins cannot place a band
constexpr double kBandShareOfPeak = 0.5;      // neighbouring bins scoring this share of the best join the band
constexpr double kNyquistShare = 0.9;         // a band reaching this share of the Nyquist frequency needs no low-pass
constexpr double kEdgeStepHz = 50.0;          // band edges are rounded to this, for readable reports
constexpr double kHzPerKhz = 1000.0;

// The median score of each bin of one window length over the segments, K = E|X|^4 / (E|X|^2)^2 - 2.
std::vector<double> MedianKurtosis(std::span<const float> sound, std::int32_t window, std::size_t segmentSamples) {
  const std::size_t segments = sound.size() / segmentSamples;
  const auto bins = static_cast<std::size_t>(window / 2 + 1);
  const auto hop = static_cast<std::size_t>(window / 2);
  std::vector<double> hann(static_cast<std::size_t>(window));
  for (std::size_t n = 0; n < hann.size(); ++n)
    hann[n] = 0.5 - 0.5 * std::cos(2.0 * std::numbers::pi * (static_cast<double>(n) + 0.5) / window);

  RealFft fft(window);
  std::vector<double> scores(segments * bins);  // segment after segment
  std::vector<double> second(bins), fourth(bins);
  for (std::size_t segment = 0; segment < segments; ++segment) {
    std::fill(second.begin(), second.end(), 0.0);
    std::fill(fourth.begin(), fourth.end(), 0.0);
    std::size_t frames = 0;
    const std::size_t end = (segment + 1) * segmentSamples;
    for (std::size_t start = segment * segmentSamples; start + hann.size() <= end; start += hop, ++frames) {
      const std::span<double> input = fft.Input();
      for (std::size_t n = 0; n < hann.size(); ++n) input[n] = hann[n] * sound[start + n];
      fft.Execute();
      const std::span<const std::complex<double>> spectrum = fft.Output();
      for (std::size_t bin = 0; bin < bins; ++bin) {
        const double power = std::norm(spectrum[bin]);
        second[bin] += power;
        fourth[bin] += power * power;
      }
    }
    for (std::size_t bin = 0; bin < bins; ++bin)
      scores[segment * bins + bin] =
          second[bin] > 0.0 ? static_cast<double>(frames) * fourth[bin] / (second[bin] * second[bin]) - 2.0 : 0.0;
  }

  std::vector<double> median(bins), column(segments);
  for (std::size_t bin = 0; bin < bins; ++bin) {
    for (std::size_t segment = 0; segment < segments; ++segment) column[segment] = scores[segment * bins + bin];
    const auto middle = column.begin() + static_cast<std::ptrdiff_t>(segments / 2);
    std::nth_element(column.begin(), middle, column.end());
    median[bin] = *middle;
  }
  return median;
}

struct Peak {
  std::int32_t window = 0;
  std::size_t bin = 0;
  double score = -1.0;
  std::vector<double> scores;  // of the window's bins
};

// The bins that may centre a band: at or above the lowest edge, below the Nyquist bin.
std::size_t FirstBin(std::int32_t window, double sampleRateHz) {
  return std::max<std::size_t>(1, static_cast<std::size_t>(std::ceil(kLowestClickBandHz * window / sampleRateHz)));
}

ClickBand BandAround(const Peak& peak, double sampleRateHz) {
  const double binHz = sampleRateHz / peak.window;
  const std::size_t first = FirstBin(peak.window, sampleRateHz), last = peak.scores.size() - 2;
  std::size_t low = peak.bin, high = peak.bin;
  while (low > first && peak.scores[low - 1] >= kBandShareOfPeak * peak.score) --low;
  while (high < last && peak.scores[high + 1] >= kBandShareOfPeak * peak.score) ++high;
  // Each bin reaches a bin either side of its centre through the Hann window's main lobe.
  double lowHz = static_cast<double>(low - 1) * binHz, highHz = static_cast<double>(high + 1) * binHz;
  if (highHz < 2.0 * lowHz) {  // at least an octave, so the clicks keep their sharp start
    const double centre = std::sqrt(std::max(lowHz, binHz) * highHz);
    lowHz = centre / std::numbers::sqrt2;
    highHz = centre * std::numbers::sqrt2;
  }
  lowHz = std::max(std::round(lowHz / kEdgeStepHz) * kEdgeStepHz, kLowestClickBandHz);
  highHz = highHz >= kNyquistShare * sampleRateHz / 2.0 ? 0.0 : std::round(highHz / kEdgeStepHz) * kEdgeStepHz;
  return {true, lowHz, highHz, peak.score, {}};
}

}  // namespace

ClickBand FindClickBand(std::span<const float> sound, double sampleRateHz) {
  ClickBand band;
  const auto segmentSamples = static_cast<std::size_t>(std::lround(kSegmentSeconds * sampleRateHz));
  if (!(sampleRateHz > 0.0) || segmentSamples == 0 || sound.size() < segmentSamples) return band;
  if (!FftAvailable(band.missing)) return band;

  Peak best;
  for (std::int32_t window = kSmallestWindow; window <= kLongestWindowSeconds * sampleRateHz; window *= 2) {
    if (window < kShortestWindowSeconds * sampleRateHz) continue;
    std::vector<double> scores = MedianKurtosis(sound, window, segmentSamples);
    for (std::size_t bin = FirstBin(window, sampleRateHz); bin + 1 < scores.size(); ++bin)
      if (scores[bin] > best.score) best = {window, bin, scores[bin], {}};
    if (best.window == window) best.scores = std::move(scores);
  }
  if (best.score < kLeastClickKurtosis) {
    band.kurtosis = std::max(best.score, 0.0);
    return band;
  }
  return BandAround(best, sampleRateHz);
}

ConditioningChoice ChooseConditioning(const FilterChoice& asked, std::span<const float> sound, double sampleRateHz) {
  ConditioningChoice choice;
  choice.filters = asked;
  choice.filters.automatic = false;
  if (!asked.automatic) return choice;
  const ClickBand band = FindClickBand(sound, sampleRateHz);
  const std::string kurtosis = FormatText(band.kurtosis < 10.0 ? "%.1f" : "%.0f", band.kurtosis);
  if (!band.missing.empty()) {
    choice.summary =
        DescribeConditioning(choice.filters, sampleRateHz) + ", no band chosen (" + band.missing + " is missing)";
  } else if (!band.found) {
    choice.summary = DescribeConditioning(choice.filters, sampleRateHz) +
                     ", no band where clicks stand out (kurtosis " + kurtosis + ")";
  } else {
    choice.bandFound = true;
    choice.filters.highPassHz = band.lowHz;
    choice.filters.lowPassHz = band.highHz;
    choice.summary = band.highHz > 0.0
                         ? FormatText("band-pass %.1f–%.1f kHz", band.lowHz / kHzPerKhz, band.highHz / kHzPerKhz)
                         : FormatText("high-pass %.1f kHz", band.lowHz / kHzPerKhz);
    choice.summary += " (kurtosis " + kurtosis + ")";
  }
  return choice;
}

ConditioningChoice ConditionSound(std::vector<float>& sound, double sampleRateHz, const FilterChoice& asked) {
  ConditioningChoice choice = ChooseConditioning(asked, sound, sampleRateHz);
  ApplyConditioning(sound, sampleRateHz, choice.filters);
  return choice;
}

}  // namespace ruvo
