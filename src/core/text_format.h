#pragma once

#include <array>
#include <concepts>
#include <cstdarg>
#include <cstddef>
#include <cstring>
#include <string>
#include <tuple>
#include <utility>

#include "core/plain_field.h"

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
  struct Text {
    std::size_t begin = 0;  // in the format's characters
    std::size_t size = 0;
  };
  struct Directive {
    Text before;
    char conversion = 0;  // 'i' or 'f'
    int width = 0;
    int precision = 0;
  };
  std::array<Directive, kDirectives> directives{};
  Text tail{};
  bool valid = true;
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
  for (auto& directive : parsed.directives) {
    directive.before.begin = i;
    while (i < end && format.chars[i] != '%') ++i;
    directive.before.size = i - directive.before.begin;
    ++i;
    directive.width = number();
    directive.conversion = i < end && format.chars[i] == '.' ? 'f' : 'i';
    bool plain = directive.width <= kPlainWidth;
    if (directive.conversion == 'f') {
      ++i;
      directive.precision = number();
      plain = plain && directive.precision <= kPlainPrecision && take('f');
    } else {
      plain = plain && (i < end && format.chars[i] == 'd' ? take('d') : take('i'));
    }
    if (!plain) return ParsedLiteral<kDirectives>{.valid = false};
  }
  parsed.tail = {i, end - i};
  return parsed;
}

template <FormatLiteral kFormat>
inline constexpr auto kParsedLiteral = ParseLiteral<CountDirectives(kFormat)>(kFormat);

template <FormatLiteral kFormat, typename ParsedText>
char* PutTextBefore(char* end, const ParsedText& text) {
  std::memcpy(end - text.size, kFormat.chars.data() + text.begin, text.size);
  return end - text.size;
}

// The field of directive kIndex and the text before it, ending at end; returns where they begin.
template <FormatLiteral kFormat, std::size_t kIndex, typename Value>
char* PutDirectiveBefore(char* end, const Value& value) {
  constexpr auto directive = kParsedLiteral<kFormat>.directives[kIndex];
  if constexpr (directive.conversion == 'f') {
    static_assert(std::same_as<Value, double> || std::same_as<Value, float>, "%f takes a double");
    end = PutPlainFixedBefore<directive.precision>(end, directive.width, value);
  } else {
    static_assert(std::same_as<decltype(+value), int>, "%i takes an int");
    end = PutPlainIntegerBefore(end, directive.width, value);
  }
  return PutTextBefore<kFormat>(end, directive.before);
}

// The whole text, last directive first.
template <FormatLiteral kFormat, std::size_t... kIndex, typename... Values>
char* PutLiteralBefore(char* end, std::index_sequence<kIndex...>, const Values&... values) {
  end = PutTextBefore<kFormat>(end, kParsedLiteral<kFormat>.tail);
  constexpr std::size_t kLast = sizeof...(Values) - 1;
  [[maybe_unused]] const std::tuple<const Values&...> arguments(values...);  // none for a text without directives
  ((end = PutDirectiveBefore<kFormat, kLast - kIndex>(end, std::get<kLast - kIndex>(arguments))), ...);
  return end;
}

// Appends what AppendText(out, format, values...) appends, byte for byte, without looking at the
// format at run time.
template <FormatLiteral kFormat, typename... Values>
void AppendText(std::string& out, const Values&... values) {
  constexpr auto& parsed = kParsedLiteral<kFormat>;
  static_assert(parsed.valid, "a format literal has only text, %Wi, %Wd and %W.Pf (W <= 32, P <= 17)");
  static_assert(parsed.directives.size() == sizeof...(Values), "one value for each directive");
  char text[kPlainWidth + kFormat.chars.size() + sizeof...(Values) * kPlainFieldRoom];
  char* const end = text + sizeof text;
  const char* const begin = PutLiteralBefore<kFormat>(end, std::index_sequence_for<Values...>{}, values...);
  out.append(begin, static_cast<std::size_t>(end - begin));
}

}  // namespace ruvo
