#pragma once

#include <cmath>
#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include "core/calculation_log.h"
#include "fitting/bspline_reference.h"
#include "support/test_support.h"

// Independent arithmetic and idealised recordings for the pulse detection tests.
namespace ruvo::test {

// Least-squares polynomial with `coefficients` terms through (x, y), by the reference normal
// equations. Returns {c0, sqrt(sum of squared residuals / (points - coefficients))}.
inline std::pair<long double, long double> ReferenceFit(const std::vector<long double>& x,
                                                        const std::vector<long double>& y,
                                                        int coefficients) {
  std::vector<std::vector<long double>> rows;
  for (long double at : x) {
    rows.emplace_back(1, 1.0L);
    for (int c = 1; c < coefficients; ++c) rows.back().push_back(rows.back().back() * at);
  }
  const std::vector<double> coefficient = ReferenceLeastSquares(rows, y);
  long double squares = 0;
  for (std::size_t p = 0; p < x.size(); ++p) {
    long double residual = y[p];
    for (std::size_t c = 0; c < coefficient.size(); ++c) residual -= coefficient[c] * rows[p][c];
    squares += residual * residual;
  }
  return {coefficient[0], std::sqrt(squares / static_cast<long double>(x.size() - coefficient.size()))};
}

// printf with the C library, so expectations do not use the formatter under test.
inline std::string Printf(const char* format, ...) __attribute__((format(printf, 1, 2)));
inline std::string Printf(const char* format, ...) {
  char buffer[512];
  va_list arguments;
  va_start(arguments, format);
  std::vsnprintf(buffer, sizeof buffer, format, arguments);
  va_end(arguments);
  return buffer;
}

// Silence at level mean with single samples set to mean + deviation.
struct Mark {
  std::int64_t position;
  int deviation;
};
inline std::vector<std::uint8_t> MakeSamples(std::size_t length, std::uint8_t mean, const std::vector<Mark>& marks) {
  std::vector<std::uint8_t> samples(length, mean);
  for (const Mark& mark : marks)
    samples[static_cast<std::size_t>(mark.position)] = static_cast<std::uint8_t>(mean + mark.deviation);
  return samples;
}

// A calculation log in a temporary folder; Text() closes it and returns its bytes.
class LogFile {
 public:
  LogFile() { log.Open(folder.File("ruvo.log")); }
  CalculationLog& Log() { return log; }
  std::string Text() {
    log.Close();
    return ReadFileBytes(folder.File("ruvo.log"));
  }

 private:
  TempFolder folder;
  CalculationLog log;
};

}  // namespace ruvo::test
