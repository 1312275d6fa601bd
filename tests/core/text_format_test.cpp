#include "core/text_format.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <limits>

namespace ruvo {
namespace {

// Reference output of the C library, formatted in the "C" locale.
template <typename... Args>
std::string Printf(const char* format, Args... args) {
  char buffer[1024];
  std::snprintf(buffer, sizeof buffer, format, args...);
  return buffer;
}

TEST(FormatText, MatchesPrintfForTheFileFormats) {
  constexpr double inf = std::numeric_limits<double>::infinity();
  const double values[] = {
      0.0,      -0.0,  29.3,           1234.5678,      -0.0049, 0.5,  1.5,         2.5, 1e-7, 123456789.987654321,
      -3.14159, 1e300, 0.000000499999, 999999.9999995, inf,     -inf, std::nan("")};
  const char* formats[] = {"%f", "%8.2f",  "%15.8f",  "%6.1f",  "%9.4f",  "%6.0f",  "%10.5f", "%e",
                           "%g", "%12.3e", "%-9.2f|", "%+7.1f", "%07.2f", "%08.2f", "% f",    "%.0f"};
  for (const char* format : formats)
    for (double value : values) EXPECT_EQ(FormatText(format, value), Printf(format, value)) << format << " " << value;
}

TEST(FormatText, MatchesPrintfForIntegersAndText) {
  const int values[] = {0, 1, -1, 7, 42, 99, 100, -250, 2147483647, -2147483647 - 1};
  const char* formats[] = {"%d", "%i", "%2i", "%7i", "%5i", "%-4i|", "%04d", "%+d", "%.3d", "%x", "%X"};
  for (const char* format : formats)
    for (int value : values) EXPECT_EQ(FormatText(format, value), Printf(format, value)) << format << " " << value;
  EXPECT_EQ(FormatText("# Wave File No. %2i : %s|%5s|%-5s|%.2s|%%|%c", 3, "a.wav", "ab", "ab", "abc", 'z'),
            "# Wave File No.  3 : a.wav|   ab|ab   |ab|%|z");
  EXPECT_EQ(FormatText("%ld %lld %u", 5000000000L, -5000000000LL, 4000000000U), "5000000000 -5000000000 4000000000");
}

}  // namespace
}  // namespace ruvo
