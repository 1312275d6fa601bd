#include "fitting/interval_search.h"

namespace ruvo {

std::int32_t FindInterval(std::span<const double> x, double at, std::int32_t& cached) {
  const auto last = static_cast<std::int32_t>(x.size()) - 1;
  const auto point = [&x](std::int32_t i) { return x[static_cast<std::size_t>(i)]; };
  std::int32_t p = cached;
  if (at < point(p)) {
    if (at < point(0)) {
      p = 0;
    } else {
      while (at < point(p)) --p;  // stops at 0 at the latest, since at >= x[0]
    }
  } else if (at > point(p + 1)) {
    if (at > point(last)) {
      p = last - 1;
    } else {
      while (at > point(p + 1)) ++p;  // stops at last - 1 at the latest, since at <= x[last]
    }
  }
  cached = p;
  return p;
}

}  // namespace ruvo
