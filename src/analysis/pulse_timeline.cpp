#include "analysis/pulse_timeline.h"

#include <algorithm>

#include "core/text_format.h"
#include "core/units.h"
#include "fitting/local_smoothing_model.h"

namespace ruvo {
namespace {

constexpr std::int32_t kStartReference = 1;  // timeReference: a pulse's first sample
constexpr std::int32_t kPeakReference = 2;   // timeReference: a pulse's largest deviation
constexpr std::int32_t kSmoothingOrder = 1;  // ignored by the local smoothing model

}  // namespace

void ComputePulseTimes(std::span<const std::int32_t> starts,
                       std::span<const std::int32_t> ends,
                       std::span<const std::int32_t> peakPositions,
                       std::int32_t sampleRate,
                       std::int32_t timeReference,
                       std::span<double> times) {
  const double inverse = 1.0 / sampleRate;
  for (std::size_t i = 0; i < times.size(); ++i) {
    if (timeReference == kStartReference)
      times[i] = starts[i] * inverse;
    else if (timeReference == kPeakReference)
      times[i] = peakPositions[i] * inverse;
    else
      times[i] = (starts[i] + ends[i]) * (inverse * 0.5);
  }
}

std::vector<double> SmoothedRpm(std::span<const double> times,
                                std::span<const double> revolutions,
                                std::int32_t trimLevel) {
  LocalSmoothingModel model(times, revolutions, trimLevel, kSmoothingOrder);
  std::vector<double> rpm(times.size());
  if (!model.Fit()) return rpm;  // fewer than 2 times: no interval to measure
  for (std::size_t p = 1; p < times.size(); ++p) rpm[p] = model.Derivative(times[p]) * kSecondsPerMinute;
  return rpm;
}

TimelineRange RunUpRange(std::span<const double> rpm,
                         std::int32_t initialRpm,
                         std::int32_t finalRpm,
                         double riseTolerance) {
  const auto n = static_cast<std::int32_t>(rpm.size());
  if (n < 2) return {0, n};
  const double tolerance = (static_cast<double>(finalRpm) - initialRpm) * riseTolerance;
  const auto at = [&rpm](std::int32_t p) { return rpm[static_cast<std::size_t>(p)]; };

  std::int32_t p = 1;
  while (p < n && at(p) <= initialRpm) ++p;
  const std::int32_t firstIndex = p - 1;
  double peak = at(std::min(p, n - 1));  // the last speed the search above looked at
  std::int32_t lastIndex = firstIndex;
  for (p = firstIndex + 1; p < n; ++p) {
    const double r = at(p);
    if (r > peak) lastIndex = p;
    peak = std::max(peak, r);
    if (!(r + tolerance >= peak && r + tolerance <= finalRpm)) break;
  }
  return {firstIndex, lastIndex - firstIndex + 1};
}

std::string FinalDerivativesText(std::span<const double> times,
                                 std::span<const double> revolutions,
                                 TimelineRange range,
                                 std::span<const double> revFit,
                                 std::span<const double> rpmFit,
                                 std::span<const double> accelFit) {
  std::string text =
      "#Final Derivatives:\n"
      "Variables =\n  \"Time\"   \"Revs\" \"RevFit\" \"RevDif\" \"RPM\"  \"RPMFit\" \"RPMDif\" \"d2RdtFit\"\n";
  const std::size_t total = std::min(times.size(), revolutions.size());
  const auto first = std::min(static_cast<std::size_t>(std::max(range.firstIndex, 0)), total);
  const std::size_t n = std::min(static_cast<std::size_t>(std::max(range.count, 0)), total - first);
  const std::size_t rows = std::min({n, revFit.size(), rpmFit.size(), accelFit.size()});
  const auto slope = [&](std::size_t from, std::size_t to) {
    return (revolutions[to] - revolutions[from]) / (times[to] - times[from]) * kSecondsPerMinute;
  };
  for (std::size_t i = 0; i < rows; ++i) {
    const std::size_t g = first + i;
    double rpm = 0.0;
    if (i > 0 && i + 1 < n)
      rpm = slope(g - 1, g + 1);
    else if (i == 0 && g + 1 < total)
      rpm = slope(g, g + 1);
    else if (g > 0)
      rpm = slope(g - 1, g);
    else
      continue;  // a lone pulse has no neighbour to measure a speed from
    AppendText<"%7.3f %8.3f %8.3f %8.5f %7.1f %8.1f %9.3f %10.5f\n">(text, times[g], revolutions[g], revFit[i],
                                                                     revolutions[g] - revFit[i], rpm, rpmFit[i],
                                                                     rpm - rpmFit[i], accelFit[i]);
  }
  return text;
}

}  // namespace ruvo
