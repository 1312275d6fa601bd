#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace ruvo {

// Writes bytes to path through a temporary file in the same folder that is renamed over path
// only when complete, so a failure leaves any earlier file at path as it was. Returns false with
// a reason in error, having removed the temporary file.
bool WriteFileAtomically(const std::string& path, const std::vector<std::uint8_t>& bytes, std::string& error);

}  // namespace ruvo
