#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "audio/decoded_audio.h"

namespace ruvo {

// Which channel of a recording becomes the mono sound.
struct ChannelChoice {
  enum class Mode { kAuto, kNumber, kMix };
  Mode mode = Mode::kAuto;
  std::int32_t number = 1;  // from 1, with kNumber
};

// The mono sound taken from a stretch of a recording, and how it was chosen.
struct ChosenChannel {
  std::vector<float> sound;
  std::string description;  // "2 of 2 (auto: peak-to-noise 41.0 against 12.3 for the mix)", "mix of 6"
};

// Takes frames [firstFrame, firstFrame + frameCount) of audio as one channel: channel number
// (from 1), the mean of all channels (mix), or automatically the candidate (each channel, and
// the mix) with the highest peak-to-noise ratio, the mix on near-ties, since mixing lowers
// independent noise. The ratio is the largest absolute first difference over the median
// absolute first difference: differencing ignores an offset and most hum, and the median stays
// at the noise between sparse clicks. Preconditions: the stretch lies within audio and number
// lies within its channels (kNumber); the caller checks both.
ChosenChannel TakeChannel(const DecodedAudio& audio,
                          const ChannelChoice& choice,
                          std::size_t firstFrame,
                          std::size_t frameCount);

}  // namespace ruvo
