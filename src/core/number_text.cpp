#include "core/number_text.h"

#include <charconv>
#include <cmath>
#include <system_error>

namespace ruvo {
namespace {

std::string_view Trimmed(std::string_view text) {
  const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
  while (!text.empty() && blank(text.front())) text.remove_prefix(1);
  while (!text.empty() && blank(text.back())) text.remove_suffix(1);
  return text;
}

// from_chars takes no leading "+"; a user may well write one.
std::string_view WithoutPlus(std::string_view text) {
  if (text.size() > 1 && text.front() == '+' && text[1] != '-' && text[1] != '+') text.remove_prefix(1);
  return text;
}

template <typename Number>
bool ParseWhole(std::string_view text, Number& target) {
  text = WithoutPlus(Trimmed(text));
  Number value{};
  const char* end = text.data() + text.size();
  const auto [stop, error] = std::from_chars(text.data(), end, value);
  if (text.empty() || error != std::errc() || stop != end) return false;
  target = value;
  return true;
}

}  // namespace

bool ParseReal(std::string_view text, double& target) {
  double value = 0.0;
  if (!ParseWhole(text, value) || !std::isfinite(value)) return false;
  target = value;
  return true;
}

bool ParseInteger(std::string_view text, std::int32_t& target) {
  return ParseWhole(text, target);
}

bool ParseSeed(std::string_view text, std::uint64_t& target) {
  return ParseWhole(text, target);
}

}  // namespace ruvo
