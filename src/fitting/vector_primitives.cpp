#include "fitting/vector_primitives.h"

#include <utility>

namespace ruvo {

void VecCopy(std::int32_t n, OneBased<const double> x, OneBased<double> y) {
  for (std::int32_t i = 1; i <= n; ++i) y(i) = x(i);
}

void VecScale(std::int32_t n, double a, OneBased<double> x) {
  for (std::int32_t i = 1; i <= n; ++i) x(i) = a * x(i);
}

double VecDot(std::int32_t n, OneBased<const double> x, OneBased<const double> y) {
  double sum = 0.0;
  for (std::int32_t i = 1; i <= n; ++i) sum += x(i) * y(i);
  return sum;
}

void VecAxpy(std::int32_t n, double a, OneBased<const double> x, OneBased<double> y) {
  if (a == 0.0) return;
  for (std::int32_t i = 1; i <= n; ++i) y(i) = y(i) + a * x(i);
}

void VecSwap(std::int32_t n, OneBased<double> x, OneBased<double> y) {
  for (std::int32_t i = 1; i <= n; ++i) std::swap(x(i), y(i));
}

}  // namespace ruvo
