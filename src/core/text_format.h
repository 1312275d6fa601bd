#pragma once

#include <array>
#include <concepts>
#include <cstdarg>
#include <cstddef>
#include <cstring>
#include <string>
#include <utility>

namespace ruvo {

// printf-style formatting into a string, independent of the process locale: numbers always use
// a decimal point. Supports the flags "-+ 0#", width, precision (also "*"), the length modifiers
// "l" and "ll", and the conversions d i u x X f F e E g G c s %. Floating-point conversions are
// correctly rounded, as glibc's printf is, so files are byte-identical on every machine.
std::string FormatText(const char* format, ...) __attribute__((format(printf, 1, 2)));

// The same conversions appended to out, so that a text built line by line needs no temporary
// string per line.
void AppendText(std::string& out, const char* format, ...) __attribute__((format(printf, 2, 3)));
void AppendTextV(std::string& out, const char* format, va_list args);

// The plain directives, the log's own: "%Wi" / "%Wd" of an int and "%W.Pf" of a double, with no
// flags, W <= kPlainWidth and P <= kPlainPrecision. Put... writes the bytes FormatText writes for
// one at `at`, which must have kPlainFieldRoom bytes free (some past the end may be overwritten),
// and returns the end.
constexpr int kPlainWidth = 32;
constexpr int kPlainPrecision = 17;
constexpr std::size_t kPlainFieldRoom = 1 + 309 + 1 + kPlainPrecision;  // "-", DBL_MAX's digits, ".", decimals
char* PutPlainInteger(char* at, int width, int value);
char* PutPlainFixed(char* at, int width, int precision, double value);

// A format given as a template argument, so that it is taken apart at compile time:
// AppendText<"#%5i %7.3f\n">(text, count, seconds). Only literal text and plain directives.
template <std::size_t N>
struct FormatLiteral {
  // Implicit, so that a string literal names the format.
  constexpr FormatLiteral(const char (&text)[N]) {
    for (std::size_t i = 0; i < N; ++i) chars[i] = text[i];
  }
  std::array<char, N> chars{};
};

// A format literal taken apart: each directive with the literal text before it, then the text after
// the last; valid is false when the format has anything but literal text and plain directives.
template <std::size_t kDirectives>
struct ParsedLiteral {
  struct Piece {
    std::size_t textBegin = 0;  // the literal text before the directive, in the format's characters
    std::size_t textSize = 0;
    char conversion = 0;  // 'i' or 'f'
    int width = 0;
    int precision = 0;
  };
  std::array<Piece, kDirectives> pieces{};
  Piece tail{};  // the text after the last directive
  bool valid = true;
  std::size_t room = 0;  // bytes a line of this format may take, with the plain fields' slack
};

template <std::size_t N>
constexpr std::size_t CountDirectives(const FormatLiteral<N>& format) {
  std::size_t count = 0;
  for (std::size_t i = 0; i + 1 < N; ++i) count += format.chars[i] == '%' ? 1 : 0;
  return count;
}

template <std::size_t kDirectives, std::size_t N>
constexpr ParsedLiteral<kDirectives> ParseLiteral(const FormatLiteral<N>& format) {
  constexpr std::size_t end = N - 1;  // the terminator
  ParsedLiteral<kDirectives> parsed;
  std::size_t i = 0;
  const auto number = [&] {
    int value = 0;
    while (i < end && format.chars[i] >= '0' && format.chars[i] <= '9' && value <= kPlainWidth)
      value = value * 10 + (format.chars[i++] - '0');
    return value;
  };
  const auto take = [&](char expected) { return i < end && format.chars[i++] == expected; };
  for (auto& piece : parsed.pieces) {
    piece.textBegin = i;
    while (i < end && format.chars[i] != '%') ++i;
    piece.textSize = i - piece.textBegin;
    ++i;
    piece.width = number();
    piece.conversion = i < end && format.chars[i] == '.' ? 'f' : 'i';
    bool plain = piece.width <= kPlainWidth;
    if (piece.conversion == 'f') {
      ++i;
      piece.precision = number();
      plain = plain && piece.precision <= kPlainPrecision && take('f');
    } else {
      plain = plain && (i < end && format.chars[i] == 'd' ? take('d') : take('i'));
    }
    if (!plain) return ParsedLiteral<kDirectives>{.valid = false};
  }
  parsed.tail.textBegin = i;
  parsed.tail.textSize = end - i;
  parsed.room = N + kDirectives * kPlainFieldRoom;
  return parsed;
}

template <FormatLiteral kFormat>
inline constexpr auto kParsedLiteral = ParseLiteral<CountDirectives(kFormat)>(kFormat);

// The text before directive kIndex (the tail for kIndex = the count), then the directive of value.
template <FormatLiteral kFormat, std::size_t kIndex, typename Value>
char* PutPiece(char* at, const Value& value) {
  constexpr auto piece = kParsedLiteral<kFormat>.pieces[kIndex];
  std::memcpy(at, kFormat.chars.data() + piece.textBegin, piece.textSize);
  at += piece.textSize;
  if constexpr (piece.conversion == 'f') {
    static_assert(std::same_as<Value, double> || std::same_as<Value, float>, "%f takes a double");
    return PutPlainFixed(at, piece.width, piece.precision, value);
  } else {
    static_assert(std::same_as<decltype(+value), int>, "%i takes an int");
    return PutPlainInteger(at, piece.width, value);
  }
}

template <FormatLiteral kFormat, std::size_t... kIndex, typename... Values>
char* PutLiteralLine(char* at, std::index_sequence<kIndex...>, const Values&... values) {
  ((at = PutPiece<kFormat, kIndex>(at, values)), ...);
  constexpr auto tail = kParsedLiteral<kFormat>.tail;
  std::memcpy(at, kFormat.chars.data() + tail.textBegin, tail.textSize);
  return at + tail.textSize;
}

// Appends what AppendText(out, format, values...) appends, byte for byte, without looking at the
// format at run time.
template <FormatLiteral kFormat, typename... Values>
void AppendText(std::string& out, const Values&... values) {
  constexpr auto& parsed = kParsedLiteral<kFormat>;
  static_assert(parsed.valid, "a format literal has only text, %Wi, %Wd and %W.Pf (W <= 32, P <= 17)");
  static_assert(parsed.pieces.size() == sizeof...(Values), "one value for each directive");
  char line[parsed.room];
  const char* const end = PutLiteralLine<kFormat>(line, std::index_sequence_for<Values...>{}, values...);
  out.append(line, static_cast<std::size_t>(end - line));
}

}  // namespace ruvo
