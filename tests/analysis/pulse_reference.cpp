#include "analysis/pulse_reference.h"

#include <cmath>
#include <cstdarg>
#include <cstdio>

namespace ruvo::test {

std::pair<long double, long double> ReferenceFit(const std::vector<long double>& x,
                                                 const std::vector<long double>& y,
                                                 int coefficients) {
  const auto n = static_cast<std::size_t>(coefficients);
  std::vector<std::vector<long double>> a(n, std::vector<long double>(n + 1, 0));  // [A | b]
  for (std::size_t p = 0; p < x.size(); ++p)
    for (std::size_t r = 0; r < n; ++r) {
      for (std::size_t c = 0; c < n; ++c) a[r][c] += std::pow(x[p], static_cast<long double>(r + c));
      a[r][n] += y[p] * std::pow(x[p], static_cast<long double>(r));
    }
  for (std::size_t r = 0; r < n; ++r)  // the normal matrix is positive definite: no pivoting needed
    for (std::size_t below = r + 1; below < n; ++below)
      for (std::size_t c = n + 1; c-- > r;) a[below][c] -= a[below][r] / a[r][r] * a[r][c];
  std::vector<long double> coefficient(n);
  for (std::size_t r = n; r-- > 0;) {
    long double sum = a[r][n];
    for (std::size_t c = r + 1; c < n; ++c) sum -= a[r][c] * coefficient[c];
    coefficient[r] = sum / a[r][r];
  }
  long double squares = 0;
  for (std::size_t p = 0; p < x.size(); ++p) {
    long double residual = y[p];
    for (std::size_t c = 0; c < n; ++c) residual -= coefficient[c] * std::pow(x[p], static_cast<long double>(c));
    squares += residual * residual;
  }
  return {coefficient[0], std::sqrt(squares / static_cast<long double>(x.size() - n))};
}

std::string Printf(const char* format, ...) {
  char buffer[512];
  va_list arguments;
  va_start(arguments, format);
  std::vsnprintf(buffer, sizeof buffer, format, arguments);
  va_end(arguments);
  return buffer;
}

std::vector<std::uint8_t> MakeSamples(std::size_t length, std::uint8_t mean, const std::vector<Mark>& marks) {
  std::vector<std::uint8_t> samples(length, mean);
  for (const Mark& mark : marks)
    samples[static_cast<std::size_t>(mark.position)] = static_cast<std::uint8_t>(mean + mark.deviation);
  return samples;
}

}  // namespace ruvo::test
