#include "analysis/pulse_reference.h"

#include <cmath>
#include <cstdarg>
#include <cstdio>

namespace ruvo::test {

PolynomialFit ReferenceFit(const std::vector<long double>& x, const std::vector<long double>& y, int coefficients) {
  long double s[5] = {};  // sums of x^0 .. x^4
  long double t[3] = {};  // sums of y x^0 .. y x^2
  for (std::size_t i = 0; i < x.size(); ++i) {
    long double power = 1;
    for (int k = 0; k < 5; ++k) {
      s[k] += power;
      if (k < 3) t[k] += y[i] * power;
      power *= x[i];
    }
  }
  long double c[3] = {};
  if (coefficients == 2) {
    const long double det = s[0] * s[2] - s[1] * s[1];
    c[0] = (t[0] * s[2] - s[1] * t[1]) / det;
    c[1] = (s[0] * t[1] - t[0] * s[1]) / det;
  } else {
    const auto det3 = [](long double a, long double b, long double cc, long double d, long double e, long double f,
                         long double g, long double h,
                         long double i) { return a * (e * i - f * h) - b * (d * i - f * g) + cc * (d * h - e * g); };
    const long double det = det3(s[0], s[1], s[2], s[1], s[2], s[3], s[2], s[3], s[4]);
    c[0] = det3(t[0], s[1], s[2], t[1], s[2], s[3], t[2], s[3], s[4]) / det;
    c[1] = det3(s[0], t[0], s[2], s[1], t[1], s[3], s[2], t[2], s[4]) / det;
    c[2] = det3(s[0], s[1], t[0], s[1], s[2], t[1], s[2], s[3], t[2]) / det;
  }
  long double squares = 0;
  for (std::size_t i = 0; i < x.size(); ++i) {
    const long double r = y[i] - (c[0] + c[1] * x[i] + c[2] * x[i] * x[i]);
    squares += r * r;
  }
  return {c[0], std::sqrt(squares / static_cast<long double>(static_cast<int>(x.size()) - coefficients))};
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

LogFile::LogFile() {
  log.Open(folder.File("ruvo.log"));
}

std::string LogFile::Text() {
  log.Close();
  return ReadFileBytes(folder.File("ruvo.log"));
}

}  // namespace ruvo::test
