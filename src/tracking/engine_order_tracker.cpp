// Engine speed from engine sound: a harmonic-sum salience over log-spaced candidate speeds
// (harmonic_salience), the most likely speed path through it (speed_path), the octave check
// against simple ratios of that path (octave_check), and revolutions from the phases of the
// strongest engine orders followed along the path (order_phase).
//
// Revolutions come from the order's phase, not from integrating the salience peak. Measured on the
// test pulls (8-12 s, 4 kinds of engine, noise 10 dB under the firing order): the salience peak,
// interpolated between candidates, is off by up to 1.7% in speed (0.6% once averaged over 0.2 s)
// and its integral by up to 0.22 revolutions; the phase gives the speed within 0.03% and the
// revolutions within 0.025 of the true integral.
#include "tracking/engine_order_tracker.h"

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "core/text_format.h"
#include "core/units.h"
#include "tracking/harmonic_salience.h"
#include "tracking/octave_check.h"
#include "tracking/order_phase.h"
#include "tracking/real_fft.h"
#include "tracking/speed_path.h"

namespace ruvo {
namespace {

constexpr double kMinSampleRate = 2000.0;  // samples per second
constexpr double kMaxSampleRate = 768000.0;
constexpr std::int32_t kMaxCylinders = 16;
constexpr double kMinBandRpm = 100.0;
constexpr double kMaxBandRpm = 20000.0;
constexpr double kMinSeconds = 1.0;    // shorter recordings hold too few revolutions at idle
constexpr double kMaxSeconds = 600.0;  // bounds the salience map's memory (about 20 MB a minute)
constexpr double kGridStepRatio = 1.005;  // candidate spacing, 0.5%; the peak is refined between them
// The grid reaches beyond the band by this factor both ways so every ratio of a path is scored.
constexpr double kGridReach = 2.1;
constexpr double kMaxRiseRpmPerSecond = 5000.0;   // a light engine in a low gear
constexpr double kMaxFallRpmPerSecond = 10000.0;  // lift-off or a gear change
constexpr double kStepPenalty = 0.01;             // salience per grid step moved up between frames
constexpr double kFallPenalty = 0.1;              // and down: see PathLimits::fallPenalty
constexpr double kMinConfidentShare = 0.5;        // an engine is heard in at least half the frames
constexpr std::int32_t kSpeedHalfSpan = 5;        // frames either side in the speed's slope fit
constexpr std::int32_t kReferenceHalfSpan = 5;    // frames either side smoothing the salience peak
constexpr std::size_t kPhaseOrders = 5;           // orders whose phases give the revolutions
constexpr double kOrderAgreement = 0.002;         // an order this far off the orders' median speed weighs half
constexpr double kCorridorRatio = 1.04;           // a re-track stays within 4% of the asked ratio
constexpr double kStartTolerance = 0.25;          // the first frame within 25% of the expected start
// A path salience this many median deviations of the frame's salience above its median counts as
// clear even where a ratio of it or the background is nearly as strong; twice this is certain.
constexpr double kClearSpreads = 6.0;

EngineTrack Failure(std::string reason) {
  EngineTrack track;
  track.failure = std::move(reason);
  return track;
}

bool IsFiniteSample(float sample) { return std::isfinite(sample); }

// The reason the input cannot be tracked, or an empty text.
std::string InputProblem(std::span<const float> samples, double sampleRate, const EngineOrderSettings& settings) {
  if (!(sampleRate >= kMinSampleRate && sampleRate <= kMaxSampleRate))
    return FormatText("the sample rate %g is outside %.0f-%.0f samples per second", sampleRate, kMinSampleRate,
                      kMaxSampleRate);
  if (settings.cylinders < 1 || settings.cylinders > kMaxCylinders)
    return FormatText("the engine must have 1 to %d cylinders, not %d", kMaxCylinders, settings.cylinders);
  if (settings.strokes != 2 && settings.strokes != 4)
    return FormatText("the engine must be a 2-stroke or a 4-stroke, not %d strokes", settings.strokes);
  if (!(settings.lowRpm >= kMinBandRpm && settings.lowRpm < settings.highRpm && settings.highRpm <= kMaxBandRpm))
    return FormatText("the speed band %g-%g rpm must satisfy %.0f <= low < high <= %.0f", settings.lowRpm,
                      settings.highRpm, kMinBandRpm, kMaxBandRpm);
  const double firingOrder = settings.strokes == 4 ? 0.5 * settings.cylinders : settings.cylinders;
  const double firingHz = settings.highRpm / kSecondsPerMinute * firingOrder;
  if (firingHz >= 0.5 * sampleRate)
    return FormatText("the firing frequency at %.0f rpm (%.0f Hz) is above half the sample rate (%.0f Hz)",
                      settings.highRpm, firingHz, 0.5 * sampleRate);
  if (!(settings.expectedStartRpm >= 0.0 && settings.expectedEndRpm >= 0.0) ||
      !std::isfinite(settings.expectedStartRpm) || !std::isfinite(settings.expectedEndRpm))
    return "the expected start and end speeds must be 0 (unknown) or positive";
  if (samples.empty()) return "the recording is empty";
  const auto bad = std::find_if_not(samples.begin(), samples.end(), IsFiniteSample);
  if (bad != samples.end())
    return FormatText("sample %lld of the recording is not a finite number",
                      static_cast<long long>(bad - samples.begin()));
  const double seconds = static_cast<double>(samples.size()) / sampleRate;
  if (seconds < kMinSeconds) return FormatText("the recording lasts %.2f s; at least %.0f s is needed", seconds, kMinSeconds);
  if (seconds > kMaxSeconds)
    return FormatText("the recording lasts %.0f s; cut it to the pull (at most %.0f s)", seconds, kMaxSeconds);
  return {};
}

double Median(std::vector<double> values) {
  if (values.empty()) return 0.0;
  const auto middle = values.begin() + static_cast<std::ptrdiff_t>(values.size() / 2);
  std::nth_element(values.begin(), middle, values.end());
  return *middle;
}

// Everything the passes over one recording share.
struct TrackingContext {
  EngineOrderSettings settings;
  EngineComb comb;
  AnalysisSignal signal;
  SalienceMap salience;
  PathLimits limits;
  std::vector<double> baseline;  // per frame, the median salience of the band
  std::vector<double> spread;    // per frame, the median distance from it
  std::vector<double> ratios;    // of the path weighed by the octave check, not by the confidence
};

// The peak between the path's candidate and its neighbours (parabolic interpolation).
double RefinedIndex(const SalienceMap& map, std::int32_t frame, std::int32_t index, const PathLimits& limits) {
  if (index <= limits.firstIndex || index >= limits.lastIndex) return index;
  const std::span<const float> row = map.Frame(frame);
  const double left = row[static_cast<std::size_t>(index - 1)];
  const double centre = row[static_cast<std::size_t>(index)];
  const double right = row[static_cast<std::size_t>(index + 1)];
  const double curvature = left - 2.0 * centre + right;
  if (curvature >= 0.0) return index;
  return index + std::clamp(0.5 * (left - right) / curvature, -0.5, 0.5);
}

// The chosen speed's salience against the best unrelated candidate, both above the band's median:
// 1 when nothing else stands out, 0 when something else is as strong. The hills (the slopes that
// fall away on either side) of the chosen speed and of its simple ratios are not alternatives: the
// ratios are the octave check's to weigh, and a harmonic sound always lifts them.
double FrameConfidence(const TrackingContext& context, std::int32_t frame, std::int32_t index) {
  const std::span<const float> row = context.salience.Frame(frame);
  const std::int32_t first = context.limits.firstIndex;
  const std::int32_t last = context.limits.lastIndex;
  auto value = [&](std::int32_t i) { return row[static_cast<std::size_t>(i)]; };
  std::vector<std::uint8_t> related(static_cast<std::size_t>(last - first + 1), 0);
  // Small ripples on a hill's slopes (noise, the step between octave levels) do not end it: it
  // ends where the salience rises more than a spread above the lowest point passed.
  const double ripple = context.spread[static_cast<std::size_t>(frame)];
  auto markHill = [&](std::int32_t centre, std::int32_t reach) {
    const std::int32_t from = std::max(first, centre - reach);
    const std::int32_t to = std::min(last, centre + reach);
    if (from > to) return;
    std::int32_t top = from;
    for (std::int32_t i = from; i <= to; ++i)
      if (value(i) > value(top)) top = i;
    std::int32_t left = top;
    for (double lowest = value(top); left > first && value(left - 1) <= lowest + ripple; --left)
      lowest = std::min<double>(lowest, value(left - 1));
    std::int32_t right = top;
    for (double lowest = value(top); right < last && value(right + 1) <= lowest + ripple; ++right)
      lowest = std::min<double>(lowest, value(right + 1));
    std::fill(related.begin() + (left - first), related.begin() + (right - first + 1), 1);
  };
  markHill(index, 0);
  // A ratio's peak lies within a few percent of the exact ratio: its windows differ from the
  // chosen speed's, and the harmonics it reads are not all where the ratio puts them.
  const auto ratioReach = static_cast<std::int32_t>(std::lround(std::log(kCorridorRatio) / std::log(kGridStepRatio)));
  for (const double ratio : context.ratios)
    markHill(index + static_cast<std::int32_t>(std::lround(std::log(ratio) / std::log(kGridStepRatio))), ratioReach);
  const double baseline = context.baseline[static_cast<std::size_t>(frame)];
  double alternative = baseline;
  for (std::int32_t i = first; i <= last; ++i)
    if (related[static_cast<std::size_t>(i - first)] == 0) alternative = std::max<double>(alternative, value(i));
  const double excess = value(index) - baseline;
  if (!(excess > 0.0)) return 0.0;
  const double dominance = std::clamp(1.0 - (alternative - baseline) / excess, 0.0, 1.0);
  const double spread = context.spread[static_cast<std::size_t>(frame)];
  if (!(spread > 0.0)) return dominance;
  const double standing = std::clamp((excess / spread - kClearSpreads) / kClearSpreads, 0.0, 1.0);
  return std::max(dominance, standing);
}

struct OrderLevel {
  double order = 0.0;
  double level = 0.0;  // summed compressed level along the speeds
};

// The kPhaseOrders engine orders with the highest mean compressed level along the speeds,
// strongest first (the firing order alone when none is heard).
std::vector<OrderLevel> StrongestOrders(const TrackingContext& context, std::span<const double> revPerSecond) {
  const SalienceMap& map = context.salience;
  std::vector<OrderLevel> orders;
  const auto components = static_cast<std::int32_t>(std::lround(context.comb.topOrder / context.comb.baseOrder));
  for (std::int32_t m = 1; m <= components; ++m) {
    OrderLevel candidate{m * context.comb.baseOrder, 0.0};
    for (std::int32_t f = 0; f < map.frameCount; f += map.spectrumStride)
      candidate.level += map.ComponentLevel(f, revPerSecond[static_cast<std::size_t>(f)], candidate.order);
    if (candidate.level > 0.0) orders.push_back(candidate);
  }
  // Stable, so equal levels keep the lower order first.
  std::stable_sort(orders.begin(), orders.end(), [](const OrderLevel& a, const OrderLevel& b) { return a.level > b.level; });
  if (orders.size() > kPhaseOrders) orders.resize(kPhaseOrders);
  if (orders.empty()) orders.push_back({context.comb.firingOrder, 1.0});
  return orders;
}

// Revolutions from the phases of several orders. A resonance of the sound's path (a cabin's boom)
// delays the order crossing it by its group delay, which reads as a speed lagging by that delay
// times the engine's acceleration: up to 1 % through a pull. The orders cross it at different
// speeds, so each frame's step is the orders' steps weighted by level and by how close the order's
// speed comes to the median of the orders' speeds there: the lagging one drops out.
std::vector<double> RevolutionsFromOrders(const AnalysisSignal& signal,
                                          std::span<const double> referenceRevPerSecond,
                                          const std::vector<OrderLevel>& orders,
                                          double hopSeconds) {
  const std::size_t frameCount = referenceRevPerSecond.size();
  std::vector<std::vector<double>> revolutions;
  std::vector<std::vector<double>> speeds;
  for (const OrderLevel& order : orders) {
    revolutions.push_back(RevolutionsFromPhase(signal, referenceRevPerSecond, order.order));
    speeds.push_back(SpeedFromRevolutions(revolutions.back(), hopSeconds, kSpeedHalfSpan));
  }
  std::vector<double> combined(frameCount, 0.0);
  std::vector<double> frameSpeeds(orders.size());
  for (std::size_t f = 1; f < frameCount; ++f) {
    for (std::size_t k = 0; k < orders.size(); ++k) frameSpeeds[k] = speeds[k][f];
    const double median = Median(frameSpeeds);
    double step = 0.0;
    double weights = 0.0;
    for (std::size_t k = 0; k < orders.size(); ++k) {
      const double deviation = median > 0.0 ? (speeds[k][f] - median) / (kOrderAgreement * median) : 0.0;
      const double weight = orders[k].level / (1.0 + deviation * deviation);
      step += weight * (revolutions[k][f] - revolutions[k][f - 1]);
      weights += weight;
    }
    combined[f] = combined[f - 1] + step / weights;
  }
  return combined;
}

struct PathTrack {
  std::vector<TrackFrame> frames;
  std::vector<double> pathIndex;  // refined, per frame
  std::vector<std::uint8_t> confident;
};

PathTrack TrackAlongPath(const TrackingContext& context, const std::vector<std::int32_t>& path) {
  const SalienceMap& map = context.salience;
  const auto frameCount = static_cast<std::size_t>(map.frameCount);
  PathTrack result;
  std::vector<double> peakSpeed(frameCount);
  for (std::size_t f = 0; f < frameCount; ++f) {
    result.pathIndex.push_back(RefinedIndex(map, static_cast<std::int32_t>(f), path[f], context.limits));
    peakSpeed[f] = map.grid.RevPerSecond(result.pathIndex.back());
  }
  // A steadier reference for the phase: the refined peak averaged over a few frames.
  std::vector<double> reference(frameCount);
  for (std::size_t f = 0; f < frameCount; ++f) {
    const std::size_t first = f >= kReferenceHalfSpan ? f - kReferenceHalfSpan : 0;
    const std::size_t last = std::min(frameCount - 1, f + kReferenceHalfSpan);
    double sum = 0.0;
    for (std::size_t g = first; g <= last; ++g) sum += peakSpeed[g];
    reference[f] = sum / static_cast<double>(last - first + 1);
  }
  const std::vector<OrderLevel> orders = StrongestOrders(context, reference);
  // Twice: the second pass follows the phase's own speed, so its window nulls neighbours better.
  std::vector<double> revolutions = RevolutionsFromPhase(context.signal, reference, orders.front().order);
  std::vector<double> speed = SpeedFromRevolutions(revolutions, map.hopSeconds, kSpeedHalfSpan);
  for (std::size_t f = 0; f < frameCount; ++f)
    if (!(speed[f] > 0.0)) speed[f] = reference[f];
  revolutions = RevolutionsFromOrders(context.signal, speed, orders, map.hopSeconds);
  speed = SpeedFromRevolutions(revolutions, map.hopSeconds, kSpeedHalfSpan);

  for (std::size_t f = 0; f < frameCount; ++f) {
    TrackFrame frame;
    frame.timeSeconds = static_cast<double>(f) * map.hopSeconds;
    frame.rpm = std::clamp(speed[f] * kSecondsPerMinute, context.settings.lowRpm, context.settings.highRpm);
    frame.revolutions = revolutions[f];
    frame.confidence = FrameConfidence(context, static_cast<std::int32_t>(f), path[f]);
    result.confident.push_back(frame.confidence >= kLowConfidence ? 1 : 0);
    result.frames.push_back(frame);
  }
  return result;
}

OctaveDecision CheckPath(const TrackingContext& context, const PathTrack& track) {
  OctaveEvidence evidence;
  evidence.salience = &context.salience;
  evidence.pathIndex = track.pathIndex;
  evidence.baseline = context.baseline;
  evidence.confident = track.confident;
  evidence.ratios = context.ratios;
  evidence.lowRpm = context.settings.lowRpm;
  evidence.highRpm = context.settings.highRpm;
  evidence.expectedStartRpm = context.settings.expectedStartRpm;
  evidence.expectedEndRpm = context.settings.expectedEndRpm;
  return CheckOctaves(evidence);
}

}  // namespace

EngineTrack TrackEngineOrder(std::span<const float> samples, double sampleRate, const EngineOrderSettings& settings) {
  const std::string problem = InputProblem(samples, sampleRate, settings);
  if (!problem.empty()) return Failure(problem);
  std::string missingFft;
  if (!FftAvailable(missingFft)) return Failure("tracking engine sound needs FFTW (" + missingFft + "); install it");
  double peak = 0.0;
  for (const float sample : samples) peak = std::max(peak, std::abs(static_cast<double>(sample)));
  if (peak == 0.0) return Failure("the recording is silent");

  TrackingContext context;
  context.settings = settings;
  context.comb = CombForEngine(settings.cylinders, settings.strokes);
  context.ratios = RatiosFor(context.comb);
  SpeedGrid grid;
  grid.firstRevPerSecond = settings.lowRpm / kSecondsPerMinute / kGridReach;
  grid.stepRatio = kGridStepRatio;
  grid.count = static_cast<std::int32_t>(std::ceil(std::log(kGridReach * kGridReach * settings.highRpm / settings.lowRpm) /
                                                   std::log(kGridStepRatio))) + 1;
  // Any scale in, peak 1 inside, so the analysis's silence threshold means the same everywhere.
  context.signal = PrepareAnalysisSignal(samples, 1.0 / peak, sampleRate, context.comb, grid);
  context.salience = ComputeSalience(context.signal, context.comb, grid);
  const SalienceMap& map = context.salience;

  context.limits.firstIndex = static_cast<std::int32_t>(std::ceil(grid.IndexOf(settings.lowRpm / kSecondsPerMinute)));
  context.limits.lastIndex = static_cast<std::int32_t>(std::floor(grid.IndexOf(settings.highRpm / kSecondsPerMinute)));
  context.limits.maxRiseRpmPerSecond = kMaxRiseRpmPerSecond;
  context.limits.maxFallRpmPerSecond = kMaxFallRpmPerSecond;
  context.limits.stepPenalty = kStepPenalty;
  context.limits.fallPenalty = kFallPenalty;
  if (settings.expectedStartRpm > 0.0) {
    // A recording starts at or near the expected start speed: a harmonic of the idle may be
    // louder there than the idle itself, and the path could ride it into the pull.
    context.limits.startFirstIndex = static_cast<std::int32_t>(
        std::ceil(grid.IndexOf(settings.expectedStartRpm * (1.0 - kStartTolerance) / kSecondsPerMinute)));
    context.limits.startLastIndex = static_cast<std::int32_t>(
        std::floor(grid.IndexOf(settings.expectedStartRpm * (1.0 + kStartTolerance) / kSecondsPerMinute)));
  }
  for (std::int32_t f = 0; f < map.frameCount; ++f) {
    const std::span<const float> row = map.Frame(f);
    std::vector<double> band(row.begin() + context.limits.firstIndex, row.begin() + context.limits.lastIndex + 1);
    const double median = Median(band);
    for (double& value : band) value = std::abs(value - median);
    context.baseline.push_back(median);
    context.spread.push_back(Median(std::move(band)));
  }

  std::vector<std::int32_t> path = FindSpeedPath(map, context.limits);
  if (path.empty() && context.limits.startLastIndex >= context.limits.startFirstIndex) {
    // No path can begin near the expected start (it lies outside the band): start anywhere.
    context.limits.startFirstIndex = 0;
    context.limits.startLastIndex = -1;
    path = FindSpeedPath(map, context.limits);
  }
  if (path.empty())
    return Failure(FormatText("no engine speed can be followed in %.0f-%.0f rpm", settings.lowRpm, settings.highRpm));
  PathTrack track = TrackAlongPath(context, path);
  const auto confidentFrames = std::count(track.confident.begin(), track.confident.end(), 1);
  const double confidentShare = static_cast<double>(confidentFrames) / static_cast<double>(track.confident.size());
  if (confidentShare < kMinConfidentShare)
    return Failure(FormatText("no engine speed stands out in %.0f-%.0f rpm: the firing order is clear in only %.0f%% "
                              "of the recording (silence, noise, speech, music or wind?)",
                              settings.lowRpm, settings.highRpm, 100.0 * confidentShare));

  OctaveDecision decision = CheckPath(context, track);
  const bool startWindow = context.limits.startLastIndex >= context.limits.startFirstIndex;
  if (!decision.check.passed && startWindow) {
    // Held at the expected start, the path may climb onto a multiple of the engine's speed and
    // follow it for the rest of the pull, and no single ratio of it is right. The unheld path
    // keeps to one ratio of the speed, which the expected speeds can then put right.
    PathLimits unheld = context.limits;
    unheld.startFirstIndex = 0;
    unheld.startLastIndex = -1;
    track = TrackAlongPath(context, FindSpeedPath(map, unheld));
    decision = CheckPath(context, track);
  }
  if (decision.retrackRatio != 1.0 && decision.retrackRatio != 0.0) {
    // The expected speeds point to a multiple of the strongest path: follow that one instead.
    const double shift = std::log(decision.retrackRatio) / std::log(kGridStepRatio);
    PathLimits corridor = context.limits;
    for (const double index : track.pathIndex) corridor.corridor.push_back(index + shift);
    corridor.corridorSteps = std::log(kCorridorRatio) / std::log(kGridStepRatio);
    // The corridor holds the start already.
    corridor.startFirstIndex = 0;
    corridor.startLastIndex = -1;
    path = FindSpeedPath(map, corridor);
    if (path.empty())
      return Failure(decision.check.verdict + FormatText(", but that speed leaves the band %.0f-%.0f rpm",
                                                         settings.lowRpm, settings.highRpm));
    track = TrackAlongPath(context, path);
    decision = CheckPath(context, track);
  }
  EngineTrack result;
  result.hopSeconds = map.hopSeconds;
  result.frames = std::move(track.frames);
  result.octave = std::move(decision.check);
  result.ok = result.octave.passed;
  if (!result.ok) result.failure = "the octave check failed: " + result.octave.verdict;
  return result;
}

}  // namespace ruvo
