#include "core/text_format.h"

#include <array>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <string_view>

namespace ruvo {
namespace {

struct Directive {
  bool leftAlign = false;
  bool plusSign = false;
  bool spaceSign = false;
  bool zeroPad = false;
  int width = 0;
  int precision = -1;  // -1: not given
  int longCount = 0;   // number of 'l' modifiers
  char conversion = 0;
};

// Plain ASCII tests: the directives are ASCII whatever the locale says about other characters.
bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}
bool IsUpper(char c) {
  return c >= 'A' && c <= 'Z';
}
char ToUpper(char c) {
  return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}
char ToLower(char c) {
  return IsUpper(c) ? static_cast<char>(c - 'A' + 'a') : c;
}

// The sign a numeric conversion writes before its digits; 0 for none.
char SignOf(bool negative, const Directive& directive) {
  if (negative) return '-';
  if (directive.plusSign) return '+';
  if (directive.spaceSign) return ' ';
  return 0;
}

// Appends one field: the sign (0: none), `zeros` zeros and body, padded to the width with blanks
// before (or after, when left-aligned), or with zeros between the sign and the rest when the
// directive asks for zero padding and the conversion allows it.
void AppendField(std::string& out,
                 char sign,
                 std::size_t zeros,
                 std::string_view body,
                 const Directive& directive,
                 bool allowZeroPad) {
  const std::size_t length = (sign != 0 ? 1 : 0) + zeros + body.size();
  const auto width = static_cast<std::size_t>(directive.width);
  const std::size_t fill = width > length ? width - length : 0;
  const bool zeroPad = directive.zeroPad && allowZeroPad;
  if (!directive.leftAlign && !zeroPad) out.append(fill, ' ');
  if (sign != 0) out += sign;
  if (!directive.leftAlign && zeroPad) out.append(fill, '0');
  out.append(zeros, '0');
  out.append(body);
  if (directive.leftAlign) out.append(fill, ' ');
}

void AppendInteger(std::string& out, const Directive& directive, va_list& args) {
  const bool isSigned = directive.conversion == 'd' || directive.conversion == 'i';
  const int base = (directive.conversion == 'x' || directive.conversion == 'X') ? 16 : 10;
  bool negative = false;
  unsigned long long magnitude = 0;
  if (isSigned) {
    const long long value = directive.longCount >= 2   ? va_arg(args, long long)
                            : directive.longCount == 1 ? va_arg(args, long)
                                                       : va_arg(args, int);
    negative = value < 0;
    magnitude = negative ? 0ULL - static_cast<unsigned long long>(value) : static_cast<unsigned long long>(value);
  } else {
    magnitude = directive.longCount >= 2   ? va_arg(args, unsigned long long)
                : directive.longCount == 1 ? va_arg(args, unsigned long)
                                           : va_arg(args, unsigned int);
  }
  char buffer[24];  // the 20 decimal digits of 2^64 - 1
  char* const end = std::to_chars(buffer, buffer + sizeof buffer, magnitude, base).ptr;
  if (directive.conversion == 'X')
    for (char* c = buffer; c < end; ++c) *c = ToUpper(*c);
  std::string_view digits(buffer, static_cast<std::size_t>(end - buffer));
  std::size_t zeros = 0;
  if (directive.precision >= 0) {
    const auto precision = static_cast<std::size_t>(directive.precision);
    if (precision == 0 && magnitude == 0)
      digits = {};  // an explicit precision of 0 writes no digit for 0
    else if (precision > digits.size())
      zeros = precision - digits.size();
  }
  AppendField(out, SignOf(negative, directive), zeros, digits, directive, directive.precision < 0);
}

// Decimals up to which the fixed notation takes the exact integer route: 10^17 times a 53-bit
// significand stays below 2^110, well inside 128 bits.
constexpr int kFastFixedPrecision = 17;
constexpr std::array<std::uint64_t, kFastFixedPrecision + 1> kPowersOfTen = [] {
  std::array<std::uint64_t, kFastFixedPrecision + 1> powers{};
  std::uint64_t power = 1;
  for (std::uint64_t& entry : powers) {
    entry = power;
    power *= 10;
  }
  return powers;
}();
__extension__ typedef unsigned __int128 Uint128;  // GCC's 128-bit integer, exact for the products below

// round(|value| * 10^precision) in integers, for finite values: |value| = m * 2^e exactly (m the
// 53-bit significand), so the scaled value is m * 10^p * 2^e, and a right shift by -e leaves a
// remainder that decides the rounding to nearest, ties to even, as glibc's printf rounds in the
// default rounding mode. Returns false when the result needs more than 64 bits
// (0 <= precision <= kFastFixedPrecision).
bool ScaledMagnitude(double value, int precision, std::uint64_t& scaled) {
  constexpr int kMantissaBits = 52;
  constexpr int kExponentBias = 1075;  // bias 1023 plus the 52 fraction bits
  std::uint64_t bits = 0;
  std::memcpy(&bits, &value, sizeof bits);
  const auto biased = static_cast<int>((bits >> kMantissaBits) & 0x7ff);
  std::uint64_t significand = bits & ((1ULL << kMantissaBits) - 1);
  int exponent = 1 - kExponentBias;  // subnormal
  if (biased != 0) {
    significand |= 1ULL << kMantissaBits;
    exponent = biased - kExponentBias;
  }
  const Uint128 product = static_cast<Uint128>(significand) * kPowersOfTen[static_cast<std::size_t>(precision)];
  if (exponent >= 0) {
    if (exponent >= 64 || (product >> (64 - exponent)) != 0) return false;
    scaled = static_cast<std::uint64_t>(product << exponent);
    return true;
  }
  const int shift = -exponent;
  if (shift > 112) {  // product < 2^110 <= 2^(shift - 2): below half, rounds to 0
    scaled = 0;
    return true;
  }
  Uint128 quotient = product >> shift;
  const Uint128 remainder = product - (quotient << shift);
  const Uint128 half = static_cast<Uint128>(1) << (shift - 1);
  if (remainder > half || (remainder == half && (quotient & 1) != 0)) ++quotient;
  if ((quotient >> 64) != 0) return false;
  scaled = static_cast<std::uint64_t>(quotient);
  return true;
}

// The digits of scaled with a point before the last `precision` of them and at least one digit
// before the point, written so that they end at end; returns where they begin.
char* WriteFixedDigits(char* end, std::uint64_t scaled, int precision) {
  char* p = end;
  for (int i = 0; i < precision; ++i) {
    *--p = static_cast<char>('0' + scaled % 10);
    scaled /= 10;
  }
  if (precision > 0) *--p = '.';
  do {
    *--p = static_cast<char>('0' + scaled % 10);
    scaled /= 10;
  } while (scaled != 0);
  return p;
}

void AppendFloating(std::string& out, const Directive& directive, double value) {
  const char lower = ToLower(directive.conversion);
  const int precision = directive.precision < 0 ? 6 : directive.precision;
  const bool finite = value - value == 0.0;
  std::uint64_t scaled = 0;
  if (lower == 'f' && finite && precision <= kFastFixedPrecision &&
      ScaledMagnitude(std::fabs(value), precision, scaled)) {
    char buffer[48];  // 20 digits, the point and 17 decimals
    char* const end = buffer + sizeof buffer;
    const char* const begin = WriteFixedDigits(end, scaled, precision);
    AppendField(out, SignOf(std::signbit(value), directive), 0,
                std::string_view(begin, static_cast<std::size_t>(end - begin)), directive, true);
    return;
  }

  const std::chars_format format = lower == 'f'   ? std::chars_format::fixed
                                   : lower == 'e' ? std::chars_format::scientific
                                                  : std::chars_format::general;
  // Fixed notation of the largest double has 309 integer digits.
  const auto size = static_cast<std::size_t>(400 + precision);
  char onStack[512];
  std::string onHeap;
  char* buffer = onStack;
  if (size > sizeof onStack) {
    onHeap.resize(size);
    buffer = onHeap.data();
  }
  char* const end =
      std::to_chars(buffer, buffer + size, value, format, lower == 'g' && precision == 0 ? 1 : precision).ptr;
  if (IsUpper(directive.conversion))
    for (char* c = buffer; c < end; ++c) *c = ToUpper(*c);
  std::string_view body(buffer, static_cast<std::size_t>(end - buffer));
  const bool negative = !body.empty() && body.front() == '-';
  if (negative) body.remove_prefix(1);
  AppendField(out, SignOf(negative, directive), 0, body, directive, finite);
}

// Parses the conversion directive that starts after '%'; returns the position after it.
const char* ParseDirective(const char* p, Directive& directive, va_list& args) {
  for (;; ++p) {
    if (*p == '-')
      directive.leftAlign = true;
    else if (*p == '+')
      directive.plusSign = true;
    else if (*p == ' ')
      directive.spaceSign = true;
    else if (*p == '0')
      directive.zeroPad = true;
    else if (*p != '#')
      break;
  }
  if (*p == '*') {
    directive.width = va_arg(args, int);
    if (directive.width < 0) {
      directive.leftAlign = true;
      directive.width = -directive.width;
    }
    ++p;
  } else {
    while (IsDigit(*p)) directive.width = directive.width * 10 + (*p++ - '0');
  }
  if (*p == '.') {
    ++p;
    directive.precision = 0;
    if (*p == '*') {
      directive.precision = va_arg(args, int);
      if (directive.precision < 0) directive.precision = -1;
      ++p;
    } else {
      while (IsDigit(*p)) directive.precision = directive.precision * 10 + (*p++ - '0');
    }
  }
  while (*p == 'l' || *p == 'h' || *p == 'z') {
    if (*p == 'l' || *p == 'z') ++directive.longCount;
    ++p;
  }
  directive.conversion = *p;
  return *p ? p + 1 : p;
}

}  // namespace

