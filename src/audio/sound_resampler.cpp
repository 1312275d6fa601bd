#include "audio/sound_resampler.h"

#include <soxr.h>

#include <cmath>
#include <utility>

namespace ruvo {

bool ResampleSound(std::vector<float>& sound, double fromHz, double toHz, std::string& error) {
  // One spare sample against rounding of the output length.
  std::vector<float> out(static_cast<std::size_t>(std::ceil(static_cast<double>(sound.size()) * toHz / fromHz)) + 1);
  const soxr_io_spec_t io = soxr_io_spec(SOXR_FLOAT32_I, SOXR_FLOAT32_I);
  const soxr_quality_spec_t quality = soxr_quality_spec(SOXR_HQ, 0);
  std::size_t done = 0;
  const soxr_error_t failure = soxr_oneshot(fromHz, toHz, 1, sound.data(), sound.size(), nullptr, out.data(),
                                            out.size(), &done, &io, &quality, nullptr);
  if (failure) {
    error = std::string("resampling failed: ") + failure;
    return false;
  }
  out.resize(done);
  sound = std::move(out);
  return true;
}

}  // namespace ruvo
