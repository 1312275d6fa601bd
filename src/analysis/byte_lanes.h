#pragma once

#include <cstdint>
#include <cstring>

namespace ruvo {

// Sixteen 8-bit samples worked on at once, for the loops that pass over whole recordings. The
// compilers' vector extension gives every target its own vector instructions from the same code
// (SSE2 on x86-64, and AVX2 encodings in the functions also built for it with target_clones).
// Sixteen bytes fit the baseline's registers, so inline helpers that are not inlined pass them the
// same way in every build of a function. Every operation is on integers, so no result depends on
// the target.
typedef std::uint8_t ByteLanes __attribute__((vector_size(16)));
typedef std::uint16_t WordLanes __attribute__((vector_size(16)));  // the same bytes as 8 pairs
inline constexpr std::int64_t kByteLanes = 16;

// kByteLanes samples from p, which need no alignment.
inline ByteLanes LoadLanes(const std::uint8_t* p) {
  ByteLanes lanes;
  std::memcpy(&lanes, p, sizeof lanes);
  return lanes;
}

inline ByteLanes SplatLanes(std::uint8_t value) {
  return ByteLanes{} + value;
}
inline ByteLanes MaxLanes(ByteLanes a, ByteLanes b) {
  return a > b ? a : b;
}
inline ByteLanes MinLanes(ByteLanes a, ByteLanes b) {
  return a > b ? b : a;
}

// Lanes moved down by `shift` places, zeros filling the top: a whole-register byte shift.
template <int shift>
ByteLanes ShiftedDown(ByteLanes lanes) {
  // Picks 16 and above come from the zeros.
  return __builtin_shufflevector(lanes, ByteLanes{}, shift, shift + 1, shift + 2, shift + 3, shift + 4, shift + 5,
                                 shift + 6, shift + 7, shift + 8, shift + 9, shift + 10, shift + 11, shift + 12,
                                 shift + 13, shift + 14, shift + 15);
}

// The largest lane, in four halving steps.
inline std::uint8_t LargestLane(ByteLanes lanes) {
  lanes = MaxLanes(lanes, ShiftedDown<8>(lanes));
  lanes = MaxLanes(lanes, ShiftedDown<4>(lanes));
  lanes = MaxLanes(lanes, ShiftedDown<2>(lanes));
  lanes = MaxLanes(lanes, ShiftedDown<1>(lanes));
  return lanes[0];
}

// The smallest lane, as the largest of the complements.
inline std::uint8_t SmallestLane(ByteLanes lanes) {
  return static_cast<std::uint8_t>(255 - LargestLane(~lanes));
}

}  // namespace ruvo
