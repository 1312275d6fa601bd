// The locale-free "%lf" and "%i" converters agree with the C library's strtod and strtol (in the
// "C" locale this process keeps) wherever the C library converts without a range error.
#include <cerrno>
#include <climits>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "core/text_scan.h"
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  const char* begin = text.c_str();  // stops at an embedded NUL, as the C library does
  const std::string visible(begin);

  char* end = nullptr;
  errno = 0;
  const long reference = std::strtol(begin, &end, 0);
  std::int32_t value = 12345;
  const bool converted = ruvo::ScanInt(visible, value);
  if (end != begin && errno == 0 && reference >= INT32_MIN && reference <= INT32_MAX) {
    ruvo::fuzz::Require(converted && value == reference, "ScanInt agrees with strtol");
  } else if (end == begin) {
    ruvo::fuzz::Require(!converted && value == 12345, "ScanInt converts nothing where strtol does not");
  }

  errno = 0;
  const double expected = std::strtod(begin, &end);
  double real = 0.5;
  const bool convertedReal = ruvo::ScanDouble(visible, real);
  if (end != begin && errno == 0) {
    ruvo::fuzz::Require(convertedReal, "ScanDouble converts where strtod does");
    ruvo::fuzz::Require(std::memcmp(&real, &expected, sizeof real) == 0 || (real != real && expected != expected),
                        "ScanDouble agrees with strtod");
  } else if (end == begin) {
    ruvo::fuzz::Require(!convertedReal && real == 0.5, "ScanDouble converts nothing where strtod does not");
  }
  return 0;
}
