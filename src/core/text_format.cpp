#include "core/text_format.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cstdarg>
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

// Appends body (which may start with '-') to out, applying sign flags, zero padding and width.
void AppendPadded(std::string& out, std::string_view body, const Directive& directive, bool allowZeroPad) {
  std::string sign;
  if (!body.empty() && body.front() == '-') {
    sign = "-";
    body.remove_prefix(1);
  } else if (directive.plusSign) {
    sign = "+";
  } else if (directive.spaceSign) {
    sign = " ";
  }
  const std::size_t length = sign.size() + body.size();
  const std::size_t fill = directive.width > 0 && static_cast<std::size_t>(directive.width) > length
                               ? static_cast<std::size_t>(directive.width) - length
                               : 0;
  if (directive.leftAlign) {
    out += sign;
    out += body;
    out.append(fill, ' ');
  } else if (directive.zeroPad && allowZeroPad) {
    out += sign;
    out.append(fill, '0');
    out += body;
  } else {
    out.append(fill, ' ');
    out += sign;
    out += body;
  }
}

void AppendInteger(std::string& out, const Directive& directive, va_list& args) {
  const bool isSigned = directive.conversion == 'd' || directive.conversion == 'i';
  const int base = (directive.conversion == 'x' || directive.conversion == 'X') ? 16 : 10;
  char buffer[80];
  std::to_chars_result result{};
  if (isSigned) {
    long long value = directive.longCount >= 2 ? va_arg(args, long long)
                      : directive.longCount == 1 ? va_arg(args, long)
                                            : va_arg(args, int);
    result = std::to_chars(buffer, buffer + sizeof buffer, value, base);
  } else {
    unsigned long long value = directive.longCount >= 2 ? va_arg(args, unsigned long long)
                               : directive.longCount == 1 ? va_arg(args, unsigned long)
                                                     : va_arg(args, unsigned int);
    result = std::to_chars(buffer, buffer + sizeof buffer, value, base);
  }
  std::string body(buffer, result.ptr);
  if (directive.conversion == 'X') std::transform(body.begin(), body.end(), body.begin(), ::toupper);
  if (directive.precision >= 0) {
    const std::size_t signLength = (!body.empty() && body.front() == '-') ? 1 : 0;
    const std::size_t digits = body.size() - signLength;
    if (directive.precision == 0 && body == "0") body.clear();
    if (static_cast<std::size_t>(directive.precision) > digits)
      body.insert(signLength, static_cast<std::size_t>(directive.precision) - digits, '0');
  }
  AppendPadded(out, body, directive, directive.precision < 0);
}

void AppendFloating(std::string& out, const Directive& directive, double value) {
  const char lower = static_cast<char>(std::tolower(static_cast<unsigned char>(directive.conversion)));
  const int precision = directive.precision < 0 ? 6 : directive.precision;
  const std::chars_format format = lower == 'f'   ? std::chars_format::fixed
                                   : lower == 'e' ? std::chars_format::scientific
                                                  : std::chars_format::general;
  // Fixed notation of the largest double has 309 integer digits.
  std::string buffer(static_cast<std::size_t>(400 + precision), '\0');
  const auto result = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value, format,
                                    lower == 'g' && precision == 0 ? 1 : precision);
  buffer.resize(static_cast<std::size_t>(result.ptr - buffer.data()));
  if (std::isupper(static_cast<unsigned char>(directive.conversion)))
    std::transform(buffer.begin(), buffer.end(), buffer.begin(), ::toupper);
  const bool finite = value - value == 0.0;
  AppendPadded(out, buffer, directive, finite);
}

// Parses the conversion directive that starts after '%'; returns the position after it.
const char* ParseDirective(const char* p, Directive& directive, va_list& args) {
  for (;; ++p) {
    if (*p == '-') directive.leftAlign = true;
    else if (*p == '+') directive.plusSign = true;
    else if (*p == ' ') directive.spaceSign = true;
    else if (*p == '0') directive.zeroPad = true;
    else if (*p != '#') break;
  }
  if (*p == '*') {
    directive.width = va_arg(args, int);
    if (directive.width < 0) {
      directive.leftAlign = true;
      directive.width = -directive.width;
    }
    ++p;
  } else {
    while (std::isdigit(static_cast<unsigned char>(*p))) directive.width = directive.width * 10 + (*p++ - '0');
  }
  if (*p == '.') {
    ++p;
    directive.precision = 0;
    if (*p == '*') {
      directive.precision = va_arg(args, int);
      if (directive.precision < 0) directive.precision = -1;
      ++p;
    } else {
      while (std::isdigit(static_cast<unsigned char>(*p))) directive.precision = directive.precision * 10 + (*p++ - '0');
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

std::string FormatText(const char* format, ...) {
  std::string out;
  va_list args;
  va_start(args, format);
  for (const char* p = format; *p;) {
    if (*p != '%') {
      const char* next = std::strchr(p, '%');
      if (!next) next = p + std::strlen(p);
      out.append(p, next);
      p = next;
      continue;
    }
    Directive directive;
    p = ParseDirective(p + 1, directive, args);
    switch (directive.conversion) {
      case 'd': case 'i': case 'u': case 'x': case 'X':
        AppendInteger(out, directive, args);
        break;
      case 'f': case 'F': case 'e': case 'E': case 'g': case 'G':
        AppendFloating(out, directive, va_arg(args, double));
        break;
      case 'c': {
        const char c = static_cast<char>(va_arg(args, int));
        AppendPadded(out, std::string_view(&c, 1), Directive{directive.leftAlign, false, false, false, directive.width}, false);
        break;
      }
      case 's': {
        const char* text = va_arg(args, const char*);
        std::string_view view = text ? text : "(null)";
        if (directive.precision >= 0) view = view.substr(0, static_cast<std::size_t>(directive.precision));
        AppendPadded(out, view, Directive{directive.leftAlign, false, false, false, directive.width}, false);
        break;
      }
      case '%':
        out += '%';
        break;
      default:
        break;  // unknown conversions write nothing
    }
  }
  va_end(args);
  return out;
}

}  // namespace ruvo
