#include "audio/click_band.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <numbers>
#include <utility>
#include <vector>

#include "audio/click_envelope.h"
#include "audio/click_train.h"
#include "core/text_format.h"
#include "tracking/real_fft.h"

namespace ruvo {
namespace {

constexpr double kSegmentSeconds = 0.5;
constexpr std::size_t kMostSegments = 120;  // a minute of segments is plenty for the medians
constexpr double kShortestWindowSeconds = 0.0005;  // a click rings for about 0.75 ms
constexpr double kLongestWindowSeconds = 0.006;
constexpr std::int32_t kSmallestWindow = 16;  // samples: fewer bins cannot place a band
constexpr double kBandShareOfPeak = 0.5;      // neighbouring bins scoring this share of the best join the band
constexpr double kNyquistShare = 0.9;         // a band reaching this share of the Nyquist frequency needs no low-pass
constexpr double kEdgeStepHz = 50.0;          // band edges are rounded to this, for readable reports
constexpr double kHzPerKhz = 1000.0;
constexpr double kLeastBandGain = 1.25;  // a low-pass must make the clicks this much more impulsive

// Short-time power spectra of one window length (Hann, half overlapped), segment by segment.
class SegmentSpectra {
 public:
  SegmentSpectra(std::span<const float> samples, std::int32_t window, std::size_t segmentLength)
      : sound(samples),
        segmentSamples(segmentLength),
        hann(static_cast<std::size_t>(window)),
        fft(window),
        powers(static_cast<std::size_t>(window / 2 + 1)) {
    for (std::size_t n = 0; n < hann.size(); ++n)
      hann[n] = 0.5 - 0.5 * std::cos(2.0 * std::numbers::pi * (static_cast<double>(n) + 0.5) / window);
  }

  // The segments measured: all of a short recording, evenly spread ones of a long one.
  std::size_t Segments() const { return (sound.size() / segmentSamples + Stride() - 1) / Stride(); }
  std::size_t Bins() const { return powers.size(); }

  // Calls onFrame(powers) for every frame that lies within the segment; returns how many there were.
  template <typename OnFrame>
  std::size_t Scan(std::size_t segment, OnFrame onFrame) {
    std::size_t frames = 0;
    const std::size_t first = segment * Stride() * segmentSamples, end = first + segmentSamples;
    for (std::size_t start = first; start + hann.size() <= end; start += hann.size() / 2) {
      const std::span<double> input = fft.Input();
      for (std::size_t n = 0; n < hann.size(); ++n) input[n] = hann[n] * sound[start + n];
      fft.Execute();
      const std::span<const std::complex<double>> spectrum = fft.Output();
      for (std::size_t bin = 0; bin < powers.size(); ++bin) powers[bin] = std::norm(spectrum[bin]);
      onFrame(std::as_const(powers));
      ++frames;
    }
    return frames;
  }

 private:
  std::size_t Stride() const { return std::max<std::size_t>(1, sound.size() / segmentSamples / kMostSegments); }

