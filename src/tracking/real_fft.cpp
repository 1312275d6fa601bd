#include "tracking/real_fft.h"

#include <fftw3.h>

#include <mutex>

#include "core/shared_library.h"

namespace ruvo {
namespace {

// FFTW's functions, opened at the first transform so that starting a program does not load it.
struct FftwLibrary {
  decltype(&fftw_malloc) allocate;
  decltype(&fftw_free) deallocate;
  decltype(&fftw_plan_dft_r2c_1d) planRealToComplex;
  decltype(&fftw_execute) execute;
  decltype(&fftw_destroy_plan) destroyPlan;
};

const FftwLibrary* LoadFftw(std::string& missing) {
  static const LoadedApi<FftwLibrary> library("RUVO_FFTW_DIR", [](LibraryLoader& loader, FftwLibrary& api) {
    loader.Open("libfftw3", "libfftw3.so.3");
    loader.Take(api.allocate, "fftw_malloc");
    loader.Take(api.deallocate, "fftw_free");
    loader.Take(api.planRealToComplex, "fftw_plan_dft_r2c_1d");
    loader.Take(api.execute, "fftw_execute");
    loader.Take(api.destroyPlan, "fftw_destroy_plan");
  });
  return library.Get(missing);
}

// Only after FftAvailable said yes.
const FftwLibrary& Fftw() {
  static const FftwLibrary* const api = [] {
    std::string missing;
    return LoadFftw(missing);
  }();
  return *api;
}

std::mutex& PlannerLock() {
  static std::mutex lock;
  return lock;
}

}  // namespace

bool FftAvailable(std::string& missing) { return LoadFftw(missing) != nullptr; }

void RealFft::FftwFree::operator()(void* memory) const { Fftw().deallocate(memory); }

void RealFft::PlanDestroy::operator()(void* handle) const {
  const std::lock_guard<std::mutex> guard(PlannerLock());
  Fftw().destroyPlan(static_cast<fftw_plan>(handle));
}

RealFft::RealFft(std::int32_t fftSize) : size(fftSize) {
  const FftwLibrary& fftw = Fftw();
  const auto count = static_cast<std::size_t>(size);
  input.reset(static_cast<double*>(fftw.allocate(sizeof(double) * count)));
  // fftw_complex is layout-compatible with std::complex<double>.
  output.reset(static_cast<std::complex<double>*>(fftw.allocate(sizeof(fftw_complex) * (count / 2 + 1))));
  const std::lock_guard<std::mutex> guard(PlannerLock());
  plan.reset(fftw.planRealToComplex(size, input.get(), reinterpret_cast<fftw_complex*>(output.get()), FFTW_ESTIMATE));
}

RealFft::~RealFft() = default;

void RealFft::Execute() { Fftw().execute(static_cast<fftw_plan>(plan.get())); }

std::span<const std::complex<double>> RealFft::Output() const {
  return {output.get(), static_cast<std::size_t>(size) / 2 + 1};
}

}  // namespace ruvo
