#include "audio/click_train.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace ruvo {
namespace {

constexpr double kBinSeconds = 0.00025;
constexpr double kIntervalChangePenalty = 4.0;  // alpha: a 10 % change costs 0.036 of a click

}  // namespace

std::vector<std::size_t> TrackClickTrain(std::span<const float> envelope, double sampleRateHz, double clickHeight) {
  const auto bin = std::max<std::size_t>(1, static_cast<std::size_t>(std::lround(kBinSeconds * sampleRateHz)));
  const std::size_t bins = envelope.size() / bin;
  if (bins < 2 || !(clickHeight > 0.0)) return {};
  const double binSeconds = static_cast<double>(bin) / sampleRateHz;
  const auto shortest = std::max<std::size_t>(1, static_cast<std::size_t>(kShortestClickInterval / binSeconds));
  const auto longest = std::max(shortest, static_cast<std::size_t>(kLongestClickInterval / binSeconds));

  std::vector<std::size_t> peakAt(bins);  // the sample of each bin's largest envelope
  std::vector<double> score(bins);        // the best train ending on the bin, its height counted
  for (std::size_t i = 0; i < bins; ++i) {
    const auto first = envelope.begin() + static_cast<std::ptrdiff_t>(i * bin);
    peakAt[i] =
        static_cast<std::size_t>(std::max_element(first, first + static_cast<std::ptrdiff_t>(bin)) - envelope.begin());
    score[i] = envelope[peakAt[i]] / clickHeight - kTrainFloor;
  }
  std::vector<double> logOfGap(longest + 1);
  for (std::size_t gap = 1; gap <= longest; ++gap) logOfGap[gap] = std::log(static_cast<double>(gap));

  constexpr std::size_t kNone = std::numeric_limits<std::size_t>::max();
  std::vector<std::size_t> previous(bins, kNone), interval(bins, 0);  // interval 0: the train starts here
  for (std::size_t i = shortest; i < bins; ++i) {
    double best = 0.0;  // a train worth nothing is better started afresh
    std::size_t from = kNone;
    for (std::size_t j = i > longest ? i - longest : 0; j + shortest <= i; ++j) {
      const std::size_t gap = i - j;
      const double change = interval[j] != 0 ? logOfGap[gap] - logOfGap[interval[j]] : 0.0;
      const double value = score[j] - kIntervalChangePenalty * change * change;
      if (value > best) {
        best = value;
        from = j;
      }
    }
    if (from == kNone) continue;
    score[i] += best;
    previous[i] = from;
    interval[i] = i - from;
  }

  const std::size_t lastStart = bins > longest ? bins - longest : 0;
  std::size_t end = lastStart;
  for (std::size_t i = lastStart; i < bins; ++i)
    if (score[i] > score[end]) end = i;
  std::vector<std::size_t> train;
  for (std::size_t i = end; i != kNone; i = previous[i]) train.push_back(peakAt[i]);
  std::reverse(train.begin(), train.end());
  return train;
}

bool TrainHoldsClicks(std::span<const std::size_t> train, std::span<const std::size_t> clicks, std::size_t reach) {
  if (train.empty()) return false;
  std::size_t missed = 0;
  for (std::size_t click : clicks) {
    const auto next = std::lower_bound(train.begin(), train.end(), click);
    const bool nearNext = next != train.end() && *next - click <= reach;
    const bool nearPrevious = next != train.begin() && click - *(next - 1) <= reach;
    if (!nearNext && !nearPrevious) ++missed;
  }
  return 10 * missed <= clicks.size();
}

void GateToTrain(std::vector<float>& envelope, std::span<const std::size_t> train, std::size_t reach) {
  std::vector<float> gain(envelope.size(), kGateFloor);
  for (std::size_t click : train) {
    const std::size_t from = click > reach ? click - reach : 0;
    const std::size_t to = std::min(envelope.size(), click + reach + 1);
    std::fill(gain.begin() + static_cast<std::ptrdiff_t>(from), gain.begin() + static_cast<std::ptrdiff_t>(to), 1.0f);
  }
  for (std::size_t n = 0; n < envelope.size(); ++n) envelope[n] *= gain[n];
}

}  // namespace ruvo
