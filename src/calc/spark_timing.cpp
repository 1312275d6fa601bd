#include "calc/spark_timing.h"

#include <algorithm>
#include <cmath>

#include "core/text_format.h"

namespace ruvo {
namespace {

constexpr double kMaxRevsPerIgnition = 1.99;  // above this a cycle holds a single pulse
constexpr double kCycleRevolutions = 2.01;    // two revolutions, with room for rounding
constexpr double kCycleDegrees = 720.0;       // crank degrees in one cycle

}  // namespace

void AnalyzeSparkTiming(double revsPerIgnition,
                        std::span<const double> times,
                        std::span<const double> revolutions,
                        std::span<const double> angularAcceleration,
                        SparkTiming& timing,
                        CalculationLog& log) {
  timing.sparkFractions.fill(0.0);
  timing.sparkDegreeErrors.fill(0.0);
  // The negated test also skips NaN.
  if (!(revsPerIgnition <= kMaxRevsPerIgnition) || !(revsPerIgnition > kCycleRevolutions / (SparkTiming::kSlots + 1)))
    return;
  const int n = static_cast<int>(kCycleRevolutions / revsPerIgnition);  // pulses per cycle, 2 to 12
  const std::size_t count = std::min({times.size(), revolutions.size(), angularAcceleration.size()});
  const auto perCycle = static_cast<std::size_t>(n);
  if (count == 0) return;
  const std::size_t cycles = (count - 1) / perCycle;
  if (cycles < 1) return;

  for (std::size_t j = 0; j + perCycle < count; j += perCycle) {
    const double dt = times[j + perCycle] - times[j];
    const double q = dt * dt * (angularAcceleration[j + perCycle] + angularAcceleration[j]) /
                     ((revolutions[j + perCycle] - revolutions[j]) * 4.0);
    for (std::size_t p = 0; p + 1 < perCycle; ++p) {
      const double phi = (times[j + p + 1] - times[j]) / dt;
      timing.sparkFractions[p] += phi - (1 - phi) * phi * q;
    }
  }
  for (std::size_t p = 0; p + 1 < perCycle; ++p) timing.sparkFractions[p] /= static_cast<double>(cycles);
  timing.sparkFractions[perCycle - 1] = 1.0;
  for (std::size_t p = perCycle - 1; p >= 1; --p) timing.sparkFractions[p] -= timing.sparkFractions[p - 1];

  timing.sparkFractionsLine = "# Spark (fractions):";
  timing.sparkErrorLine = "# Spark (deg error):";
  for (std::size_t p = 0; p < perCycle; ++p) {
    timing.sparkDegreeErrors[p] = (timing.sparkFractions[p] - 1.0 / n) * kCycleDegrees;
    timing.sparkFractionsLine += FormatText("%7.4f", timing.sparkFractions[p]);
    timing.sparkErrorLine += FormatText("%7.2f", timing.sparkDegreeErrors[p]);
  }
  timing.sparkFractionsLine += "\n";
  timing.sparkErrorLine += "\n";
  log.Write(timing.sparkFractionsLine);
  log.Write(timing.sparkErrorLine);
}

}  // namespace ruvo
