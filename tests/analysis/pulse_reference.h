#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/calculation_log.h"
#include "support/test_support.h"

// Independent arithmetic and idealised recordings for the pulse detection tests.
namespace ruvo::test {

struct PolynomialFit {
  long double c0 = 0;     // fitted value at x = 0
  long double sigma = 0;  // sqrt(sum of squared residuals / (points - coefficients))
};

// Least-squares polynomial of 2 or 3 coefficients through (x, y): normal equations solved by
// Cramer's rule in long double.
PolynomialFit ReferenceFit(const std::vector<long double>& x, const std::vector<long double>& y, int coefficients);

// printf into a string with the C library, so expectations do not use the formatter under test.
std::string Printf(const char* format, ...) __attribute__((format(printf, 1, 2)));

// Silence at level mean with marks at given positions.
struct Mark {
  std::int64_t position;
  int deviation;  // signed distance from the mean level
};
std::vector<std::uint8_t> MakeSamples(std::size_t length, std::uint8_t mean, const std::vector<Mark>& marks);

// A calculation log in a temporary folder.
class LogFile {
 public:
  LogFile();
  CalculationLog& Log() { return log; }
  // Closes the log and returns its bytes.
  std::string Text();

 private:
  TempFolder folder;
  CalculationLog log;
};

}  // namespace ruvo::test
