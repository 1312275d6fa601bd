#include "audio/sound_resampler.h"

#include <soxr.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <utility>

#include "core/shared_library.h"

namespace ruvo {
namespace {

// libsoxr's functions, opened at the first resampling: most imports keep their rate, and starting
// a program should not load it and the OpenMP runtime it brings.
struct SoxrLibrary {
  decltype(&soxr_io_spec) ioSpec;
  decltype(&soxr_quality_spec) qualitySpec;
  decltype(&soxr_create) create;
  decltype(&soxr_process) process;
  decltype(&soxr_delete) destroy;
};

const SoxrLibrary* LoadSoxr(std::string& missing) {
  static const LoadedApi<SoxrLibrary> library("RUVO_SOXR_DIR", [](LibraryLoader& loader, SoxrLibrary& api) {
    loader.Open("libsoxr", "libsoxr.so.0");
    loader.Take(api.ioSpec, "soxr_io_spec");
    loader.Take(api.qualitySpec, "soxr_quality_spec");
    loader.Take(api.create, "soxr_create");
    loader.Take(api.process, "soxr_process");
    loader.Take(api.destroy, "soxr_delete");
  });
  return library.Get(missing);
}

// Samples handed to the resampler at once: its own buffers stay small, where one call with the
// whole recording would have it move growing buffers about.
constexpr std::size_t kPieceSamples = 1 << 16;

}  // namespace

bool ResampleSound(std::vector<float>& sound, double fromHz, double toHz, std::string& error) {
  std::string missing;
  const SoxrLibrary* api = LoadSoxr(missing);
  if (!api) {
    error = "resampling needs " + missing + "; install it";
    return false;
  }
  // One spare sample against rounding of the output length.
  std::vector<float> out(static_cast<std::size_t>(std::ceil(static_cast<double>(sound.size()) * toHz / fromHz)) + 1);
  const soxr_io_spec_t io = api->ioSpec(SOXR_FLOAT32_I, SOXR_FLOAT32_I);
  const soxr_quality_spec_t quality = api->qualitySpec(SOXR_HQ, 0);
  soxr_error_t failure = nullptr;
  const std::unique_ptr<soxr, decltype(&soxr_delete)> resampler(
      api->create(fromHz, toHz, 1, &failure, &io, &quality, nullptr), api->destroy);
  std::size_t written = 0;
  // The pieces, then an empty input that drains what the filter still holds.
  for (std::size_t read = 0; !failure;) {
    const std::size_t piece = std::min(kPieceSamples, sound.size() - read);
    std::size_t used = 0;
    std::size_t done = 0;
    failure = api->process(resampler.get(), piece > 0 ? sound.data() + read : nullptr, piece, &used,
                           out.data() + written, out.size() - written, &done);
    read += used;
    written += done;
    if (piece == 0 && done == 0) break;
    if (written == out.size()) break;
  }
  if (failure) {
    error = std::string("resampling failed: ") + failure;
    return false;
  }
  out.resize(written);
  sound = std::move(out);
  return true;
}

}  // namespace ruvo
