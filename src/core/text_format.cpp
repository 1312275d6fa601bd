#include "core/text_format.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <string_view>

#include "core/plain_field.h"

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
  bool widthFromArgument = false;      // "*": the width is the next argument
  bool precisionFromArgument = false;  // ".*": the precision is the next argument
  // A plain "%Wi" / "%Wd" (int) or "%W.Pf": no flags, no star, no more than kPlainWidth wide; such
  // directives, the log's own, have a short route when their format is kept parsed.
  enum class Route : char { kGeneral, kPlainInteger, kPlainFixed } route = Route::kGeneral;
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

// The characters of a number that takes the general route.
constexpr std::size_t kLongestFastNumber = 38;  // 20 digits, the point and 17 decimals

// Decimal digits of value (1 for 0).
std::size_t DecimalLength(std::uint64_t value) {
  // From the bit length: guess = floor(bits * log10(2)) (1233 / 4096 is close enough for 64 bits)
  // digits, one more when value reaches 10^guess; 0 counts from 0 to one digit. Without a branch,
  // which would be mispredicted as the lengths vary.
  static constexpr std::array<std::uint64_t, 20> kThresholds = [] {
    std::array<std::uint64_t, 20> powers{};
    std::uint64_t power = 1;
    for (std::uint64_t& entry : powers) {
      entry = power;
      power *= 10;
    }
    powers[0] = 0;
    return powers;
  }();
  const auto bits = static_cast<std::size_t>(64 - __builtin_clzll(value | 1));
  const std::size_t guess = bits * 1233 >> 12;
  std::uint64_t difference = 0;
  const bool below = __builtin_sub_overflow(value, kThresholds[guess], &difference);
  return guess + 1 - static_cast<std::size_t>(below);
}

// The text of one call, gathered in a local buffer and handed to the string in a few appends.
// Fields of numbers are written in place with fixed-size moves (the bytes past a field's end are
// overwritten by what follows), so a field costs a few stores instead of a capacity check and a
// library call per piece.
class Sink {
 public:
  // Fill or zeros a field may have for the in-place route; wider fields take the general route.
  static constexpr std::size_t kMaxPad = 64;

  explicit Sink(std::string& text) : out(text) { cursor = buffer.data(); }
  ~Sink() { Flush(); }
  Sink(const Sink&) = delete;
  Sink& operator=(const Sink&) = delete;

  // Appends the text of the format up to its next '%' or its end; returns where it stopped.
  const char* PutLiteral(const char* p) {
    for (;;) {
      // A local cursor: stores through char pointers could alias the member, which would then be
      // stored and reloaded for every character.
      char* to = cursor;
      char* const limit = buffer.data() + buffer.size();
      while (to < limit && *p != '\0' && *p != '%') *to++ = *p++;
      cursor = to;
      if (to < limit) return p;
      Flush();
    }
  }

  // A number's field: sign (0: none), zeros, then the bodySize characters that write(at) writes
  // from at, padded to the width as the directive says. Written in place, past the end of the text
  // so far: the fixed-size fills beyond the field's end are overwritten by what follows.
  template <typename WriteBody>
  void PutNumber(char sign,
                 std::size_t zeros,
                 std::size_t bodySize,
                 const Directive& directive,
                 bool allowZeroPad,
                 const WriteBody& write) {
    const std::size_t length = (sign != 0 ? 1 : 0) + zeros + bodySize;
    const auto width = static_cast<std::size_t>(directive.width);
    const std::size_t fill = width > length ? width - length : 0;
    const bool zeroPad = directive.zeroPad && allowZeroPad && !directive.leftAlign;
    if (fill > kMaxPad || zeros > kMaxPad) {
      char body[kLongestFastNumber];
      write(body);
      return PutWideField(sign, zeros, std::string_view(body, bodySize), directive, zeroPad, fill);
    }
    if (static_cast<std::size_t>(buffer.data() + buffer.size() - cursor) < kFieldRoom) Flush();
    char* p = cursor;
    std::memset(p, zeroPad ? '0' : ' ', kMaxPad);
    if (!directive.leftAlign && !zeroPad) p += fill;
    *p = sign;
    p += sign != 0 ? 1 : 0;
    if (zeroPad) {
      std::memset(p, '0', kMaxPad);
      p += fill;
    }
    if (zeros > 0) {
      std::memset(p, '0', kMaxPad);
      p += zeros;
    }
    write(p);
    p += bodySize;
    if (directive.leftAlign) {
      std::memset(p, ' ', kMaxPad);
      p += fill;
    }
    cursor = p;
  }

