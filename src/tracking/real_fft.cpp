#include "tracking/real_fft.h"

#include <fftw3.h>

#include <mutex>

namespace ruvo {
namespace {

std::mutex& PlannerLock() {
  static std::mutex lock;
  return lock;
}

}  // namespace

void RealFft::FftwFree::operator()(void* memory) const { fftw_free(memory); }

void RealFft::PlanDestroy::operator()(void* handle) const {
  const std::lock_guard<std::mutex> guard(PlannerLock());
  fftw_destroy_plan(static_cast<fftw_plan>(handle));
}

RealFft::RealFft(std::int32_t fftSize) : size(fftSize) {
  const auto count = static_cast<std::size_t>(size);
  input.reset(static_cast<double*>(fftw_malloc(sizeof(double) * count)));
  // fftw_complex is layout-compatible with std::complex<double>.
  output.reset(static_cast<std::complex<double>*>(fftw_malloc(sizeof(fftw_complex) * (count / 2 + 1))));
  const std::lock_guard<std::mutex> guard(PlannerLock());
  plan.reset(fftw_plan_dft_r2c_1d(size, input.get(), reinterpret_cast<fftw_complex*>(output.get()), FFTW_ESTIMATE));
}

RealFft::~RealFft() = default;

void RealFft::Execute() { fftw_execute(static_cast<fftw_plan>(plan.get())); }

std::span<const std::complex<double>> RealFft::Output() const {
  return {output.get(), static_cast<std::size_t>(size) / 2 + 1};
}

}  // namespace ruvo
