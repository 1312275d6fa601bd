#include "tracking/harmonic_salience.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstdint>
#include <cmath>
#include <numbers>

#include "tracking/decimation.h"
#include "tracking/real_fft.h"

namespace ruvo {
namespace {

// A window spans 4 to 8 revolutions of the candidates that read it: from 4 revolutions (two
// 4-stroke cycles) a Hann window resolves the half orders, putting each on its neighbours' nulls.
constexpr double kWindowRevolutions = 4.0;
constexpr double kUsableOfNyquist = 0.9;  // components read only below 0.45 of a level's rate
constexpr double kSubOrderWeight = 0.25;  // weight of the orders between firing harmonics
// Salience lost per unit of log level by which the candidate's own firing order falls short of
// its strongest component: a subharmonic reads the true firing order as one of its higher
// harmonics, and its own firing order lands on a weak half order of the truth.
constexpr double kWeakFiringPenalty = 1.0;
constexpr std::int32_t kFiringHarmonics = 6;
constexpr double kMinTopOrder = 4.0;   // at least this many engine orders even for a single
constexpr double kMaxTopOrder = 16.0;  // and no more, so the window stays short for many cylinders
constexpr double kHopSeconds = 0.02;   // frame step: 50 frames a second, far more than a pull changes
constexpr std::int32_t kSpectrumStride = 10;    // every 10th frame's spectra are kept
constexpr double kSilentMagnitude = 1e-12;  // added to every magnitude (signal at peak 1): silence reads 0

// The worst case: a candidate at the top of its octave sees twice the minimum revolutions, and its
// top component must stay below the usable part of the level's band.
std::int32_t WindowSamples(const EngineComb& comb) {
  const double samples = comb.topOrder * 2.0 * kWindowRevolutions / (0.5 * kUsableOfNyquist);
  return 2 * static_cast<std::int32_t>(std::ceil(samples / 2.0)) + 1;
}

std::int32_t FftSizeFor(std::int32_t windowSamples) {
  std::int32_t size = 1;
  while (size < 2 * windowSamples) size *= 2;  // at least twice zero-padded: little scalloping
  return size;
}

// Hann window of odd length, peak 1 at the centre sample.
std::vector<double> HannWindow(std::int32_t length) {
  std::vector<double> window(static_cast<std::size_t>(length));
  for (std::int32_t n = 0; n < length; ++n)
    window[static_cast<std::size_t>(n)] = 0.5 - 0.5 * std::cos(2.0 * std::numbers::pi * (n + 1) / (length + 1));
  return window;
}

// The fastest octave level whose window spans at least the minimum revolutions.
std::int32_t LevelFor(double revPerSecond, double topRate, std::int32_t windowSamples) {
  const double ideal = std::log2(kWindowRevolutions * topRate / (windowSamples * revPerSecond));
  return std::max(0, static_cast<std::int32_t>(std::ceil(ideal - 1e-9)));
}

// The magnitude a Hann window passes from a line delta bins away (of the unpadded window), as a
// share of the line's own: |sinc(delta) / (1 - delta^2)|, 1/2 at one bin, 0 from two bins on.
double HannLeakage(double delta) {
  if (std::abs(delta) < 1e-6) return 1.0;
  if (std::abs(std::abs(delta) - 1.0) < 1e-6) return 0.5;
  const double x = std::numbers::pi * delta;
  return std::abs(std::sin(x) / x / (1.0 - delta * delta));
}

// The components each candidate reads: positions in padded bins of its level and weights.
struct CombTable {
  std::vector<std::int32_t> level;       // per candidate
  std::vector<std::int32_t> firstEntry;  // per candidate, plus one past the end
  // Component and gap positions, split into the bin below and the fraction towards the next so
  // the comb's inner loop does no conversions.
  std::vector<std::int32_t> bin;
  std::vector<double> binFraction;
  std::vector<std::int32_t> gapBin;  // half a component spacing below bin
  std::vector<double> gapFraction;
  std::vector<double> weight;
  std::vector<double> weightSum;  // per candidate
  std::vector<double> lineGain;   // per candidate: a line's contrast over its gap, back to its height
  std::vector<std::int32_t> firingEntry;  // per candidate: its firing order's entry, -1 when beyond the level
};

CombTable MakeCombTable(const EngineComb& comb,
                        const SpeedGrid& grid,
                        double topRate,
                        std::int32_t windowSamples,
                        std::int32_t fftSize) {
  CombTable table;
  const auto components = static_cast<std::int32_t>(std::lround(comb.topOrder / comb.baseOrder));
  const auto firingStep = static_cast<std::int32_t>(std::lround(comb.firingOrder / comb.baseOrder));
  for (std::int32_t i = 0; i < grid.count; ++i) {
    const double rev = grid.RevPerSecond(i);
    const std::int32_t level = LevelFor(rev, topRate, windowSamples);
    const double rate = std::ldexp(topRate, -level);
    table.level.push_back(level);
    table.firstEntry.push_back(static_cast<std::int32_t>(table.bin.size()));
    double sum = 0.0;
    for (std::int32_t m = 1; m <= components; ++m) {
      const double hz = m * comb.baseOrder * rev;
      if (hz > 0.5 * kUsableOfNyquist * rate) break;
      // The expected structure: the firing order strongest, its harmonics falling as 1/h.
      const double weight = m % firingStep == 0 ? 1.0 / static_cast<double>(m / firingStep) : kSubOrderWeight;
      const double position = hz * fftSize / rate;
      const double gapPosition = (hz - 0.5 * comb.baseOrder * rev) * fftSize / rate;
      table.bin.push_back(static_cast<std::int32_t>(position));
      table.binFraction.push_back(position - std::floor(position));
      table.gapBin.push_back(static_cast<std::int32_t>(gapPosition));
      table.gapFraction.push_back(gapPosition - std::floor(gapPosition));
      table.weight.push_back(weight);
      sum += weight;
    }
    table.weightSum.push_back(sum);
    // The gap lies delta bins of the unpadded window from the component, where the Hann window
    // still passes a share of the line: 1/2 for a window of 4 revolutions, nothing for 8. Undoing
    // that keeps the salience of a line the same whatever the candidate's place in its octave,
    // so the candidates at the foot of an octave level do not read weaker than their neighbours.
    const double delta = 0.5 * comb.baseOrder * rev * windowSamples / rate;
    table.lineGain.push_back(1.0 / (1.0 - HannLeakage(delta)));
    const std::int32_t firing = table.firstEntry.back() + firingStep - 1;
    table.firingEntry.push_back(firing < static_cast<std::int32_t>(table.bin.size()) ? firing : -1);
  }
  table.firstEntry.push_back(static_cast<std::int32_t>(table.bin.size()));
  return table;
}

// magnitude / white level, written to relative, and its log(1 + x) to compressed when that is
// not null (it is kept only for every spectrumStride-th frame). fftSize / 2 + 1 values. The white
// level is the magnitude every bin would have if the frame's power were spread evenly over the
// band (Parseval), so a tonal peak stands out by how much its power is concentrated, the same way
// on every octave level; a local floor would not do, since a comb of half orders fills the
// spectrum at this resolution. The log keeps one strong harmonic from outweighing several present
// ones.
void CompressSpectrum(std::span<const std::complex<double>> spectrum,
                      std::vector<double>& relative,
                      std::vector<double>* compressed) {
  double power = 0.0;
  for (const std::complex<double>& bin : spectrum) power += std::norm(bin);
  const double white = std::sqrt(power / static_cast<double>(spectrum.size()));
  for (std::size_t k = 0; k < spectrum.size(); ++k)
    relative[k] = white > kSilentMagnitude ? std::sqrt(std::norm(spectrum[k])) / white : 0.0;
  if (compressed != nullptr)
    for (std::size_t k = 0; k < spectrum.size(); ++k) (*compressed)[k] = std::log1p(relative[k]);
}

constexpr int kLogTableBits = 8;
constexpr int kLogTableSize = 1 << kLogTableBits;

// log(m) at m = 1 + k / kLogTableSize, k = 0..kLogTableSize.
const std::array<double, kLogTableSize + 1>& LogTable() {
  static const std::array<double, kLogTableSize + 1> table = [] {
    std::array<double, kLogTableSize + 1> values{};
    for (int k = 0; k <= kLogTableSize; ++k) values[static_cast<std::size_t>(k)] = std::log1p(static_cast<double>(k) / kLogTableSize);
    return values;
  }();
  return table;
}

// log(1 + x) for x >= 0 within 2e-6: the exponent of 1 + x from its bits and the mantissa's log
// interpolated in a table of 256 steps (error at most step^2 / 8). The comb takes one per
// component and candidate; std::log1p made the salience five times slower, and a division-based
// series twice as slow as this.
double FastLog1p(double x, const std::array<double, kLogTableSize + 1>& table) {
  const auto bits = std::bit_cast<std::uint64_t>(1.0 + x);
  const auto exponent = static_cast<std::int64_t>((bits >> 52) & 0x7ff) - 1023;
  constexpr int kRestBits = 52 - kLogTableBits;  // mantissa bits below the table's step
  const auto step = static_cast<std::size_t>((bits >> kRestBits) & (kLogTableSize - 1));
  constexpr double kRestScale = 1.0 / static_cast<double>(std::uint64_t{1} << kRestBits);  // exact, a power of 2
  const double fraction = static_cast<double>(bits & ((std::uint64_t{1} << kRestBits) - 1)) * kRestScale;
  return static_cast<double>(exponent) * std::numbers::ln2 + table[step] + fraction * (table[step + 1] - table[step]);
}

// A component's contrast over its gap: the magnitudes are subtracted before the log, so a line
// counts by its strength whatever the window. Subtracting logs would cap a line at log 2 where the
// window spans only 4 revolutions (its gap then lies on the line's own main lobe, 6 dB down), and
// favour slow candidates, whose windows span more of the signal.
// Without a branch on the sign, which noise makes unpredictable.
double Contrast(double difference, const std::array<double, kLogTableSize + 1>& table) {
  return std::copysign(FastLog1p(std::abs(difference), table), difference);
}

double Interpolate(const std::vector<double>& spectrum, std::int32_t below, double fraction) {
  const auto at = static_cast<std::size_t>(below);
  return (1.0 - fraction) * spectrum[at] + fraction * spectrum[at + 1];
}

}  // namespace

double SpeedGrid::RevPerSecond(double index) const { return firstRevPerSecond * std::pow(stepRatio, index); }

double SpeedGrid::IndexOf(double revPerSecond) const {
  return std::log(revPerSecond / firstRevPerSecond) / std::log(stepRatio);
}

EngineComb CombForEngine(std::int32_t cylinders, std::int32_t strokes) {
  EngineComb comb;
  comb.baseOrder = strokes == 4 ? 0.5 : 1.0;
  comb.firingOrder = strokes == 4 ? 0.5 * cylinders : static_cast<double>(cylinders);
  const double top = std::clamp(kFiringHarmonics * comb.firingOrder, kMinTopOrder, kMaxTopOrder);
  // Always at least two firing harmonics, so the comb tells the firing order from its octave.
  comb.topOrder = std::max(top, 2.0 * comb.firingOrder);
  return comb;
}

AnalysisSignal PrepareAnalysisSignal(std::span<const float> samples,
                                     double scale,
                                     double sampleRate,
                                     const EngineComb& comb,
                                     const SpeedGrid& grid) {
  const double fastest = grid.RevPerSecond(grid.count - 1);
  const double neededRate = fastest * WindowSamples(comb) / (2.0 * kWindowRevolutions);
  const auto factor = std::max(1, static_cast<std::int32_t>(std::floor(sampleRate / neededRate)));
  AnalysisSignal signal;
  signal.samples = Decimate(samples, scale, factor);
  signal.sampleRate = sampleRate / factor;
  signal.hopSamples = std::max(1, static_cast<std::int32_t>(std::lround(kHopSeconds * signal.sampleRate)));
  return signal;
}

std::span<const float> SalienceMap::Frame(std::int32_t frame) const {
  return std::span<const float>(values).subspan(static_cast<std::size_t>(frame) * static_cast<std::size_t>(grid.count),
                                                static_cast<std::size_t>(grid.count));
}

double SalienceMap::At(std::int32_t frame, double index) const {
  if (!(index >= 0.0) || index > grid.count - 1) return 0.0;
  const std::span<const float> row = Frame(frame);
  const auto below = std::min(static_cast<std::int32_t>(index), grid.count - 2);
  if (below < 0) return row[0];
  const double fraction = index - below;
  return (1.0 - fraction) * row[static_cast<std::size_t>(below)] + fraction * row[static_cast<std::size_t>(below + 1)];
}

double SalienceMap::ComponentLevel(std::int32_t frame, double revPerSecond, double order) const {
  const std::int32_t level = std::min(LevelFor(revPerSecond, topRate, windowSamples), levelCount - 1);
  const double rate = std::ldexp(topRate, -level);
  const double hz = order * revPerSecond;
  if (frame % spectrumStride != 0 || !(hz > 0.0) || hz > 0.5 * kUsableOfNyquist * rate) return 0.0;
  const double position = hz * fftSize / rate;
  const auto below = static_cast<std::size_t>(position);
  const double fraction = position - static_cast<double>(below);
  const std::size_t start = (static_cast<std::size_t>(frame / spectrumStride) * static_cast<std::size_t>(levelCount) +
                             static_cast<std::size_t>(level)) *
                            static_cast<std::size_t>(binCount);
  return (1.0 - fraction) * sampledSpectra[start + below] + fraction * sampledSpectra[start + below + 1];
}

SalienceMap ComputeSalience(const AnalysisSignal& signal, const EngineComb& comb, const SpeedGrid& grid) {
  const std::int32_t windowSamples = WindowSamples(comb);
  const std::int32_t fftSize = FftSizeFor(windowSamples);
  const CombTable table = MakeCombTable(comb, grid, signal.sampleRate, windowSamples, fftSize);
  const std::array<double, kLogTableSize + 1>& logs = LogTable();
  const std::int32_t levelCount = *std::max_element(table.level.begin(), table.level.end()) + 1;

  // The octave levels: level j holds the signal at sampleRate / 2^j.
  std::vector<std::vector<double>> levels{signal.samples};
  for (std::int32_t j = 1; j < levelCount; ++j) levels.push_back(Decimate(levels.back(), 2));

  SalienceMap map;
  map.grid = grid;
  map.hopSeconds = signal.HopSeconds();
  const auto sampleCount = static_cast<std::int64_t>(signal.samples.size());
  map.frameCount = static_cast<std::int32_t>((sampleCount - 1) / signal.hopSamples + 1);
  map.values.assign(static_cast<std::size_t>(map.frameCount) * static_cast<std::size_t>(grid.count), 0.0f);

  map.spectrumStride = kSpectrumStride;
  map.levelCount = levelCount;
  map.binCount = fftSize / 2 + 1;
  map.topRate = signal.sampleRate;
  map.windowSamples = windowSamples;
  map.fftSize = fftSize;
  const std::int32_t sampledFrames = (map.frameCount + kSpectrumStride - 1) / kSpectrumStride;
  map.sampledSpectra.resize(static_cast<std::size_t>(sampledFrames) * static_cast<std::size_t>(levelCount) *
                            static_cast<std::size_t>(map.binCount));

  const std::vector<double> window = HannWindow(windowSamples);
  const std::int32_t halfWindow = windowSamples / 2;
  const auto bins = static_cast<std::size_t>(fftSize / 2 + 1);
  RealFft fft(fftSize);
  std::vector<std::vector<double>> relative(static_cast<std::size_t>(levelCount), std::vector<double>(bins));
  std::vector<std::vector<double>> compressed(static_cast<std::size_t>(levelCount), std::vector<double>(bins));

  for (std::int32_t f = 0; f < map.frameCount; ++f) {
    for (std::int32_t j = 0; j < levelCount; ++j) {
      const std::vector<double>& level = levels[static_cast<std::size_t>(j)];
      const auto centre = static_cast<std::int64_t>(
          std::llround(std::ldexp(static_cast<double>(f) * signal.hopSamples, -j)));
      const std::span<double> input = fft.Input();
      std::fill(input.begin(), input.end(), 0.0);
      for (std::int32_t n = 0; n < windowSamples; ++n) {
        const std::int64_t at = centre - halfWindow + n;
        if (at >= 0 && at < static_cast<std::int64_t>(level.size()))
          input[static_cast<std::size_t>(n)] = window[static_cast<std::size_t>(n)] * level[static_cast<std::size_t>(at)];
      }
      fft.Execute();
      const std::vector<double>& levelSpectrum = compressed[static_cast<std::size_t>(j)];
      CompressSpectrum(fft.Output(), relative[static_cast<std::size_t>(j)],
                       f % kSpectrumStride == 0 ? &compressed[static_cast<std::size_t>(j)] : nullptr);
      if (f % kSpectrumStride == 0) {
        const std::size_t start = (static_cast<std::size_t>(f / kSpectrumStride) * static_cast<std::size_t>(levelCount) +
                                   static_cast<std::size_t>(j)) *
                                  bins;
        std::copy(levelSpectrum.begin(), levelSpectrum.end(), map.sampledSpectra.begin() + static_cast<std::ptrdiff_t>(start));
      }
    }
    float* row = map.values.data() + static_cast<std::size_t>(f) * static_cast<std::size_t>(grid.count);
    for (std::int32_t i = 0; i < grid.count; ++i) {
      const std::vector<double>& spectrum = relative[static_cast<std::size_t>(table.level[static_cast<std::size_t>(i)])];
      double sum = 0.0;
      double strongest = 0.0;
      const double gain = table.lineGain[static_cast<std::size_t>(i)];
      for (std::int32_t e = table.firstEntry[static_cast<std::size_t>(i)]; e < table.firstEntry[static_cast<std::size_t>(i) + 1]; ++e) {
        const auto entry = static_cast<std::size_t>(e);
        const double component = Interpolate(spectrum, table.bin[entry], table.binFraction[entry]);
        strongest = std::max(strongest, component);
        sum += table.weight[entry] * Contrast(gain * (component - Interpolate(spectrum, table.gapBin[entry], table.gapFraction[entry])), logs);
      }
      const std::int32_t firing = table.firingEntry[static_cast<std::size_t>(i)];
      if (firing >= 0) {
        const auto entry = static_cast<std::size_t>(firing);
        const double own = Interpolate(spectrum, table.bin[entry], table.binFraction[entry]);
        sum -= kWeakFiringPenalty * (FastLog1p(strongest, logs) - FastLog1p(own, logs));
      }
      const double weightSum = table.weightSum[static_cast<std::size_t>(i)];
      row[i] = weightSum > 0.0 ? static_cast<float>(sum / weightSum) : 0.0f;
    }
  }
  return map;
}

}  // namespace ruvo