  // The same for any text (strings, characters, long numbers), piece by piece.
  void PutWideField(
      char sign, std::size_t zeros, std::string_view body, const Directive& directive, bool zeroPad, std::size_t fill) {
    if (!directive.leftAlign && !zeroPad) Fill(' ', fill);
    if (sign != 0) Put(std::string_view(&sign, 1));
    if (zeroPad) Fill('0', fill);
    Fill('0', zeros);
    Put(body);
    if (directive.leftAlign) Fill(' ', fill);
  }

  void PutText(std::string_view text, const Directive& directive) {
    const auto width = static_cast<std::size_t>(directive.width);
    PutWideField(0, 0, text, directive, false, width > text.size() ? width - text.size() : 0);
  }

  void Put(std::string_view text) {
    while (!text.empty()) {
      const std::size_t piece = std::min(text.size(), Room());
      std::memcpy(cursor, text.data(), piece);
      cursor += piece;
      text.remove_prefix(piece);
    }
  }

  void Fill(char c, std::size_t count) {
    while (count > 0) {
      const std::size_t piece = std::min(count, Room());
      std::memset(cursor, c, piece);
      cursor += piece;
      count -= piece;
    }
  }

 private:
  // Room an in-place field may use: its fill, sign, zeros, body and trailing fill.
  static constexpr std::size_t kFieldRoom = 3 * kMaxPad + 1 + kLongestFastNumber;

  // Free bytes, after emptying a full buffer.
  std::size_t Room() {
    if (cursor == buffer.data() + buffer.size()) Flush();
    return static_cast<std::size_t>(buffer.data() + buffer.size() - cursor);
  }

  void Flush() {
    out.append(buffer.data(), static_cast<std::size_t>(cursor - buffer.data()));
    cursor = buffer.data();
  }

  std::string& out;
  std::array<char, 1024> buffer;
  char* cursor = nullptr;
};

void PutInteger(Sink& out, const Directive& directive, va_list& args) {
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
  std::size_t zeros = 0;
  if (base == 10) {
    std::size_t digits = DecimalLength(magnitude);
    if (directive.precision >= 0) {
      const auto precision = static_cast<std::size_t>(directive.precision);
      if (precision == 0 && magnitude == 0)
        digits = 0;  // an explicit precision of 0 writes no digit for 0
      else if (precision > digits)
        zeros = precision - digits;
    }
    return out.PutNumber(SignOf(negative, directive), zeros, digits, directive, directive.precision < 0, [&](char* at) {
      if (digits > 0) WriteDecimal(at + digits, magnitude);
    });
  }
  char digits[16];  // 2^64 - 1 in hexadecimal
  std::string_view body(
      digits, static_cast<std::size_t>(std::to_chars(digits, digits + sizeof digits, magnitude, base).ptr - digits));
  if (directive.conversion == 'X')
    for (char& c : digits) c = ToUpper(c);
  if (directive.precision >= 0) {
    const auto precision = static_cast<std::size_t>(directive.precision);
    if (precision == 0 && magnitude == 0)
      body = {};
    else if (precision > body.size())
      zeros = precision - body.size();
  }
  const std::size_t length = (SignOf(negative, directive) != 0 ? 1 : 0) + zeros + body.size();
  const auto width = static_cast<std::size_t>(directive.width);
  out.PutWideField(SignOf(negative, directive), zeros, body, directive,
                   directive.zeroPad && directive.precision < 0 && !directive.leftAlign,
                   width > length ? width - length : 0);
}

