#include "fitting/bspline_basis.h"

#include <array>

#include "fitting/one_based.h"

namespace ruvo {

bool BsplineBasis(std::span<const double> t, std::int32_t k, double x, std::int32_t left, std::span<double> v) {
  if (k < 1 || k > kMaxSplineOrder || std::ssize(v) < k) return false;
  if (k > 1 && (std::int64_t{left} - k + 2 < 1 || std::int64_t{left} + k - 1 > std::ssize(t))) return false;
  const OneBased<const double> knot(t);
  const OneBased<double> value(v);
  std::array<double, kMaxSplineOrder> rightStorage;
  std::array<double, kMaxSplineOrder> leftStorage;
  const OneBased<double> deltaRight(rightStorage.data());  // t(left+j) - x
  const OneBased<double> deltaLeft(leftStorage.data());    // x - t(left+1-j)

  value(1) = 1.0;
  for (std::int32_t j = 1; j <= k - 1; ++j) {
    deltaRight(j) = knot(left + j) - x;
    deltaLeft(j) = x - knot(left + 1 - j);
    double previous = 0.0;
    for (std::int32_t l = 1; l <= j; ++l) {
      const double w = value(l) / (deltaRight(l) + deltaLeft(j + 1 - l));
      value(l) = w * deltaRight(l) + previous;
      previous = w * deltaLeft(j + 1 - l);
    }
    value(j + 1) = previous;
  }
  return true;
}

}  // namespace ruvo
