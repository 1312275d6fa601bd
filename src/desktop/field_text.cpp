#include "desktop/field_text.h"

#include "core/text_format.h"

namespace ruvo {
namespace {

std::string FieldName(std::string_view label) {
  if (!label.empty() && label.back() == ':') label.remove_suffix(1);
  return std::string(label);
}

}  // namespace

std::string FormatReal(double value) {
  return FormatText("%.15g", value);
}

std::string FormatInteger(std::int32_t value) {
  return FormatText("%d", value);
}

std::string ExpectedNumberMessage(std::string_view label) {
  return FieldName(label) + ": enter a number";
}

std::string ExpectedIntegerMessage(std::string_view label) {
  return FieldName(label) + ": enter an integer";
}

std::string ExpectedRangeMessage(std::string_view label, double low, double high) {
  return FieldName(label) + ": enter a number between " + FormatReal(low) + " and " + FormatReal(high);
}

}  // namespace ruvo
