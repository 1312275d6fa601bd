#include "desktop/field_text.h"

#include "core/text_format.h"

namespace ruvo {

std::string FormatReal(double value) { return FormatText("%.15g", value); }

std::string FormatInteger(std::int32_t value) { return FormatText("%d", value); }

std::string ExpectedNumberMessage() { return "Please enter a number."; }

std::string ExpectedIntegerMessage() { return "Please enter an integer."; }

std::string ExpectedRangeMessage(double low, double high) {
  return "Please enter a number between " + FormatReal(low) + " and " + FormatReal(high) + ".";
}

}  // namespace ruvo
