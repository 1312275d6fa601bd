#include "core/text_format.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <limits>
#include <random>
#include <string>
#include <vector>

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

// The first format and value where FormatText differs from the C library, or "" when none does.
template <typename T>
std::string FirstMismatch(const std::vector<const char*>& formats, const std::vector<T>& values) {
  for (const char* format : formats)
    for (const T value : values) {
      const std::string ours = FormatText(format, value);
      const std::string theirs = Printf(format, value);
      if (ours != theirs)
        return std::string(format) + " of " + Printf("%.17g", static_cast<double>(value)) + ": \"" + ours +
               "\" instead of \"" + theirs + "\"";
    }
  return "";
}

// Doubles of every kind: any bit pattern (every exponent, subnormals, infinities, NaN of either
// sign), decimal fractions of the sizes a log holds, exact ties of the rounding at every precision
// (odd multiples of 2^-k tie at k - 1 decimals), and the magnitudes around 2^64 / 10^p where the
// fixed notation leaves its integer route.
std::vector<double> AssortedDoubles() {
  std::mt19937_64 random(20240607);
  std::vector<double> values = {0.0,
                                -0.0,
                                std::numeric_limits<double>::denorm_min(),
                                -std::numeric_limits<double>::denorm_min(),
                                std::numeric_limits<double>::min(),
                                std::numeric_limits<double>::max(),
                                std::numeric_limits<double>::lowest(),
                                std::numeric_limits<double>::infinity(),
                                -std::numeric_limits<double>::infinity(),
                                std::nan(""),
                                -std::nan(""),
                                0.5,
                                1.5,
                                2.5,
                                -0.5,
                                0.0000005,
                                0.9999995,
                                9.9999995,
                                999999.9999995,
                                18446744073709551615.0,
                                18446744073709.551615,
                                4503599627370496.5,
                                9007199254740993.0};
  for (int i = 0; i < 3000; ++i) {
    const std::uint64_t bits = random();
    double value = 0.0;
    std::memcpy(&value, &bits, sizeof value);
    values.push_back(value);
  }
  std::uniform_real_distribution<double> unit(-1.0, 1.0);
  for (int i = 0; i < 3000; ++i) values.push_back(unit(random) * std::pow(10.0, static_cast<int>(random() % 44) - 22));
  for (int i = 0; i < 3000; ++i) {
    const auto odd = static_cast<double>(2 * static_cast<std::int64_t>(random() % 2000000) - 1999999);
    values.push_back(std::ldexp(odd, -static_cast<int>(random() % 24)));
  }
  for (int p = 0; p <= 18; ++p)
    for (int i = 0; i < 40; ++i) values.push_back(std::ldexp(unit(random) + 2.0, 63) / std::pow(10.0, p));
  // Every binary exponent a log's numbers may have, so that every shift of the scaled significand
  // is met, and ties at each of them.
  for (int exponent = -80; exponent <= 70; ++exponent) {
    values.push_back(std::ldexp(unit(random), exponent));
    values.push_back(std::ldexp(static_cast<double>(2 * (random() % 1000) + 1), exponent));
  }
  return values;
}

TEST(FormatText, MatchesPrintfOnAssortedValuesForEveryFixedAndIntegerForm) {
  const std::vector<double> doubles = AssortedDoubles();
  const std::vector<const char*> fixed = {"%f",     "%.0f",  "%.1f",     "%.2f",    "%.3f",  "%.5f",   "%7.3f",
                                          "%8.3f",  "%6.0f", "%6.3f",    "%7.1f",   "%8.1f", "%9.3f",  "%10.5f",
                                          "%15.8f", "%.9f",  "%.17f",    "%.18f",   "%F",    "%-9.2f", "%+7.1f",
                                          "%08.2f", "% f",   "%-+12.4f", "%012.3f", "%e",    "%.3e",   "%g"};
  EXPECT_EQ(FirstMismatch(fixed, doubles), "");

  std::mt19937_64 random(7);
  std::vector<int> ints = {0, 1, -1, 9, 10, -10, 99999, 100000, 999999, 1000000, 2147483647, -2147483647 - 1};
  std::vector<long long> longs = {0, -1, 9223372036854775807LL, -9223372036854775807LL - 1};
  std::vector<unsigned> unsigneds = {0U, 1U, 4294967295U};
  for (int i = 0; i < 3000; ++i) {
    const std::uint64_t bits = random();
    ints.push_back(static_cast<std::int32_t>(bits >> 32) >> (bits % 32));  // every length, either sign
    longs.push_back(static_cast<long long>(bits) >> (bits % 63));
    unsigneds.push_back(static_cast<unsigned>(bits));
  }
  EXPECT_EQ(FirstMismatch({"%i", "%d", "%6i", "%7i", "%5i", "%4i", "%2i", "%-6i", "%06i", "%.3d", "%.0d", "%+d", "% d",
                           "%-+7d", "%x", "%X"},
                          ints),
            "");
  EXPECT_EQ(FirstMismatch({"%lld", "%20lld", "%-25lld", "%lld|"}, longs), "");
  EXPECT_EQ(FirstMismatch({"%u", "%10u", "%x", "%08X"}, unsigneds), "");
}

