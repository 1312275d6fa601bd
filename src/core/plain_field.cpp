#include "core/plain_field.h"

#include <charconv>

namespace ruvo {

char* PutOtherFixedBefore(char* end, int width, int precision, double value) {
  char text[kPlainFieldRoom];
  const auto length = static_cast<std::size_t>(
      std::to_chars(text, text + sizeof text, value, std::chars_format::fixed, precision).ptr - text);
  std::memcpy(end - length, text, length);
  return PadBefore(end - length, end, width);
}

}  // namespace ruvo
