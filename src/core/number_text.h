#pragma once

#include <cstdint>
#include <string_view>

namespace ruvo {

// Whole-text number conversions for typed values (form boxes, command-line options, CSV fields),
// independent of the process locale: a decimal point always, never a comma. Blanks around the
// number and a leading "+" are allowed; any other extra character, an empty text, a value that
// does not fit and (for reals) infinities and NaN are rejected with false, leaving the target
// unchanged.
bool ParseReal(std::string_view text, double& target);
bool ParseInteger(std::string_view text, std::int32_t& target);
bool ParseSeed(std::string_view text, std::uint64_t& target);

}  // namespace ruvo
