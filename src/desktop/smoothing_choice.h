#pragma once

#include <cstdint>

namespace ruvo {

// Smoothing methods, in the order of the dialog's radio buttons.
inline constexpr std::int32_t kNoSmoothing = 0;
inline constexpr std::int32_t kLocalSmoothing = 1;
inline constexpr std::int32_t kSplineSegments = 2;
inline constexpr std::int32_t kExponentialFit = 3;

// The five values the smoothing dialog edits: the method and one parameter per method, each
// starting at its default so that only the stored method's parameter shows its stored value.
struct SmoothingChoice {
  std::int32_t method = kSplineSegments;
  std::int32_t localLevel = 3;
  std::int32_t segments = 3;
  std::int32_t fitLevel = 3;
  std::int32_t declineRpm = 0;  // rpm at the start of the decline (exponential fit)
};

// The dialog's values for the run's stored method, level and decline rpm.
SmoothingChoice SmoothingChoiceFor(std::int32_t method, std::int32_t level, std::int32_t declineRpm);

// Writes a confirmed choice back: the method always; the chosen method's parameter as the level;
// the decline rpm for the exponential fit only. A method without a parameter (or an unknown one)
// leaves level and declineRpm as they were.
void ApplySmoothingChoice(const SmoothingChoice& choice,
                          std::int32_t& method,
                          std::int32_t& level,
                          std::int32_t& declineRpm);

}  // namespace ruvo
