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

// What a rejected box tells the user it expects.
std::string ExpectedNumberMessage();
std::string ExpectedIntegerMessage();
std::string ExpectedRangeMessage(double low, double high);

}  // namespace ruvo
