#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "audio/channel_choice.h"
#include "audio/conditioning_filter.h"
#include "audio/decoded_audio.h"
#include "core/wave_encoding.h"

namespace ruvo {

// How a decoded recording becomes the 8-bit mono sound.
struct ConversionOptions {
  ChannelChoice channel;
  double fromSeconds = 0.0;  // trim: the first moment kept
  double toSeconds = -1.0;   // trim: the end kept; negative: the end of the recording
  std::int32_t rate = 0;     // samples per second of the result; 0: the recording's, lowered only when needed
  FilterChoice filters;
  bool normalise = true;
};

// What a conversion did, for the report of an import.
struct ConversionReport {
  std::string channel;  // ChosenChannel::description
  double fromSeconds = 0.0;
  double toSeconds = 0.0;
  std::int32_t rate = 0;     // of the result
  std::string filters;       // DescribeConditioning
  std::string conditioning;  // ConditioningChoice::summary of an automatic choice, or empty
  double gain = 1.0;         // ScaleResult::gain
  int peakSteps = 0;
};

// One channel of a stretch of a recording, before it is filtered and scaled.
struct PreparedSound {
  std::vector<float> sound;  // finite, magnitudes at most 1e6 full scales
  std::int32_t rate = 0;     // samples per second
  std::string channel;       // ChosenChannel::description
  double fromSeconds = 0.0;  // the stretch of the recording taken
  double toSeconds = 0.0;
};

// The first steps of ConvertRecording: trim, channel, and resampling to options.rate when it is
// given. With fitWaveFile the rate and length are also brought within the reader's limits, as
// ConvertRecording describes; without it the recording's rate is kept when none is asked for.
bool PrepareSound(const DecodedAudio& audio,
                  const ConversionOptions& options,
                  bool fitWaveFile,
                  PreparedSound& prepared,
                  std::string& error);

// Trims audio to [fromSeconds, toSeconds), takes the channel, resamples when asked or when the
// rate is outside the reader's range or the stretch would have more than kLargestWaveSamples
// samples (then to the highest usual rate at or below the recording's that fits: 96000, 88200,
// 48000, 44100, 32000, 22050, 16000, 11025 or 8000 Hz), filters (choosing the band first for an
// automatic choice: ChooseConditioning) and scales to 8 bits. Samples that
// are not finite count as silence, and magnitudes are limited to 1e6 full scales so no filter can
// overflow. Returns false with a one-line reason in error for no frames, a trim outside the
// recording, a channel it does not have, an unusable rate or a stretch too long for any rate.
bool ConvertRecording(const DecodedAudio& audio,
                      const ConversionOptions& options,
                      std::vector<std::uint8_t>& samples,
                      ConversionReport& report,
                      std::string& error);

}  // namespace ruvo
