#include "tracking/spectrogram.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "tracking/decimation.h"
#include "tracking/real_fft.h"

namespace ruvo {
namespace {

constexpr double kHopSeconds = 0.01;     // frame step
constexpr double kWindowSeconds = 0.2;   // Hann window: about 5 Hz resolution, enough below 1 kHz
constexpr double kRateOverMaxHz = 2.5;   // analysis rate kept above the drawn band
constexpr double kFloorDb = -120.0;      // levels below the loudest bin are cut here (and silence)

}  // namespace

Spectrogram ComputeSpectrogram(std::span<const float> samples, double sampleRate, double maxHz) {
  Spectrogram result;
  if (samples.empty() || !(sampleRate > 0.0) || !std::isfinite(sampleRate) || !(maxHz > 0.0)) return result;
  if (!std::all_of(samples.begin(), samples.end(), [](float sample) { return std::isfinite(sample); })) return result;
  std::string missingFft;
  if (!FftAvailable(missingFft)) return result;
  maxHz = std::min(maxHz, 0.5 * sampleRate);

  // Decimated so the window stays short in samples when only low frequencies are drawn.
  const auto factor = std::max(1, static_cast<std::int32_t>(std::floor(sampleRate / (kRateOverMaxHz * maxHz))));
  const std::vector<double> signal = Decimate(samples, 1.0, factor);
  const double rate = sampleRate / factor;
  const auto hop = std::max(1, static_cast<std::int32_t>(std::lround(kHopSeconds * rate)));
  const auto window = std::max(2, static_cast<std::int32_t>(std::lround(kWindowSeconds * rate)));
  std::int32_t fftSize = 2;
  while (fftSize < window) fftSize *= 2;

  result.hopSeconds = hop / rate;
  result.binHz = rate / fftSize;
  result.binCount = std::min(fftSize / 2, static_cast<std::int32_t>(std::floor(maxHz / result.binHz))) + 1;
  result.frameCount = std::max(1, static_cast<std::int32_t>(static_cast<std::int64_t>(signal.size()) / hop));
  result.levelsDb.resize(static_cast<std::size_t>(result.frameCount) * static_cast<std::size_t>(result.binCount));

  std::vector<double> hann(static_cast<std::size_t>(window));
  for (std::int32_t n = 0; n < window; ++n)
    hann[static_cast<std::size_t>(n)] = 0.5 - 0.5 * std::cos(2.0 * std::numbers::pi * (n + 0.5) / window);
  RealFft fft(fftSize);
  std::vector<double> powers(result.levelsDb.size());  // double: float powers of loud input overflow
  double loudest = 0.0;
  for (std::int32_t f = 0; f < result.frameCount; ++f) {
    // Frame f is centred on (f + 0.5) hops.
    const std::int64_t first = static_cast<std::int64_t>(f) * hop + hop / 2 - window / 2;
    const std::span<double> input = fft.Input();
    std::fill(input.begin(), input.end(), 0.0);
    for (std::int32_t n = 0; n < window; ++n) {
      const std::int64_t at = first + n;
      if (at >= 0 && at < static_cast<std::int64_t>(signal.size()))
        input[static_cast<std::size_t>(n)] = hann[static_cast<std::size_t>(n)] * signal[static_cast<std::size_t>(at)];
    }
    fft.Execute();
    const std::span<const std::complex<double>> spectrum = fft.Output();
    double* row = powers.data() + static_cast<std::size_t>(f) * static_cast<std::size_t>(result.binCount);
    for (std::int32_t b = 0; b < result.binCount; ++b) {
      const double power = std::norm(spectrum[static_cast<std::size_t>(b)]);
      loudest = std::max(loudest, power);
      row[b] = power;
    }
  }
  for (std::size_t k = 0; k < powers.size(); ++k) {
    const double db = loudest > 0.0 && powers[k] > 0.0 ? 10.0 * std::log10(powers[k] / loudest) : kFloorDb;
    result.levelsDb[k] = static_cast<float>(std::max(kFloorDb, db));
  }
  return result;
}

}  // namespace ruvo