// The first value where AppendText<kFormat> differs from the C library or from FormatText, or ""
// when none does.
template <FormatLiteral kFormat, typename T>
std::string FirstLiteralMismatch(const std::vector<T>& values) {
  const char* const format = kFormat.chars.data();
  for (const T value : values) {
    std::string ours = "[";
    AppendText<kFormat>(ours, value);
    const std::string theirs = "[" + Printf(format, value);
    if (ours != theirs || ours != "[" + FormatText(format, value))
      return std::string(format) + " of " + Printf("%.17g", static_cast<double>(value)) + ": \"" + ours +
             "\" instead of \"" + theirs + "\"";
  }
  return "";
}

TEST(AppendText, FormatsTakenApartAtCompileTimeWriteWhatPrintfWrites) {
  const std::vector<double> doubles = AssortedDoubles();
  EXPECT_EQ(FirstLiteralMismatch<"%7.3f">(doubles), "");
  EXPECT_EQ(FirstLiteralMismatch<"%6.0f">(doubles), "");
  EXPECT_EQ(FirstLiteralMismatch<"%6.3f">(doubles), "");
  EXPECT_EQ(FirstLiteralMismatch<"%8.5f">(doubles), "");
  EXPECT_EQ(FirstLiteralMismatch<"%7.1f">(doubles), "");
  EXPECT_EQ(FirstLiteralMismatch<"%10.5f|">(doubles), "");
  EXPECT_EQ(FirstLiteralMismatch<"%.2f">(doubles), "");
  EXPECT_EQ(FirstLiteralMismatch<"%.4f">(doubles), "");
  EXPECT_EQ(FirstLiteralMismatch<"%12.9f">(doubles), "");
  EXPECT_EQ(FirstLiteralMismatch<"%32.17f">(doubles), "");

  std::mt19937_64 random(11);
  std::vector<int> ints = {0,      1,     -1,     9,       10,       99,       100,       9999,       10000,
                           -10000, 99999, 999999, 9999999, 10000000, 99999999, 100000000, 1000000000, 2147483647};
  ints.push_back(-2147483647 - 1);
  for (int i = 0; i < 5000; ++i) {
    const std::uint64_t bits = random();
    ints.push_back(static_cast<std::int32_t>(bits >> 32) >> (bits % 32));  // every length, either sign
  }
  EXPECT_EQ(FirstLiteralMismatch<"%i">(ints), "");
  EXPECT_EQ(FirstLiteralMismatch<"%d">(ints), "");
  EXPECT_EQ(FirstLiteralMismatch<"%2d">(ints), "");
  EXPECT_EQ(FirstLiteralMismatch<"%5i">(ints), "");
  EXPECT_EQ(FirstLiteralMismatch<"%6i ">(ints), "");
  EXPECT_EQ(FirstLiteralMismatch<"%7i">(ints), "");
  EXPECT_EQ(FirstLiteralMismatch<"%11i">(ints), "");
  EXPECT_EQ(FirstLiteralMismatch<"%32i">(ints), "");
}

// Whole lines: the text between the fields, the fields in their order, values of narrower types.
TEST(AppendText, LinesFromCompileTimeFormatsMatchFormatText) {
  std::mt19937_64 random(5);
  std::uniform_real_distribution<double> unit(-1.0, 1.0);
  std::string ours = "kept ";
  std::string theirs = "kept ";
  for (int line = 0; line < 500; ++line) {
    int i[12];
    for (int& value : i) value = static_cast<std::int32_t>(random() >> 32) >> (random() % 32);
    double d[8];
    for (double& value : d) value = unit(random) * std::pow(10.0, static_cast<int>(random() % 14) - 4);
    const auto level = static_cast<std::uint8_t>(random());
    AppendText<"#%5i %7.3f %6.0f %4i %5i %4i %7i %7i %7i %7i %7i %7i %7i %5i %6.3f\n">(
        ours, i[0], d[0], d[1], level, i[1], i[2], i[3], i[4], i[5], i[6], i[7], i[8], i[9], i[10], d[2]);
    AppendText(theirs, "#%5i %7.3f %6.0f %4i %5i %4i %7i %7i %7i %7i %7i %7i %7i %5i %6.3f\n", i[0], d[0], d[1], level,
               i[1], i[2], i[3], i[4], i[5], i[6], i[7], i[8], i[9], i[10], d[2]);
    AppendText<"%7.3f %8.3f %8.3f %8.5f %7.1f %8.1f %9.3f %10.5f\n">(ours, d[0], d[1], d[2], d[3], d[4], d[5], d[6],
                                                                     static_cast<float>(d[7]));
    AppendText(theirs, "%7.3f %8.3f %8.3f %8.5f %7.1f %8.1f %9.3f %10.5f\n", d[0], d[1], d[2], d[3], d[4], d[5], d[6],
               static_cast<double>(static_cast<float>(d[7])));
  }
  AppendText<"no directive\n">(ours);
  theirs += "no directive\n";
  EXPECT_EQ(ours, theirs);
}

TEST(AppendText, AppendsWhatFormatTextMakes) {
  std::string line = "#";
  AppendText(line, "%5i %7.3f", 12, 0.6604);
  AppendText(line, " %s\n", "end");
  EXPECT_EQ(line, "#   12   0.660 end\n");

  // A format rewritten in place (same address, other text) is read anew, not taken for the old one.
  char format[] = "%5i|%*d|%.*f";
  EXPECT_EQ(FormatText(format, 1, 3, 2, 2, 0.5), "    1|  2|0.50");
  format[1] = '2';
  format[5] = '-';
  EXPECT_EQ(FormatText(format, 1, 2, 2, 0.5), " 1|2|0.50");  // "%2i|%-d|%.*f"
}

}  // namespace
}  // namespace ruvo
