#include "plot/chart_ticks.h"

#include <algorithm>
#include <cmath>

namespace ruvo {
namespace {

// More ticks than any axis has room for: the end of a walk whose step the values swallow.
constexpr std::size_t kMostTicks = 1000;

// The power of ten at or below rough, the unit a 1-2-5 step is counted in.
double StepPower(double rough) {
  return std::pow(10.0, std::floor(std::log10(rough)));
}

}  // namespace

double TickStep(double span, double intervals) {
  if (!(span > 0.0) || !std::isfinite(span)) return 1.0;
  const double rough = span / std::max(1.0, intervals);
  const double power = StepPower(rough);
  for (const double multiple : {1.0, 2.0, 5.0})
    if (rough <= multiple * power) return multiple * power;
  return 10.0 * power;
}

int StepDecimals(double step) {
  // The epsilon keeps a power of ten that pow() left a hair below its exact value at its decimals.
  return std::max(0, -static_cast<int>(std::floor(std::log10(step) + 1e-9)));
}

std::optional<AxisFit> FitAxisRange(double low, double high, double intervals, bool endsOnTicks) {
  if (!(high > low) || !std::isfinite(high - low)) return std::nullopt;
  const double step = TickStep(high - low, intervals);
  const double end = endsOnTicks ? step : StepPower((high - low) / std::max(1.0, intervals));
  return AxisFit{std::floor(low / end) * end, std::ceil(high / end) * end, step, StepDecimals(step)};
}

std::vector<double> TicksBetween(double low, double high, double step) {
  std::vector<double> ticks;
  if (!(step > 0.0) || !std::isfinite(low) || !std::isfinite(high)) return ticks;
  for (double value = std::ceil(low / step) * step; value <= high + step * 1e-9 && ticks.size() < kMostTicks;
       value += step) {
    if (!ticks.empty() && value == ticks.back()) break;  // the step is below the values' resolution
    ticks.push_back(value);
  }
  return ticks;
}

double IntervalsFor(double lengthPixels, double pixelsPerInterval, double least, double most) {
  return std::clamp(std::floor(lengthPixels / pixelsPerInterval), least, most);
}

}  // namespace ruvo
