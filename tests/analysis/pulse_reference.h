#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/calculation_log.h"
#include "support/test_support.h"

// Independent arithmetic and idealised recordings for the pulse detection tests.
namespace ruvo::test {

// Least-squares polynomial with `coefficients` terms through (x, y), by the normal equations in
// long double. Returns {c0, sqrt(sum of squared residuals / (points - coefficients))}.
std::pair<long double, long double> ReferenceFit(const std::vector<long double>& x,
                                                 const std::vector<long double>& y,
                                                 int coefficients);

// printf with the C library, so expectations do not use the formatter under test.
std::string Printf(const char* format, ...) __attribute__((format(printf, 1, 2)));

// Silence at level mean with single samples set to mean + deviation.
struct Mark {
  std::int64_t position;
  int deviation;
};
std::vector<std::uint8_t> MakeSamples(std::size_t length, std::uint8_t mean, const std::vector<Mark>& marks);

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