void AppendTextV(std::string& out, const char* format, va_list args) {
  va_list own;
  va_copy(own, args);
  for (const char* p = format; *p;) {
    if (*p != '%') {
      const char* next = p;
      while (*next != '\0' && *next != '%') ++next;
      out.append(p, next);
      p = next;
      continue;
    }
    Directive directive;
    p = ParseDirective(p + 1, directive, own);
    switch (directive.conversion) {
      case 'd':
      case 'i':
      case 'u':
      case 'x':
      case 'X':
        AppendInteger(out, directive, own);
        break;
      case 'f':
      case 'F':
      case 'e':
      case 'E':
      case 'g':
      case 'G':
        AppendFloating(out, directive, va_arg(own, double));
        break;
      case 'c': {
        const char c = static_cast<char>(va_arg(own, int));
        AppendField(out, 0, 0, std::string_view(&c, 1),
                    Directive{directive.leftAlign, false, false, false, directive.width}, false);
        break;
      }
      case 's': {
        const char* text = va_arg(own, const char*);
        std::string_view view = text ? text : "(null)";
        if (directive.precision >= 0) view = view.substr(0, static_cast<std::size_t>(directive.precision));
        AppendField(out, 0, 0, view, Directive{directive.leftAlign, false, false, false, directive.width}, false);
        break;
      }
      case '%':
        out += '%';
        break;
      default:
        break;  // unknown conversions write nothing
    }
  }
  va_end(own);
}

void AppendText(std::string& out, const char* format, ...) {
  va_list args;
  va_start(args, format);
  AppendTextV(out, format, args);
  va_end(args);
}

std::string FormatText(const char* format, ...) {
  std::string out;
  va_list args;
  va_start(args, format);
  AppendTextV(out, format, args);
  va_end(args);
  return out;
}

}  // namespace ruvo
