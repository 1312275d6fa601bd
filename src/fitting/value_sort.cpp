#include "fitting/value_sort.h"

#include <array>
#include <cstddef>
#include <utility>

#include "fitting/error_sink.h"

namespace ruvo {
namespace {

constexpr std::ptrdiff_t kShortSegment = 12;  // shorter segments are finished by straight insertion
constexpr std::size_t kStackDepth = 64;       // the smaller part is sorted first: depth <= log2(n)

// Sorts values ascending, carrying companion (empty, or as long as values) along. Indices here
// are 0-based; every scan is also bounded by its segment, so no values, NaN included, lead it off.
class CarryingSort {
 public:
  CarryingSort(std::span<double> sortValues, std::span<double> carried)
      : values(sortValues), companion(carried), carry(!carried.empty()) {}

  void Run() {
    std::array<std::pair<std::ptrdiff_t, std::ptrdiff_t>, kStackDepth> pending;
    std::size_t depth = 0;
    std::ptrdiff_t lo = 0;
    std::ptrdiff_t hi = std::ssize(values) - 1;
    double ratio = 0.375;  // where the middle candidate of the split element lies in the segment
    for (;;) {
      if (hi - lo + 1 < kShortSegment) {
        Insert(lo, hi);
        if (depth == 0) return;
        --depth;
        lo = pending[depth].first;
        hi = pending[depth].second;
        continue;
      }
      ratio = ratio <= 0.5898437 ? ratio + 0.0390625 : ratio - 0.21875;
      const auto [down, up] = Partition(lo, hi, lo + static_cast<std::ptrdiff_t>(static_cast<double>(hi - lo) * ratio));
      // [lo, down] holds values <= the split element and [up, hi] values >= it; sort the smaller
      // part next and keep the larger for later.
      if (down - lo > hi - up) {
        pending[depth++] = {lo, down};
        lo = up;
      } else {
        pending[depth++] = {up, hi};
        hi = down;
      }
    }
  }

 private:
  void Swap(std::ptrdiff_t a, std::ptrdiff_t b) {
    std::swap(values[static_cast<std::size_t>(a)], values[static_cast<std::size_t>(b)]);
    if (carry) std::swap(companion[static_cast<std::size_t>(a)], companion[static_cast<std::size_t>(b)]);
  }
  double Value(std::ptrdiff_t i) const { return values[static_cast<std::size_t>(i)]; }

  std::pair<std::ptrdiff_t, std::ptrdiff_t> Partition(std::ptrdiff_t lo, std::ptrdiff_t hi, std::ptrdiff_t mid) {
    if (Value(lo) > Value(mid)) Swap(lo, mid);
    if (Value(hi) < Value(mid)) {
      Swap(mid, hi);
      if (Value(lo) > Value(mid)) Swap(lo, mid);
    }
    const double split = Value(mid);
    std::ptrdiff_t down = hi;
    std::ptrdiff_t up = lo;
    for (;;) {
      do --down;
      while (down > lo && Value(down) > split);
      do ++up;
      while (up < hi && Value(up) < split);
      if (up > down) return {down, up};
      Swap(up, down);
    }
  }

  void Insert(std::ptrdiff_t lo, std::ptrdiff_t hi) {
    for (std::ptrdiff_t next = lo + 1; next <= hi; ++next) {
      const double value = Value(next);
      const double partner = carry ? companion[static_cast<std::size_t>(next)] : 0.0;
      std::ptrdiff_t slot = next;
      for (; slot > lo && value < Value(slot - 1); --slot) {
        values[static_cast<std::size_t>(slot)] = Value(slot - 1);
        if (carry) companion[static_cast<std::size_t>(slot)] = companion[static_cast<std::size_t>(slot - 1)];
      }
      values[static_cast<std::size_t>(slot)] = value;
      if (carry) companion[static_cast<std::size_t>(slot)] = partner;
    }
  }

  std::span<double> values;
  std::span<double> companion;
  bool carry;
};

void Negate(std::span<double> values) {
  for (double& value : values) value = -value;
}

}  // namespace

void DSORT(std::span<double> values, std::span<double> companion, std::int32_t n, std::int32_t kind) {
  if (n <= 0) {
    ErrorSink("FITLIB", "DSORT", "The number of values to be sorted is not positive.", 1, 1);
    return;
  }
  if (kind != 1 && kind != 2 && kind != -1 && kind != -2) {
    ErrorSink("FITLIB", "DSORT", "The sort control parameter, K, is not 2, 1, -1, or -2.", 2, 1);
    return;
  }
  const bool carry = kind == 2 || kind == -2;
  if (n > std::ssize(values) || (carry && n > std::ssize(companion))) {
    ErrorSink("FITLIB", "DSORT", "The arrays are shorter than the number of values to be sorted.", 3, 1);
    return;
  }
  const auto count = static_cast<std::size_t>(n);
  const std::span<double> sorted = values.first(count);
  if (kind < 0) Negate(sorted);
  CarryingSort(sorted, carry ? companion.first(count) : std::span<double>{}).Run();
  if (kind < 0) Negate(sorted);
}

}  // namespace ruvo
