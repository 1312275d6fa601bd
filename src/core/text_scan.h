#pragma once

#include <cstdint>
#include <string_view>

namespace ruvo {

// scanf-style conversions of file values, independent of the process locale. Each skips leading
// white space, converts as many characters as fit and ignores the rest. When nothing converts,
// or the value does not fit the target type, the target is left unchanged and false returned.

// "%lf": decimal or hexadecimal floating point, "inf" and "nan", with an optional sign.
bool ScanDouble(std::string_view text, double& target);

// "%i": decimal, octal with a leading "0", or hexadecimal with a leading "0x", optional sign.
bool ScanInt(std::string_view text, std::int32_t& target);

}  // namespace ruvo
