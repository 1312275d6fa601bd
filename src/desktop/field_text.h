#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace ruvo {

// How the form's boxes show and take numbers, independent of the user's locale: a decimal point
// always, never a comma.

// The shortest general notation with up to 15 significant digits: 4.0 -> "4", 0.01 -> "0.01".
std::string FormatReal(double value);
std::string FormatInteger(std::int32_t value);

// What a rejected box tells the user, naming the box by its label (a trailing colon is dropped):
// "Test Weight: enter a number between 100 and 50000".
std::string ExpectedNumberMessage(std::string_view label);
std::string ExpectedIntegerMessage(std::string_view label);
std::string ExpectedRangeMessage(std::string_view label, double low, double high);

}  // namespace ruvo
