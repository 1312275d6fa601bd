#pragma once

#include <cstddef>
#include <cstdint>

namespace ruvo {

// The fitting routines count points and parameters with signed integers, as their formulas do;
// this is the one place where such a count becomes a vector position. The caller guarantees
// 0 <= i < size.
constexpr std::size_t At(std::int64_t i) {
  return static_cast<std::size_t>(i);
}

}  // namespace ruvo