  std::span<const float> sound;
  std::size_t segmentSamples;
  std::vector<double> hann;
  RealFft fft;
  std::vector<double> powers;
};

// E P^2 / (E P)^2 of powers P summed over frames; 0 for silence.
double PowerRatio(std::size_t frames, double sum, double sumOfSquares) {
  return sum > 0.0 ? static_cast<double>(frames) * sumOfSquares / (sum * sum) : 0.0;
}

// The median over the segments of each bin's spectral kurtosis K = E|X|^4 / (E|X|^2)^2 - 2 (0 for
// Gaussian noise).
std::vector<double> BinKurtosis(SegmentSpectra& spectra) {
  const std::size_t segments = spectra.Segments(), bins = spectra.Bins();
  std::vector<double> scores(segments * bins);  // segment after segment
  std::vector<double> second(bins), fourth(bins);
  for (std::size_t segment = 0; segment < segments; ++segment) {
    std::fill(second.begin(), second.end(), 0.0);
    std::fill(fourth.begin(), fourth.end(), 0.0);
    const std::size_t frames = spectra.Scan(segment, [&](const std::vector<double>& powers) {
      for (std::size_t bin = 0; bin < bins; ++bin) {
        second[bin] += powers[bin];
        fourth[bin] += powers[bin] * powers[bin];
      }
    });
    for (std::size_t bin = 0; bin < bins; ++bin)
      scores[segment * bins + bin] = PowerRatio(frames, second[bin], fourth[bin]) - 2.0;
  }
  std::vector<double> median(bins), column(segments);
  for (std::size_t bin = 0; bin < bins; ++bin) {
    for (std::size_t segment = 0; segment < segments; ++segment) column[segment] = scores[segment * bins + bin];
    median[bin] = Median(column);
  }
  return median;
}

// The median over the segments of E E^2 / (E E)^2 - 1 for the power E of bins [first, last]: how
// impulsive the band is as a whole (near 0 for noise, 1 / (share of frames with a click) for clicks).
double BandKurtosis(SegmentSpectra& spectra, std::size_t first, std::size_t last) {
  std::vector<double> scores(spectra.Segments());
  for (std::size_t segment = 0; segment < scores.size(); ++segment) {
    double sum = 0.0, sumOfSquares = 0.0;
    const std::size_t frames = spectra.Scan(segment, [&](const std::vector<double>& powers) {
      double band = 0.0;
      for (std::size_t bin = first; bin <= last; ++bin) band += powers[bin];
      sum += band;
      sumOfSquares += band * band;
    });
    scores[segment] = PowerRatio(frames, sum, sumOfSquares) - 1.0;
  }
  return Median(scores);
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
  // Each bin reaches a bin either side of its centre through the Hann window's main lobe. The band
  // keeps within an octave of the best bin: content far below the ring gives each click a long
  // low-frequency tail after the filter.
  const double centreHz = static_cast<double>(peak.bin) * binHz;
  double lowHz = std::max(static_cast<double>(low - 1) * binHz, centreHz / 2.0);
  double highHz = std::min(static_cast<double>(high + 1) * binHz, 2.0 * centreHz);
  if (highHz < 2.0 * lowHz) {  // at least an octave, so the clicks keep their sharp start
    const double centre = std::sqrt(std::max(lowHz, binHz) * highHz);
    lowHz = centre / std::numbers::sqrt2;
    highHz = centre * std::numbers::sqrt2;
  }
  lowHz = std::max(std::round(lowHz / kEdgeStepHz) * kEdgeStepHz, kLowestClickBandHz);
  highHz = highHz >= kNyquistShare * sampleRateHz / 2.0 ? 0.0 : std::round(highHz / kEdgeStepHz) * kEdgeStepHz;
  ClickBand band;
  band.found = true;
  band.lowHz = lowHz;
  band.highHz = highHz;
  band.kurtosis = peak.score;
  return band;
}

// The matched-filter envelope of highPassed in envelope, scaled down away from its click train when
// the train holds the strongest clicks (along then names the train); false, and envelope untouched,
// when there are too few clicks for a template.
bool EnvelopeAlongTrain(std::span<const float> highPassed,
                        double sampleRateHz,
                        std::vector<float>& envelope,
                        std::string& along) {
  const std::vector<float> shape = ClickTemplate(highPassed, sampleRateHz);
  if (shape.empty()) return false;
  envelope = MatchedEnvelope(highPassed, shape);
  const std::vector<std::size_t> strong = StrongClicks(envelope, sampleRateHz);
  std::vector<float> heights;
  for (std::size_t click : strong) heights.push_back(envelope[click]);
  const std::vector<std::size_t> train = TrackClickTrain(envelope, sampleRateHz, Median(heights));
  const auto reach = static_cast<std::size_t>(std::lround(kTrainReachSeconds * sampleRateHz));
  if (TrainHoldsClicks(train, strong, reach)) {
    GateToTrain(envelope, train, reach);
    along = FormatText(" along a train of %zu clicks", train.size());
  }
  return true;
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
    SegmentSpectra spectra(sound, window, segmentSamples);
    std::vector<double> scores = BinKurtosis(spectra);
    for (std::size_t bin = FirstBin(window, sampleRateHz); bin + 1 < scores.size(); ++bin)
      if (scores[bin] > best.score) best = {window, bin, scores[bin], {}};
    if (best.window == window) best.scores = std::move(scores);
  }
  band.kurtosis = std::max(best.score, 0.0);
  if (best.score < kLeastClickKurtosis) return band;
  const ClickBand around = BandAround(best, sampleRateHz);

  // Clicks that stand out nearly as much across the whole band need no low-pass, which would only
  // reshape them.
  SegmentSpectra spectra(sound, best.window, segmentSamples);
  const double binHz = sampleRateHz / best.window;
  const std::size_t first = FirstBin(best.window, sampleRateHz), last = spectra.Bins() - 2;
  const auto bandFirst = std::max(first, static_cast<std::size_t>(std::lround(around.lowHz / binHz)));
  const std::size_t bandLast =
      around.highHz > 0.0 ? std::min(last, static_cast<std::size_t>(std::lround(around.highHz / binHz))) : last;
  const double inBand = BandKurtosis(spectra, bandFirst, bandLast), whole = BandKurtosis(spectra, first, last);
  ClickBand chosen = around;
  if (!(inBand >= kLeastBandGain * whole)) chosen.highHz = 0.0;
  return chosen;
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
  std::vector<float> original;
  if (asked.automatic) original = sound;
  ConditioningChoice choice = ChooseConditioning(asked, sound, sampleRateHz);
  ApplyConditioning(sound, sampleRateHz, choice.filters);
  std::string missing;
  if (!asked.automatic || !FftAvailable(missing)) return choice;
  const double prominence = ClickProminence(sound, sampleRateHz);
  if (!(prominence > 0.0 && prominence < kLeastPlainProminence)) return choice;
  // The matched filter gathers the whole click, so it works on the plainly high-passed sound: a
  // narrow band would have taken part of each click away and made the rest ring longer.
  const FilterChoice highPass{false, kDefaultHighPassHz, 0.0};
  ApplyConditioning(original, sampleRateHz, highPass);
  std::string along;
  if (!EnvelopeAlongTrain(original, sampleRateHz, sound, along)) return choice;
  choice.filters = highPass;
  choice.envelope = true;
  choice.summary =
      FormatText("matched-filter envelope%s after a %.0f Hz high-pass (", along.c_str(), kDefaultHighPassHz) +
      choice.summary + FormatText(" left the clicks %.1f times the noise)", prominence);
  return choice;
}

}  // namespace ruvo
