#pragma once

#include <array>
#include <cstdint>
#include <span>

#include "fitting/curve_model.h"

namespace ruvo {

class CalculationLog;

// The exponential fit: one closed formula for a whole run, with t in seconds and d = t - p4,
//   y(t) = p0 + p1 t + p2 e^(p3 t) + [t <= p4] sum_{i=5}^{P-1} p_i d^(i-1),
// a straight line plus an exponential (the engine speed approaching a limit) plus, before the
// junction time p4, a polynomial correction that vanishes at p4 with its first three derivatives.
// P = max(6, min(12, level + 5)) parameters. Fit runs up to four stages of the least-squares
// minimizer, seeded by an estimate from second differences, and writes the parameters after each
// stage to the calculation log as "#ExpFit:" lines (three to five lines). The positive "RPM at
// start of decline" (in revolutions per second) bounds where the exponential regime may begin.
//
// Fewer than kMinSamples samples are rejected: no fit, no log line, Fit returns false. A stage that
// leaves any parameter non-finite, or the curve overflowing at its samples, is undone; Fit also
// returns false if the final curve is not finite at every sample. Before a successful Fit every
// evaluation returns NaN. Evaluations read the fitted parameters and change nothing.
// Single-threaded.
class ExpFitModel : public CurveModel {
 public:
  static constexpr std::int32_t kMaxParams = 12;
  // Enough for the line-and-exponential core and for the split point, which reads sample 3.
  static constexpr std::int32_t kMinSamples = 4;

  ExpFitModel(std::span<const double> xValues,
              std::span<const double> yValues,
              std::int32_t smoothingLevel,
              std::int32_t splineOrder,
              double declineRevsPerSecond);

  // Whether the samples were accepted and the fitted curve is finite at every sample. Writes the
  // stages' lines to log (may be null). Call once.
  bool Fit(CalculationLog* log);
  double Derivative(double at) const override;
  double Value(double at) const override;
  double SecondDerivative(double at) const override;

  // For tests: the number of parameters P, and p0..p11 (entries from P on stay 0).
  std::int32_t ParamCount() const { return paramCount; }
  const std::array<double, kMaxParams>& Params() const { return params; }

 private:
  void FitStages(CalculationLog* log);
  void WriteLogLine(CalculationLog* log) const;

  std::int32_t paramCount;
  bool fitOk = false;
  double declineSpeed;  // revolutions per second
  std::array<double, kMaxParams> params{};
  std::array<std::int32_t, kMaxParams> paramIndex{};
  double lastSumOfSquares = 0.0;
};

// The model function handed to the minimizer: y(t) with the first paramCount parameters (no
// polynomial part for 4 or fewer), and its partial derivatives in gradient[0..paramCount-1]:
// 1, t, e^(p3 t), t p2 e^(p3 t); for t >= p4 zeros for p4 on; otherwise d^(i-1) for p_i (i >= 5)
// and -sum (i-1) p_i d^(i-2) for p4.
double ExpFitFunction(double at, double* gradient, const double* params, std::int32_t paramCount);

// Seeds p0..p3 from the second differences of four samples in the second half of the run (at
// indices (n-1)(k+3)/6, k = 0..3), assuming y'' = p2 p3^2 e^(p3 t) there. Leaves params unchanged
// when there are fewer than 7 samples, when either second difference is not positive, or when the
// estimate or the curve it describes at the samples is not finite.
void EstimateExpFit(std::span<const double> x,
                    std::span<const double> y,
                    std::array<double, ExpFitModel::kMaxParams>& params);

// Where the late, exponential part of the run starts: the first sample index i in 3..n-4 whose
// block speed (sum of the next three revolutions minus the previous three, over the same for the
// times) exceeds declineSpeed, or max(3, n-3) if none does; the split time is x[start]. With a
// declineSpeed of 0 or less: start (n-1)/2 and the last sample time. Requires n >= 4.
struct ExpFitSplit {
  std::int32_t start;
  double time;  // seconds
};
ExpFitSplit FindExpFitSplit(std::span<const double> x, std::span<const double> y, double declineSpeed);

}  // namespace ruvo
