#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "audio/recording_conversion.h"
#include "core/run_parameters.h"
#include "tracking/engine_order_tracker.h"
#include "tracking/pulse_track.h"

namespace ruvo {

// How a recording of engine sound becomes a pulse track.
struct EngineSoundOptions {
  EngineOrderSettings tracker;
  double revsPerPulse = 1.0;  // revolutions between the track's pulses: the document's Rev/Spark
  double startRpm = 0.0;      // the pull starts where the engine rises through this; 0: where it rises
};

// What a run document's estimates say about its engine sound: the pull starts near the Initial
// RPM, the speeds are expected from Initial to Final RPM, the band is that span widened by 25 %
// (unless keepBand) and the revolutions per pulse are its Revs/Ignition (unless keepRevsPerPulse).
void TakeDocumentEstimates(const RunParameters& params, bool keepBand, bool keepRevsPerPulse, EngineSoundOptions& options);

// The engine's firings per revolution: one per cylinder every two revolutions for a 4-stroke, every
// revolution for a 2-stroke.
double FiringsPerRevolution(std::int32_t cylinders, std::int32_t strokes);

// A pull whose frames are more than this share low-confidence is refused: its speed was guessed.
inline constexpr double kMostLostShare = 0.2;

// What the tracking found and made, for the report of an import.
struct EngineSoundReport {
  EngineTrack track;
  PullSpan pull;
  std::int32_t pulseCount = 0;
  double roundingRevolutions = 0.0;
  bool rateLimited = false;
  std::vector<std::string> warnings;  // each a sentence, without "warning: "
};

// Takes the channel and stretch of audio that conversion names, tracks the engine's firing order in
// it, and renders the pull as a pulse track (8-bit samples at done.rate; done also says which
// channel and stretch were taken; the track has no filters and needs no gain). Returns false
// with a one-line reason in error when the tracker finds no engine speed or fails its octave
// check, when no pull is found, or when the track is lost over more than kMostLostShare of the pull.
bool ConvertEngineSound(const DecodedAudio& audio,
                        const ConversionOptions& conversion,
                        const EngineSoundOptions& options,
                        std::vector<std::uint8_t>& samples,
                        ConversionReport& done,
                        EngineSoundReport& report,
                        std::string& error);

// The origin comment of a pulse track: engine, band, revolutions per pulse, the pull's stretch of
// the source and the rate.
std::string EngineSoundOrigin(const EngineSoundOptions& options, const EngineSoundReport& report, std::int32_t rate);

// What an origin comment of EngineSoundOrigin says. The expected speeds and the start speed are not
// recorded: tracker holds 0 for them.
struct EngineSoundOriginFields {
  EngineOrderSettings tracker;
  double revsPerPulse = 0.0;
  double pullFromSeconds = 0.0;  // of the source
  double pullToSeconds = 0.0;
  double hopSeconds = 0.0;
  std::int32_t rate = 0;  // of the pulse track, samples per second
};

// Reads a comment that EngineSoundOrigin wrote; nothing for any other comment, or one whose
// fields are missing or do not read as numbers.
std::optional<EngineSoundOriginFields> ReadEngineSoundOrigin(const std::string& comment);

}  // namespace ruvo
