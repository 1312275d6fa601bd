#pragma once

#include <string>
#include <vector>

#include "calc/run_checks.h"
#include "core/run_parameters.h"
#include "core/wave_encoding.h"

namespace ruvo {

// Limits on a recording's levels, shared by the run checks and the diagnosis of a failure.
inline constexpr double kMostClippedShare = 0.001;  // clipped samples before it says so
inline constexpr double kMostWanderSteps = 3.0;     // spread of the 2-ms mean levels, 8-bit steps
inline constexpr double kSmallestNoiseSteps = 0.5;  // floor of the noise level in the peak-to-noise ratio

// What the import did to a wave file, as the origin comment it wrote records it.
struct ImportConditioning {
  std::string source;     // the recording it was imported from; empty when not known
  bool highPass = false;  // a high-pass filter, of highPassHz (0 when not stated)
  double highPassHz = 0.0;
  bool bandPass = false;   // a high-pass and a low-pass filter
  bool automatic = false;  // the import chose the conditioning itself
  bool envelope = false;   // the import wrote the clicks' matched-filter envelope, not the sound
};

// Reads the comment's "filters: " field and its "conditioning: automatic" and "matched-filter
// envelope" marks.
ImportConditioning ConditioningOf(const WaveOrigin& origin);
// Of the wave file at wavePath; nothing set when it holds no origin.
ImportConditioning ReadConditioning(const std::string& wavePath);

// The wander of the mean level, steps, that hum or drift cause. After an import's high-pass, which
// removed both, loud noise alone spreads the block means it is measured on, so only what that
// spread leaves counts; without one, the noise level holds any hum and cannot be taken out. None
// in a clicks' envelope, which was high-passed first.
double HumWander(const PulseEvidence& detection, const ImportConditioning& conditioning);

// Why one recording's calculation likely failed, from its evidence: a note for each cause found,
// with the figure measured on it and the remedy left (never one the import already applied). The
// import command names conditioning.source, or the wave file when that is empty.
std::vector<RunFinding> DiagnoseRecording(const RecordingEvidence& evidence,
                                          std::int32_t index,
                                          const RunParameters& params,
                                          const ImportConditioning& conditioning);

// The notes of every recording a failed calculation read, in list order; none for a recording it
// could not read.
std::vector<RunFinding> DiagnoseFailure(const std::vector<RecordingEvidence>& evidence, const RunParameters& params);

}  // namespace ruvo
