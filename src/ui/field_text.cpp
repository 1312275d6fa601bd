#include "ui/field_text.h"

#include <charconv>
#include <cmath>
#include <system_error>

#include "core/text_format.h"

namespace ruvo {
namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view Trimmed(std::string_view text) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
  return text;
}

// from_chars takes no leading '+'; a lone sign or "+-1" must still fail.
std::string_view WithoutPlus(std::string_view text) {
  if (text.size() > 1 && text.front() == '+' && text[1] != '-' && text[1] != '+') text.remove_prefix(1);
  return text;
}

template <typename Number, typename... Format>
bool ParseWhole(std::string_view text, Number& result, Format... format) {
  const std::string_view digits = WithoutPlus(Trimmed(text));
  if (digits.empty()) return false;
  const char* end = digits.data() + digits.size();
  const auto [stop, error] = std::from_chars(digits.data(), end, result, format...);
  return error == std::errc() && stop == end;
}

}  // namespace

std::string FormatReal(double value) { return FormatText("%.15g", value); }

std::string FormatInteger(std::int32_t value) { return FormatText("%d", value); }

bool ParseRealText(std::string_view text, double& value) {
  double parsed = 0.0;
  if (!ParseWhole(text, parsed, std::chars_format::general) || !std::isfinite(parsed)) return false;
  value = parsed;
  return true;
}

bool ParseIntegerText(std::string_view text, std::int32_t& value) {
  std::int32_t parsed = 0;
  if (!ParseWhole(text, parsed)) return false;
  value = parsed;
  return true;
}

std::string ExpectedNumberMessage() { return "Please enter a number."; }

std::string ExpectedIntegerMessage() { return "Please enter an integer."; }

std::string ExpectedRangeMessage(double low, double high) {
  return "Please enter a number between " + FormatReal(low) + " and " + FormatReal(high) + ".";
}

}  // namespace ruvo