void PutFloating(Sink& out, const Directive& directive, double value) {
  const char lower = ToLower(directive.conversion);
  const int precision = directive.precision < 0 ? 6 : directive.precision;
  const bool finite = value - value == 0.0;
  std::uint64_t scaled = 0;
  if (lower == 'f' && precision <= kPlainPrecision && ScaledMagnitude(value, precision, scaled)) {
    // The digits of scaled with a point before the last `precision` of them, and at least one
    // digit before the point.
    const auto decimals = static_cast<std::size_t>(precision);
    const std::size_t digits = DecimalLength(scaled);
    const std::size_t whole = digits > decimals ? digits - decimals : 1;
    const std::size_t size = whole + (decimals > 0 ? 1 + decimals : 0);
    return out.PutNumber(SignOf(std::signbit(value), directive), 0, size, directive, true, [&](char* at) {
      char* end = at + size;
      const std::uint64_t wholePart = WriteLowDigits(end, scaled, decimals);
      if (decimals > 0) *--end = '.';
      WriteDecimal(end, wholePart);
    });
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
  const std::size_t length = (SignOf(negative, directive) != 0 ? 1 : 0) + body.size();
  const auto width = static_cast<std::size_t>(directive.width);
  out.PutWideField(SignOf(negative, directive), 0, body, directive, directive.zeroPad && finite && !directive.leftAlign,
                   width > length ? width - length : 0);
}

template <int... kPrecision>
constexpr auto PlainFixedRoutines(std::integer_sequence<int, kPrecision...>) {
  return std::array{&PutPlainFixedBefore<kPrecision>...};
}
constexpr auto kPlainFixedRoutines = PlainFixedRoutines(std::make_integer_sequence<int, kPlainPrecision + 1>{});

// A plain field written from its end in a local buffer, then appended.
template <typename PutBefore>
void PutPlainField(Sink& sink, const PutBefore& put) {
  std::array<char, kPlainWidth + kPlainFieldRoom> field;
  char* const end = field.data() + field.size();
  sink.Put(std::string_view(put(end), end));
}

// Parses the conversion directive that starts after '%'; returns the position after it.
const char* ParseDirective(const char* p, Directive& directive) {
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
    directive.widthFromArgument = true;
    ++p;
  } else {
    while (IsDigit(*p)) directive.width = directive.width * 10 + (*p++ - '0');
  }
  if (*p == '.') {
    ++p;
    directive.precision = 0;
    if (*p == '*') {
      directive.precisionFromArgument = true;
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
  const bool plain = !directive.leftAlign && !directive.plusSign && !directive.spaceSign && !directive.zeroPad &&
                     !directive.widthFromArgument && !directive.precisionFromArgument && directive.longCount == 0 &&
                     directive.width <= kPlainWidth;
  if (plain && (*p == 'd' || *p == 'i') && directive.precision < 0)
    directive.route = Directive::Route::kPlainInteger;
  else if (plain && *p == 'f' && directive.precision >= 0 && directive.precision <= kPlainPrecision)
    directive.route = Directive::Route::kPlainFixed;
  return *p ? p + 1 : p;
}

// Takes a "*" width and precision from the arguments, in that order; a negative width means
// left alignment, a negative precision none.
void TakeStarArguments(Directive& directive, va_list& args) {
  if (directive.widthFromArgument) {
    directive.width = va_arg(args, int);
    if (directive.width < 0) {
      directive.leftAlign = true;
      directive.width = -directive.width;
    }
  }
  if (directive.precisionFromArgument) {
    directive.precision = va_arg(args, int);
    if (directive.precision < 0) directive.precision = -1;
  }
}

}  // namespace

namespace {

// Writes the conversion of one directive, taking its arguments from args.
void PutConversion(Sink& sink, const Directive& directive, va_list& args) {
  if (directive.widthFromArgument || directive.precisionFromArgument) {
    Directive starred = directive;
    TakeStarArguments(starred, args);
    starred.widthFromArgument = starred.precisionFromArgument = false;
    return PutConversion(sink, starred, args);
  }
  switch (directive.conversion) {
    case 'd':
    case 'i':
    case 'u':
    case 'x':
    case 'X':
      PutInteger(sink, directive, args);
      break;
    case 'f':
    case 'F':
    case 'e':
    case 'E':
    case 'g':
    case 'G':
      PutFloating(sink, directive, va_arg(args, double));
      break;
    case 'c': {
      const char c = static_cast<char>(va_arg(args, int));
      sink.PutText(std::string_view(&c, 1), directive);
      break;
    }
    case 's': {
      const char* text = va_arg(args, const char*);
      std::string_view view = text ? text : "(null)";
      if (directive.precision >= 0) view = view.substr(0, static_cast<std::size_t>(directive.precision));
      sink.PutText(view, directive);
      break;
    }
    case '%':
      sink.Put("%");
      break;
    default:
      break;  // unknown conversions write nothing
  }
}

// A format taken apart once: the literal text before each directive, the directives, and the text
// after the last. The log writes the same few formats thousands of times, so the last few parsed
// are kept (per thread) and found again by address and checked by content.
struct ParsedFormat {
  static constexpr std::size_t kLongest = 160;    // characters of a format that is kept
  static constexpr std::size_t kDirectives = 24;  // directives of a format that is kept
  const char* address = nullptr;
  std::array<char, kLongest + 1> text{};  // the format when it was parsed, with its terminator
  std::size_t count = 0;                  // directives
  std::array<Directive, kDirectives> directives{};
  std::array<std::string_view, kDirectives + 1> literals{};  // into text: before each directive, then the rest

  // Parses format into this entry; false when it is too long or has too many directives.
  bool Parse(const char* format) {
    address = nullptr;
    const std::size_t length = std::strlen(format);
    if (length > kLongest) return false;
    std::memcpy(text.data(), format, length + 1);
    count = 0;
    const char* p = text.data();
    for (;;) {
      const char* literal = p;
      while (*p != '\0' && *p != '%') ++p;
      if (count == kDirectives && *p == '%') return false;
      literals[count] = std::string_view(literal, static_cast<std::size_t>(p - literal));
      if (*p == '\0') break;
      directives[count] = Directive{};
      p = ParseDirective(p + 1, directives[count]);
      ++count;
    }
    address = format;
    return true;
  }

  bool Matches(const char* format) const { return format == address && std::strcmp(format, text.data()) == 0; }
};

ParsedFormat* FindParsedFormat(const char* format) {
  thread_local std::array<ParsedFormat, 6> kept;
  thread_local std::size_t next = 0;
  for (ParsedFormat& entry : kept)
    if (entry.Matches(format)) return &entry;
  ParsedFormat& entry = kept[next];
  next = (next + 1) % kept.size();
  return entry.Parse(format) ? &entry : nullptr;
}

}  // namespace

void AppendTextV(std::string& out, const char* format, va_list args) {
  Sink sink(out);
  va_list own;
  va_copy(own, args);
  if (const ParsedFormat* parsed = FindParsedFormat(format)) {
    for (std::size_t i = 0; i < parsed->count; ++i) {
      sink.PutLiteral(parsed->literals[i].data());
      const Directive& directive = parsed->directives[i];
      switch (directive.route) {
        case Directive::Route::kPlainInteger: {
          const int value = va_arg(own, int);
          PutPlainField(sink, [&](char* end) { return PutPlainIntegerBefore(end, directive.width, value); });
          break;
        }
        case Directive::Route::kPlainFixed: {
          const double value = va_arg(own, double);
          PutPlainField(sink, [&](char* end) {
            return kPlainFixedRoutines[static_cast<std::size_t>(directive.precision)](end, directive.width, value);
          });
          break;
        }
        case Directive::Route::kGeneral:
          PutConversion(sink, directive, own);
          break;
      }
    }
    sink.PutLiteral(parsed->literals[parsed->count].data());
  } else {
    for (const char* p = sink.PutLiteral(format); *p; p = sink.PutLiteral(p)) {
      Directive directive;
      p = ParseDirective(p + 1, directive);
      PutConversion(sink, directive, own);
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
