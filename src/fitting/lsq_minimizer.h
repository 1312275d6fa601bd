#pragma once

#include <array>
#include <cstdint>
#include <span>

namespace ruvo {

// Nonlinear least-squares minimizer: adjusts the parameters of a model f(x; p) so that
// S = sum (y[i] - f(x[i]; p))^2 becomes small. The core is one Gauss-Newton step (normal equations
// of the linearised problem, optionally damped on the diagonal, solved by Gauss-Jordan elimination
// with full pivoting); around it four methods:
//   1  one Gauss-Newton step;
//   2  golden-section search on one nonlinear parameter, re-solving the active ones at every trial;
//   3  Gauss-Newton step for all parameters, then a parabolic line search along the nonlinear part of
//      the step, re-solving the linear parameters at every trial point;
//   4  Levenberg-Marquardt with a fixed number of passes.
// Methods 2 and 3 suit models that are linear in most parameters (one step lands exactly on their
// least-squares values), so the searches only deal with the nonlinear ones.
//
// The data, the parameter array and a borrowed index are owned by the caller and must outlive the
// minimizer; the parameters are updated in place. Capacity is fixed (kMaxParams), nothing is
// allocated. Built for one fit and then discarded; single-threaded.
//
// Invalid set-up (no model, parameter count outside 1..kMaxParams, active count outside
// 0..paramCount, an index entry outside 0..paramCount-1, a negative nonlinear count, a parameter
// array shorter than paramCount) makes the minimizer inert: Minimize returns kSingular without
// touching the parameters and SumOfSquares returns NaN.
class LsqMinimizer {
 public:
  static constexpr std::int32_t kMaxParams = 12;
  static constexpr std::int32_t kSolved = 1;
  static constexpr std::int32_t kSingular = -1;

  // Returns f(at; params) and writes df/dparams[j] into gradient[j] for every j < paramCount.
  // The gradient buffer has room for kMaxParams values.
  using Model = double (*)(double at, double* gradient, const double* params, std::int32_t paramCount);

  // Identity index 0, 1, ..., paramCount-1 and no nonlinear parameters: always method 1. An
  // activeCount of 0 means paramCount.
  LsqMinimizer(std::span<const double> xValues,
               std::span<const double> yValues,
               Model function,
               std::span<double> parameters,
               std::int32_t parameterCount,
               std::int32_t activeParameters);

  // Borrowed index (position -> parameter, first paramCount entries used). An activeCount of 0 means
  // paramCount. The method follows from the counts:
  //   nonlinearCount 0                                   -> 1
  //   nonlinearCount 1 and activeCount > 1               -> 2 (activeCount reduced by 1; the searched
  //                                                           parameter is the one at position activeCount)
  //   nonlinearCount >= 2 and nonlinearCount < activeCount -> 3
  //   otherwise                                          -> 4
  LsqMinimizer(std::span<const double> xValues,
               std::span<const double> yValues,
               Model function,
               std::span<double> parameters,
               std::span<const std::int32_t> index,
               std::int32_t parameterCount,
               std::int32_t activeParameters,
               std::int32_t nonlinearParameters);

  LsqMinimizer(const LsqMinimizer&) = delete;
  LsqMinimizer& operator=(const LsqMinimizer&) = delete;

  // Runs the method. tolerance: relative precision wanted for the searched parameters (methods 2 and
  // 3; 0 means 0.0001 for method 2); iterationLimit: passes of methods 3 and 4. Returns the status of
  // the last linear solve, kSolved or kSingular.
  std::int32_t Minimize(double tolerance, std::int32_t iterationLimit);

  // S at the current parameters over all points; also kept as LastSumOfSquares().
  double SumOfSquares();

  double LastSumOfSquares() const { return sumOfSquares; }

  // For tests: the method the counts chose, 1 to 4.
  std::int32_t Method() const { return method; }

 private:
  bool CheckSetup(std::span<const std::int32_t> index) const;
  double& Param(std::int32_t position) { return params[static_cast<std::size_t>(paramIndex[position])]; }
  void GaussNewtonStep();
  double EvaluateAt(std::int32_t position, double value);
  std::int32_t GoldenSectionSearch(double tolerance);
  std::int32_t ParabolicLineSearch(double tolerance, std::int32_t iterationLimit);
  std::int32_t LevenbergMarquardt(std::int32_t iterationLimit);

  Model model;
  std::span<const double> x;
  std::span<const double> y;
  std::int32_t pointCount;
  std::span<double> params;
  std::array<std::int32_t, kMaxParams> paramIndex{};  // a copy of the caller's index or the identity
  std::int32_t paramCount;
  std::int32_t activeCount;
  std::int32_t nonlinearCount;
  std::int32_t dampFrom = 0;
  double sumOfSquares = 0.0;
  double lambda = 0.0;
  std::array<double, kMaxParams> step{};
  std::int32_t method = 1;
  std::int32_t status = kSolved;
  bool valid = false;
};

// Solves a * s = b for an order-m system (m <= 12) by Gauss-Jordan elimination with full pivoting;
// a (row-major, leading dimension 12) is replaced by its inverse and b by the solution. Returns
// kSolved, or kSingular when a pivot column would be chosen twice, the pivot is 0 or no finite pivot
// exists; the contents of a and b are then undefined.
// Reference: Press, Teukolsky, Vetterling, Flannery, Numerical Recipes, 2.1 (gaussj).
std::int32_t GaussJordanSolve(std::array<std::array<double, LsqMinimizer::kMaxParams>, LsqMinimizer::kMaxParams>& a,
                              std::array<double, LsqMinimizer::kMaxParams>& b,
                              std::int32_t m);

}  // namespace ruvo
