#pragma once

#include <algorithm>
#include <array>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>

namespace ruvo {

// The plain directives, the log's own: "%Wi" / "%Wd" of an int and "%W.Pf" of a double, with no
// flags, W <= kPlainWidth and P <= kPlainPrecision. Their fields are written here for FormatText
// and for the formats taken apart at compile time alike, inline, so that a line of the log is
// written without a call per number. A field is written from its end: Put...Before writes the
// bytes FormatText writes so that they end at end and returns where they begin. A field takes at
// most kPlainFieldRoom bytes, and up to kPlainWidth bytes before it may be overwritten, which a
// text written from its end then overwrites again.
constexpr int kPlainWidth = 32;
constexpr int kPlainPrecision = 17;
constexpr std::size_t kPlainFieldRoom = 1 + 309 + 1 + kPlainPrecision;  // "-", DBL_MAX's digits, ".", decimals

inline constexpr char kDigitPairs[] =
    "00010203040506070809101112131415161718192021222324252627282930313233343536373839"
    "40414243444546474849505152535455565758596061626364656667686970717273747576777879"
    "8081828384858687888990919293949596979899";

// Writes `count` low decimal digits of value (zeros once it runs out) so that they end at end, two
// at a time; returns value without them and where the digits begin.
template <typename Unsigned>
[[gnu::always_inline]] inline Unsigned WriteLowDigitsOf(char*& end, Unsigned value, std::size_t count) {
  for (; count >= 2; count -= 2) {
    end -= 2;
    std::memcpy(end, kDigitPairs + 2 * (value % 100), 2);
    value /= 100;
  }
  if (count == 1) {
    *--end = static_cast<char>('0' + value % 10);
    value /= 10;
  }
  return value;
}

// 32-bit division by a constant is a shorter multiplication than 64-bit: most numbers take it.
[[gnu::always_inline]] inline std::uint64_t WriteLowDigits(char*& end, std::uint64_t value, std::size_t count) {
  if (value <= UINT32_MAX) return WriteLowDigitsOf(end, static_cast<std::uint32_t>(value), count);
  return WriteLowDigitsOf(end, value, count);
}

// Writes the decimal digits of value (one for 0) so that they end at end, four at a time while
// more remain (one division by 10^4 and two small ones by 100); returns where they begin.
template <typename Unsigned>
[[gnu::always_inline]] inline char* WriteDecimalOf(char* end, Unsigned value) {
  while (value >= 10000) {
    const Unsigned rest = value / 10000;
    const auto four = static_cast<std::uint32_t>(value - rest * 10000);
    end -= 4;
    std::memcpy(end, kDigitPairs + 2 * (four / 100), 2);
    std::memcpy(end + 2, kDigitPairs + 2 * (four % 100), 2);
    value = rest;
  }
  auto small = static_cast<std::uint32_t>(value);
  if (small >= 100) small = WriteLowDigitsOf(end, small, 2);
  if (small >= 10) {
    end -= 2;
    std::memcpy(end, kDigitPairs + 2 * small, 2);
  } else {
    *--end = static_cast<char>('0' + small);
  }
  return end;
}

[[gnu::always_inline]] inline char* WriteDecimal(char* end, std::uint64_t value) {
  if (value <= UINT32_MAX) return WriteDecimalOf(end, static_cast<std::uint32_t>(value));
  return WriteDecimalOf(end, value);
}

// The fixed notation takes the exact integer route up to kPlainPrecision decimals: 10^17 times a
// 53-bit significand stays below 2^110, well inside 128 bits.
static_assert(kPlainPrecision <= 17);
inline constexpr std::array<std::uint64_t, kPlainPrecision + 1> kPowersOfTen = [] {
  std::array<std::uint64_t, kPlainPrecision + 1> powers{};
  std::uint64_t power = 1;
  for (std::uint64_t& entry : powers) {
    entry = power;
    power *= 10;
  }
  return powers;
}();
__extension__ typedef unsigned __int128 Uint128;  // GCC's 128-bit integer, exact for the products below

// product / 2^shift rounded to nearest, ties to even (0 < shift, product + 2^shift representable):
// half - 1, plus 1 when the quotient is odd, carries into the quotient exactly when it rounds up.
template <typename Unsigned>
Unsigned RoundedShift(Unsigned product, int shift) {
  const Unsigned odd = (product >> shift) & 1;
  return (product + ((Unsigned{1} << (shift - 1)) - 1) + odd) >> shift;
}

// Decimals whose power of ten times a 53-bit significand fits 64 bits: 2^53 * 10^3 < 2^63.
constexpr int kNarrowPrecision = 3;

// round(|value| * 10^precision) in integers: |value| = m * 2^e exactly (m the 53-bit significand),
// so the scaled value is m * 10^p * 2^e, and a right shift by -e leaves a remainder that decides the
// rounding to nearest, ties to even, as glibc's printf rounds in the default rounding mode. Returns
// false for infinities and NaN and when the result needs more than 64 bits
// (0 <= precision <= kPlainPrecision).
[[gnu::always_inline]] inline bool ScaledMagnitude(double value, int precision, std::uint64_t& scaled) {
  constexpr int kMantissaBits = 52;
  constexpr int kExponentBias = 1075;  // bias 1023 plus the 52 fraction bits
  std::uint64_t bits = 0;
  std::memcpy(&bits, &value, sizeof bits);
  constexpr int kNotFinite = 0x7ff;  // the biased exponent of infinities and NaN
  const auto biased = static_cast<int>((bits >> kMantissaBits) & 0x7ff);
  if (biased == kNotFinite) return false;
  std::uint64_t significand = bits & ((1ULL << kMantissaBits) - 1);
  int exponent = 1 - kExponentBias;  // subnormal
  if (biased != 0) {
    significand |= 1ULL << kMantissaBits;
    exponent = biased - kExponentBias;
  }
  const std::uint64_t power = kPowersOfTen[static_cast<std::size_t>(precision)];
  if (exponent >= 0) {
    const Uint128 product = static_cast<Uint128>(significand) * power;
    if (exponent >= 64 || (product >> (64 - exponent)) != 0) return false;
    scaled = static_cast<std::uint64_t>(product << exponent);
    return true;
  }
  const int shift = -exponent;
  if (shift > 112) {  // the product < 2^110 <= 2^(shift - 2): below half, rounds to 0
    scaled = 0;
    return true;
  }
  if (precision <= kNarrowPrecision && shift < 64) {
    scaled = RoundedShift(significand * power, shift);
    return true;
  }
  const Uint128 rounded = RoundedShift(static_cast<Uint128>(significand) * power, shift);
  if ((rounded >> 64) != 0) return false;
  scaled = static_cast<std::uint64_t>(rounded);
  return true;
}

// The blanks before a body that begins at begin, in a field that ends at end; returns where the
// field begins.
inline char* PadBefore(char* begin, char* end, int width) {
  std::memset(begin - kPlainWidth, ' ', kPlainWidth);
  return std::min(begin, end - width);
}

inline char* PutSignedBefore(char* begin, char* end, int width, bool negative) {
  begin[-1] = '-';
  return PadBefore(begin - (negative ? 1 : 0), end, width);
}

inline char* PutPlainIntegerBefore(char* end, int width, int value) {
  const bool negative = value < 0;
  const std::uint32_t magnitude = negative ? 0U - static_cast<std::uint32_t>(value) : static_cast<std::uint32_t>(value);
  return PutSignedBefore(WriteDecimalOf(end, magnitude), end, width, negative);
}

// "%W.Pf" of values off the integer route (infinities, NaN, magnitudes past 2^64): the general
// route's text, sign included.
char* PutOtherFixedBefore(char* end, int width, int precision, double value);

// A template per precision, so that the decimals are written with constant counts and divisors.
template <int kPrecision>
[[gnu::always_inline]] inline char* PutPlainFixedBefore(char* end, int width, double value) {
  static_assert(kPrecision >= 0 && kPrecision <= kPlainPrecision);
  std::uint64_t scaled = 0;
  if (!ScaledMagnitude(value, kPrecision, scaled))
    return PutOtherFixedBefore(end, width, kPrecision, value);
  char* begin = end;
  const std::uint64_t wholePart = WriteLowDigits(begin, scaled, kPrecision);
  if (kPrecision > 0) *--begin = '.';
  return PutSignedBefore(WriteDecimal(begin, wholePart), end, width, std::signbit(value));
}

}  // namespace ruvo
