#include "synth/synth_random.h"

#include <cmath>
#include <numbers>

namespace ruvo {
namespace {

constexpr std::uint64_t kStreamMix = 0xD1B54A32D192ED03ULL;  // odd constant spreading stream numbers
constexpr double kTwoToMinus53 = 1.0 / 9007199254740992.0;

constexpr std::uint64_t RotateLeft(std::uint64_t x, int k) {
  return (x << k) | (x >> (64 - k));
}

}  // namespace

std::uint64_t SplitMix64(std::uint64_t& x) {
  x += 0x9E3779B97F4A7C15ULL;
  std::uint64_t z = x;
  z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
  z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
  return z ^ (z >> 31);
}

SynthRandom::SynthRandom(std::uint64_t seed, std::uint64_t stream) {
  std::uint64_t x = seed ^ (stream * kStreamMix);
  for (std::uint64_t& word : state) word = SplitMix64(x);
}

std::uint64_t SynthRandom::Next() {
  const std::uint64_t result = RotateLeft(state[1] * 5, 7) * 9;
  const std::uint64_t t = state[1] << 17;
  state[2] ^= state[0];
  state[3] ^= state[1];
  state[1] ^= state[2];
  state[0] ^= state[3];
  state[2] ^= t;
  state[3] = RotateLeft(state[3], 45);
  return result;
}

double SynthRandom::Uniform() {
  return static_cast<double>(Next() >> 11) * kTwoToMinus53;
}

double SynthRandom::Normal() {
  if (hasSpare) {
    hasSpare = false;
    return spareNormal;
  }
  const double u1 = 1.0 - Uniform();  // in (0, 1], so the logarithm is finite
  const double u2 = Uniform();
  const double radius = std::sqrt(-2.0 * std::log(u1));
  const double angle = 2.0 * std::numbers::pi * u2;
  spareNormal = radius * std::sin(angle);
  hasSpare = true;
  return radius * std::cos(angle);
}

}  // namespace ruvo
