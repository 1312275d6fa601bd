// Any samples and settings give a track that keeps its promises, or one line saying why not.
#include <cmath>
#include <cstdint>
#include <cstring>
#include <numbers>
#include <span>
#include <vector>

#include "fuzz_support.h"
#include "tracking/engine_order_tracker.h"

namespace {

constexpr std::size_t kHeaderBytes = 10;
constexpr double kRates[] = {2000.0, 4000.0, 8000.0, 11025.0, 1000.0};  // the last is refused
constexpr std::int32_t kStrokes[] = {2, 4, 3};                          // 3 is refused
constexpr double kMaxSeconds = 3.0;                                     // short inputs keep every run fast

std::uint16_t Word(const std::uint8_t* bytes) {
  return static_cast<std::uint16_t>(bytes[0] | bytes[1] << 8);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < kHeaderBytes) return 0;
  ruvo::EngineOrderSettings settings;
  settings.cylinders = data[1] % 18;  // 0 and 17 are refused
  settings.strokes = kStrokes[data[2] % std::size(kStrokes)];
  settings.lowRpm = 50.0 + Word(data + 3) % 12000;
  settings.highRpm = settings.lowRpm + 100.0 + Word(data + 5) % 12000;
  settings.expectedStartRpm = 40.0 * (data[7] % 128);
  settings.expectedEndRpm = 40.0 * data[8];
  const double rate = kRates[data[9] % std::size(kRates)];
  const std::span<const std::uint8_t> rest(data + kHeaderBytes, size - kHeaderBytes);

  // Raw 16-bit samples, or (odd first byte) an engine-like sweep with the raw bytes as noise, so
  // the tracker's successful path is explored too.
  std::vector<float> samples;
  if (data[0] % 2 == 0) {
    for (std::size_t n = 0; n + 1 < rest.size() && static_cast<double>(samples.size()) < kMaxSeconds * rate; n += 2)
      samples.push_back(static_cast<float>(static_cast<std::int16_t>(Word(rest.data() + n))));
  } else {
    samples.resize(static_cast<std::size_t>(rate * (1.0 + data[0] / 2 % 3)));
    const double fromRpm = 600.0 + 30.0 * (data[7] % 128);
    const double toRpm = 600.0 + 30.0 * data[8];
    const double seconds = static_cast<double>(samples.size()) / rate;
    for (std::size_t n = 0; n < samples.size(); ++n) {
      const double t = static_cast<double>(n) / rate;
      const double revolutions = (fromRpm * t + 0.5 * (toRpm - fromRpm) / seconds * t * t) / 60.0;
      double value = rest.empty() ? 0.0 : (rest[n % rest.size()] - 128.0) / 256.0;
      for (std::int32_t m = 1; m <= 12; ++m)
        value += (m % 4 == 0 ? 1.0 : 0.3) * std::sin(std::numbers::pi * m * revolutions);
      samples[n] = static_cast<float>(value);
    }
  }

  const ruvo::EngineTrack track = ruvo::TrackEngineOrder(samples, rate, settings);
  if (!track.ok) {
    ruvo::fuzz::Require(!track.failure.empty() && track.failure.find('\n') == std::string::npos,
                        "a refusal says why in one line");
    return 0;
  }
  ruvo::fuzz::Require(!track.frames.empty() && track.hopSeconds > 0.0, "a track has frames");
  ruvo::fuzz::Require(track.octave.passed && !track.octave.verdict.empty(), "a track passed the octave check");
  for (std::size_t f = 0; f < track.frames.size(); ++f) {
    const ruvo::TrackFrame& frame = track.frames[f];
    ruvo::fuzz::Require(frame.rpm >= settings.lowRpm && frame.rpm <= settings.highRpm, "speed within the band");
    ruvo::fuzz::Require(frame.confidence >= 0.0 && frame.confidence <= 1.0, "confidence within 0..1");
    ruvo::fuzz::Require(std::isfinite(frame.revolutions), "revolutions finite");
    if (f > 0) {
      ruvo::fuzz::Require(frame.revolutions >= track.frames[f - 1].revolutions, "revolutions never decrease");
      ruvo::fuzz::Require(frame.timeSeconds > track.frames[f - 1].timeSeconds, "frames in time order");
    }
  }
  return 0;
}
