#include "fitting/exp_fit_model.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "core/calculation_log.h"
#include "core/text_format.h"
#include "fitting/lsq_minimizer.h"
#include "fitting/vector_index.h"

namespace ruvo {
namespace {

constexpr std::int32_t kMinParams = 6;
constexpr std::int32_t kExtraTermsOffset = 5;  // P = level + 5, between kMinParams and kMaxParams
constexpr std::int32_t kFirstPolynomialTerm = 5;
constexpr std::int32_t kJunction = 4;  // p4, the junction time
constexpr std::int32_t kRate = 3;      // p3, the exponential rate
constexpr std::int32_t kSlope = 1;     // p1, the limiting speed
constexpr std::int32_t kMinEstimateSamples = 7;
constexpr std::int32_t kBlock = 3;  // samples on each side of the block speed
constexpr double kStageTolerance = 0.005;
constexpr std::int32_t kStageIterations = 20;
constexpr double kMaxSlopeChange = 0.2;  // stage 4 may move p1 by at most 20 %

bool AllFinite(const std::array<double, ExpFitModel::kMaxParams>& values) {
  return std::all_of(values.begin(), values.end(), [](double v) { return std::isfinite(v); });
}

// The polynomial correction and its first two derivatives at t, for t < p4 (zero otherwise):
// sum p_i d^(i-1), sum (i-1) p_i d^(i-2), sum (i-1)(i-2) p_i d^(i-3), i = 5..count-1, d = t - p4.
// When gradient is given, gradient[i] = d^(i-1) for i >= 5.
struct Correction {
  double value = 0.0;
  double first = 0.0;
  double second = 0.0;
};
Correction PolynomialCorrection(double at, const double* params, std::int32_t count, double* gradient) {
  Correction sum;
  const double d = at - params[kJunction];
  double power = d * d;  // d^(i-3)
  for (std::int32_t i = kFirstPolynomialTerm; i < count; ++i) {
    const double p = params[i];
    const double term = power * d * d;
    if (gradient != nullptr) gradient[i] = term;
    sum.value += p * term;
    sum.first += (i - 1) * p * power * d;
    sum.second += (i - 1) * (i - 2) * p * power;
    power *= d;
  }
  return sum;
}

// Whether the model with these parameters is finite at every abscissa (e^(p3 t) may overflow).
bool CurveIsFinite(std::span<const double> x,
                   const std::array<double, ExpFitModel::kMaxParams>& params,
                   std::int32_t paramCount) {
  std::array<double, ExpFitModel::kMaxParams> gradient{};
  return std::all_of(x.begin(), x.end(), [&](double at) {
    return std::isfinite(ExpFitFunction(at, gradient.data(), params.data(), paramCount));
  });
}

}  // namespace

double ExpFitFunction(double at, double* gradient, const double* params, std::int32_t paramCount) {
  const double e = std::exp(params[kRate] * at);
  gradient[0] = 1.0;
  gradient[1] = at;
  gradient[2] = e;
  gradient[3] = at * params[2] * e;
  double value = params[0] + params[1] * at + params[2] * e;
  if (paramCount <= kJunction) return value;
  if (at >= params[kJunction]) {
    std::fill(gradient + kJunction, gradient + paramCount, 0.0);
    return value;
  }
  const Correction correction = PolynomialCorrection(at, params, paramCount, gradient);
  gradient[kJunction] = -correction.first;
  return value + correction.value;
}

// The second derivative of y at four late samples, with y'' = p2 p3^2 e^(p3 t), gives p3 from the
// ratio of two of them and p2 from either; p0 and p1 then follow from the line through the first and
// last of the four with the exponential removed.
void EstimateExpFit(std::span<const double> x,
                    std::span<const double> y,
                    std::array<double, ExpFitModel::kMaxParams>& params) {
  const auto n = static_cast<std::int64_t>(std::min(x.size(), y.size()));
  if (n < kMinEstimateSamples) return;
  std::array<double, 4> t{};
  std::array<double, 4> r{};
  for (std::int64_t k = 0; k < 4; ++k) {
    const std::int64_t index = (n - 1) * (k + 3) / 6;  // middle, two thirds, five sixths, last
    t[At(k)] = x[At(index)];
    r[At(k)] = y[At(index)];
  }
  std::array<double, 2> logCurvature{};
  std::array<double, 2> middle{};
  for (std::size_t j = 0; j < 2; ++j) {
    const double h1 = t[j + 1] - t[j];
    const double h2 = t[j + 2] - t[j + 1];
    const double curvature = 2.0 * ((r[j + 2] - r[j + 1]) / h2 - (r[j + 1] - r[j]) / h1) / (h1 + h2);
    if (!(curvature > 0.0)) return;
    logCurvature[j] = std::log(curvature);
    middle[j] = (t[j] + 2.0 * t[j + 1] + t[j + 2]) * 0.25;
  }
  std::array<double, ExpFitModel::kMaxParams> estimate{};
  estimate[3] = (logCurvature[1] - logCurvature[0]) / (middle[1] - middle[0]);
  const double logAmplitude = logCurvature[1] - middle[1] * estimate[3] - std::log(estimate[3] * estimate[3]);
  const double first = r[0] - std::exp(t[0] * estimate[3] + logAmplitude);
  const double last = r[3] - std::exp(t[3] * estimate[3] + logAmplitude);
  estimate[1] = (last - first) / (t[3] - t[0]);
  estimate[0] = first - t[0] * estimate[1];
  estimate[2] = std::exp(logAmplitude);
  if (AllFinite(estimate) && CurveIsFinite(x, estimate, 4))
    std::copy(estimate.begin(), estimate.begin() + 4, params.begin());
}

ExpFitSplit FindExpFitSplit(std::span<const double> x, std::span<const double> y, double declineSpeed) {
  const auto n = static_cast<std::int32_t>(std::min(x.size(), y.size()));
  if (declineSpeed <= 0.0) return {(n - 1) / 2, x[At(n - 1)]};
  for (std::int32_t i = kBlock; i <= n - 1 - kBlock; ++i) {
    const double revs = (y[At(i + 1)] + y[At(i + 2)] + y[At(i + 3)]) - (y[At(i - 3)] + y[At(i - 2)] + y[At(i - 1)]);
    const double time = (x[At(i + 1)] + x[At(i + 2)] + x[At(i + 3)]) - (x[At(i - 3)] + x[At(i - 2)] + x[At(i - 1)]);
    if (revs / time > declineSpeed) return {i, x[At(i)]};
  }
  const std::int32_t start = std::max(kBlock, n - kBlock);
  return {start, x[At(start)]};
}

ExpFitModel::ExpFitModel(std::span<const double> xValues,
                         std::span<const double> yValues,
                         std::int32_t smoothingLevel,
                         std::int32_t splineOrder,
                         double declineRevsPerSecond)
    : CurveModel(xValues, yValues, smoothingLevel, splineOrder),
      paramCount(static_cast<std::int32_t>(std::clamp<std::int64_t>(
          static_cast<std::int64_t>(smoothingLevel) + kExtraTermsOffset, kMinParams, kMaxParams))),
      declineSpeed(declineRevsPerSecond) {}

bool ExpFitModel::Fit(CalculationLog* log) {
  if (count < kMinSamples) return false;
  FitStages(log);
  fitOk = AllFinite(params) && CurveIsFinite(x, params, paramCount);
  return fitOk;
}

namespace {

// One minimizer stage over the given samples, in place on params. A stage that leaves any parameter
// non-finite, or a curve that overflows at its samples (a non-finite sum of squares), is undone.
// Returns whether it was kept and the sum of squares at the parameters it leaves.
struct StageResult {
  bool kept;
  double sumOfSquares;
};
StageResult RunStage(std::span<const double> x,
                     std::span<const double> y,
                     std::array<double, ExpFitModel::kMaxParams>& params,
                     const std::array<std::int32_t, ExpFitModel::kMaxParams>& index,
                     std::int32_t count,
                     std::int32_t active,
                     std::int32_t nonlinear) {
  const auto saved = params;
  LsqMinimizer minimizer(x, y, ExpFitFunction, params, index, count, active, nonlinear);
  minimizer.Minimize(kStageTolerance, kStageIterations);
  const bool kept = AllFinite(params) && std::isfinite(minimizer.SumOfSquares());
  if (!kept) params = saved;
  return {kept, kept ? minimizer.LastSumOfSquares() : minimizer.SumOfSquares()};
}

}  // namespace

// Stage 1 finds the rate p3 on the late part of the run (from the split point on); stage 2 the
// junction p4 on all samples with p3 held; stage 3 pulls a junction later than the split time back
// to it; stage 4 refines p3 (and p4 when it was not pulled back) and is kept only if p4 stays at or
// before the split time and p1 moves by at most 20 %.
void ExpFitModel::FitStages(CalculationLog* log) {
  const std::span<const double> xs(x);
  const std::span<const double> ys(y);
  const std::int32_t p = paramCount;
  EstimateExpFit(xs, ys, params);
  const ExpFitSplit split = FindExpFitSplit(xs, ys, declineSpeed);

  for (std::int32_t i = 0; i < 4; ++i) paramIndex[At(i)] = i;
  lastSumOfSquares = 0.0;
  WriteLogLine(log);
  RunStage(xs.subspan(At(split.start)), ys.subspan(At(split.start)), params, paramIndex, 4, 4, 1);
  WriteLogLine(log);

  // Active first: p0, p1, p2, p5..p(P-1); then the searched junction p4; then the held rate p3.
  std::int32_t position = 0;
  for (std::int32_t i = 0; i < 3; ++i) paramIndex[At(position++)] = i;
  for (std::int32_t i = kFirstPolynomialTerm; i < p; ++i) paramIndex[At(position++)] = i;
  paramIndex[At(position++)] = kJunction;
  paramIndex[At(position)] = kRate;
  params[kJunction] = x[At(count / 4)];
  lastSumOfSquares = RunStage(xs, ys, params, paramIndex, p, p - 1, 1).sumOfSquares;
  WriteLogLine(log);
  std::swap(paramIndex[At(p - 2)], paramIndex[At(p - 1)]);  // now ..., p3, p4

  std::int32_t active = p;
  std::int32_t nonlinear = 2;
  if (params[kJunction] > split.time) {
    params[kJunction] = split.time;
    lastSumOfSquares = RunStage(xs, ys, params, paramIndex, p, p - 2, 0).sumOfSquares;
    WriteLogLine(log);
    active = p - 1;
    nonlinear = 1;
  }

  const auto beforeLast = params;
  const StageResult last = RunStage(xs, ys, params, paramIndex, p, active, nonlinear);
  const double slopeChange =
      std::fabs(2.0 * (beforeLast[kSlope] - params[kSlope]) / (beforeLast[kSlope] + params[kSlope]));
  if (!last.kept || params[kJunction] > split.time || slopeChange > kMaxSlopeChange) {
    params = beforeLast;  // rejected: no log line
    return;
  }
  lastSumOfSquares = last.sumOfSquares;
  WriteLogLine(log);
}

void ExpFitModel::WriteLogLine(CalculationLog* log) const {
  if (log == nullptr) return;
  log->Write(FormatText("#ExpFit: %15.7f %15.8f %15.8f %15.8f %15.8f %15.8f %15.8f %15.8f %15.8f\n", lastSumOfSquares,
                        params[0], params[1], params[2], params[3], params[4], params[5], params[6], params[7]));
}

double ExpFitModel::Value(double at) const {
  if (!fitOk) return std::nan("");
  const double base = params[0] + params[1] * at + params[2] * std::exp(params[kRate] * at);
  return at > params[kJunction] ? base : base + PolynomialCorrection(at, params.data(), paramCount, nullptr).value;
}

double ExpFitModel::Derivative(double at) const {
  if (!fitOk) return std::nan("");
  const double base = params[1] + params[2] * params[kRate] * std::exp(params[kRate] * at);
  return at > params[kJunction] ? base : base + PolynomialCorrection(at, params.data(), paramCount, nullptr).first;
}

double ExpFitModel::SecondDerivative(double at) const {
  if (!fitOk) return std::nan("");
  const double base = params[2] * params[kRate] * params[kRate] * std::exp(params[kRate] * at);
  return at > params[kJunction] ? base : base + PolynomialCorrection(at, params.data(), paramCount, nullptr).second;
}

}  // namespace ruvo
