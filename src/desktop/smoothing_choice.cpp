#include "desktop/smoothing_choice.h"

namespace ruvo {
namespace {

// The parameter of method inside choice, or nullptr for a method without one.
template <typename Choice>
auto LevelOf(Choice& choice, std::int32_t method) -> decltype(&choice.localLevel) {
  switch (method) {
    case kLocalSmoothing:
      return &choice.localLevel;
    case kSplineSegments:
      return &choice.segments;
    case kExponentialFit:
      return &choice.fitLevel;
    default:
      return nullptr;
  }
}

}  // namespace

SmoothingChoice SmoothingChoiceFor(std::int32_t method, std::int32_t level, std::int32_t declineRpm) {
  SmoothingChoice choice;
  choice.method = method;
  choice.declineRpm = declineRpm;
  if (std::int32_t* slot = LevelOf(choice, method)) *slot = level;
  return choice;
}

void ApplySmoothingChoice(const SmoothingChoice& choice,
                          std::int32_t& method,
                          std::int32_t& level,
                          std::int32_t& declineRpm) {
  method = choice.method;
  if (const std::int32_t* slot = LevelOf(choice, choice.method)) level = *slot;
  if (choice.method == kExponentialFit) declineRpm = choice.declineRpm;
}

}  // namespace ruvo
