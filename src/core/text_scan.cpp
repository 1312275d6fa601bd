#include "core/text_scan.h"

#include <charconv>
#include <limits>
#include <system_error>

namespace ruvo {
namespace {

bool IsBlank(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

bool IsHexDigit(char c) {
  return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

bool StartsWithSign(std::string_view text) {
  return !text.empty() && (text.front() == '+' || text.front() == '-');
}

// Removes leading blanks and an optional sign, setting negative for a minus. False when a second
// sign follows, which no conversion accepts.
bool TakeSign(std::string_view& text, bool& negative) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  negative = false;
  if (!StartsWithSign(text)) return true;
  negative = text.front() == '-';
  text.remove_prefix(1);
  return !StartsWithSign(text);
}

// True when text starts with "0x" or "0X" followed by a hexadecimal digit (or a point and one).
bool HasHexPrefix(std::string_view text) {
  if (text.size() < 3 || text[0] != '0' || (text[1] != 'x' && text[1] != 'X')) return false;
  return IsHexDigit(text[2]) || (text[2] == '.' && text.size() > 3 && IsHexDigit(text[3]));
}

// The hexadecimal digits of text (a mantissa without its "0x") with a binary exponent only when
// one is complete: "p", an optional sign and a digit. libstdc++ 12's from_chars also takes
// "p+-2" as an exponent, where strtod stops before the "p".
std::string_view CompleteHexNumber(std::string_view text) {
  std::size_t end = 0;
  bool point = false;
  while (end < text.size() && (IsHexDigit(text[end]) || (text[end] == '.' && !point))) point |= text[end++] == '.';
  if (end == text.size() || (text[end] != 'p' && text[end] != 'P')) return text;
  std::size_t digit = end + 1;
  if (digit < text.size() && (text[digit] == '+' || text[digit] == '-')) ++digit;
  return digit < text.size() && text[digit] >= '0' && text[digit] <= '9' ? text : text.substr(0, end);
}

}  // namespace

bool ScanDouble(std::string_view text, double& target) {
  bool negative = false;
  if (!TakeSign(text, negative)) return false;
  double value = 0.0;
  std::from_chars_result result{};
  if (HasHexPrefix(text)) {
    text = CompleteHexNumber(text.substr(2));
    result = std::from_chars(text.data(), text.data() + text.size(), value, std::chars_format::hex);
  } else {
    result = std::from_chars(text.data(), text.data() + text.size(), value, std::chars_format::general);
  }
  if (result.ec != std::errc()) return false;
  target = negative ? -value : value;
  return true;
}

bool ScanInt(std::string_view text, std::int32_t& target) {
  bool negative = false;
  if (!TakeSign(text, negative)) return false;
  int base = 10;
  if (HasHexPrefix(text) && text[2] != '.') {
    base = 16;
    text.remove_prefix(2);
  } else if (!text.empty() && text.front() == '0') {
    base = 8;
  }
  std::int64_t magnitude = 0;
  const auto result = std::from_chars(text.data(), text.data() + text.size(), magnitude, base);
  if (result.ec != std::errc() || magnitude < 0) return false;
  const std::int64_t value = negative ? -magnitude : magnitude;
  if (value < std::numeric_limits<std::int32_t>::min() || value > std::numeric_limits<std::int32_t>::max())
    return false;
  target = static_cast<std::int32_t>(value);
  return true;
}

}  // namespace ruvo
