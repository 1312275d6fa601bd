#pragma once

#include <complex>
#include <cstdint>
#include <memory>
#include <span>
#include <string>

namespace ruvo {

// Whether FFTW's library (opened at the first call) is there; false with its short name
// ("libfftw3") in missing. RealFft may be made only after it said true.
bool FftAvailable(std::string& missing);

// One real-to-complex FFTW transform of a fixed size with its own aligned buffers. Plans are made
// with FFTW_ESTIMATE only, so the algorithm (and every output bit) does not depend on timing, and
// made and destroyed under one process-wide lock because FFTW's planner is not thread-safe.
// Executing is safe from several threads on distinct objects; one object is single-threaded.
class RealFft {
 public:
  explicit RealFft(std::int32_t size);  // size >= 2
  ~RealFft();
  RealFft(const RealFft&) = delete;
  RealFft& operator=(const RealFft&) = delete;

  std::int32_t Size() const { return size; }
  // Fill Input() (Size() values), call Execute(), read Output() (Size() / 2 + 1 bins).
  std::span<double> Input() { return {input.get(), static_cast<std::size_t>(size)}; }
  void Execute();
  std::span<const std::complex<double>> Output() const;

 private:
  struct FftwFree {
    void operator()(void* memory) const;
  };
  struct PlanDestroy {
    void operator()(void* plan) const;
  };
  std::int32_t size;
  std::unique_ptr<double, FftwFree> input;
  std::unique_ptr<std::complex<double>, FftwFree> output;
  std::unique_ptr<void, PlanDestroy> plan;
};

}  // namespace ruvo
